// Internals shared by the window registry, the loader and event dispatch.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <vector>
#include "runtime/forms/forms_api.h"
#include "runtime/base/template_format.h"
#include "runtime/forms/unit_contract.h"
#include "runtime/forms/unit_object.h"

namespace imprinta::forms {

struct WindowRegistry {
    std::vector<std::unique_ptr<TemplateWindow>> windows;  // in index order
};

WindowRegistry& Registry();
TemplateWindow* FindTemplate(uint32_t windowId);
// Record index of a unit id (0 = record 0), or -1.
int FindRecordIndex(const TemplateWindow& w, uint32_t unitId);

// A unit's place: its window's template, its record and the record's index.
// Empty (window or record null) when either id names nothing.
struct UnitPlace {
    TemplateWindow* window = nullptr;
    UnitRecord* record = nullptr;
    int index = -1;
    explicit operator bool() const { return record != nullptr; }
};
// The one resolver of (window id, unit id); unit id 0 is the window itself.
UnitPlace FindUnit(uint32_t windowId, uint32_t unitId);
// The run-time errors a caller reports when a lookup fails.
struct MissingUnitErrors {
    const char* window;
    const char* unit;
};
// Properties and the unit-object notification.
inline constexpr MissingUnitErrors kMissingForAccess = {"未载入欲访问窗口组件所在的窗口",
                                                        "指定窗口或窗口组件不存在或尚未载入"};
// Events.
inline constexpr MissingUnitErrors kMissingForEvent = {"未找到引发事件的窗口", "未找到引发事件的窗口组件"};
// As FindUnit; a failed lookup is a run-time error with the caller's texts.
UnitPlace RequireUnitPlace(uint32_t windowId, uint32_t unitId, const MissingUnitErrors& errors);
// The unit object of a place whose window exists, or null.
UnitObject* LiveUnit(const UnitPlace& at);
UnitObject* RecordUnit(const UnitRecord& r);
// The live window handle of a template, or null.
HWND LiveWindowHandle(const TemplateWindow& w);
// The record's live control, or null (also null while its window does not exist).
HWND LiveControl(const TemplateWindow& w, const UnitRecord& r);
const TypeDescriptor* RecordType(const UnitRecord& r);

// Loader.
bool CreateWindowFromTemplate(TemplateWindow& w, HWND owner, bool modal);
bool RecreateUnit(TemplateWindow& w, int index);
void OnDestroyedNotify(uint32_t windowId, uint32_t unitId);
void MakeRecordCursor(UnitRecord& r);
void DestroyRecordCursor(UnitRecord& r);
void PlaceInZOrder(TemplateWindow& w, int index);

// Menus (window_menu.cpp). The bar and the accelerator table of a window's
// menu records; both null when it has none.
struct WindowMenu {
    void* bar = nullptr;
    void* accelerators = nullptr;
};
WindowMenu BuildWindowMenu(const TemplateWindow& w);
void DestroyWindowMenu(WindowMenu& m);
void ReleaseAccelerators(TemplateWindow& w);
// After a menu item property changed: a new bar and table for the live window.
void RebuildMenuBar(TemplateWindow& w);
// The installed accelerators of the window applied to a queued key message.
bool TranslateMenuKey(TemplateWindow& w, HWND window, MSG& msg);

// Events.
uintptr_t FindHandler(uint32_t windowId, uint32_t unitId, int event);
int64_t RaiseWordEvent(units::EventRecord* rec);
int64_t RaiseTypedEvent(units::TypedEventRecord* rec);
// Counts focus-gained events that reached dispatch, by window: the loader
// raises one after showing a window only when showing it raised none.
uint32_t FocusEventSerial(uint32_t windowId);

// Raises a word event with the given arguments; the answer as units see it.
units::EventAnswer RaiseInternal(uint32_t windowId, uint32_t unitId, int event,
                                 std::initializer_list<uint32_t> args = {});

}  // namespace imprinta::forms

// Calls an application handler: pushes count words (last first), then slot.
extern "C" void ImprintaCallHandler(uintptr_t handler, EventResultSlot* slot, const uint32_t* words,
                                    uint32_t count);
