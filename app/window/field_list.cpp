// The fields list and its buttons. The list is a plain drop-down list filled
// by its window messages: its entries are the fields' names, rewritten only
// when they change, so a keystroke's refresh costs one comparison.
#include "app/window/field_list.h"
#include <windows.h>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>
#include "app/platform/failure_report.h"
#include "app/window/handlers.h"
#include "app/window/unit_access.h"
#include "app/window/window_poster.h"
#include "runtime/forms/unit_object.h"

namespace app {

namespace {

std::vector<std::string> g_listed;  // the names the list shows now

HWND ListHandle() {
    auto* object = reinterpret_cast<imprinta::forms::UnitObject*>(
        static_cast<uintptr_t>(RuntimeNotify(kNotifyUnitObject, kMainWindow, mainwindow::kFieldList, 0)));
    return object ? object->hwnd : nullptr;
}

std::vector<std::string> FieldNames() {
    std::vector<std::string> names = {kTitleFieldName, kBodyFieldName};
    for (const PosterField& f : ExtraFields()) names.push_back(f.name);
    return names;
}

// The added field the list has chosen, as an index into ExtraFields(), or -1.
int SelectedExtra() {
    const size_t chosen = SelectedField();
    return chosen >= kStandardFieldCount && chosen - kStandardFieldCount < ExtraFields().size()
               ? static_cast<int>(chosen - kStandardFieldCount)
               : -1;
}

// Swaps the chosen added field with its neighbour `step` places on, when it has one.
void MoveSelected(int step) {
    const int from = SelectedExtra();
    const int to = from + step;
    std::vector<PosterField>& fields = ExtraFields();
    if (from < 0 || to < 0 || to >= static_cast<int>(fields.size())) return;
    std::swap(fields[size_t(from)], fields[size_t(to)]);
    SyncFieldList();
    SelectField(kStandardFieldCount + size_t(to));
    RefreshPreview(nullptr);
}

}  // namespace

void SyncFieldList() {
    std::vector<std::string> names = FieldNames();
    HWND list = ListHandle();
    if (!list || names == g_listed) return;
    const size_t chosen = SelectedField();
    const std::string chosenName = chosen < g_listed.size() ? g_listed[chosen] : std::string();
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    size_t again = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[i].c_str()));
        if (names[i] == chosenName) again = i;
    }
    g_listed = std::move(names);
    SelectField(again);
}

size_t SelectedField() {
    HWND list = ListHandle();
    const LRESULT chosen = list ? SendMessageA(list, CB_GETCURSEL, 0, 0) : CB_ERR;
    return chosen == CB_ERR ? 0 : static_cast<size_t>(chosen);
}

void SelectField(size_t index) {
    if (HWND list = ListHandle()) SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

const char* RefusalToAdd(FieldKind kind) {
    const std::vector<PosterField>& fields = ExtraFields();
    if (fields.size() >= kMaxExtraFields) return "字段已达上限, 请先删除不用的字段";
    size_t texts = kStandardFieldCount;
    for (const PosterField& f : fields) texts += f.kind == FieldKind::Text;
    if (kind == FieldKind::Text && texts >= kMaxTextFields) return "文字字段已达上限, 请先删除不用的文字字段";
    return nullptr;
}

}  // namespace app

using namespace app;

extern "C" void IMPRINTA_CDECL RemoveField(EventResultSlot*) {
    const int chosen = SelectedExtra();
    if (chosen < 0) return ShowNote("标题和文案不能删除");
    ExtraFields().erase(ExtraFields().begin() + chosen);
    SyncFieldList();
    // The field that took its place, else the one before it.
    const size_t left = ExtraFields().size();
    SelectField(left == 0 ? size_t(kBodyField) : kStandardFieldCount + std::min(size_t(chosen), left - 1));
    RefreshPreview(nullptr);
}

extern "C" void IMPRINTA_CDECL MoveFieldUp(EventResultSlot*) { MoveSelected(-1); }
extern "C" void IMPRINTA_CDECL MoveFieldDown(EventResultSlot*) { MoveSelected(1); }
