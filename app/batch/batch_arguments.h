// The command line of a batch run without the window: options, and the poster
// list of a texts file. Plain C++: texts here are GBK (code page 936) bytes.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace app {

constexpr int kMaxJobs = 64;

struct BatchOptions {
    bool help = false;
    bool version = false;
    bool batch = false;
    bool skipExisting = false;
    bool resume = false;  // continue after the last file the record names
    bool check = false;   // check every poster, write nothing
    bool hasTemplates = false, hasOut = false, hasTitle = false, hasBody = false, hasBodyFile = false,
         hasTexts = false, hasSettings = false, hasFormat = false, hasQuality = false, hasJobs = false, hasShard = false, hasContactSheet = false;
    std::wstring templates, out, title, body, bodyFile, texts, settings, format, quality, jobs, shard, contactSheet;
};

enum class ArgumentError { None, UnknownOption, MissingValue, BodyTwice, NoBatch, BadFormat, BadNumber, BadShard };

struct ParsedArguments {
    BatchOptions options;
    ArgumentError error = ArgumentError::None;
    std::wstring culprit;  // the argument at fault
};

// Whether the arguments (program name excluded) ask for a run without the
// window: any of them starts with "-" (an option, or a mistyped one).
bool IsCommandLineRun(const std::vector<std::wstring>& args);
ParsedArguments ParseBatchArguments(const std::vector<std::wstring>& args);

// One poster: the table row it comes from (0: none), its title and body (CR LF
// breaks), and the output file's name without extension (empty: numbered).
// A table whose header names its own columns may have no title column, and
// gives its cells by the columns' names for the placeholders.
struct Poster {
    int line = 0;
    std::string title, body, name;
    bool hasTitle = true;
    std::vector<std::pair<std::string, std::string>> values;
};

// A whole decimal number from first to last (full-width digits too), or false.
bool NumberInRange(const std::wstring& text, int first, int last, int* value);

// The two characters "\n" become CR LF.
std::string BodyWithBreaks(const std::string& gbk);

// Whether bytes are well-formed UTF-8 holding at least one non-ASCII character.
bool LooksLikeUtf8(const std::string& bytes);

}  // namespace app
