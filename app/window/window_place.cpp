// The main window on the screens people have: it opens fitted to the work area
// of its monitor (or where it was left, when that still fits), can be resized
// and maximised, and lays its units out again at every size and resolution.
#include "app/window/window_place.h"
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>
#include "app/forms/main_window_units.h"
#include "app/window/window_layout.h"
#include "runtime/base/allocation_failure.h"
#include "runtime/forms/unit_object.h"

namespace app {

namespace {

using imprinta::forms::UnitObject;

constexpr UINT kMsgShowMaximised = WM_APP + 0x124;
constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED
constexpr int kStoredDpi = 96;

struct LaidOutUnit {
    HWND hwnd = nullptr;
    bool combo = false;  // its window height includes the drop-down list
    bool hiddenByLayout = false;
};

struct State {
    HWND window = nullptr;
    int systemDpi = kStoredDpi;  // the stock GUI font's resolution
    HFONT scaledFont = nullptr;  // the GUI font at another resolution, sent to the units
    WNDPROC previous = nullptr;
    std::unique_ptr<WindowLayout> layout;
    std::vector<LaidOutUnit> units;
    int dpi = kStoredDpi;
    RECT normal = {};  // the last restored rectangle
    bool laidOut = false;
    bool applying = false;
};

State g;
WindowPlace g_stored;

// Functions newer than the oldest systems are looked up when used.
template <typename Fn>
Fn User32Function(const char* name) {
    HMODULE user = GetModuleHandleA("user32.dll");
    return user ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user, name))) : nullptr;
}

int SystemDpi() {
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : kStoredDpi;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : kStoredDpi;
}

int WindowDpi(HWND window) {
    typedef UINT(WINAPI * GetDpiForWindowFn)(HWND);
    if (auto fn = User32Function<GetDpiForWindowFn>("GetDpiForWindow"))
        if (UINT dpi = fn(window)) return static_cast<int>(dpi);
    return SystemDpi();
}

// The frame's share of the outer size: outer minus client.
SIZE FrameSize(HWND window) {
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    return {(outer.right - outer.left) - client.right, (outer.bottom - outer.top) - client.bottom};
}

RECT WorkAreaOf(HMONITOR monitor) {
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    RECT work = {};
    if (monitor && GetMonitorInfoA(monitor, &mi)) return mi.rcWork;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

struct FoundUnits {
    std::vector<std::pair<HWND, UnitObject*>> units;
    bool outOfMemory = false;
};

// A system callback: bad_alloc must not unwind through the system's frames
// (that ends in terminate()); it stops the walk and is thrown again after it.
BOOL CALLBACK CollectUnit(HWND h, LPARAM list) {
    auto* found = reinterpret_cast<FoundUnits*>(list);
    UnitObject* unit = UnitObject::FromHandle(h);
    if (!unit || unit->formId != mainwindow::kWindowId || unit->hwnd != h) return TRUE;
    try {
        found->units.push_back({h, unit});
    } catch (const std::bad_alloc&) {
        found->outOfMemory = true;
        return FALSE;
    }
    return TRUE;
}

RECT RectInParent(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool IsComboBox(HWND h) {
    char cls[16] = {};
    GetClassNameA(h, cls, sizeof cls);
    return _stricmp(cls, "ComboBox") == 0;
}

// The units as the form placed them: the layout's reference.
void CollectUnits(HWND window) {
    FoundUnits found;
    EnumChildWindows(window, CollectUnit, reinterpret_cast<LPARAM>(&found));
    if (found.outOfMemory) throw std::bad_alloc();
    std::vector<LayoutUnit> units;
    for (const auto& [h, unit] : found.units) {
        RECT r = RectInParent(h);
        LayoutUnit u;
        u.id = unit->unitId;
        u.inGroup = GetParent(h) != window;
        u.stored = {r.left, r.top, r.right - r.left, r.bottom - r.top};
        units.push_back(u);
        g.units.push_back({h, IsComboBox(h), false});
    }
    LayoutRoles roles;
    roles.preview = mainwindow::kPreviewBox;
    roles.group = mainwindow::kSettingsGroup;
    roles.stretch = mainwindow::kBodyText;
    roles.note = mainwindow::kUsageNote;
    g.layout = std::make_unique<WindowLayout>(std::move(units), roles);
}

// A drop-down list as wide as its longest item, so long font names show whole
// while the box itself keeps its place.
void WidenDropDown(HWND combo) {
    int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    HDC dc = GetDC(combo);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(combo, WM_GETFONT, 0, 0)));
    int widest = 0;
    std::vector<char> text;
    for (int i = 0; i < count; ++i) {
        LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length <= 0) continue;
        text.assign(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        SIZE extent = {};
        GetTextExtentPoint32A(dc, text.data(), static_cast<int>(length), &extent);
        widest = std::max<int>(widest, extent.cx);
    }
    SelectObject(dc, old);
    ReleaseDC(combo, dc);
    RECT r;
    GetWindowRect(combo, &r);
    int want = widest + GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE) + 8;
    SendMessageA(combo, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(std::max<int>(want, r.right - r.left)), 0);
}

void WidenDropDowns() {
    for (const LaidOutUnit& u : g.units)
        if (u.combo) WidenDropDown(u.hwnd);
}

UINT MoveFlags(const RECT& now, const LayoutBox& want, bool combo) {
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (now.left == want.left && now.top == want.top) flags |= SWP_NOMOVE;
    const bool sameWidth = now.right - now.left == want.width;
    if (sameWidth && (combo || now.bottom - now.top == want.height)) flags |= SWP_NOSIZE;
    return flags;
}

void ApplyLayout() {
    if (!g.layout || g.applying || IsIconic(g.window)) return;
    g.applying = true;
    RECT client;
    GetClientRect(g.window, &client);
    std::vector<PlacedUnit> placed = g.layout->Place({client.right, client.bottom}, g.dpi);
    // Redrawn once at the end; WM_SETREDRAW would also show a window not yet shown.
    const bool shown = IsWindowVisible(g.window) != FALSE;
    if (shown) SendMessageA(g.window, WM_SETREDRAW, FALSE, 0);
    for (size_t i = 0; i < placed.size(); ++i) {
        LaidOutUnit& u = g.units[i];
        const LayoutBox& b = placed[i].box;
        RECT now = RectInParent(u.hwnd);
        UINT flags = MoveFlags(now, b, u.combo);
        int height = b.height;
        if (u.combo) {
            // A combo box's window height is its field and its list together.
            RECT dropped = {};
            SendMessageA(u.hwnd, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
            height = std::max<int>(dropped.bottom - dropped.top, now.bottom - now.top);
        }
        if ((flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE))
            SetWindowPos(u.hwnd, nullptr, b.left, b.top, b.width, height, flags);
        const bool visible = (GetWindowLongA(u.hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
        if (!placed[i].shown && visible) {
            ShowWindow(u.hwnd, SW_HIDE);
            u.hiddenByLayout = true;
        } else if (placed[i].shown && u.hiddenByLayout) {
            ShowWindow(u.hwnd, SW_SHOWNA);
            u.hiddenByLayout = false;
        }
    }
    if (shown) SendMessageA(g.window, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(g.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    g.applying = false;
    g.laidOut = true;
}

SIZE OuterSize(LayoutSize client) {
    SIZE frame = FrameSize(g.window);
    return {client.width + frame.cx, client.height + frame.cy};
}

void NoteNormalRect() {
    if (!g.window || IsIconic(g.window) || IsZoomed(g.window)) return;
    GetWindowRect(g.window, &g.normal);
}

// At start: where it was left when that fits the screens now, else as large as
// designed but no larger than the work area, centred on it.
void PlaceAtStart() {
    SIZE minimum = OuterSize(g.layout->MinimumClient(g.dpi));
    RECT kept = {g_stored.left, g_stored.top, g_stored.left + g_stored.width, g_stored.top + g_stored.height};
    RECT r;
    if (g_stored.valid && PlaceFitsScreens(kept, minimum)) {
        r = kept;
    } else {
        RECT work = WorkAreaOf(MonitorFromWindow(g.window, MONITOR_DEFAULTTOPRIMARY));
        SIZE want = OuterSize(g.layout->DesignedClient(g.dpi));
        int w = std::min<int>(want.cx, work.right - work.left), h = std::min<int>(want.cy, work.bottom - work.top);
        r.left = work.left + (work.right - work.left - w) / 2;
        r.top = work.top + (work.bottom - work.top - h) / 2;
        r.right = r.left + w;
        r.bottom = r.top + h;
    }
    SetWindowPos(g.window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    NoteNormalRect();
    // The loader shows the window normally; maximising follows once it is shown.
    if (g_stored.valid && g_stored.maximised) PostMessageA(g.window, kMsgShowMaximised, 0, 0);
}

// The units' GUI font at the window's resolution: the stock one at the
// system's, a scaled copy of it elsewhere.
void SendScaledFont() {
    HFONT stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HFONT font = stock;
    if (g.dpi != g.systemDpi) {
        LOGFONTA lf = {};
        GetObjectA(stock, sizeof lf, &lf);
        lf.lfHeight = MulDiv(lf.lfHeight, g.dpi, g.systemDpi);
        if (HFONT made = CreateFontIndirectA(&lf)) font = made;
    }
    for (const LaidOutUnit& u : g.units) SendMessageA(u.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (g.scaledFont) DeleteObject(g.scaledFont);
    g.scaledFont = font != stock ? font : nullptr;
}

void OnDpiChanged(WPARAM wp, const RECT* suggested) {
    int dpi = LOWORD(wp);
    if (dpi <= 0 || !suggested) return;
    g.dpi = dpi;
    SendScaledFont();
    SetWindowPos(g.window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyLayout();
    WidenDropDowns();
}

LRESULT HandleLayoutMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_GETMINMAXINFO: {
        LRESULT r = CallWindowProcA(g.previous, hwnd, msg, wp, lp);
        if (g.layout) {
            SIZE minimum = OuterSize(g.layout->MinimumClient(g.dpi));
            auto* info = reinterpret_cast<MINMAXINFO*>(lp);
            info->ptMinTrackSize.x = std::max<LONG>(info->ptMinTrackSize.x, minimum.cx);
            info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, minimum.cy);
        }
        return r;
    }
    case WM_SIZE: {
        LRESULT r = CallWindowProcA(g.previous, hwnd, msg, wp, lp);
        if (wp != SIZE_MINIMIZED) ApplyLayout();
        NoteNormalRect();
        return r;
    }
    case WM_MOVE: {
        LRESULT r = CallWindowProcA(g.previous, hwnd, msg, wp, lp);
        NoteNormalRect();
        return r;
    }
    case kDpiChanged:
        OnDpiChanged(wp, reinterpret_cast<const RECT*>(lp));
        return 0;
    case kMsgShowMaximised:
        ShowWindow(hwnd, SW_MAXIMIZE);
        return 0;
    default:
        return CallWindowProcA(g.previous, hwnd, msg, wp, lp);
    }
}

// A layout that runs out of memory (WM_SIZE) must not unwind through the
// system's frames: it becomes the out-of-memory report, as in the window's other subclass.
LRESULT CALLBACK WindowWithLayout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return imprinta::FatalOnBadAlloc([&] { return HandleLayoutMessage(hwnd, msg, wp, lp); });
}

}  // namespace

void SetStoredWindowPlace(const WindowPlace& place) { g_stored = place; }

WindowPlace CurrentWindowPlace() {
    WindowPlace p;
    if (!g.window || !g.laidOut || IsRectEmpty(&g.normal)) return p;
    p.left = g.normal.left;
    p.top = g.normal.top;
    p.width = g.normal.right - g.normal.left;
    p.height = g.normal.bottom - g.normal.top;
    p.maximised = IsZoomed(g.window) != FALSE;
    p.valid = true;
    return p;
}

bool PlaceFitsScreens(const RECT& r, SIZE minimum) {
    if (r.right - r.left < minimum.cx || r.bottom - r.top < minimum.cy) return false;
    HMONITOR monitor = MonitorFromRect(&r, MONITOR_DEFAULTTONULL);
    if (!monitor) return false;
    RECT work = WorkAreaOf(monitor);
    return r.left >= work.left && r.top >= work.top && r.right <= work.right && r.bottom <= work.bottom;
}

void AttachWindowLayout(HWND window) {
    if (!window || g.window) return;
    g.window = window;
    g.systemDpi = SystemDpi();
    g.dpi = WindowDpi(window);
    CollectUnits(window);
    g.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowWithLayout)));
    PlaceAtStart();
    ApplyLayout();
    WidenDropDowns();
}

}  // namespace app
