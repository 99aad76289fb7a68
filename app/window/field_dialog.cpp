// The field dialogs: one form per kind of field, each a column of rows
// (app/forms/field_dialog_units.h). A row's value unit is read into the field
// and written from it through the accessors below, which follow the rows'
// order; a typed number out of its range is used at the nearest end and named.
#include "app/window/field_dialog.h"
#include <windows.h>
#include <commdlg.h>
#include <cstdio>
#include <string>
#include <vector>
#include "app/forms/field_dialog_units.h"
#include "app/poster/text_limits.h"
#include "app/render/fonts.h"
#include "app/poster/field_settings.h"
#include "app/platform/failure_report.h"
#include "app/render/qr_code.h"
#include "app/window/field_list.h"
#include "app/window/handlers.h"
#include "app/window/unit_access.h"
#include "app/window/window_poster.h"
#include "runtime/forms/unit_object.h"

namespace app {

namespace {

using namespace fielddialog;
constexpr int kLabelCaption = imprinta::units::ApplicationIndex(imprinta::units::kTransLabelCaption);
constexpr uint32_t kMessageColour = 0x0000D0;  // 0x00BBGGRR: red
constexpr int32_t kMaxSide = 20000;           // pixels: a box or code larger than any poster
constexpr int32_t kMaxQuietModules = 16;
constexpr int32_t kMaxColour = 0xFFFFFF;
constexpr int32_t kPlace = kMaxStoredPosition;

// How a row reads and writes its field: numbers (also choices and colours)
// within [min, max], or a text member.
struct RowAccess {
    int32_t (*get)(const PosterField&);
    void (*set)(PosterField&, int32_t);
    std::string& (*text)(PosterField&);
    int32_t min, max;
};

#define NUMBER_ROW(member, low, high)                                                         \
    {[](const PosterField& f) { return static_cast<int32_t>(f.member); },                 \
     [](PosterField& f, int32_t v) { f.member = static_cast<decltype(f.member)>(v); }, nullptr, low, high}
#define TEXT_ROW(member) {nullptr, nullptr, [](PosterField& f) -> std::string& { return f.member; }, 0, 0}

const RowAccess kPictureAccess[kPictureRowCount] = {
    TEXT_ROW(picture.path),
    NUMBER_ROW(picture.box.x, -kPlace, kPlace),
    NUMBER_ROW(picture.box.y, -kPlace, kPlace),
    NUMBER_ROW(picture.box.width, 0, kMaxSide),
    NUMBER_ROW(picture.box.height, 0, kMaxSide),
    NUMBER_ROW(picture.fit, 0, 2),
    NUMBER_ROW(picture.cornerRadius, 0, kMaxSide),
    NUMBER_ROW(picture.circle, 0, 1),
    NUMBER_ROW(picture.opacity, 0, 100),
};
const RowAccess kQrAccess[kQrRowCount] = {
    TEXT_ROW(qr.text),
    NUMBER_ROW(qr.level, 0, 3),
    NUMBER_ROW(qr.quietModules, 0, kMaxQuietModules),
    NUMBER_ROW(qr.dark, 0, kMaxColour),
    NUMBER_ROW(qr.light, 0, kMaxColour),
    NUMBER_ROW(qr.lightTransparent, 0, 1),
    NUMBER_ROW(qr.x, -kPlace, kPlace),
    NUMBER_ROW(qr.y, -kPlace, kPlace),
    NUMBER_ROW(qr.size, 0, kMaxSide),
    TEXT_ROW(qr.centrePicture),
};
const RowAccess kTextAccess[kTextRowCount] = {
    TEXT_ROW(text.font),
    NUMBER_ROW(text.size, 0, kMaxTextSize),
    NUMBER_ROW(text.colour, 0, kMaxColour),
    NUMBER_ROW(text.x, -kPlace, kPlace),
    NUMBER_ROW(text.y, -kPlace, kPlace),
    TEXT_ROW(text.text),
};
#undef NUMBER_ROW
#undef TEXT_ROW

struct Editing {
    FieldDialogKind kind = FieldDialogKind::Picture;
    size_t extra = 0;  // the field, as an index into ExtraFields()
    bool open = false;
};
Editing g_editing;
bool g_filling = false;  // the units are being set from the field: their change events are ours
bool g_kept = false;     // OK closed the dialog
std::vector<std::string> g_fonts;  // the font row's entries, in list order

FieldDialogKind KindOf(FieldKind kind) {
    switch (kind) {
    case FieldKind::Picture: return FieldDialogKind::Picture;
    case FieldKind::Qr: return FieldDialogKind::Qr;
    case FieldKind::Text: break;
    }
    return FieldDialogKind::Text;
}

const RowAccess* AccessOf(FieldDialogKind kind) {
    switch (kind) {
    case FieldDialogKind::Picture: return kPictureAccess;
    case FieldDialogKind::Qr: return kQrAccess;
    case FieldDialogKind::Text: break;
    }
    return kTextAccess;
}

uint32_t Dialog() { return RowsOf(g_editing.kind).windowId; }

// A unit of the open dialog (0: the dialog itself).
HWND UnitHandle(uint32_t unit) {
    auto* object = reinterpret_cast<imprinta::forms::UnitObject*>(
        static_cast<uintptr_t>(RuntimeNotify(kNotifyUnitObject, Dialog(), unit, 0)));
    return object ? object->hwnd : nullptr;
}

HWND DialogHandle() { return UnitHandle(0); }

PosterField* EditedField() {
    return g_editing.open && g_editing.extra < ExtraFields().size() ? &ExtraFields()[g_editing.extra] : nullptr;
}

std::string NumberText(int32_t value) { return std::to_string(value); }

void WriteRow(const DialogRow& row, const RowAccess& access, uint32_t unit, PosterField& f) {
    const uint32_t dialog = Dialog();
    switch (row.control) {
    case RowControl::Text:
    case RowControl::File:
    case RowControl::Lines: SetEditContent(unit, access.text(f).c_str(), dialog); break;
    case RowControl::Number: SetEditContent(unit, NumberText(access.get(f)).c_str(), dialog); break;
    case RowControl::Choice: SetComboListIndex(unit, access.get(f), dialog); break;
    case RowControl::Colour: SetPickedColour(unit, static_cast<uint32_t>(access.get(f)), dialog); break;
    case RowControl::Font: {
        int32_t index = -1;
        for (size_t i = 0; i < g_fonts.size(); ++i)
            if (g_fonts[i] == access.text(f)) index = static_cast<int32_t>(i);
        SetComboListIndex(unit, index, dialog);
        break;
    }
    }
}

// The row's value in *f; a number out of range is held to it and the first
// such is named in *message.
void ReadRow(const DialogRow& row, const RowAccess& access, uint32_t unit, PosterField* f, std::string* message) {
    const uint32_t dialog = Dialog();
    int32_t typed = 0;
    switch (row.control) {
    case RowControl::Text:
    case RowControl::File:
    case RowControl::Lines: {
        Block text(EditContent(unit, dialog));
        access.text(*f) = text.text() ? text.text() : "";
        return;
    }
    case RowControl::Font: {
        const int32_t index = ComboListIndex(unit, dialog);
        if (index >= 0 && size_t(index) < g_fonts.size()) access.text(*f) = g_fonts[size_t(index)];
        return;
    }
    case RowControl::Number: typed = EditNumber(unit, dialog); break;
    case RowControl::Choice: typed = ComboListIndex(unit, dialog); break;
    case RowControl::Colour: typed = static_cast<int32_t>(PickedColour(unit, dialog) & kMaxColour); break;
    }
    const int32_t value = typed < access.min ? access.min : typed > access.max ? access.max : typed;
    if (value != typed && message->empty() && row.control == RowControl::Number) {
        std::string name = row.caption;
        if (!name.empty() && name.back() == ':') name.pop_back();
        *message = name + " 须在 " + NumberText(access.min) + " 到 " + NumberText(access.max) + " 之间，已按 " +
                   NumberText(value) + " 使用";
    }
    access.set(*f, value);
}

void FillUnits() {
    PosterField* f = EditedField();
    if (!f) return;
    const DialogRows rows = RowsOf(g_editing.kind);
    const RowAccess* access = AccessOf(g_editing.kind);
    g_filling = true;
    for (size_t k = 0; k < rows.count; ++k) WriteRow(rows.rows[k], access[k], ValueUnit(k), *f);
    g_filling = false;
}

// What the person should know about the code as it stands: whether it can be
// drawn, and a centre picture that only level H draws.
std::string QrNote(const QrField& q) {
    if (q.text.empty()) return "";
    const QrError e = CheckQr(q);
    if (e != QrError::None) return QrErrorText(e);
    if (!q.centrePicture.empty() && q.level != QrLevel::H) return "中心图片只在纠错等级 H 时画出";
    return "";
}

void ReadUnits() {
    PosterField* f = EditedField();
    if (!f) return;
    const DialogRows rows = RowsOf(g_editing.kind);
    const RowAccess* access = AccessOf(g_editing.kind);
    std::string message;
    for (size_t k = 0; k < rows.count; ++k) ReadRow(rows.rows[k], access[k], ValueUnit(k), f, &message);
    if (message.empty() && f->kind == FieldKind::Qr) message = QrNote(f->qr);
    SetProperty(Dialog(), kMessage, kLabelCaption, PtrWord(message.c_str()));
}

void CloseDialog(bool keep) {
    g_kept = keep;
    if (HWND dialog = DialogHandle()) PostMessageA(dialog, WM_CLOSE, 0, 0);
}

// A picture file chosen by the person, or empty.
std::string AskPictureFile() {
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = DialogHandle();
    ofn.lpstrFilter = "图片 (*.png;*.jpg;*.jpeg;*.bmp;*.gif)\0*.png;*.jpg;*.jpeg;*.bmp;*.gif\0所有文件 (*.*)\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrTitle = "选择图片";
    // The program's relative paths (the template among them) are read from the run directory.
    ofn.Flags = OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    return GetOpenFileNameA(&ofn) ? file : "";
}

// A new field of the kind after the others, chosen in the list, its settings
// asked for at once: Cancel there takes it away again.
void AddField(FieldKind kind) {
    if (const char* why = RefusalToAdd(kind)) return ShowNote(why);
    const SettingsSnapshot before = TakeSettingsSnapshot();
    ExtraFields().push_back(NewField(kind, WindowPoster()));
    SyncFieldList();
    const size_t added = kStandardFieldCount + ExtraFields().size() - 1;
    SelectField(added);
    RefreshPreview(nullptr);
    EditField(added, before);
}

}  // namespace

void EditField(size_t index, const SettingsSnapshot& restoreOnCancel) {
    if (index < kStandardFieldCount) return OpenStyleDialog(nullptr);
    const size_t extra = index - kStandardFieldCount;
    if (extra >= ExtraFields().size() || g_editing.open) return;
    g_editing = {KindOf(ExtraFields()[extra].kind), extra, true};
    g_kept = false;
    uint32_t request[3] = {Dialog(), 0, 1};  // window id, no owner, modal
    // Returns once the dialog has closed; the main window is disabled meanwhile.
    const bool shown = RuntimeNotify(kNotifyLoadWindow, PtrWord(request), 0, 0) == 0;
    g_editing.open = false;
    if (!shown || !g_kept) RestoreSettingsSnapshot(restoreOnCancel);
}

}  // namespace app

using namespace app;

extern "C" void IMPRINTA_CDECL AddTextField(EventResultSlot*) { AddField(FieldKind::Text); }
extern "C" void IMPRINTA_CDECL AddPictureField(EventResultSlot*) { AddField(FieldKind::Picture); }
extern "C" void IMPRINTA_CDECL AddQrField(EventResultSlot*) { AddField(FieldKind::Qr); }
extern "C" void IMPRINTA_CDECL OpenFieldDialog(EventResultSlot*) { EditField(SelectedField(), TakeSettingsSnapshot()); }

extern "C" void IMPRINTA_CDECL OnFieldDialogCreated(EventResultSlot*) {
    // The captions take the text colour the skin gave the main window's labels.
    const uint32_t text = static_cast<uint32_t>(
        GetProperty(kMainWindow, mainwindow::kTitleTextLabel, mainwindow::kTransLabelTextColour));
    const DialogRows rows = RowsOf(g_editing.kind);
    for (size_t k = 0; k < rows.count; ++k) {
        SetProperty(Dialog(), CaptionUnit(k), mainwindow::kTransLabelTextColour, text);
        if (rows.rows[k].control != RowControl::Font) continue;
        g_fonts = ListedFontNames();
        for (const std::string& name : g_fonts) ComboAddItem(ValueUnit(k), ListedFontItem(name).c_str(), Dialog());
    }
    SetProperty(Dialog(), kMessage, mainwindow::kTransLabelTextColour, kMessageColour);
    FillUnits();
    // Typing starts in the first row: the dialog opens to be filled in.
    if (HWND first = UnitHandle(ValueUnit(0))) SetFocus(first);
}

extern "C" void IMPRINTA_CDECL FieldDialogChanged(EventResultSlot*) {
    if (g_filling) return;
    ReadUnits();
    RefreshPreview(nullptr);
}

extern "C" void IMPRINTA_CDECL FieldDialogOk(EventResultSlot*) {
    ReadUnits();
    SaveSettings();
    CloseDialog(true);
}

extern "C" void IMPRINTA_CDECL FieldDialogCancel(EventResultSlot*) { CloseDialog(false); }

// Each dialog has at most one file row (the picture's file, the code's centre picture).
extern "C" void IMPRINTA_CDECL FieldDialogBrowse(EventResultSlot*) {
    const DialogRows rows = RowsOf(g_editing.kind);
    for (size_t k = 0; k < rows.count; ++k) {
        if (rows.rows[k].control != RowControl::File) continue;
        const std::string path = AskPictureFile();
        if (!path.empty()) SetEditContent(ValueUnit(k), path.c_str(), Dialog());  // its change event draws it
        return;
    }
}
