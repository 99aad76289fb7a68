// Finds the main window and its preview box among this thread's windows.
#include <cstring>
#include "app/window/window_extras.h"

namespace app {

namespace {

const char kPictureBoxClass[] = "_QX_PicBox";

BOOL CALLBACK FindPreview(HWND child, LPARAM found) {
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (strcmp(cls, kPictureBoxClass) != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

// The window holding the preview box is the main window (the only one with a picture box).
BOOL CALLBACK FindMain(HWND top, LPARAM out) {
    HWND preview = nullptr;
    EnumChildWindows(top, FindPreview, reinterpret_cast<LPARAM>(&preview));
    if (!preview) return TRUE;
    auto* handles = reinterpret_cast<MainWindowHandles*>(out);
    handles->window = top;
    handles->preview = preview;
    return FALSE;
}

}  // namespace

MainWindowHandles FindMainWindowHandles() {
    MainWindowHandles handles;
    EnumThreadWindows(GetCurrentThreadId(), FindMain, reinterpret_cast<LPARAM>(&handles));
    return handles;
}

}  // namespace app
