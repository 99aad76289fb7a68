// Window registry: templates read at start-up, unit properties by id, and the
// notifications that concern windows and units.
#include <algorithm>
#include "runtime/base/words.h"
#include <cstring>
#include "runtime/forms/forms_internal.h"
#include "runtime/core/blocks.h"
#include "runtime/core/runtime_state.h"

namespace imprinta::forms {

using Unit = UnitObject;

WindowRegistry& Registry() {
    static WindowRegistry registry;
    return registry;
}

TemplateWindow* FindTemplate(uint32_t windowId) {
    for (auto& w : Registry().windows)
        if (w->id == windowId) return w.get();
    return nullptr;
}

int FindRecordIndex(const TemplateWindow& w, uint32_t unitId) {
    if (w.units.empty()) return -1;
    if (unitId == 0) return 0;
    for (size_t i = 0; i < w.units.size(); ++i)
        if (w.units[i].id == unitId) return static_cast<int>(i);
    return -1;
}

UnitPlace FindUnit(uint32_t windowId, uint32_t unitId) {
    TemplateWindow* w = FindTemplate(windowId);
    if (!w) return {};
    int i = FindRecordIndex(*w, unitId);
    if (i < 0) return {w, nullptr, -1};
    return {w, &w->units[static_cast<size_t>(i)], i};
}

UnitPlace RequireUnitPlace(uint32_t windowId, uint32_t unitId, const MissingUnitErrors& errors) {
    UnitPlace at = FindUnit(windowId, unitId);
    if (!at.window) ReportError(errors.window, kErrorNoCode);
    if (!at.record) ReportError(errors.unit, kErrorNoCode);
    return at;
}

UnitObject* LiveUnit(const UnitPlace& at) {
    return at && LiveControl(*at.window, *at.record) ? RecordUnit(*at.record) : nullptr;
}

Unit* RecordUnit(const UnitRecord& r) { return static_cast<Unit*>(r.object); }

HWND LiveWindowHandle(const TemplateWindow& w) {
    if (w.units.empty()) return nullptr;
    Unit* u = RecordUnit(w.units[0]);
    return u && u->hwnd && IsWindow(u->hwnd) ? u->hwnd : nullptr;
}

HWND LiveControl(const TemplateWindow& w, const UnitRecord& r) {
    if (!LiveWindowHandle(w)) return nullptr;
    Unit* u = RecordUnit(r);
    return u && u->hwnd && IsWindow(u->hwnd) ? u->hwnd : nullptr;
}

const TypeDescriptor* RecordType(const UnitRecord& r) { return TypeDescriptorFor(r.type); }

bool ReadTemplateCollection(const uint8_t* data, uint32_t size, uintptr_t codeBase, const char** reason) {
    std::vector<TemplateWindow> windows;
    TemplateError error = ParseTemplates(data, size, windows);
    if (reason) *reason = TemplateErrorText(error);
    if (error != TemplateError::None) return false;
    ResolveHandlers(windows, codeBase);
    for (auto& w : windows) Registry().windows.push_back(std::make_unique<TemplateWindow>(std::move(w)));
    return true;
}

bool CreateRegisteredWindow(uint32_t windowId, HWND owner, bool modal) {
    TemplateWindow* w = FindTemplate(windowId);
    return w && CreateWindowFromTemplate(*w, owner, modal);
}

bool AnyWindowAlive() {
    for (auto& w : Registry().windows)
        if (LiveWindowHandle(*w)) return true;
    return false;
}

void DestroyAllWindows() {
    for (auto& w : Registry().windows)
        if (HWND h = LiveWindowHandle(*w)) DestroyWindow(h);
}

HCURSOR UnitCursor(uint32_t windowId, uint32_t unitId) {
    UnitPlace at = FindUnit(windowId, unitId);
    return at ? static_cast<HCURSOR>(at.record->cursor) : nullptr;
}

std::vector<UnitInfo> UnitsOfWindow(uint32_t windowId) {
    std::vector<UnitInfo> list;
    if (TemplateWindow* w = FindTemplate(windowId))
        for (const auto& r : w->units)
            list.push_back({r.id, r.type, RecordUnit(r), r.flags, r.tabOrder, r.parent, r.menu});
    return list;
}

// ---------------------------------------------------------------------------
// Properties.

namespace {

constexpr int32_t kPositionLimit = 32627;


UnitPlace Locate(uint32_t windowId, uint32_t unitId) { return RequireUnitPlace(windowId, unitId, kMissingForAccess); }

uint64_t Answer(uint32_t low, uint32_t high = 0) { return uint64_t(high) << 32 | low; }
int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

// The control's rectangle in its parent's client coordinates (screen
// coordinates for a window that is not a child).
RECT ControlRect(HWND h) {
    RECT rc;
    GetWindowRect(h, &rc);
    if (GetWindowLongA(h, GWL_STYLE) & WS_CHILD) {
        if (HWND parent = GetParent(h)) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    }
    return rc;
}

uint64_t GetMenuProperty(const UnitRecord& r, int property) {
    switch (property) {
    case 0: return Answer(Word(CopyText(r.caption.c_str())));
    case 1: return (r.menuFlags & kMenuChecked) ? 1 : 0;
    case 2: return (r.menuFlags & kMenuDisabled) ? 1 : 0;
    case 3: return (r.menuFlags & kMenuHidden) ? 0 : 1;
    default: return 0;
    }
}

void SetMenuProperty(TemplateWindow& w, UnitRecord& r, int property, uint32_t low) {
    uint32_t before = r.menuFlags;
    switch (property) {
    case 0: {
        const char* text = reinterpret_cast<const char*>(static_cast<uintptr_t>(low));
        r.caption = text ? text : "";
        RebuildMenuBar(w);
        return;
    }
    case 1: r.menuFlags = low ? (r.menuFlags | kMenuChecked) : (r.menuFlags & ~kMenuChecked); break;
    case 2: r.menuFlags = low ? (r.menuFlags | kMenuDisabled) : (r.menuFlags & ~kMenuDisabled); break;
    case 3: r.menuFlags = low ? (r.menuFlags & ~kMenuHidden) : (r.menuFlags | kMenuHidden); break;
    default: return;
    }
    if (r.menuFlags != before) RebuildMenuBar(w);
}

// Pointer data with its first word turned into a cursor code (read) or a system
// cursor identifier (write).
std::vector<uint8_t> TranslatePointer(const uint8_t* data, size_t size, bool toCode) {
    std::vector<uint8_t> out(data, data + size);
    if (size >= 4) {
        uint32_t first;
        memcpy(&first, out.data(), 4);
        first = toCode ? units::SystemIdToCursorCode(first) : units::CursorCodeToSystemId(first);
        memcpy(out.data(), &first, 4);
    }
    return out;
}

const PropertyDescriptor* OwnPropertyDescriptor(const UnitRecord& r, int property) {
    const TypeDescriptor* type = RecordType(r);
    if (!type || !type->properties || property < 0 || static_cast<uint32_t>(property) >= type->propertyCount)
        return nullptr;
    return &type->properties[property];
}

bool IsDataKind(int kind) {
    return (kind >= units::kPropPicture && kind <= units::kPropFont) || kind == units::kPropImageList ||
           kind == units::kPropCustomData;
}
bool IsTextKind(int kind) {
    return kind == units::kPropText || kind == units::kPropFileName || kind == units::kPropDataSource ||
           kind == units::kPropDataColumn;
}
bool IsEightByteKind(int kind) { return kind == units::kPropDouble || kind == units::kPropDateTime; }

Unit* RequireUnit(const UnitPlace& at) {
    Unit* u = LiveControl(*at.window, *at.record) ? RecordUnit(*at.record) : nullptr;
    if (!u) ReportError("指定窗口尚未载入", kErrorNoCode);
    return u;
}

uint64_t GetOwnProperty(const UnitPlace& at, int property) {
    Unit* u = RequireUnit(at);
    const PropertyDescriptor* d = OwnPropertyDescriptor(*at.record, property);
    auto get = units::LookupEntry<units::GetPropertyFn>(RecordType(*at.record), units::kEntryGetProperty);
    units::PropertyValue v = {};
    if (!d || !get || !get(u, property - units::kFirstOwnProperty, &v)) return 0;
    int kind = d->type;
    if (IsTextKind(kind)) return Answer(Word(CopyText(v.text)));
    if (kind == units::kPropFont) {
        if (v.data.count == units::kFontRecordSize && v.data.bytes)
            return Answer(Word(MakeByteSet(v.data.bytes, v.data.count)));
        uint8_t record[units::kFontRecordSize];
        units::DefaultFontRecord(record);
        return Answer(Word(MakeByteSet(record, sizeof record)));
    }
    if (IsDataKind(kind)) return Answer(Word(v.data.bytes ? MakeByteSet(v.data.bytes, v.data.count) : nullptr));
    if (kind == units::kPropLogical) return v.words.low == 1 ? 1 : 0;
    if (IsEightByteKind(kind)) return Answer(v.words.low, v.words.high);
    return Answer(v.words.low);
}

void SetOwnProperty(const UnitPlace& at, int property, uint32_t low, uint32_t high) {
    Unit* u = RequireUnit(at);
    const PropertyDescriptor* d = OwnPropertyDescriptor(*at.record, property);
    auto set = units::LookupEntry<units::SetPropertyFn>(RecordType(*at.record), units::kEntrySetProperty);
    if (!d || !set) return;
    int kind = d->type;
    units::PropertyValue v = {};
    if (IsTextKind(kind)) {
        const char* text = reinterpret_cast<const char*>(static_cast<uintptr_t>(low));
        v.text = text ? text : "";
    } else if (IsDataKind(kind)) {
        const void* block = reinterpret_cast<const void*>(static_cast<uintptr_t>(low));
        v.data.bytes = block ? ByteSetData(block) : nullptr;
        v.data.count = ByteSetLength(block);
    } else if (kind == units::kPropLogical) {
        v.logical = low != 0 ? 1 : 0;
    } else if (IsEightByteKind(kind)) {
        v.words.low = low;
        v.words.high = high;
    } else {
        v.words.low = low;
    }
    char* tip = nullptr;
    if (set(u, property - units::kFirstOwnProperty, &v, &tip)) RecreateUnit(*at.window, at.index);
}

}  // namespace

namespace {

using units::CommonProperty;

uint64_t GetCommonProperty(const UnitRecord& r, HWND live, CommonProperty property) {
    switch (property) {
    case CommonProperty::Left:
    case CommonProperty::Top: {
        bool left = property == CommonProperty::Left;
        if (!live) return static_cast<uint32_t>(left ? r.left : r.top);
        RECT rc = ControlRect(live);
        return static_cast<uint32_t>(left ? rc.left : rc.top);
    }
    case CommonProperty::Width:
    case CommonProperty::Height: {
        bool width = property == CommonProperty::Width;
        if (!live) return static_cast<uint32_t>(width ? r.width : r.height);
        RECT rc;
        GetWindowRect(live, &rc);
        return static_cast<uint32_t>(width ? rc.right - rc.left : rc.bottom - rc.top);
    }
    case CommonProperty::Tag: return Answer(Word(CopyText(r.tag.c_str())));
    case CommonProperty::Visible:
        if (live) return (GetWindowLongA(live, GWL_STYLE) & WS_VISIBLE) ? 1 : 0;
        return (r.flags & kUnitVisible) ? 1 : 0;
    case CommonProperty::Disabled:
        if (live) return IsWindowEnabled(live) ? 0 : 1;
        return (r.flags & kUnitDisabled) ? 1 : 0;
    case CommonProperty::Pointer: {
        auto bytes = TranslatePointer(r.pointerData.data(), r.pointerData.size(), true);
        return Answer(Word(MakeByteSet(bytes.data(), static_cast<uint32_t>(bytes.size()))));
    }
    default: return 0;
    }
}

void SetPosition(UnitRecord& r, HWND live, bool left, int32_t v) {
    v = Clamp(v, -kPositionLimit, kPositionLimit);
    (left ? r.left : r.top) = v;
    if (!live) return;
    RECT rc = ControlRect(live);
    int x = left ? v : rc.left, y = left ? rc.top : v;
    SetWindowPos(live, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(live, nullptr, TRUE);
}

void SetSize(UnitRecord& r, HWND live, bool width, int32_t v) {
    v = Clamp(v, 0, kPositionLimit);
    (width ? r.width : r.height) = v;
    if (!live) return;
    RECT rc;
    GetWindowRect(live, &rc);
    int cx = width ? v : rc.right - rc.left, cy = width ? rc.bottom - rc.top : v;
    SetWindowPos(live, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// New pointer data: a new cursor, shown at once when the pointer is over the unit.
void SetPointer(UnitRecord& r, HWND live, const void* block) {
    r.pointerData = TranslatePointer(ByteSetData(block), ByteSetLength(block), false);
    void* previous = r.cursor;
    bool ownedPrevious = r.ownsCursor;
    r.cursor = nullptr;
    MakeRecordCursor(r);
    if (previous && ownedPrevious) DestroyCursor(static_cast<HCURSOR>(previous));
    if (live) {
        POINT p;
        GetCursorPos(&p);
        SetCursorPos(p.x, p.y);
    }
}

void SetCommonProperty(const UnitPlace& at, CommonProperty property, uint32_t low) {
    UnitRecord& r = *at.record;
    HWND live = LiveControl(*at.window, r);
    int32_t v = static_cast<int32_t>(low);
    switch (property) {
    case CommonProperty::Left:
    case CommonProperty::Top: SetPosition(r, live, property == CommonProperty::Left, v); return;
    case CommonProperty::Width:
    case CommonProperty::Height: SetSize(r, live, property == CommonProperty::Width, v); return;
    case CommonProperty::Tag: {
        const char* text = reinterpret_cast<const char*>(static_cast<uintptr_t>(low));
        r.tag = text ? text : "";
        return;
    }
    case CommonProperty::Visible:
        r.flags = low ? (r.flags | kUnitVisible) : (r.flags & ~kUnitVisible);
        if (live) ShowWindow(live, low ? (at.index == 0 ? SW_SHOW : SW_SHOWNA) : SW_HIDE);
        return;
    case CommonProperty::Disabled:
        r.flags = low ? (r.flags | kUnitDisabled) : (r.flags & ~kUnitDisabled);
        if (live) EnableWindow(live, low ? FALSE : TRUE);
        return;
    case CommonProperty::Pointer: SetPointer(r, live, reinterpret_cast<const void*>(static_cast<uintptr_t>(low))); return;
    default: return;
    }
}

}  // namespace

uint64_t GetProperty(uint32_t windowId, uint32_t unitId, int property) {
    UnitPlace at = Locate(windowId, unitId);
    const UnitRecord& r = *at.record;
    if (r.menu) return GetMenuProperty(r, property);
    if (property >= units::kFirstOwnProperty) return GetOwnProperty(at, property);
    return GetCommonProperty(r, LiveControl(*at.window, r), static_cast<CommonProperty>(property));
}

void SetProperty(uint32_t windowId, uint32_t unitId, int property, uint32_t low, uint32_t high) {
    UnitPlace at = Locate(windowId, unitId);
    if (at.record->menu) SetMenuProperty(*at.window, *at.record, property, low);
    else if (property >= units::kFirstOwnProperty) SetOwnProperty(at, property, low, high);
    else SetCommonProperty(at, static_cast<CommonProperty>(property), low);
}

// ---------------------------------------------------------------------------
// Notifications.

namespace {


Unit* LiveUnitObject(uint32_t windowId, uint32_t unitId) { return LiveUnit(FindUnit(windowId, unitId)); }

bool IsLiveUnitWindow(HWND h) {
    Unit* u = UnitObject::FromHandle(h);
    return u && LiveUnitObject(u->formId, u->unitId) == u;
}

// Notification 2005: {window id, owner window object or 0, modal flag}.
int64_t LoadWindow(const uint32_t* request) {
    if (!request) return -1;
    TemplateWindow* w = FindTemplate(request[0]);
    if (!w) return -1;
    auto* owner = static_cast<units::WindowObject*>(Ptr(request[1]));
    return CreateWindowFromTemplate(*w, owner ? owner->hwnd : nullptr, request[2] != 0) ? 0 : -1;
}

}  // namespace

bool HandleNotify(int code, uint32_t a1, uint32_t a2, uint32_t, int64_t* answer) {
    Runtime& rt = TheRuntime();
    int64_t result = 0;
    switch (code) {
    case kNotifyWindowRegistry: result = Word(&Registry()); break;
    case kNotifyUnitCursor: result = Word(UnitCursor(a1, a2)); break;
    case kNotifyMenuCommand: result = RaiseMenuCommand(a1, a2) ? 1 : 0; break;
    case kNotifyUnitsOfWindow: *Ptr<std::vector<UnitInfo>>(a2) = UnitsOfWindow(a1); break;
    case kNotifyWrapWindow: {
        auto* object = new units::WindowObject();
        object->hwnd = static_cast<HWND>(Ptr(a1));
        result = Word(object);
        break;
    }
    case kNotifyDeleteWindowObject: delete static_cast<units::WindowObject*>(Ptr(a1)); break;
    case kNotifyDetachWindowObject:
        if (a1) static_cast<units::WindowObject*>(Ptr(a1))->hwnd = nullptr;
        break;
    case kNotifyWindowObjectHandle: result = a1 ? Word(static_cast<units::WindowObject*>(Ptr(a1))->hwnd) : 0; break;
    case kNotifyIsUnitWindow: result = IsLiveUnitWindow(static_cast<HWND>(Ptr(a1))) ? 1 : 0; break;
    case kNotifyDestroyed: OnDestroyedNotify(a1, a2); break;
    case kNotifyLoadWindow: result = LoadWindow(static_cast<const uint32_t*>(Ptr(a1))); break;
    case kNotifyUnitObject: result = Word(LiveUnitObject(a1, a2)); break;
    case kNotifyUnitObjectRequired: {
        Unit* u = LiveUnitObject(a1, a2);
        if (!u) ReportError(kMissingForAccess.unit, kErrorNoCode);
        result = Word(u);
        break;
    }
    case kNotifyRaiseEvent: result = RaiseWordEvent(static_cast<units::EventRecord*>(Ptr(a1))); break;
    case kNotifyRaiseTypedEvent: result = RaiseTypedEvent(static_cast<units::TypedEventRecord*>(Ptr(a1))); break;
    case kNotifyEventSource: {
        auto* words = static_cast<uint32_t*>(Ptr(a1));
        if (!rt.eventRunning || !words) {
            result = 0;
            break;
        }
        words[0] = rt.eventSourceWindow;
        words[1] = rt.eventSourceUnit;
        result = 1;
        break;
    }
    case kNotifyUnitType: {
        UnitPlace at = FindUnit(a1, a2);
        result = at ? at.record->type : 0;
        break;
    }
    case kNotifyWindowCount: result = static_cast<int64_t>(Registry().windows.size()); break;
    case kNotifyNthWindowHandle: {
        auto& list = Registry().windows;
        result = a1 < list.size() ? Word(LiveWindowHandle(*list[a1])) : 0;
        break;
    }
    default: return false;
    }
    *answer = result;
    return true;
}

// ---------------------------------------------------------------------------
// Idle events and pre-translation.

bool RaiseIdleEvents(DWORD elapsedMs, std::vector<HWND>& done) {
    bool more = false;
    // Handlers may load windows: iterate by position over a snapshot of ids.
    std::vector<uint32_t> ids;
    for (auto& w : Registry().windows) ids.push_back(w->id);
    for (uint32_t id : ids) {
        TemplateWindow* w = FindTemplate(id);
        HWND h = w ? LiveWindowHandle(*w) : nullptr;
        if (!h || std::find(done.begin(), done.end(), h) != done.end()) continue;
        units::EventAnswer a = RaiseInternal(id, 0, 7, {static_cast<uint32_t>(elapsedMs)});
        if (a.hasResult && static_cast<uint32_t>(a.value) != 0) more = true;
        else done.push_back(h);
    }
    return more;
}

bool PreTranslate(MSG& msg) {
    if (!msg.hwnd) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    Unit* u = UnitObject::FromHandle(root);
    if (!u) return false;
    TemplateWindow* w = FindTemplate(u->formId);
    if (!w || w->units.empty() || RecordUnit(w->units[0]) != u) return false;
    if (TranslateMenuKey(*w, root, msg)) return true;
    return u->PreTranslateMessage(msg);
}

}  // namespace imprinta::forms
