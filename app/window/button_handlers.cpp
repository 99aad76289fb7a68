// The buttons beside the preview: export, open the exported picture, the
// tutorial page and the picture watermark.
#include <windows.h>
#include <string>
#include "app/platform/failure_report.h"
#include "app/platform/file_io.h"
#include "app/platform/runtime_calls.h"
#include "app/render/renderer.h"
#include "app/window/export_ahead.h"
#include "app/window/handlers.h"
#include "app/window/preview.h"
#include "app/window/program_state.h"
#include "app/window/save_place.h"
#include "app/window/settings.h"
#include "app/window/tutorial_page.h"
#include "app/window/unit_access.h"
#include "app/window/window_poster.h"
#include "runtime/core/blocks.h"

namespace app {

using namespace mainwindow;

namespace {

// The exported picture next to the program, and the tutorial page.
const char kExportFileName[] = "\\公众号Brightquill 关注获取更多项目和软件.png";
const char kTutorialFileName[] = "\\tutorial.html";

// The export file's name with the extension of the output format.
std::string ExportFilePath(FileFormat kind) {
    std::string path = OutputPath(kExportFileName);
    return path.substr(0, path.size() - 4) + ExtensionOf(kind);
}

}  // namespace
}  // namespace app

using namespace app;
using namespace mainwindow;

namespace {
void* InFormat(const void* png, OutputFormat format) {
    std::vector<uint8_t> bytes = EncodeResultAs(png, format);
    return bytes.empty() ? nullptr : imprinta::MakeByteSet(bytes);
}

// The file's bytes for the picture shown: made ahead while the program was
// idle when they are ready, else now. A preview made at the box's size stands
// for the full-size composition of the same template, texts and settings; any
// other picture is packed again (the preview is compressed for speed, the file
// gets the same pixels packed harder).
void* ExportBytes(OutputFormat format) {
    const bool png = format.kind == FileFormat::Png;
    // Packed straight from the composition: the full-size picture is never
    // kept in the cache, where it would sit beside the next export's.
    if (CurrentReduction.active) return ExportComposed(format);
    if (!png) return InFormat(CurrentPicture, format);  // never PNG bytes under the .jpg name
    void* kept = RecompressForKeeping(CurrentPicture);
    return kept ? kept : PointerToBytes(ByteSetData(CurrentPicture), int32_t(BytesLength(CurrentPicture)));
}

std::string TextOf(const Block& b) { return b.text() ? b.text() : ""; }

}  // namespace

namespace {
std::string g_lastExport;  // the file the last export wrote, for "预览"

// The folder part of a path, without its last backslash.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The export into file: the file written, or the failure said. An export into
// the given (not asked) place that is refused asks for another one.
void ExportInto(std::string file, bool asked);
}  // namespace

extern "C" void IMPRINTA_CDECL ExportPicture(EventResultSlot*) { ExportInto(ExportFilePath(CurrentOutputFormat().kind), false); }

namespace app {
void ExportPictureAs() {
    const FileFormat kind = CurrentOutputFormat().kind;
    std::string file = AskExportFile(GetActiveWindow(), kind, ExportFilePath(kind), L"导出图片另存为");
    if (!file.empty()) ExportInto(file, true);
}
}  // namespace app

namespace {
void ExportInto(std::string file, bool asked) {
    FlushDeferredRefresh();  // the texts shown in the boxes, not an older picture
    const OutputFormat format = CurrentOutputFormat();
    // A template that is not there (deleted since the preview, or never there)
    // is named as what is missing, not the output.
    const auto templateLost = [] {
        Block path(EditContent(kTemplatePath));
        if (GetFileAttributesW(WidePath(TextOf(path)).c_str()) != INVALID_FILE_ATTRIBUTES) return false;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return false;
        ReportFailure("导出失败, 找不到模板", TextOf(path), ERROR_FILE_NOT_FOUND);
        return true;
    };
    // An empty picture would replace the last good export with a zero-byte file.
    if (!CurrentPicture) {
        if (!templateLost()) ReportFailure("没有导出", file, kErrorNothingToWrite);
        return;
    }
    Block bytes(ExportBytes(format));
    if (!bytes.get()) {
        if (!templateLost())
            ReportFailure("导出失败", file, CurrentReduction.active ? kErrorNotPicture : ERROR_NOT_ENOUGH_MEMORY);
        return;
    }
    uint32_t error = WriteByteSetFile(file, bytes.get());
    if (error && !asked && IsRefusedWrite(error)) {
        // The folder refuses (read-only, or another user's): the person picks
        // another, which later exports and batches use too.
        ShowFailure(FailureText("导出失败", file, error) + "\r\n请另选一个保存图片的文件夹, 以后的导出和批量也放在那里。");
        file = AskExportFile(GetActiveWindow(), format.kind, file, L"选择保存图片的位置");
        if (file.empty()) return;
        asked = true;
        error = WriteByteSetFile(file, bytes.get());
    }
    if (error) return ReportFailure("导出失败", file, error);
    g_lastExport = file;
    // A picture or code the poster could not draw is said: the file lacks it, as the preview does.
    const PosterDescription poster = WindowPoster();
    FieldPictures read;
    std::string problem;
    if (!PrepareFields(poster, poster, &read, &problem)) ShowNote("图片已导出, 但有一项没有画上:\r\n" + problem);
    // A place picked by the person is where the following files go.
    if (asked) SetChosenOutputFolder(FolderOf(file));
}
}  // namespace

extern "C" void IMPRINTA_CDECL OpenExportedPicture(EventResultSlot*) {
    std::string file = g_lastExport.empty() ? ExportFilePath(CurrentOutputFormat().kind) : g_lastExport;
    FileBytes probe = ReadWholeFile(file);
    if (probe.error) return ReportFailure("打不开导出的图片 (请先导出)", file, probe.error);
    ShellOpen(file.c_str());
}

extern "C" void IMPRINTA_CDECL OpenTutorial(EventResultSlot*) {
    std::string page = RunDirectoryPath(kTutorialFileName);
    if (uint32_t error = WriteTutorialPageIfMissing(kTutorialFileName))
        return ReportFailure("教程页面写不出", page, error);
    OpenWebPage(page.c_str());
}

extern "C" void IMPRINTA_CDECL AddPictureWatermark(EventResultSlot*) {
    Block basePath(EditContent(kTemplatePath));
    Block markPath(EditContent(kWatermarkPath));
    uint32_t baseError = 0, markError = 0;
    Block base(ReadByteSetFile(TextOf(basePath), &baseError));
    if (baseError) return ReportFailure("加水印失败, 模板读不到", TextOf(basePath), baseError);
    // No watermark named: the template alone, as before.
    Block mark(TextOf(markPath).empty() ? nullptr : ReadByteSetFile(TextOf(markPath), &markError));
    if (markError) return ReportFailure("加水印失败, 水印图片读不到", TextOf(markPath), markError);
    int32_t position = ComboItemData(kWatermarkPosition, ComboListIndex(kWatermarkPosition));
    int32_t x = EditNumber(kWatermarkX);
    int32_t y = EditNumber(kWatermarkY);
    int32_t shrink = EditNumber(kWatermarkShrink);
    int32_t count = EditNumber(kWatermarkCount);
    int32_t flip = ComboItemData(kWatermarkFlip, ComboListIndex(kWatermarkFlip));
    Block composed(ComposeWatermark(base.get(), mark.get(), position, x, y, shrink, count, flip));
    if (!composed.get()) return ReportFailure("加水印失败", TextOf(basePath), kErrorNotPicture);
    ReplaceCurrentPicture(composed.release());
    ShowPicture(kPreviewBox, CurrentPicture);
}
