// Background picture of the window unit.
#include "runtime/units/window_background.h"

#include "runtime/units/unit_framework.h"
#include "runtime/units/window_numbers.h"

namespace imprinta::units {

namespace {
constexpr int kStretched = 3;  // the window's own mode beyond the shared three
}  // namespace

void WindowBackground::Drop() {
    picture_.Release();
    tried_ = false;
}

bool WindowBackground::Decode(const ByteBuffer& data, uint32_t colour) {
    if (tried_) return !picture_.empty();
    tried_ = true;
    return DecodeAndRender(data, ResolveColour(colour), picture_);
}

RECT WindowBackground::CentredRect(int pw, int ph, int cw, int ch) { return FitCentred(pw, ph, RECT{0, 0, cw, ch}); }

void WindowBackground::Paint(HDC dc, const RECT& clip, int cw, int ch, const ByteBuffer& data, int mode,
                             uint32_t colour) {
    const COLORREF back = ResolveColour(colour);
    const RECT client = {0, 0, cw, ch};
    RECT covered = {0, 0, 0, 0};
    if (Decode(data, colour)) covered = DrawPictureByMode(dc, picture_, client, mode, clip, back);
    // Tiled and stretched pictures cover the client area; the rest is the colour.
    const bool whole = !picture_.empty() && (mode == kBackgroundTiled || mode == kBackgroundStretched);
    if (!whole) FillAround(dc, clip, covered, back);
}

}  // namespace imprinta::units
