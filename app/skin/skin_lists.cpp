// The drop-down list of combo boxes, drawn by the skin in full (the system's
// list draws its highlight in the real system colours), and flat scroll bars
// over the system's own in lists and fields.
#include <vector>
#include "skin_theme.h"

namespace skinlib {

namespace {

struct ListColours {
    HBRUSH back;
    COLORREF text;
};

// A field answer that is no choice of the owner's: none, a system brush, or
// white, the units' own default for fields.
bool IsDefaultFieldBrush(HBRUSH b) {
    if (!b || b == GetStockObject(WHITE_BRUSH) || b == GetSysColorBrush(COLOR_WINDOW)) return true;
    LOGBRUSH lb = {};
    if (GetObjectA(b, sizeof lb, &lb) != sizeof lb) return true;
    return lb.lbStyle == BS_SOLID && (lb.lbColor == RGB(255, 255, 255) || lb.lbColor == GetSysColor(COLOR_WINDOW));
}

// The colours the combo box answers for its list; its defaults give the theme's.
ListColours AskListColours(HWND list, HDC dc) {
    HWND combo = GetWindow(list, GW_OWNER);
    if (!combo) combo = GetParent(list);
    SetTextColor(dc, theme.colours.text);
    auto answer = reinterpret_cast<HBRUSH>(
        combo ? SendMessageA(combo, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(list))
              : 0);
    if (IsDefaultFieldBrush(answer)) return {theme.face, theme.colours.text};
    return {answer, GetTextColor(dc)};
}

std::vector<char> ItemText(HWND list, int i) {
    LRESULT n = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::vector<char> text(n > 0 ? static_cast<size_t>(n) + 1 : 1, '\0');
    if (n > 0) SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.back() = '\0';
    return text;
}

}  // namespace

void PaintDropList(HWND list, HDC target) {
    RECT rc;
    GetClientRect(list, &rc);
    if (IsRectEmpty(&rc)) return;
    // Drawn off screen and copied: the list repaints at every move of the mouse.
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bmp = CreateCompatibleBitmap(target, rc.right, rc.bottom);
    HGDIOBJ oldBmp = SelectObject(dc, bmp);
    ListColours colours = AskListColours(list, dc);
    FillRect(dc, &rc, colours.back);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    const int selected = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    for (int i = static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0)); i >= 0 && i < count; ++i) {
        RECT item;
        if (SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)) == LB_ERR ||
            item.top >= rc.bottom)
            break;
        if (i == selected) FillRect(dc, &item, theme.accent);
        SetTextColor(dc, i == selected ? theme.colours.face : colours.text);
        RECT text = item;
        text.left += 3;
        DrawTextA(dc, ItemText(list, i).data(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    SelectObject(dc, oldFont);
    BitBlt(target, 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBmp);
    DeleteObject(bmp);
    DeleteDC(dc);
}

void PaintDropListFrame(HWND list) {
    HDC dc = GetWindowDC(list);
    if (!dc) return;
    RECT win;
    GetWindowRect(list, &win);
    OffsetRect(&win, -win.left, -win.top);
    FrameRect(dc, &win, theme.border);
    ReleaseDC(list, dc);
}

bool HasScrollBars(HWND hwnd) {
    if (!(GetWindowLongA(hwnd, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL))) return false;
    return IsClass(hwnd, "Edit") || IsClass(hwnd, "ListBox") || IsClass(hwnd, "ComboLBox");
}

namespace {

// One scroll bar: the track in the window colour, chevrons for the arrow
// buttons, and a rounded thumb in the border colour (the accent while dragged).
void PaintScrollBar(HWND hwnd, HDC dc, const RECT& window, LONG object) {
    SCROLLBARINFO info = {};
    info.cbSize = sizeof info;
    if (!GetScrollBarInfo(hwnd, object, &info)) return;
    if (info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)) return;
    RECT bar = info.rcScrollBar;
    OffsetRect(&bar, -window.left, -window.top);
    if (IsRectEmpty(&bar)) return;
    const bool vertical = object == OBJID_VSCROLL;
    const bool usable = !(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);
    FillRect(dc, &bar, theme.window);
    const int button = info.dxyLineButton;
    RECT first = bar, last = bar;
    if (vertical) first.bottom = first.top + button, last.top = last.bottom - button;
    else first.right = first.left + button, last.left = last.right - button;
    const COLORREF ink = usable ? theme.colours.text : theme.colours.disabledText;
    DrawChevron(dc, first, vertical ? Arrow::kUp : Arrow::kLeft, ink);
    DrawChevron(dc, last, vertical ? Arrow::kDown : Arrow::kRight, ink);
    if (!usable || info.xyThumbBottom <= info.xyThumbTop) return;
    RECT thumb = bar;
    constexpr int kInset = 3;
    if (vertical) {
        thumb.top = bar.top + info.xyThumbTop, thumb.bottom = bar.top + info.xyThumbBottom;
        InflateRect(&thumb, -kInset, -1);
    } else {
        thumb.left = bar.left + info.xyThumbTop, thumb.right = bar.left + info.xyThumbBottom;
        InflateRect(&thumb, -1, -kInset);
    }
    constexpr int kThumbPart = 3;  // rgstate index of the thumb
    HBRUSH fill = (info.rgstate[kThumbPart] & STATE_SYSTEM_PRESSED) ? theme.accent : theme.border;
    HGDIOBJ oldBrush = SelectObject(dc, fill);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    const int radius = vertical ? thumb.right - thumb.left : thumb.bottom - thumb.top;
    RoundRect(dc, thumb.left, thumb.top, thumb.right + 1, thumb.bottom + 1, radius, radius);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
}

}  // namespace

void PaintScrollBars(HWND hwnd) {
    if (!IsWindowVisible(hwnd)) return;
    HDC dc = GetWindowDC(hwnd);
    if (!dc) return;
    RECT window;
    GetWindowRect(hwnd, &window);
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    if (style & WS_VSCROLL) PaintScrollBar(hwnd, dc, window, OBJID_VSCROLL);
    if (style & WS_HSCROLL) PaintScrollBar(hwnd, dc, window, OBJID_HSCROLL);
    ReleaseDC(hwnd, dc);
}

}  // namespace skinlib
