// Colour picker property data and its fixed palette. Plain C++ (no Windows headers).
#pragma once
#include <cstdint>
#include "runtime/base/property_stream.h"

namespace imprinta::units {

// Unit-relative property numbers (the application's index minus 8).
enum ColourPickerProperty : int {
    kColourPickerColor = 0,
    kColourPickerAllowTransparent,
    kColourPickerPropertyCount
};

enum ColourPickerEvent : int {
    kColourPickerColorChanged = 0,
};

struct ColourPickerData : PropertyData {
    uint32_t colour = 0;          // 0xFF000000 = transparent
    bool allowTransparent = false;
    void Reset() override;
    bool Serialize(PropertyArchive& ar) override;
};

struct PaletteColour {
    uint32_t colour;   // 0x00BBGGRR
    const char* name;  // ANSI (GBK) name
};
constexpr int kPaletteSize = 32;
constexpr int kPaletteColumns = 7;
extern const PaletteColour kPalette[kPaletteSize];
// The palette index of a colour, -1 when it is not in the palette.
int PaletteIndexOf(uint32_t colour);

}  // namespace imprinta::units
