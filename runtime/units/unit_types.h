// Names of the window unit types, and where a unit's own properties start. Plain
// C++ (no Windows headers): the form descriptions built on the host use them.
#pragma once
#include <cstdint>
#include "runtime/core/library.h"
#include "runtime/forms/common_properties.h"

namespace imprinta::units {

using ::MakeTypeCode;
using ::TypeLibrary;
using ::TypeNumber;

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

}  // namespace imprinta::units
