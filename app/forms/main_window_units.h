// Unit ids of the main window's form template, in the order the template stores
// the units. The ids' values are ours; the Chinese names stay in the template.
#pragma once
#include <cstdint>
#include "runtime/units/colour_picker_data.h"
#include "runtime/units/combo_box_data.h"
#include "runtime/units/edit_box_data.h"
#include "runtime/units/group_box_data.h"
#include "runtime/units/picture_box_data.h"
#include "runtime/units/trans_label_data.h"
#include "runtime/units/unit_types.h"

namespace mainwindow {

constexpr uint32_t kWindowId = 0x52010001;
constexpr uint32_t kWindowRecordId = 0x06010000;

enum Unit : uint32_t {
    kButtonTutorial = 0x16010001,  // 按钮6
    kDrawPanel1,                   // 画板1
    kUsageNote,                    // 透明标签14
    kBodyYLabel,                   // 透明标签12
    kBodyY,                        // 文案位置y
    kBodyX,                        // 文案位置x
    kBodyXLabel,                   // 透明标签13
    kTitleYLabel,                  // 透明标签11
    kTitleY,                       // 标题位置y
    kTitleXLabel,                  // 透明标签9
    kTitleX,                       // 标题位置x
    kButtonExportAll,              // 按钮5
    kBodySize,                     // 文案字体大小
    kTitleSize,                    // 标题大小
    kBodySizeLabel,                // 透明标签10
    kTitleSizeLabel,               // 透明标签8
    kButtonPreview,                // 按钮4
    kButtonAddTexts,               // 按钮3
    kButtonExport,                 // 按钮2
    kBodyColour,                   // 文案颜色
    kBodyColourLabel,              // 透明标签7
    kTitleColourLabel,             // 透明标签6
    kTitleColour,                  // 标题颜色
    kBodyFont,                     // 文案字体
    kBodyFontLabel,                // 透明标签5
    kBodyText,                     // 编辑框文案内容
    kBodyTextLabel,                // 透明标签3
    kTitleFontLabel,               // 透明标签2
    kTitleFont,                    // 标题字体
    kTitleText,                    // 编辑框7
    kTitleTextLabel,               // 透明标签1
    kTemplatePath,                 // 编辑框1
    kTemplatePathLabel,            // 透明标签4
    kSettingsGroup,                // 分组框1
    kUnusedEdit8,                  // 编辑框8
    kUnusedEdit9,                  // 编辑框9
    kWatermarkFlip,                // 组合框2
    kWatermarkCount,               // 编辑框6
    kWatermarkCountLabel,          // 标签3
    kWatermarkShrink,              // 编辑框5
    kWatermarkShrinkLabel,         // 标签1
    kWatermarkY,                   // 编辑框4
    kWatermarkX,                   // 编辑框3
    kWatermarkPosition,            // 组合框1
    kPreviewBox,                   // 图片框1
    kWatermarkPath,                // 编辑框2
    kButtonWatermark,              // 按钮1
    kWatermarkXYLabel,             // 标签2
    kUnusedXYLabel,                // 标签5
    kButtonTextStyle,              // 按钮7: opens the text style dialog
    kButtonTableBatch,             // 按钮8: a batch from a table of texts
    // The poster's fields: the list (标题, 文案, then the added ones) and what is done to them.
    kFieldList,
    kButtonFieldSettings,
    kButtonRemoveField,
    kButtonFieldUp,
    kButtonFieldDown,
    kButtonAddTextField,
    kButtonAddPictureField,
    kButtonAddQrField,
    kUnitEnd
};
static_assert(kUnitEnd - kButtonTutorial == 59, "the main window has 59 units");

// Property indices the application reads and writes.
constexpr int kEditContent = imprinta::units::ApplicationIndex(imprinta::units::kEditBoxContent);
constexpr int kComboListIndex = imprinta::units::ApplicationIndex(imprinta::units::kComboBoxListIndex);
constexpr int kColourValue = imprinta::units::ApplicationIndex(imprinta::units::kColourPickerColor);
constexpr int kPictureBoxPicture = imprinta::units::ApplicationIndex(imprinta::units::kPicBoxPicture);
constexpr int kTransLabelTextColour = imprinta::units::ApplicationIndex(imprinta::units::kTransLabelTextColor);
constexpr int kGroupBoxCaption = imprinta::units::ApplicationIndex(imprinta::units::kGroupBoxCaption);

// The settings group's stored caption; a note about the template box follows it while there is one.
inline constexpr char kSettingsGroupCaption[] = "配置";

}  // namespace mainwindow
