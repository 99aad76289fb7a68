// Window creation from a template, re-creation of a unit in place, and the
// bookkeeping when windows and units are destroyed.
#include "runtime/forms/forms_internal.h"
#include "runtime/core/runtime_state.h"


namespace imprinta::forms {

using Unit = UnitObject;

namespace {

constexpr UINT kFirstControlId = 100;
constexpr UINT kControlIdStep = 10;

// Set while a unit's old control is destroyed during re-creation: its 2000
// notification must not clear the record, which already holds the new object.
bool g_replacing = false;

// Events are suppressed while a creation (or re-creation) is under way.
class SuppressEvents {
public:
    SuppressEvents() { InterlockedIncrement(&TheRuntime().eventSuppression); }
    ~SuppressEvents() { End(); }
    void End() {
        if (ended_) return;
        ended_ = true;
        Runtime& rt = TheRuntime();
        if (rt.eventSuppression > 0) InterlockedDecrement(&rt.eventSuppression);
    }

private:
    bool ended_ = false;
};

DWORD CreationStyle(const UnitRecord& r, const TypeDescriptor* type) {
    DWORD style = 0;
    bool createdHidden = type && (type->flags & units::kTypeCreatedHidden);
    if ((r.flags & kUnitDisabled) && !createdHidden) style |= WS_DISABLED;
    if (r.flags & kUnitTabStop) style |= WS_TABSTOP;
    return style;
}

Unit* CreateRecordUnit(const TemplateWindow& w, const UnitRecord& r, HWND parent, UINT controlId, HMENU menu) {
    auto create = units::LookupEntry<units::CreateUnitFn>(RecordType(r), units::kEntryCreateUnit);
    if (!create) return nullptr;
    void* object = create(r.block.empty() ? nullptr : r.block.data(), static_cast<uint32_t>(r.block.size()),
                          CreationStyle(r, RecordType(r)), parent, controlId, menu, r.left, r.top, r.width, r.height,
                          w.id, r.id, nullptr, FALSE);
    return static_cast<Unit*>(object);
}

void RestoreUnitTable(TemplateWindow& w) {
    for (auto& r : w.units) DestroyRecordCursor(r);
    if (w.hasSaved) {
        w.units = std::move(w.saved);
        w.saved.clear();
        w.hasSaved = false;
    } else {
        for (auto& r : w.units) r.object = nullptr;
    }
    w.menuBar = nullptr;  // destroyed with the window
    ReleaseAccelerators(w);
}

// The window unit gives the disabled windows their previous state back when
// it closes or is destroyed; the template only drops its modal mark.
void EndModal(TemplateWindow& w) {
    if (!w.modal) return;
    w.modal = false;
    TheRuntime().modal = false;
}

// The last step of creating a modal window: the other enabled windows of the
// program are disabled (the window unit remembers them) and the units are told.
void BeginModalRun(TemplateWindow& w, Unit* window) {
    HWND wnd = window->hwnd;
    HWND focus = GetFocus();
    w.modal = true;
    TheRuntime().modal = true;
    std::vector<std::pair<HWND, bool>> disabled;
    for (auto& other : Registry().windows) {
        HWND h = LiveWindowHandle(*other);
        if (h && h != wnd && IsWindowEnabled(h)) {
            EnableWindow(h, FALSE);
            disabled.push_back({h, true});
        }
    }
    window->BeginModal(std::move(disabled));
    for (size_t i = w.units.size(); i-- > 0;)
        if (HWND h = LiveControl(w, w.units[i])) SendMessageA(h, units::kMsgModalStarts, 0, 0);
    if (focus && IsWindow(focus)) SetFocus(focus);
}

// Runs the loop in its modal mode until this window's modal run ends. A modal
// window opened from this one clears the program's modal flag when it closes,
// which ends the inner loop only: the flag is raised again for this window. A
// quit message ends the run and stays queued for the main loop.
void RunModalLoop(TemplateWindow& w) {
    Runtime& rt = TheRuntime();
    while (w.modal && LiveWindowHandle(w)) {
        rt.modal = true;
        RunMessageLoopMode(kLoopModal);
        MSG msg;
        if (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) break;
    }
}

int ContainerIndex(const TemplateWindow& w, uint32_t parent) {
    if (parent == 0) return -1;
    int i = FindRecordIndex(w, parent);
    return i > 0 ? i : -1;
}

}  // namespace

void MakeRecordCursor(UnitRecord& r) {
    bool owned = false;
    r.cursor = units::MakeCursorFromPointerData(r.pointerData.data(), r.pointerData.size(), &owned);
    r.ownsCursor = r.cursor && owned;
}

void DestroyRecordCursor(UnitRecord& r) {
    if (r.cursor && r.ownsCursor) DestroyCursor(static_cast<HCURSOR>(r.cursor));
    r.cursor = nullptr;
    r.ownsCursor = false;
}

// Each unit goes right below the nearest earlier record with the same parent,
// so siblings stack in record order with the first on top.
void PlaceInZOrder(TemplateWindow& w, int index) {
    const UnitRecord& r = w.units[static_cast<size_t>(index)];
    HWND h = LiveControl(w, r);
    if (!h) return;
    HWND after = HWND_TOP;
    for (int j = index - 1; j >= 1; --j) {
        const UnitRecord& e = w.units[static_cast<size_t>(j)];
        if (e.menu || e.parent != r.parent) continue;
        if (HWND eh = LiveControl(w, e)) {
            after = eh;
            break;
        }
    }
    SetWindowPos(h, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

namespace {

// A window that exists already is brought forward instead.
void BringForward(HWND h) {
    if (IsIconic(h)) ShowWindow(h, SW_RESTORE);
    else SetActiveWindow(h);
}

// Units from the last record to record 1, menu items skipped. False: one
// failed, and the window was abandoned (destroying it restores the table).
bool CreateUnitControls(TemplateWindow& w, HWND wnd, const WindowMenu& menu) {
    UINT controlId = kFirstControlId;
    for (size_t i = w.units.size(); i-- > 1;) {
        UnitRecord& r = w.units[i];
        if (r.menu) continue;
        Unit* u = CreateRecordUnit(w, r, wnd, controlId, nullptr);
        controlId += kControlIdStep;
        if (!u) {
            if (menu.accelerators) DestroyAcceleratorTable(static_cast<HACCEL>(menu.accelerators));
            DestroyWindow(wnd);
            if (w.hasSaved) RestoreUnitTable(w);
            return false;
        }
        w.units[i].object = u;
    }
    return true;
}

// The children listed after the first separator of a page container.
void CollectHiddenPages(const UnitRecord& r, std::vector<uint32_t>& onHiddenPage) {
    const TypeDescriptor* type = RecordType(r);
    if (!type || !(type->flags & units::kTypePageContainer)) return;
    bool afterSeparator = false;
    for (uint32_t child : r.children) {
        if (child == 0) afterSeparator = true;
        else if (afterSeparator) onHiddenPage.push_back(child);
    }
}

// Moves units into their containers; returns the units on pages other than
// the first of a page container.
std::vector<uint32_t> PlaceInContainers(TemplateWindow& w) {
    std::vector<uint32_t> onHiddenPage;
    for (size_t i = 1; i < w.units.size(); ++i) {
        UnitRecord& r = w.units[i];
        if (r.menu) continue;
        CollectHiddenPages(r, onHiddenPage);
        int container = ContainerIndex(w, r.parent);
        HWND h = LiveControl(w, r);
        HWND into = container > 0 ? LiveControl(w, w.units[static_cast<size_t>(container)]) : nullptr;
        if (h && into) {
            SetParent(h, into);
            SetWindowPos(h, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    return onHiddenPage;
}

// Z-order, cursors, and the messages units wait for once all exist.
void FinishUnits(TemplateWindow& w, HWND wnd) {
    for (size_t i = 1; i < w.units.size(); ++i)
        if (!w.units[i].menu) PlaceInZOrder(w, static_cast<int>(i));
    for (auto& r : w.units)
        if (!r.menu && !r.pointerData.empty()) MakeRecordCursor(r);
    for (size_t i = w.units.size(); i-- > 0;)
        if (HWND h = LiveControl(w, w.units[i])) SendMessageA(h, units::kMsgAllUnitsCreated, 0, 0);
    SendMessageA(wnd, units::kMsgLayoutBars, 0, 0);
}

void ShowUnits(TemplateWindow& w, const std::vector<uint32_t>& onHiddenPage) {
    for (size_t i = 1; i < w.units.size(); ++i) {
        const UnitRecord& r = w.units[i];
        HWND h = LiveControl(w, r);
        if (!h) continue;
        const TypeDescriptor* type = RecordType(r);
        bool hidden = !(r.flags & kUnitVisible) || (type && (type->flags & units::kTypeCreatedHidden));
        for (uint32_t id : onHiddenPage)
            if (id == r.id) hidden = true;
        ShowWindow(h, hidden ? SW_HIDE : SW_SHOWNA);
    }
}

// Shows the window; the focus event is raised once, unless showing raised it
// already (the unit's own WM_SETFOCUS).
void ShowWithFocusEvent(TemplateWindow& w, Unit* window) {
    HWND wnd = window->hwnd;
    const uint32_t windowId = w.id;
    uint32_t focusEvents = FocusEventSerial(windowId);
    ShowWindow(wnd, TheRuntime().runMode != 0 ? window->StartShowCommand() : SW_SHOWNORMAL);
    HWND focus = GetFocus();
    if (!focus || !IsWindow(wnd) || !(focus == wnd || IsChild(wnd, focus))) return;
    if (FocusEventSerial(windowId) != focusEvents) return;
    UnitObject* holder = UnitObject::ForTarget(focus);
    if (!holder) return;
    for (const auto& r : w.units)
        if (r.object == holder) {
            RaiseInternal(windowId, r.id, units::kEventFocusGained);
            return;
        }
}

}  // namespace

bool CreateWindowFromTemplate(TemplateWindow& w, HWND owner, bool modal) {
    if (w.units.empty()) return false;
    if (HWND h = LiveWindowHandle(w)) {
        BringForward(h);
        return true;
    }
    if (owner && !IsWindow(owner)) return false;
    if (modal) owner = nullptr;

    SuppressEvents suppress;
    w.saved = w.units;
    w.hasSaved = true;
    WindowMenu menu = BuildWindowMenu(w);
    UnitRecord& own = w.units[0];
    Unit* window = CreateRecordUnit(w, own, owner, 0, static_cast<HMENU>(menu.bar));
    if (!window || !window->hwnd) {
        DestroyWindowMenu(menu);
        RestoreUnitTable(w);
        return false;
    }
    own.object = window;
    w.menuBar = menu.bar;
    HWND wnd = window->hwnd;
    if (!CreateUnitControls(w, wnd, menu)) return false;
    std::vector<uint32_t> onHiddenPage = PlaceInContainers(w);
    FinishUnits(w, wnd);
    ShowUnits(w, onHiddenPage);
    w.accelerators = menu.accelerators;
    suppress.End();

    const uint32_t windowId = w.id, ownId = own.id;
    for (int event : {units::kWindowCreated, units::kWindowMoved, units::kWindowResized}) {
        if (!IsWindow(wnd)) return true;
        RaiseInternal(windowId, ownId, event);
    }
    if (!IsWindow(wnd) || !w.hasSaved) return true;
    if (w.units[0].flags & kUnitVisible) ShowWithFocusEvent(w, window);
    if (modal && IsWindow(wnd)) {
        BeginModalRun(w, window);
        RunModalLoop(w);
    }
    return true;
}

bool RecreateUnit(TemplateWindow& w, int index) {
    if (index <= 0 || static_cast<size_t>(index) >= w.units.size()) return false;
    UnitRecord* r = &w.units[static_cast<size_t>(index)];
    const TypeDescriptor* type = RecordType(*r);
    if (!type || (type->flags & units::kTypeNeverRecreated)) return false;
    HWND old = LiveControl(w, *r);
    if (!old) return false;
    SuppressEvents suppress;
    HWND focus = GetFocus();
    bool hadFocus = focus && (focus == old || IsChild(old, focus));
    auto create = units::LookupEntry<units::CreateUnitFn>(type, units::kEntryCreateUnit);
    auto save = units::LookupEntry<units::GetAllPropertyDataFn>(type, units::kEntryGetAllPropertyData);
    if (!create || !save) return false;
    uint32_t size = 0;
    HGLOBAL block = save(RecordUnit(*r), &size);
    if (!block) return false;

    RECT rc;
    GetWindowRect(old, &rc);
    HWND parent = GetParent(old);
    if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    DWORD style = (IsWindowEnabled(old) ? 0 : WS_DISABLED) | ((r->flags & kUnitTabStop) ? WS_TABSTOP : 0);
    bool wasVisible = (GetWindowLongA(old, GWL_STYLE) & WS_VISIBLE) != 0;
    UINT controlId = static_cast<UINT>(GetDlgCtrlID(old));
    const void* data = GlobalLock(block);
    void* object = create(data, size, style, parent, controlId, nullptr, rc.left, rc.top, rc.right - rc.left,
                          rc.bottom - rc.top, w.id, r->id, nullptr, FALSE);
    GlobalUnlock(block);
    Unit* fresh = static_cast<Unit*>(object);
    if (!fresh || !fresh->hwnd) {
        // Keep the old control rather than leave the record without one.
        GlobalFree(block);
        return false;
    }
    HWND nh = fresh->hwnd;
    if (type->flags & units::kTypeMovesChildrenOnRecreate) {
        std::vector<HWND> children;
        for (HWND c = GetWindow(old, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
        for (HWND c : children) SetParent(c, nh);
    }
    r->object = fresh;
    PlaceInZOrder(w, index);
    SendMessageA(nh, units::kMsgAllUnitsCreated, 0, 0);
    SendMessageA(nh, units::kMsgModalStarts, 0, 0);
    if ((type->flags & units::kTypeDockedBar) && parent) SendMessageA(parent, units::kMsgLayoutBars, 0, 0);
    if (wasVisible) ShowWindow(nh, SW_SHOWNA);
    g_replacing = true;
    DestroyWindow(old);
    g_replacing = false;
    if (hadFocus) SetFocus(nh);
    else if (focus && IsWindow(focus) && GetFocus() != focus) SetFocus(focus);
    GlobalFree(block);
    return true;
}

void OnDestroyedNotify(uint32_t windowId, uint32_t unitId) {
    if (g_replacing) return;
    TemplateWindow* w = FindTemplate(windowId);
    if (!w || w->units.empty()) return;
    if (unitId == 0 || unitId == w->units[0].id) {
        RestoreUnitTable(*w);
        EndModal(*w);
        imprinta::OnProgramWindowDestroyed();
        return;
    }
    int i = FindRecordIndex(*w, unitId);
    if (i <= 0) return;
    UnitRecord& r = w->units[static_cast<size_t>(i)];
    DestroyRecordCursor(r);
    r.object = nullptr;
}

}  // namespace imprinta::forms
