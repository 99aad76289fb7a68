#include "runtime/core/window_object.h"
#include <unordered_set>

namespace imprinta {


namespace {
std::unordered_set<const void*>& LiveWindowObjects() {
    static std::unordered_set<const void*> live;
    return live;
}
}  // namespace

WindowObject::WindowObject() { LiveWindowObjects().insert(this); }
WindowObject::~WindowObject() { LiveWindowObjects().erase(this); }
bool WindowObject::IsLive(const void* p) { return p && LiveWindowObjects().count(p) != 0; }

void DestroyRegisteredObject(void* object) {
    if (WindowObject::IsLive(object)) {
        auto* w = static_cast<WindowObject*>(object);
        if (w->hwnd && IsWindow(w->hwnd)) DestroyWindow(w->hwnd);
        // A unit has deleted itself with its last message.
        if (WindowObject::IsLive(object)) delete w;
        return;
    }
    HWND window = static_cast<HWND>(object);
    if (IsWindow(window)) {
        DestroyWindow(window);
        return;
    }
    if (GetObjectType(static_cast<HGDIOBJ>(object)) != 0) DeleteObject(static_cast<HGDIOBJ>(object));
}

}  // namespace imprinta
