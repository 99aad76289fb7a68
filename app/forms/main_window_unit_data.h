// Stored property data (unit-specific blocks) of the main window's units, made
// with each unit type's own property data and serializer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace mainwindow {

// Number boxes take digits and "-" and keep their text as typed: the integer
// mode (7) would rewrite it when the focus leaves, emptying a typed 0 (then
// saved as the default) and full-width digits from an input method.
enum InputMode : int32_t { kNormalInput = 0, kNumberInput = 3, kIntegerInput = 7 };

enum class ButtonRole { Plain, Default };  // a default button takes Enter
enum class ComboKind { EditableDropDown, List };

std::vector<uint8_t> WindowBlock(const char* caption);
// A second window of the program: fixed, no minimise button, off the task bar, Esc closes it.
std::vector<uint8_t> DialogBlock(const char* caption);
std::vector<uint8_t> ButtonBlock(const char* caption, ButtonRole role = ButtonRole::Plain);
std::vector<uint8_t> EditBlock(const char* content, InputMode mode, bool multiline = false);
std::vector<uint8_t> TransLabelBlock(const char* caption);
std::vector<uint8_t> LabelBlock(const char* caption);
std::vector<uint8_t> GroupBoxBlock(const char* caption);
std::vector<uint8_t> ComboBlock(const std::vector<std::string>& items, const std::vector<int32_t>& itemData,
                                int32_t current, ComboKind kind = ComboKind::EditableDropDown);
// Fitted: the picture whole and in proportion; else at its own size from the top left.
std::vector<uint8_t> PictureBoxBlock(bool ownSize = false);
std::vector<uint8_t> DrawPanelBlock();

}  // namespace mainwindow
