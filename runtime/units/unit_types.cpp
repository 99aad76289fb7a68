// The unit type descriptors: the core library's 51 data types (ten of them
// window units) and the extended interface library's 5 (type 5: transparent
// label). Unused slots are all-zero records.
//
// Each unit type's author defines its lookup with IMPRINTA_UNIT_ENTRY_LOOKUP in
// the type's own file and names it below (declaration + descriptor field).
#include <array>
#include <cstddef>
#include "runtime/core/libraries.h"
#include "runtime/units/button_data.h"
#include "runtime/units/colour_picker_data.h"
#include "runtime/units/combo_box_data.h"
#include "runtime/units/draw_panel_data.h"
#include "runtime/units/edit_box_data.h"
#include "runtime/units/group_box_data.h"
#include "runtime/units/label_data.h"
#include "runtime/units/picture_box_data.h"
#include "runtime/units/trans_label_data.h"
#include "runtime/units/unit_framework.h"
#include "runtime/units/unit_types.h"
#include "runtime/units/window_properties.h"

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

using namespace imprinta::units;

// Designer flags of the property descriptors; nothing at run time reads them.
constexpr uint16_t kCommonDesignerFlags = 0xE000;
constexpr uint16_t kOwnDesignerFlags = 0x8000;

// One row of a property table: the property's number in its enum and its kind.
struct PropertyRow {
    int number;
    PropertyKind kind;
};

// Reached only by a table whose rows leave the order of its enum: not a
// constant expression, so such a table does not compile.
void RowOutOfOrder() {}

// Left, top, width, height, tag, visible, disabled, cursor.
constexpr PropertyKind kCommonKinds[kFirstOwnProperty] = {
    kPropInteger2, kPropInteger2, kPropInteger2, kPropInteger2, kPropText, kPropLogical, kPropLogical, kPropCursor,
};

// The common properties, then the unit's own rows: exactly OwnCount of them,
// row i describing the own property numbered i.
template <size_t OwnCount>
constexpr std::array<PropertyDescriptor, kFirstOwnProperty + OwnCount> PropertyTable(
    const PropertyRow (&own)[OwnCount]) {
    std::array<PropertyDescriptor, kFirstOwnProperty + OwnCount> table{};
    for (size_t i = 0; i < kFirstOwnProperty; ++i)
        table[i] = PropertyDescriptor{nullptr, nullptr, nullptr, kCommonKinds[i], kCommonDesignerFlags, nullptr};
    for (size_t i = 0; i < OwnCount; ++i) {
        if (own[i].number != static_cast<int>(i)) RowOutOfOrder();
        table[kFirstOwnProperty + i] =
            PropertyDescriptor{nullptr, nullptr, nullptr, own[i].kind, kOwnDesignerFlags, nullptr};
    }
    return table;
}

constexpr auto kWindowProperties = PropertyTable<kWindowOwnPropertyCount>({
    {kWpCaption, kPropText},
    {kWpBorderStyle, kPropChoice},
    {kWpBackColor, kPropBackColour},
    {kWpBackPicture, kPropPicture},
    {kWpBackPictureMode, kPropChoice},
    {kWpBackMusic, kPropSound},
    {kWpPlayCount, kPropChoice},
    {kWpControlBox, kPropLogical},
    {kWpMaxButton, kPropLogical},
    {kWpMinButton, kPropLogical},
    {kWpStartPosition, kPropChoice},
    {kWpMovable, kPropLogical},
    {kWpIcon, kPropIcon},
    {kWpEnterMovesFocus, kPropLogical},
    {kWpEscCloses, kPropLogical},
    {kWpF1Help, kPropLogical},
    {kWpHelpFile, kPropFileName},
    {kWpHelpContext, kPropInteger},
    {kWpShowInTaskbar, kPropLogical},
    {kWpDragAnywhere, kPropLogical},
    {kWpShape, kPropChoice},
    {kWpAlwaysOnTop, kPropLogical},
    {kWpKeepTitleActive, kPropLogical},
    {kWpClassName, kPropText},
});

constexpr auto kEditBoxProperties = PropertyTable<kEditBoxPropertyCount>({
    {kEditBoxContent, kPropText},
    {kEditBoxBorder, kPropChoice},
    {kEditBoxTextColor, kPropColour},
    {kEditBoxBackColor, kPropBackColour},
    {kEditBoxFont, kPropFont},
    {kEditBoxHideSelection, kPropLogical},
    {kEditBoxMaxLength, kPropInteger},
    {kEditBoxMultiline, kPropLogical},
    {kEditBoxScrollBars, kPropChoice},
    {kEditBoxAlignment, kPropChoice},
    {kEditBoxInputMode, kPropChoice},
    {kEditBoxPasswordChar, kPropText},
    {kEditBoxCaseConversion, kPropChoice},
    {kEditBoxSpinType, kPropChoice},
    {kEditBoxSpinMin, kPropInteger},
    {kEditBoxSpinMax, kPropInteger},
    {kEditBoxSelStart, kPropInteger},
    {kEditBoxSelLength, kPropInteger},
    {kEditBoxSelText, kPropText},
    {kEditBoxDataSource, kPropDataSource},
    {kEditBoxDataColumn, kPropDataColumn},
});

constexpr auto kLabelProperties = PropertyTable<kLabelPropertyCount>({
    {kLabelCaption, kPropText},
    {kLabelEffect, kPropChoice},
    {kLabelBorder, kPropChoice},
    {kLabelFrameWidth, kPropInteger},
    {kLabelFrameColor1, kPropColourTransparent},
    {kLabelFrameColor2, kPropColourTransparent},
    {kLabelFrameColor3, kPropColourTransparent},
    {kLabelFont, kPropFont},
    {kLabelTextColor, kPropColour},
    {kLabelBackColor, kPropBackColour},
    {kLabelBackPicture, kPropPicture},
    {kLabelBackPictureMode, kPropChoice},
    {kLabelGradientMode, kPropChoice},
    {kLabelGradientColor1, kPropColourTransparent},
    {kLabelGradientColor2, kPropColourTransparent},
    {kLabelGradientColor3, kPropColourTransparent},
    {kLabelAlignment, kPropChoice},
    {kLabelWordWrap, kPropLogical},
    {kLabelVerticalAlignment, kPropChoice},
    {kLabelDataSource, kPropDataSource},
    {kLabelDataColumn, kPropDataColumn},
});

constexpr auto kTransLabelProperties = PropertyTable<kTransLabelPropertyCount>({
    {kTransLabelCaption, kPropText},
    {kTransLabelEffect, kPropChoice},
    {kTransLabelFont, kPropFont},
    {kTransLabelTextColor, kPropColour},
    {kTransLabelAlignment, kPropChoice},
    {kTransLabelWordWrap, kPropLogical},
    {kTransLabelVerticalAlignment, kPropChoice},
});

constexpr auto kDrawPanelProperties = PropertyTable<kDrawPanelPropertyCount>({
    {kDrawPanelBorder, kPropChoice},
    {kDrawPanelBackColor, kPropBackColour},
    {kDrawPanelBackPicture, kPropPicture},
    {kDrawPanelBackPictureMode, kPropChoice},
    {kDrawPanelAutoRedraw, kPropLogical},
    {kDrawPanelDrawingUnit, kPropChoice},
    {kDrawPanelPenStyle, kPropChoice},
    {kDrawPanelDrawMode, kPropChoice},
    {kDrawPanelPenWidth, kPropInteger},
    {kDrawPanelPenColor, kPropColour},
    {kDrawPanelBrushStyle, kPropChoice},
    {kDrawPanelBrushColor, kPropColour},
    {kDrawPanelTextColor, kPropColour},
    {kDrawPanelTextBackColor, kPropColourTransparent},
    {kDrawPanelFont, kPropFont},
    {kDrawPanelDrawWidth, kPropInteger},
    {kDrawPanelDrawHeight, kPropInteger},
});

constexpr auto kButtonProperties = PropertyTable<kButtonPropertyCount>({
    {kButtonPicture, kPropPicture},
    {kButtonType, kPropChoice},
    {kButtonCaption, kPropText},
    {kButtonAlignment, kPropChoice},
    {kButtonVerticalAlignment, kPropChoice},
    {kButtonFont, kPropFont},
});

constexpr auto kGroupBoxProperties = PropertyTable<kGroupBoxPropertyCount>({
    {kGroupBoxCaption, kPropText},
    {kGroupBoxAlignment, kPropChoice},
    {kGroupBoxTextColor, kPropColour},
    {kGroupBoxBackColor, kPropBackColour},
    {kGroupBoxFont, kPropFont},
});

constexpr auto kComboBoxProperties = PropertyTable<kComboBoxPropertyCount>({
    {kComboBoxStyle, kPropChoice},
    {kComboBoxContent, kPropText},
    {kComboBoxMaxLength, kPropInteger},
    {kComboBoxSelStart, kPropInteger},
    {kComboBoxSelLength, kPropInteger},
    {kComboBoxSelText, kPropText},
    {kComboBoxSorted, kPropLogical},
    {kComboBoxExtraItemHeight, kPropInteger},
    {kComboBoxTextColor, kPropColour},
    {kComboBoxBackColor, kPropBackColour},
    {kComboBoxFont, kPropFont},
    {kComboBoxListIndex, kPropInteger},
    {kComboBoxItems, kPropCustomData},
    {kComboBoxItemData, kPropCustomData},
    {kComboBoxDataSource, kPropDataSource},
    {kComboBoxDataColumn, kPropDataColumn},
    {kComboBoxDataFlag, kPropLogical},
});

constexpr auto kColourPickerProperties = PropertyTable<kColourPickerPropertyCount>({
    {kColourPickerColor, kPropColourTransparent},
    {kColourPickerAllowTransparent, kPropLogical},
});

constexpr auto kPicBoxProperties = PropertyTable<kPicBoxPropertyCount>({
    {kPicBoxBorder, kPropChoice},
    {kPicBoxBackColor, kPropBackColour},
    {kPicBoxPicture, kPropPicture},
    {kPicBoxDisplayMode, kPropChoice},
    {kPicBoxAnimate, kPropLogical},
    {kPicBoxDataSource, kPropDataSource},
    {kPicBoxDataColumn, kPropDataColumn},
});

template <size_t N>
constexpr TypeDescriptor UnitType(const char* name, const char* englishName, uint32_t flags,
                                  const std::array<PropertyDescriptor, N>& properties, UnitEntryLookup lookup) {
    return TypeDescriptor{name, englishName, "", 0, nullptr, flags, 0, 0, nullptr,
                          static_cast<uint32_t>(N), properties.data(), lookup, 0, nullptr};
}

// Flag bits set as the system's type tables set them; nothing here tests them.
constexpr uint32_t kTypeUnusedBit9 = 0x00000200;
constexpr uint32_t kTypeUnusedBit17 = 0x00020000;
constexpr uint32_t kTypeUnusedBit31 = 0x80000000;

// Type flags. Every unit raises events; the core library's own types carry bit 31.
constexpr uint32_t kCoreUnit = kTypeIsUnit | kTypeUnusedBit31;
// Units that take no input: Tab passes over them, and a click on them drags a
// window that has drag-anywhere set.
constexpr uint32_t kPassive = kTypeSkipsTab | kTypeDragsWindow;

}  // namespace

// Slots by type number - 1 (kUnitType... codes); the slot of each unit type is checked below.
extern "C" constexpr TypeDescriptor CoreLibraryTypes[kCoreLibraryTypeCount] = {
    /* 1 */ UnitType("窗口", "window", kCoreUnit | kTypeMovesChildrenOnRecreate | kTypeNeverRecreated,
                     kWindowProperties, WindowEntryLookup),
    {}, {}, {},
    /* 5 */ UnitType("编辑框", "EditBox", kCoreUnit, kEditBoxProperties, EditBoxEntryLookup),
    /* 6 */ UnitType("图片框", "PicBox", kCoreUnit | kPassive | kTypeMovesChildrenOnRecreate, kPicBoxProperties,
                     PicBoxEntryLookup),
    {},
    /* 8 */ UnitType("画板", "DrawPanel", kCoreUnit | kTypeUnusedBit17 | kTypeMovesChildrenOnRecreate,
                     kDrawPanelProperties, DrawPanelEntryLookup),
    /* 9 */ UnitType("分组框", "GroupBox", kCoreUnit | kPassive | kTypeGrouping | kTypeMovesChildrenOnRecreate,
                     kGroupBoxProperties, GroupBoxEntryLookup),
    /* 10 */ UnitType("标签", "Label", kCoreUnit | kPassive | kTypeStatic, kLabelProperties, LabelEntryLookup),
    /* 11 */ UnitType("按钮", "Button", kCoreUnit | kTypeDefaultButton, kButtonProperties, ButtonEntryLookup),
    {}, {},
    /* 14 */ UnitType("组合框", "ComboBox", kCoreUnit | kTypeUnusedBit9, kComboBoxProperties, ComboBoxEntryLookup),
    {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
    /* 28 */ UnitType("颜色选择器", "ColorPicker", kCoreUnit, kColourPickerProperties, ColorPickerEntryLookup),
    {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
};

extern "C" constexpr TypeDescriptor ExtendedInterfaceTypes[kExtendedInterfaceTypeCount] = {
    {}, {}, {}, {},
    /* 5 */ UnitType("透明标签", "TransLabel", kTypeIsUnit | kTypeSkipsTab | kTypeStatic, kTransLabelProperties,
                     TransLabelEntryLookup),
};

namespace {

template <size_t N>
constexpr bool Holds(const TypeDescriptor (&table)[N], uint32_t code, UnitEntryLookup lookup) {
    return TypeNumber(code) >= 1 && TypeNumber(code) <= N && table[TypeNumber(code) - 1].entryLookup == lookup;
}

static_assert(Holds(CoreLibraryTypes, kUnitTypeWindow, WindowEntryLookup));
static_assert(Holds(CoreLibraryTypes, kUnitTypeEditBox, EditBoxEntryLookup));
static_assert(Holds(CoreLibraryTypes, kUnitTypePicBox, PicBoxEntryLookup));
static_assert(Holds(CoreLibraryTypes, kUnitTypeDrawPanel, DrawPanelEntryLookup));
static_assert(Holds(CoreLibraryTypes, kUnitTypeGroupBox, GroupBoxEntryLookup));
static_assert(Holds(CoreLibraryTypes, kUnitTypeLabel, LabelEntryLookup));
static_assert(Holds(CoreLibraryTypes, kUnitTypeButton, ButtonEntryLookup));
static_assert(Holds(CoreLibraryTypes, kUnitTypeComboBox, ComboBoxEntryLookup));
static_assert(Holds(CoreLibraryTypes, kUnitTypeColourPicker, ColorPickerEntryLookup));
static_assert(Holds(ExtendedInterfaceTypes, kUnitTypeTransLabel, TransLabelEntryLookup));

}  // namespace
