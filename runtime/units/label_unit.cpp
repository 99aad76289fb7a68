#include "runtime/units/label_unit.h"

#include <algorithm>
#include <vector>
#include "runtime/units/label_gradient.h"

namespace imprinta::units {

// --- caption ----------------------------------------------------------------------

UINT CaptionFormat(const CaptionStyle& s) {
    UINT f = DT_NOPREFIX;
    if (s.alignment == 1) f |= DT_CENTER;
    else if (s.alignment == 2) f |= DT_RIGHT;
    if (s.wordWrap) {
        f |= DT_WORDBREAK | DT_VCENTER;
    } else {
        f |= DT_SINGLELINE;
        if (s.verticalAlignment == 1) f |= DT_VCENTER;
        else if (s.verticalAlignment == 2) f |= DT_BOTTOM;
    }
    return f;
}

void DrawCaption(HDC dc, const std::string& caption, HFONT font, const RECT& rect, const CaptionStyle& s) {
    if (caption.empty()) return;
    HGDIOBJ oldFont = SelectObject(dc, font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColour = GetTextColor(dc);
    UINT format = CaptionFormat(s);
    auto pass = [&](COLORREF colour, int dx) {
        RECT r = rect;
        OffsetRect(&r, dx, dx);
        SetTextColor(dc, colour);
        DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &r, format);
    };
    switch (s.effect) {
    case 1: pass(RGB(255, 255, 255), 1); pass(s.textColour, 0); break;
    case 2: pass(RGB(255, 255, 255), 0); pass(s.textColour, 1); break;
    case 3: pass(RGB(0, 0, 0), 2); pass(s.textColour, 0); break;
    default: pass(s.textColour, 0); break;
    }
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

// --- gradients --------------------------------------------------------------------

void DrawGradient(HDC dc, const RECT& rect, int mode, const uint32_t* colours, int count, const RECT& clip) {
    int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0 || count < 2) return;
    std::vector<uint8_t> tile(size_t(kGradientTile) * kGradientTile * 4);
    for (int ty = 0; ty < h; ty += kGradientTile) {
        for (int tx = 0; tx < w; tx += kGradientTile) {
            int tw = std::min(kGradientTile, w - tx), th = std::min(kGradientTile, h - ty);
            RECT t = {rect.left + tx, rect.top + ty, rect.left + tx + tw, rect.top + ty + th}, meet;
            if (!IntersectRect(&meet, &t, &clip)) continue;
            RenderGradientTile(mode, colours, count, w, h, tx, ty, tw, th, tile.data());
            DrawBgra(dc, tile.data(), tw, th, t.left, t.top);
        }
    }
}

void DrawGradientFrame(HDC dc, const RECT& rect, int frameWidth, const uint32_t* colours, int count,
                       const RECT& clip) {
    int w = rect.right - rect.left, h = rect.bottom - rect.top;
    FrameBands b = LimitFrame(frameWidth, w, h);
    if (b.side <= 0 && b.topBottom <= 0) return;
    const int L = rect.left, T = rect.top, R = rect.right, B = rect.bottom;
    RECT top = {L, T, R, T + b.topBottom}, bottom = {L, B - b.topBottom, R, B};
    DrawGradient(dc, top, 1, colours, count, clip);
    DrawGradient(dc, bottom, 1, colours, count, clip);
    // Side bands meet the top and bottom bands along the corner diagonals.
    auto side = [&](const RECT& band, const POINT (&shape)[4]) {
        int saved = SaveDC(dc);
        HRGN rgn = CreatePolygonRgn(shape, 4, WINDING);
        ExtSelectClipRgn(dc, rgn, RGN_AND);
        DeleteObject(rgn);
        DrawGradient(dc, band, 2, colours, count, clip);
        RestoreDC(dc, saved);
    };
    RECT left = {L, T, L + b.side, B}, right = {R - b.side, T, R, B};
    POINT leftShape[4] = {{L, T}, {L + b.side, T + b.topBottom}, {L + b.side, B - b.topBottom}, {L, B}};
    POINT rightShape[4] = {{R, T}, {R - b.side, T + b.topBottom}, {R - b.side, B - b.topBottom}, {R, B}};
    side(left, leftShape);
    side(right, rightShape);
}

// --- the label --------------------------------------------------------------------

bool LabelUnit::CreateControl(const CreateParams& p) {
    if (!CreateOwnWindow("_QX_Label", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, 0, WS_CHILD | WS_CLIPSIBLINGS,
                         data.caption.c_str(), p))
        return false;
    ApplyFont(data.font, false);
    ApplyBorder(hwnd, data.border == kLabelGradientFrameBorder ? 0 : data.border);
    return true;
}

RECT LabelUnit::InnerRect() const {
    RECT r = {0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &r);
    if (data.border == kLabelGradientFrameBorder && data.frameWidth > 0) {
        uint32_t colours[3];
        if (CollectGradientColours(data.frameColour, colours) >= 2) {
            FrameBands b = LimitFrame(data.frameWidth, r.right - r.left, r.bottom - r.top);
            InflateRect(&r, -b.side, -b.topBottom);
        }
    }
    return r;
}

void LabelUnit::Paint(HDC dc, const RECT& clip) {
    RECT client;
    GetClientRect(hwnd, &client);
    uint32_t colours[3];
    if (data.border == kLabelGradientFrameBorder && data.frameWidth > 0) {
        int n = CollectGradientColours(data.frameColour, colours);
        if (n >= 2) DrawGradientFrame(dc, client, data.frameWidth, colours, n, clip);
    }
    RECT rect = InnerRect(), area;
    if (!IntersectRect(&area, &rect, &clip)) return;
    int saved = SaveDC(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    COLORREF back = ResolveColour(data.backColour);
    bool filled = false;
    if (!data.backPicture.empty() && !pictureTried_) {
        pictureTried_ = true;
        // Data that is no picture is dropped; the label then shows its background.
        if (!DecodeAndRender(data.backPicture, back, picture_)) data.backPicture.Clear();
    }
    if (!data.backPicture.empty() && !picture_.empty()) {
        RECT covered = DrawPictureByMode(dc, picture_, rect, data.pictureMode, area, back);
        if (data.pictureMode != 1) FillAround(dc, area, covered, back);
        filled = true;
    } else if (data.gradientMode != 0) {
        int n = CollectGradientColours(data.gradientColour, colours);
        if (n >= 2) {
            DrawGradient(dc, rect, data.gradientMode, colours, n, area);
            filled = true;
        }
    }
    if (!filled) FillAround(dc, area, RECT{0, 0, 0, 0}, back);
    DrawCaptionOf(dc, data, CurrentFont(), rect);
    RestoreDC(dc, saved);
}

void LabelUnit::Repaint() {
    if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
}

LRESULT LabelUnit::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT clip;
        if (dc && GetClipBox(dc, &clip) != NULLREGION && !IsRectEmpty(&clip)) {
            RECT client;
            GetClientRect(hwnd, &client);
            IntersectRect(&clip, &clip, &client);
            // Composed off screen: frame, background and caption appear at once.
            HDC mem = CreateCompatibleDC(dc);
            HBITMAP bmp = CreateCompatibleBitmap(dc, std::max(1L, client.right), std::max(1L, client.bottom));
            HGDIOBJ old = SelectObject(mem, bmp);
            Paint(mem, clip);
            BitBlt(dc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, mem, clip.left, clip.top,
                   SRCCOPY);
            SelectObject(mem, old);
            DeleteObject(bmp);
            DeleteDC(mem);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case kLabelFeedbackMessage: {
        EventAnswer a = Raise(kLabelFeedback, {static_cast<uint32_t>(wp), static_cast<uint32_t>(lp)});
        return a.hasResult ? static_cast<LRESULT>(static_cast<uint32_t>(a.value)) : 0;
    }
    default:
        return Unit::WindowProc(msg, wp, lp);
    }
}

bool LabelUnit::SetProperty(int number, const PropertyValue& v, char**) {
    switch (number) {
    case kLabelCaption:
        data.caption = TextOf(v);
        if (hwnd) SetWindowTextA(hwnd, data.caption.c_str());
        break;
    case kLabelEffect:
        if (!StoreChoice(data.effect, v.integer, 3)) return false;
        break;
    case kLabelBorder:
        if (!StoreChoice(data.border, v.integer, 6)) return false;
        if (hwnd) ApplyBorder(hwnd, data.border == kLabelGradientFrameBorder ? 0 : data.border);
        break;
    case kLabelFrameWidth: data.frameWidth = std::max(kLabelMinFrameWidth, v.integer); break;
    case kLabelFrameColor1:
    case kLabelFrameColor2:
    case kLabelFrameColor3: data.frameColour[number - kLabelFrameColor1] = v.colour; break;
    case kLabelFont:
        StoreBytes(data.font, v);
        ApplyFont(data.font, false);
        break;
    case kLabelTextColor: data.textColour = v.colour; break;
    case kLabelBackColor:
        data.backColour = v.colour;
        // A PNG background was blended with the old colour.
        picture_.Release();
        pictureTried_ = false;
        break;
    case kLabelBackPicture:
        StoreBytes(data.backPicture, v);
        picture_.Release();
        pictureTried_ = false;
        break;
    case kLabelBackPictureMode:
        if (!StoreChoice(data.pictureMode, v.integer, 2)) return false;
        break;
    case kLabelGradientMode:
        if (!StoreChoice(data.gradientMode, v.integer, 8)) return false;
        break;
    case kLabelGradientColor1:
    case kLabelGradientColor2:
    case kLabelGradientColor3: data.gradientColour[number - kLabelGradientColor1] = v.colour; break;
    case kLabelAlignment:
        if (!StoreChoice(data.alignment, v.integer, 2)) return false;
        break;
    case kLabelWordWrap: data.wordWrap = v.logical != 0; break;
    case kLabelVerticalAlignment:
        if (!StoreChoice(data.verticalAlignment, v.integer, 2)) return false;
        break;
    case kLabelDataSource: data.dataSource = TextOf(v); return false;
    case kLabelDataColumn: data.dataColumn = TextOf(v); return false;
    default: return false;
    }
    Repaint();
    return false;
}

bool LabelUnit::GetProperty(int number, PropertyValue& v) {
    v.words.low = v.words.high = 0;
    switch (number) {
    case kLabelCaption: v.text = data.caption.c_str(); return true;
    case kLabelEffect: v.integer = data.effect; return true;
    case kLabelBorder: v.integer = data.border; return true;
    case kLabelFrameWidth: v.integer = data.frameWidth; return true;
    case kLabelFrameColor1:
    case kLabelFrameColor2:
    case kLabelFrameColor3: v.colour = data.frameColour[number - kLabelFrameColor1]; return true;
    case kLabelFont: LendBytes(v, data.font); return true;
    case kLabelTextColor: v.colour = data.textColour; return true;
    case kLabelBackColor: v.colour = data.backColour; return true;
    case kLabelBackPicture: LendBytes(v, data.backPicture); return true;
    case kLabelBackPictureMode: v.integer = data.pictureMode; return true;
    case kLabelGradientMode: v.integer = data.gradientMode; return true;
    case kLabelGradientColor1:
    case kLabelGradientColor2:
    case kLabelGradientColor3: v.colour = data.gradientColour[number - kLabelGradientColor1]; return true;
    case kLabelAlignment: v.integer = data.alignment; return true;
    case kLabelWordWrap: v.logical = data.wordWrap ? 1 : 0; return true;
    case kLabelVerticalAlignment: v.integer = data.verticalAlignment; return true;
    case kLabelDataSource: v.text = data.dataSource.c_str(); return true;
    case kLabelDataColumn: v.text = data.dataColumn.c_str(); return true;
    default: return false;
    }
}

}  // namespace imprinta::units

IMPRINTA_UNIT_ENTRY_LOOKUP(LabelEntryLookup, imprinta::units::LabelUnit)
