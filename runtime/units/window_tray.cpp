// Tray icon of the window and the events its callback message fires.
#include "runtime/units/window_tray.h"

#include <shellapi.h>
#include <cstring>
#include <string>
#include "runtime/units/window_numbers.h"
#include "runtime/units/window_unit.h"

namespace imprinta::units {

namespace {

// Cuts an ANSI text to at most max bytes without splitting a double-byte character.
std::string CutText(const char* text, size_t max) {
    std::string out;
    if (!text) return out;
    for (size_t i = 0; text[i];) {
        size_t n = IsDBCSLeadByte(static_cast<BYTE>(text[i])) && text[i + 1] ? 2 : 1;
        if (out.size() + n > max) break;
        out.append(text + i, n);
        i += n;
    }
    return out;
}

NOTIFYICONDATAA TrayData(HWND hwnd) {
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = hwnd;
    nid.uID = kTrayIconId;
    return nid;
}

}  // namespace

bool WindowTrayIcon::Show(HWND hwnd, HICON icon, const char* tip) {
    NOTIFYICONDATAA nid = TrayData(hwnd);
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = kTrayCallbackMessage;
    nid.hIcon = icon;
    std::string text = CutText(tip, kTrayTipMax);
    std::memcpy(nid.szTip, text.c_str(), text.size() + 1);
    BOOL ok = Shell_NotifyIconA(shown_ ? NIM_MODIFY : NIM_ADD, &nid);
    if (ok) {
        shown_ = true;
        icon_ = icon;
    }
    return ok != FALSE;
}

void WindowTrayIcon::Remove(HWND hwnd) {
    NOTIFYICONDATAA nid = TrayData(hwnd);
    if (shown_) Shell_NotifyIconA(NIM_DELETE, &nid);
    shown_ = false;
    icon_ = nullptr;
}

uint32_t TrayClickOf(UINT mouseMessage) {
    switch (mouseMessage) {
    case WM_LBUTTONUP: return kWindowTrayLeftClick;
    case WM_LBUTTONDBLCLK: return kWindowTrayDoubleClick;
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU: return kWindowTrayRightClick;
    default: return 0;
    }
}

bool WindowUnit::SetTrayIcon(HICON icon, const char* tip) {
    if (!hwnd) return false;
    if (!icon) {
        tray_.Remove(hwnd);
        return true;
    }
    return tray_.Show(hwnd, icon, tip);
}

LRESULT WindowUnit::OnTrayMessage(LPARAM mouseMessage) {
    if (uint32_t click = TrayClickOf(static_cast<UINT>(mouseMessage))) Raise(kWindowTrayEvent, {click});
    return 0;
}

}  // namespace imprinta::units
