#include "runtime/units/trans_label_unit.h"

#include <vector>
#include "runtime/units/label_unit.h"

namespace imprinta::units {

namespace {

struct RedrawUnder {
    RECT screen;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectIntersecting(HWND child, LPARAM lp) {
    auto* under = reinterpret_cast<RedrawUnder*>(lp);
    RECT r, meet;
    // Called by the system: the allocation failure is reported here.
    if (IsWindowVisible(child) && GetWindowRect(child, &r) && IntersectRect(&meet, &r, &under->screen))
        FatalOnBadAlloc([&] { under->windows.push_back(child); });
    return TRUE;
}

// Whether a visible sibling below h that overlaps it still waits for its
// paint: it would then paint over the caption.
bool SiblingBelowWaitsToPaint(HWND h) {
    RECT mine, r, meet;
    GetWindowRect(h, &mine);
    for (HWND s = GetWindow(h, GW_HWNDNEXT); s; s = GetWindow(s, GW_HWNDNEXT)) {
        if (!IsWindowVisible(s) || !GetWindowRect(s, &r) || !IntersectRect(&meet, &r, &mine)) continue;
        if (GetUpdateRect(s, nullptr, FALSE)) return true;
    }
    return false;
}

// Sibling units the caption must leave alone, in screen coordinates: visible,
// not see-through themselves, and overlapping the label without holding it
// wholly (a sibling that holds the label, such as a group box or a picture, is
// the backdrop the caption is written on). Whether they lie above or below the
// label in the z-order, they show on top of it and take its clicks.
std::vector<RECT> CoveredSiblings(HWND h) {
    std::vector<RECT> covered;
    HWND parent = GetParent(h);
    if (!parent) return covered;
    RECT mine, r, meet;
    GetWindowRect(h, &mine);
    for (HWND s = GetWindow(parent, GW_CHILD); s; s = GetWindow(s, GW_HWNDNEXT)) {
        if (s == h || !IsWindowVisible(s) || (GetWindowLongA(s, GWL_EXSTYLE) & WS_EX_TRANSPARENT)) continue;
        if (!GetWindowRect(s, &r) || !IntersectRect(&meet, &r, &mine)) continue;
        RECT both;
        UnionRect(&both, &r, &mine);
        if (EqualRect(&both, &r)) continue;  // the backdrop
        covered.push_back(r);
    }
    return covered;
}

void ExcludeCovered(HWND h, HDC dc) {
    for (RECT r : CoveredSiblings(h)) {
        MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&r), 2);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
}

bool OverCoveredSibling(HWND h, POINT screen) {
    for (const RECT& r : CoveredSiblings(h))
        if (PtInRect(&r, screen)) return true;
    return false;
}

HWND TopLevelOf(HWND h) {
    while (h && (GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) {
        HWND parent = GetParent(h);
        if (!parent) break;
        h = parent;
    }
    return h;
}

}  // namespace

bool TransLabelUnit::CreateControl(const CreateParams& p) {
    if (!CreateOwnWindow("QXTransLabel", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, WS_EX_TRANSPARENT,
                         WS_CHILD | WS_CLIPSIBLINGS, data.caption.c_str(), p))
        return false;
    ApplyFont(data.font, false);
    GetWindowRect(hwnd, &lastScreenRect_);
    return true;
}

void TransLabelUnit::RefreshUnder(const RECT& screenRect) {
    HWND top = TopLevelOf(hwnd);
    if (!top || top == hwnd || IsRectEmpty(&screenRect)) return;
    RECT r = screenRect;
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&r), 2);
    InvalidateRect(top, &r, TRUE);
    UpdateWindow(top);
    RedrawUnder under{screenRect, {}};
    EnumChildWindows(top, &CollectIntersecting, reinterpret_cast<LPARAM>(&under));
    // Bottom of the z-order first, so that what lies above paints last.
    // Only the part under the rectangle: repainting a whole picture would cover
    // other transparent labels on it that are not repainted.
    for (auto it = under.windows.rbegin(); it != under.windows.rend(); ++it) {
        if (!IsWindow(*it)) continue;
        RECT part = screenRect;
        MapWindowPoints(nullptr, *it, reinterpret_cast<POINT*>(&part), 2);
        RedrawWindow(*it, &part, nullptr, RDW_FRAME | RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW);
    }
}

void TransLabelUnit::Refresh() {
    if (!hwnd) return;
    RECT now;
    GetWindowRect(hwnd, &now);
    // Where the caption was must show the picture behind it again too.
    if (!EqualRect(&now, &lastScreenRect_)) RefreshUnder(lastScreenRect_);
    lastScreenRect_ = now;
    RefreshUnder(now);
    InvalidateRect(hwnd, nullptr, FALSE);
}

LRESULT TransLabelUnit::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // the parent shows through
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc) {
            RECT client;
            GetClientRect(hwnd, &client);
            ExcludeCovered(hwnd, dc);
            DrawCaptionOf(dc, data, CurrentFont(), client);
        }
        EndPaint(hwnd, &ps);
        // A plain update pass paints siblings in z-order, top first: a unit below
        // that has not painted yet would cover the caption, so paint again after it.
        if (SiblingBelowWaitsToPaint(hwnd)) InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case WM_NCHITTEST: {
        POINT at = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        // A click on a unit the label overlaps belongs to that unit.
        if (OverCoveredSibling(hwnd, at)) return HTTRANSPARENT;
        return Unit::WindowProc(msg, wp, lp);
    }
    case WM_WINDOWPOSCHANGED: {
        LRESULT r = Unit::WindowProc(msg, wp, lp);
        auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
        if (pos && (!(pos->flags & SWP_NOMOVE) || !(pos->flags & SWP_NOSIZE))) Refresh();
        return r;
    }
    default:
        return Unit::WindowProc(msg, wp, lp);
    }
}

bool TransLabelUnit::SetProperty(int number, const PropertyValue& v, char**) {
    switch (number) {
    case kTransLabelCaption:
        data.caption = TextOf(v);
        if (hwnd) SetWindowTextA(hwnd, data.caption.c_str());
        break;
    case kTransLabelEffect:
        if (!StoreChoice(data.effect, v.integer, 3)) return false;
        break;
    case kTransLabelFont:
        StoreBytes(data.font, v);
        ApplyFont(data.font, false);
        break;
    case kTransLabelTextColor: data.textColour = v.colour; break;
    case kTransLabelAlignment:
        if (!StoreChoice(data.alignment, v.integer, 2)) return false;
        break;
    case kTransLabelWordWrap: data.wordWrap = v.logical != 0; break;
    case kTransLabelVerticalAlignment:
        if (!StoreChoice(data.verticalAlignment, v.integer, 2)) return false;
        break;
    default: return false;
    }
    Refresh();
    return false;
}

bool TransLabelUnit::GetProperty(int number, PropertyValue& v) {
    v.words.low = v.words.high = 0;
    switch (number) {
    case kTransLabelCaption: v.text = data.caption.c_str(); return true;
    case kTransLabelEffect: v.integer = data.effect; return true;
    case kTransLabelFont:
        LendBytes(v, data.font);
        return true;
    case kTransLabelTextColor: v.colour = data.textColour; return true;
    case kTransLabelAlignment: v.integer = data.alignment; return true;
    case kTransLabelWordWrap: v.logical = data.wordWrap ? 1 : 0; return true;
    case kTransLabelVerticalAlignment: v.integer = data.verticalAlignment; return true;
    default: return false;
    }
}

}  // namespace imprinta::units

IMPRINTA_UNIT_ENTRY_LOOKUP(TransLabelEntryLookup, imprinta::units::TransLabelUnit)
