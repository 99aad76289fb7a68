// The batch overview window's form description: the window record and its
// units in stored order, one row per unit. Plain C++: built on the host like
// the main window's.
#include "app/forms/main_window_form.h"
#include "app/forms/main_window_handlers_list.h"
#include "app/forms/main_window_unit_data.h"
#include "app/forms/sheet_window_units.h"
#include "app/forms/description/unit_row.h"
#include "runtime/units/unit_types.h"

namespace mainwindow {

using imprinta::forms::BindingDescription;
using imprinta::forms::UnitDescription;
using imprinta::forms::WindowDescription;
using namespace imprinta::units;
using namespace sheetwindow;

namespace {

constexpr int32_t kCreated = 0;
constexpr int32_t kClicked = 0;
constexpr int32_t kFrameHeight = 40;  // the caption bar and borders around the client area

UnitDescription Row(uint32_t id, uint32_t type, int32_t left, int32_t top, int32_t width, int32_t height,
                    std::vector<uint8_t> block, HandlerIndex handler = kHandlerCount) {
    UnitDescription u = UnitRow(id, type, left, top, width, height, std::move(block));
    if (handler != kHandlerCount) u.bindings.push_back(BindingDescription{kClicked, handler});
    return u;
}

}  // namespace

WindowDescription DescribeSheetWindow() {
    WindowDescription w;
    w.id = sheetwindow::kWindowId;
    UnitDescription window = Row(sheetwindow::kWindowRecordId, kUnitTypeWindow, 0, 0, kClientWidth + 16,
                                 kClientHeight + kFrameHeight, DialogBlock("总览"));
    window.bindings.push_back(BindingDescription{kCreated, kHandler_OnSheetWindowCreated});
    w.units.push_back(window);
    w.units.push_back(Row(kSheetBox, kUnitTypePicBox, kBoxX, kBoxY, kBoxWidth, kBoxHeight, PictureBoxBlock(true)));
    w.units.push_back(Row(kNote, kUnitTypeTransLabel, kBoxX, kRowY + 6, kSaveX - kBoxX - 12, 24, TransLabelBlock("")));
    w.units.push_back(Row(kButtonSave, kUnitTypeButton, kSaveX, kRowY, kButtonWidth, kButtonHeight,
                          ButtonBlock("保存总览"), kHandler_SheetWindowSave));
    w.units.push_back(Row(kButtonClose, kUnitTypeButton, kCloseX, kRowY, kButtonWidth, kButtonHeight,
                          ButtonBlock("关闭", ButtonRole::Default), kHandler_SheetWindowClose));
    return w;
}

}  // namespace mainwindow
