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
    HBRUSH accent = nullptr;  // the highlighted item of lists
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

// Whether the window is of the named (system) class, in any letter case.
bool IsClass(HWND hwnd, const char* name);

// Custom drawing of standard controls; each returns whether it painted.
enum class ControlKind { kOther, kPushButton, kGroupBox, kBorderedField, kComboBox, kDropList };
ControlKind KindOf(HWND hwnd);
void PaintPushButton(HWND hwnd, HDC dc, bool hot);
void PaintGroupBox(HWND hwnd, HDC dc);
// The flat border of a field that has a sunken client edge (non-client area).
void PaintFieldBorder(HWND hwnd);
// The frame and arrow button of a drop-down combo box, over its own painting.
void PaintComboFrame(HWND hwnd);

// A small chevron centred in r pointing the given way.
enum class Arrow { kUp, kDown, kLeft, kRight };
void DrawChevron(HDC dc, const RECT& r, Arrow way, COLORREF colour);

// The drop-down list of a combo box: its items with the selected one in the
// accent colour (client area), and its thin frame (non-client area).
void PaintDropList(HWND list, HDC dc);
void PaintDropListFrame(HWND list);

// The scroll bars of a list or field, flat over the system's (non-client area).
bool HasScrollBars(HWND hwnd);
void PaintScrollBars(HWND hwnd);

// Owner-drawn buttons without a caption are colour pickers: a colour box with
// an arrow part. Their frame and arrow part are drawn flat over the owner's face.
bool IsColourPicker(HWND hwnd);
void PaintColourPickerFrame(const DRAWITEMSTRUCT& item, bool open);

}  // namespace skinlib
