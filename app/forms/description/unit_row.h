// One unit record of a form description: place, stored data and the flags
// every form gives it. Shared by the main window's and the style dialog's forms.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>
#include "runtime/base/template_format.h"
#include "runtime/units/unit_types.h"

namespace mainwindow {

inline imprinta::forms::UnitDescription UnitRow(uint32_t id, uint32_t type, int32_t left, int32_t top, int32_t width,
                                                int32_t height, std::vector<uint8_t> block) {
    using namespace imprinta::units;
    imprinta::forms::UnitDescription u;
    u.id = id;
    u.type = type;
    u.left = left;
    u.top = top;
    u.width = width;
    u.height = height;
    u.block = std::move(block);
    // Static and grouping units take no part in Tab navigation.
    const bool focusable = type == kUnitTypeEditBox || type == kUnitTypeButton || type == kUnitTypeComboBox ||
                           type == kUnitTypeColourPicker;
    u.flags = imprinta::forms::kUnitVisible | (focusable ? imprinta::forms::kUnitTabStop : 0u);
    return u;
}

}  // namespace mainwindow
