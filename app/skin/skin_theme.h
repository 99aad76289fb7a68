// The theme the skin library applies, shared by its parts (inside the DLL).
#pragma once
#include <windows.h>
#include "skin_format.h"

namespace skinlib {

struct Theme {
    skin::Colours colours = {};
    HBRUSH window = nullptr;  // window and group box background
    HBRUSH face = nullptr;    // edit fields and lists
    HBRUSH button = nullptr;
    HBRUSH buttonHot = nullptr;
    HBRUSH buttonPressed = nullptr;
    HBRUSH border = nullptr;
    bool active = false;
};

extern Theme theme;

// Makes the brushes for colours, releasing the previous ones.
void SetTheme(const skin::Colours& colours);
void ReleaseTheme();

// System colours and brushes as the themed process sees them (the program's
// imports of GetSysColor and GetSysColorBrush are answered here).
bool HookSystemColours();
void UnhookSystemColours();

// Custom drawing of standard controls; each returns whether it painted.
enum class ControlKind { kOther, kPushButton, kGroupBox, kBorderedField, kComboBox };
ControlKind KindOf(HWND hwnd);
void PaintPushButton(HWND hwnd, HDC dc, bool hot);
void PaintGroupBox(HWND hwnd, HDC dc);
// The flat border of a field that has a sunken client edge (non-client area).
void PaintFieldBorder(HWND hwnd);
// The frame and arrow button of a drop-down combo box, over its own painting.
void PaintComboFrame(HWND hwnd);

}  // namespace skinlib
