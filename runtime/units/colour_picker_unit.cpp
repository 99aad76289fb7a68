// Colour picker: an owner-drawn button showing the colour, and the popup
// palette with 32 colours, an optional transparent button and a button that
// opens the system colour dialog.
#include "runtime/units/colour_picker_unit.h"
#include <commdlg.h>
#include <windowsx.h>
#include <algorithm>
#include <cstddef>
#include <string>
#include "runtime/units/colour_picker_data.h"
#include "runtime/units/unit_framework.h"

namespace imprinta::units {

namespace {

constexpr const char* kPopupClass = "_QX_ColourPopup";
constexpr int kRows = (kPaletteSize + kPaletteColumns - 1) / kPaletteColumns;
constexpr const char* kTransparentText = "透明";
constexpr const char* kMoreColoursText = "其它颜色...";

class ColourPopup;
ColourPopup* g_openPopup = nullptr;
COLORREF g_customColours[16] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                                0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};

}  // namespace

POINT PlaceColourPopup(const RECT& picker, SIZE size, const RECT& screen) {
    POINT at = {picker.left, picker.bottom};
    if (at.x + size.cx > screen.right) at.x = screen.right - size.cx;
    if (at.x < screen.left) at.x = screen.left;
    if (at.y + size.cy > screen.bottom) at.y = screen.bottom - size.cy;
    if (at.y < screen.top) at.y = screen.top;
    return at;
}

HPALETTE ColourPopupPalette() {
    static HPALETTE palette = [] {
        struct {
            WORD version, count;
            PALETTEENTRY entries[kPaletteSize];
        } log = {0x300, kPaletteSize, {}};
        for (int i = 0; i < kPaletteSize; ++i)
            log.entries[i] = {GetRValue(kPalette[i].colour), GetGValue(kPalette[i].colour),
                              GetBValue(kPalette[i].colour), 0};
        return CreatePalette(reinterpret_cast<LOGPALETTE*>(&log));
    }();
    return palette;
}

namespace {

class ColourPopup {
public:
    // Opens the popup below the picker (kept on the screen) with the given colour.
    static ColourPopup* Open(HWND picker, uint32_t colour, const std::string& transparentText) {
        auto* p = new ColourPopup(picker, colour, transparentText);
        if (!p->Create()) {
            delete p;
            return nullptr;
        }
        return p;
    }

    HWND hwnd = nullptr;

    bool ChoiceRect(int choice, RECT* rc) const {
        if (choice >= 0 && choice < kPaletteSize) {
            int col = choice % kPaletteColumns, row = choice / kPaletteColumns;
            *rc = {cellLeft_ + col * cell_, cellTop_ + row * cell_, cellLeft_ + (col + 1) * cell_,
                   cellTop_ + (row + 1) * cell_};
            return true;
        }
        if (choice == kPopupTransparent && HasTransparent()) {
            *rc = transparentRect_;
            return true;
        }
        if (choice == kPopupMoreColours) {
            *rc = moreRect_;
            return true;
        }
        return false;
    }

    // Ends without notifying (the picker is going away).
    void Abandon() {
        ending_ = true;
        picker_ = nullptr;
        if (hwnd) DestroyWindow(hwnd);
    }

private:
    ColourPopup(HWND picker, uint32_t colour, const std::string& transparentText)
        : picker_(picker), opening_(colour), transparentText_(transparentText) {
        if (IsTransparentColour(colour)) marked_ = HasTransparent() ? kPopupTransparent : kPopupMoreColours;
        else if (int i = PaletteIndexOf(colour); i >= 0) marked_ = i;
        else marked_ = kPopupMoreColours;
    }
    ~ColourPopup() {
        if (font_) DeleteObject(font_);
        if (g_openPopup == this) g_openPopup = nullptr;
    }

    bool HasTransparent() const { return !transparentText_.empty(); }

    static bool RegisterPopupClass() {
        HINSTANCE inst = GetModuleHandleA(nullptr);
        WNDCLASSA wc;
        if (GetClassInfoA(inst, kPopupClass, &wc)) return true;
        wc = {};
        wc.style = CS_SAVEBITS | CS_CLASSDC | CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = &ColourPopup::Proc;
        wc.hInstance = inst;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        wc.lpszClassName = kPopupClass;
        return RegisterClassA(&wc) != 0;
    }

    void Layout(SIZE& size) {
        margin_ = GetSystemMetrics(SM_CXEDGE);
        cell_ = std::max(18, 2 * margin_ + 7);
        int width = kPaletteColumns * cell_ + 2 * margin_;
        const int paletteHeight = kRows * cell_ + 2 * margin_;

        NONCLIENTMETRICSA ncm = {};
        ncm.cbSize = sizeof ncm;
        if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
            font_ = CreateFontIndirectA(&ncm.lfMessageFont);
        int textHeight = 0, textWidth = 0;
        if (HDC dc = GetDC(nullptr)) {
            HGDIOBJ old = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
            for (const std::string* t : {&transparentText_, &moreText_}) {
                if (t->empty()) continue;
                SIZE sz = {0, 0};
                GetTextExtentPoint32A(dc, t->c_str(), static_cast<int>(t->size()), &sz);
                textHeight = std::max<int>(textHeight, sz.cy);
                textWidth = std::max<int>(textWidth, sz.cx);
            }
            SelectObject(dc, old);
            ReleaseDC(nullptr, dc);
        }
        const int buttonHeight = textHeight + 4 * margin_ + 2;
        width = std::max(width, textWidth + 2 * margin_);

        int top = 0;
        if (HasTransparent()) {
            transparentRect_ = {margin_, margin_, width - margin_, margin_ + buttonHeight};
            top = transparentRect_.bottom;
        }
        cellLeft_ = (width - kPaletteColumns * cell_) / 2;
        cellTop_ = top + margin_;
        int bottom = top + paletteHeight;
        moreRect_ = {margin_, bottom, width - margin_, bottom + buttonHeight};
        bottom = moreRect_.bottom + margin_;
        size = {width, bottom};
    }

    bool Create() {
        if (!RegisterPopupClass()) return false;
        SIZE size;
        Layout(size);
        RECT picker;
        GetWindowRect(picker_, &picker);
        POINT below = {picker.left, picker.bottom};
        MONITORINFO mi = {};
        mi.cbSize = sizeof mi;
        RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        if (GetMonitorInfoA(MonitorFromPoint(below, MONITOR_DEFAULTTONEAREST), &mi)) screen = mi.rcMonitor;
        POINT at = PlaceColourPopup(picker, size, screen);

        owner_ = GetAncestor(picker_, GA_ROOT);
        hwnd = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kPopupClass, "", WS_POPUP | WS_VISIBLE, at.x, at.y,
                               size.cx, size.cy, owner_, nullptr, GetModuleHandleA(nullptr), this);
        if (!hwnd) return false;
        g_openPopup = this;
        SetFocus(hwnd);
        SetCapture(hwnd);
        return true;
    }

    uint32_t ColourOf(int choice) const {
        if (choice >= 0 && choice < kPaletteSize) return kPalette[choice].colour;
        if (choice == kPopupTransparent) return kSystemColourValue;
        return opening_;
    }

    int ChoiceAt(POINT pt) const {
        RECT rc;
        for (int c : {kPopupTransparent, kPopupMoreColours})
            if (ChoiceRect(c, &rc) && PtInRect(&rc, pt)) return c;
        if (pt.x < cellLeft_ || pt.y < cellTop_) return kPopupNone;
        int col = (pt.x - cellLeft_) / cell_, row = (pt.y - cellTop_) / cell_;
        if (col >= kPaletteColumns || row >= kRows) return kPopupNone;
        int i = row * kPaletteColumns + col;
        return i < kPaletteSize ? i : kPopupNone;
    }

    void Invalidate(int choice) {
        RECT rc;
        if (ChoiceRect(choice, &rc)) InvalidateRect(hwnd, &rc, TRUE);
    }

    void SetHover(int choice) {
        if (choice == hover_) return;
        int old = hover_;
        hover_ = choice;
        Invalidate(old);
        Invalidate(choice);
        if (choice != kPopupNone && picker_) SendMessageA(picker_, kColourSelChange, ColourOf(choice), 0);
    }

    // Arrow keys: left/right through the cells (wrapping into the next row),
    // up/down between rows, and onto the buttons at the two ends.
    int Step(int from, UINT vk) const {
        const int first = HasTransparent() ? kPopupTransparent : 0;
        switch (vk) {
        case VK_RIGHT:
            if (from == kPopupNone || from == kPopupTransparent) return 0;
            if (from == kPopupMoreColours) return first;
            return from + 1 < kPaletteSize ? from + 1 : kPopupMoreColours;
        case VK_LEFT:
            if (from == kPopupNone) return 0;
            if (from == kPopupTransparent) return kPopupMoreColours;
            if (from == kPopupMoreColours) return kPaletteSize - 1;
            return from > 0 ? from - 1 : (HasTransparent() ? kPopupTransparent : kPopupMoreColours);
        case VK_DOWN:
            if (from == kPopupNone || from == kPopupTransparent) return 0;
            if (from == kPopupMoreColours) return first;
            return from + kPaletteColumns < kPaletteSize ? from + kPaletteColumns : kPopupMoreColours;
        case VK_UP:
            if (from == kPopupNone) return 0;
            if (from == kPopupTransparent) return kPopupMoreColours;
            if (from == kPopupMoreColours) return kPaletteSize - 1;
            return from - kPaletteColumns >= 0 ? from - kPaletteColumns
                                               : (HasTransparent() ? kPopupTransparent : kPopupMoreColours);
        default: return from;
        }
    }

    void End(int choice, bool ok) {
        if (ending_) return;
        ending_ = true;
        uint32_t colour = opening_;
        if (ok && choice == kPopupNone) ok = false;
        if (ok && choice == kPopupMoreColours) {
            ReleaseCapture();
            ShowWindow(hwnd, SW_HIDE);
            CHOOSECOLORA cc = {};
            cc.lStructSize = sizeof cc;
            cc.hwndOwner = owner_;
            cc.rgbResult = IsTransparentColour(opening_) ? 0 : static_cast<COLORREF>(opening_);
            cc.lpCustColors = g_customColours;
            cc.Flags = CC_ANYCOLOR | CC_RGBINIT;
            if (ChooseColorA(&cc)) colour = cc.rgbResult & 0xFFFFFF;
            else ok = false;  // cancelling the dialog cancels the popup
        } else if (ok) {
            colour = ColourOf(choice);
        }
        ReleaseCapture();
        ShowWindow(hwnd, SW_HIDE);
        HWND self = hwnd, picker = picker_;
        if (picker && IsWindow(picker)) SendMessageA(picker, ok ? kColourSelEndOK : kColourSelEndCancel, ok ? colour : opening_, 0);
        if (IsWindow(self)) DestroyWindow(self);
        if (picker && IsWindow(picker) && IsWindowVisible(picker) && IsWindowEnabled(picker)) SetFocus(picker);
    }

    void PaintFace(HDC dc, const RECT& rc, int choice, int lightColour) {
        bool markedOnly = choice == marked_ && choice != hover_;
        HBRUSH face = GetSysColorBrush(markedOnly ? lightColour : COLOR_BTNFACE);
        FillRect(dc, &rc, face);
        RECT edge = rc;
        if (choice == hover_) DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
        else if (choice == marked_) DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
    }

    void Paint(HDC dc) {
        HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
        HPEN highlight = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
        HGDIOBJ oldPen = SelectObject(dc, shadow);
        HGDIOBJ oldFont = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        const int inset = margin_ + 1;

        // On palette displays the cells' colours must be realised to show true.
        HPALETTE oldPalette = nullptr;
        if (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) {
            oldPalette = SelectPalette(dc, ColourPopupPalette(), FALSE);
            RealizePalette(dc);
        }
        for (int i = 0; i < kPaletteSize; ++i) {
            RECT rc;
            ChoiceRect(i, &rc);
            PaintFace(dc, rc, i, COLOR_BTNHIGHLIGHT);
            HBRUSH fill = CreateSolidBrush(kPalette[i].colour);
            HGDIOBJ oldBrush = SelectObject(dc, fill);
            SelectObject(dc, shadow);
            Rectangle(dc, rc.left + inset, rc.top + inset, rc.right - inset, rc.bottom - inset);
            SelectObject(dc, oldBrush);
            DeleteObject(fill);
        }
        if (oldPalette) SelectPalette(dc, oldPalette, FALSE);

        RECT more = moreRect_;
        SelectObject(dc, shadow);
        MoveToEx(dc, more.left, more.top, nullptr);
        LineTo(dc, more.right, more.top);
        SelectObject(dc, highlight);
        MoveToEx(dc, more.left, more.top + 1, nullptr);
        LineTo(dc, more.right, more.top + 1);
        more.top += 2;
        PaintFace(dc, more, kPopupMoreColours, COLOR_3DLIGHT);
        DrawTextA(dc, moreText_.c_str(), -1, &more, DT_CENTER | DT_VCENTER | DT_SINGLELINE);

        if (HasTransparent()) {
            RECT t = transparentRect_;
            PaintFace(dc, t, kPopupTransparent, COLOR_3DLIGHT);
            SelectObject(dc, shadow);
            HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, t.left + inset, t.top + inset, t.right - inset, t.bottom - inset);
            SelectObject(dc, oldBrush);
            DrawTextA(dc, transparentText_.c_str(), -1, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }

        RECT all;
        GetClientRect(hwnd, &all);
        DrawEdge(dc, &all, EDGE_RAISED, BF_RECT);
        SelectObject(dc, oldFont);
        SelectObject(dc, oldPen);
        DeleteObject(shadow);
        DeleteObject(highlight);
    }

    // The mouse position of a message, and whether it lies in the popup.
    bool Inside(LPARAM lp, POINT& pt) const {
        pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        RECT rc;
        GetClientRect(hwnd, &rc);
        return PtInRect(&rc, pt) != 0;
    }

    // A release outside cancels; inside, after a press, it picks the choice under it.
    void OnLeftUp(LPARAM lp) {
        POINT pt;
        if (!Inside(lp, pt)) {
            End(kPopupNone, false);
        } else if (pressed_) {
            int c = ChoiceAt(pt);
            SetHover(c);
            if (c != kPopupNone) End(c, true);
        }
        pressed_ = false;
    }

    // Arrows move the highlight, Enter and Space pick it, Esc cancels. False for other keys.
    bool OnKey(WPARAM key) {
        switch (key) {
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN: SetHover(Step(hover_, static_cast<UINT>(key))); return true;
        case VK_RETURN:
        case VK_SPACE: End(hover_, hover_ != kPopupNone); return true;
        case VK_ESCAPE: End(kPopupNone, false); return true;
        default: return false;
        }
    }

    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) {
        switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            Paint(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_MOUSEMOVE: {
            POINT pt;
            if (Inside(lp, pt)) SetHover(ChoiceAt(pt));
            return 0;
        }
        case WM_LBUTTONDOWN: {
            POINT pt;
            pressed_ = Inside(lp, pt);
            return 0;
        }
        case WM_LBUTTONUP: OnLeftUp(lp); return 0;
        case WM_KEYDOWN:
            if (OnKey(wp)) return 0;
            break;
        case WM_ACTIVATE:
            // Another window taking over ends the popup like Esc.
            if (LOWORD(wp) == WA_INACTIVE && !ending_ && hwnd) PostMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
            break;
        case WM_NCDESTROY: {
            LRESULT r = DefWindowProcA(hwnd, msg, wp, lp);
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            if (!ending_ && picker_ && IsWindow(picker_)) {
                ending_ = true;
                SendMessageA(picker_, kColourSelEndCancel, opening_, 0);
            }
            delete this;
            return r;
        }
        default: break;
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }

    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<ColourPopup*>(GetWindowLongPtrA(h, GWLP_USERDATA));
        if (!self && msg == WM_NCCREATE) {
            self = static_cast<ColourPopup*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
            self->hwnd = h;
            SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        if (!self) return DefWindowProcA(h, msg, wp, lp);
        return FatalOnBadAlloc([&] { return self->Handle(msg, wp, lp); });
    }

    HWND picker_;
    HWND owner_ = nullptr;
    uint32_t opening_;
    std::string transparentText_;
    std::string moreText_ = kMoreColoursText;
    int marked_ = kPopupNone;
    int hover_ = kPopupNone;
    int margin_ = 2, cell_ = 18, cellLeft_ = 0, cellTop_ = 0;
    RECT transparentRect_ = {0, 0, 0, 0}, moreRect_ = {0, 0, 0, 0};
    HFONT font_ = nullptr;
    bool pressed_ = false;
    bool ending_ = false;
};

}  // namespace

HWND OpenColourPopup() { return g_openPopup ? g_openPopup->hwnd : nullptr; }

bool ColourPopupChoiceRect(HWND popup, int choice, RECT* rect) {
    return g_openPopup && g_openPopup->hwnd == popup && rect && g_openPopup->ChoiceRect(choice, rect);
}

// ---------------------------------------------------------------------------

class ColourPickerUnit : public Unit {
public:
    using Data = ColourPickerData;
    static constexpr bool kConvertTextsEntry = false;
    ColourPickerData data;
    PropertyData& Properties() override { return data; }

    ~ColourPickerUnit() override {
        if (popup_ && g_openPopup == popup_) popup_->Abandon();
    }

    bool CreateControl(const CreateParams& p) override {
        if (!data.allowTransparent && IsTransparentColour(data.colour)) data.colour = 0;
        return CreateNative("BUTTON", 0, WS_CHILD | WS_CLIPSIBLINGS | BS_OWNERDRAW, "", p);
    }

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_LBUTTONUP: {
            LRESULT r = DefaultProc(msg, wp, lp);
            POINT pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            RECT rc;
            GetClientRect(hwnd, &rc);
            if (!designMode && !open_ && PtInRect(&rc, pt) && IsWindowEnabled(hwnd)) Open();
            return r;
        }
        case kColourSelChange: ToParent(kColourSelChange, static_cast<uint32_t>(wp)); return 0;
        case kColourSelEndOK: {
            uint32_t colour = static_cast<uint32_t>(wp);
            uint32_t before = ShownColour();
            open_ = false;
            popup_ = nullptr;
            data.colour = colour;
            InvalidateRect(hwnd, nullptr, TRUE);
            ToParent(kColourCloseUp, colour);
            ToParent(kColourSelEndOK, colour);
            if (colour != before) ToParent(kColourSelChange, colour);
            if (!designMode) Raise(kColourPickerColorChanged);
            return 0;
        }
        case kColourSelEndCancel:
            open_ = false;
            popup_ = nullptr;
            InvalidateRect(hwnd, nullptr, TRUE);
            ToParent(kColourCloseUp, static_cast<uint32_t>(wp));
            ToParent(kColourSelEndCancel, static_cast<uint32_t>(wp));
            return 0;
        case WM_DESTROY:
            if (popup_ && g_openPopup == popup_) popup_->Abandon();
            popup_ = nullptr;
            break;
        default: break;
        }
        return Unit::WindowProc(msg, wp, lp);
    }

    bool OnReflected(UINT msg, WPARAM, LPARAM lp, LRESULT& result) override {
        if (msg != WM_DRAWITEM) return false;
        Draw(*reinterpret_cast<DRAWITEMSTRUCT*>(lp));
        result = TRUE;
        return true;
    }

    bool SetProperty(int number, const PropertyValue& v, char**) override {
        switch (number) {
        case kColourPickerColor: data.colour = v.colour; break;
        case kColourPickerAllowTransparent: data.allowTransparent = v.logical != 0; break;
        default: return false;
        }
        if (hwnd) InvalidateRect(hwnd, nullptr, TRUE);
        return false;
    }

    bool GetProperty(int number, PropertyValue& v) override {
        switch (number) {
        case kColourPickerColor: v.colour = data.colour; return true;
        case kColourPickerAllowTransparent: v.logical = data.allowTransparent ? 1 : 0; return true;
        default: return false;
        }
    }

private:
    // Transparent shows as black unless the picker allows it.
    uint32_t ShownColour() const {
        return IsTransparentColour(data.colour) && !data.allowTransparent ? 0 : data.colour;
    }
    std::string TransparentText() const { return data.allowTransparent ? kTransparentText : ""; }

    void ToParent(UINT msg, uint32_t colour) {
        if (HWND parent = GetParent(hwnd))
            SendMessageA(parent, msg, colour, static_cast<LPARAM>(GetDlgCtrlID(hwnd)));
    }

    void Open() {
        open_ = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        UpdateWindow(hwnd);
        uint32_t colour = ShownColour();
        popup_ = ColourPopup::Open(hwnd, colour, TransparentText());
        if (!popup_) {
            open_ = false;
            InvalidateRect(hwnd, nullptr, TRUE);
            return;
        }
        ToParent(kColourDropDown, colour);
    }

    void Draw(const DRAWITEMSTRUCT& d) {
        HDC dc = d.hDC;
        RECT rc = d.rcItem;
        const bool disabled = (d.itemState & ODS_DISABLED) != 0;
        FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        const int cx = GetSystemMetrics(SM_CXEDGE), cy = GetSystemMetrics(SM_CYEDGE);
        RECT arrow = {rc.right - cx - GetSystemMetrics(SM_CXHTHUMB), rc.top + cy, rc.right - cx, rc.bottom - cy};
        DrawFrameControl(dc, &arrow, DFC_SCROLL,
                         DFCS_SCROLLDOWN | (disabled ? DFCS_INACTIVE : 0) | (open_ ? DFCS_PUSHED | DFCS_FLAT : 0));
        DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT);
        RECT box = {rc.left + cx + 2, rc.top + cy + 2, arrow.left - 2, rc.bottom - cy - 2};
        if (box.right <= box.left || box.bottom <= box.top) return;
        const uint32_t shown = ShownColour();
        const bool transparent = IsTransparentColour(shown);
        COLORREF fill = disabled ? GetSysColor(COLOR_BTNFACE) : (transparent ? RGB(255, 255, 255) : shown);
        HBRUSH brush = CreateSolidBrush(fill);
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
        Rectangle(dc, box.left, box.top, box.right, box.bottom);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
        if (transparent) {
            std::string text = TransparentText();
            HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(0, 0, 0));
            DrawTextA(dc, text.c_str(), -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            SelectObject(dc, oldFont);
        }
    }

    bool open_ = false;
    ColourPopup* popup_ = nullptr;
};

}  // namespace imprinta::units

IMPRINTA_UNIT_ENTRY_LOOKUP(ColorPickerEntryLookup, imprinta::units::ColourPickerUnit)
