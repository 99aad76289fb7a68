// The window unit's event numbers. The loader raises 0, 3 and 4 after it has
// made a window, so they belong to the contract below the units. Plain C++.
#pragma once

namespace imprinta::units {

enum WindowEvent : int {
    kWindowCreated = 0,
    kWindowCanClose = 1,
    kWindowDestroying = 2,
    kWindowMoved = 3,
    kWindowResized = 4,
    kWindowActivated = 5,
    kWindowDeactivated = 6,
    kWindowIdle = 7,
    kWindowFirstActivated = 8,
    kWindowTrayEvent = 9,
    kWindowShown = 10,
    kWindowHidden = 11,
    kWindowCloseRequested = 12,
};

}  // namespace imprinta::units
