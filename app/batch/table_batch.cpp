// The window's table batch ("按表格批量…"): a table of texts picked in a file
// dialog, one poster per row and template, with the window's fonts, sizes,
// positions and colours. Before anything is written the window says what it
// found; while it runs the button shows "12 / 150" and a click on it stops
// after the file being written. The end report is the window batch's summary,
// naming the rows and templates that gave no file.
#include <windows.h>
#include <commdlg.h>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>
#include "app/batch/batch_check.h"
#include "app/batch/batch_job.h"
#include "app/batch/record_file.h"
#include "app/platform/file_io.h"
#include "app/window/batch_run.h"
#include "app/platform/failure_report.h"
#include "app/poster/placeholders.h"
#include "app/window/handlers.h"
#include "app/window/preview.h"
#include "app/window/window_poster.h"
#include "app/batch/poster_table.h"
#include "app/window/program_state.h"
#include "app/platform/runtime_calls.h"
#include "app/render/renderer.h"
#include "app/window/save_place.h"
#include "app/window/sheet_window.h"
#include "app/window/settings.h"
#include "app/window/unit_access.h"
#include "runtime/core/blocks.h"

namespace app {

namespace {

constexpr size_t kReasonsShown = 5;
constexpr size_t kProblemsShown = 8;
const char kButtonText[] = "按表格批量…";

std::string Gbk(const std::wstring& wide) {
    int n = WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0) WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

HWND MainWindow() { return GetActiveWindow(); }

bool PickTableFile(std::wstring* path) {
    wchar_t file[MAX_PATH * 4] = L"";
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = MainWindow();
    ofn.lpstrFilter = L"表格 (*.csv;*.txt;*.tsv)\0*.csv;*.txt;*.tsv\0所有文件\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = static_cast<DWORD>(std::size(file));
    // The folder picked must not become the current one: the template box's "./1.png" is read against it.
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn)) return false;
    *path = file;
    return true;
}

// What a table holds, read once before the run.
struct TableSummary {
    size_t posters = 0, failedRows = 0;
    std::vector<std::string> reasons;  // the first failed rows
    std::vector<std::string> problems;  // what the check found in the usable rows and the templates
    size_t rowsWithProblems = 0;
    TableError error = TableError::None;
};

// The templates as the check sees them: their sizes, or why they cannot be read.
std::vector<CheckedTemplate> CheckedTemplates(void* list, int32_t count) {
    std::vector<CheckedTemplate> checked;
    for (int32_t i = 0; i < count; ++i) {
        CheckedTemplate& t = checked.emplace_back();
        t.name = ListItems(list)[i];
        Block bytes(ReadByteSetFile(t.name, &t.error));
        if (t.error) continue;
        TemplateCanvas canvas = DecodeTemplateCanvas(bytes.get());
        if (!canvas) t.error = kErrorNotPicture;
        else t.width = canvas->width, t.height = canvas->height;
        PumpMessages();
    }
    return checked;
}

// The table's folder (with its backslash), where rows' relative picture paths point.
std::string TableFolder(const std::wstring& table) { return Gbk(table.substr(0, table.find_last_of(L"\\/") + 1)); }

TableSummary Summarise(const std::wstring& path, const PosterDescription& poster,
                       const std::vector<CheckedTemplate>& templates) {
    TableSummary s;
    BatchCheck check(poster, templates, TableFolder(path), ReadStoredSmallestPercent());
    PosterTable table(path, poster.fields[kBodyField].text.text, PlaceholderNames(poster));
    Poster p;
    std::string failure;
    while (table.Next(&p, &failure)) {
        if (failure.empty()) {
            ++s.posters;
            check.Row(p);
            if (s.posters % 256 == 0) PumpMessages();
            continue;
        }
        ++s.failedRows;
        if (s.reasons.size() < kReasonsShown) s.reasons.push_back(failure);
        if ((s.posters + s.failedRows) % 256 == 0) PumpMessages();
    }
    s.error = table.error();
    s.problems = check.problems();
    s.rowsWithProblems = check.rowsWithProblems();
    return s;
}

std::string Count(size_t n) { return std::to_string(n); }

// Every poster of the table on each template, as the run would make them, in
// the overview window; rows the check found problems in are marked.
void ShowAllPosters(const std::wstring& path, const PosterDescription& shown, void* list,
                    const std::vector<CheckedTemplate>& checked, const std::string& outputRoot) {
    std::vector<std::unique_ptr<Block>> templates;  // each usable template's bytes, read once
    const CheckedTemplate* first = nullptr;
    for (size_t i = 0; i < checked.size(); ++i) {
        if (checked[i].error) continue;
        uint32_t error = 0;
        templates.push_back(std::make_unique<Block>(ReadByteSetFile(ListItems(list)[i], &error)));
        if (error || !templates.back()->get()) templates.pop_back();
        else if (!first) first = &checked[i];
    }
    if (!first) return ShowFailure("没有能读的模板, 总览画不出");
    SheetRequest request;
    BatchCheck check(shown, checked, TableFolder(path), ReadStoredSmallestPercent());
    PosterTable table(path, shown.fields[kBodyField].text.text, PlaceholderNames(shown));
    const std::string tableFolder = TableFolder(path);
    Poster p;
    std::string failure;
    while (table.Next(&p, &failure)) {
        if (!failure.empty()) continue;  // no poster is made of it
        if (request.entries.size() >= kMostSheetPosters) {  // beyond the grid: only counted
            request.total += templates.size();
            if (request.total % 64 < templates.size()) PumpMessages();
            continue;
        }
        const size_t before = check.rowsWithProblems();
        check.Row(p);
        const bool problems = check.rowsWithProblems() > before;
        PosterDescription filled = shown;
        std::vector<std::string> missing;
        FillFromRow(filled, {p.hasTitle ? &p.title : nullptr, &p.body, p.values, tableFolder}, &missing);
        // Read here: the thumbnails are drawn on worker threads. One that cannot be read is left out, as the check said.
        auto pictures = std::make_shared<RowPictures>();
        std::string unreadable;
        (void)pictures->Read(filled, shown, &unreadable);
        for (const auto& t : templates) {
            if (request.entries.size() < kMostSheetPosters)
                request.entries.push_back({t->get(), filled, "第 " + Count(static_cast<size_t>(p.line)) + " 行", problems, pictures});
            ++request.total;
        }
        PumpMessages();
    }
    request.templateWidth = first->width;
    request.templateHeight = first->height;
    request.labelFont = shown.fields[kTitleField].text.font;
    request.savePath = outputRoot + "总览.png";
    ShowSheetWindow(std::move(request));
}

// A run of this table that the record beside the output says was stopped is
// offered to be continued: true when the person wants that.
bool ContinuesStoppedRun(const RecordedRun& last, const std::string& table) {
    if (last.finished || last.table != table || last.done.empty()) return false;
    const std::string text = "这个表格上次的批量没有做完: 已做 " + Count(last.done.size()) +
                             " 张 (或行)。\n\n确定: 接着做, 只做记录里没有的; 取消: 从头再做。";
    return ShowMessage(text, "接着上次的批量", MB_OKCANCEL | MB_ICONINFORMATION) == IDOK;
}

}  // namespace

}  // namespace app

using namespace app;

extern "C" void IMPRINTA_CDECL ExportTableBatch(EventResultSlot*) {
    // A click while this batch runs stops it after the file being written.
    if (TakeBatchClick(mainwindow::kButtonTableBatch) || MainWindowClosing) return;
    std::wstring path;
    if (!PickTableFile(&path)) return;
    const PosterDescription shown = WindowPoster();
    std::string templates = RunDirectoryPath("\\模板\\");
    void* list = nullptr;
    ForgetNamesLeftOut();
    const int32_t found = ListFiles(templates.c_str(), kTemplatePatterns, &list, {.withPath = true, .recurse = true});
    const int32_t namesLeftOut = NamesLeftOut();
    const int32_t n = std::min(found, kTemplateLimit);
    const std::string outputRoot = OutputPath("\\批量目录\\");
    const std::string recordPath = outputRoot + RecordFileName({});
    const RecordedRun last = ReadRecordFile(recordPath);
    const bool resume = ContinuesStoppedRun(last, Gbk(path));
    const std::vector<CheckedTemplate> checked = CheckedTemplates(list, n);
    TableSummary summary = Summarise(path, shown, checked);
    if (summary.error != TableError::None) {
        ClearList(&list);
        return ShowFailure("读不到表格: " + Gbk(path) + "\r\n原因: " + TableErrorText(summary.error));
    }
    const size_t total = summary.posters * static_cast<size_t>(std::max(n, 0));
    const OutputFormat format = CurrentOutputFormat();
    std::string text = "表格: " + Count(summary.posters + summary.failedRows) + " 行, 可用 " + Count(summary.posters) +
                       " 行\n模板: " + Count(static_cast<size_t>(std::max(n, 0))) + " 个 (" + templates + ")\n将写出 " +
                       Count(total) + " 张 " + (format.kind == FileFormat::Jpeg ? "JPEG" : "PNG") + " 图片";
    if (summary.failedRows) {
        text += "\n\n" + Count(summary.failedRows) + " 行不能用, 会跳过:";
        for (const std::string& r : summary.reasons) text += "\n  " + r;
        if (summary.failedRows > summary.reasons.size())
            text += "\n  另有 " + Count(summary.failedRows - summary.reasons.size()) + " 行没有列出";
    }
    if (!summary.problems.empty()) {
        text += "\n\n检查: " + Count(summary.rowsWithProblems) + " 行有问题 (行号同 Excel):";
        for (size_t i = 0; i < summary.problems.size() && i < kProblemsShown; ++i) text += "\n  " + summary.problems[i];
        if (summary.problems.size() > kProblemsShown)
            text += "\n  另有 " + Count(summary.problems.size() - kProblemsShown) + " 个问题没有列出";
    }
    UINT buttons = total ? MB_OKCANCEL | MB_ICONINFORMATION : MB_OK | MB_ICONWARNING;
    if (resume) text += "\n接着上次: 记录里已做的 " + Count(last.done.size()) + " 张 (或行) 不再做";
    if (total) text += "\n\n开始吗?";
    int answer = 0;
    // 预览全部 shows every poster first, then asks again.
    while ((answer = ShowMessage(text, "按表格批量", buttons, total ? "预览全部" : "")) == kMessageExtraButton)
        ShowAllPosters(path, shown, list, checked, outputRoot);
    if (answer != IDOK || !total) {
        ClearList(&list);
        return;
    }
    BatchRun run(mainwindow::kButtonTableBatch, kButtonText);
    CreateDirectoryW(WidePath(outputRoot).c_str(), nullptr);
    RecordFile record(recordPath, resume);
    if (!resume) record.Add({0, "", Gbk(path), kRecordStarted, ""});
    PosterTable table(path, shown.fields[kBodyField].text.text, PlaceholderNames(shown));
    const std::string tableFolder = TableFolder(path);
    Poster p;
    std::string failure;
    size_t done = 0, posters = 0;
    BatchTally tally;
    run.Progress(0, total);
    while (run.GoesOn() && table.Next(&p, &failure)) {
        if (!failure.empty()) {  // listed in the message before the run, and in the end report
            if (resume && last.Done(p.line, "")) continue;
            tally.Skipped(n, failure);
            record.Add({p.line, "", "", kRecordSkipped, failure});
            continue;
        }
        if (resume && last.Done(p.line, "")) {  // a row skipped whole: its field could not be drawn
            run.Progress(done += size_t(std::max(n, 0)), total);
            continue;
        }
        ++posters;
        const std::string where = " (第 " + Count(static_cast<size_t>(p.line)) + " 行)";
        std::vector<std::string> missing;
        FieldPictures pictures;  // the row's, read once for all its templates
        for (int32_t i = 1; i <= n && run.GoesOn(); ++i) {
            const char* templateName = ListItems(list)[i - 1];
            if (resume && last.Done(p.line, templateName)) {
                run.Progress(++done, total);
                continue;
            }
            // The boxes as they are now: a change during the run counts from the next poster.
            const PosterDescription unfilled = WindowPoster();
            PosterDescription poster = unfilled;
            missing.clear();
            FillFromRow(poster, {p.hasTitle ? &p.title : nullptr, &p.body, p.values, tableFolder}, &missing);
            std::string problem;
            if (!PrepareFields(poster, unfilled, &pictures, &problem)) {
                const std::string failure = "第 " + Count(static_cast<size_t>(p.line)) + " 行: " + problem;
                tally.Skipped(n - i + 1, failure);
                record.Add({p.line, "", "", kRecordSkipped, failure});
                run.Progress(done += size_t(n - i + 1), total);
                break;
            }
            uint32_t error = 0;
            std::string file;
            Block result = ExportOneWithTexts(templateName, i, outputRoot, poster, p.name, &error, &file, &pictures);
            if (MainWindowClosing) break;
            record.Add({p.line, templateName, file, error ? kRecordFailed : kRecordWritten, error ? ReasonText(error) : ""});
            if (error)
                tally.Failed(ListItems(list)[i - 1] + where, error);
            else
                tally.Written();
            run.Progress(++done, total);
        }
        if (!missing.empty()) tally.Noted("第 " + Count(static_cast<size_t>(p.line)) + " 行: " + MissingColumnsText(missing));
    }
    ClearList(&list);
    // Templates no poster is made on: beyond the limit, or named outside what the program takes.
    if (found > n) tally.Skipped(static_cast<int32_t>(posters) * (found - n), SkippedBeyondLimitText(found - n));
    if (namesLeftOut > 0) tally.Skipped(static_cast<int32_t>(posters) * namesLeftOut, NamesLeftOutText(namesLeftOut));
    if (run.StopRequested() && done < total) tally.Stopped(static_cast<int32_t>(total - done));
    else if (!MainWindowClosing) record.Add({0, "", "", kRecordFinished, ""});
    run.End();
    if (!MainWindowClosing) {
        ShowWindowPosterAgain();
        ShowBatchEnd("按表格批量", tally, outputRoot);
        if (tally.written() > 0) ShellOpen(outputRoot.c_str());
    }
}
