// Colour pickers: the owner draws a colour box, a sunken edge and a system
// scroll arrow; the skin keeps the colour box and draws the rest flat.
#include "skin_theme.h"

namespace skinlib {

bool IsColourPicker(HWND hwnd) {
    if (!IsClass(hwnd, "Button")) return false;
    if ((GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK) != BS_OWNERDRAW) return false;
    return GetWindowTextLengthA(hwnd) == 0;
}

void PaintColourPickerFrame(const DRAWITEMSTRUCT& item, bool open) {
    HDC dc = item.hDC;
    const RECT rc = item.rcItem;
    const skin::Colours& c = theme.colours;
    // The owner's layout: an edge all round, the arrow at the right inside it,
    // and the colour box two pixels inside the edge, left of the arrow.
    const int cx = GetSystemMetrics(SM_CXEDGE), cy = GetSystemMetrics(SM_CYEDGE);
    const int arrowLeft = rc.right - cx - GetSystemMetrics(SM_CXHTHUMB);
    const RECT box = {rc.left + cx + 2, rc.top + cy + 2, arrowLeft - 2, rc.bottom - cy - 2};
    if (box.right <= box.left || box.bottom <= box.top) return;

    HRGN around = CreateRectRgnIndirect(&rc);
    HRGN inside = CreateRectRgnIndirect(&box);
    CombineRgn(around, around, inside, RGN_DIFF);
    FillRgn(dc, around, theme.face);
    DeleteObject(inside);
    DeleteObject(around);
    FrameRect(dc, &box, theme.border);

    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    RECT arrow = {arrowLeft, rc.top + 1, rc.right - 1, rc.bottom - 1};
    FillRect(dc, &arrow, open ? theme.buttonPressed : theme.button);
    RECT separator = {arrow.left - 1, arrow.top, arrow.left, arrow.bottom};
    FillRect(dc, &separator, theme.border);
    DrawChevron(dc, arrow, Arrow::kDown, disabled ? c.disabledText : c.text);

    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    HBRUSH line = CreateSolidBrush(!disabled && (focused || open) ? c.accent : c.border);
    FrameRect(dc, &rc, line);
    DeleteObject(line);
}

}  // namespace skinlib
