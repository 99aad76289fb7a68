// The window's table batch ("按表格批量…"): a table of texts picked in a file
// dialog, one poster per row and template, with the window's fonts, sizes,
// positions and colours. Before anything is written the window says what it
// found; while it runs the button shows "12 / 150" and a click on it stops
// after the file being written. The end report is the window batch's summary,
// naming the rows and templates that gave no file.
#include <windows.h>
#include <commdlg.h>
#include <algorithm>
#include <string>
#include <vector>
#include "app/batch/batch_job.h"
#include "app/window/batch_run.h"
#include "app/platform/failure_report.h"
#include "app/poster/placeholders.h"
#include "app/window/handlers.h"
#include "app/window/preview.h"
#include "app/window/window_poster.h"
#include "app/batch/poster_table.h"
#include "app/window/program_state.h"
#include "app/platform/runtime_calls.h"
#include "app/window/save_place.h"
#include "app/window/settings.h"
#include "app/window/unit_access.h"
#include "runtime/core/blocks.h"

namespace app {

namespace {

constexpr size_t kReasonsShown = 5;
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
    TableError error = TableError::None;
};

TableSummary Summarise(const std::wstring& path, const PosterDescription& poster) {
    TableSummary s;
    PosterTable table(path, poster.fields[kBodyField].text.text, PlaceholderNames(poster));
    Poster p;
    std::string failure;
    while (table.Next(&p, &failure)) {
        if (failure.empty()) {
            ++s.posters;
            continue;
        }
        ++s.failedRows;
        if (s.reasons.size() < kReasonsShown) s.reasons.push_back(failure);
        if ((s.posters + s.failedRows) % 256 == 0) PumpMessages();
    }
    s.error = table.error();
    return s;
}

std::string Count(size_t n) { return std::to_string(n); }

}  // namespace

}  // namespace app

using namespace app;

extern "C" void IMPRINTA_CDECL ExportTableBatch(EventResultSlot*) {
    // A click while this batch runs stops it after the file being written.
    if (TakeBatchClick(mainwindow::kButtonTableBatch) || MainWindowClosing) return;
    std::wstring path;
    if (!PickTableFile(&path)) return;
    const PosterDescription shown = WindowPoster();
    TableSummary summary = Summarise(path, shown);
    if (summary.error != TableError::None)
        return ShowFailure("读不到表格: " + Gbk(path) + "\r\n原因: " + TableErrorText(summary.error));
    std::string templates = RunDirectoryPath("\\模板\\");
    void* list = nullptr;
    ForgetNamesLeftOut();
    const int32_t found = ListFiles(templates.c_str(), kTemplatePatterns, &list, {.withPath = true, .recurse = true});
    const int32_t namesLeftOut = NamesLeftOut();
    const int32_t n = std::min(found, kTemplateLimit);
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
    UINT buttons = total ? MB_OKCANCEL | MB_ICONINFORMATION : MB_OK | MB_ICONWARNING;
    if (total) text += "\n\n开始吗?";
    if (ShowMessage(text, "按表格批量", buttons) != IDOK || !total) {
        ClearList(&list);
        return;
    }
    BatchRun run(mainwindow::kButtonTableBatch, kButtonText);
    const std::string outputRoot = OutputPath("\\批量目录\\");
    PosterTable table(path, shown.fields[kBodyField].text.text, PlaceholderNames(shown));
    const std::string tableFolder = Gbk(path.substr(0, path.find_last_of(L"\\/") + 1));
    Poster p;
    std::string failure;
    size_t done = 0, posters = 0;
    BatchTally tally;
    run.Progress(0, total);
    while (run.GoesOn() && table.Next(&p, &failure)) {
        if (!failure.empty()) {  // listed in the message before the run, and in the end report
            tally.Skipped(n, failure);
            continue;
        }
        ++posters;
        const std::string where = " (第 " + Count(static_cast<size_t>(p.line)) + " 行)";
        std::vector<std::string> missing;
        FieldPictures pictures;  // the row's, read once for all its templates
        for (int32_t i = 1; i <= n && run.GoesOn(); ++i) {
            // The boxes as they are now: a change during the run counts from the next poster.
            const PosterDescription unfilled = WindowPoster();
            PosterDescription poster = unfilled;
            missing.clear();
            FillFromRow(poster, {p.hasTitle ? &p.title : nullptr, &p.body, p.values, tableFolder}, &missing);
            std::string problem;
            if (!PrepareFields(poster, unfilled, &pictures, &problem)) {
                tally.Skipped(n - i + 1, "第 " + Count(static_cast<size_t>(p.line)) + " 行: " + problem);
                run.Progress(done += size_t(n - i + 1), total);
                break;
            }
            uint32_t error = 0;
            Block result =
                ExportOneWithTexts(ListItems(list)[i - 1], i, outputRoot, poster, p.name, &error, &pictures);
            if (MainWindowClosing) break;
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
    run.End();
    if (!MainWindowClosing) {
        ShowWindowPosterAgain();
        ShowBatchEnd("按表格批量", tally, outputRoot);
        if (tally.written() > 0) ShellOpen(outputRoot.c_str());
    }
}
