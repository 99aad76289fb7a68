// The window unit: creation, properties, painting, closing, activation, tray
// icon, background music and the pre-translation of queued messages.
#include "runtime/units/window_unit.h"

#include <mmsystem.h>
#include <shellapi.h>
#include <algorithm>
#include <cstring>
#include "runtime/core/runtime_state.h"
#include "runtime/forms/forms_api.h"
#include "runtime/units/window_shapes.h"

namespace imprinta::units {

namespace {

// Events 5 and 6 are never nested: one flag for the whole program.
bool g_activationEventRunning = false;

std::vector<WindowUnit*>& ModalWindows() {
    static std::vector<WindowUnit*> list;
    return list;
}

uint32_t Word(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool IsWaveData(const ByteBuffer& b) {
    return b.size() >= 12 && std::memcmp(b.data(), "RIFF", 4) == 0 && std::memcmp(b.data() + 8, "WAVE", 4) == 0;
}

// An icon of about cx x cy from the bytes of an icon file: the entry of that
// width with the most colours, else the nearest larger, else the largest.
HICON IconFromFileData(const uint8_t* data, size_t size, int cx, int cy) {
    if (!data || size < 6 + 16 || Le16(data) != 0 || Le16(data + 2) != 1) return nullptr;
    size_t count = std::min<size_t>(Le16(data + 4), (size - 6) / 16);
    int best = -1;
    long bestScore = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = data + 6 + 16 * i;
        uint32_t bytes = Le32(e + 8), offset = Le32(e + 12);
        if (offset > size || bytes > size - offset || bytes < 40) continue;
        int w = e[0] ? e[0] : 256;
        int bits = Le16(e + 6);
        long score = w == cx ? 1000000 + bits : w > cx ? 500000 - w : w;
        if (best < 0 || score > bestScore) {
            best = static_cast<int>(i);
            bestScore = score;
        }
    }
    if (best < 0) return nullptr;
    const uint8_t* e = data + 6 + 16 * best;
    return CreateIconFromResourceEx(const_cast<PBYTE>(data + Le32(e + 12)), Le32(e + 8), TRUE, 0x00030000, cx, cy,
                                    LR_DEFAULTCOLOR);
}

// The program's own icon in both sizes: asked from the runtime; loaded from
// the resource here when the runtime gives none (shared, never destroyed).
void ProgramIcons(HICON& big, HICON& small) {
    uint32_t words[2] = {0, 0};
    Notify(kNotifyProgramIcon, Word(words));
    big = reinterpret_cast<HICON>(static_cast<uintptr_t>(words[0]));
    small = reinterpret_cast<HICON>(static_cast<uintptr_t>(words[1]));
    if (big || small) return;
    HINSTANCE inst = GetModuleHandleA(nullptr);
    big = static_cast<HICON>(LoadImageA(inst, "DEFAULT_ICON", IMAGE_ICON, 32, 32, LR_SHARED));
    small = static_cast<HICON>(LoadImageA(inst, "DEFAULT_ICON", IMAGE_ICON, 16, 16, LR_SHARED));
}

// Cuts an ANSI text to at most max bytes without splitting a double-byte character.
std::string CutText(const char* text, size_t max) {
    std::string out;
    if (!text) return out;
    for (size_t i = 0; text[i];) {
        size_t n = IsDBCSLeadByte(static_cast<BYTE>(text[i])) && text[i + 1] ? 2 : 1;
        if (out.size() + n > max) break;
        out.append(text + i, n);
        i += n;
    }
    return out;
}

void CollectUnits(HWND parent, uint32_t formId, std::vector<Unit*>& out) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        Unit* u = Unit::FromHandle(c);
        if (u && u->formId == formId) out.push_back(u);
        CollectUnits(c, formId, out);
    }
}

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

constexpr DWORD kFrameStyles = WS_CAPTION | WS_SYSMENU | WS_DLGFRAME | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX;
constexpr DWORD kFrameExStyles = WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE;

}  // namespace

WindowStyles ComputeWindowStyles(const WindowProperties& p, DWORD runtimeStyle, bool designMode, bool hasOwner) {
    WindowStyles s;
    s.style = runtimeStyle | WS_CLIPCHILDREN;
    int border = p.borderStyle;
    if (border != 0) {
        if (!p.caption.empty() || p.controlBox) s.style |= WS_CAPTION;
        if (p.controlBox) s.style |= WS_SYSMENU;
        if (!designMode) s.style |= WS_DLGFRAME;
        if (border == 1 || border == 3 || border == 5) s.style |= WS_THICKFRAME;
        if (border == 3 || border == 4) s.exStyle |= WS_EX_TOOLWINDOW;
        if (border == 5 || border == 6) s.exStyle |= WS_EX_CLIENTEDGE;
    }
    if (p.maxButton) s.style |= WS_MAXIMIZEBOX;
    if (p.minButton) s.style |= WS_MINIMIZEBOX;
    if (designMode) {
        s.style = (s.style | WS_CHILD) & ~(WS_THICKFRAME | WS_POPUP);
    } else if (hasOwner || (s.style & WS_CAPTION) != WS_CAPTION) {
        // Owned windows are popups; so is a window without a title bar, which
        // the system would otherwise give a caption.
        s.style |= WS_POPUP;
    }
    return s;
}

HGLOBAL IMPRINTA_STDCALL WindowUnit::IconData(const void* data, uint32_t size, uint32_t* iconSize) {
    if (iconSize) *iconSize = 0;
    WindowProperties p;
    if (!LoadPropertyData(p, static_cast<const uint8_t*>(data), size) || p.icon.empty()) return nullptr;
    return MakeGlobalBlock(std::vector<uint8_t>(p.icon.data(), p.icon.data() + p.icon.size()), iconSize);
}

WindowUnit::~WindowUnit() {
    StopMusic();
    EndModal();
    if (ownIcons_) {
        if (bigIcon_) DestroyIcon(bigIcon_);
        if (smallIcon_ && smallIcon_ != bigIcon_) DestroyIcon(smallIcon_);
    }
}

// ---------------------------------------------------------------------------
// Creation.

bool WindowUnit::CreateControl(const CreateParams& p) {
    CreateParams q = p;
    HWND owner = designMode ? (p.designer ? p.designer : p.parent) : p.parent;
    hasOwner_ = owner != nullptr;
    // No task-bar button: owned by the runtime's hidden window.
    if (!designMode && !owner && !props_.showInTaskbar) owner = TheRuntime().hiddenOwner;
    WindowStyles s = ComputeWindowStyles(props_, p.style, designMode, hasOwner_);
    if (!designMode) {
        switch (props_.startPosition) {
        case 1:
            q.x = (GetSystemMetrics(SM_CXSCREEN) - p.width) / 2;
            q.y = (GetSystemMetrics(SM_CYSCREEN) - p.height) / 2;
            break;
        case 2:
            s.style |= WS_MINIMIZE;
            startState_ = 2;
            break;
        case 3:
            if (s.style & WS_THICKFRAME) {
                s.style |= WS_MAXIMIZE;
                startState_ = 3;
            }
            break;
        default: break;
        }
    }
    q.parent = owner;
    q.style = 0;  // already in s.style

    const char* cls = props_.className.empty() ? kDefaultWindowClass : props_.className.c_str();
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc;
    if (!GetClassInfoA(inst, cls, &wc)) {
        wc = {};
        wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = inst;
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        wc.lpszClassName = cls;
        if (!RegisterClassA(&wc)) Notify(kNotifyReportError, Word("窗口类注册失败"));
    }
    if (!CreateNative(cls, s.exStyle, s.style, props_.caption.c_str(), q)) {
        if (q.menu && !(s.style & WS_CHILD)) DestroyMenu(q.menu);
        return false;
    }
    RECT r;
    GetWindowRect(hwnd, &r);
    if (!IsIconic(hwnd) && !IsZoomed(hwnd) && (r.right - r.left != p.width || r.bottom - r.top != p.height))
        MoveWindow(hwnd, q.x, q.y, p.width, p.height, FALSE);
    MakeIcons();
    if (props_.shape != 0) ApplyShape();
    ApplyFont(ByteBuffer());
    if (props_.alwaysOnTop && !designMode)
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!props_.movable) ApplyMovable();
    StartMusic();
    return true;
}

int WindowUnit::StartShowCommand() {
    if (designMode) return SW_SHOWNORMAL;
    switch (startState_) {
    case 2: return SW_SHOWMINIMIZED;
    case 3: return SW_SHOWMAXIMIZED;
    default: return SW_SHOWNORMAL;
    }
}

// ---------------------------------------------------------------------------
// Properties.

bool WindowUnit::GetProperty(int number, PropertyValue& v) {
    v.words.low = v.words.high = 0;
    auto data = [&](const ByteBuffer& b) {
        v.data.bytes = b.empty() ? nullptr : b.data();
        v.data.count = static_cast<uint32_t>(b.size());
    };
    switch (number) {
    case kWpCaption: v.text = props_.caption.c_str(); break;
    case kWpBorderStyle: v.integer = props_.borderStyle; break;
    case kWpBackColor: v.colour = props_.backColor; break;
    case kWpBackPicture: data(props_.backPicture); break;
    case kWpBackPictureMode: v.integer = props_.backPictureMode; break;
    case kWpBackMusic: data(props_.backMusic); break;
    case kWpPlayCount: v.integer = props_.playCount; break;
    case kWpControlBox: v.logical = props_.controlBox; break;
    case kWpMaxButton: v.logical = props_.maxButton; break;
    case kWpMinButton: v.logical = props_.minButton; break;
    case kWpStartPosition:
        // The live state: never "centred" once the window exists.
        if (!designMode && hwnd) v.integer = IsIconic(hwnd) ? 2 : IsZoomed(hwnd) ? 3 : 0;
        else v.integer = props_.startPosition;
        break;
    case kWpMovable: v.logical = props_.movable; break;
    case kWpIcon: data(props_.icon); break;
    case kWpEnterMovesFocus: v.logical = props_.enterMovesFocus; break;
    case kWpEscCloses: v.logical = props_.escCloses; break;
    case kWpF1Help: v.logical = props_.f1Help; break;
    case kWpHelpFile: v.text = props_.helpFile.c_str(); break;
    case kWpHelpContext: v.integer = props_.helpContext; break;
    case kWpShowInTaskbar: v.logical = props_.showInTaskbar; break;
    case kWpDragAnywhere: v.logical = props_.dragAnywhere; break;
    case kWpShape: v.integer = props_.shape; break;
    case kWpAlwaysOnTop: v.logical = props_.alwaysOnTop; break;
    case kWpKeepTitleActive: v.logical = props_.keepTitleActive; break;
    case kWpClassName: v.text = props_.className.c_str(); break;
    default: return false;
    }
    return true;
}

bool WindowUnit::SetProperty(int number, const PropertyValue& v, char**) {
    auto assign = [&](ByteBuffer& b) { b.Assign(v.data.bytes, v.data.bytes ? v.data.count : 0); };
    auto choice = [&](int32_t& field) {
        int32_t c = ClampWindowChoice(v.integer, WindowChoiceMax(number));
        if (c == field) return false;
        field = c;
        return true;
    };
    bool live = hwnd != nullptr;
    switch (number) {
    case kWpCaption:
        props_.caption = v.text ? v.text : "";
        if (live) {
            SetWindowTextA(hwnd, props_.caption.c_str());
            ApplyFrameStyles();
        }
        break;
    case kWpBorderStyle:
        if (choice(props_.borderStyle) && live) ApplyFrameStyles();
        break;
    case kWpBackColor:
        props_.backColor = v.colour;
        background_.Drop();  // transparent picture parts were blended with the old colour
        if (live) InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case kWpBackPicture:
        assign(props_.backPicture);
        background_.Drop();
        if (live) InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case kWpBackPictureMode:
        if (choice(props_.backPictureMode) && live && !props_.backPicture.empty())
            InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case kWpBackMusic:
        StopMusic();
        assign(props_.backMusic);
        if (live) StartMusic();
        break;
    case kWpPlayCount:
        if (!choice(props_.playCount)) break;
        StopMusic();
        if (live) StartMusic();
        break;
    case kWpControlBox:
        props_.controlBox = v.logical != 0;
        if (live) ApplyFrameStyles();
        break;
    case kWpMaxButton:
        props_.maxButton = v.logical != 0;
        if (live) ApplyFrameStyles();
        break;
    case kWpMinButton:
        props_.minButton = v.logical != 0;
        if (live) ApplyFrameStyles();
        break;
    case kWpStartPosition:
        props_.startPosition = ClampWindowChoice(v.integer, 3);
        if (live && !designMode && IsWindowVisible(hwnd)) ApplyStartPosition();
        break;
    case kWpMovable:
        props_.movable = v.logical != 0;
        if (live) ApplyMovable();
        break;
    case kWpIcon:
        assign(props_.icon);
        if (live) MakeIcons();
        break;
    case kWpEnterMovesFocus: props_.enterMovesFocus = v.logical != 0; break;
    case kWpEscCloses: props_.escCloses = v.logical != 0; break;
    case kWpF1Help: props_.f1Help = v.logical != 0; break;
    case kWpHelpFile: props_.helpFile = v.text ? v.text : ""; break;
    case kWpHelpContext: props_.helpContext = v.integer; break;
    case kWpShowInTaskbar: props_.showInTaskbar = v.logical != 0; break;
    case kWpDragAnywhere: props_.dragAnywhere = v.logical != 0; break;
    case kWpShape:
        props_.shape = ClampShape(v.integer);
        if (live) ApplyShape();
        break;
    case kWpAlwaysOnTop:
        props_.alwaysOnTop = v.logical != 0;
        if (live && !designMode) ApplyTopmost(props_.alwaysOnTop);
        break;
    case kWpKeepTitleActive: props_.keepTitleActive = v.logical != 0; break;
    case kWpClassName: props_.className = v.text ? v.text : ""; break;
    default: break;
    }
    return false;  // every change applies to the live window
}

void WindowUnit::ApplyFrameStyles() {
    WindowStyles s = ComputeWindowStyles(props_, 0, designMode, hasOwner_);
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
    case 0: ShowWindow(hwnd, SW_SHOWNORMAL); break;
    case 1: {
        if (IsIconic(hwnd) || IsZoomed(hwnd)) ShowWindow(hwnd, SW_RESTORE);
        RECT r;
        GetWindowRect(hwnd, &r);
        int w = r.right - r.left, h = r.bottom - r.top;
        SetWindowPos(hwnd, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2,
                     0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    }
    case 2: ShowWindow(hwnd, SW_MINIMIZE); break;
    case 3: {
        ShowWindow(hwnd, SW_RESTORE);
        ShowWindow(hwnd, SW_MAXIMIZE);
        RECT work;
        if (WorkAreaOfMonitor(hwnd, work))
            SetWindowPos(hwnd, nullptr, work.left, work.top, work.right - work.left, work.bottom - work.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(hwnd, SW_SHOW);
        break;
    }
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
    ShapeGeometry g = ComputeShape(props_.shape, r.right - r.left, r.bottom - r.top);
    HRGN region = nullptr;
    switch (g.kind) {
    case ShapeKind::Rectangle: break;
    case ShapeKind::Ellipse: region = CreateEllipticRgn(0, 0, g.width, g.height); break;
    case ShapeKind::RoundRect:
        region = CreateRoundRectRgn(0, 0, g.width, g.height, g.cornerDiameter, g.cornerDiameter);
        break;
    case ShapeKind::Ring: {
        region = CreateEllipticRgn(0, 0, g.width, g.height);
        HRGN hole = CreateEllipticRgn(g.innerLeft, g.innerTop, g.innerRight, g.innerBottom);
        if (region && hole) CombineRgn(region, region, hole, RGN_DIFF);
        if (hole) DeleteObject(hole);
        break;
    }
    case ShapeKind::Polygon: {
        if (g.points.empty()) break;
        HDC dc = CreateCompatibleDC(nullptr);
        BeginPath(dc);
        MoveToEx(dc, g.points[0].x, g.points[0].y, nullptr);
        for (size_t i = 1; i < g.points.size(); ++i) LineTo(dc, g.points[i].x, g.points[i].y);
        CloseFigure(dc);
        EndPath(dc);
        region = PathToRegion(dc);
        DeleteDC(dc);
        break;
    }
    }
    // The system owns a region once it is set.
    SetWindowRgn(hwnd, region, IsWindowVisible(hwnd));
}

void WindowUnit::MakeIcons() {
    HICON big = nullptr, small = nullptr;
    if (!props_.icon.empty()) {
        big = IconFromFileData(props_.icon.data(), props_.icon.size(), GetSystemMetrics(SM_CXICON),
                               GetSystemMetrics(SM_CYICON));
        small = IconFromFileData(props_.icon.data(), props_.icon.size(), GetSystemMetrics(SM_CXSMICON),
                                 GetSystemMetrics(SM_CYSMICON));
    }
    bool own = big || small;
    if (!own) ProgramIcons(big, small);
    if (!small) small = big;
    if (!big) big = small;
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    if (ownIcons_) {
        if (bigIcon_) DestroyIcon(bigIcon_);
        if (smallIcon_ && smallIcon_ != bigIcon_) DestroyIcon(smallIcon_);
    }
    bigIcon_ = big;
    smallIcon_ = small;
    ownIcons_ = own;
}

// ---------------------------------------------------------------------------
// Background music: wave data through the wave player; MIDI and other sound
// data are kept with the window but not played.

void WindowUnit::StartMusic() {
    if (designMode || !hwnd || props_.playCount == 2 || !IsWaveData(props_.backMusic)) return;
    DWORD flags = SND_MEMORY | SND_ASYNC | SND_NODEFAULT | (props_.playCount == 0 ? SND_LOOP : 0);
    musicPlaying_ = PlaySoundA(reinterpret_cast<LPCSTR>(props_.backMusic.data()), nullptr, flags) != FALSE;
}

void WindowUnit::StopMusic() {
    if (!musicPlaying_) return;
    // The player reads the data in place: stop it before the data changes.
    PlaySoundA(nullptr, nullptr, 0);
    musicPlaying_ = false;
}

// ---------------------------------------------------------------------------
// Tray icon.

bool WindowUnit::SetTrayIcon(HICON icon, const char* tip) {
    if (!hwnd) return false;
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = hwnd;
    nid.uID = kTrayIconId;
    if (!icon) {
        if (trayShown_) Shell_NotifyIconA(NIM_DELETE, &nid);
        trayShown_ = false;
        trayIcon_ = nullptr;
        return true;
    }
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = kTrayCallbackMessage;
    nid.hIcon = icon;
    std::string text = CutText(tip, 62);
    std::memcpy(nid.szTip, text.c_str(), text.size() + 1);
    BOOL ok = Shell_NotifyIconA(trayShown_ ? NIM_MODIFY : NIM_ADD, &nid);
    if (ok) {
        trayShown_ = true;
        trayIcon_ = icon;
    }
    return ok != FALSE;
}

// ---------------------------------------------------------------------------
// Modal runs.

void WindowUnit::BeginModal(std::vector<std::pair<HWND, bool>> disabled) {
    disabled_ = std::move(disabled);
    if (!modal_) ModalWindows().push_back(this);
    modal_ = true;
}

void WindowUnit::EndModal() {
    for (auto& [h, wasEnabled] : disabled_)
        if (IsWindow(h)) EnableWindow(h, wasEnabled);
    disabled_.clear();
    if (modal_) {
        auto& list = ModalWindows();
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    modal_ = false;
}

// ---------------------------------------------------------------------------
// Messages.

void WindowUnit::Close() {
    HWND h = hwnd;
    EventAnswer a = Raise(kWindowCloseRequested);
    if (Unit::FromHandle(h) != this) return;  // the handler destroyed the window
    if (!designMode && !a.Logical(true)) return;
    a = Raise(kWindowCanClose);
    if (Unit::FromHandle(h) != this) return;
    if (!designMode && !a.Logical(true)) return;
    EndModal();
    DestroyWindow(h);
}

void WindowUnit::OnDestroy() {
    StopMusic();
    // Units of this program have no data sources to release.
    Raise(kWindowDestroying);
    if (helpOpened_) {
        WinHelpA(hwnd, nullptr, HELP_QUIT, 0);
        helpOpened_ = false;
    }
    if (!(GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) {
        if (HMENU menu = GetMenu(hwnd)) {
            SetMenu(hwnd, nullptr);
            DestroyMenu(menu);
        }
    }
    SetTrayIcon(nullptr, nullptr);
    EndModal();
}

void WindowUnit::OnActivate(bool active, bool minimized) {
    HWND h = hwnd;
    if (active && !IsWindowEnabled(h)) {
        // A disabled window of a program that runs a modal window: the modal
        // window takes the activation.
        for (WindowUnit* m : ModalWindows()) {
            if (m != this && m->hwnd && IsWindowVisible(m->hwnd) && IsWindowEnabled(m->hwnd) &&
                !GetWindow(m->hwnd, GW_OWNER)) {
                SetActiveWindow(m->hwnd);
                return;
            }
        }
    }
    UpdateWindow(h);
    if (!active) {
        HWND focus = GetFocus();
        if (focus && IsChild(h, focus)) lastFocus_ = focus;
    } else if (!minimized && lastFocus_ && IsWindow(lastFocus_) && IsChild(h, lastFocus_)) {
        SetFocus(lastFocus_);
    }
    if (active && !firstActivated_) {
        firstActivated_ = true;
        Raise(kWindowFirstActivated);
        if (Unit::FromHandle(h) != this) return;
    }
    if (g_activationEventRunning) return;
    g_activationEventRunning = true;
    Raise(active ? kWindowActivated : kWindowDeactivated);
    g_activationEventRunning = false;
}

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
    if (IsRectEmpty(&clip)) return;
    // Transparent units draw over the background: repaint them over the new one.
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

LRESULT WindowUnit::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT paints the background
    case WM_PAINT:
        Paint();
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_QUERYENDSESSION: {
        EventAnswer a = Raise(kWindowCanClose);
        return designMode || a.Logical(true) ? TRUE : FALSE;
    }
    case WM_DESTROY:
        OnDestroy();
        return DefaultProc(msg, wp, lp);
    case WM_ACTIVATE: {
        LRESULT r = DefaultProc(msg, wp, lp);
        OnActivate(LOWORD(wp) != WA_INACTIVE, HIWORD(wp) != 0);
        return r;
    }
    case WM_NCACTIVATE:
        if (!wp && props_.keepTitleActive && !designMode && IsWindowEnabled(hwnd))
            return DefaultProc(msg, TRUE, lp);
        return DefaultProc(msg, wp, lp);
    case WM_MOVE: {
        LRESULT r = DefaultProc(msg, wp, lp);
        Raise(kWindowMoved);
        return r;
    }
    case WM_SIZE: {
        LRESULT r = DefaultProc(msg, wp, lp);
        if (props_.shape != 0) ApplyShape();
        Raise(kWindowResized);
        return r;
    }
    case WM_SHOWWINDOW: {
        LRESULT r = DefaultProc(msg, wp, lp);
        Raise(wp ? kWindowShown : kWindowHidden);
        return r;
    }
    case kTrayCallbackMessage: {
        uint32_t code = 0;
        switch (static_cast<UINT>(lp)) {
        case WM_LBUTTONUP: code = 1; break;
        case WM_LBUTTONDBLCLK: code = 2; break;
        case WM_RBUTTONUP:
        case WM_CONTEXTMENU: code = 3; break;
        default: break;
        }
        if (code) Raise(kWindowTrayEvent, {code});
        return 0;
    }
    case WM_COMMAND:
        // Menu and accelerator commands come without a control handle.
        if (lp == 0 && HIWORD(wp) <= 1 && forms::RaiseMenuCommand(formId, LOWORD(wp))) return 0;
        return Unit::WindowProc(msg, wp, lp);
    case kMsgLayoutBars:
        return 0;  // no docked bars among this program's unit types
    default:
        return Unit::WindowProc(msg, wp, lp);
    }
}

// ---------------------------------------------------------------------------
// Pre-translation.

uint32_t WindowUnit::TypeFlags(const Unit* u) const {
    if (!u) return 0;
    uint32_t type = static_cast<uint32_t>(Notify(kNotifyUnitType, u->formId, u == this ? 0 : u->unitId));
    if (!type) return 0;
    auto* d = reinterpret_cast<const TypeDescriptor*>(
        static_cast<uintptr_t>(Notify(kNotifyTypeDescriptor, type)));
    return d ? d->flags : 0;
}

bool WindowUnit::Eligible(const Unit* u) const {
    if (!u || !u->hwnd || !IsWindowVisible(u->hwnd) || !IsWindowEnabled(u->hwnd)) return false;
    if (!(GetWindowLongA(u->hwnd, GWL_STYLE) & WS_TABSTOP)) return false;
    return !(TypeFlags(u) & (kTypeSkipsTab | kTypeCreatedHidden));
}

std::vector<Unit*> WindowUnit::UnitsInOrder() const {
    std::vector<Unit*> out;
    for (const forms::UnitInfo& info : forms::UnitsOfWindow(formId)) {
        auto* u = static_cast<Unit*>(info.object);
        if (!info.menu && u && u != this && u->hwnd) out.push_back(u);
    }
    // A window the registry does not know (built straight from its entry
    // points): its child windows in z-order, which the loader makes record order.
    if (out.empty() && hwnd) CollectUnits(hwnd, formId, out);
    return out;
}

bool WindowUnit::MoveFocus(bool backwards) {
    std::vector<Unit*> units = UnitsInOrder();
    int n = static_cast<int>(units.size());
    if (n == 0) return false;
    Unit* current = Unit::ForTarget(GetFocus());
    int start = backwards ? 0 : n - 1;  // from the window itself: first or last unit
    for (int i = 0; i < n; ++i)
        if (units[i] == current) start = i;
    for (int k = 1; k <= n; ++k) {
        int i = backwards ? ((start - k) % n + n) % n : (start + k) % n;
        if (Eligible(units[i])) {
            SetFocus(units[i]->hwnd);
            return true;
        }
    }
    return false;
}

bool WindowUnit::OpenHelp() {
    std::string file = props_.helpFile;
    if (file.empty()) {
        const char* name = reinterpret_cast<const char*>(static_cast<uintptr_t>(Notify(kNotifyProgramFileName)));
        file = name ? name : "";
        size_t slash = file.find_last_of("\\/");
        size_t dot = file.rfind('.');
        if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) file.resize(dot);
        if (file.empty()) return false;
        file += ".hlp";
    }
    if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    if (props_.helpContext != 0)
        WinHelpA(hwnd, file.c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(static_cast<uint32_t>(props_.helpContext)));
    else
        WinHelpA(hwnd, file.c_str(), HELP_FINDER, 0);
    helpOpened_ = true;
    return true;
}

bool WindowUnit::PreTranslateMessage(MSG& msg) {
    if (!hwnd || designMode) return false;
    Unit* target = Unit::ForTarget(msg.hwnd);
    if (target && target->formId != formId) target = nullptr;
    if (!target) target = this;

    // 1. Units with a message filter see the message first.
    if (target != this && (TypeFlags(target) & kTypeHasMessageFilter) && target->FilterMessage(msg)) return true;

    // 2. Dragging by the window body or by a static unit: let the system drag.
    if (props_.dragAnywhere && msg.message == WM_LBUTTONDOWN &&
        (msg.hwnd == hwnd || (target != this && (TypeFlags(target) & kTypeDragsWindow)))) {
        ReleaseCapture();
        PostMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(msg.pt.x, msg.pt.y));
    }

    // 3. WM_SETCURSOR is sent, never queued: units answer it in their window
    //    procedures (Unit::WindowProc, CursorOnlyOverClient).

    // 4. Keyboard navigation.
    if (msg.message == WM_KEYDOWN) {
        UINT vk = static_cast<UINT>(msg.wParam);
        uint32_t mods = (GetKeyState(VK_SHIFT) < 0 ? kKeyShift : 0) | (GetKeyState(VK_CONTROL) < 0 ? kKeyCtrl : 0) |
                        (GetKeyState(VK_MENU) < 0 ? kKeyAlt : 0);
        uint32_t code = vk | mods;
        Unit* focused = Unit::ForTarget(GetFocus());
        if (focused && (focused == this || focused->formId != formId)) focused = nullptr;
        auto wanted = [&] { return focused && focused->WantsKey(code); };
        if (vk == VK_TAB && (mods & ~kKeyShift) == 0 && !wanted()) {
            MoveFocus((mods & kKeyShift) != 0);
            return true;
        }
        if (vk == VK_RETURN && mods == 0 && !wanted()) {
            if (focused && (TypeFlags(focused) & kTypeDefaultButton) && focused->IsDefaultButton()) {
                RaiseEvent(formId, focused->unitId, 0);
                return true;
            }
            if (props_.enterMovesFocus) {
                MoveFocus(false);
                return true;
            }
            for (Unit* u : UnitsInOrder()) {
                if ((TypeFlags(u) & kTypeDefaultButton) && IsWindowVisible(u->hwnd) && IsWindowEnabled(u->hwnd) &&
                    u->IsDefaultButton()) {
                    RaiseEvent(formId, u->unitId, 0);
                    return true;
                }
            }
        }
        if (vk == VK_ESCAPE && mods == 0 && props_.escCloses && !wanted()) {
            SendMessageA(hwnd, WM_CLOSE, 0, 0);  // may destroy this object
            return true;
        }
        if (vk == VK_F1 && mods == 0 && props_.f1Help && !wanted() && OpenHelp()) return true;
    }

    // 5. The common mouse and key events of the unit the message is aimed at.
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEWHEEL:
        return FireCommonInputEvent(target, msg);
    default:
        return false;
    }
}

}  // namespace imprinta::units

IMPRINTA_UNIT_ENTRY_LOOKUP(WindowEntryLookup, imprinta::units::WindowUnit)
