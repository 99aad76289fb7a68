// Closing, destruction, activation and modal runs of the window: the steps
// where event handlers may destroy the window under the caller's feet.
#include <algorithm>
#include "runtime/units/window_unit.h"

namespace imprinta::units {

namespace {

// Activation events are never nested: one flag for the whole program.
bool g_activationEventRunning = false;

std::vector<WindowUnit*>& ModalWindows() {
    static std::vector<WindowUnit*> list;
    return list;
}

}  // namespace

void WindowUnit::BeginModal(std::vector<std::pair<HWND, bool>> disabled) {
    disabled_ = std::move(disabled);
    if (!modal_) ModalWindows().push_back(this);
    modal_ = true;
}

void WindowUnit::EndModal() {
    for (auto& [h, wasEnabled] : disabled_)
        if (IsWindow(h)) EnableWindow(h, wasEnabled);
    disabled_.clear();
    if (modal_) {
        auto& list = ModalWindows();
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    modal_ = false;
}

void WindowUnit::Close() {
    HWND h = hwnd;
    EventAnswer a = Raise(kWindowCloseRequested);
    if (Unit::FromHandle(h) != this) return;  // the handler destroyed the window
    if (!designMode && !a.Logical(true)) return;
    a = Raise(kWindowCanClose);
    if (Unit::FromHandle(h) != this) return;
    if (!designMode && !a.Logical(true)) return;
    EndModal();
    DestroyWindow(h);
}

void WindowUnit::OnDestroy() {
    StopMusic();
    // Units of this program have no data sources to release.
    Raise(kWindowDestroying);
    CloseHelp();
    if (!(GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) {
        if (HMENU menu = GetMenu(hwnd)) {
            SetMenu(hwnd, nullptr);
            DestroyMenu(menu);
        }
    }
    SetTrayIcon(nullptr, nullptr);
    EndModal();
}

// A disabled window of a program that runs a modal window: the modal window
// takes the activation.
bool WindowUnit::PassActivationToModal() {
    for (WindowUnit* m : ModalWindows()) {
        if (m != this && m->hwnd && IsWindowVisible(m->hwnd) && IsWindowEnabled(m->hwnd) &&
            !GetWindow(m->hwnd, GW_OWNER)) {
            SetActiveWindow(m->hwnd);
            return true;
        }
    }
    return false;
}

void WindowUnit::OnActivate(bool active, bool minimized) {
    HWND h = hwnd;
    if (active && !IsWindowEnabled(h) && PassActivationToModal()) return;
    UpdateWindow(h);
    if (!active) {
        HWND focus = GetFocus();
        if (focus && IsChild(h, focus)) lastFocus_ = focus;
    } else if (!minimized && lastFocus_ && IsWindow(lastFocus_) && IsChild(h, lastFocus_)) {
        SetFocus(lastFocus_);
    }
    if (active && !firstActivated_) {
        firstActivated_ = true;
        Raise(kWindowFirstActivated);
        if (Unit::FromHandle(h) != this) return;
    }
    if (g_activationEventRunning) return;
    g_activationEventRunning = true;
    Raise(active ? kWindowActivated : kWindowDeactivated);
    g_activationEventRunning = false;
}

}  // namespace imprinta::units
