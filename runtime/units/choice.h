// Choice properties hold an index into a fixed list of choices. Every unit
// clamps what it is given into that list before storing it. Plain C++ (no
// Windows headers): the property data and their native checks use it too.
#pragma once
#include <cstdint>

namespace imprinta::units {

// value clamped to 0..highest.
constexpr int32_t ClampChoice(int32_t value, int32_t highest) {
    return value < 0 ? 0 : (value > highest ? highest : value);
}

// Stores a choice clamped to 0..highest; false when the stored value stays the same.
constexpr bool StoreChoice(int32_t& field, int32_t value, int32_t highest) {
    const int32_t c = ClampChoice(value, highest);
    if (c == field) return false;
    field = c;
    return true;
}

}  // namespace imprinta::units
