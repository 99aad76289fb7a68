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
