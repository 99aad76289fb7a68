// The command line of a batch run without the window: options, and the poster
// list of a texts file. Plain C++: texts here are GBK (code page 936) bytes.
#pragma once
#include <string>
#include <vector>

namespace app {

struct BatchOptions {
    bool help = false;
    bool version = false;
    bool batch = false;
    bool hasTemplates = false, hasOut = false, hasTitle = false, hasBody = false, hasBodyFile = false,
         hasTexts = false, hasSettings = false;
    std::wstring templates, out, title, body, bodyFile, texts, settings;
};

enum class ArgumentError { None, UnknownOption, MissingValue, BodyTwice, NoBatch };

struct ParsedArguments {
    BatchOptions options;
    ArgumentError error = ArgumentError::None;
    std::wstring culprit;  // the argument at fault
};

// Whether the arguments (program name excluded) ask for a run without the
// window: any of them starts with "-" (an option, or a mistyped one).
bool IsCommandLineRun(const std::vector<std::wstring>& args);
ParsedArguments ParseBatchArguments(const std::vector<std::wstring>& args);

// One poster of a texts file: its line number (from 1), title and body.
struct Poster {
    int line = 0;
    std::string title, body;
};
// One poster per non-empty line: the title, a tab, the body, where the two
// characters "\n" break the body's line (CR LF). A line without a tab is a
// title alone and takes defaultBody.
std::vector<Poster> PostersFromText(const std::string& gbk, const std::string& defaultBody);

// The two characters "\n" become CR LF.
std::string BodyWithBreaks(const std::string& gbk);

// Whether bytes are well-formed UTF-8 holding at least one non-ASCII character.
bool LooksLikeUtf8(const std::string& bytes);

}  // namespace app
