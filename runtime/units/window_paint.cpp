// Background painting of the window and the repaint of transparent units over it.
#include "runtime/units/window_unit.h"

namespace imprinta::units {

void WindowUnit::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    RECT clip = ps.rcPaint;
    if (!IsRectEmpty(&clip))
        background_.Paint(dc, clip, client.right, client.bottom, props_.backPicture, props_.backPictureMode,
                          props_.backColor);
    EndPaint(hwnd, &ps);
    if (!IsRectEmpty(&clip)) RepaintTransparentUnits(clip);
}

// Transparent units draw over the background: repaint them over the new one.
void WindowUnit::RepaintTransparentUnits(const RECT& clip) {
    for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c) || !(GetWindowLongA(c, GWL_EXSTYLE) & WS_EX_TRANSPARENT)) continue;
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
        RECT overlap;
        if (IntersectRect(&overlap, &r, &clip)) {
            OffsetRect(&overlap, -r.left, -r.top);
            InvalidateRect(c, &overlap, TRUE);
        }
    }
}

}  // namespace imprinta::units
