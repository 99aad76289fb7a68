// SkinH_QX.dll: gives the windows of the attaching thread a flat colour theme
// described by a ".SHE" skin resource. Three means work together:
// - the program's own lookups of system colours and brushes are answered with
//   the theme's (skin_syscolor.cpp), so units painting in the system's default
//   colours take the theme's; colours a unit was given explicitly stay;
// - owners that answer WM_CTLCOLOR* with the system's default brushes get the
//   theme's, and windows erased in the button-face colour the theme's window colour;
// - push buttons, group boxes, drop-down combo boxes and their lists, fields
//   with a sunken edge, scroll bars and colour pickers are drawn flat by the
//   skin itself (skin_paint.cpp, skin_lists.cpp, skin_picker.cpp), with hot,
//   pressed, focused and disabled looks.
#include <windows.h>
#include <commctrl.h>
#include "runtime/units/colour_picker_unit.h"
#include "skin_theme.h"

namespace skinlib {

Theme theme;

namespace {

constexpr UINT_PTR kSubclassId = 0x53484531;  // "SHE1"
enum RefData : DWORD_PTR { kCold = 0, kHot = 1 };

// Marks a colour picker whose palette is open (between its drop-down and
// close-up messages to the parent).
constexpr char kPickerOpen[] = "SkinPickerOpen";

HHOOK creationHook = nullptr;
DWORD themedThread = 0;

HBRUSH Brush(COLORREF c) { return CreateSolidBrush(c); }

void Release(HBRUSH& b) {
    if (b) DeleteObject(b);
    b = nullptr;
}

bool IsSystemBrush(LRESULT answer) {
    HBRUSH b = reinterpret_cast<HBRUSH>(answer);
    return b == nullptr || b == GetSysColorBrush(COLOR_BTNFACE) || b == GetSysColorBrush(COLOR_WINDOW) ||
           b == GetStockObject(WHITE_BRUSH);
}

// Windows whose background the system erases with the button-face colour.
bool ErasesWithFace(HWND hwnd) {
    ULONG_PTR b = GetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND);
    return b == COLOR_BTNFACE + 1 || b == reinterpret_cast<ULONG_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

bool IsGroupBox(HWND control) { return KindOf(control) == ControlKind::kGroupBox; }

LRESULT ColourAnswer(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT answer = DefSubclassProc(hwnd, msg, wp, lp);
    if (!IsSystemBrush(answer)) return answer;  // the owner chose its own colours
    HDC dc = reinterpret_cast<HDC>(wp);
    bool field = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
    bool caption = msg == WM_CTLCOLORSTATIC && IsGroupBox(reinterpret_cast<HWND>(lp));
    SetTextColor(dc, caption ? theme.colours.accent : theme.colours.text);
    SetBkColor(dc, field ? theme.colours.face : theme.colours.window);
    return reinterpret_cast<LRESULT>(field ? theme.face : theme.window);
}

// Messages after which a control has drawn its own face directly.
bool ChangesState(UINT msg) {
    switch (msg) {
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CAPTURECHANGED:
    case WM_UPDATEUISTATE: return true;
    default: return false;
    }
}

LRESULT CALLBACK SkinProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref);

LRESULT PushButtonMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR ref) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc) PaintPushButton(hwnd, dc, ref == kHot);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintPushButton(hwnd, reinterpret_cast<HDC>(wp), ref == kHot);
        return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE:
        if (ref != kHot) {
            SetWindowSubclass(hwnd, SkinProc, kSubclassId, kHot);
            TRACKMOUSEEVENT t = {sizeof t, TME_LEAVE, hwnd, 0};
            TrackMouseEvent(&t);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        break;
    case WM_MOUSELEAVE:
        SetWindowSubclass(hwnd, SkinProc, kSubclassId, kCold);
        InvalidateRect(hwnd, nullptr, FALSE);
        break;
    default:
        if (ChangesState(msg)) {
            LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
            RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            return r;
        }
        break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT GroupBoxMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc) PaintGroupBox(hwnd, dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (msg == WM_ERASEBKGND) return 1;  // the paint fills around the units inside
    return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT FieldMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
    if (msg == WM_NCPAINT) PaintFieldBorder(hwnd);
    else if (msg == WM_SETFOCUS || msg == WM_KILLFOCUS) RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    return r;
}

// A combo box draws its frame and button directly on many messages: draw ours after them.
LRESULT ComboMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_PAINT:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_COMMAND:
    case WM_CAPTURECHANGED:
    case CB_SHOWDROPDOWN:
    case CB_SETCURSEL: PaintComboFrame(hwnd); break;
    default: break;
    }
    return r;
}

// Messages after which the list has drawn items itself (the selection follows
// the mouse and the keys while it is open).
bool MovesListSelection(UINT msg) {
    switch (msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
    case WM_TIMER:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_CAPTURECHANGED:
    case LB_SETCURSEL:
    case LB_SETSEL:
    case LB_SETCARETINDEX:
    case LB_SETTOPINDEX: return true;
    default: return false;
    }
}

LRESULT DropListMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc) PaintDropList(hwnd, dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT: PaintDropList(hwnd, reinterpret_cast<HDC>(wp)); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_NCPAINT: {
        LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
        PaintDropListFrame(hwnd);
        return r;
    }
    default: break;
    }
    LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
    if (MovesListSelection(msg) && IsWindowVisible(hwnd)) RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return r;
}

// Messages after which the system may have drawn a scroll bar itself: a change
// of position or range, the mouse over or dragging it, a new size.
bool RedrawsScrollBars(UINT msg) {
    switch (msg) {
    case WM_NCPAINT:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_SETTEXT:
    case WM_SIZE:
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_NCMOUSEMOVE:
    case WM_NCMOUSELEAVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
    case WM_SYSCOMMAND:
    case WM_CAPTURECHANGED:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_TIMER:
    case EM_REPLACESEL:
    case EM_LINESCROLL:
    case EM_SCROLL:
    case EM_SCROLLCARET:
    case LB_SETTOPINDEX:
    case LB_SETCURSEL:
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DELETESTRING:
    case LB_RESETCONTENT: return true;
    default: return false;
    }
}

// The parent's side of a colour picker: its face is finished over the owner's
// drawing, and its open state is known from the drop-down and close-up messages.
LRESULT PickerParentMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
    if (msg == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (item && item->CtlType == ODT_BUTTON && IsColourPicker(item->hwndItem))
            PaintColourPickerFrame(*item, GetPropA(item->hwndItem, kPickerOpen) != nullptr);
        return r;
    }
    HWND picker = GetDlgItem(hwnd, static_cast<int>(lp));
    if (!picker || !IsColourPicker(picker)) return r;
    if (msg == imprinta::units::kColourDropDown) SetPropA(picker, kPickerOpen, reinterpret_cast<HANDLE>(1));
    else RemovePropA(picker, kPickerOpen);
    InvalidateRect(picker, nullptr, FALSE);
    return r;
}

LRESULT KindMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR ref) {
    switch (KindOf(hwnd)) {
    case ControlKind::kPushButton: return PushButtonMessage(hwnd, msg, wp, lp, ref);
    case ControlKind::kGroupBox: return GroupBoxMessage(hwnd, msg, wp, lp);
    case ControlKind::kBorderedField: return FieldMessage(hwnd, msg, wp, lp);
    case ControlKind::kComboBox: return ComboMessage(hwnd, msg, wp, lp);
    case ControlKind::kDropList: return DropListMessage(hwnd, msg, wp, lp);
    default: return DefSubclassProc(hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK SkinProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    if (msg == WM_NCDESTROY) {
        RemovePropA(hwnd, kPickerOpen);
        RemoveWindowSubclass(hwnd, SkinProc, kSubclassId);
        return DefSubclassProc(hwnd, msg, wp, lp);
    }
    if (!theme.active) return DefSubclassProc(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: return ColourAnswer(hwnd, msg, wp, lp);
    case WM_ERASEBKGND:
        if (KindOf(hwnd) == ControlKind::kOther && ErasesWithFace(hwnd)) {
            RECT r;
            GetClientRect(hwnd, &r);
            FillRect(reinterpret_cast<HDC>(wp), &r, theme.window);
            return 1;
        }
        break;
    case WM_DRAWITEM:
    case imprinta::units::kColourDropDown:
    case imprinta::units::kColourCloseUp: return PickerParentMessage(hwnd, msg, wp, lp);
    default: break;
    }
    LRESULT r = KindMessage(hwnd, msg, wp, lp, ref);
    if (RedrawsScrollBars(msg) && HasScrollBars(hwnd)) PaintScrollBars(hwnd);
    return r;
}

void Subclass(HWND hwnd) {
    DWORD_PTR data;
    if (!GetWindowSubclass(hwnd, SkinProc, kSubclassId, &data)) SetWindowSubclass(hwnd, SkinProc, kSubclassId, kCold);
}

// Units resolve their default colours again on WM_SYSCOLORCHANGE.
BOOL CALLBACK ThemeChild(HWND hwnd, LPARAM) {
    Subclass(hwnd);
    SendMessageA(hwnd, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

BOOL CALLBACK ThemeTopLevel(HWND hwnd, LPARAM) {
    Subclass(hwnd);
    SendMessageA(hwnd, WM_SYSCOLORCHANGE, 0, 0);
    EnumChildWindows(hwnd, ThemeChild, 0);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    return TRUE;
}

LRESULT CALLBACK CreationHook(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND) Subclass(reinterpret_cast<HWND>(wp));
    return CallNextHookEx(creationHook, code, wp, lp);
}

void Detach() {
    if (creationHook) UnhookWindowsHookEx(creationHook);
    creationHook = nullptr;
    theme.active = false;
    UnhookSystemColours();
    ReleaseTheme();
}

}  // namespace

void SetTheme(const skin::Colours& c) {
    Theme fresh;
    fresh.colours = c;
    fresh.window = Brush(c.window);
    fresh.face = Brush(c.face);
    fresh.button = Brush(c.button);
    fresh.buttonHot = Brush(c.buttonHot);
    fresh.buttonPressed = Brush(c.buttonPressed);
    fresh.border = Brush(c.border);
    fresh.accent = Brush(c.accent);
    fresh.active = theme.active;
    ReleaseTheme();
    theme = fresh;
}

void ReleaseTheme() {
    for (HBRUSH* b : {&theme.window, &theme.face, &theme.button, &theme.buttonHot, &theme.buttonPressed, &theme.border,
                       &theme.accent})
        Release(*b);
}

}  // namespace skinlib

using namespace skinlib;

// data/length: the skin resource; password: reserved (empty); the three integers
// are reserved (0). Returns 0 when the theme is applied; otherwise the theme is
// left as it was: 1 bad resource, 2 attached from another thread, 3 no hook.
extern "C" __declspec(dllexport) int __stdcall SkinH_AttachRes(const unsigned char* data, int length,
                                                              const char* /*password*/, int, int, int) {
    skin::Colours colours = {};
    if (length <= 0 ||
        skin::Parse(data, static_cast<uint32_t>(length), &colours) != skin::ParseResult::kOk)
        return 1;
    DWORD thread = GetCurrentThreadId();
    if (themedThread != 0 && themedThread != thread) return 2;
    if (!creationHook) {
        creationHook = SetWindowsHookExA(WH_CBT, CreationHook, nullptr, thread);
        if (!creationHook) return 3;
        // Subclassed windows call into this module until they are destroyed,
        // which can be after the host unloads its DLLs: stay loaded for good.
        HMODULE self;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCSTR>(&SkinH_AttachRes), &self);
        themedThread = thread;
    }
    SetTheme(colours);
    HookSystemColours();
    theme.active = true;
    EnumThreadWindows(thread, ThemeTopLevel, 0);
    return 0;
}

// At process end: the hook, the answered system colours and the brushes go.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH) Detach();
    return TRUE;
}
