// The batch of the window, run from the command line: every template of a
// folder stamped with the stored styles and the given texts, once per poster.
// Outputs are numbered and drawn exactly as the window's batch does it.
#include "app/batch/command_line.h"
#include <windows.h>
#include <shellapi.h>
#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include "app/batch/batch_arguments.h"
#include "app/batch/batch_check.h"
#include "app/batch/batch_job.h"
#include "app/batch/batch_record.h"
#include "app/batch/record_file.h"
#include "app/platform/file_io.h"
#include "app/poster/output_format.h"
#include "app/batch/poster_table.h"
#include "app/poster/placeholders.h"
#include "app/render/render_pool.h"
#include "app/render/renderer.h"
#include "app/render/contact_sheet.h"
#include "runtime/pictures/png_encode.h"
#include "app/platform/runtime_calls.h"
#include "app/window/settings.h"
#include "app/render/fonts.h"
#include "app/window/unit_access.h"
#include "app/resources/version.h"

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
    "  --texts FILE      表格, 每行一张: 标题、文案、文件名 (可省) 三列; CSV、Tab 分隔或纯文本,\n"
    "                    UTF-8、GBK 或 UTF-16 (Unicode 文本); 文案中 \\n 换行\n"
    "  --settings FILE   全部设置 (字体、大小、位置、颜色、文字样式和输出格式) 取自 FILE 而不是 pz.ini, 不写入它\n"
    "  --format png|jpg  输出格式 (默认取自 pz.ini, 否则 png)\n"
    "  --quality N       JPEG 质量 1-100 (默认 90)\n"
    "  --jobs N          同时画几张 (默认: 处理器核数)\n"
    "  --skip-existing   文件名列指定的文件已有时跳过 (用于重跑或分机器跑)\n"
    "  --shard K/N       只做行号除以 N 余 K-1 的行 (N 台机器分一个表格, 各写自己的记录)\n"
    "  --check           只检查不写: 每行排版后超出图片、缩小后仍太宽或太小、字体没有的字、\n"
    "                    模板读不了、文件名重复、不能用的行, 按行列出\n"
    "  --contact-sheet FILE  只画总览: 每行每张模板的缩略图排成一张图 (行号在下, 有问题的行框红) 写到 FILE\n"
    "  --resume          接着上次停下的地方做: 输出文件夹里的记录 (记录.csv) 列出的不再做\n"
    "  --help            显示本说明\n"
    "  --version         显示版本号\n"
    "  退出码: 0 全部写出, 1 有行或模板失败或被跳过, 2 参数错误或表格读不了\n";

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
    std::wstring textsPath;  // empty: one poster of --title and the body
    Poster single;
    std::string defaultBody;
    OutputFormat format;
    int jobs = 1;
    bool skipExisting = false;
    bool resume = false;
    bool check = false;
    std::string contactSheet;  // empty: none
    Shard shard;
    std::string table;  // the table's whole path as the record names it
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
    run->defaultBody = body;
    run->single = Poster{0, Gbk(o.title), body, "", true, {}};
    if (o.hasTexts) {
        if (GetFileAttributesW(o.texts.c_str()) == INVALID_FILE_ATTRIBUTES)
            return "读不到文本文件 " + Gbk(o.texts) + ": " + ReasonText(GetLastError());
        // A file that is no table is refused before anything is drawn: its
        // first bytes tell (the rest is read as the run goes).
        PosterTable probe(o.texts, "");
        Poster first;
        std::string failure;
        if (!probe.Next(&first, &failure) && probe.error() != TableError::None)
            return "读不到文本文件 " + Gbk(o.texts) + ": " + TableErrorText(probe.error());
        run->textsPath = o.texts;
    }
    UseSettingsFile(run->settings);  // only read: the run writes no setting
    run->format = ReadStoredOutputFormat();
    UseSettingsFile("");
    if (o.hasFormat) FormatFromName(Gbk(o.format), &run->format.kind);
    int n = 0;
    if (o.hasQuality && NumberInRange(o.quality, kMinJpegQuality, kMaxJpegQuality, &n)) run->format.quality = n;
    run->jobs = o.hasJobs && NumberInRange(o.jobs, 1, kMaxJobs, &n) ? n : ProcessorCount();
    // A named file already there when resuming was made by the stopped run after its last record line.
    run->skipExisting = o.skipExisting || o.resume;
    run->resume = o.resume;
    run->check = o.check;
    if (o.hasContactSheet) run->contactSheet = Gbk(FullPath(o.contactSheet));
    if (o.hasShard) ParseShard(o.shard, &run->shard);
    if (o.hasTexts) run->table = Gbk(FullPath(o.texts));
    return "";
}

std::string Number(size_t n) { return std::to_string(n); }

// The table's folder (with its backslash), where rows' relative picture paths point; empty without a table.
std::string TableFolder(const Run& run) {
    std::string folder;
    if (!run.textsPath.empty()) GbkName(run.textsPath.substr(0, run.textsPath.find_last_of(L"\\/") + 1), &folder);
    return folder;
}

// "第 N 行: ..." as Excel numbers the rows (a poster without a table: the problem alone).
std::string RowProblem(int row, const std::string& problem) {
    return (row ? "第 " + Number(static_cast<size_t>(row)) + " 行: " : "") + problem;
}

// Ctrl+C and the console's close: the run stops after the file being written.
volatile LONG g_stopRequested = 0;
BOOL WINAPI OnConsoleStop(DWORD) {
    InterlockedExchange(&g_stopRequested, 1);
    return TRUE;
}

// Where the posters come from: one poster of the options, or a table's rows.
class PosterFeed {
public:
    PosterFeed(const Run& run, std::vector<std::string> columnNames) : run_(run) {
        if (!run.textsPath.empty())
            table_ = std::make_unique<PosterTable>(run.textsPath, run.defaultBody, std::move(columnNames));
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
    uint32_t error = 0;     // why the file could not be read
    TemplateCanvas canvas;  // null: drawn on the main thread through GDI+
};

// The output folder of one template, counted once: later files follow on
// from the count without listing the folder again.
struct OutputFolder {
    std::string path;
    int32_t next = 0;    // 0: not looked at yet
    uint32_t error = 0;  // why the folder could not be made
};

// One file of the run, committed in the order it was made.
struct Step {
    int row = 0;  // the table's row (0: none)
    size_t templateIndex = 0;
    std::shared_ptr<const Poster> poster;
    std::shared_ptr<const PosterDescription> drawn;
    std::shared_ptr<RowPictures> pictures;
    std::string failure;  // a row that gives no poster
    std::string note;     // the row's first step: what the poster could not fill
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
    void SkipRow(int row, const std::string& failure);
    std::string NamedFile(OutputFolder& folder, const std::string& stem, bool* exists);
    OutputFolder& FolderOf(size_t index);
    void Fail(const std::string& what);
    void CountSkippedTemplates();
    bool OpenRecord();
    int CheckOnly();
    int ContactSheetOnly();
    int32_t ReadStoredForCheck();
    void Record(int row, const std::string& templateName, const std::string& file, const char* result,
                const std::string& reason = "");

    const Run& run_;
    Report& report_;
    PosterDescription stored_;  // the settings' poster, before a row fills it
    std::shared_ptr<const PosterDescription> filled_;  // filled by poster_'s row
    std::shared_ptr<RowPictures> pictures_;            // what filled_'s picture fields draw
    std::string tableFolder_;                          // relative picture paths of rows name files here
    std::deque<Template> templates_;  // Templates own their bytes: never moved
    std::vector<OutputFolder> folders_;
    std::deque<std::unique_ptr<Step>> inFlight_;
    std::shared_ptr<const Poster> poster_;  // the poster whose templates are being queued
    std::string note_;                      // what its row could not fill, for its first step
    size_t nextTemplate_ = 0;
    size_t done_ = 0, written_ = 0, skipped_ = 0, failedCount_ = 0;
    int32_t templatesFound_ = 0, namesLeftOut_ = 0;  // listed, and the names the listing could not take
    size_t templatesLeftOut_ = 0;  // posters not made: templates beyond the limit or with such names
    // Rows that cannot be used are skipped, once per template, as the window counts them.
    size_t rowsRefused_ = 0, rowPostersSkipped_ = 0;
    std::vector<std::string> failed_, noted_, refused_;
    int rowSkippedLast_ = -1;  // the row whose picture could not be decoded: its other posters are passed over
    std::unique_ptr<RecordFile> record_;
    RecordedRun recorded_;  // with --resume: what the record says was done
    size_t resumed_ = 0;    // posters and rows passed over as done
};

constexpr size_t kFailuresListed = 50;
const char* const kFileExtensions[] = {".png", ".jpg"};  // numbering counts both kinds

// 0 when the folder is there (made now if it was missing), else why it is not.
uint32_t MakeFolder(const std::string& path) {
    if (DirectoryExists(WithoutTrailingSlash(path).c_str())) return 0;
    return CreateDirectoryW(WidePath(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS ? 0
                                                                                                      : GetLastError();
}

bool BatchRun::ListTemplates() {
    void* list = nullptr;
    ForgetNamesLeftOut();
    templatesFound_ = ListFiles(run_.templates.c_str(), kTemplatePatterns, &list, {.withPath = true, .recurse = true});
    namesLeftOut_ = NamesLeftOut();
    const int32_t n = std::min(templatesFound_, kTemplateLimit);
    for (int32_t i = 0; i < n; ++i) {
        Template& t = templates_.emplace_back();
        t.name = ListItems(list)[i];
        t.bytes.reset(ReadByteSetFile(t.name, &t.error));
        if (!t.error) t.canvas = DecodeTemplateCanvas(t.bytes.get());
    }
    ClearList(&list);
    folders_.resize(templates_.size());
    return !templates_.empty();
}

// Every poster misses the templates beyond the limit and those whose names
// the program cannot use.
void BatchRun::CountSkippedTemplates() {
    templatesLeftOut_ += static_cast<size_t>(templatesFound_ - static_cast<int32_t>(templates_.size()) + namesLeftOut_);
}

OutputFolder& BatchRun::FolderOf(size_t index) {
    OutputFolder& f = folders_[index];
    if (f.next == 0) {
        f.path = run_.outputRoot + Number(index + 1);
        f.error = MakeFolder(run_.outputRoot);
        if (!f.error) f.error = MakeFolder(f.path);
        void* present = nullptr;
        const size_t count = f.error ? 0 : static_cast<size_t>(ListFiles(f.path.c_str(), kTemplatePatterns, &present, {}));
        ClearList(&present);
        // A resumed run numbers on from the count the stopped one started from
        // (without the files it wrote), as the unbroken run would have.
        const auto stopped = recorded_.writtenIn.find(f.path + "\\");
        const size_t before = stopped == recorded_.writtenIn.end() ? 0 : std::min(count, stopped->second);
        f.next = static_cast<int32_t>(count - before) + 1;
    }
    return f;
}

bool AnyKindExists(const std::string& stem) {
    for (const char* ext : kFileExtensions)
        if (PathExists(stem + ext)) return true;
    return false;
}

// A named poster's file; when taken, the next "name (2)", "name (3)", ...
std::string BatchRun::NamedFile(OutputFolder& folder, const std::string& stem, bool* exists) {
    const std::string ext = ExtensionOf(run_.format.kind);
    std::string file = folder.path + "\\" + stem + ext;
    *exists = PathExists(file);
    for (int k = 2; *exists && !run_.skipExisting; ++k) {
        file = folder.path + "\\" + stem + " (" + Number(static_cast<size_t>(k)) + ")" + ext;
        if (!PathExists(file)) break;
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
            if (!run_.shard.Takes(p.line)) continue;
            // A row the record skipped as a whole (one the table cannot give, or whose field cannot be drawn).
            if (recorded_.Done(p.line, "")) {
                ++resumed_;
                continue;
            }
            if (!failure.empty()) {
                auto step = std::make_unique<Step>();
                step->row = p.line;
                step->failure = failure;
                inFlight_.push_back(std::move(step));
                poster_.reset();
                continue;
            }
            // Machines sharing a table must not number into each other's files: a
            // shard names an unnamed row by its row number.
            if (!run_.shard.Whole() && p.name.empty() && p.line > 0) p.name = Number(static_cast<size_t>(p.line));
            poster_ = std::make_shared<const Poster>(std::move(p));
            nextTemplate_ = 0;
            CountSkippedTemplates();
            auto filled = std::make_shared<PosterDescription>(stored_);
            std::vector<std::string> missing;
            FillFromRow(*filled, {poster_->hasTitle ? &poster_->title : nullptr, &poster_->body, poster_->values, tableFolder_},
                        &missing);
            // A row whose picture or code cannot be drawn gives no poster, said with the row and the column.
            auto pictures = std::make_shared<RowPictures>();
            std::string problem;
            if (!pictures->Read(*filled, stored_, &problem)) {
                auto step = std::make_unique<Step>();
                step->row = poster_->line;
                step->failure = RowProblem(poster_->line, problem);
                inFlight_.push_back(std::move(step));
                poster_.reset();
                continue;
            }
            pictures_ = std::move(pictures);
            filled_ = std::move(filled);
            if (!missing.empty()) note_ = MissingColumnsText(missing);
        }
        if (recorded_.Done(poster_->line, templates_[nextTemplate_].name)) {
            ++resumed_, ++nextTemplate_;
            continue;
        }
        auto step = std::make_unique<Step>();
        step->row = poster_->line;
        step->note.swap(note_);
        step->templateIndex = nextTemplate_++;
        step->poster = poster_;
        step->drawn = filled_;
        step->pictures = pictures_;
        const Template& t = templates_[step->templateIndex];
        if (run_.skipExisting && !poster_->name.empty()) {
            bool exists = false;
            NamedFile(FolderOf(step->templateIndex), poster_->name, &exists);
            step->skipped = exists;
        }
        if (t.canvas && !step->skipped) {
            RenderTask& task = step->task;
            task.base = t.canvas;
            task.poster = *filled_;
            task.pictures = pictures_;
            task.format = run_.format;
            pool.Submit(&task);
        }
        inFlight_.push_back(std::move(step));
    }
    return true;
}

void BatchRun::Fail(const std::string& what) {
    ++failedCount_;
    if (failed_.size() < kFailuresListed) failed_.push_back(what);
}

// A row that gives no poster: skipped once for all its templates, as the window counts it.
void BatchRun::SkipRow(int row, const std::string& failure) {
    report_.Line("[" + Number(done_) + "] 跳过 " + failure);
    ++rowsRefused_;
    rowPostersSkipped_ += templates_.size();
    if (refused_.size() < kFailuresListed) refused_.push_back(failure);
    Record(row, "", "", kRecordSkipped, failure);
}

void BatchRun::Commit(Step& step, RenderPool& pool) {
    // A picture of the row that could not be decoded (found by the row's first poster) skips the
    // whole row, said once.
    if (step.pictures && step.row == rowSkippedLast_) return pool.Wait(&step.task);
    ++done_;
    if (!step.failure.empty()) return SkipRow(step.row, step.failure);
    const Template& t = templates_[step.templateIndex];
    const Poster& p = *step.poster;
    std::string where = p.line ? " (第 " + Number(static_cast<size_t>(p.line)) + " 行)" : "";
    std::string head = "[" + Number(done_) + "] " + t.name + where;
    if (!step.note.empty()) {
        report_.Line(head + " 注意: " + step.note);
        noted_.push_back("第 " + Number(static_cast<size_t>(p.line)) + " 行: " + step.note);
    }
    OutputFolder& folder = FolderOf(step.templateIndex);
    std::string file;
    // Each failure line says why and where the output was to go.
    const auto failed = [&](uint32_t error) {
        report_.Line(head + " 失败: " + ReasonText(error) + " (输出到 " + (file.empty() ? run_.outputRoot : file) + ")");
        Fail(t.name + where + ": " + ReasonText(error));
        Record(step.row, t.name, file, kRecordFailed, ReasonText(error));
    };
    if (t.error) return failed(t.error);
    if (folder.error) return failed(folder.error);
    bool exists = false;
    if (!p.name.empty()) file = NamedFile(folder, p.name, &exists);
    if (step.skipped || (exists && run_.skipExisting)) {
        ++skipped_;
        report_.Line(head + " 已有, 跳过: " + file);
        Record(step.row, t.name, file, kRecordSkipped, "已有");
        return;
    }
    std::vector<uint8_t> bytes;
    uint32_t error = 0;
    std::string undrawable;
    if (t.canvas) {
        pool.Wait(&step.task);
        bytes.swap(step.task.result);
        undrawable.swap(step.task.failure);
        if (bytes.empty()) error = ERROR_NOT_ENOUGH_MEMORY;  // drawing or encoding ran out of memory
    } else {  // formats the fast path leaves to GDI+: drawn here, on the main thread
        static const FieldPictures kNone;
        if (const FieldPictures* pictures = step.pictures ? step.pictures->Decoded(&undrawable) : &kNone) {
            Composition picture(t.bytes.get());
            picture.Draw(*step.drawn, pictures);
            Block poster(picture.Finish(ResultUse::Kept));
            if (poster.get()) bytes = EncodeResultAs(poster.get(), run_.format);
            if (bytes.empty()) error = kErrorNotPicture;
        }
    }
    if (!undrawable.empty()) {
        rowSkippedLast_ = step.row;
        return SkipRow(step.row, RowProblem(step.row, undrawable));
    }
    if (error) return failed(error);
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
    if (uint32_t written = WriteWholeFile(file, bytes.data(), bytes.size())) return failed(written);
    if (p.name.empty()) ++folder.next;
    ++written_;
    Record(step.row, t.name, file, kRecordWritten);
    report_.Line(head + " -> " + file);
}

void BatchRun::Record(int row, const std::string& templateName, const std::string& file, const char* result,
                      const std::string& reason) {
    if (record_) record_->Add({row, templateName, file, result, reason});
}

// The record beside the output: continued with --resume, else begun anew.
bool BatchRun::OpenRecord() {
    const std::string path = run_.outputRoot + RecordFileName(run_.shard);
    if (run_.resume) {
        recorded_ = ReadRecordFile(path);
        if (!recorded_.table.empty() && recorded_.table != run_.table) {
            report_.Line("参数错误: 记录 " + path + " 是表格 " + recorded_.table + " 的, 不能接着做");
            return false;
        }
    }
    if (uint32_t error = MakeFolder(run_.outputRoot)) {
        report_.Line("写不了输出文件夹 " + run_.outputRoot + ": " + ReasonText(error));
        return false;
    }
    record_ = std::make_unique<RecordFile>(path, run_.resume);
    if (!record_->ok()) {
        report_.Line("写不了记录 " + path + ": " + ReasonText(GetLastError()));
        return false;
    }
    if (recorded_.table.empty() && recorded_.done.empty())
        Record(0, "", run_.table, kRecordStarted, run_.shard.Whole() ? "" : "分片 " + std::to_string(run_.shard.index) + "/" +
                                                                          std::to_string(run_.shard.count));
    return true;
}

// The settings' poster, laid out in the font that will be drawn, and the
// smallest size a shrunk text may take (percent); the settings are only read.
int32_t BatchRun::ReadStoredForCheck() {
    UseSettingsFile(run_.settings);
    FontFallback fallback = BundledFallback();
    stored_ = ReadStoredPosterFile(ListedFontNames(), &fallback);
    const int32_t smallest = ReadStoredSmallestPercent();
    UseSettingsFile("");
    return smallest;
}

// Every row laid out and checked; nothing is written, not even a folder.
int BatchRun::CheckOnly() {
    std::vector<CheckedTemplate> checked;
    for (const Template& t : templates_)
        checked.push_back({t.name, t.canvas ? t.canvas->width : 0, t.canvas ? t.canvas->height : 0,
                           t.error ? t.error : t.canvas ? 0 : static_cast<uint32_t>(kErrorNotPicture)});
    const int32_t smallest = ReadStoredForCheck();
    PosterFeed feed(run_, PlaceholderNames(stored_));
    const DWORD start = GetTickCount();
    size_t said = 0;
    {
        BatchCheck check(stored_, checked, TableFolder(run_), smallest);
        Poster p;
        std::string failure;
        while (feed.Next(&p, &failure)) {
            if (!run_.shard.Takes(p.line)) continue;
            if (failure.empty()) check.Row(p);
            else check.Refused(p.line, failure);
        }
        for (const std::string& problem : check.problems()) report_.Line("问题: " + problem);
        said = check.problems().size();
        report_.Line("检查完毕: " + Number(check.rows()) + " 行, " + Number(check.rowsWithProblems()) + " 行有问题, " +
                     Number(said) + " 个问题, 用时 " + Number(GetTickCount() - start) + " 毫秒; 没有写出文件");
    }
    StopGdiPlus();
    if (feed.error() != TableError::None) {
        report_.Line("读不到表格 " + Gbk(run_.textsPath) + ": " + TableErrorText(feed.error()));
        return kExitBadArguments;
    }
    return said ? kExitSomeFailed : kExitAllWritten;
}

// Every poster at thumbnail size in one picture; no poster file is written.
int BatchRun::ContactSheetOnly() {
    std::vector<CheckedTemplate> checked;
    const Template* first = nullptr;
    for (const Template& t : templates_) {
        checked.push_back({t.name, t.canvas ? t.canvas->width : 0, t.canvas ? t.canvas->height : 0,
                           t.error ? t.error : t.canvas ? 0 : static_cast<uint32_t>(kErrorNotPicture)});
        if (!first && t.canvas) first = &t;
    }
    if (!first) {
        report_.Line("没有能读的模板: " + run_.templates);
        return kExitSomeFailed;
    }
    const int32_t smallest = ReadStoredForCheck();
    PosterFeed feed(run_, PlaceholderNames(stored_));
    const DWORD start = GetTickCount();
    uint32_t error = 0;
    size_t count = 0, marked = 0;
    {
        BatchCheck check(stored_, checked, TableFolder(run_), smallest);
        std::vector<SheetEntry> entries;
        Poster p;
        std::string failure;
        while (feed.Next(&p, &failure)) {
            if (!run_.shard.Takes(p.line) || !failure.empty()) continue;
            const size_t before = check.rowsWithProblems();
            check.Row(p);
            const bool problems = check.rowsWithProblems() > before;
            PosterDescription filled = stored_;
            std::vector<std::string> missing;
            FillFromRow(filled, {p.hasTitle ? &p.title : nullptr, &p.body, p.values, TableFolder(run_)}, &missing);
            // The files its fields show, read here and decoded by the worker drawing it.
            auto pictures = std::make_shared<RowPictures>();
            std::string unreadable;
            (void)pictures->Read(filled, stored_, &unreadable);  // the check said it
            for (const Template& t : templates_)
                if (t.canvas) {
                    entries.push_back({t.bytes.get(), filled, p.line ? "第 " + Number(static_cast<size_t>(p.line)) + " 行" : "",
                                       problems, pictures});
                    marked += problems;
                }
        }
        count = entries.size();
        const imprinta::picture::Canvas sheet =
            MakeContactSheet(entries, first->canvas->width, first->canvas->height, stored_.fields[kTitleField].text.font,
                             run_.jobs);
        const std::vector<uint8_t> png = PackSheet(sheet);
        error = png.empty() ? static_cast<uint32_t>(ERROR_NOT_ENOUGH_MEMORY) : WriteWholeFile(run_.contactSheet, png.data(), png.size());
    }
    StopGdiPlus();
    if (feed.error() != TableError::None) {
        report_.Line("读不到表格 " + Gbk(run_.textsPath) + ": " + TableErrorText(feed.error()));
        return kExitBadArguments;
    }
    if (error) {
        report_.Line("总览没有写出: " + ReasonText(error) + " (" + run_.contactSheet + ")");
        return kExitSomeFailed;
    }
    report_.Line("总览: " + Number(count) + " 张, " + Number(marked) + " 张所在的行有问题 (框红), 用时 " +
                 Number(GetTickCount() - start) + " 毫秒 -> " + run_.contactSheet);
    return kExitAllWritten;
}

int BatchRun::Go() {
    if (!ListTemplates()) {
        report_.Line("模板文件夹里没有模板 (jpg、jpeg、png): " + run_.templates);
        return kExitSomeFailed;
    }
    StartGdiPlus();  // the program's own fonts loaded before the stored ones are looked up
    if (run_.check) return CheckOnly();
    if (!run_.contactSheet.empty()) return ContactSheetOnly();
    if (!OpenRecord()) return kExitBadArguments;
    UseSettingsFile(run_.settings);  // only read: the run writes no setting
    FontFallback fallback = BundledFallback();
    stored_ = ReadStoredPosterFile(ListedFontNames(), &fallback);
    UseSettingsFile("");
    tableFolder_ = TableFolder(run_);
    if (!fallback.missing.empty()) report_.Line(MissingFontNotice(fallback));
    PosterFeed feed(run_, PlaceholderNames(stored_));
    WarmUpRenderer(stored_);
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
    else Record(0, "", "", kRecordFinished, "写出 " + Number(written_) + " 张, 失败 " + Number(failedCount_) + " 张");
    if (resumed_) report_.Line("接着上次: " + Number(resumed_) + " 张 (或行) 记录里已做过, 没有再做");
    report_.Line("完成: 写出 " + Number(written_) + " 张, 跳过 " + Number(templatesLeftOut_ + skipped_ + rowPostersSkipped_) +
                 " 张, 失败 " + Number(failedCount_) + " 张");
    const int32_t beyondLimit = templatesFound_ - static_cast<int32_t>(templates_.size());
    if (beyondLimit > 0) report_.Line("跳过: " + SkippedBeyondLimitText(beyondLimit));
    if (namesLeftOut_ > 0) report_.Line("跳过: " + NamesLeftOutText(namesLeftOut_));
    if (skipped_) report_.Line("跳过: " + Number(skipped_) + " 张已有 (--skip-existing)");
    for (const std::string& r : refused_) report_.Line("跳过: " + r);
    if (rowsRefused_ > refused_.size()) report_.Line("另有 " + Number(rowsRefused_ - refused_.size()) + " 行跳过未列出");
    for (const std::string& f : failed_) report_.Line("失败: " + f);
    for (const std::string& n : noted_) report_.Line("注意: " + n);
    if (failedCount_ > failed_.size()) report_.Line("另有 " + Number(failedCount_ - failed_.size()) + " 个失败未列出");
    // Files already there are what a rerun is for; templates and rows left out are not.
    return failedCount_ == 0 && noted_.empty() && templatesLeftOut_ == 0 && rowsRefused_ == 0 && !g_stopRequested
               ? kExitAllWritten
               : kExitSomeFailed;
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
    case ArgumentError::BadShard: return BadArguments(report, "--shard 要 K/N (1 <= K <= N): " + Gbk(parsed.culprit), true);
    case ArgumentError::BadNumber:
        return BadArguments(report, Gbk(parsed.culprit) + (parsed.culprit == L"--jobs" ? " 要 1 到 64" : " 要 1 到 100"), true);
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
    return BatchRun(run, report).Go();
}

}  // namespace app
