#include "app/batch_arguments.h"

namespace app {

namespace {

struct ValueOption {
    const wchar_t* name;
    bool BatchOptions::*given;
    std::wstring BatchOptions::*value;
};
const ValueOption kValueOptions[] = {
    {L"--templates", &BatchOptions::hasTemplates, &BatchOptions::templates},
    {L"--out", &BatchOptions::hasOut, &BatchOptions::out},
    {L"--title", &BatchOptions::hasTitle, &BatchOptions::title},
    {L"--body", &BatchOptions::hasBody, &BatchOptions::body},
    {L"--body-file", &BatchOptions::hasBodyFile, &BatchOptions::bodyFile},
    {L"--texts", &BatchOptions::hasTexts, &BatchOptions::texts},
    {L"--settings", &BatchOptions::hasSettings, &BatchOptions::settings},
};

bool IsGbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

}  // namespace

// A GBK character's second byte may be a backslash, so characters are stepped over whole.
std::string BodyWithBreaks(const std::string& body) {
    std::string out;
    for (size_t i = 0; i < body.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(body[i]);
        if (IsGbkLead(c) && i + 1 < body.size()) {
            out += body.substr(i, 2);
            ++i;
        } else if (c == '\\' && i + 1 < body.size() && body[i + 1] == 'n') {
            out += "\r\n";
            ++i;
        } else {
            out += body[i];
        }
    }
    return out;
}

// Anything that looks like an option, even a mistyped one ("-batch"), makes a
// command-line run: a script must get its error, never a window that waits.
bool IsCommandLineRun(const std::vector<std::wstring>& args) {
    for (const std::wstring& a : args)
        if (a.size() > 1 && a[0] == L'-') return true;
    return false;
}

ParsedArguments ParseBatchArguments(const std::vector<std::wstring>& args) {
    ParsedArguments r;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        if (a == L"--help") {
            r.options.help = true;
            continue;
        }
        if (a == L"--version") {
            r.options.version = true;
            continue;
        }
        if (a == L"--batch") {
            r.options.batch = true;
            continue;
        }
        const ValueOption* option = nullptr;
        for (const ValueOption& o : kValueOptions)
            if (a == o.name) option = &o;
        if (!option) {
            r.error = ArgumentError::UnknownOption;
            r.culprit = a;
            return r;
        }
        if (i + 1 >= args.size()) {
            r.error = ArgumentError::MissingValue;
            r.culprit = a;
            return r;
        }
        r.options.*(option->given) = true;
        r.options.*(option->value) = args[++i];
    }
    if (r.options.help || r.options.version) return r;
    if (r.options.hasBody && r.options.hasBodyFile) {
        r.error = ArgumentError::BodyTwice;
        r.culprit = L"--body-file";
    } else if (!r.options.batch) {
        r.error = ArgumentError::NoBatch;
    }
    return r;
}

std::vector<Poster> PostersFromText(const std::string& gbk, const std::string& defaultBody) {
    std::vector<Poster> posters;
    size_t start = 0;
    for (int line = 1; start <= gbk.size(); ++line) {
        size_t end = gbk.find('\n', start);
        if (end == std::string::npos) end = gbk.size();
        std::string text = gbk.substr(start, end - start);
        start = end + 1;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (text.empty()) continue;
        Poster p;
        p.line = line;
        size_t tab = text.find('\t');
        p.title = text.substr(0, tab);
        p.body = tab == std::string::npos ? defaultBody : BodyWithBreaks(text.substr(tab + 1));
        posters.push_back(p);
    }
    return posters;
}

bool LooksLikeUtf8(const std::string& bytes) {
    bool wide = false;
    for (size_t i = 0; i < bytes.size();) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        int follow = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (follow < 0 || (follow == 1 && c < 0xC2)) return false;
        if (i + static_cast<size_t>(follow) >= bytes.size() && follow > 0) return false;
        for (int k = 1; k <= follow; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        wide |= follow > 0;
        i += static_cast<size_t>(follow) + 1;
    }
    return wide;
}

}  // namespace app
