#include "runtime/units/draw_panel_unit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace imprinta::units {

void SetDrawingUnit(HDC dc, int unit) {
    static const int kModes[] = {MM_LOMETRIC, MM_HIMETRIC, MM_LOENGLISH, MM_HIENGLISH, MM_TWIPS};
    if (unit < 1 || unit > 5) {
        SetMapMode(dc, MM_TEXT);
        return;
    }
    SetMapMode(dc, kModes[unit - 1]);
    SIZE window, viewport;
    GetWindowExtEx(dc, &window);
    GetViewportExtEx(dc, &viewport);
    // Same scale, but y grows downward as with pixels.
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, window.cx, window.cy, nullptr);
    SetViewportExtEx(dc, viewport.cx, -viewport.cy, nullptr);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    SetWindowOrgEx(dc, 0, 0, nullptr);
}

int FontHeightInUnit(int height, int unit, int pixelsPerInch) {
    static const double kFactors[] = {253.8071065989848, 2538.0710659898477, 100.0, 1000.0, 1440.0};
    if (unit < 1 || unit > 5 || pixelsPerInch <= 0) return height;
    double inches = std::abs(double(height)) / pixelsPerInch;
    return static_cast<int>(-inches * kFactors[unit - 1]);
}

DrawPanelUnit::~DrawPanelUnit() {
    DeleteBuffer();
    if (pen_) DeleteObject(pen_);
    if (drawBrush_) DeleteObject(drawBrush_);
    if (drawFont_) DeleteObject(drawFont_);
}

bool DrawPanelUnit::CreateControl(const CreateParams& p) {
    MakePen();
    MakeBrush();
    MakeDrawFont();
    if (!CreateOwnWindow("_QX_DrawPanel", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, 0, WS_CHILD | WS_CLIPSIBLINGS, nullptr,
                         p))
        return false;
    ApplyBorder(hwnd, data.border);
    return true;
}

// --- drawing state ----------------------------------------------------------------

namespace {
// Stock objects in place of ours, so ours can be deleted.
void Deselect(HDC dc) {
    if (!dc) return;
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
}
}  // namespace

void DrawPanelUnit::MakePen() {
    static const int kStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_INSIDEFRAME};
    Deselect(bufferDc_);
    if (pen_) DeleteObject(pen_);
    COLORREF c = ResolveColour(data.penColour);
    if (data.penStyle >= 1 && data.penStyle <= 6) {
        pen_ = CreatePen(kStyles[data.penStyle - 1], data.penWidth, c);
    } else {
        pen_ = CreatePen(8, 0, c);
        if (!pen_) pen_ = CreatePen(PS_NULL, 0, c);
    }
    ApplyDrawingState(bufferDc_);
}

void DrawPanelUnit::MakeBrush() {
    Deselect(bufferDc_);
    if (drawBrush_) DeleteObject(drawBrush_);
    COLORREF c = ResolveColour(data.brushColour);
    // 0 hollow, 1 solid, 2..7 the six hatch patterns, the rest solid.
    LOGBRUSH lb = {BS_SOLID, c, 0};
    if (data.brushStyle == 0) lb.lbStyle = BS_HOLLOW;
    else if (data.brushStyle >= 2 && data.brushStyle <= 7) {
        lb.lbStyle = BS_HATCHED;
        lb.lbHatch = static_cast<ULONG_PTR>(data.brushStyle - 2);
    }
    drawBrush_ = CreateBrushIndirect(&lb);
    ApplyDrawingState(bufferDc_);
}

void DrawPanelUnit::MakeDrawFont() {
    Deselect(bufferDc_);
    if (drawFont_) DeleteObject(drawFont_);
    uint8_t record[kFontRecordSize];
    if (data.font.size() == kFontRecordSize) std::memcpy(record, data.font.data(), kFontRecordSize);
    else DefaultFontRecord(record);
    if (data.drawingUnit >= 1 && data.drawingUnit <= 5) {
        HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        int ppi = display ? GetDeviceCaps(display, LOGPIXELSY) : 96;
        if (display) DeleteDC(display);
        LONG height;
        std::memcpy(&height, record, sizeof height);
        height = FontHeightInUnit(height, data.drawingUnit, ppi);
        std::memcpy(record, &height, sizeof height);
    }
    drawFont_ = MakeFontFromRecord(record, kFontRecordSize);
    ApplyDrawingState(bufferDc_);
}

void DrawPanelUnit::ApplyDrawingState(HDC dc) {
    if (!dc) return;
    if (pen_) SelectObject(dc, pen_);
    if (drawBrush_) SelectObject(dc, drawBrush_);
    if (drawFont_) SelectObject(dc, drawFont_);
    SetROP2(dc, data.drawMode + 1);
    SetTextColor(dc, ResolveColour(data.textColour));
    if (IsTransparentColour(data.textBackColour)) {
        SetBkMode(dc, TRANSPARENT);
    } else {
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, data.textBackColour);
    }
}

SIZE DrawPanelUnit::DrawSize() const {
    SIZE s = {0, 0};
    if (!hwnd) return s;
    RECT client;
    GetClientRect(hwnd, &client);
    HDC dc = GetDC(hwnd);
    int saved = SaveDC(dc);
    SetDrawingUnit(dc, data.drawingUnit);
    POINT pt = {client.right, client.bottom};
    DPtoLP(dc, &pt, 1);
    RestoreDC(dc, saved);
    ReleaseDC(hwnd, dc);
    s.cx = pt.x;
    s.cy = pt.y;
    return s;
}

// --- background and back buffer ----------------------------------------------------

void DrawPanelUnit::PaintBackground(HDC dc, const RECT& area) {
    int saved = SaveDC(dc);
    SetMapMode(dc, MM_TEXT);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    COLORREF back = ResolveColour(data.backColour);
    if (!data.backPicture.empty() && !pictureTried_) {
        pictureTried_ = true;
        // Bytes that are no picture are dropped; the panel shows its colour.
        if (!DecodeAndRender(data.backPicture, back, picture_)) data.backPicture.Clear();
    }
    RECT client = {0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    if (!data.backPicture.empty() && !picture_.empty()) {
        IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
        RECT covered = DrawPictureByMode(dc, picture_, client, data.pictureMode, area, back);
        if (data.pictureMode != 1) FillAround(dc, area, covered, back);
    } else {
        FillAround(dc, area, RECT{0, 0, 0, 0}, back);
    }
    RestoreDC(dc, saved);
}

void DrawPanelUnit::DeleteBuffer() {
    if (target_ == bufferDc_) target_ = nullptr;
    if (bufferDc_) {
        SelectObject(bufferDc_, bufferOld_);
        Deselect(bufferDc_);
        DeleteDC(bufferDc_);
    }
    if (buffer_) DeleteObject(buffer_);
    bufferDc_ = nullptr;
    buffer_ = nullptr;
    bufferOld_ = nullptr;
    bufferSize_ = {0, 0};
}

void DrawPanelUnit::RebuildBuffer(bool keepContent) {
    if (designMode || !data.autoRedraw || !hwnd) return;
    RECT client;
    GetClientRect(hwnd, &client);
    int w = std::max(1L, client.right), h = std::max(1L, client.bottom);
    HDC screen = GetDC(hwnd);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(hwnd, screen);
    if (!dc || !bmp) {
        if (dc) DeleteDC(dc);
        if (bmp) DeleteObject(bmp);
        return;
    }
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT all = {0, 0, w, h};
    PaintBackground(dc, all);
    bool centred = !data.backPicture.empty() && !picture_.empty() && data.pictureMode == 2;
    if (keepContent && bufferDc_ && !centred) {
        int saved = SaveDC(bufferDc_);
        SetMapMode(bufferDc_, MM_TEXT);
        SetViewportOrgEx(bufferDc_, 0, 0, nullptr);
        SetWindowOrgEx(bufferDc_, 0, 0, nullptr);
        BitBlt(dc, 0, 0, std::min<int>(w, bufferSize_.cx), std::min<int>(h, bufferSize_.cy), bufferDc_, 0, 0,
               SRCCOPY);
        RestoreDC(bufferDc_, saved);
    }
    bool wasTarget = target_ == bufferDc_ || target_ == nullptr;
    DeleteBuffer();
    bufferDc_ = dc;
    buffer_ = bmp;
    bufferOld_ = old;
    bufferSize_ = {w, h};
    SetDrawingUnit(bufferDc_, data.drawingUnit);
    ApplyDrawingState(bufferDc_);
    if (wasTarget) target_ = bufferDc_;
}

// --- painting -------------------------------------------------------------------------

void DrawPanelUnit::Paint() {
    HWND h = hwnd;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT client, clip;
    GetClientRect(h, &client);
    if (!dc || GetClipBox(dc, &clip) == ERROR || !IntersectRect(&painting_, &clip, &client)) {
        painting_ = {0, 0, 0, 0};
        EndPaint(h, &ps);
        return;
    }
    if (bufferDc_) {
        int saved = SaveDC(bufferDc_);
        SetMapMode(bufferDc_, MM_TEXT);
        SetViewportOrgEx(bufferDc_, 0, 0, nullptr);
        SetWindowOrgEx(bufferDc_, 0, 0, nullptr);
        int right = std::min<int>(painting_.right, bufferSize_.cx), bottom = std::min<int>(painting_.bottom, bufferSize_.cy);
        if (right > painting_.left && bottom > painting_.top)
            BitBlt(dc, painting_.left, painting_.top, right - painting_.left, bottom - painting_.top, bufferDc_,
                   painting_.left, painting_.top, SRCCOPY);
        RestoreDC(bufferDc_, saved);
        EndPaint(h, &ps);
        return;
    }
    PaintBackground(dc, painting_);
    int saved = SaveDC(dc);
    SetDrawingUnit(dc, data.drawingUnit);
    ApplyDrawingState(dc);
    POINT corners[2] = {{painting_.left, painting_.top}, {painting_.right, painting_.bottom}};
    DPtoLP(dc, corners, 2);
    HDC previous = target_;
    target_ = dc;
    Raise(kDrawPanelPaint, {static_cast<uint32_t>(corners[0].x), static_cast<uint32_t>(corners[0].y),
                            static_cast<uint32_t>(corners[1].x), static_cast<uint32_t>(corners[1].y)});
    // The handler may have destroyed the panel (and with it this object).
    if (IsWindow(h) && Unit::FromHandle(h) == this) target_ = previous;
    RestoreDC(dc, saved);
    EndPaint(h, &ps);
}

LRESULT DrawPanelUnit::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_SIZE: {
        LRESULT r = Unit::WindowProc(msg, wp, lp);
        painting_ = {0, 0, 0, 0};
        RebuildBuffer(true);
        return r;
    }
    case WM_MOUSEACTIVATE:
        if (!designMode && (GetWindowLongA(hwnd, GWL_STYLE) & WS_TABSTOP)) {
            DWORD pos = GetMessagePos();
            POINT pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
            ScreenToClient(hwnd, &pt);
            if (ChildWindowFromPointEx(hwnd, pt, CWP_SKIPINVISIBLE) == hwnd && GetFocus() != hwnd) SetFocus(hwnd);
        }
        return Unit::WindowProc(msg, wp, lp);
    case WM_DESTROY:
        DeleteBuffer();
        return Unit::WindowProc(msg, wp, lp);
    default:
        return Unit::WindowProc(msg, wp, lp);
    }
}

// --- properties ---------------------------------------------------------------------------

bool DrawPanelUnit::SetProperty(int number, const PropertyValue& v, char**) {
    switch (number) {
    case kDrawPanelBorder:
        if (StoreChoice(data.border, v.integer, 5) && hwnd) ApplyBorder(hwnd, data.border);
        return false;
    case kDrawPanelBackColor:
        if (v.colour == data.backColour) return false;
        data.backColour = v.colour;
        BackgroundChanged();  // PNG transparency follows the colour
        return false;
    case kDrawPanelBackPicture:
        StoreBytes(data.backPicture, v);
        BackgroundChanged();
        return false;
    case kDrawPanelBackPictureMode:
        if (StoreChoice(data.pictureMode, v.integer, 2)) Repaint();
        return false;
    case kDrawPanelAutoRedraw: SetAutoRedraw(v.logical != 0); return false;
    case kDrawPanelDrawingUnit:
        if (StoreChoice(data.drawingUnit, v.integer, 5)) {
            MakeDrawFont();
            if (bufferDc_) SetDrawingUnit(bufferDc_, data.drawingUnit);
        }
        return false;
    case kDrawPanelPenStyle:
    case kDrawPanelPenWidth:
    case kDrawPanelPenColor:
        if (StorePen(number, v)) MakePen();
        return false;
    case kDrawPanelBrushStyle:
        if (StoreChoice(data.brushStyle, v.integer, 55)) MakeBrush();
        return false;
    case kDrawPanelBrushColor:
        if (v.colour != data.brushColour) {
            data.brushColour = v.colour;
            MakeBrush();
        }
        return false;
    case kDrawPanelDrawMode:
        data.drawMode = ClampChoice(v.integer, 15);
        ApplyDrawingState(bufferDc_);
        return false;
    case kDrawPanelTextColor:
        data.textColour = v.colour;
        ApplyDrawingState(bufferDc_);
        return false;
    case kDrawPanelTextBackColor:
        data.textBackColour = v.colour;
        ApplyDrawingState(bufferDc_);
        return false;
    case kDrawPanelFont:
        StoreBytes(data.font, v);
        MakeDrawFont();
        return false;
    default:
        return false;  // the draw size is read only
    }
}

void DrawPanelUnit::BackgroundChanged() {
    picture_.Release();
    pictureTried_ = false;
    RebuildBuffer(false);
    Repaint();
}

void DrawPanelUnit::SetAutoRedraw(bool on) {
    if (on == data.autoRedraw) return;
    data.autoRedraw = on;
    if (designMode) return;
    if (on) RebuildBuffer(false);
    else DeleteBuffer();
    Repaint();
}

// Style, width or colour of the pen; false when the stored value stays the same.
bool DrawPanelUnit::StorePen(int number, const PropertyValue& v) {
    switch (number) {
    case kDrawPanelPenStyle: return StoreChoice(data.penStyle, v.integer, 6);
    case kDrawPanelPenWidth: return StoreChoice(data.penWidth, v.integer, 32767);
    case kDrawPanelPenColor:
        if (v.colour == data.penColour) return false;
        data.penColour = v.colour;
        return true;
    default: return false;
    }
}

bool DrawPanelUnit::GetProperty(int number, PropertyValue& v) {
    v.words.low = v.words.high = 0;
    switch (number) {
    case kDrawPanelBorder: v.integer = data.border; return true;
    case kDrawPanelBackColor: v.colour = data.backColour; return true;
    case kDrawPanelBackPicture: LendBytes(v, data.backPicture); return true;
    case kDrawPanelBackPictureMode: v.integer = data.pictureMode; return true;
    case kDrawPanelAutoRedraw: v.logical = data.autoRedraw ? 1 : 0; return true;
    case kDrawPanelDrawingUnit: v.integer = data.drawingUnit; return true;
    case kDrawPanelPenStyle: v.integer = data.penStyle; return true;
    case kDrawPanelDrawMode: v.integer = data.drawMode; return true;
    case kDrawPanelPenWidth: v.integer = data.penWidth; return true;
    case kDrawPanelPenColor: v.colour = data.penColour; return true;
    case kDrawPanelBrushStyle: v.integer = data.brushStyle; return true;
    case kDrawPanelBrushColor: v.colour = data.brushColour; return true;
    case kDrawPanelTextColor: v.colour = data.textColour; return true;
    case kDrawPanelTextBackColor: v.colour = data.textBackColour; return true;
    case kDrawPanelFont: LendBytes(v, data.font); return true;
    case kDrawPanelDrawWidth: v.integer = DrawSize().cx; return true;
    case kDrawPanelDrawHeight: v.integer = DrawSize().cy; return true;
    default: return false;
    }
}

}  // namespace imprinta::units

IMPRINTA_UNIT_ENTRY_LOOKUP(DrawPanelEntryLookup, imprinta::units::DrawPanelUnit)
