// The unit type descriptors: the core library's 51 data types (ten of them
// window units) and the extended interface library's 5 (type 5: transparent
// label). Unused slots are all-zero records.
//
// Each unit type's author defines its lookup with IMPRINTA_UNIT_ENTRY_LOOKUP in
// the type's own file and names it below (declaration + descriptor field).
#include <iterator>
#include "runtime/core/libraries.h"
#include "runtime/units/unit_framework.h"



extern "C" {
// Entry-point lookups of the unit types written so far.
void* IMPRINTA_STDCALL WindowEntryLookup(int);
void* IMPRINTA_STDCALL PicBoxEntryLookup(int);
void* IMPRINTA_STDCALL DrawPanelEntryLookup(int);
void* IMPRINTA_STDCALL LabelEntryLookup(int);
void* IMPRINTA_STDCALL TransLabelEntryLookup(int);
void* IMPRINTA_STDCALL EditBoxEntryLookup(int);
void* IMPRINTA_STDCALL ButtonEntryLookup(int);
void* IMPRINTA_STDCALL GroupBoxEntryLookup(int);
void* IMPRINTA_STDCALL ComboBoxEntryLookup(int);
void* IMPRINTA_STDCALL ColorPickerEntryLookup(int);
}

namespace {

// The eight common properties: Left, Top, Width, Height, Tag, Visible, Disabled, Cursor.
#define COMMON(type) {nullptr, nullptr, nullptr, type, 0xE000, nullptr}
#define IMPRINTA_COMMON_PROPERTIES                                                                  \
    COMMON(1001), COMMON(1001), COMMON(1001), COMMON(1001), COMMON(1005), COMMON(1003), COMMON(1003), \
        COMMON(1011)
#define OWN(type) {nullptr, nullptr, nullptr, type, 0x8000, nullptr}

// Window: 8 Caption, 9 BorderStyle, 10 BackColor, 11 BackPicture, 12 BackPictureMode, 13 BackMusic, 14 PlayCount, 15 ControlBox, 16 MaxButton, 17 MinButton, 18 StartPosition, 19 Movable, 20 Icon, 21 EnterMovesFocus, 22 EscCloses, 23 F1Help, 24 HelpFile, 25 HelpContext, 26 ShowInTaskbar, 27 DragAnywhere, 28 Shape, 29 AlwaysOnTop, 30 KeepTitleActive, 31 ClassName
const PropertyDescriptor kWindowProperties[] = {
    IMPRINTA_COMMON_PROPERTIES,
    OWN(1005), OWN(1006), OWN(1017), OWN(1009), OWN(1006), OWN(1012), OWN(1006), OWN(1003), OWN(1003),
    OWN(1003), OWN(1006), OWN(1003), OWN(1010), OWN(1003), OWN(1003), OWN(1003), OWN(1016), OWN(1000),
    OWN(1003), OWN(1003), OWN(1006), OWN(1003), OWN(1003), OWN(1005),
};
static_assert(std::size(kWindowProperties) == 32);

// EditBox: 8 Content, 9 Border, 10 TextColor, 11 BackColor, 12 Font, 13 HideSelection, 14 MaxLength, 15 Multiline, 16 ScrollBars, 17 Alignment, 18 InputMode, 19 PasswordChar, 20 CaseConversion, 21 SpinType, 22 SpinMin, 23 SpinMax, 24 SelStart, 25 SelLength, 26 SelText, 27 DataSource, 28 DataColumn
const PropertyDescriptor kEditBoxProperties[] = {
    IMPRINTA_COMMON_PROPERTIES,
    OWN(1005), OWN(1006), OWN(1014), OWN(1017), OWN(1013), OWN(1003), OWN(1000), OWN(1003), OWN(1006),
    OWN(1006), OWN(1006), OWN(1005), OWN(1006), OWN(1006), OWN(1000), OWN(1000), OWN(1000), OWN(1000),
    OWN(1005), OWN(1018), OWN(1020),
};
static_assert(std::size(kEditBoxProperties) == 29);

// Label: 8 Caption, 9 Effect, 10 Border, 11 FrameWidth, 12 FrameColor1, 13 FrameColor2, 14 FrameColor3, 15 Font, 16 TextColor, 17 BackColor, 18 BackPicture, 19 BackPictureMode, 20 GradientMode, 21 GradientColor1, 22 GradientColor2, 23 GradientColor3, 24 Alignment, 25 WordWrap, 26 VerticalAlignment, 27 DataSource, 28 DataColumn
const PropertyDescriptor kLabelProperties[] = {
    IMPRINTA_COMMON_PROPERTIES,
    OWN(1005), OWN(1006), OWN(1006), OWN(1000), OWN(1015), OWN(1015), OWN(1015), OWN(1013), OWN(1014),
    OWN(1017), OWN(1009), OWN(1006), OWN(1006), OWN(1015), OWN(1015), OWN(1015), OWN(1006), OWN(1003),
    OWN(1006), OWN(1018), OWN(1020),
};
static_assert(std::size(kLabelProperties) == 29);

// TransLabel: 8 Caption, 9 Effect, 10 Font, 11 TextColor, 12 Alignment, 13 WordWrap, 14 VerticalAlignment
const PropertyDescriptor kTransLabelProperties[] = {
    IMPRINTA_COMMON_PROPERTIES,
    OWN(1005), OWN(1006), OWN(1013), OWN(1014), OWN(1006), OWN(1003), OWN(1006),
};
static_assert(std::size(kTransLabelProperties) == 15);

// DrawPanel: 8 Border, 9 BackColor, 10 BackPicture, 11 BackPictureMode, 12 AutoRedraw, 13 DrawingUnit, 14 PenStyle, 15 DrawMode, 16 PenWidth, 17 PenColor, 18 BrushStyle, 19 BrushColor, 20 TextColor, 21 TextBackColor, 22 Font, 23 DrawWidth, 24 DrawHeight
const PropertyDescriptor kDrawPanelProperties[] = {
    IMPRINTA_COMMON_PROPERTIES,
    OWN(1006), OWN(1017), OWN(1009), OWN(1006), OWN(1003), OWN(1006), OWN(1006), OWN(1006), OWN(1000),
    OWN(1014), OWN(1006), OWN(1014), OWN(1014), OWN(1015), OWN(1013), OWN(1000), OWN(1000),
};
static_assert(std::size(kDrawPanelProperties) == 25);

// Button: 8 Picture, 9 ButtonType, 10 Caption, 11 Alignment, 12 VerticalAlignment, 13 Font
const PropertyDescriptor kButtonProperties[] = {
    IMPRINTA_COMMON_PROPERTIES,
    OWN(1009), OWN(1006), OWN(1005), OWN(1006), OWN(1006), OWN(1013),
};
static_assert(std::size(kButtonProperties) == 14);

// GroupBox: 8 Caption, 9 Alignment, 10 TextColor, 11 BackColor, 12 Font
const PropertyDescriptor kGroupBoxProperties[] = {
    IMPRINTA_COMMON_PROPERTIES,
    OWN(1005), OWN(1006), OWN(1014), OWN(1017), OWN(1013),
};
static_assert(std::size(kGroupBoxProperties) == 13);

// ComboBox: 8 ComboStyle, 9 Content, 10 MaxLength, 11 SelStart, 12 SelLength, 13 SelText, 14 Sorted, 15 ExtraItemHeight, 16 TextColor, 17 BackColor, 18 Font, 19 ListIndex, 20 Items, 21 ItemData, 22 DataSource, 23 DataColumn, 24 DataFlag
const PropertyDescriptor kComboBoxProperties[] = {
    IMPRINTA_COMMON_PROPERTIES,
    OWN(1006), OWN(1005), OWN(1000), OWN(1000), OWN(1000), OWN(1005), OWN(1003), OWN(1000), OWN(1014),
    OWN(1017), OWN(1013), OWN(1000), OWN(1024), OWN(1024), OWN(1018), OWN(1020), OWN(1003),
};
static_assert(std::size(kComboBoxProperties) == 25);

// ColorPicker: 8 Color, 9 AllowTransparent
const PropertyDescriptor kColorPickerProperties[] = {
    IMPRINTA_COMMON_PROPERTIES,
    OWN(1015), OWN(1003),
};
static_assert(std::size(kColorPickerProperties) == 10);

// PicBox: 8 Border, 9 BackColor, 10 Picture, 11 DisplayMode, 12 Animate, 13 DataSource, 14 DataColumn
const PropertyDescriptor kPicBoxProperties[] = {
    IMPRINTA_COMMON_PROPERTIES,
    OWN(1006), OWN(1017), OWN(1009), OWN(1006), OWN(1003), OWN(1018), OWN(1020),
};
static_assert(std::size(kPicBoxProperties) == 15);
#undef COMMON
#undef OWN

template <size_t N>
constexpr TypeDescriptor UnitType(const char* name, const char* englishName, uint32_t flags,
                                  const PropertyDescriptor (&properties)[N], UnitEntryLookup lookup) {
    return TypeDescriptor{name, englishName, "", 0, nullptr, flags, 0, 0, nullptr,
                          static_cast<uint32_t>(N), properties, lookup, 0, nullptr};
}

}  // namespace

// Slots by type number - 1: 1 window, 5 edit box, 6 picture box, 8 drawing
// panel, 9 group box, 10 label, 11 button, 14 combo box, 28 colour picker.
extern "C" const TypeDescriptor CoreLibraryTypes[kCoreLibraryTypeCount] = {
    /* 1 */ UnitType("窗口", "window", 0x800000D0, kWindowProperties, WindowEntryLookup),
    {}, {}, {},
    /* 5 */ UnitType("编辑框", "EditBox", 0x80000040, kEditBoxProperties, EditBoxEntryLookup),
    /* 6 */ UnitType("图片框", "PicBox", 0x840100C0, kPicBoxProperties, PicBoxEntryLookup),
    {},
    /* 8 */ UnitType("画板", "DrawPanel", 0x800200C0, kDrawPanelProperties, DrawPanelEntryLookup),
    /* 9 */ UnitType("分组框", "GroupBox", 0x840140C0, kGroupBoxProperties, GroupBoxEntryLookup),
    /* 10 */ UnitType("标签", "Label", 0x84012040, kLabelProperties, LabelEntryLookup),
    /* 11 */ UnitType("按钮", "Button", 0x80000840, kButtonProperties, ButtonEntryLookup),
    {}, {},
    /* 14 */ UnitType("组合框", "ComboBox", 0x80000240, kComboBoxProperties, ComboBoxEntryLookup),
    {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
    /* 28 */ UnitType("颜色选择器", "ColorPicker", 0x80000040, kColorPickerProperties, ColorPickerEntryLookup),
    {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
};

extern "C" const TypeDescriptor ExtendedInterfaceTypes[kExtendedInterfaceTypeCount] = {
    {}, {}, {}, {},
    /* 5 */ UnitType("透明标签", "TransLabel", 0x00012040, kTransLabelProperties, TransLabelEntryLookup),
};


