// The colour picker unit and its popup palette ("_QX_ColourPopup").
#pragma once
#include <windows.h>
#include <cstdint>

namespace imprinta::units {

// Messages between popup, picker and the picker's parent (wParam = colour,
// lParam = the picker's control id when sent to the parent).
enum ColourPickerMessage : UINT {
    kColourSelChange = 0x83E9,
    kColourDropDown = 0x83EA,
    kColourCloseUp = 0x83EB,
    kColourSelEndOK = 0x83EC,
    kColourSelEndCancel = 0x83ED,
};

// Choices of the popup: palette cells 0..31 and the two text buttons.
enum ColourPopupChoice : int {
    kPopupNone = -1,
    kPopupTransparent = -2,
    kPopupMoreColours = -3,
};

// Where the popup opens: below the picker, shifted left, right or up as far
// as it takes to stay on the screen.
POINT PlaceColourPopup(const RECT& picker, SIZE size, const RECT& screen);
// The palette of the 32 colours, realised while the cells are drawn on palette
// displays; made once and kept.
HPALETTE ColourPopupPalette();

// The open popup window, or null.
HWND OpenColourPopup();
// Rectangle of a choice in the popup's client coordinates; false when the
// popup has no such choice.
bool ColourPopupChoiceRect(HWND popup, int choice, RECT* rect);

}  // namespace imprinta::units
