// The batch overview window ("总览"): every poster of a table as a thumbnail in
// a scrolling grid, a line saying how far the drawing is, and the buttons that
// save the grid as one picture and close the window. The form description and
// the window's code both take the units and their places from here.
#pragma once
#include <cstdint>

namespace sheetwindow {

constexpr uint32_t kWindowId = 0x52010006;
constexpr uint32_t kWindowRecordId = 0x06010000;

constexpr uint32_t kSheetBox = 0x16040001;  // the grid, shown a window's height at a time
constexpr uint32_t kNote = 0x16040002;      // "已画 12 / 100 张 ..."
constexpr uint32_t kButtonSave = 0x16040003;
constexpr uint32_t kButtonClose = 0x16040004;

// Thumbnails a line: the grid with the box's sunken border and scroll bar fits
// a 1366 x 768 screen.
constexpr uint32_t kColumns = 7;
constexpr int32_t kGridWidth = 7 * (160 + 16) + 16;  // as LayoutSheet lays 7 columns
constexpr int32_t kScrollBar = 20;                    // room for the box's scroll bar, whatever the theme
constexpr int32_t kBoxX = 12, kBoxY = 12, kBoxWidth = kGridWidth + 4 + kScrollBar, kBoxHeight = 580;
constexpr int32_t kRowY = kBoxY + kBoxHeight + 12;
constexpr int32_t kButtonWidth = 96, kButtonHeight = 30;
constexpr int32_t kCloseX = kBoxX + kBoxWidth - kButtonWidth;
constexpr int32_t kSaveX = kCloseX - kButtonWidth - 12;
constexpr int32_t kClientWidth = kBoxX * 2 + kBoxWidth;
constexpr int32_t kClientHeight = kRowY + kButtonHeight + 12;

}  // namespace sheetwindow
