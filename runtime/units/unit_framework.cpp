// Unit framework: window wrapping, message routing, events and shared GDI helpers.
#include "runtime/units/unit_framework.h"
#include "runtime/base/words.h"
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include "runtime/base/byte_reader.h"
#include "runtime/forms/forms_api.h"
#include "runtime/pictures/icon_directory.h"

namespace imprinta::units {

namespace {

RuntimeNotifyFn g_notifyTarget = nullptr;

}  // namespace

// ---------------------------------------------------------------------------
// Runtime calls and events.

int64_t Notify(int code, uint32_t a1, uint32_t a2, uint32_t a3) {
    return (g_notifyTarget ? g_notifyTarget : &RuntimeNotify)(code, a1, a2, a3);
}

void SetNotifyTarget(RuntimeNotifyFn target) { g_notifyTarget = target; }


EventAnswer RaiseEvent(uint32_t formId, uint32_t unitId, int number, std::initializer_list<uint32_t> args) {
    EventRecord rec = {};
    rec.formId = formId;
    rec.unitId = unitId;
    rec.number = number;
    for (uint32_t a : args) {
        if (rec.count == 5) break;
        rec.args[rec.count++] = a;
    }
    EventAnswer answer;
    answer.ran = Notify(kNotifyRaiseEvent, Word(&rec)) != 0;
    answer.hasResult = rec.hasResult == 1;
    answer.value = rec.result;
    return answer;
}

EventAnswer RaiseTypedEvent(uint32_t formId, uint32_t unitId, int number, const TypedEventArgument* args,
                            uint32_t count) {
    TypedEventRecord rec = {};
    rec.formId = formId;
    rec.unitId = unitId;
    rec.number = number;
    rec.count = count > 12 ? 12 : count;
    for (uint32_t i = 0; i < rec.count; ++i) rec.args[i] = args[i];
    EventAnswer answer;
    answer.ran = Notify(kNotifyRaiseTypedEvent, Word(&rec)) != 0;
    answer.hasResult = rec.hasResult == 1;
    answer.value = uint64_t(rec.resultHigh) << 32 | rec.resultLow;
    return answer;
}

// ---------------------------------------------------------------------------
// Conventions.

uint32_t NormaliseKey(uint32_t vk) {
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return vk - VK_NUMPAD0 + '0';
    switch (vk) {
    case VK_SUBTRACT: return 0xBD;
    case VK_DECIMAL: return 0xBE;
    case VK_DIVIDE: return 0xBF;
    default: return vk;
    }
}

uint32_t ShiftState() {
    uint32_t s = 0;
    if (GetKeyState(VK_CONTROL) < 0) s |= 1;
    if (GetKeyState(VK_SHIFT) < 0) s |= 2;
    if (GetKeyState(VK_MENU) < 0) s |= 4;
    return s;
}

uint32_t KeyShiftState(uint32_t vk) {
    uint32_t s = ShiftState();
    if (vk == VK_CONTROL) s &= ~1u;
    if (vk == VK_SHIFT) s &= ~2u;
    if (vk == VK_MENU) s &= ~4u;
    return s;
}

COLORREF ResolveColour(uint32_t colour) {
    return colour == kSystemColourValue ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour);
}

HFONT MakeFontFromRecord(const uint8_t* record, size_t size) {
    if (!record || size != kFontRecordSize) return nullptr;
    static_assert(sizeof(LOGFONTA) == kFontRecordSize, "font record is a LOGFONTA");
    LOGFONTA lf;
    memcpy(&lf, record, sizeof lf);
    lf.lfFaceName[LF_FACESIZE - 1] = 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = 0;
    lf.lfClipPrecision = 0;
    lf.lfQuality = PROOF_QUALITY;
    lf.lfPitchAndFamily = 0;
    return CreateFontIndirectA(&lf);
}

void BorderStyles(int choice, DWORD& style, DWORD& exStyle) {
    style &= ~WS_BORDER;
    exStyle &= ~(WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE);
    switch (choice) {
    case kBorderSunken: exStyle |= WS_EX_CLIENTEDGE; break;
    case kBorderRaised: exStyle |= WS_EX_DLGMODALFRAME; break;
    case kBorderThin: exStyle |= WS_EX_STATICEDGE; break;
    case kBorderSunkenInRaised: exStyle |= WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME; break;
    case kBorderSingleLine: style |= WS_BORDER; break;
    default: break;
    }
}

void ApplyBorder(HWND hwnd, int choice) {
    if (!hwnd) return;
    DWORD style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
    DWORD ex = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE));
    BorderStyles(choice, style, ex);
    SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(style));
    SetWindowLongA(hwnd, GWL_EXSTYLE, static_cast<LONG>(ex));
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

HGLOBAL MakeGlobalBlock(const std::vector<uint8_t>& bytes, uint32_t* size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
    if (!block) {
        if (size) *size = 0;
        return nullptr;
    }
    if (!bytes.empty()) {
        void* p = GlobalLock(block);
        memcpy(p, bytes.data(), bytes.size());
        GlobalUnlock(block);
    }
    if (size) *size = static_cast<uint32_t>(bytes.size());
    return block;
}

// ---------------------------------------------------------------------------
// Unit.

Unit::Unit() = default;

Unit::~Unit() {
    if (hwnd) Detach();
    if (font_) DeleteObject(font_);
    if (brush_) DeleteObject(brush_);
}

bool Unit::SetProperty(int, const PropertyValue&, char**) { return false; }
bool Unit::GetProperty(int, PropertyValue&) { return false; }
bool Unit::WantsKey(UINT) { return false; }
bool Unit::IsDefaultButton() { return false; }
bool Unit::FilterMessage(MSG&) { return false; }
bool Unit::OnReflected(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void Unit::Attach(HWND h) { Register(h); }

void Unit::Detach() {
    if (!hwnd) return;
    if (previousProc_) {
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
    }
    Unregister();
}

LRESULT Unit::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (previousProc_) return CallWindowProcA(previousProc_, hwnd, msg, wp, lp);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// Window procedures: no exception may unwind into the system's message dispatch.
LRESULT CALLBACK Unit::SubclassProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    Unit* u = FromHandle(h);
    if (!u) return DefWindowProcA(h, msg, wp, lp);
    return FatalOnBadAlloc([&] { return u->Dispatch(msg, wp, lp); });
}

LRESULT CALLBACK Unit::OwnClassProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    Unit* u = FromHandle(h);
    if (!u && msg == WM_NCCREATE) {
        u = static_cast<Unit*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        if (u) FatalOnBadAlloc([&] { u->Attach(h); });
    }
    if (!u) return DefWindowProcA(h, msg, wp, lp);
    return FatalOnBadAlloc([&] { return u->Dispatch(msg, wp, lp); });
}

LRESULT Unit::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_NCDESTROY) return WindowProc(msg, wp, lp);
    // Last message: let the control finish, then report and delete.
    LRESULT r = WindowProc(msg, wp, lp);
    if (!hwnd) return r;  // already detached by the unit
    Detach();
    if (creating_) return r;  // a failed creation deletes the object itself
    bool report = created_;
    uint32_t f = formId, u = unitId;
    if (report) Notify(kNotifyDestroyed, f, u);
    delete this;
    return r;
}

static Unit* ReflectTarget(UINT msg, WPARAM wp, LPARAM lp, HWND self) {
    switch (msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return lp ? Unit::FromHandle(reinterpret_cast<HWND>(lp)) : nullptr;
    case WM_NOTIFY:
        return lp ? Unit::FromHandle(reinterpret_cast<NMHDR*>(lp)->hwndFrom) : nullptr;
    case WM_DRAWITEM: {
        auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        return d && d->CtlType != ODT_MENU ? Unit::FromHandle(d->hwndItem) : nullptr;
    }
    case WM_MEASUREITEM: {
        auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        return m && m->CtlType != ODT_MENU ? Unit::FromHandle(GetDlgItem(self, static_cast<int>(wp))) : nullptr;
    }
    default:
        return nullptr;
    }
}

LRESULT Unit::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SETFOCUS: {
        LRESULT r = DefaultProc(msg, wp, lp);
        Raise(kEventFocusGained);
        return r;
    }
    case WM_KILLFOCUS: {
        LRESULT r = DefaultProc(msg, wp, lp);
        Raise(kEventFocusLost);
        return r;
    }
    case WM_SYSCOLORCHANGE:
        // A brush in the system's default colour follows the system's colours.
        if (brush_ && brushColour_ == kSystemColourValue) {
            SetBackgroundColour(brushColour_);
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return DefaultProc(msg, wp, lp);
    case WM_SETFONT:
        // A font sent from outside stands in for the stock GUI font (the window
        // moved to another resolution); a unit's own font record wins.
        if (!font_) {
            HFONT sent = reinterpret_cast<HFONT>(wp);
            guiFont_ = sent == GetStockObject(DEFAULT_GUI_FONT) ? nullptr : sent;
            if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, TRUE);
        }
        return DefaultProc(msg, wp, lp);
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT || !CursorOnlyOverClient()) {
            if (HCURSOR c = Ptr<HICON__>(static_cast<uint32_t>(Notify(kNotifyUnitCursor, formId, unitId)))) {
                SetCursor(c);
                return TRUE;
            }
        }
        return DefaultProc(msg, wp, lp);
    default:
        if (Unit* child = ReflectTarget(msg, wp, lp, hwnd); child && child != this) {
            LRESULT result = 0;
            if (child->OnReflected(msg, wp, lp, result)) return result;
        }
        return DefaultProc(msg, wp, lp);
    }
}

bool Unit::CreateNative(const char* className, DWORD exStyle, DWORD style, const char* text, const CreateParams& p) {
    style |= p.style;
    HMENU idOrMenu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(p.controlId)) : p.menu;
    HWND h = CreateWindowExA(exStyle, className, text ? text : "", style, p.x, p.y, p.width, p.height, p.parent,
                             idOrMenu, GetModuleHandleA(nullptr), nullptr);
    if (!h) return false;
    Attach(h);
    previousProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Unit::SubclassProc)));
    return true;
}

bool Unit::CreateOwnWindow(const char* className, UINT classStyle, DWORD exStyle, DWORD style, const char* text,
                           const CreateParams& p) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc;
    if (!GetClassInfoA(inst, className, &wc)) {
        wc = {};
        wc.style = classStyle;
        wc.lpfnWndProc = &Unit::OwnClassProc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        wc.lpszClassName = className;
        if (!RegisterClassA(&wc)) return false;
    }
    style |= p.style;
    HMENU idOrMenu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(p.controlId)) : p.menu;
    creating_ = true;
    HWND h = CreateWindowExA(exStyle, className, text ? text : "", style, p.x, p.y, p.width, p.height, p.parent,
                             idOrMenu, inst, this);
    creating_ = false;
    if (!h) {
        if (hwnd) Detach();
        return false;
    }
    if (!hwnd) Attach(h);
    return true;
}

void Unit::ApplyFont(const ByteBuffer& record, bool redraw) {
    if (font_) {
        HFONT old = font_;
        font_ = nullptr;
        if (hwnd) SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        DeleteObject(old);
    }
    font_ = MakeFontFromRecord(record.data(), record.size());
    if (hwnd) SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(CurrentFont()), redraw ? TRUE : FALSE);
}

HFONT Unit::CurrentFont() const {
    if (font_) return font_;
    return guiFont_ ? guiFont_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void Unit::SetBackgroundColour(uint32_t colour) {
    brushColour_ = colour;
    HBRUSH fresh = CreateSolidBrush(ResolveColour(colour));
    if (brush_) DeleteObject(brush_);
    brush_ = fresh;
}

bool Unit::LoadStoredData(const uint8_t* data, size_t size) { return LoadPropertyData(Properties(), data, size); }

HGLOBAL Unit::SaveStoredData(uint32_t* size) {
    std::vector<uint8_t> bytes;
    if (!SavePropertyData(Properties(), bytes)) {
        if (size) *size = 0;
        return nullptr;
    }
    return MakeGlobalBlock(bytes, size);
}

void* CreateUnitObject(Unit* unit, const CreateParams& p) {
    if (!unit) return nullptr;
    unit->formId = p.formId;
    unit->unitId = p.unitId;
    unit->designMode = p.designMode;
    if (!unit->LoadStoredData(p.data, p.size)) {
        delete unit;
        return nullptr;
    }
    if (!unit->CreateControl(p) || !unit->hwnd) {
        if (HWND h = unit->hwnd) {
            // Destroying the window deletes the object (created_ is still false,
            // so nothing is reported).
            DestroyWindow(h);
            if (Unit::FromHandle(h) == unit) {
                unit->Detach();
                delete unit;
            }
        } else {
            delete unit;
        }
        return nullptr;
    }
    unit->created_ = true;
    return static_cast<Unit*>(unit);
}

// ---------------------------------------------------------------------------
// Common input events.

bool FireCommonInputEvent(Unit* unit, MSG& msg) {
    if (!unit) return false;
    auto mouse = [&](int number) {
        uint32_t x = LOWORD(msg.lParam), y = HIWORD(msg.lParam);
        return unit->Raise(number, {x, y, ShiftState()}).ReturnedFalse();
    };
    switch (msg.message) {
    case WM_LBUTTONDOWN: return mouse(kEventLeftDown);
    case WM_LBUTTONUP: return mouse(kEventLeftUp);
    case WM_LBUTTONDBLCLK: return mouse(kEventDoubleClick);
    case WM_RBUTTONDOWN: return mouse(kEventRightDown);
    case WM_RBUTTONUP: return mouse(kEventRightUp);
    case WM_MOUSEMOVE: return mouse(kEventMouseMove);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        uint32_t vk = static_cast<uint32_t>(msg.wParam);
        int number = (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) ? kEventKeyDown : kEventKeyUp;
        return unit->Raise(number, {NormaliseKey(vk), KeyShiftState(vk)}).ReturnedFalse();
    }
    case WM_CHAR: {
        EventAnswer a = unit->Raise(kEventCharacter, {static_cast<uint32_t>(msg.wParam)});
        if (!a.hasResult) return false;
        if (static_cast<uint32_t>(a.value) == 0) return true;
        msg.wParam = static_cast<WPARAM>(static_cast<uint32_t>(a.value));
        return false;
    }
    case WM_MOUSEWHEEL: {
        int distance = static_cast<short>(HIWORD(msg.wParam)) / 120;
        return unit->Raise(kEventWheel, {static_cast<uint32_t>(distance), ShiftState()}).ReturnedFalse();
    }
    default:
        return false;
    }
}

std::wstring AnsiToWide(const std::string& s) {
    if (s.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string WideToAnsi(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

}  // namespace imprinta::units
