// The window's title-bar and task-bar icons, made from icon-file data or taken
// from the program. Separate because it owns icon handles and their lifetime.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include "runtime/base/byte_buffer.h"

namespace imprinta::units {

// An icon of about cx x cy from the bytes of an icon file; null when none fits.
HICON IconFromFileData(const uint8_t* data, size_t size, int cx, int cy);

class WindowIcons {
public:
    WindowIcons() = default;
    ~WindowIcons() { Release(); }
    WindowIcons(const WindowIcons&) = delete;
    WindowIcons& operator=(const WindowIcons&) = delete;

    // Makes both sizes from the icon data (the program's icon when it yields
    // neither) and hands them to the window.
    void Make(HWND hwnd, const ByteBuffer& iconData);
    HICON bigIcon() const { return big_; }
    HICON smallIcon() const { return small_; }

private:
    void Release();

    HICON big_ = nullptr, small_ = nullptr;
    bool own_ = false;  // made here, so destroyed here; the program's icons are shared
};

}  // namespace imprinta::units
