// Flat faces for standard controls: push buttons in their states, the group
// box frame and caption, and the thin border of edit fields and lists.
#include "skin_theme.h"

namespace skinlib {

bool IsClass(HWND hwnd, const char* name) {
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    return lstrcmpiA(cls, name) == 0;
}


namespace {

// Rounded rectangle filled with brush and outlined in colour, width pixels.
void FlatBox(HDC dc, const RECT& r, HBRUSH fill, COLORREF line, int width, int radius) {
    HPEN pen = CreatePen(PS_INSIDEFRAME, width, line);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, fill ? static_cast<HGDIOBJ>(fill) : GetStockObject(NULL_BRUSH));
    RoundRect(dc, r.left, r.top, r.right, r.bottom, 2 * radius, 2 * radius);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void TextOf(HWND hwnd, char* buffer, int size) {
    buffer[0] = '\0';
    GetWindowTextA(hwnd, buffer, size);
}

// The font a control draws with (WM_GETFONT), or the default GUI font.
HFONT FontOf(HWND hwnd) {
    HFONT f = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
    return f ? f : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace

ControlKind KindOf(HWND hwnd) {
    if (IsClass(hwnd, "Button")) {
        LONG style = GetWindowLongA(hwnd, GWL_STYLE);
        LONG type = style & BS_TYPEMASK;
        if ((type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) && !(style & (BS_BITMAP | BS_ICON)))
            return ControlKind::kPushButton;
        if (type == BS_GROUPBOX) return ControlKind::kGroupBox;
        return ControlKind::kOther;
    }
    if (IsClass(hwnd, "ComboBox") && (GetWindowLongA(hwnd, GWL_STYLE) & 3) != CBS_SIMPLE)
        return ControlKind::kComboBox;
    if (IsClass(hwnd, "ComboLBox")) return ControlKind::kDropList;
    if (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) return ControlKind::kBorderedField;
    return ControlKind::kOther;
}

void PaintPushButton(HWND hwnd, HDC target, bool hot) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    const skin::Colours& c = theme.colours;
    // Drawn off screen and copied, so state changes do not flicker.
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bmp = CreateCompatibleBitmap(target, rc.right, rc.bottom);
    HGDIOBJ oldBmp = SelectObject(dc, bmp);
    FillRect(dc, &rc, theme.window);

    bool enabled = IsWindowEnabled(hwnd) != FALSE;
    bool pressed = (SendMessageA(hwnd, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    bool focused = GetFocus() == hwnd;
    HBRUSH face = !enabled ? theme.button : pressed ? theme.buttonPressed : hot ? theme.buttonHot : theme.button;
    COLORREF line = enabled && (focused || pressed) ? c.accent : c.border;
    FlatBox(dc, rc, face, line, c.borderWidth, c.cornerRadius);

    char text[256];
    TextOf(hwnd, text, sizeof text);
    HGDIOBJ oldFont = SelectObject(dc, FontOf(hwnd));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? c.text : c.disabledText);
    RECT t = rc;
    if (pressed) OffsetRect(&t, 0, 1);
    DrawTextA(dc, text, -1, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_HIDEPREFIX);
    SelectObject(dc, oldFont);

    BitBlt(target, 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBmp);
    DeleteObject(bmp);
    DeleteDC(dc);
}

void PaintGroupBox(HWND hwnd, HDC dc) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    const skin::Colours& c = theme.colours;
    // Units inside the box paint themselves: keep out of them.
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child) || (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_TRANSPARENT)) continue;
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
    HBRUSH back = reinterpret_cast<HBRUSH>(
        SendMessageA(GetParent(hwnd), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
    FillRect(dc, &rc, back ? back : theme.window);

    char text[128];
    TextOf(hwnd, text, sizeof text);
    HGDIOBJ oldFont = SelectObject(dc, FontOf(hwnd));
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
    RECT frame = rc;
    frame.top += extent.cy / 2;
    FlatBox(dc, frame, nullptr, c.border, c.borderWidth, c.cornerRadius);
    if (text[0]) {
        // A long caption mixing Chinese and Latin text draws a few percent
        // wider than GetTextExtentPoint32 measures it (seen under Wine): it is
        // never cut off, and the gap in the frame has room to spare for it.
        RECT caption = {rc.left + 8, rc.top, rc.left + 8 + extent.cx + 8 + extent.cx / 12, rc.top + extent.cy};
        FillRect(dc, &caption, back ? back : theme.window);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, c.accent);
        RECT line = {caption.left + 4, caption.top, caption.right, caption.bottom};
        DrawTextA(dc, text, -1, &line, DT_LEFT | DT_SINGLELINE | DT_HIDEPREFIX | DT_NOCLIP);
    }
    SelectObject(dc, oldFont);
}

void PaintFieldBorder(HWND hwnd) {
    HDC dc = GetWindowDC(hwnd);
    if (!dc) return;
    RECT win;
    GetWindowRect(hwnd, &win);
    OffsetRect(&win, -win.left, -win.top);
    // The sunken edge around the client area becomes a thin line in the
    // border colour (the accent while the field has the focus) on the field colour.
    const int edge = GetSystemMetrics(SM_CXEDGE);
    HRGN ring = CreateRectRgnIndirect(&win);
    HRGN inner = CreateRectRgn(win.left + edge, win.top + edge, win.right - edge, win.bottom - edge);
    CombineRgn(ring, ring, inner, RGN_DIFF);
    FillRgn(dc, ring, theme.face);
    HBRUSH line = CreateSolidBrush(GetFocus() == hwnd ? theme.colours.accent : theme.colours.border);
    FrameRect(dc, &win, line);
    DeleteObject(line);
    DeleteObject(inner);
    DeleteObject(ring);
    ReleaseDC(hwnd, dc);
}

void DrawChevron(HDC dc, const RECT& r, Arrow way, COLORREF colour) {
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    // Four strokes, each one pixel shorter at both ends, towards the tip.
    for (int i = 0; i < 4; ++i) {
        switch (way) {
        case Arrow::kDown: MoveToEx(dc, cx - 4 + i, cy - 2 + i, nullptr), LineTo(dc, cx + 5 - i, cy - 2 + i); break;
        case Arrow::kUp: MoveToEx(dc, cx - 4 + i, cy + 1 - i, nullptr), LineTo(dc, cx + 5 - i, cy + 1 - i); break;
        case Arrow::kRight: MoveToEx(dc, cx - 2 + i, cy - 4 + i, nullptr), LineTo(dc, cx - 2 + i, cy + 5 - i); break;
        case Arrow::kLeft: MoveToEx(dc, cx + 1 - i, cy - 4 + i, nullptr), LineTo(dc, cx + 1 - i, cy + 5 - i); break;
        }
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void PaintComboFrame(HWND hwnd) {
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(hwnd, &info)) return;
    HDC dc = GetDC(hwnd);
    if (!dc) return;
    RECT rc;
    GetClientRect(hwnd, &rc);
    const skin::Colours& c = theme.colours;
    // The item area (the edit field, or the selected item) stays as drawn.
    ExcludeClipRect(dc, info.rcItem.left, info.rcItem.top, info.rcItem.right, info.rcItem.bottom);
    FillRect(dc, &rc, theme.face);
    RECT b = info.rcButton;
    bool pressed = (info.stateButton & STATE_SYSTEM_PRESSED) != 0;
    FillRect(dc, &b, pressed ? theme.buttonPressed : theme.button);
    DrawChevron(dc, b, Arrow::kDown, IsWindowEnabled(hwnd) ? c.text : c.disabledText);
    HWND focus = GetFocus();
    HBRUSH line = CreateSolidBrush(focus && (focus == hwnd || IsChild(hwnd, focus)) ? c.accent : c.border);
    FrameRect(dc, &rc, line);
    DeleteObject(line);
    ReleaseDC(hwnd, dc);
}

}  // namespace skinlib
