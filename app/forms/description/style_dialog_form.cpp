// The text style dialog's form description: the window record and its units in
// stored order, one row per unit, with the event bindings. Plain C++: built on
// the host like the main window's.
#include <string>
#include "app/forms/main_window_form.h"
#include "app/forms/main_window_handlers_list.h"
#include "app/forms/main_window_unit_data.h"
#include "app/forms/style_dialog_units.h"
#include "app/forms/description/unit_row.h"
#include "runtime/units/unit_types.h"

namespace mainwindow {

using imprinta::forms::BindingDescription;
using imprinta::forms::UnitDescription;
using imprinta::forms::WindowDescription;
using namespace imprinta::units;
using namespace styledialog;

namespace {

constexpr int32_t kCreated = 0;
constexpr int32_t kUnitEvent0 = 0;  // edit changed, item selected, colour picked, button clicked

UnitDescription Row(uint32_t id, uint32_t type, int32_t left, int32_t top, int32_t width, int32_t height,
                    std::vector<uint8_t> block, HandlerIndex handler = kHandlerCount) {
    UnitDescription u = UnitRow(id, type, left, top, width, height, std::move(block));
    if (handler != kHandlerCount) u.bindings.push_back(BindingDescription{kUnitEvent0, handler});
    return u;
}

std::vector<uint8_t> Choice(std::vector<std::string> items) {
    std::vector<int32_t> data;
    for (size_t i = 0; i < items.size(); ++i) data.push_back(static_cast<int32_t>(i));
    return ComboBlock(items, data, 0, ComboKind::List);
}

// Columns: the setting's name, the title's value, the body's value.
constexpr int32_t kNameX = 16, kTitleX = 136, kBodyX = 272, kFieldW = 120, kRowH = 32, kTop = 40;
constexpr int32_t RowY(int row) { return kTop + kRowH * row; }
constexpr int32_t kButtonY = RowY(15) + 20;
// The finer settings' block, to the right of the first.
constexpr int32_t kBlock2 = 408, kName2X = kNameX + kBlock2, kTitle2X = kTitleX + kBlock2, kBody2X = kBodyX + kBlock2;

// One setting of the second block: its label, the title's unit and the body's.
struct FinerRow {
    uint32_t label;
    const char* caption;
    uint32_t type;
    std::vector<uint8_t> (*block)();
};

}  // namespace

WindowDescription DescribeStyleDialog() {
    WindowDescription w;
    w.id = kWindowId;
    const uint32_t E = kUnitTypeEditBox, L = kUnitTypeTransLabel, C = kUnitTypeComboBox, P = kUnitTypeColourPicker,
                   B = kUnitTypeButton;
    const HandlerIndex changed = kHandler_StyleDialogChanged;
    const auto align = [] { return Choice({"左对齐", "居中", "右对齐"}); };
    const auto fit = [] { return Choice({"自动换行", "缩小字号"}); };
    const auto anchor = [] { return Choice({"按像素", "按比例"}); };
    const auto number = [](const char* v) { return EditBlock(v, kNumberInput); };

    UnitDescription window = Row(kWindowRecordId, kUnitTypeWindow, 0, 0, 424 + kBlock2, 624, DialogBlock("文字样式"));
    window.bindings.push_back(BindingDescription{kCreated, kHandler_OnStyleDialogCreated});
    w.units.push_back(window);
    auto& u = w.units;
    u.push_back(Row(kTitleHeader, L, kTitleX, 12, kFieldW, 24, TransLabelBlock("标题")));
    u.push_back(Row(kBodyHeader, L, kBodyX, 12, kFieldW, 24, TransLabelBlock("文案")));
    u.push_back(Row(kAlignLabel, L, kNameX, RowY(0), 116, 24, TransLabelBlock("对齐:")));
    u.push_back(Row(kTitleAlign, C, kTitleX, RowY(0), kFieldW, 24, align(), changed));
    u.push_back(Row(kBodyAlign, C, kBodyX, RowY(0), kFieldW, 24, align(), changed));
    u.push_back(Row(kSpacingLabel, L, kNameX, RowY(1), 116, 24, TransLabelBlock("行距(%):")));
    u.push_back(Row(kTitleSpacing, E, kTitleX, RowY(1), kFieldW, 24, number("100"), changed));
    u.push_back(Row(kBodySpacing, E, kBodyX, RowY(1), kFieldW, 24, number("100"), changed));
    u.push_back(Row(kMaxWidthLabel, L, kNameX, RowY(2), 116, 24, TransLabelBlock("最大宽度(0不限):")));
    u.push_back(Row(kTitleMaxWidth, E, kTitleX, RowY(2), kFieldW, 24, number("0"), changed));
    u.push_back(Row(kBodyMaxWidth, E, kBodyX, RowY(2), kFieldW, 24, number("0"), changed));
    u.push_back(Row(kFitLabel, L, kNameX, RowY(3), 116, 24, TransLabelBlock("超宽时:")));
    u.push_back(Row(kTitleFit, C, kTitleX, RowY(3), kFieldW, 24, fit(), changed));
    u.push_back(Row(kBodyFit, C, kBodyX, RowY(3), kFieldW, 24, fit(), changed));
    u.push_back(Row(kAnchorLabel, L, kNameX, RowY(4), 116, 24, TransLabelBlock("定位:")));
    u.push_back(Row(kTitleAnchor, C, kTitleX, RowY(4), kFieldW, 24, anchor(), changed));
    u.push_back(Row(kBodyAnchor, C, kBodyX, RowY(4), kFieldW, 24, anchor(), changed));
    u.push_back(Row(kOutlineWidthLabel, L, kNameX, RowY(5), 116, 24, TransLabelBlock("描边宽度:")));
    u.push_back(Row(kTitleOutlineWidth, E, kTitleX, RowY(5), kFieldW, 24, number("0"), changed));
    u.push_back(Row(kBodyOutlineWidth, E, kBodyX, RowY(5), kFieldW, 24, number("0"), changed));
    u.push_back(Row(kOutlineColourLabel, L, kNameX, RowY(6), 116, 24, TransLabelBlock("描边颜色:")));
    u.push_back(Row(kTitleOutlineColour, P, kTitleX, RowY(6), 45, 24, {}, changed));
    u.push_back(Row(kBodyOutlineColour, P, kBodyX, RowY(6), 45, 24, {}, changed));
    u.push_back(Row(kShadowDxLabel, L, kNameX, RowY(7), 116, 24, TransLabelBlock("阴影偏移X:")));
    u.push_back(Row(kTitleShadowDx, E, kTitleX, RowY(7), kFieldW, 24, number("0"), changed));
    u.push_back(Row(kBodyShadowDx, E, kBodyX, RowY(7), kFieldW, 24, number("0"), changed));
    u.push_back(Row(kShadowDyLabel, L, kNameX, RowY(8), 116, 24, TransLabelBlock("阴影偏移Y:")));
    u.push_back(Row(kTitleShadowDy, E, kTitleX, RowY(8), kFieldW, 24, number("0"), changed));
    u.push_back(Row(kBodyShadowDy, E, kBodyX, RowY(8), kFieldW, 24, number("0"), changed));
    u.push_back(Row(kShadowColourLabel, L, kNameX, RowY(9), 116, 24, TransLabelBlock("阴影颜色:")));
    u.push_back(Row(kTitleShadowColour, P, kTitleX, RowY(9), 45, 24, {}, changed));
    u.push_back(Row(kBodyShadowColour, P, kBodyX, RowY(9), 45, 24, {}, changed));
    u.push_back(Row(kShadowOpacityLabel, L, kNameX, RowY(10), 116, 24, TransLabelBlock("阴影不透明度(%):")));
    u.push_back(Row(kTitleShadowOpacity, E, kTitleX, RowY(10), kFieldW, 24, number("0"), changed));
    u.push_back(Row(kBodyShadowOpacity, E, kBodyX, RowY(10), kFieldW, 24, number("0"), changed));
    u.push_back(Row(kShadowBlurLabel, L, kNameX, RowY(11), 116, 24, TransLabelBlock("阴影模糊:")));
    u.push_back(Row(kTitleShadowBlur, E, kTitleX, RowY(11), kFieldW, 24, number("0"), changed));
    u.push_back(Row(kBodyShadowBlur, E, kBodyX, RowY(11), kFieldW, 24, number("0"), changed));
    // The written files' format is one for both texts: its boxes take the title's column.
    u.push_back(Row(kFormatLabel, L, kNameX, RowY(12), 116, 24, TransLabelBlock("输出格式:")));
    u.push_back(Row(kOutputFormat, C, kTitleX, RowY(12), kFieldW, 24, Choice({"PNG", "JPEG"}), changed));
    u.push_back(Row(kQualityLabel, L, kNameX, RowY(13), 116, 24, TransLabelBlock("JPEG质量(1-100):")));
    u.push_back(Row(kJpegQuality, E, kTitleX, RowY(13), kFieldW, 24, number("90"), changed));
    u.push_back(Row(kMessage, L, kNameX, RowY(14) + 4, 376, 40, TransLabelBlock("")));
    u.push_back(Row(kButtonSaveStyle, B, kNameX, kButtonY, 100, 32, ButtonBlock("样式另存为…"), kHandler_SaveStyleAs));
    u.push_back(Row(kButtonLoadStyle, B, 124, kButtonY, 92, 32, ButtonBlock("载入样式…"), kHandler_LoadStyleFile));
    u.push_back(Row(kButtonOk, B, 232, kButtonY, 76, 32, ButtonBlock("确定", ButtonRole::Default), kHandler_StyleDialogOk));
    u.push_back(Row(kButtonCancel, B, 316, kButtonY, 76, 32, ButtonBlock("取消"), kHandler_StyleDialogCancel));
    // Each row's label id is followed by the title's and the body's unit ids.
    const FinerRow finer[] = {
        {kDirectionLabel, "方向:", C, [] { return Choice({"横排", "竖排"}); }},
        {kLetterSpacingLabel, "字距(‰字号):", E, [] { return EditBlock("0", kNumberInput); }},
        {kRotationLabel, "旋转(度):", E, [] { return EditBlock("0", kNumberInput); }},
        {kGradientLabel, "渐变:", C, [] { return Choice({"无", "双色渐变"}); }},
        {kGradientFromLabel, "渐变起色:", P, [] { return std::vector<uint8_t>{}; }},
        {kGradientToLabel, "渐变终色:", P, [] { return std::vector<uint8_t>{}; }},
        {kGradientAngleLabel, "渐变角度(度):", E, [] { return EditBlock("0", kNumberInput); }},
        {kPlaceXLabel, "水平位置:", C, [] { return Choice({"按x", "靠左", "居中", "靠右"}); }},
        {kMarginXLabel, "水平边距:", E, [] { return EditBlock("0", kNumberInput); }},
        {kPlaceYLabel, "垂直位置:", C, [] { return Choice({"按y", "靠上", "居中", "靠下"}); }},
        {kMarginYLabel, "垂直边距:", E, [] { return EditBlock("0", kNumberInput); }},
    };
    for (int i = 0; i < int(sizeof finer / sizeof finer[0]); ++i) {
        const FinerRow& r = finer[i];
        const int32_t width = r.type == P ? 45 : kFieldW;
        u.push_back(Row(r.label, L, kName2X, RowY(i), 116, 24, TransLabelBlock(r.caption)));
        u.push_back(Row(r.label + 1, r.type, kTitle2X, RowY(i), width, 24, r.block(), changed));
        u.push_back(Row(r.label + 2, r.type, kBody2X, RowY(i), width, 24, r.block(), changed));
    }
    u.push_back(Row(kTitleHeader2, L, kTitle2X, 12, kFieldW, 24, TransLabelBlock("标题")));
    u.push_back(Row(kBodyHeader2, L, kBody2X, 12, kFieldW, 24, TransLabelBlock("文案")));
    return w;
}

}  // namespace mainwindow
