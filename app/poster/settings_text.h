// The settings file as text: the file is rebuilt whole in memory and written
// in one piece, so a failed write never leaves half a file. Plain C++; texts
// are GBK (code page 936) bytes.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace app {

using IniValues = std::vector<std::pair<std::string, std::string>>;

// existing with each key of values set in section: lines of other sections and
// unknown keys are kept as they were, a key already present keeps its place,
// new keys follow the section's last line in the order given, a missing section
// is added at the end. Content that is not text (a NUL byte: binary, or UTF-16)
// is dropped. Lines end in CR LF.
std::string WithIniValues(const std::string& existing, const std::string& section, const IniValues& values);

// A multi-line text as one INI value and back: a line break (CR LF, or LF)
// becomes the two characters "\n" and a backslash is doubled; GBK characters
// whose second byte is a backslash are stepped over whole.
std::string EscapeLineBreaks(const std::string& gbk);
std::string UnescapeLineBreaks(const std::string& stored);

// A stored or typed number: decimal, with sign, fraction or exponent, at the
// start of the text (blanks before it allowed, anything after it ignored),
// full-width digits and signs as their ASCII forms (ReadLeadingNumber);
// anything beyond int64 is held near its end. False when there is no number.
bool ParseStoredNumber(const std::string& text, int64_t* value);

}  // namespace app
