// SkinH_QX.dll: gives the windows of the attaching thread a quiet colour theme
// described by a ".SHE" skin resource. Standard controls get the theme's
// colours wherever their owner answers WM_CTLCOLOR* with the system's default
// brushes, and windows that let the system erase them in the button-face colour
// get the theme's window colour. Colours a window chose for itself are kept.
#include <windows.h>
#include <commctrl.h>
#include "skin_format.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x53484531;  // "SHE1"

skin::Colours theme = {};
HBRUSH windowBrush = nullptr;
HBRUSH faceBrush = nullptr;
HHOOK creationHook = nullptr;
DWORD themedThread = 0;

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

bool IsGroupBox(HWND control) {
    char cls[16] = {};
    GetClassNameA(control, cls, sizeof cls);
    return lstrcmpiA(cls, "Button") == 0 && (GetWindowLongA(control, GWL_STYLE) & 0x0F) == BS_GROUPBOX;
}

LRESULT CALLBACK SkinProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    switch (msg) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
        LRESULT answer = DefSubclassProc(hwnd, msg, wp, lp);
        if (!IsSystemBrush(answer)) return answer;  // the owner chose its own colours
        HDC dc = reinterpret_cast<HDC>(wp);
        bool field = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
        bool caption = msg == WM_CTLCOLORSTATIC && IsGroupBox(reinterpret_cast<HWND>(lp));
        SetTextColor(dc, caption ? theme.accent : theme.text);
        SetBkColor(dc, field ? theme.face : theme.window);
        return reinterpret_cast<LRESULT>(field ? faceBrush : windowBrush);
    }
    case WM_ERASEBKGND:
        if (ErasesWithFace(hwnd)) {
            RECT r;
            GetClientRect(hwnd, &r);
            FillRect(reinterpret_cast<HDC>(wp), &r, windowBrush);
            return 1;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, SkinProc, kSubclassId);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void Theme(HWND hwnd) {
    DWORD_PTR data;
    if (!GetWindowSubclass(hwnd, SkinProc, kSubclassId, &data)) SetWindowSubclass(hwnd, SkinProc, kSubclassId, 0);
}

BOOL CALLBACK ThemeChild(HWND hwnd, LPARAM) {
    Theme(hwnd);
    return TRUE;
}

BOOL CALLBACK ThemeTopLevel(HWND hwnd, LPARAM) {
    Theme(hwnd);
    EnumChildWindows(hwnd, ThemeChild, 0);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    return TRUE;
}

LRESULT CALLBACK CreationHook(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND) Theme(reinterpret_cast<HWND>(wp));
    return CallNextHookEx(creationHook, code, wp, lp);
}

}  // namespace

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
    HBRUSH oldWindow = windowBrush, oldFace = faceBrush;
    theme = colours;
    windowBrush = CreateSolidBrush(theme.window);
    faceBrush = CreateSolidBrush(theme.face);
    if (oldWindow) DeleteObject(oldWindow);
    if (oldFace) DeleteObject(oldFace);
    EnumThreadWindows(thread, ThemeTopLevel, 0);
    return 0;
}
