// The batch of the window, run from the command line: every template of a
// folder stamped with the stored styles and the given texts, once per poster.
// Outputs are numbered and drawn exactly as the window's batch does it.
#include "app/command_line.h"
#include <windows.h>
#include <shellapi.h>
#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include "app/batch_arguments.h"
#include "app/batch_job.h"
#include "app/output_format.h"
#include "app/poster_table.h"
#include "app/render_pool.h"
#include "app/renderer.h"
#include "app/runtime_calls.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/unit_access.h"

namespace app {

namespace {

constexpr UINT kCodePageGbk = 936;

const char kUsage[] =
    "用法: Imprinta.exe --batch [选项]\n"
    "  不显示窗口, 把标题和文案印到模板文件夹里的每张模板上 (字体、大小、位置和颜色取自 pz.ini)。\n"
    "  --templates DIR   模板文件夹 (默认: 程序目录下的 模板)\n"
    "  --out DIR         输出文件夹 (默认: 程序目录下的 批量目录)\n"
    "  --title TEXT      标题\n"
    "  --body TEXT       文案 (\\n 换行)\n"
    "  --body-file FILE  从文本文件读文案 (UTF-8 或 GBK)\n"
    "  --texts FILE      表格, 每行一张: 标题、文案、文件名 (可省) 三列; CSV、Tab 分隔或纯文本,\n"
    "                    UTF-8、GBK 或 UTF-16 (Unicode 文本); 文案中 \\n 换行\n"
    "  --format png|jpg  输出格式 (默认取自 pz.ini, 否则 png)\n"
    "  --quality N       JPEG 质量 1-100 (默认 90)\n"
    "  --jobs N          同时画几张 (默认: 处理器核数)\n"
    "  --skip-existing   文件名列指定的文件已有时跳过 (用于重跑或分机器跑)\n"
    "  --help            显示本说明\n"
    "  退出码: 0 全部写出, 1 有输入失败, 2 参数错误\n";

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

// A text file's content as GBK: UTF-8 (with or without its mark) is converted,
// anything else is taken as GBK already. False when the file cannot be read.
bool ReadTextFile(const std::string& path, std::string* gbk) {
    if (!FileExists(path.c_str())) return false;
    Block bytes(ReadFileBytes(path.c_str()));
    std::string raw(reinterpret_cast<const char*>(ByteSetData(bytes.get())), ByteSetLength(bytes.get()));
    static const char kMark[] = "\xEF\xBB\xBF";
    bool marked = raw.rfind(kMark, 0) == 0;
    if (marked) raw.erase(0, 3);
    *gbk = marked || LooksLikeUtf8(raw) ? Gbk(WideFrom(raw, CP_UTF8)) : raw;
    return true;
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
    std::wstring textsPath;  // empty: one poster of --title and the body
    Poster single;
    std::string defaultBody;
    OutputFormat format;
    int jobs = 1;
    bool skipExisting = false;
};

int BadArguments(Report& report, const std::string& why, bool usage) {
    report.Line("参数错误: " + why);
    if (usage) report.Write(kUsage);
    return kExitBadArguments;
}

int ProcessorCount() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return std::clamp(static_cast<int>(info.dwNumberOfProcessors), 1, kMaxJobs);
}

// Turns the options into folders and posters; a message when something named is missing.
std::string Prepare(const BatchOptions& o, Run* run) {
    run->templates = o.hasTemplates ? Gbk(o.templates) : RunDirectoryPath("\\模板\\");
    run->outputRoot = AsFolder(o.hasOut ? Gbk(o.out) : RunDirectoryPath("\\批量目录\\"));
    if (!DirectoryExists(WithoutTrailingSlash(run->templates).c_str()))
        return "找不到模板文件夹 " + run->templates;
    std::string body = Gbk(o.body);
    if (o.hasBodyFile && !ReadTextFile(Gbk(o.bodyFile), &body)) return "读不到文案文件 " + Gbk(o.bodyFile);
    if (o.hasBodyFile) body = WithCrLf(body);
    if (o.hasBody) body = BodyWithBreaks(body);
    run->defaultBody = body;
    run->single = Poster{0, Gbk(o.title), body, ""};
    if (o.hasTexts) {
        if (GetFileAttributesW(o.texts.c_str()) == INVALID_FILE_ATTRIBUTES) return "读不到文本文件 " + Gbk(o.texts);
        run->textsPath = o.texts;
    }
    run->format = ReadStoredOutputFormat();
    if (o.hasFormat) FormatFromName(Gbk(o.format), &run->format.kind);
    int n = 0;
    if (o.hasQuality && NumberInRange(o.quality, kMinJpegQuality, kMaxJpegQuality, &n)) run->format.quality = n;
    run->jobs = o.hasJobs && NumberInRange(o.jobs, 1, kMaxJobs, &n) ? n : ProcessorCount();
    run->skipExisting = o.skipExisting;
    return "";
}

std::string Number(size_t n) { return std::to_string(n); }

// Ctrl+C and the console's close: the run stops after the file being written.
volatile LONG g_stopRequested = 0;
BOOL WINAPI OnConsoleStop(DWORD) {
    InterlockedExchange(&g_stopRequested, 1);
    return TRUE;
}

// Where the posters come from: one poster of the options, or a table's rows.
class PosterFeed {
public:
    explicit PosterFeed(const Run& run) : run_(run) {
        if (!run.textsPath.empty()) table_ = std::make_unique<PosterTable>(run.textsPath, run.defaultBody);
    }
    bool Next(Poster* p, std::string* failure) {
        if (table_) return table_->Next(p, failure);
        failure->clear();
        if (given_) return false;
        given_ = true;
        *p = run_.single;
        return true;
    }
    TableError error() const { return table_ ? table_->error() : TableError::None; }

private:
    const Run& run_;
    std::unique_ptr<PosterTable> table_;
    bool given_ = false;
};

struct Template {
    std::string name;
    Block bytes;
    TemplateCanvas canvas;  // null: drawn on the main thread through GDI+
};

// The output folder of one template, counted once: later files follow on
// from the count without listing the folder again.
struct OutputFolder {
    std::string path;
    int32_t next = 0;  // 0: not looked at yet
};

// One file of the run, committed in the order it was made.
struct Step {
    size_t templateIndex = 0;
    std::shared_ptr<const Poster> poster;
    std::string failure;  // a row that gives no poster
    bool skipped = false;
    RenderTask task;
};

class BatchRun {
public:
    BatchRun(const Run& run, Report& report) : run_(run), report_(report) {}
    int Go();

private:
    bool ListTemplates();
    bool FillWindow(RenderPool& pool, PosterFeed& feed);
    void Commit(Step& step, RenderPool& pool);
    std::string NamedFile(OutputFolder& folder, const std::string& stem, bool* exists);
    OutputFolder& FolderOf(size_t index);
    void Fail(const std::string& what);

    const Run& run_;
    Report& report_;
    StoredStyles styles_;
    std::deque<Template> templates_;  // Templates own their bytes: never moved
    std::vector<OutputFolder> folders_;
    std::deque<std::unique_ptr<Step>> inFlight_;
    std::shared_ptr<const Poster> poster_;  // the poster whose templates are being queued
    size_t nextTemplate_ = 0;
    size_t done_ = 0, written_ = 0, skipped_ = 0, failedCount_ = 0;
    std::vector<std::string> failed_;
};

constexpr size_t kFailuresListed = 50;
const char* const kFileExtensions[] = {".png", ".jpg"};  // numbering counts both kinds

void MakeFolder(const std::string& path) {
    if (!DirectoryExists(path.c_str())) CallCore(kCmdMakeDirectory, {ArgText(path.c_str())});
}

// Complete files only: written under a temporary name no template pattern
// matches, renamed once whole, never replacing a file. (The program's shared
// temporary-name writer takes this over once it is there.)
bool WriteOutputFile(const std::string& file, const std::vector<uint8_t>& bytes) {
    const std::string partial = file + ".part";
    HANDLE h = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    ok = CloseHandle(h) && ok;
    if (ok && MoveFileExA(partial.c_str(), file.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileA(partial.c_str());
    return false;
}

bool BatchRun::ListTemplates() {
    void* list = nullptr;
    int32_t n = std::min(ListFiles(run_.templates.c_str(), kTemplatePatterns, &list, {.withPath = true, .recurse = true}),
                         kTemplateLimit);
    for (int32_t i = 0; i < n; ++i) {
        Template& t = templates_.emplace_back();
        t.name = ListItems(list)[i];
        t.bytes.reset(ReadFileBytes(t.name.c_str()));
        t.canvas = DecodeTemplateCanvas(t.bytes.get());
    }
    ClearList(&list);
    folders_.resize(templates_.size());
    return !templates_.empty();
}

OutputFolder& BatchRun::FolderOf(size_t index) {
    OutputFolder& f = folders_[index];
    if (f.next == 0) {
        MakeFolder(run_.outputRoot);
        f.path = run_.outputRoot + Number(index + 1);
        MakeFolder(f.path);
        void* present = nullptr;
        f.next = ListFiles(f.path.c_str(), kTemplatePatterns, &present, {}) + 1;
        ClearList(&present);
    }
    return f;
}

bool AnyKindExists(const std::string& stem) {
    for (const char* ext : kFileExtensions)
        if (FileExists((stem + ext).c_str())) return true;
    return false;
}

// A named poster's file; when taken, the next "name (2)", "name (3)", ...
std::string BatchRun::NamedFile(OutputFolder& folder, const std::string& stem, bool* exists) {
    const std::string ext = ExtensionOf(run_.format.kind);
    std::string file = folder.path + "\\" + stem + ext;
    *exists = FileExists(file.c_str());
    for (int k = 2; *exists && !run_.skipExisting; ++k) {
        file = folder.path + "\\" + stem + " (" + Number(static_cast<size_t>(k)) + ")" + ext;
        if (!FileExists(file.c_str())) break;
    }
    return file;
}

// Queues steps until the window holds enough for every thread; false when
// the posters have run out.
bool BatchRun::FillWindow(RenderPool& pool, PosterFeed& feed) {
    const size_t window = static_cast<size_t>(run_.jobs) * 2;
    while (inFlight_.size() < window && !g_stopRequested) {
        if (!poster_ || nextTemplate_ == templates_.size()) {
            Poster p;
            std::string failure;
            if (!feed.Next(&p, &failure)) return false;
            if (!failure.empty()) {
                auto step = std::make_unique<Step>();
                step->failure = failure;
                inFlight_.push_back(std::move(step));
                poster_.reset();
                continue;
            }
            poster_ = std::make_shared<const Poster>(std::move(p));
            nextTemplate_ = 0;
        }
        auto step = std::make_unique<Step>();
        step->templateIndex = nextTemplate_++;
        step->poster = poster_;
        const Template& t = templates_[step->templateIndex];
        if (run_.skipExisting && !poster_->name.empty()) {
            bool exists = false;
            NamedFile(FolderOf(step->templateIndex), poster_->name, &exists);
            step->skipped = exists;
        }
        if (t.canvas && !step->skipped) {
            RenderTask& task = step->task;
            task.base = t.canvas;
            task.title = poster_->title;
            task.body = poster_->body;
            task.titleStyle = {styles_.title.font.c_str(), styles_.title.size, styles_.title.colour, nullptr,
                               styles_.title.x, styles_.title.y};
            task.bodyStyle = {styles_.body.font.c_str(), styles_.body.size, styles_.body.colour, nullptr,
                              styles_.body.x, styles_.body.y};
            task.format = run_.format;
            pool.Submit(&task);
        }
        inFlight_.push_back(std::move(step));
    }
    return true;
}

void* DrawStyled(const void* picture, const StoredTextStyle& s, const std::string& text, ResultUse use) {
    return DrawTextOnPicture(picture, s.font.c_str(), s.size, s.colour, kFontStyleBold, 255,
                             kTextRenderingHintAntiAlias, text.c_str(), s.x, s.y, use);
}

void BatchRun::Fail(const std::string& what) {
    ++failedCount_;
    if (failed_.size() < kFailuresListed) failed_.push_back(what);
}

void BatchRun::Commit(Step& step, RenderPool& pool) {
    ++done_;
    if (!step.failure.empty()) {
        report_.Line("[" + Number(done_) + "] " + step.failure);
        return Fail(step.failure);
    }
    const Template& t = templates_[step.templateIndex];
    const Poster& p = *step.poster;
    std::string where = p.line ? " (第 " + Number(static_cast<size_t>(p.line)) + " 行)" : "";
    std::string head = "[" + Number(done_) + "] " + t.name + where;
    OutputFolder& folder = FolderOf(step.templateIndex);
    bool exists = false;
    std::string file;
    if (!p.name.empty()) file = NamedFile(folder, p.name, &exists);
    if (step.skipped || (exists && run_.skipExisting)) {
        ++skipped_;
        report_.Line(head + " 已有, 跳过: " + file);
        return;
    }
    std::vector<uint8_t> bytes;
    if (t.canvas) {
        pool.Wait(&step.task);
        bytes.swap(step.task.result);
    } else {  // formats the fast path leaves to GDI+: drawn here, on the main thread
        Block title(DrawStyled(t.bytes.get(), styles_.title, p.title, ResultUse::ReadBackAtOnce));
        Block poster(title.get() ? DrawStyled(title.get(), styles_.body, p.body, ResultUse::Kept) : nullptr);
        if (poster.get()) bytes = EncodeResultAs(poster.get(), run_.format);
    }
    if (p.name.empty()) {
        const std::string ext = ExtensionOf(run_.format.kind);
        for (;; ++folder.next) {
            std::string stem = folder.path + "\\" + Number(static_cast<size_t>(folder.next));
            if (!AnyKindExists(stem)) {
                file = stem + ext;
                break;
            }
        }
    }
    if (bytes.empty() || !WriteOutputFile(file, bytes)) {
        report_.Line(head + " 失败");
        return Fail(t.name + where);
    }
    if (p.name.empty()) ++folder.next;
    ++written_;
    report_.Line(head + " -> " + file);
}

int BatchRun::Go() {
    if (!ListTemplates()) {
        report_.Line("模板文件夹里没有模板 (jpg、jpeg、png): " + run_.templates);
        return kExitSomeFailed;
    }
    PosterFeed feed(run_);
    styles_ = ReadStoredStyles(ListedFontNames());
    StartGdiPlus();
    WarmUpRenderer(styles_.title.font.c_str());
    WarmUpRenderer(styles_.body.font.c_str());
    SetConsoleCtrlHandler(OnConsoleStop, TRUE);
    {
        RenderPool pool(run_.jobs > 1 ? run_.jobs : 0);
        for (;;) {
            bool more = FillWindow(pool, feed);
            if (inFlight_.empty() || g_stopRequested) break;
            Commit(*inFlight_.front(), pool);
            inFlight_.pop_front();
            if (!more && inFlight_.empty()) break;
        }
        for (auto& step : inFlight_) pool.Wait(&step->task);  // stopped: nothing more is written
        inFlight_.clear();
    }
    SetConsoleCtrlHandler(OnConsoleStop, FALSE);
    StopGdiPlus();
    if (feed.error() != TableError::None) {
        report_.Line("读不到表格 " + Gbk(run_.textsPath) + ": " + TableErrorText(feed.error()));
        return kExitBadArguments;
    }
    if (g_stopRequested) report_.Line("已停止: 正在写的文件已写完");
    std::string summary = "完成: 写出 " + Number(written_) + " 张, 失败 " + Number(failedCount_) + " 张";
    if (skipped_) summary += ", 跳过 " + Number(skipped_) + " 张 (已有)";
    report_.Line(summary);
    for (const std::string& f : failed_) report_.Line("失败: " + f);
    if (failedCount_ > failed_.size()) report_.Line("另有 " + Number(failedCount_ - failed_.size()) + " 个失败未列出");
    return failedCount_ == 0 && !g_stopRequested ? kExitAllWritten : kExitSomeFailed;
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
    case ArgumentError::BadFormat: return BadArguments(report, "--format 只能是 png 或 jpg: " + Gbk(parsed.culprit), true);
    case ArgumentError::BadNumber:
        return BadArguments(report, Gbk(parsed.culprit) + (parsed.culprit == L"--jobs" ? " 要 1 到 64" : " 要 1 到 100"), true);
    }
    if (parsed.options.help) {
        report.Write(kUsage);
        return kExitAllWritten;
    }
    Run run;
    std::string missing = Prepare(parsed.options, &run);
    if (!missing.empty()) return BadArguments(report, missing, false);
    return BatchRun(run, report).Go();
}

}  // namespace app
