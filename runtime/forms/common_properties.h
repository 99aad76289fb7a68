// The eight properties every unit has, kept by the registry in the unit's
// record. A unit type's own properties follow: the application numbers them
// from kFirstOwnProperty, entry points 4 and 6 from 0. Plain C++.
#pragma once

namespace imprinta::units {

enum class CommonProperty : int { Left, Top, Width, Height, Tag, Visible, Disabled, Pointer };
constexpr int kFirstOwnProperty = 8;

// The application's index of a unit's own property.
constexpr int ApplicationIndex(int ownProperty) { return kFirstOwnProperty + ownProperty; }

}  // namespace imprinta::units
