#include "app/window/unit_access.h"
#include "app/platform/runtime_calls.h"
#include "app/poster/settings_text.h"
#include "runtime/units/unit_types.h"

namespace app {

namespace {
template <typename T>
T* Pointer(uint32_t w) {
    return reinterpret_cast<T*>(static_cast<uintptr_t>(w));
}
ArgValue ComboArg(uint32_t unit, uint32_t window = kMainWindow) {
    return ArgUnit(unit, imprinta::units::kUnitTypeComboBox, window);
}
}  // namespace


ArgValue ArgUnit(uint32_t unitId, uint32_t typeCode, uint32_t window) { return ArgValue{window, unitId, typeCode}; }

char* EditContent(uint32_t unit, uint32_t window) {
    return Pointer<char>(static_cast<uint32_t>(GetProperty(window, unit, mainwindow::kEditContent)));
}

void SetEditContent(uint32_t unit, const char* text, uint32_t window) {
    SetProperty(window, unit, mainwindow::kEditContent, PtrWord(text));
}

int32_t ComboListIndex(uint32_t unit, uint32_t window) {
    return static_cast<int32_t>(GetProperty(window, unit, mainwindow::kComboListIndex));
}

void SetComboListIndex(uint32_t unit, int32_t index, uint32_t window) {
    SetProperty(window, unit, mainwindow::kComboListIndex, static_cast<uint32_t>(index));
}

uint32_t PickedColour(uint32_t unit, uint32_t window) {
    return static_cast<uint32_t>(GetProperty(window, unit, mainwindow::kColourValue));
}

void SetPickedColour(uint32_t unit, uint32_t colour, uint32_t window) {
    SetProperty(window, unit, mainwindow::kColourValue, colour);
}

char* ComboItemText(uint32_t unit, int32_t index) {
    return Pointer<char>(CallCore(kCmdComboBoxItemText, {ComboArg(unit), ArgInt(index)}).low);
}

int32_t ComboItemData(uint32_t unit, int32_t index) {
    return static_cast<int32_t>(CallCore(kCmdComboBoxItemData, {ComboArg(unit), ArgInt(index)}).low);
}

int32_t ComboAddItem(uint32_t unit, const char* text, uint32_t window) {
    return static_cast<int32_t>(CallCore(kCmdComboBoxAddItem, {ComboArg(unit, window), ArgText(text), ArgOmitted()}).low);
}

void ShowPicture(uint32_t pictureBox, const void* byteSet) {
    SetProperty(mainwindow::kWindowId, pictureBox, mainwindow::kPictureBoxPicture, PtrWord(byteSet));
}

void ShellOpen(const char* file) {
    CallLibrary(kLibOperatingSystem, kCmdShellExecute, {ArgInt(kShellOpenFile), ArgText(file), ArgOmitted(), ArgOmitted()});
}

void OpenWebPage(const char* address) {
    CallLibrary(kLibApplicationInterface, kCmdOpenWebPage, {ArgText(address)});
}

int32_t EditNumber(uint32_t unit, uint32_t window) {
    Block text(EditContent(unit, window));
    int64_t n = 0;
    if (!ParseStoredNumber(text.text() ? text.text() : "", &n)) return 0;
    return static_cast<int32_t>(n < INT32_MIN ? INT32_MIN : n > INT32_MAX ? INT32_MAX : n);
}

}  // namespace app
