// The batch of the window, run from the command line: every template of a
// folder stamped with the stored styles and the given texts, once per poster.
// Outputs are numbered and drawn exactly as the window's batch does it.
#include "app/command_line.h"
#include <windows.h>
#include <shellapi.h>
#include <algorithm>
#include <string>
#include "app/batch_arguments.h"
#include "app/batch_job.h"
#include "app/file_io.h"
#include "app/renderer.h"
#include "app/runtime_calls.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/unit_access.h"
#include "app/version.h"

namespace app {

namespace {

constexpr UINT kCodePageGbk = 936;

const char kUsage[] =
    "用法: Imprinta.exe --batch [选项]\n"
    "  不显示窗口, 把标题和文案印到模板文件夹里的每张模板上 (字体、大小、位置、颜色和文字样式取自 pz.ini)。\n"
    "  --templates DIR   模板文件夹 (默认: 程序目录下的 模板)\n"
    "  --out DIR         输出文件夹 (默认: 程序目录下的 批量目录)\n"
    "  --title TEXT      标题\n"
    "  --body TEXT       文案 (\\n 换行)\n"
    "  --body-file FILE  从文本文件读文案 (UTF-8 或 GBK)\n"
    "  --texts FILE      每行一张: 标题<Tab>文案 (UTF-8 或 GBK, 文案中 \\n 换行)\n"
    "  --settings FILE   全部设置 (字体、大小、位置、颜色和文字样式) 取自 FILE 而不是 pz.ini, 不写入它\n"
    "  --help            显示本说明\n"
    "  --version         显示版本号\n"
    "  退出码: 0 全部写出, 1 有模板失败或被跳过, 2 参数错误\n";

std::wstring WideFrom(const std::string& text, UINT codePage) {
    int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string NarrowTo(const std::wstring& text, UINT codePage) {
    int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string Gbk(const std::wstring& text) { return NarrowTo(text, kCodePageGbk); }

// Where the run reports: the standard output it was given (a pipe, a file, or
// under Wine the shell's terminal), else the console of the process that
// started it. Consoles take UTF-16, everything else UTF-8.
class Report {
public:
    Report() {
        out_ = GetStdHandle(STD_OUTPUT_HANDLE);
        if ((!out_ || out_ == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS))
            out_ = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
        DWORD mode = 0;
        console_ = out_ && out_ != INVALID_HANDLE_VALUE && GetConsoleMode(out_, &mode);
    }
    void Line(const std::string& gbk) { Write(gbk + "\n"); }
    void Write(const std::string& gbk) {
        if (!out_ || out_ == INVALID_HANDLE_VALUE) return;
        std::wstring wide = WideFrom(gbk, kCodePageGbk);
        DWORD written = 0;
        if (console_) {
            WriteConsoleW(out_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        } else {
            std::string utf8 = NarrowTo(wide, CP_UTF8);
            WriteFile(out_, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
        }
    }

private:
    HANDLE out_ = nullptr;
    bool console_ = false;
};

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
}

std::string AsFolder(const std::string& path) { return WithoutTrailingSlash(path) + "\\"; }

// Whether decoded text is text a person wrote: no NUL and no control
// character other than tab and line breaks (binary files have plenty).
bool IsPlainText(const std::wstring& text) {
    for (wchar_t c : text)
        if ((c < 0x20 && c != L'\t' && c != L'\r' && c != L'\n' && c != L'\f') || c == 0xFFFD) return false;
    return true;
}

// The UTF-16 text of a file's bytes: UTF-16 with its mark (either order),
// UTF-8 (with or without its mark), else strict GBK. False when the bytes are
// no text in any of them.
bool DecodeText(std::string raw, std::wstring* wide) {
    const auto mark = [&](const char* m) { return raw.rfind(m, 0) == 0; };
    if (mark("\xFF\xFE") || mark("\xFE\xFF")) {
        if (raw.size() % 2) return false;
        const bool big = raw[0] == '\xFE';
        wide->clear();
        for (size_t i = 2; i + 1 < raw.size(); i += 2) {
            const auto lo = static_cast<unsigned char>(raw[i + (big ? 1 : 0)]);
            const auto hi = static_cast<unsigned char>(raw[i + (big ? 0 : 1)]);
            wide->push_back(static_cast<wchar_t>(lo | (hi << 8)));
        }
    } else {
        const bool utf8Mark = mark("\xEF\xBB\xBF");
        if (utf8Mark) raw.erase(0, 3);
        const UINT codePage = utf8Mark || LooksLikeUtf8(raw) ? CP_UTF8 : kCodePageGbk;
        const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, raw.data(), static_cast<int>(raw.size()),
                                          nullptr, 0);
        if (n <= 0 && !raw.empty()) return false;
        wide->assign(static_cast<size_t>(n > 0 ? n : 0), L'\0');
        if (n > 0)
            MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, raw.data(), static_cast<int>(raw.size()), wide->data(), n);
    }
    return IsPlainText(*wide);
}

// A text file's content as GBK. 0, or why it cannot be used (unreadable, or not text).
uint32_t ReadTextFile(const std::string& path, std::string* gbk) {
    FileBytes file = ReadWholeFile(path);
    if (file.error) return file.error;
    std::wstring wide;
    if (!DecodeText(std::string(file.bytes.begin(), file.bytes.end()), &wide)) return kErrorNotText;
    *gbk = Gbk(wide);
    return 0;
}

// The multi-line box breaks lines with CR LF; a file's final break is no empty line.
std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '\r') out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    while (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0) out.resize(out.size() - 2);
    return out;
}

struct Run {
    std::string templates, outputRoot;
    std::string settings;  // empty: pz.ini
    std::vector<Poster> posters;
};

int BadArguments(Report& report, const std::string& why, bool usage) {
    report.Line("参数错误: " + why);
    if (usage) report.Write(kUsage);
    return kExitBadArguments;
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH * 4];
    DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 4, buffer, nullptr);
    return n > 0 && n < MAX_PATH * 4 ? std::wstring(buffer, n) : std::wstring();
}

// A path argument as the GBK text the rest of the program takes: as it is when
// GBK holds it, else by its short name (a missing output folder is made first
// so that it has one). Empty when neither works.
std::string UsablePath(const std::wstring& wide, bool makeFolder) {
    std::string gbk;
    if (GbkName(wide, &gbk)) return gbk;
    if (makeFolder) CreateDirectoryW(wide.c_str(), nullptr);
    DWORD n = GetShortPathNameW(wide.c_str(), nullptr, 0);
    std::wstring shortName(n, L'\0');
    if (n == 0 || GetShortPathNameW(wide.c_str(), shortName.data(), n) == 0) return "";
    shortName.resize(wcslen(shortName.c_str()));
    return GbkName(shortName, &gbk) ? gbk : "";
}

// Turns the options into folders and posters; a message when something named is missing.
std::string Prepare(const BatchOptions& o, Run* run) {
    run->templates = o.hasTemplates ? UsablePath(o.templates, false) : RunDirectoryPath("\\模板\\");
    run->outputRoot = AsFolder(o.hasOut ? UsablePath(o.out, true) : RunDirectoryPath("\\批量目录\\"));
    if (run->templates.empty() || run->outputRoot == "\\")
        return "文件夹 " + Gbk(run->templates.empty() ? o.templates : o.out) + ": " + ReasonText(kErrorNameNotSupported);
    if (!DirectoryExists(WithoutTrailingSlash(run->templates).c_str()))
        return "找不到模板文件夹 " + run->templates;
    if (o.hasSettings) {
        // The INI functions take a bare name as one in the Windows folder: the path is made whole.
        const std::wstring full = FullPath(o.settings);
        const DWORD attributes = GetFileAttributesW(full.c_str());
        if (full.empty() || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return "读不到设置文件 " + Gbk(o.settings);
        run->settings = Gbk(full);
    }
    std::string body = Gbk(o.body);
    if (o.hasBodyFile) {
        if (uint32_t error = ReadTextFile(Gbk(o.bodyFile), &body))
            return "读不到文案文件 " + Gbk(o.bodyFile) + ": " + ReasonText(error);
        body = WithCrLf(body);
    }
    if (o.hasBody) body = BodyWithBreaks(body);
    if (!o.hasTexts) {
        run->posters.push_back(Poster{0, Gbk(o.title), body});
        return "";
    }
    std::string texts;
    if (uint32_t error = ReadTextFile(Gbk(o.texts), &texts))
        return "读不到文本文件 " + Gbk(o.texts) + ": " + ReasonText(error);
    run->posters = PostersFromText(texts, body);
    if (run->posters.empty()) return "文本文件里没有内容 " + Gbk(o.texts);
    return "";
}

void* DrawStyled(const void* picture, const StoredTextStyle& s, const std::string& text, ResultUse use) {
    return DrawTextOnPicture(picture, s.font.c_str(), s.size, s.colour, kFontStyleBold, 255,
                             kTextRenderingHintAntiAlias, text.c_str(), s.x, s.y, use, s.effects);
}

// One template with one poster's texts: the written file, or empty with *error set.
std::string WriteOne(const char* templateName, int32_t index, const Poster& p, const StoredStyles& styles,
                     const std::string& outputRoot, uint32_t* error) {
    Block bytes(ReadByteSetFile(templateName, error));
    if (*error) return "";
    Block title(DrawStyled(bytes.get(), styles.title, p.title, ResultUse::ReadBackAtOnce));
    Block poster(title.get() ? DrawStyled(title.get(), styles.body, p.body, ResultUse::Kept) : nullptr);
    if (!poster.get()) {
        *error = kErrorNotPicture;
        return "";
    }
    std::string file = NextBatchFile(outputRoot, index, error);
    if (*error) return "";
    *error = WriteByteSetFile(file, poster.get());
    return *error ? "" : file;
}

std::string Number(size_t n) { return std::to_string(n); }

int RunBatch(const Run& run, Report& report) {
    void* list = nullptr;
    ForgetNamesLeftOut();
    const int32_t found = ListFiles(run.templates.c_str(), kTemplatePatterns, &list, {.withPath = true, .recurse = true});
    const int32_t n = std::min(found, kTemplateLimit);
    if (n <= 0) {
        ClearList(&list);
        report.Line("模板文件夹里没有模板 (jpg、jpeg、png): " + run.templates);
        return kExitSomeFailed;
    }
    UseSettingsFile(run.settings);  // only read: the run writes no setting
    StoredStyles styles = ReadStoredStyles(ListedFontNames());
    UseSettingsFile("");
    StartGdiPlus();
    size_t total = run.posters.size() * static_cast<size_t>(n), done = 0, written = 0;
    const size_t skipped = run.posters.size() * static_cast<size_t>(found - n + NamesLeftOut());
    std::vector<std::string> failed;
    for (const Poster& p : run.posters) {
        std::string where = p.line ? " (第 " + Number(static_cast<size_t>(p.line)) + " 行)" : "";
        for (int32_t i = 1; i <= n; ++i) {
            const char* name = ListItems(list)[i - 1];
            uint32_t error = 0;
            std::string file = WriteOne(name, i, p, styles, run.outputRoot, &error);
            std::string step = "[" + Number(++done) + "/" + Number(total) + "] " + name + where;
            if (error) {
                failed.push_back(std::string(name) + where + ": " + ReasonText(error));
                report.Line(step + " 失败: " + ReasonText(error) + " (输出到 " + run.outputRoot + ")");
            } else {
                ++written;
                report.Line(step + " -> " + file);
            }
        }
    }
    StopGdiPlus();
    ClearList(&list);
    report.Line("完成: 写出 " + Number(written) + " 张, 跳过 " + Number(skipped) + " 张, 失败 " + Number(failed.size()) +
                " 张");
    if (found > n) report.Line("跳过: " + SkippedBeyondLimitText(found - n));
    if (NamesLeftOut() > 0) report.Line("跳过: " + NamesLeftOutText(NamesLeftOut()));
    for (const std::string& f : failed) report.Line("失败: " + f);
    return failed.empty() && skipped == 0 ? kExitAllWritten : kExitSomeFailed;
}

}  // namespace

std::vector<std::wstring> ProgramArguments() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args;
    for (int i = 1; argv && i < count; ++i) args.emplace_back(argv[i]);
    if (argv) LocalFree(argv);
    return args;
}

int RunCommandLine(const std::vector<std::wstring>& args) {
    Report report;
    ParsedArguments parsed = ParseBatchArguments(args);
    switch (parsed.error) {
    case ArgumentError::None: break;
    case ArgumentError::UnknownOption: return BadArguments(report, "未知选项 " + Gbk(parsed.culprit), true);
    case ArgumentError::MissingValue: return BadArguments(report, Gbk(parsed.culprit) + " 缺少值", true);
    case ArgumentError::BodyTwice: return BadArguments(report, "--body 和 --body-file 只能用一个", true);
    case ArgumentError::NoBatch: return BadArguments(report, "缺少 --batch", true);
    }
    if (parsed.options.version) {
        report.Line(IMPRINTA_PRODUCT_NAME " " IMPRINTA_VERSION_TEXT);
        return kExitAllWritten;
    }
    if (parsed.options.help) {
        report.Write(kUsage);
        return kExitAllWritten;
    }
    Run run;
    std::string missing = Prepare(parsed.options, &run);
    if (!missing.empty()) return BadArguments(report, missing, false);
    return RunBatch(run, report);
}

}  // namespace app
