// The main window's form description: the window record and its 59 units in
// stored order, with their positions, parents, texts, items and event bindings.
// The build turns it into the stored template bytes; the program reads those
// back through the runtime like any template. Plain C++: built on the host.
#include "app/forms/main_window_form.h"
#include <string>
#include "app/forms/main_window_handlers_list.h"
#include "app/forms/main_window_units.h"
#include "app/forms/main_window_unit_data.h"
#include "app/forms/description/unit_row.h"
#include "runtime/units/unit_types.h"

namespace mainwindow {

using imprinta::forms::BindingDescription;
using imprinta::forms::UnitDescription;
using imprinta::forms::WindowDescription;
using imprinta::units::kUnitTypeButton;
using imprinta::units::kUnitTypeColourPicker;
using imprinta::units::kUnitTypeComboBox;
using imprinta::units::kUnitTypeDrawPanel;
using imprinta::units::kUnitTypeEditBox;
using imprinta::units::kUnitTypeGroupBox;
using imprinta::units::kUnitTypeLabel;
using imprinta::units::kUnitTypePicBox;
using imprinta::units::kUnitTypeTransLabel;
using imprinta::units::kUnitTypeWindow;

namespace {

// Event numbers of the units (window: Created 0, Destroying 2; others: 0).
constexpr int32_t kCreated = 0;
constexpr int32_t kDestroying = 2;
constexpr int32_t kUnitEvent0 = 0;

const char kCaption[] = "Imprinta            ";  // followed by twelve spaces

const char kUsageNoteText[] =
    "教程:\r\n"
    "\r\n"
    "1.软件目录下 1.PNG 是软件底图模板,更换为你自己的\r\n"
    "\r\n"
    "2.多个模板目录存放在软件目录下的 \\模板 文件夹中\r\n"
    "\r\n"
    "3.软件自动读取系统字体,需要换字体自行百度找字体安装即可\r\n"
    "\r\n"
    "\r\n"
    "注意:\r\n"
    "注意:\r\n"
    "注意:\r\n"
    "\r\n"
    "软件底图模板和其他多个模板尺寸必须要一样\r\n"
    "\r\n"
    "否则生成图片文字排版会不同\r\n"
    "\r\n"
    "怎么修改尺寸,自行百度.美图秀秀可以修改\r\n";

const char kSampleBody[] =
    "1、橘子味道很芳香，令我流连忘返。\r\n\r\n"
    "2、橘子又甜又香那是秋天发出的气息。\r\n\r\n"
    "3、橘子含大量维C，味道为酸味或者甜味。\r\n\r\n"
    "4、桔子的味道酸酸甜甜的，我最爱吃桔子了。\r\n\r\n"
    "5、一个个黄澄澄的橘子挂在树上就好像小灯笼一样。";

const char kXYCaption[] = "x             y";  // thirteen spaces between

// The fields' units (in the group): the list's block, and the add buttons.
constexpr int32_t kFieldsX = 360, kFieldsY = 128, kAddX = 336, kAddY = 544;

UnitDescription MakeUnit(uint32_t id, const char* name, uint32_t type, uint32_t parent, int32_t left, int32_t top,
                     int32_t width, int32_t height, std::vector<uint8_t> block) {
    UnitDescription u = UnitRow(id, type, left, top, width, height, std::move(block));
    u.name = name;
    u.parent = parent;
    return u;
}

void Bind(UnitDescription& u, int32_t event, HandlerIndex handler) {
    u.bindings.push_back(BindingDescription{event, handler});
}

std::vector<std::string> PositionItems() {
    return {"位置0-手动", "位置1-左上", "位置2-上", "位置3-右上", "位置4-右", "位置5-右下",
            "位置6-下",   "位置7-左下", "位置8-左", "位置9-中间", "位置10-随机"};
}

std::vector<std::string> FlipItems() {
    std::vector<std::string> items;
    for (int i = 0; i < 8; ++i) items.push_back("翻转" + std::to_string(i));
    return items;
}

std::vector<int32_t> Sequence(int32_t n) {
    std::vector<int32_t> v;
    for (int32_t i = 0; i < n; ++i) v.push_back(i);
    return v;
}

}  // namespace

WindowDescription DescribeMainWindow() {
    WindowDescription w;
    w.id = kWindowId;
    const uint32_t G = kSettingsGroup;  // units inside the settings group box
    const uint32_t W = 0;               // units directly on the window

    UnitDescription window = MakeUnit(kWindowRecordId, "", kUnitTypeWindow, 0, 50, 50, 1059, 933, WindowBlock(kCaption));
    Bind(window, kCreated, kHandler_OnMainWindowCreated);
    Bind(window, kDestroying, kHandler_OnMainWindowDestroying);
    w.units.push_back(window);

    // Labels end where the unit they caption begins; the three action buttons
    // sit under the body text and the usage note under them, tall enough for
    // all its lines, so no unit covers another.
    auto& u = w.units;
    u.push_back(MakeUnit(kButtonTutorial, "按钮6", kUnitTypeButton, W, 960, 296, 88, 32, ButtonBlock("使用教程")));
    u.push_back(MakeUnit(kDrawPanel1, "画板1", kUnitTypeDrawPanel, G, 520, 640, 64, 80, DrawPanelBlock()));
    u.push_back(MakeUnit(kUsageNote, "透明标签14", kUnitTypeTransLabel, G, 24, 600, 384, 288, TransLabelBlock(kUsageNoteText)));
    u.push_back(MakeUnit(kBodyYLabel, "透明标签12", kUnitTypeTransLabel, W, 752, 192, 61, 24, TransLabelBlock("文案位置Y:")));
    u.push_back(MakeUnit(kBodyY, "文案位置y", kUnitTypeEditBox, W, 813, 192, 58, 24, EditBlock("120", kNumberInput)));
    u.push_back(MakeUnit(kBodyX, "文案位置x", kUnitTypeEditBox, W, 672, 192, 58, 24, EditBlock("120", kNumberInput)));
    u.push_back(MakeUnit(kBodyXLabel, "透明标签13", kUnitTypeTransLabel, W, 608, 192, 64, 24, TransLabelBlock("文案位置X:")));
    u.push_back(MakeUnit(kTitleYLabel, "透明标签11", kUnitTypeTransLabel, W, 752, 131, 61, 24, TransLabelBlock("标题位置Y:")));
    u.push_back(MakeUnit(kTitleY, "标题位置y", kUnitTypeEditBox, W, 813, 131, 58, 24, EditBlock("120", kNumberInput)));
    u.push_back(MakeUnit(kTitleXLabel, "透明标签9", kUnitTypeTransLabel, W, 608, 131, 64, 24, TransLabelBlock("标题位置X:")));
    u.push_back(MakeUnit(kTitleX, "标题位置x", kUnitTypeEditBox, W, 672, 131, 58, 24, EditBlock("120", kNumberInput)));
    u.push_back(MakeUnit(kButtonExportAll, "按钮5", kUnitTypeButton, G, 360, 248, 88, 32, ButtonBlock("多个模板导出")));
    u.push_back(MakeUnit(kBodySize, "文案字体大小", kUnitTypeEditBox, G, 288, 153, 58, 24, EditBlock("25", kNumberInput)));
    u.push_back(MakeUnit(kTitleSize, "标题大小", kUnitTypeEditBox, G, 288, 91, 58, 24, EditBlock("50", kNumberInput)));
    u.push_back(MakeUnit(kBodySizeLabel, "透明标签10", kUnitTypeTransLabel, W, 856, 161, 28, 24, TransLabelBlock("大小:")));
    u.push_back(MakeUnit(kTitleSizeLabel, "透明标签8", kUnitTypeTransLabel, G, 256, 91, 28, 24, TransLabelBlock("大小:")));
    u.push_back(MakeUnit(kButtonPreview, "按钮4", kUnitTypeButton, G, 232, 552, 96, 40, ButtonBlock("预览")));
    u.push_back(MakeUnit(kButtonAddTexts, "按钮3", kUnitTypeButton, G, 16, 544, 96, 40, ButtonBlock("添加文案")));
    u.push_back(MakeUnit(kButtonExport, "按钮2", kUnitTypeButton, G, 112, 544, 112, 32, ButtonBlock("导出图片")));
    u.push_back(MakeUnit(kBodyColour, "文案颜色", kUnitTypeColourPicker, W, 808, 160, 45, 24, {}));
    u.push_back(MakeUnit(kBodyColourLabel, "透明标签7", kUnitTypeTransLabel, W, 776, 162, 28, 24, TransLabelBlock("颜色:")));
    u.push_back(MakeUnit(kTitleColourLabel, "透明标签6", kUnitTypeTransLabel, G, 177, 93, 28, 24, TransLabelBlock("颜色:")));
    u.push_back(MakeUnit(kTitleColour, "标题颜色", kUnitTypeColourPicker, G, 209, 91, 45, 24, {}));
    u.push_back(MakeUnit(kBodyFont, "文案字体", kUnitTypeComboBox, W, 666, 163, 108, 20, ComboBlock({}, {}, -1)));
    u.push_back(MakeUnit(kBodyFontLabel, "透明标签5", kUnitTypeTransLabel, W, 607, 163, 59, 24, TransLabelBlock("文案字体:")));
    u.push_back(MakeUnit(kBodyText, "编辑框文案内容", kUnitTypeEditBox, G, 14, 247, 338, 288, EditBlock(kSampleBody, kNormalInput, true)));
    u.push_back(MakeUnit(kBodyTextLabel, "透明标签3", kUnitTypeTransLabel, W, 608, 229, 80, 24, TransLabelBlock("文案:")));
    u.push_back(MakeUnit(kTitleFontLabel, "透明标签2", kUnitTypeTransLabel, G, 8, 95, 59, 24, TransLabelBlock("标题字体:")));
    u.push_back(MakeUnit(kTitleFont, "标题字体", kUnitTypeComboBox, G, 67, 96, 108, 20, ComboBlock({}, {}, -1)));
    u.push_back(MakeUnit(kTitleText, "编辑框7", kUnitTypeEditBox, G, 68, 63, 276, 24, EditBlock("这是一个测试标题", kNormalInput, true)));
    u.push_back(MakeUnit(kTitleTextLabel, "透明标签1", kUnitTypeTransLabel, G, 8, 64, 60, 24, TransLabelBlock("模板标题:")));
    u.push_back(MakeUnit(kTemplatePath, "编辑框1", kUnitTypeEditBox, G, 87, 24, 257, 24, EditBlock("./1.png", kNormalInput)));
    u.push_back(MakeUnit(kTemplatePathLabel, "透明标签4", kUnitTypeTransLabel, G, 8, 24, 79, 24, TransLabelBlock("文件模板位置:")));
    u.push_back(MakeUnit(kSettingsGroup, "分组框1", kUnitTypeGroupBox, W, 600, 8, 456, 896, GroupBoxBlock(kSettingsGroupCaption)));
    u.push_back(MakeUnit(kUnusedEdit8, "编辑框8", kUnitTypeEditBox, W, 1033, 51, 56, 20, EditBlock("100", kNormalInput)));
    u.push_back(MakeUnit(kUnusedEdit9, "编辑框9", kUnitTypeEditBox, W, 1113, 51, 56, 20, EditBlock("100", kNormalInput)));
    u.push_back(MakeUnit(kWatermarkFlip, "组合框2", kUnitTypeComboBox, W, 1024, 136, 100, 20, ComboBlock(FlipItems(), Sequence(8), -1)));
    u.push_back(MakeUnit(kWatermarkCount, "编辑框6", kUnitTypeEditBox, W, 1576, 16, 48, 20, EditBlock("5", kNormalInput)));
    u.push_back(MakeUnit(kWatermarkCountLabel, "标签3", kUnitTypeLabel, W, 1436, 14, 144, 24, LabelBlock("水印数量（位置10生效）")));
    u.push_back(MakeUnit(kWatermarkShrink, "编辑框5", kUnitTypeEditBox, W, 1364, 16, 44, 20, EditBlock("50", kNormalInput)));
    u.push_back(MakeUnit(kWatermarkShrinkLabel, "标签1", kUnitTypeLabel, W, 1330, 14, 80, 24, LabelBlock("缩小")));
    u.push_back(MakeUnit(kWatermarkY, "编辑框4", kUnitTypeEditBox, W, 1256, 16, 56, 20, EditBlock("100", kNormalInput)));
    u.push_back(MakeUnit(kWatermarkX, "编辑框3", kUnitTypeEditBox, W, 1176, 16, 56, 20, EditBlock("100", kNormalInput)));
    u.push_back(MakeUnit(kWatermarkPosition, "组合框1", kUnitTypeComboBox, W, 1048, 16, 100, 20, ComboBlock(PositionItems(), Sequence(11), 1)));
    u.push_back(MakeUnit(kPreviewBox, "图片框1", kUnitTypePicBox, W, 3, 1, 597, 903, PictureBoxBlock()));
    u.push_back(MakeUnit(kWatermarkPath, "编辑框2", kUnitTypeEditBox, W, 1016, 216, 128, 20, EditBlock("./2.png", kNormalInput)));
    u.push_back(MakeUnit(kButtonWatermark, "按钮1", kUnitTypeButton, W, 1304, 128, 96, 32, ButtonBlock("加图片水印")));
    u.push_back(MakeUnit(kWatermarkXYLabel, "标签2", kUnitTypeLabel, W, 1159, 13, 128, 24, LabelBlock(kXYCaption)));
    u.push_back(MakeUnit(kUnusedXYLabel, "标签5", kUnitTypeLabel, W, 1016, 48, 128, 24, LabelBlock(kXYCaption)));
    u.push_back(MakeUnit(kButtonTextStyle, "按钮7", kUnitTypeButton, G, 360, 88, 88, 32, ButtonBlock("文字样式…")));
    u.push_back(MakeUnit(kButtonTableBatch, "按钮8", kUnitTypeButton, G, 360, 344, 88, 32, ButtonBlock("按表格批量…")));
    // The poster's fields: the list and what is done to the chosen field in
    // the right column between the style and the batch buttons; the fields
    // that can be added beside the action buttons, which they follow up when
    // the body text gives way.
    u.push_back(MakeUnit(kFieldList, "组合框3", kUnitTypeComboBox, G, kFieldsX, kFieldsY, 88, 24, ComboBlock({"标题", "文案"}, {0, 1}, 0, ComboKind::List)));
    u.push_back(MakeUnit(kButtonFieldSettings, "按钮9", kUnitTypeButton, G, kFieldsX, kFieldsY + 30, 50, 28, ButtonBlock("设置…")));
    u.push_back(MakeUnit(kButtonRemoveField, "按钮10", kUnitTypeButton, G, kFieldsX + 54, kFieldsY + 30, 34, 28, ButtonBlock("删除")));
    u.push_back(MakeUnit(kButtonFieldUp, "按钮11", kUnitTypeButton, G, kFieldsX, kFieldsY + 62, 42, 28, ButtonBlock("上移")));
    u.push_back(MakeUnit(kButtonFieldDown, "按钮12", kUnitTypeButton, G, kFieldsX + 46, kFieldsY + 62, 42, 28, ButtonBlock("下移")));
    u.push_back(MakeUnit(kButtonAddTextField, "按钮13", kUnitTypeButton, G, kAddX, kAddY, 54, 22, ButtonBlock("+文字")));
    u.push_back(MakeUnit(kButtonAddPictureField, "按钮14", kUnitTypeButton, G, kAddX + 58, kAddY, 54, 22, ButtonBlock("+图片")));
    u.push_back(MakeUnit(kButtonAddQrField, "按钮15", kUnitTypeButton, G, kAddX, kAddY + 26, 112, 22, ButtonBlock("+二维码")));

    // The group box lists the units it holds, in record order.
    UnitDescription* group = nullptr;
    for (UnitDescription& unit : u)
        if (unit.id == kSettingsGroup) group = &unit;
    for (const UnitDescription& unit : u)
        if (unit.parent == kSettingsGroup) group->children.push_back(unit.id);

    auto bind = [&](uint32_t id, HandlerIndex handler) {
        for (UnitDescription& unit : u)
            if (unit.id == id) Bind(unit, kUnitEvent0, handler);
    };
    bind(kButtonTutorial, kHandler_OpenTutorial);
    bind(kBodyY, kHandler_RefreshPreview);
    bind(kBodyX, kHandler_RefreshPreview);
    bind(kTitleY, kHandler_RefreshPreview);
    bind(kTitleX, kHandler_RefreshPreview);
    bind(kButtonExportAll, kHandler_ExportAllTemplates);
    bind(kButtonTableBatch, kHandler_ExportTableBatch);
    bind(kBodySize, kHandler_RefreshPreview);
    bind(kTitleSize, kHandler_RefreshPreview);
    bind(kButtonPreview, kHandler_OpenExportedPicture);
    bind(kButtonAddTexts, kHandler_RefreshPreview);
    bind(kButtonExport, kHandler_ExportPicture);
    bind(kBodyColour, kHandler_RefreshPreview);
    bind(kTitleColour, kHandler_RefreshPreview);
    bind(kBodyFont, kHandler_RefreshPreview);
    bind(kBodyText, kHandler_RefreshPreview);
    bind(kTitleFont, kHandler_RefreshPreview);
    bind(kTitleText, kHandler_RefreshPreview);
    bind(kButtonWatermark, kHandler_AddPictureWatermark);
    bind(kButtonTextStyle, kHandler_OpenStyleDialog);
    bind(kTemplatePath, kHandler_TemplatePathTyped);
    bind(kButtonFieldSettings, kHandler_OpenFieldDialog);
    bind(kButtonRemoveField, kHandler_RemoveField);
    bind(kButtonFieldUp, kHandler_MoveFieldUp);
    bind(kButtonFieldDown, kHandler_MoveFieldDown);
    bind(kButtonAddTextField, kHandler_AddTextField);
    bind(kButtonAddPictureField, kHandler_AddPictureField);
    bind(kButtonAddQrField, kHandler_AddQrField);
    return w;
}

std::vector<WindowDescription> DescribeApplicationForms() {
    return {DescribeMainWindow(), DescribeStyleDialog(), DescribeFieldDialog(FieldDialogKind::Picture),
            DescribeFieldDialog(FieldDialogKind::Qr), DescribeFieldDialog(FieldDialogKind::Text), DescribeSheetWindow()};
}

}  // namespace mainwindow
