// Pictures dropped on the window become the template path, then the preview.
// The window also saves the settings as it closes and offers "另存为…" on the
// export button's right-click menu.
#include "app/window/window_extras.h"
#include "app/window/save_place.h"
#include "app/window/settings.h"
#include <shellapi.h>
#include <windowsx.h>
#include <cwctype>
#include <vector>
#include "app/window/handlers.h"
#include "app/window/unit_access.h"
#include "runtime/base/allocation_failure.h"

namespace app {

namespace {

constexpr UINT kCodePageGbk = 936;
const wchar_t* const kPictureExtensions[] = {L"jpg", L"jpeg", L"png", L"bmp", L"gif"};
WNDPROC g_windowProc = nullptr;

// The name as the program's texts carry it; empty when code page 936 cannot
// spell it (the template could not be opened by that name).
std::string AnsiName(const std::wstring& wide) {
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(kCodePageGbk, 0, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) return "";
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(kCodePageGbk, 0, wide.c_str(), -1, out.data(), n, nullptr, &lossy);
    out.resize(static_cast<size_t>(n - 1));
    return lossy ? "" : out;
}

std::string FirstDroppedPicture(HDROP drop) {
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::vector<wchar_t> name(length + 1, L'\0');
        DragQueryFileW(drop, i, name.data(), length + 1);
        std::wstring wide(name.data());
        if (!IsDroppablePicture(wide)) continue;
        std::string ansi = AnsiName(wide);
        if (!ansi.empty()) return ansi;
    }
    return "";
}

LRESULT HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DROPFILES) {
        HDROP drop = reinterpret_cast<HDROP>(wp);
        std::string picture = FirstDroppedPicture(drop);
        DragFinish(drop);
        if (!picture.empty()) {
            // A dropped name is whole: draw now rather than after the typing pause.
            SetEditContent(mainwindow::kTemplatePath, picture.c_str());
            RefreshPreview(nullptr);
        }
        return 0;
    }
    // Settings are saved while the window is still shown: a failure is said over it.
    if (msg == WM_CLOSE && !SaveSettingsBeforeClose()) return 0;
    if (msg == WM_COMMAND && LOWORD(wp) == kSaveAsCommand && lp == 0) {
        ExportPictureAs();
        return 0;
    }
    return CallWindowProcA(g_windowProc, hwnd, msg, wp, lp);
}

// A bad_alloc must not unwind through the system's frames: it becomes the
// out-of-memory report here, as at the runtime's own boundaries.
LRESULT CALLBACK WindowWithDrop(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return imprinta::FatalOnBadAlloc([&] { return HandleWindowMessage(hwnd, msg, wp, lp); });
}

// The export button's right click (or the menu key while it has the focus)
// opens its menu; the command goes to the main window.
WNDPROC g_exportButtonProc = nullptr;
LRESULT CALLBACK ExportButtonWithMenu(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_RBUTTONUP || msg == WM_CONTEXTMENU) {
        POINT at = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (msg == WM_RBUTTONUP) ClientToScreen(hwnd, &at);
        const LPARAM where = msg == WM_CONTEXTMENU && lp == -1 ? -1 : MAKELPARAM(at.x, at.y);
        ShowExportMenu(GetAncestor(hwnd, GA_ROOT), hwnd, where);
        return 0;
    }
    return CallWindowProcA(g_exportButtonProc, hwnd, msg, wp, lp);
}

BOOL CALLBACK FindExportButton(HWND child, LPARAM found) {
    wchar_t caption[16] = L"";
    GetWindowTextW(child, caption, 16);
    if (wcscmp(caption, L"导出图片") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

}  // namespace

bool IsDroppablePicture(const std::wstring& name) {
    size_t dot = name.find_last_of(L'.');
    size_t slash = name.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return false;
    std::wstring ext = name.substr(dot + 1);
    for (wchar_t& c : ext) c = static_cast<wchar_t>(std::towlower(c));
    for (const wchar_t* known : kPictureExtensions)
        if (ext == known) return true;
    return false;
}

void AttachPictureDrop(HWND window) {
    if (!window || g_windowProc) return;
    g_windowProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowWithDrop)));
    DragAcceptFiles(window, TRUE);
    HWND button = nullptr;
    EnumChildWindows(window, FindExportButton, reinterpret_cast<LPARAM>(&button));
    if (button && !g_exportButtonProc)
        g_exportButtonProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ExportButtonWithMenu)));
}

}  // namespace app
