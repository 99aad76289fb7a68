// Edit box property data and its input-mode rules. Plain C++ (no Windows
// headers): the host tests build it too.
#pragma once
#include <cstdint>
#include <string>
#include "runtime/base/byte_buffer.h"
#include "runtime/base/property_stream.h"

namespace imprinta::units {

// Unit-relative property numbers (the application's index minus 8).
enum EditBoxProperty : int {
    kEditBoxContent = 0,
    kEditBoxBorder,
    kEditBoxTextColor,
    kEditBoxBackColor,
    kEditBoxFont,
    kEditBoxHideSelection,
    kEditBoxMaxLength,
    kEditBoxMultiline,
    kEditBoxScrollBars,
    kEditBoxAlignment,
    kEditBoxInputMode,
    kEditBoxPasswordChar,
    kEditBoxCaseConversion,
    kEditBoxSpinType,
    kEditBoxSpinMin,
    kEditBoxSpinMax,
    kEditBoxSelStart,
    kEditBoxSelLength,
    kEditBoxSelText,
    kEditBoxDataSource,
    kEditBoxDataColumn,
    kEditBoxPropertyCount
};

enum EditBoxEvent : int {
    kEditBoxChanged = 0,
    kEditBoxSpinClicked = 1,  // 1 up, -1 down
};

enum EditInputMode : int32_t {
    kEditNormal = 0,
    kEditReadOnly = 1,
    kEditPassword = 2,
    kEditIntegerText = 3,
    kEditDecimalText = 4,
    kEditByte = 5,
    kEditShort = 6,
    kEditInteger = 7,
    kEditLong = 8,
    kEditSingle = 9,
    kEditDouble = 10,
    kEditDateTime = 11,
    kEditHighestMode = 11,
};

struct EditBoxData : PropertyData {
    std::string content;
    int32_t border = 1;
    uint32_t textColour = 0;
    uint32_t backColour = 0xFFFFFF;
    ByteBuffer font;
    bool hideSelection = true;
    int32_t maxLength = 0;
    bool multiline = false;
    int32_t scrollBars = 0;
    int32_t alignment = 0;
    int32_t inputMode = 0;
    uint16_t passwordChar = '*';
    int32_t caseConversion = 0;
    int32_t spinType = 0;
    int32_t spinMin = 0;
    int32_t spinMax = 100;
    int32_t selStart = 0;
    int32_t selLength = 0;
    std::string dataSource;
    std::string dataColumn;

    void Reset() override;
    bool Serialize(PropertyArchive& ar) override;
    std::vector<ConvertibleText> ConvertibleTexts() override { return {{&content}, {nullptr, &font}, {&dataSource}, {&dataColumn}}; }
};

// Whether a typed character (code 32 or above) passes the key filter of a mode;
// control characters always pass.
bool EditModeAccepts(int32_t mode, uint32_t ch);

// The text a box of the given mode holds after the focus leaves it (modes 5 to
// 11 normalise; the others return the text unchanged).
std::string NormaliseEditText(int32_t mode, const std::string& text);

// Reads "2024年1月2日3时4分5秒", "2024-1-2 3:04:05", "2024/1/2", "2024.1.2"
// (time part optional) into a date-time value. False when it does not parse.
bool ParseDateTimeText(const std::string& text, double& value);

// The automatic spin step: value read from the text's leading digits (with an
// optional "-"), plus or minus one, wrapped to the other end of lower..upper.
int32_t SpinStep(const std::string& text, bool up, int32_t lower, int32_t upper);

}  // namespace imprinta::units
