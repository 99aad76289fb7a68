#include "app/window/preview.h"
#include <windows.h>
#include <string>
#include "app/platform/failure_report.h"
#include "app/platform/file_io.h"
#include "app/render/renderer.h"
#include "app/window/export_ahead.h"
#include "app/window/field_list.h"
#include "app/window/handlers.h"
#include "app/window/keystrokes.h"
#include "app/window/program_state.h"
#include "app/window/template_note.h"
#include "app/window/unit_access.h"
#include "app/window/window_extras.h"
#include "app/window/window_poster.h"
#include "runtime/base/allocation_failure.h"

namespace app {

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

// A path is typed letter by letter: the preview reads it once typing pauses,
// not each half-typed name. A drawing before then reads the box anyway.
constexpr UINT_PTR kTemplateTypedTimer = 0x251A;
constexpr UINT kTypingPauseMs = 400;
bool g_templateTyped = false;

// The template of the last good preview, and whether its loss has been said:
// a template that goes away while shown keeps its last picture on the screen
// and is reported once, not at every keystroke.
std::string g_shownTemplate;
bool g_lossReported = false;

const MainWindowHandles& Handles() {
    static MainWindowHandles handles;
    if (!handles.window || !IsWindow(handles.window)) handles = FindMainWindowHandles();
    return handles;
}
HWND MainWindow() { return Handles().window; }

void RenderPreviewNow();

// The preview box shows the picture whole, in proportion, within its client
// area; the renderer reduces the template to that place, shown pixel for pixel.
PictureSize ShownSize() {
    RECT client = {};
    HWND preview = Handles().preview;
    if (!preview || !GetClientRect(preview, &client) || client.right <= 0 || client.bottom <= 0) return {};
    return {uint32_t(client.right), uint32_t(client.bottom)};
}

// Timer procedures are called from the system's frames, which a bad_alloc
// cannot unwind through: it becomes the out-of-memory report here.
void CALLBACK OnDeferredRefresh(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    if (g_refreshDeferred) imprinta::FatalOnBadAlloc([] { RefreshPreview(nullptr); });
}

void DeferRefresh() {
    if (g_refreshDeferred) return;
    HWND window = MainWindow();
    g_refreshDeferred = window && SetTimer(window, kDeferredRefreshTimer, USER_TIMER_MINIMUM, OnDeferredRefresh);
    if (!g_refreshDeferred) RenderPreviewNow();
}

void CALLBACK OnTemplateTyped(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    if (g_templateTyped) imprinta::FatalOnBadAlloc([] { RefreshPreview(nullptr); });
}

void RenderPreviewNow() {
    if (g_refreshDeferred) {
        g_refreshDeferred = false;
        if (HWND window = MainWindow()) KillTimer(window, kDeferredRefreshTimer);
    }
    if (g_templateTyped) {
        g_templateTyped = false;
        if (HWND window = MainWindow()) KillTimer(window, kTemplateTypedTimer);
    }
    SyncFieldList();
    const PosterDescription poster = WindowPoster();
    const std::string& path = poster.templatePath;
    uint32_t error = 0;
    const void* bytes = TemplateBytes(path, &error);
    // Every field is drawn before the picture is encoded: no message is handled
    // in between, so no half-drawn poster is ever shown.
    Composition picture(bytes, ShownSize());
    picture.Draw(poster);
    Block made(picture.Finish(ResultUse::Shown));
    // Bytes read that make no picture are taken for a file that is none (a
    // lack of memory looks the same from here).
    if (made.get() || error || bytes) NoteTemplateRead(path, made.get() ? 0 : error ? error : kErrorNotPicture);
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
void FlushDeferredRefresh() {
    if (g_refreshDeferred || g_templateTyped) RenderPreviewNow();
}

void ShowWindowPosterAgain() {
    g_shownTemplate.clear();  // the last picture shown is a batch's: never kept in place of this one
    RenderPreviewNow();
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

extern "C" void IMPRINTA_CDECL TemplatePathTyped(EventResultSlot*) {
    NoteTemplateBoxChanged();
    if (g_refreshHolds > 0) {
        g_refreshAsked = true;
        return;
    }
    // Each change starts the pause anew.
    HWND window = MainWindow();
    g_templateTyped = window && SetTimer(window, kTemplateTypedTimer, kTypingPauseMs, OnTemplateTyped);
    if (!g_templateTyped) RefreshPreview(nullptr);
}
