// Names of the window unit types, and where a unit's own properties start. Plain
// C++ (no Windows headers): the form descriptions built on the host use them.
#pragma once
#include <cstdint>

namespace imprinta::units {

// A data type code: library number (1-based position in the library table)
// in the high word, the type's number in its library's type table (1-based)
// in the low word.
constexpr uint32_t MakeTypeCode(uint32_t library, uint32_t number) { return library << 16 | number; }
constexpr uint32_t TypeLibrary(uint32_t code) { return code >> 16; }
constexpr uint32_t TypeNumber(uint32_t code) { return code & 0xFFFF; }

constexpr uint32_t kCoreLibraryNumber = 1;
constexpr uint32_t kExtendedInterfaceLibraryNumber = 4;

// The type codes of the unit types, as form templates and unit arguments carry them.
enum UnitTypeCode : uint32_t {
    kUnitTypeWindow = MakeTypeCode(kCoreLibraryNumber, 1),
    kUnitTypeEditBox = MakeTypeCode(kCoreLibraryNumber, 5),
    kUnitTypePicBox = MakeTypeCode(kCoreLibraryNumber, 6),
    kUnitTypeDrawPanel = MakeTypeCode(kCoreLibraryNumber, 8),
    kUnitTypeGroupBox = MakeTypeCode(kCoreLibraryNumber, 9),
    kUnitTypeLabel = MakeTypeCode(kCoreLibraryNumber, 10),
    kUnitTypeButton = MakeTypeCode(kCoreLibraryNumber, 11),
    kUnitTypeComboBox = MakeTypeCode(kCoreLibraryNumber, 14),
    kUnitTypeColourPicker = MakeTypeCode(kCoreLibraryNumber, 28),
    kUnitTypeTransLabel = MakeTypeCode(kExtendedInterfaceLibraryNumber, 5),
};
static_assert(kUnitTypeComboBox == 0x0001000E && kUnitTypeTransLabel == 0x00040005, "library << 16 | number");

// The eight properties every unit has (left, top, width, height, tag, visible,
// disabled, cursor) come first, served by the runtime; a unit's own properties
// follow, and entry points 4 and 6 receive the application's index minus this count.
constexpr int kCommonPropertyCount = 8;

// The application's index of a unit's own property.
constexpr int ApplicationIndex(int ownProperty) { return kCommonPropertyCount + ownProperty; }

}  // namespace imprinta::units
