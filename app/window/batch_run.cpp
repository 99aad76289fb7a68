#include "app/window/batch_run.h"
#include <windows.h>
#include <string>
#include "app/window/program_state.h"
#include "app/platform/runtime_calls.h"
#include "app/window/unit_access.h"
#include "app/window/window_extras.h"
#include "runtime/units/button_data.h"

namespace app {

namespace {

const int kButtonCaptionIndex = imprinta::units::ApplicationIndex(imprinta::units::kButtonCaption);

bool g_running = false;
bool g_stopRequested = false;
uint32_t g_button = 0;
HWND g_mainWindow = nullptr;
HHOOK g_escHook = nullptr;

void SetCaption(uint32_t button, const char* text) {
    SetProperty(mainwindow::kWindowId, button, kButtonCaptionIndex, PtrWord(text));
}

// Every message the thread takes passes here, whichever loop takes it (the
// batch's own pump, the runtime's event processing, a modal loop): Esc aimed at
// the main window or any unit in it becomes a stop request and reaches nobody,
// so the window's own Esc handling never closes it during a batch.
LRESULT CALLBACK TakeEsc(int code, WPARAM removal, LPARAM message) {
    auto* msg = reinterpret_cast<MSG*>(message);
    if (code == HC_ACTION && removal == PM_REMOVE && msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE &&
        msg->hwnd && GetAncestor(msg->hwnd, GA_ROOT) == g_mainWindow) {
        g_stopRequested = true;
        msg->message = WM_NULL;
    }
    return CallNextHookEx(g_escHook, code, removal, message);
}

}  // namespace

bool BatchRunning() { return g_running; }

bool TakeBatchClick(uint32_t button) {
    if (!g_running) return false;
    if (button == g_button) g_stopRequested = true;
    return true;
}

BatchRun::BatchRun(uint32_t button, const char* caption) : button_(button), caption_(caption) {
    g_running = true;
    g_stopRequested = false;
    g_button = button;
    g_mainWindow = FindMainWindowHandles().window;
    g_escHook = SetWindowsHookExW(WH_GETMESSAGE, TakeEsc, nullptr, GetCurrentThreadId());
}

void BatchRun::Progress(size_t done, size_t total) {
    if (MainWindowClosing) return;
    std::string text = std::to_string(done) + " / " + std::to_string(total);
    SetCaption(button_, text.c_str());
}

bool BatchRun::StopRequested() const { return g_stopRequested; }
bool BatchRun::GoesOn() const { return !g_stopRequested && !MainWindowClosing; }

void BatchRun::End() {
    if (ended_) return;
    ended_ = true;
    if (g_escHook) UnhookWindowsHookEx(g_escHook);
    g_escHook = nullptr;
    if (!MainWindowClosing) SetCaption(button_, caption_);
    g_running = false;
    g_stopRequested = false;
    g_button = 0;
}

}  // namespace app
