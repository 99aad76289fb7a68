// The window's frame: styles from the properties, and the live changes of
// styles, placement, system menu, z-order and outline.
#include "runtime/units/window_shapes.h"
#include "runtime/units/window_unit.h"

namespace imprinta::units {

namespace {

constexpr DWORD kFrameStyles = WS_CAPTION | WS_SYSMENU | WS_DLGFRAME | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX;
constexpr DWORD kFrameExStyles = WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE;

bool IsResizableBorder(int border) {
    return border == kWindowBorderResizable || border == kWindowBorderResizableTool ||
           border == kWindowBorderResizableSunken;
}
bool IsToolBorder(int border) { return border == kWindowBorderResizableTool || border == kWindowBorderFixedTool; }
bool IsSunkenBorder(int border) {
    return border == kWindowBorderResizableSunken || border == kWindowBorderFixedSunken;
}

// The work area of the monitor nearest to the window; the monitor functions
// are looked up when used, the system work area stands in when they are missing.
bool WorkAreaOfMonitor(HWND hwnd, RECT& work) {
    typedef HMONITOR(WINAPI * MonitorFromWindowFn)(HWND, DWORD);
    typedef BOOL(WINAPI * GetMonitorInfoFn)(HMONITOR, MONITORINFO*);
    HMODULE user = GetModuleHandleA("User32.dll");
    auto fromWindow = user ? reinterpret_cast<MonitorFromWindowFn>(
                                 reinterpret_cast<void*>(GetProcAddress(user, "MonitorFromWindow")))
                           : nullptr;
    auto info = user ? reinterpret_cast<GetMonitorInfoFn>(
                           reinterpret_cast<void*>(GetProcAddress(user, "GetMonitorInfoA")))
                     : nullptr;
    if (fromWindow && info) {
        MONITORINFO mi = {};
        mi.cbSize = sizeof mi;
        if (HMONITOR m = fromWindow(hwnd, MONITOR_DEFAULTTONEAREST); m && info(m, &mi)) {
            work = mi.rcWork;
            return true;
        }
    }
    return SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) != FALSE;
}

void CentreOnScreen(HWND hwnd) {
    if (IsIconic(hwnd) || IsZoomed(hwnd)) ShowWindow(hwnd, SW_RESTORE);
    RECT r;
    GetWindowRect(hwnd, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(hwnd, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MaximizeOntoWorkArea(HWND hwnd) {
    ShowWindow(hwnd, SW_RESTORE);
    ShowWindow(hwnd, SW_MAXIMIZE);
    RECT work;
    if (WorkAreaOfMonitor(hwnd, work))
        SetWindowPos(hwnd, nullptr, work.left, work.top, work.right - work.left, work.bottom - work.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd, SW_SHOW);
}

HRGN PolygonRegion(const std::vector<ShapePoint>& points) {
    if (points.empty()) return nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    BeginPath(dc);
    MoveToEx(dc, points[0].x, points[0].y, nullptr);
    for (size_t i = 1; i < points.size(); ++i) LineTo(dc, points[i].x, points[i].y);
    CloseFigure(dc);
    EndPath(dc);
    HRGN region = PathToRegion(dc);
    DeleteDC(dc);
    return region;
}

// The region of a shape; null for the plain rectangle.
HRGN ShapeRegion(const ShapeGeometry& g) {
    switch (g.kind) {
    case ShapeKind::Rectangle: return nullptr;
    case ShapeKind::Ellipse: return CreateEllipticRgn(0, 0, g.width, g.height);
    case ShapeKind::RoundRect:
        return CreateRoundRectRgn(0, 0, g.width, g.height, g.cornerDiameter, g.cornerDiameter);
    case ShapeKind::Ring: {
        HRGN region = CreateEllipticRgn(0, 0, g.width, g.height);
        HRGN hole = CreateEllipticRgn(g.innerLeft, g.innerTop, g.innerRight, g.innerBottom);
        if (region && hole) CombineRgn(region, region, hole, RGN_DIFF);
        if (hole) DeleteObject(hole);
        return region;
    }
    case ShapeKind::Polygon: return PolygonRegion(g.points);
    }
    return nullptr;
}

}  // namespace

WindowStyles ComputeWindowStyles(const WindowProperties& p, const WindowStyleContext& context) {
    WindowStyles s;
    s.style = context.runtimeStyle | WS_CLIPCHILDREN;
    int border = p.borderStyle;
    if (border != kWindowBorderNone) {
        if (!p.caption.empty() || p.controlBox) s.style |= WS_CAPTION;
        if (p.controlBox) s.style |= WS_SYSMENU;
        if (!context.designMode) s.style |= WS_DLGFRAME;
        if (IsResizableBorder(border)) s.style |= WS_THICKFRAME;
        if (IsToolBorder(border)) s.exStyle |= WS_EX_TOOLWINDOW;
        if (IsSunkenBorder(border)) s.exStyle |= WS_EX_CLIENTEDGE;
    }
    if (p.maxButton) s.style |= WS_MAXIMIZEBOX;
    if (p.minButton) s.style |= WS_MINIMIZEBOX;
    if (context.designMode) {
        s.style = (s.style | WS_CHILD) & ~(WS_THICKFRAME | WS_POPUP);
    } else if (context.hasOwner || (s.style & WS_CAPTION) != WS_CAPTION) {
        // Owned windows are popups; so is a window without a title bar, which
        // the system would otherwise give a caption.
        s.style |= WS_POPUP;
    }
    return s;
}

void WindowUnit::ApplyFrameStyles() {
    WindowStyles s = ComputeWindowStyles(props_, {0, designMode, hasOwner_});
    DWORD old = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
    DWORD oldEx = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE));
    DWORD style = (old & ~kFrameStyles) | (s.style & kFrameStyles);
    DWORD ex = (oldEx & ~kFrameExStyles) | (s.exStyle & kFrameExStyles);
    if (style == old && ex == oldEx) return;
    SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(style));
    SetWindowLongA(hwnd, GWL_EXSTYLE, static_cast<LONG>(ex));
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void WindowUnit::ApplyStartPosition() {
    switch (props_.startPosition) {
    case kWindowStartAsStored: ShowWindow(hwnd, SW_SHOWNORMAL); break;
    case kWindowStartCentred: CentreOnScreen(hwnd); break;
    case kWindowStartMinimized: ShowWindow(hwnd, SW_MINIMIZE); break;
    case kWindowStartMaximized: MaximizeOntoWorkArea(hwnd); break;
    default: break;
    }
}

void WindowUnit::ApplyMovable() {
    if (designMode) return;
    if (props_.movable) {
        GetSystemMenu(hwnd, TRUE);  // back to the standard menu
    } else if (HMENU menu = GetSystemMenu(hwnd, FALSE)) {
        DeleteMenu(menu, SC_MOVE, MF_BYCOMMAND);
    }
}

void WindowUnit::ApplyTopmost(bool set) {
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(hwnd, set ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    if (set) return;
    // Clearing it can drop owned topmost windows: put those back on top.
    int count = static_cast<int>(Notify(kNotifyWindowCount));
    for (int i = 0; i < count; ++i) {
        HWND h = reinterpret_cast<HWND>(static_cast<uintptr_t>(Notify(kNotifyNthWindowHandle, i)));
        if (!h || h == hwnd) continue;
        auto* w = dynamic_cast<WindowUnit*>(Unit::FromHandle(h));
        if (w && w->props_.alwaysOnTop && !w->props_.showInTaskbar)
            SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, flags);
    }
}

void WindowUnit::ApplyShape() {
    RECT r;
    GetWindowRect(hwnd, &r);
    HRGN region = ShapeRegion(ComputeShape(props_.shape, r.right - r.left, r.bottom - r.top));
    // The system owns a region once it is set.
    SetWindowRgn(hwnd, region, IsWindowVisible(hwnd));
}

}  // namespace imprinta::units
