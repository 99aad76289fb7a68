// The preview, export, open, tutorial and watermark handlers.
#include "app/main_window_handlers.h"
#include <windows.h>
#include <string>
#include "app/failure_report.h"
#include "app/export_ahead.h"
#include "app/file_io.h"
#include "app/program_state.h"
#include "app/renderer.h"
#include "app/runtime_calls.h"
#include "app/settings.h"
#include "app/tutorial_page.h"
#include "app/unit_access.h"
#include "app/window_extras.h"
#include "runtime/base/allocation_failure.h"
#include "runtime/core/blocks.h"

namespace app {

using namespace mainwindow;

const char kExportFileName[] = "\\公众号Brightquill 关注获取更多项目和软件.png";
const char kTutorialFileName[] = "\\tutorial.html";

namespace {

// The export file's name with the extension of the output format.
std::string ExportFilePath(FileFormat kind) {
    std::string path = RunDirectoryPath(kExportFileName);
    return path.substr(0, path.size() - 4) + ExtensionOf(kind);
}

struct PassUnits {
    uint32_t font, size, x, y, colour, text;
};
constexpr PassUnits kTitleUnits = {kTitleFont, kTitleSize, kTitleX, kTitleY, kTitleColour, kTitleText};
constexpr PassUnits kBodyUnits = {kBodyFont, kBodySize, kBodyX, kBodyY, kBodyColour, kBodyText};

}  // namespace

namespace {

// One pass's settings, read from its units.
struct PassSettings {
    Block font, text;
    int32_t size, x, y;
    uint32_t colour;
};

const TextEffects& EffectsOf(TextPass pass) { return pass == TextPass::Title ? TitleEffects : BodyEffects; }

void ReadPass(TextPass pass, PassSettings& s) {
    const PassUnits& u = pass == TextPass::Title ? kTitleUnits : kBodyUnits;
    s.font.reset(ComboItemText(u.font, ComboListIndex(u.font)));
    s.size = EditNumber(u.size);
    s.x = EditNumber(u.x);
    s.y = EditNumber(u.y);
    s.colour = PickedColour(u.colour);
    s.text.reset(EditContent(u.text));
}

}  // namespace

std::string PosterInputs() {
    static_assert(sizeof(TextEffects) % sizeof(int32_t) == 0, "effects held as whole numbers, no padding");
    Block path(EditContent(kTemplatePath));
    std::string s = path.text() ? path.text() : "";
    const FileStamp stamp = StampOf(s);
    const uint64_t numbers[] = {stamp.written, stamp.size};
    s.append(reinterpret_cast<const char*>(numbers), sizeof numbers);
    for (TextPass pass : {TextPass::Title, TextPass::Body}) {
        PassSettings p;
        ReadPass(pass, p);
        const int32_t numbers[] = {p.size, p.x, p.y, int32_t(p.colour)};
        s += '\0' + std::string(p.font.text() ? p.font.text() : "") + '\0' + (p.text.text() ? p.text.text() : "") + '\0';
        s.append(reinterpret_cast<const char*>(numbers), sizeof numbers)
            .append(reinterpret_cast<const char*>(&EffectsOf(pass)), sizeof(TextEffects));
    }
    return s;
}

void DrawPassOn(Composition& picture, TextPass pass, const char* text) {
    PassSettings s;
    ReadPass(pass, s);
    picture.Stamp(s.font.text(), s.size, s.colour, kFontStyleBold, 255, kTextRenderingHintAntiAlias,
                  text ? text : s.text.text(), s.x, s.y, EffectsOf(pass));
}

namespace {
int g_refreshHolds = 0;
bool g_refreshAsked = false;
}  // namespace

PreviewRefreshHold::PreviewRefreshHold() { ++g_refreshHolds; }

PreviewRefreshHold::~PreviewRefreshHold() {
    if (--g_refreshHolds > 0 || !g_refreshAsked) return;
    g_refreshAsked = false;
    // A destructor must not let the refresh's bad_alloc out (that would be
    // terminate()): it becomes the out-of-memory report here.
    imprinta::FatalOnBadAlloc([] { RefreshPreview(nullptr); });
}

}  // namespace app

using namespace app;
using namespace mainwindow;

namespace {

// Typing coalesces: while further keystrokes wait in the queue, each of them
// will ask for its own refresh, so drawing now would only build a backlog. The
// last keystroke of a burst finds none waiting and draws at once; a timer (the
// lowest of all messages, so it comes after the waiting input) covers input
// that asks for no refresh of its own.
constexpr UINT_PTR kDeferredRefreshTimer = 0x2519;
bool g_refreshDeferred = false;
LONG g_previewRenders = 0;
// How many previews were drawn: a window property for those who watch.
const char kPreviewRendersProperty[] = "ImprintaPreviewRenders";

// The template of the last good preview, and whether its loss has been said:
// a template that goes away while shown keeps its last picture on the screen
// and is reported once, not at every keystroke.
std::string g_shownTemplate;
bool g_lossReported = false;

std::string TextOf(const Block& b) { return b.text() ? b.text() : ""; }

const MainWindowHandles& Handles() {
    static MainWindowHandles handles;
    if (!handles.window || !IsWindow(handles.window)) handles = FindMainWindowHandles();
    return handles;
}
HWND MainWindow() { return Handles().window; }

void RenderPreviewNow();

// The template shown, read again only when its file changed.
KeptFile g_templateFile;

// The preview box shows the picture whole, in proportion, within its client
// area; the renderer reduces the template to that place, shown pixel for pixel.
PictureSize ShownSize() {
    RECT client = {};
    HWND preview = Handles().preview;
    if (!preview || !GetClientRect(preview, &client) || client.right <= 0 || client.bottom <= 0) return {};
    return {uint32_t(client.right), uint32_t(client.bottom)};
}

void CALLBACK OnDeferredRefresh(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    if (g_refreshDeferred) RefreshPreview(nullptr);
}

void DeferRefresh() {
    if (g_refreshDeferred) return;
    HWND window = MainWindow();
    g_refreshDeferred = window && SetTimer(window, kDeferredRefreshTimer, USER_TIMER_MINIMUM, OnDeferredRefresh);
    if (!g_refreshDeferred) RenderPreviewNow();
}

void RenderPreviewNow() {
    if (g_refreshDeferred) {
        g_refreshDeferred = false;
        if (HWND window = MainWindow()) KillTimer(window, kDeferredRefreshTimer);
    }
    Block pathText(EditContent(kTemplatePath));
    const std::string path = TextOf(pathText);
    uint32_t error = 0;
    const void* bytes = g_templateFile.Read(path, &error);
    // Title, then body, each read just before it is drawn; the title-only
    // picture between them could be seen by nobody (no message is handled in
    // between), so it is never encoded.
    Composition picture(bytes, ShownSize());
    DrawPassOn(picture, TextPass::Title);
    DrawPassOn(picture, TextPass::Body);
    Block made(picture.Finish(ResultUse::Shown));
    if (!made.get() && !path.empty() && path == g_shownTemplate && CurrentPicture) {
        // Said only when the file itself is gone or unreadable; a refresh that
        // ran out of memory keeps the last preview without a word.
        if (error && !g_lossReported) {
            g_lossReported = true;
            ReportFailure("模板读不到了, 预览保留上一张", path, error);
        }
        return;
    }
    g_shownTemplate = made.get() ? path : std::string();
    g_lossReported = false;
    ReplaceCurrentPicture(made.release());
    if (picture.Reduced() && CurrentPicture)
        CurrentReduction = {true, int32_t(picture.SourceSize().width), int32_t(picture.SourceSize().height)};
    ShowPicture(kPreviewBox, CurrentPicture);
    if (HWND window = MainWindow()) {
        SetPropA(window, kPreviewRendersProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(++g_previewRenders)));
        PrepareExportWhenIdle(window);
    }
}

}  // namespace

namespace app {
bool KeystrokeWaiting() {
    // A peek would also run the messages other threads sent meanwhile (Wine
    // runs them whatever the peek's filter), and one of them, a batch for
    // instance, would then run inside the refresh that asked.
    return HIWORD(GetQueueStatus(QS_KEY | QS_POSTMESSAGE)) != 0;
}

KeptRepack PackFullSize(OutputFormat format) {
    Block path(EditContent(kTemplatePath));
    uint32_t error = 0;
    Composition picture(g_templateFile.Read(TextOf(path), &error));
    DrawPassOn(picture, TextPass::Title);
    DrawPassOn(picture, TextPass::Body);
    return KeptRepack(picture, format);
}

void ForgetTemplateBytes() { g_templateFile.Forget(); }

void FlushDeferredRefresh() {
    if (g_refreshDeferred) RenderPreviewNow();
}
}  // namespace app

extern "C" void IMPRINTA_CDECL RefreshPreview(EventResultSlot*) {
    if (g_refreshHolds > 0) {
        g_refreshAsked = true;
        return;
    }
    if (KeystrokeWaiting())
        DeferRefresh();
    else
        RenderPreviewNow();
}

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
}  // namespace

extern "C" void IMPRINTA_CDECL ExportPicture(EventResultSlot*) {
    FlushDeferredRefresh();  // the texts shown in the boxes, not an older picture
    const OutputFormat format = CurrentOutputFormat();
    std::string file = ExportFilePath(format.kind);
    // An empty picture would replace the last good export with a zero-byte file.
    if (!CurrentPicture) return ReportFailure("没有导出", file, kErrorNothingToWrite);
    Block bytes(ExportBytes(format));
    if (!bytes.get()) return ReportFailure("导出失败", file, CurrentReduction.active ? kErrorNotPicture : ERROR_NOT_ENOUGH_MEMORY);
    if (uint32_t error = WriteByteSetFile(file, bytes.get())) ReportFailure("导出失败", file, error);
}

extern "C" void IMPRINTA_CDECL OpenExportedPicture(EventResultSlot*) {
    std::string file = ExportFilePath(CurrentOutputFormat().kind);
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
