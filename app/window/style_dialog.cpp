// The text style dialog: a second window of the program, loaded modally from its
// form template. Every change goes straight into the texts' effects and the
// preview; OK keeps them and saves the settings, anything else that closes the
// dialog (Cancel, Esc, the close box) puts back what was there when it opened.
#include <windows.h>
#include <commdlg.h>
#include <cstring>
#include <string>
#include "app/forms/style_dialog_units.h"
#include "app/window/field_list.h"
#include "app/window/handlers.h"
#include "app/window/window_poster.h"
#include "app/window/program_state.h"
#include "app/platform/runtime_calls.h"
#include "app/window/settings.h"
#include "app/window/unit_access.h"
#include "runtime/core/runtime_interface.h"
#include "runtime/forms/unit_object.h"

namespace app {

namespace {

using namespace styledialog;
constexpr uint32_t kDialog = styledialog::kWindowId;
constexpr int kLabelCaption = imprinta::units::ApplicationIndex(imprinta::units::kTransLabelCaption);
constexpr uint32_t kMessageColour = 0x0000D0;  // 0x00BBGGRR: red

enum class Control { Choice, Number, Colour };

// One setting of the dialog: its name in messages, the title's and the body's
// unit, the kind of unit, the range a typed number must lie in, and how it
// reads and writes the effects.
struct DialogSetting {
    const char* name;
    uint32_t title, body;
    Control control;
    int32_t min, max;
    int32_t (*get)(const TextEffects&);
    void (*set)(TextEffects&, int32_t);
};

#define STYLE_MEMBER(member)                                                     \
    [](const TextEffects& e) { return static_cast<int32_t>(e.member); },         \
        [](TextEffects& e, int32_t v) { e.member = static_cast<decltype(e.member)>(v); }

using L = EffectLimits;
const DialogSetting kSettings[] = {
    {"对齐", kTitleAlign, kBodyAlign, Control::Choice, 0, 2, STYLE_MEMBER(align)},
    {"行距", kTitleSpacing, kBodySpacing, Control::Number, L::kSpacingMin, L::kSpacingMax, STYLE_MEMBER(lineSpacing)},
    {"最大宽度", kTitleMaxWidth, kBodyMaxWidth, Control::Number, 0, L::kMaxWidthMax, STYLE_MEMBER(maxWidth)},
    {"超宽处理", kTitleFit, kBodyFit, Control::Choice, 0, 1, STYLE_MEMBER(fit)},
    {"定位", kTitleAnchor, kBodyAnchor, Control::Choice, 0, 1, STYLE_MEMBER(anchor)},
    {"描边宽度", kTitleOutlineWidth, kBodyOutlineWidth, Control::Number, 0, L::kOutlineMax, STYLE_MEMBER(outlineWidth)},
    {"描边颜色", kTitleOutlineColour, kBodyOutlineColour, Control::Colour, 0, 0xFFFFFF, STYLE_MEMBER(outlineColour)},
    {"阴影偏移X", kTitleShadowDx, kBodyShadowDx, Control::Number, -L::kShadowOffsetMax, L::kShadowOffsetMax,
     STYLE_MEMBER(shadowDx)},
    {"阴影偏移Y", kTitleShadowDy, kBodyShadowDy, Control::Number, -L::kShadowOffsetMax, L::kShadowOffsetMax,
     STYLE_MEMBER(shadowDy)},
    {"阴影颜色", kTitleShadowColour, kBodyShadowColour, Control::Colour, 0, 0xFFFFFF, STYLE_MEMBER(shadowColour)},
    {"阴影不透明度", kTitleShadowOpacity, kBodyShadowOpacity, Control::Number, 0, 100, STYLE_MEMBER(shadowOpacity)},
    {"阴影模糊", kTitleShadowBlur, kBodyShadowBlur, Control::Number, 0, L::kBlurMax, STYLE_MEMBER(shadowBlur)},
    {"方向", kTitleDirection, kBodyDirection, Control::Choice, 0, 1, STYLE_MEMBER(direction)},
    {"字距", kTitleLetterSpacing, kBodyLetterSpacing, Control::Number, L::kLetterSpacingMin, L::kLetterSpacingMax,
     STYLE_MEMBER(letterSpacing)},
    {"旋转", kTitleRotation, kBodyRotation, Control::Number, -L::kRotationMax, L::kRotationMax, STYLE_MEMBER(rotation)},
    {"渐变", kTitleGradient, kBodyGradient, Control::Choice, 0, 1, STYLE_MEMBER(gradient)},
    {"渐变起色", kTitleGradientFrom, kBodyGradientFrom, Control::Colour, 0, 0xFFFFFF, STYLE_MEMBER(gradientFrom)},
    {"渐变终色", kTitleGradientTo, kBodyGradientTo, Control::Colour, 0, 0xFFFFFF, STYLE_MEMBER(gradientTo)},
    {"渐变角度", kTitleGradientAngle, kBodyGradientAngle, Control::Number, -L::kRotationMax, L::kRotationMax,
     STYLE_MEMBER(gradientAngle)},
    {"水平位置", kTitlePlaceX, kBodyPlaceX, Control::Choice, 0, 3, STYLE_MEMBER(placeX)},
    {"水平边距", kTitleMarginX, kBodyMarginX, Control::Number, -L::kMarginMax, L::kMarginMax, STYLE_MEMBER(marginX)},
    {"垂直位置", kTitlePlaceY, kBodyPlaceY, Control::Choice, 0, 3, STYLE_MEMBER(placeY)},
    {"垂直边距", kTitleMarginY, kBodyMarginY, Control::Number, -L::kMarginMax, L::kMarginMax, STYLE_MEMBER(marginY)},
};
#undef STYLE_MEMBER

// The dialog's two columns: the poster's text field each shows, and its units.
// The first is the title's; the second the body's, or the added text chosen in
// the main window's field list (its name heads the column).
struct DialogColumn {
    size_t field;
    std::string name;
    uint32_t DialogSetting::*unit;
};
DialogColumn g_columns[] = {{kTitleField, kTitleFieldName, &DialogSetting::title},
                            {kBodyField, kBodyFieldName, &DialogSetting::body}};
DialogColumn& g_secondColumn = g_columns[1];

void ChooseSecondColumn() {
    const size_t chosen = SelectedField();
    const size_t extra = chosen - kStandardFieldCount;
    const bool addedText = chosen >= kStandardFieldCount && extra < ExtraFields().size() &&
                           ExtraFields()[extra].kind == FieldKind::Text;
    g_secondColumn.field = addedText ? chosen : kBodyField;
    g_secondColumn.name = addedText ? ExtraFields()[extra].name : kBodyFieldName;
}

// The colour a field's text is drawn in now.
uint32_t TextColour(size_t field) {
    if (field < kStandardFieldCount) return PickedColour(kTextFieldUnits[field].colour) & 0xFFFFFF;
    return ExtraFields()[field - kStandardFieldCount].text.colour & 0xFFFFFF;
}

const uint32_t kLabels[] = {kTitleHeader,      kBodyHeader,        kAlignLabel,          kSpacingLabel,
                            kMaxWidthLabel,    kFitLabel,          kAnchorLabel,         kOutlineWidthLabel,
                            kOutlineColourLabel, kShadowDxLabel,   kShadowDyLabel,       kShadowColourLabel,
                            kShadowOpacityLabel, kShadowBlurLabel, kFormatLabel,     kQualityLabel,
                            kDirectionLabel,   kLetterSpacingLabel, kRotationLabel,      kGradientLabel,
                            kGradientFromLabel, kGradientToLabel, kGradientAngleLabel, kPlaceXLabel,
                            kMarginXLabel,     kPlaceYLabel,       kMarginYLabel,        kTitleHeader2,
                            kBodyHeader2};

bool g_filling = false;  // the units are being set from the effects: their change events are ours
bool g_kept = false;     // OK closed the dialog

HWND DialogHandle() {
    auto* object = reinterpret_cast<imprinta::forms::UnitObject*>(
        static_cast<uintptr_t>(RuntimeNotify(kNotifyUnitObject, kDialog, 0, 0)));
    return object ? object->hwnd : nullptr;
}

void ShowMessage(const std::string& text) {
    SetProperty(kDialog, kMessage, kLabelCaption, PtrWord(text.c_str()));
}

char* IntegerText(int32_t value) {
    return reinterpret_cast<char*>(static_cast<uintptr_t>(CallCore(kCmdToText, {ArgInt(value)}).low));
}

int32_t ReadUnit(const DialogSetting& s, uint32_t unit) {
    switch (s.control) {
    case Control::Choice: return ComboListIndex(unit, kDialog);
    case Control::Number: return EditNumber(unit, kDialog);
    case Control::Colour: return static_cast<int32_t>(PickedColour(unit, kDialog) & 0xFFFFFF);
    }
    return 0;
}

void WriteUnit(const DialogSetting& s, uint32_t unit, int32_t value) {
    switch (s.control) {
    case Control::Choice: SetComboListIndex(unit, value, kDialog); break;
    case Control::Number: {
        Block text(IntegerText(value));
        SetEditContent(unit, text.text(), kDialog);
        break;
    }
    case Control::Colour: SetPickedColour(unit, static_cast<uint32_t>(value), kDialog); break;
    }
}

// The output format is one for both texts: its own pair of units, the quality
// checked like the texts' numbers.
const DialogSetting kFormatSettings[] = {
    {"输出格式", kOutputFormat, kOutputFormat, Control::Choice, 0, 1, nullptr, nullptr},
    {"JPEG质量", kJpegQuality, kJpegQuality, Control::Number, kMinJpegQuality, kMaxJpegQuality, nullptr, nullptr},
};
const DialogSetting& kFormatChoice = kFormatSettings[0];
const DialogSetting& kQuality = kFormatSettings[1];

void FillUnits() {
    g_filling = true;
    for (const DialogColumn& c : g_columns)
        for (const DialogSetting& s : kSettings) WriteUnit(s, s.*c.unit, s.get(FieldEffects(c.field)));
    const OutputFormat format = CurrentOutputFormat();
    WriteUnit(kFormatChoice, kOutputFormat, format.kind == FileFormat::Jpeg ? 1 : 0);
    WriteUnit(kQuality, kJpegQuality, format.quality);
    g_filling = false;
}

// The width and height of a PNG file image (its header), or false.
bool PngSize(const void* byteSet, int32_t* width, int32_t* height) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!byteSet || ByteSetLength(byteSet) < 24) return false;
    const uint8_t* b = ByteSetData(byteSet);
    if (memcmp(b, kSignature, 8) != 0) return false;
    auto word = [b](int at) { return static_cast<int32_t>(b[at] << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3]); };
    *width = word(16);
    *height = word(20);
    return *width > 0 && *height > 0;
}

// A proportional layout is made on the picture shown now, unless it already has its picture.
void NoteReferenceSize(TextEffects& e) {
    if (e.anchor != TextAnchor::Proportional || (e.referenceWidth > 0 && e.referenceHeight > 0)) return;
    PngSize(CurrentPicture, &e.referenceWidth, &e.referenceHeight);
}

// A gradient just turned on with no colours of its own starts from the text's
// colour and runs to white, rather than drawing the text black.
bool SeedGradient(TextEffects& e, const TextEffects& before, size_t field) {
    if (!HasGradient(e) || HasGradient(before) || e.gradientFrom != 0 || e.gradientTo != 0) return false;
    e.gradientFrom = TextColour(field);
    e.gradientTo = 0xFFFFFF;
    return true;
}

// A unit's value held to the setting's range; the first value out of range is
// named in *message (prefixed with whose setting it is).
int32_t ReadInRange(const DialogSetting& s, uint32_t unit, const char* whose, std::string* message) {
    int32_t typed = ReadUnit(s, unit);
    int32_t value = typed < s.min ? s.min : typed > s.max ? s.max : typed;
    if (value != typed && message->empty()) {
        Block lo(IntegerText(s.min)), hi(IntegerText(s.max)), used(IntegerText(value));
        *message = std::string(whose) + s.name + "须在 " + lo.text() + " 到 " + hi.text() + " 之间，已按 " + used.text() +
                   " 使用";
    }
    return value;
}

// Reads every unit into the effects, each value kept in its range; a value
// out of range is used at the nearest end and named in the dialog.
// The output format's pair likewise.
void ReadUnits() {
    std::string message;
    for (const DialogColumn& c : g_columns) {
        TextEffects e = FieldEffects(c.field);
        for (const DialogSetting& s : kSettings) s.set(e, ReadInRange(s, s.*c.unit, c.name.c_str(), &message));
        NoteReferenceSize(e);
        const bool seeded = SeedGradient(e, FieldEffects(c.field), c.field);
        FieldEffects(c.field) = Clamped(e);
        if (seeded) {  // the pickers show the colours the preview uses
            g_filling = true;
            for (const DialogSetting& s : kSettings)
                if (s.control == Control::Colour) WriteUnit(s, s.*c.unit, s.get(FieldEffects(c.field)));
            g_filling = false;
        }
    }
    OutputFormat format;
    format.kind = ReadInRange(kFormatChoice, kOutputFormat, "", &message) == 1 ? FileFormat::Jpeg : FileFormat::Png;
    format.quality = ReadInRange(kQuality, kJpegQuality, "", &message);
    SetCurrentOutputFormat(format);
    ShowMessage(message);
}

void CloseDialog(bool keep) {
    g_kept = keep;
    if (HWND dialog = DialogHandle()) PostMessageA(dialog, WM_CLOSE, 0, 0);
}

enum class FileDialog { Open, Save };

// The chosen file's path, or empty when the person cancelled.
std::string AskStyleFile(FileDialog kind) {
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = DialogHandle();
    ofn.lpstrFilter = "样式文件 (*.ini)\0*.ini\0所有文件 (*.*)\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrDefExt = "ini";
    // The program's relative paths (the template, the watermark) are read from the run directory.
    ofn.Flags = OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    if (kind == FileDialog::Save) {
        ofn.lpstrTitle = "样式另存为";
        ofn.Flags |= OFN_OVERWRITEPROMPT;
        return GetSaveFileNameA(&ofn) ? file : "";
    }
    ofn.lpstrTitle = "载入样式";
    return GetOpenFileNameA(&ofn) ? file : "";
}

std::string FileMessage(const char* action, const std::string& path, StyleFileError e) {
    return std::string(action) + "失败：" + path + "\r\n" + StyleFileErrorText(e);
}

}  // namespace

}  // namespace app

using namespace app;

extern "C" void IMPRINTA_CDECL OpenStyleDialog(EventResultSlot*) {
    ChooseSecondColumn();
    SettingsSnapshot before = TakeSettingsSnapshot();
    g_kept = false;
    uint32_t request[3] = {kDialog, 0, 1};  // window id, no owner, modal
    // Returns once the dialog has closed; the main window is disabled meanwhile.
    if (RuntimeNotify(kNotifyLoadWindow, PtrWord(request), 0, 0) != 0) return;
    if (!g_kept) RestoreSettingsSnapshot(before);
}

extern "C" void IMPRINTA_CDECL OnStyleDialogCreated(EventResultSlot*) {
    // The labels take the text colour the skin gave the main window's labels.
    uint32_t text = static_cast<uint32_t>(GetProperty(kMainWindow, mainwindow::kTitleTextLabel,
                                                      mainwindow::kTransLabelTextColour));
    for (uint32_t label : kLabels) SetProperty(kDialog, label, mainwindow::kTransLabelTextColour, text);
    SetProperty(kDialog, kMessage, mainwindow::kTransLabelTextColour, kMessageColour);
    for (uint32_t header : {kBodyHeader, kBodyHeader2})
        SetProperty(kDialog, header, kLabelCaption, PtrWord(g_secondColumn.name.c_str()));
    FillUnits();
}

extern "C" void IMPRINTA_CDECL StyleDialogChanged(EventResultSlot*) {
    if (g_filling) return;
    ReadUnits();
    RefreshPreview(nullptr);
}

extern "C" void IMPRINTA_CDECL StyleDialogOk(EventResultSlot*) {
    ReadUnits();
    SaveSettings();
    CloseDialog(true);
}

extern "C" void IMPRINTA_CDECL StyleDialogCancel(EventResultSlot*) { CloseDialog(false); }

extern "C" void IMPRINTA_CDECL SaveStyleAs(EventResultSlot*) {
    std::string path = AskStyleFile(FileDialog::Save);
    if (path.empty()) return;
    ReadUnits();
    StyleFileError e = SaveStyleTo(path);
    ShowMessage(e == StyleFileError::None ? "样式已保存：" + path : FileMessage("保存样式", path, e));
}

extern "C" void IMPRINTA_CDECL LoadStyleFile(EventResultSlot*) {
    std::string path = AskStyleFile(FileDialog::Open);
    if (path.empty()) return;
    StyleFileError e = LoadStyleFrom(path);
    if (e != StyleFileError::None) return ShowMessage(FileMessage("载入样式", path, e));
    FillUnits();
    ShowMessage("样式已载入：" + path);
}
