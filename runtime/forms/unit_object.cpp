#include "runtime/forms/unit_object.h"
#include <unordered_map>

namespace imprinta::forms {

namespace {
// Window handle -> unit whose control it is.
std::unordered_map<HWND, UnitObject*>& UnitMap() {
    static std::unordered_map<HWND, UnitObject*> map;
    return map;
}
}  // namespace

bool UnitObject::PreTranslateMessage(MSG&) { return false; }
int UnitObject::StartShowCommand() { return SW_SHOWNORMAL; }
void UnitObject::BeginModal(std::vector<std::pair<HWND, bool>>) {}

UnitObject* UnitObject::FromHandle(HWND h) {
    if (!h) return nullptr;
    auto& map = UnitMap();
    auto it = map.find(h);
    return it == map.end() ? nullptr : it->second;
}

UnitObject* UnitObject::ForTarget(HWND target) {
    for (HWND h = target; h; h = GetParent(h)) {
        if (UnitObject* u = FromHandle(h)) return u;
        if (!(GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) break;
    }
    return nullptr;
}

void UnitObject::Register(HWND h) {
    hwnd = h;
    UnitMap()[h] = this;
}

void UnitObject::Unregister() {
    if (!hwnd) return;
    auto& map = UnitMap();
    auto it = map.find(hwnd);
    if (it != map.end() && it->second == this) map.erase(it);
    hwnd = nullptr;
}

}  // namespace imprinta::forms
