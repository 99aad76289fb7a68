#include "app/poster/settings_text.h"
#include "app/poster/typed_number.h"
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace app {

namespace {

bool IsGbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

std::string Trimmed(const std::string& s) {
    size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The section a line opens ("[name]"), or false.
bool SectionOf(const std::string& line, std::string* name) {
    std::string t = Trimmed(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
    *name = Trimmed(t.substr(1, t.size() - 2));
    return true;
}

std::string KeyOf(const std::string& line) {
    size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : Trimmed(line.substr(0, eq));
}

}  // namespace

std::string WithIniValues(const std::string& existing, const std::string& section, const IniValues& values) {
    std::vector<std::string> lines;
    if (existing.find('\0') == std::string::npos) lines = Lines(existing);
    std::vector<bool> placed(values.size(), false);
    // Where the section's own lines end (the index after its last one), if it is there.
    size_t sectionEnd = std::string::npos;
    bool inside = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string name;
        if (SectionOf(lines[i], &name)) {
            inside = name == section;
            if (inside) sectionEnd = i + 1;
            continue;
        }
        if (!inside) continue;
        if (!Trimmed(lines[i]).empty()) sectionEnd = i + 1;
        std::string key = KeyOf(lines[i]);
        for (size_t v = 0; v < values.size(); ++v)
            if (!placed[v] && !key.empty() && key == values[v].first) {
                lines[i] = values[v].first + "=" + values[v].second;
                placed[v] = true;
            }
    }
    std::vector<std::string> added;
    for (size_t v = 0; v < values.size(); ++v)
        if (!placed[v]) added.push_back(values[v].first + "=" + values[v].second);
    if (sectionEnd == std::string::npos) {
        lines.push_back("[" + section + "]");
        sectionEnd = lines.size();
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), added.begin(), added.end());
    std::string out;
    for (const std::string& line : lines) out += line + "\r\n";
    return out;
}

std::string EscapeLineBreaks(const std::string& gbk) {
    std::string out;
    for (size_t i = 0; i < gbk.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(gbk[i]);
        if (IsGbkLead(c) && i + 1 < gbk.size()) {
            out += gbk.substr(i++, 2);
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r' && i + 1 < gbk.size() && gbk[i + 1] == '\n') {
            out += "\\n";
            ++i;
        } else if (c == '\n' || c == '\r') {
            out += "\\n";
        } else {
            out += gbk[i];
        }
    }
    return out;
}

std::string UnescapeLineBreaks(const std::string& stored) {
    std::string out;
    for (size_t i = 0; i < stored.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(stored[i]);
        if (IsGbkLead(c) && i + 1 < stored.size()) {
            out += stored.substr(i++, 2);
        } else if (c == '\\' && i + 1 < stored.size() && (stored[i + 1] == 'n' || stored[i + 1] == '\\')) {
            out += stored[++i] == 'n' ? "\r\n" : "\\";
        } else {
            out += stored[i];
        }
    }
    return out;
}

bool ParseStoredNumber(const std::string& text, int64_t* value) { return ReadLeadingNumber(text, value); }

}  // namespace app
