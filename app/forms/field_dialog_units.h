// The field settings dialogs ("字段设置"), one form per kind of field: a column
// of rows, each a caption and the unit that holds one setting, then a line for
// messages and the OK and Cancel buttons. The form description and the
// dialog's code both read the rows from here, so a row's unit is the same in both.
#pragma once
#include <cstddef>
#include <cstdint>

namespace fielddialog {

enum class FieldDialogKind { Picture, Qr, Text };

constexpr uint32_t kPictureWindowId = 0x52010003;
constexpr uint32_t kQrWindowId = 0x52010004;
constexpr uint32_t kTextWindowId = 0x52010005;
constexpr uint32_t kWindowRecordId = 0x06010000;

// What holds a row's value: a one-line text, a file path with a 浏览… button
// beside it, a number, a choice among the row's words, a colour, a font from
// the font list, or a text of several lines.
enum class RowControl { Text, File, Number, Choice, Colour, Font, Lines };

struct DialogRow {
    const char* caption;
    RowControl control;
    const char* choices;  // Choice: the words, separated by '|'
};

enum PictureRow { kPictureFile, kPictureX, kPictureY, kPictureWidth, kPictureHeight, kPictureFit, kPictureCorner,
                  kPictureCircle, kPictureOpacity, kPictureRowCount };
inline constexpr DialogRow kPictureRows[kPictureRowCount] = {
    {"文件:", RowControl::File, nullptr},      {"x:", RowControl::Number, nullptr},
    {"y:", RowControl::Number, nullptr},        {"宽:", RowControl::Number, nullptr},
    {"高:", RowControl::Number, nullptr},       {"缩放:", RowControl::Choice, "适应|填满|拉伸"},
    {"圆角:", RowControl::Number, nullptr},     {"圆形:", RowControl::Choice, "否|是"},
    {"不透明度(%):", RowControl::Number, nullptr},
};

enum QrRow { kQrText, kQrLevel, kQrQuiet, kQrDark, kQrLight, kQrLightTransparent, kQrX, kQrY, kQrSize, kQrCentre,
             kQrRowCount };
inline constexpr DialogRow kQrRows[kQrRowCount] = {
    {"内容:", RowControl::Text, nullptr},        {"纠错:", RowControl::Choice, "L|M|Q|H"},
    {"留白(格):", RowControl::Number, nullptr},  {"深色:", RowControl::Colour, nullptr},
    {"浅色:", RowControl::Colour, nullptr},      {"浅色透明:", RowControl::Choice, "否|是"},
    {"x:", RowControl::Number, nullptr},          {"y:", RowControl::Number, nullptr},
    {"大小:", RowControl::Number, nullptr},       {"中心图片:", RowControl::File, nullptr},
};

enum TextRow { kTextFont, kTextSize, kTextColour, kTextX, kTextY, kTextContent, kTextRowCount };
inline constexpr DialogRow kTextRows[kTextRowCount] = {
    {"字体:", RowControl::Font, nullptr},   {"大小:", RowControl::Number, nullptr},
    {"颜色:", RowControl::Colour, nullptr}, {"x:", RowControl::Number, nullptr},
    {"y:", RowControl::Number, nullptr},    {"内容:", RowControl::Lines, nullptr},
};

struct DialogRows {
    uint32_t windowId;
    const DialogRow* rows;
    size_t count;
};
constexpr DialogRows RowsOf(FieldDialogKind kind) {
    switch (kind) {
    case FieldDialogKind::Picture: return {kPictureWindowId, kPictureRows, kPictureRowCount};
    case FieldDialogKind::Qr: return {kQrWindowId, kQrRows, kQrRowCount};
    case FieldDialogKind::Text: return {kTextWindowId, kTextRows, kTextRowCount};
    }
    return {0, nullptr, 0};
}

// Units of every field dialog: row k's caption and value, its 浏览… button
// (File rows), then the message line and the buttons.
constexpr uint32_t kFirstUnit = 0x16030001;
constexpr uint32_t CaptionUnit(size_t row) { return kFirstUnit + 3 * static_cast<uint32_t>(row); }
constexpr uint32_t ValueUnit(size_t row) { return CaptionUnit(row) + 1; }
constexpr uint32_t BrowseUnit(size_t row) { return CaptionUnit(row) + 2; }
constexpr uint32_t kMessage = 0x16030100;
constexpr uint32_t kButtonOk = 0x16030101;
constexpr uint32_t kButtonCancel = 0x16030102;

// Places in the dialog's client area (the tests find the units by them).
constexpr int32_t kCaptionX = 16, kValueX = 112, kBrowseX = 320, kTopY = 16, kRowHeight = 32, kLinesHeight = 88;
constexpr int32_t RowHeight(RowControl c) { return c == RowControl::Lines ? kLinesHeight + 8 : kRowHeight; }
constexpr int32_t RowY(FieldDialogKind kind, size_t row) {
    int32_t y = kTopY;
    for (size_t i = 0; i < row; ++i) y += RowHeight(RowsOf(kind).rows[i].control);
    return y;
}
constexpr int32_t MessageY(FieldDialogKind kind) { return RowY(kind, RowsOf(kind).count) + 4; }
constexpr int32_t ButtonY(FieldDialogKind kind) { return MessageY(kind) + 44; }
constexpr int32_t kOkX = 216, kCancelX = 304;

}  // namespace fielddialog
