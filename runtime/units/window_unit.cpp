// The window unit: creation, message routing and the pre-translation of
// queued messages. Properties, frame, painting, closing, keyboard, icons,
// tray, music and help live in the other window_*.cpp files.
#include "runtime/units/window_unit.h"
#include "runtime/base/words.h"

#include "runtime/forms/forms_api.h"

namespace imprinta::units {

namespace {


// The window class, registered on first use.
void RegisterWindowClass(const char* cls) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc;
    if (GetClassInfoA(inst, cls, &wc)) return;
    wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    wc.lpszClassName = cls;
    if (!RegisterClassA(&wc)) Notify(kNotifyReportError, Word("窗口类注册失败"));
}

// Whether a queued message fires the common mouse and key events.
bool IsCommonInput(UINT message) {
    switch (message) {
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
    case WM_MOUSEWHEEL: return true;
    default: return false;
    }
}

}  // namespace

WindowUnit::~WindowUnit() {
    StopMusic();
    EndModal();
}

// ---------------------------------------------------------------------------
// Creation.

// Run-time start position: centred on the screen, or shown minimized or
// maximized (maximized only when the window is resizable).
void WindowUnit::PlaceAtStart(CreateParams& q, WindowStyles& s) {
    switch (props_.startPosition) {
    case kWindowStartCentred:
        q.x = (GetSystemMetrics(SM_CXSCREEN) - q.width) / 2;
        q.y = (GetSystemMetrics(SM_CYSCREEN) - q.height) / 2;
        break;
    case kWindowStartMinimized:
        s.style |= WS_MINIMIZE;
        startState_ = kWindowStartMinimized;
        break;
    case kWindowStartMaximized:
        if (s.style & WS_THICKFRAME) {
            s.style |= WS_MAXIMIZE;
            startState_ = kWindowStartMaximized;
        }
        break;
    default: break;
    }
}

bool WindowUnit::CreateControl(const CreateParams& p) {
    CreateParams q = p;
    HWND owner = designMode ? (p.designer ? p.designer : p.parent) : p.parent;
    hasOwner_ = owner != nullptr;
    // No task-bar button: owned by the runtime's hidden window.
    if (!designMode && !owner && !props_.showInTaskbar) owner = p.hiddenOwner;
    WindowStyles s = ComputeWindowStyles(props_, {p.style, designMode, hasOwner_});
    if (!designMode) PlaceAtStart(q, s);
    q.parent = owner;
    q.style = 0;  // already in s.style

    const char* cls = props_.className.empty() ? kDefaultWindowClass : props_.className.c_str();
    RegisterWindowClass(cls);
    if (!CreateNative(cls, s.exStyle, s.style, props_.caption.c_str(), q)) {
        if (q.menu && !(s.style & WS_CHILD)) DestroyMenu(q.menu);
        return false;
    }
    RECT r;
    GetWindowRect(hwnd, &r);
    if (!IsIconic(hwnd) && !IsZoomed(hwnd) && (r.right - r.left != p.width || r.bottom - r.top != p.height))
        MoveWindow(hwnd, q.x, q.y, p.width, p.height, FALSE);
    MakeIcons();
    if (props_.shape != kWindowShapeRectangle) ApplyShape();
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
    case kWindowStartMinimized: return SW_SHOWMINIMIZED;
    case kWindowStartMaximized: return SW_SHOWMAXIMIZED;
    default: return SW_SHOWNORMAL;
    }
}

// ---------------------------------------------------------------------------
// Messages.

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
        if (props_.shape != kWindowShapeRectangle) ApplyShape();
        Raise(kWindowResized);
        return r;
    }
    case WM_SHOWWINDOW: {
        LRESULT r = DefaultProc(msg, wp, lp);
        Raise(wp ? kWindowShown : kWindowHidden);
        return r;
    }
    case kTrayCallbackMessage:
        return OnTrayMessage(lp);
    case WM_COMMAND:
        // Menu and accelerator commands come without a control handle.
        if (lp == 0 && HIWORD(wp) <= 1 && Notify(kNotifyMenuCommand, formId, LOWORD(wp)) != 0) return 0;
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
    if (msg.message == WM_KEYDOWN && HandleNavigationKey(static_cast<UINT>(msg.wParam))) return true;

    // 5. The common mouse and key events of the unit the message is aimed at.
    return IsCommonInput(msg.message) && FireCommonInputEvent(target, msg);
}

}  // namespace imprinta::units

IMPRINTA_UNIT_ENTRY_LOOKUP(WindowEntryLookup, imprinta::units::WindowUnit)
