// The field settings dialogs' form descriptions, one per kind of field, made
// from the rows their code reads too. Plain C++: built on the host like the
// main window's.
#include <string>
#include "app/forms/field_dialog_units.h"
#include "app/forms/main_window_form.h"
#include "app/forms/main_window_handlers_list.h"
#include "app/forms/main_window_unit_data.h"
#include "app/forms/description/unit_row.h"
#include "runtime/units/unit_types.h"

namespace mainwindow {

using imprinta::forms::BindingDescription;
using imprinta::forms::UnitDescription;
using imprinta::forms::WindowDescription;
using namespace imprinta::units;
using namespace fielddialog;

namespace {

constexpr int32_t kCreated = 0;
constexpr int32_t kUnitEvent0 = 0;  // edit changed, item selected, colour picked, button clicked
constexpr int32_t kDialogWidth = 400;
constexpr int32_t kFrameHeight = 52;  // caption and borders below the buttons' row

UnitDescription Row(uint32_t id, uint32_t type, int32_t left, int32_t top, int32_t width, int32_t height,
                    std::vector<uint8_t> block, HandlerIndex handler = kHandlerCount) {
    UnitDescription u = UnitRow(id, type, left, top, width, height, std::move(block));
    if (handler != kHandlerCount) u.bindings.push_back(BindingDescription{kUnitEvent0, handler});
    return u;
}

std::vector<uint8_t> Choice(const char* words) {
    std::vector<std::string> items;
    std::vector<int32_t> data;
    for (std::string rest = words;;) {
        const size_t bar = rest.find('|');
        data.push_back(static_cast<int32_t>(items.size()));
        items.push_back(rest.substr(0, bar));
        if (bar == std::string::npos) break;
        rest.erase(0, bar + 1);
    }
    return ComboBlock(items, data, 0, ComboKind::List);
}

// The unit that holds one row's value.
UnitDescription ValueRow(const DialogRow& line, size_t row, int32_t y) {
    const uint32_t id = ValueUnit(row);
    const HandlerIndex changed = kHandler_FieldDialogChanged;
    switch (line.control) {
    case RowControl::Text: return Row(id, kUnitTypeEditBox, kValueX, y, 272, 24, EditBlock("", kNormalInput), changed);
    case RowControl::File: return Row(id, kUnitTypeEditBox, kValueX, y, 200, 24, EditBlock("", kNormalInput), changed);
    case RowControl::Number: return Row(id, kUnitTypeEditBox, kValueX, y, 80, 24, EditBlock("0", kNumberInput), changed);
    case RowControl::Choice: return Row(id, kUnitTypeComboBox, kValueX, y, 100, 24, Choice(line.choices), changed);
    case RowControl::Colour: return Row(id, kUnitTypeColourPicker, kValueX, y, 45, 24, {}, changed);
    case RowControl::Font:
        return Row(id, kUnitTypeComboBox, kValueX, y, 200, 24, ComboBlock({}, {}, -1, ComboKind::List), changed);
    case RowControl::Lines:
        return Row(id, kUnitTypeEditBox, kValueX, y, 272, kLinesHeight, EditBlock("", kNormalInput, true), changed);
    }
    return {};
}

const char* CaptionOf(FieldDialogKind kind) {
    switch (kind) {
    case FieldDialogKind::Picture: return "字段设置 - 图片";
    case FieldDialogKind::Qr: return "字段设置 - 二维码";
    case FieldDialogKind::Text: return "字段设置 - 文字";
    }
    return "字段设置";
}

}  // namespace

WindowDescription DescribeFieldDialog(FieldDialogKind kind) {
    const DialogRows rows = RowsOf(kind);
    WindowDescription w;
    w.id = rows.windowId;
    const int32_t buttonY = ButtonY(kind);
    UnitDescription window = Row(fielddialog::kWindowRecordId, kUnitTypeWindow, 0, 0, kDialogWidth,
                                 buttonY + 32 + kFrameHeight, DialogBlock(CaptionOf(kind)));
    window.bindings.push_back(BindingDescription{kCreated, kHandler_OnFieldDialogCreated});
    w.units.push_back(window);
    for (size_t k = 0; k < rows.count; ++k) {
        const DialogRow& line = rows.rows[k];
        const int32_t y = RowY(kind, k);
        w.units.push_back(Row(CaptionUnit(k), kUnitTypeTransLabel, kCaptionX, y, kValueX - kCaptionX - 4, 24,
                              TransLabelBlock(line.caption)));
        w.units.push_back(ValueRow(line, k, y));
        if (line.control == RowControl::File)
            w.units.push_back(Row(BrowseUnit(k), kUnitTypeButton, kBrowseX, y, 64, 24, ButtonBlock("浏览…"),
                                  kHandler_FieldDialogBrowse));
    }
    w.units.push_back(Row(fielddialog::kMessage, kUnitTypeTransLabel, kCaptionX, MessageY(kind), kDialogWidth - 48, 40,
                          TransLabelBlock("")));
    w.units.push_back(Row(fielddialog::kButtonOk, kUnitTypeButton, kOkX, buttonY, 76, 32,
                          ButtonBlock("确定", ButtonRole::Default), kHandler_FieldDialogOk));
    w.units.push_back(Row(fielddialog::kButtonCancel, kUnitTypeButton, kCancelX, buttonY, 76, 32, ButtonBlock("取消"),
                          kHandler_FieldDialogCancel));
    return w;
}

}  // namespace mainwindow
