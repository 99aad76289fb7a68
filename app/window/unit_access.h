// Reading and writing the main window's units through the Runtime: unit
// properties by (window id, unit id, index) and the combo-box commands.
#pragma once
#include <cstdint>
#include "app/forms/main_window_units.h"
#include "app/platform/runtime_calls.h"
#include "runtime/base/value.h"

namespace app {

constexpr uint32_t kMainWindow = mainwindow::kWindowId;

// A unit argument record: window id, unit id and the unit's type code.
ArgValue ArgUnit(uint32_t unitId, uint32_t typeCode, uint32_t window = kMainWindow);

// Texts returned here are new blocks the caller releases with Free. Units are
// the main window's unless another window is named.
char* EditContent(uint32_t unit, uint32_t window = kMainWindow);
void SetEditContent(uint32_t unit, const char* text, uint32_t window = kMainWindow);
int32_t ComboListIndex(uint32_t unit, uint32_t window = kMainWindow);
void SetComboListIndex(uint32_t unit, int32_t index, uint32_t window = kMainWindow);
uint32_t PickedColour(uint32_t unit, uint32_t window = kMainWindow);
void SetPickedColour(uint32_t unit, uint32_t colour, uint32_t window = kMainWindow);
char* ComboItemText(uint32_t unit, int32_t index);
int32_t ComboItemData(uint32_t unit, int32_t index);
int32_t ComboAddItem(uint32_t unit, const char* text, uint32_t window = kMainWindow);
void ShowPicture(uint32_t pictureBox, const void* byteSet);

// The shell and interface library commands the handlers use.
void ShellOpen(const char* file);          // ShellExecute, operation 4 (open)
void OpenWebPage(const char* address);

// The number an edit box's content starts with (full-width digits too), held
// to int32; 0 when there is none. The settings read the same way, so what is
// drawn is what is saved.
int32_t EditNumber(uint32_t unit, uint32_t window = kMainWindow);

}  // namespace app
