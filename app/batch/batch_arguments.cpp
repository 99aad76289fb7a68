#include "app/batch/batch_arguments.h"
#include "app/batch/batch_record.h"
#include "app/poster/output_format.h"
#include "app/poster/typed_number.h"

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
    {L"--format", &BatchOptions::hasFormat, &BatchOptions::format},
    {L"--quality", &BatchOptions::hasQuality, &BatchOptions::quality},
    {L"--jobs", &BatchOptions::hasJobs, &BatchOptions::jobs},
    {L"--shard", &BatchOptions::hasShard, &BatchOptions::shard},
    {L"--contact-sheet", &BatchOptions::hasContactSheet, &BatchOptions::contactSheet},
};

struct FlagOption {
    const wchar_t* name;
    bool BatchOptions::*set;
};
const FlagOption kFlagOptions[] = {
    {L"--help", &BatchOptions::help},
    {L"--version", &BatchOptions::version},
    {L"--batch", &BatchOptions::batch},
    {L"--skip-existing", &BatchOptions::skipExisting},
    {L"--resume", &BatchOptions::resume},
    {L"--check", &BatchOptions::check},
};

bool IsGbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

bool IsFormatName(const std::wstring& name) {
    std::string ascii;
    for (wchar_t c : name) ascii += c < 0x80 ? static_cast<char>(c) : '?';
    FileFormat kind;
    return FormatFromName(ascii, &kind);
}

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
        const FlagOption* flag = nullptr;
        for (const FlagOption& f : kFlagOptions)
            if (a == f.name) flag = &f;
        if (flag) {
            r.options.*(flag->set) = true;
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
    } else if (r.options.hasFormat && !IsFormatName(r.options.format)) {
        r.error = ArgumentError::BadFormat;
        r.culprit = r.options.format;
    } else if (int n = 0; r.options.hasQuality && !NumberInRange(r.options.quality, 1, 100, &n)) {
        r.error = ArgumentError::BadNumber;
        r.culprit = L"--quality";
    } else if (r.options.hasJobs && !NumberInRange(r.options.jobs, 1, kMaxJobs, &n)) {
        r.error = ArgumentError::BadNumber;
        r.culprit = L"--jobs";
    } else if (Shard shard; r.options.hasShard && !ParseShard(r.options.shard, &shard)) {
        r.error = ArgumentError::BadShard;
        r.culprit = r.options.shard;
    }
    return r;
}

bool NumberInRange(const std::wstring& text, int first, int last, int* value) {
    int64_t n = 0;
    if (!ReadWholeNumber(HalfWidthNumberText(text), &n) || n < first || n > last) return false;
    *value = static_cast<int>(n);
    return true;
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
