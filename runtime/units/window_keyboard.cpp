// Keyboard navigation of the window: Tab focus movement, Enter and the
// default button, Esc to close and F1 help.
#include "runtime/base/words.h"
#include "runtime/forms/forms_api.h"
#include "runtime/units/window_unit.h"

namespace imprinta::units {

namespace {

// A default button's click is its event 0.
constexpr int kButtonClickEvent = 0;

void CollectUnits(HWND parent, uint32_t formId, std::vector<Unit*>& out) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        Unit* u = Unit::FromHandle(c);
        if (u && u->formId == formId) out.push_back(u);
        CollectUnits(c, formId, out);
    }
}

uint32_t KeyModifiers() {
    return (GetKeyState(VK_SHIFT) < 0 ? kKeyShift : 0) | (GetKeyState(VK_CONTROL) < 0 ? kKeyCtrl : 0) |
           (GetKeyState(VK_MENU) < 0 ? kKeyAlt : 0);
}

}  // namespace

bool WindowUnit::Eligible(const Unit* u) const {
    if (!u || !u->hwnd || !IsWindowVisible(u->hwnd) || !IsWindowEnabled(u->hwnd)) return false;
    if (!(GetWindowLongA(u->hwnd, GWL_STYLE) & WS_TABSTOP)) return false;
    return !(TypeFlags(u) & (kTypeSkipsTab | kTypeCreatedHidden));
}

std::vector<Unit*> WindowUnit::UnitsInOrder() const {
    std::vector<Unit*> out;
    std::vector<forms::UnitInfo> records;
    Notify(kNotifyUnitsOfWindow, formId, Word(&records));
    for (const forms::UnitInfo& info : records) {
        auto* u = static_cast<Unit*>(info.object);
        if (!info.menu && u && u != this && u->hwnd) out.push_back(u);
    }
    // A window the registry does not know (built straight from its entry
    // points): its child windows in z-order, which the loader makes record order.
    if (out.empty() && hwnd) CollectUnits(hwnd, formId, out);
    return out;
}

bool WindowUnit::MoveFocus(FocusStep step) {
    bool backwards = step == FocusStep::Backward;
    std::vector<Unit*> units = UnitsInOrder();
    int n = static_cast<int>(units.size());
    if (n == 0) return false;
    Unit* current = Unit::ForTarget(GetFocus());
    int start = backwards ? 0 : n - 1;  // from the window itself: first or last unit
    for (int i = 0; i < n; ++i)
        if (units[i] == current) start = i;
    for (int k = 1; k <= n; ++k) {
        int i = backwards ? ((start - k) % n + n) % n : (start + k) % n;
        if (Eligible(units[i])) {
            SetFocus(units[i]->hwnd);
            return true;
        }
    }
    return false;
}

// The first visible, enabled default button in unit order gets its click.
bool WindowUnit::PressDefaultButton() {
    for (Unit* u : UnitsInOrder()) {
        if ((TypeFlags(u) & kTypeDefaultButton) && IsWindowVisible(u->hwnd) && IsWindowEnabled(u->hwnd) &&
            u->IsDefaultButton()) {
            RaiseEvent(formId, u->unitId, kButtonClickEvent);
            return true;
        }
    }
    return false;
}

// Enter the focused unit does not want: the focused default button, else the
// next unit when Enter moves the focus, else the window's default button.
bool WindowUnit::HandleEnterKey(Unit* focused) {
    if (focused && (TypeFlags(focused) & kTypeDefaultButton) && focused->IsDefaultButton()) {
        RaiseEvent(formId, focused->unitId, kButtonClickEvent);
        return true;
    }
    if (props_.enterMovesFocus) {
        MoveFocus(FocusStep::Forward);
        return true;
    }
    return PressDefaultButton();
}

// Whether a WM_KEYDOWN of vk was handled. A key the focused unit wants is
// left to it; each test asks the unit only when the key would be taken.
bool WindowUnit::HandleNavigationKey(UINT vk) {
    uint32_t mods = KeyModifiers();
    uint32_t code = vk | mods;
    Unit* focused = Unit::ForTarget(GetFocus());
    if (focused && (focused == this || focused->formId != formId)) focused = nullptr;
    auto wanted = [&] { return focused && focused->WantsKey(code); };
    if (vk == VK_TAB && (mods & ~kKeyShift) == 0 && !wanted()) {
        MoveFocus((mods & kKeyShift) ? FocusStep::Backward : FocusStep::Forward);
        return true;
    }
    if (vk == VK_RETURN && mods == 0 && !wanted() && HandleEnterKey(focused)) return true;
    if (vk == VK_ESCAPE && mods == 0 && props_.escCloses && !wanted()) {
        SendMessageA(hwnd, WM_CLOSE, 0, 0);  // may destroy this object
        return true;
    }
    return vk == VK_F1 && mods == 0 && props_.f1Help && !wanted() && OpenHelp();
}

}  // namespace imprinta::units
