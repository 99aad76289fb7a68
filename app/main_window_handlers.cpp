// The preview, export, open, tutorial and watermark handlers.
#include "app/main_window_handlers.h"
#include <windows.h>
#include <string>
#include "app/program_state.h"
#include "app/renderer.h"
#include "app/runtime_calls.h"
#include "app/tutorial_page.h"
#include "app/unit_access.h"
#include "app/window_extras.h"

namespace app {

using namespace mainwindow;

const char kExportFileName[] = "\\公众号Brightquill 关注获取更多项目和软件.png";
const char kTutorialFileName[] = "\\tutorial.html";

namespace {

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

void DrawPassOn(Composition& picture, TextPass pass) {
    PassSettings s;
    ReadPass(pass, s);
    picture.Stamp(s.font.text(), s.size, s.colour, kFontStyleBold, 255, kTextRenderingHintAntiAlias,
                  s.text.text(), s.x, s.y, EffectsOf(pass));
}

namespace {
int g_refreshHolds = 0;
bool g_refreshAsked = false;
}  // namespace

PreviewRefreshHold::PreviewRefreshHold() { ++g_refreshHolds; }

PreviewRefreshHold::~PreviewRefreshHold() {
    if (--g_refreshHolds > 0 || !g_refreshAsked) return;
    g_refreshAsked = false;
    RefreshPreview(nullptr);
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

const MainWindowHandles& Handles() {
    static MainWindowHandles handles;
    if (!handles.window || !IsWindow(handles.window)) handles = FindMainWindowHandles();
    return handles;
}
HWND MainWindow() { return Handles().window; }

bool KeystrokeWaiting() {
    // Only input and posted messages (WM_CHAR is posted): no sent message runs here.
    constexpr UINT kPeek = PM_NOREMOVE | PM_NOYIELD | PM_QS_INPUT | PM_QS_POSTMESSAGE;
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, kPeek) ||
           PeekMessageA(&msg, nullptr, WM_CHAR, WM_CHAR, kPeek);
}

void RenderPreviewNow();

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
    Block path(EditContent(kTemplatePath));
    Block bytes(ReadFileBytes(path.text()));
    // Title, then body, each read just before it is drawn; the title-only
    // picture between them could be seen by nobody (no message is handled in
    // between), so it is never encoded.
    Composition picture(bytes.get(), ShownSize());
    DrawPassOn(picture, TextPass::Title);
    DrawPassOn(picture, TextPass::Body);
    ReplaceCurrentPicture(picture.Finish(ResultUse::Shown));
    if (picture.Reduced() && CurrentPicture)
        CurrentReduction = {true, int32_t(picture.SourceSize().width), int32_t(picture.SourceSize().height)};
    ShowPicture(kPreviewBox, CurrentPicture);
    if (HWND window = MainWindow())
        SetPropA(window, kPreviewRendersProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(++g_previewRenders)));
}

}  // namespace

namespace app {
void* ComposeFullSize() {
    Block path(EditContent(kTemplatePath));
    Block bytes(ReadFileBytes(path.text()));
    Composition picture(bytes.get());
    DrawPassOn(picture, TextPass::Title);
    DrawPassOn(picture, TextPass::Body);
    return picture.Finish(ResultUse::Kept);
}

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

extern "C" void IMPRINTA_CDECL ExportPicture(EventResultSlot*) {
    // An empty picture would replace the last good export with a zero-byte file.
    FlushDeferredRefresh();  // the texts shown in the boxes, not an older picture
    if (!CurrentPicture) return;
    std::string file = RunDirectoryPath(kExportFileName);
    // A preview made at the box's size stands for the full-size composition of
    // the same template, texts and settings; any other picture is packed again
    // (the preview is compressed for speed, the file gets the same pixels packed harder).
    Block kept(CurrentReduction.active ? ComposeFullSize() : RecompressForKeeping(CurrentPicture));
    if (!kept.get() && CurrentReduction.active) return;
    CallCore(kCmdWriteBytesToFile, {ArgText(file.c_str()), ArgBytes(kept.get() ? kept.get() : CurrentPicture)});
}

extern "C" void IMPRINTA_CDECL OpenExportedPicture(EventResultSlot*) {
    std::string file = RunDirectoryPath(kExportFileName);
    ShellOpen(file.c_str());
}

extern "C" void IMPRINTA_CDECL OpenTutorial(EventResultSlot*) {
    WriteTutorialPageIfMissing(kTutorialFileName);
    std::string page = RunDirectoryPath(kTutorialFileName);
    OpenWebPage(page.c_str());
}

extern "C" void IMPRINTA_CDECL AddPictureWatermark(EventResultSlot*) {
    Block basePath(EditContent(kTemplatePath));
    Block markPath(EditContent(kWatermarkPath));
    Block base(ReadFileBytes(basePath.text()));
    Block mark(ReadFileBytes(markPath.text()));
    int32_t position = ComboItemData(kWatermarkPosition, ComboListIndex(kWatermarkPosition));
    int32_t x = EditNumber(kWatermarkX);
    int32_t y = EditNumber(kWatermarkY);
    int32_t shrink = EditNumber(kWatermarkShrink);
    int32_t count = EditNumber(kWatermarkCount);
    int32_t flip = ComboItemData(kWatermarkFlip, ComboListIndex(kWatermarkFlip));
    ReplaceCurrentPicture(ComposeWatermark(base.get(), mark.get(), position, x, y, shrink, count, flip));
    ShowPicture(kPreviewBox, CurrentPicture);
}
