// The main window's size and place on the screens: fitted to the work area
// at start, or where it was last left when that still fits; its units laid
// out for every size and resolution (app/window/window_layout.h).
#pragma once
#include <windows.h>
#include <cstdint>

namespace app {

// The window's normal (restored) rectangle in screen pixels and whether it was
// maximised, as kept in pz.ini. valid is false when nothing usable was kept.
struct WindowPlace {
    int32_t left = 0, top = 0, width = 0, height = 0;
    bool maximised = false;
    bool valid = false;
};

// What the settings load found, used when the layout is attached.
void SetStoredWindowPlace(const WindowPlace& place);
// The place to keep now; invalid before the layout was attached.
WindowPlace CurrentWindowPlace();

// Places the window (before it is first shown), lays out its units and keeps
// them laid out as it is resized, maximised or moved to another resolution.
void AttachWindowLayout(HWND window);

// Whether a kept rectangle may be restored: wholly on one monitor's work area
// and no smaller than the window can be.
bool PlaceFitsScreens(const RECT& r, SIZE minimum);

}  // namespace app
