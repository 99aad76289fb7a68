// The window's notification-area icon. Separate because it owns the shell's
// icon entry, which must be removed before the window goes.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

namespace imprinta::units {

constexpr UINT kTrayCallbackMessage = 0x8064;
constexpr UINT kTrayIconId = 100;
constexpr size_t kTrayTipMax = 62;  // bytes of tip text the shell shows

class WindowTrayIcon {
public:
    // Adds the icon, or modifies the one shown; false when the shell refuses.
    bool Show(HWND hwnd, HICON icon, const char* tip);
    void Remove(HWND hwnd);
    bool shown() const { return shown_; }
    HICON icon() const { return icon_; }

private:
    bool shown_ = false;
    HICON icon_ = nullptr;
};

// The tray event argument (WindowTrayClick) for a mouse message of the
// callback; 0 for messages that fire nothing.
uint32_t TrayClickOf(UINT mouseMessage);

}  // namespace imprinta::units
