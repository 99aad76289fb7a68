// Window objects: what libraries and notification 1007 hand out for a window,
// and what every unit is. The core owns them because its exit clean-up
// destroys the ones libraries registered.
#pragma once
#include <windows.h>

namespace imprinta {

// A platform window object: wraps one window handle (also what notification
// 1007 hands out for foreign windows).
class WindowObject {
public:
    WindowObject();
    virtual ~WindowObject();
    WindowObject(const WindowObject&) = delete;
    WindowObject& operator=(const WindowObject&) = delete;
    HWND hwnd = nullptr;

    // Whether p is a window object that exists now (any value may be asked).
    static bool IsLive(const void* p);
};

// Exit clean-up of an object a library registered (notification 2012), by what
// it is: a window object loses its window and is deleted (units delete
// themselves with their window), a window handle is destroyed, a GDI handle
// deleted. Anything else is left alone: its kind cannot be known safely.
void DestroyRegisteredObject(void* object);

}  // namespace imprinta

namespace imprinta::units {
using imprinta::DestroyRegisteredObject;
using imprinta::WindowObject;
}  // namespace imprinta::units
