// Edit box: EDIT control with input modes, spin control, colours and
// vertically centred single-line text.
#include "runtime/units/edit_box_unit.h"
#include <commctrl.h>
#include <windowsx.h>
#include <algorithm>
#include <vector>

namespace imprinta::units {

namespace {

constexpr int kSpinWidth = 18;


void EnsureUpDownClass() {
    static bool done = false;
    if (done) return;
    done = true;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
}

}  // namespace

// The spin control beside an edit box: a sibling window whose notifications
// reach its edit box through the framework's reflection.
class SpinControl : public Unit {
public:
    explicit SpinControl(EditBoxUnit* owner) : owner_(owner) {
        formId = owner->formId;
        unitId = owner->unitId;  // the cursor and input events are the edit box's
    }
    ~SpinControl() override {
        if (owner_) owner_->spin_ = nullptr;
    }
    PropertyData& Properties() override { return none_; }
    bool CreateControl(const CreateParams& p) override {
        DWORD ex = (owner_->data.border == 0 || owner_->data.border == 1 || owner_->data.border == 3) ? WS_EX_STATICEDGE
                                                                                                    : 0;
        return CreateNative(UPDOWN_CLASSA, ex, WS_CHILD | WS_CLIPSIBLINGS, nullptr, p);
    }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_SETFOCUS || msg == WM_KILLFOCUS) return DefaultProc(msg, wp, lp);
        return Unit::WindowProc(msg, wp, lp);
    }
    bool OnReflected(UINT msg, WPARAM, LPARAM lp, LRESULT& result) override {
        auto* hdr = reinterpret_cast<NMHDR*>(lp);
        if (msg != WM_NOTIFY || hdr->code != static_cast<UINT>(UDN_DELTAPOS)) return false;
        if (owner_) owner_->OnSpin(reinterpret_cast<NMUPDOWN*>(lp)->iDelta);
        result = 0;  // the control's own position change is always allowed
        return true;
    }
    EditBoxUnit* owner_;

private:
    struct NoData : PropertyData {
        void Reset() override {}
        bool Serialize(PropertyArchive& ar) override { return ar.Version(1) && ar.ok(); }
    } none_;
};

EditBoxUnit::~EditBoxUnit() {
    if (spin_) spin_->owner_ = nullptr;
}

PropertyData& EditBoxUnit::Properties() {
    // Saved data (for re-creation) carries what the user typed and selected.
    if (hwnd && created() && !designMode) {
        data.content = LiveText();
        DWORD s = 0, e = 0;
        SendMessageA(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
        data.selStart = static_cast<int32_t>(s);
        data.selLength = static_cast<int32_t>(e - s);
    }
    return data;
}

bool EditBoxUnit::CreateControl(const CreateParams& p) {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    if (!data.hideSelection) style |= ES_NOHIDESEL;
    if (data.multiline) {
        style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
        if (data.scrollBars == 1 || data.scrollBars == 3) style |= ES_AUTOHSCROLL;
        if (data.scrollBars == 1 || data.scrollBars == 3) style |= WS_HSCROLL;
        if (data.scrollBars == 2 || data.scrollBars == 3) style |= WS_VSCROLL;
    } else {
        style |= ES_AUTOHSCROLL;
    }
    if (data.alignment == 1) style |= ES_CENTER;
    if (data.alignment == 2) style |= ES_RIGHT;
    if (data.inputMode == kEditReadOnly) style |= ES_READONLY;
    if (data.inputMode == kEditPassword) style |= ES_PASSWORD;
    if (data.caseConversion == 1) style |= ES_LOWERCASE;
    if (data.caseConversion == 2) style |= ES_UPPERCASE;

    SetBackgroundColour(data.backColour);
    if (!CreateNative("EDIT", 0, style, data.content.c_str(), p)) return false;
    ApplyFontAndHeight();
    SendMessageA(hwnd, EM_LIMITTEXT, static_cast<WPARAM>(data.maxLength), 0);
    if (data.inputMode == kEditPassword) SendMessageA(hwnd, EM_SETPASSWORDCHAR, data.passwordChar & 0xFF, 0);
    if (!data.multiline && data.spinType != 0) {
        CreateSpin();
        if (!spin_) data.spinType = 0;
    }
    SelectLive(data.selStart, data.selLength);
    ApplyBorder(hwnd, data.border);
    return true;
}

void EditBoxUnit::ApplyFontAndHeight() {
    ApplyFont(data.font);
    SIZE ch = {0, 0};
    if (HDC dc = GetDC(hwnd)) {
        HGDIOBJ old = SelectObject(dc, CurrentFont());
        const char* wide = "国";  // one full-width double-byte character
        GetTextExtentPoint32A(dc, wide, static_cast<int>(strlen(wide)), &ch);
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
    }
    if (data.multiline) return;
    RECT rc;
    GetWindowRect(hwnd, &rc);
    int need = ch.cy + 2 * GetSystemMetrics(SM_CYEDGE);
    UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;
    if (rc.bottom - rc.top < need)
        SetWindowPos(hwnd, nullptr, 0, 0, rc.right - rc.left, need, flags);
    else
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, flags | SWP_NOSIZE);
}

int EditBoxUnit::LineHeight() {
    SIZE sz = {0, 0};
    if (HDC dc = GetDC(hwnd)) {
        HGDIOBJ old = SelectObject(dc, CurrentFont());
        GetTextExtentPoint32A(dc, "W", 1, &sz);
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
    }
    return sz.cy;
}

void EditBoxUnit::CreateSpin() {
    EnsureUpDownClass();
    HWND parent = GetParent(hwnd);
    RECT rc;
    GetWindowRect(hwnd, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    CreateParams q;
    q.style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & WS_DISABLED;
    q.parent = parent;
    q.controlId = static_cast<UINT>(GetDlgCtrlID(hwnd)) + 4;
    q.x = rc.right;
    q.y = rc.top;
    q.width = kSpinWidth;
    q.height = rc.bottom - rc.top;
    auto* s = new SpinControl(this);
    if (!s->CreateControl(q)) {
        s->owner_ = nullptr;
        delete s;
        return;
    }
    spin_ = s;
    UpdateSpinRange();
    PlaceSpin(IsWindowVisible(hwnd) ? 1 : -1);
}

HWND EditBoxUnit::SpinWindow() const { return spin_ ? spin_->hwnd : nullptr; }

void EditBoxUnit::PlaceSpin(int show) {
    if (!spin_ || !spin_->hwnd || !hwnd) return;
    HWND parent = GetParent(hwnd);
    if (GetParent(spin_->hwnd) != parent) SetParent(spin_->hwnd, parent);  // moved into a container
    RECT rc;
    GetWindowRect(hwnd, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    UINT flags = SWP_NOACTIVATE | (show == 1 ? SWP_SHOWWINDOW : show == 0 ? SWP_HIDEWINDOW : 0);
    SetWindowPos(spin_->hwnd, hwnd, rc.right, rc.top, kSpinWidth, rc.bottom - rc.top, flags);
}

void EditBoxUnit::UpdateSpinRange() {
    if (!spin_) return;
    int32_t lo = std::min(data.spinMin, data.spinMax), hi = std::max(data.spinMin, data.spinMax);
    // The 32-bit form, so ranges beyond 16 bits keep their ends.
    SendMessageA(spin_->hwnd, UDM_SETRANGE32, static_cast<WPARAM>(lo), static_cast<LPARAM>(hi));
}

void EditBoxUnit::OnSpin(int delta) {
    if (!hwnd || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) return;
    if (data.spinType == 2) {
        Raise(kEditSpinClicked, {static_cast<uint32_t>(delta > 0 ? 1 : -1)});
        return;
    }
    if (data.spinType != 1 || !spin_) return;
    int lo = 0, hi = 0;
    SendMessageA(spin_->hwnd, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
    int32_t value = SpinStep(LiveText(), delta > 0, lo, hi);
    SetWindowTextA(hwnd, std::to_string(value).c_str());
    SendMessageA(hwnd, EM_SETSEL, 0, -1);
    SendMessageA(hwnd, EM_SCROLLCARET, 0, 0);
    SetFocus(hwnd);
}

std::wstring EditBoxUnit::LiveTextW() const {
    int n = GetWindowTextLengthW(hwnd);
    std::wstring w(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd, w.data(), n + 1);
    w.resize(static_cast<size_t>(n > 0 ? n : 0));
    return w;
}

std::string EditBoxUnit::LiveText() const {
    int n = GetWindowTextLengthA(hwnd);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = GetWindowTextA(hwnd, s.data(), n + 1);
    s.resize(static_cast<size_t>(n > 0 ? n : 0));
    return s;
}

void EditBoxUnit::SelectLive(int start, int length) {
    if (!hwnd) return;
    SendMessageA(hwnd, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start + length));
    SendMessageA(hwnd, EM_SCROLLCARET, 0, 0);
}

void EditBoxUnit::NormaliseOnFocusLoss() {
    if (data.inputMode < kEditByte || data.inputMode > kEditDateTime) return;
    std::string text = LiveText();
    std::string fixed = NormaliseEditText(data.inputMode, text);
    if (fixed == text) return;
    DWORD start = 0;
    SendMessageA(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    SetWindowTextA(hwnd, fixed.c_str());
    SendMessageA(hwnd, EM_SETSEL, start, start);
}

bool EditBoxUnit::WantsKey(UINT key) { return key == VK_RETURN && data.multiline && data.inputMode != kEditReadOnly; }

LRESULT EditBoxUnit::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        // -7 and -8 come from the control's EN_SETFOCUS / EN_KILLFOCUS.
        return DefaultProc(msg, wp, lp);
    case WM_CHAR:
        if (wp >= 32 && !EditModeAccepts(data.inputMode, static_cast<uint32_t>(wp))) return 0;
        break;
    case WM_NCCALCSIZE:
        if (!data.multiline) {
            LRESULT r = DefaultProc(msg, wp, lp);
            RECT* rc = wp ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lp)->rgrc[0] : reinterpret_cast<RECT*>(lp);
            int line = LineHeight();
            int avail = rc->bottom - rc->top;
            if (line > 0 && avail > line) {
                rc->top += (avail - line) / 2;
                rc->bottom = rc->top + line;
            }
            return r;
        }
        break;
    case WM_NCPAINT:
        if (!data.multiline) {
            if (HDC dc = GetWindowDC(hwnd)) {
                RECT wr, cr;
                GetWindowRect(hwnd, &wr);
                GetClientRect(hwnd, &cr);
                MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&cr), 2);
                OffsetRect(&cr, -wr.left, -wr.top);
                OffsetRect(&wr, -wr.left, -wr.top);
                ExcludeClipRect(dc, cr.left, cr.top, cr.right, cr.bottom);
                FillRect(dc, &wr, brush_);
                ReleaseDC(hwnd, dc);
            }
            return DefaultProc(msg, wp, lp);  // the frame over it
        }
        break;
    case WM_ERASEBKGND:
        if (!data.multiline) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            FillRect(reinterpret_cast<HDC>(wp), &rc, brush_);
            return 1;
        }
        break;
    case WM_NCHITTEST:
        if (!data.multiline) {
            LRESULT r = DefaultProc(msg, wp, lp);
            POINT pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            RECT wr, cr;
            GetWindowRect(hwnd, &wr);
            GetClientRect(hwnd, &cr);
            MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&cr), 2);
            if (PtInRect(&wr, pt) && !PtInRect(&cr, pt)) return HTBORDER;
            return r;
        }
        break;
    case WM_WINDOWPOSCHANGED: {
        LRESULT r = Unit::WindowProc(msg, wp, lp);
        UINT flags = reinterpret_cast<const WINDOWPOS*>(lp)->flags;
        PlaceSpin((flags & SWP_SHOWWINDOW) ? 1 : (flags & SWP_HIDEWINDOW) ? 0 : -1);
        return r;
    }
    case WM_SHOWWINDOW:
        if (spin_) ShowWindow(spin_->hwnd, wp ? SW_SHOWNA : SW_HIDE);
        break;
    case WM_ENABLE:
        if (spin_) EnableWindow(spin_->hwnd, wp ? TRUE : FALSE);
        break;
    case WM_DESTROY:
        if (spin_ && spin_->hwnd) DestroyWindow(spin_->hwnd);
        break;
    default:
        break;
    }
    return Unit::WindowProc(msg, wp, lp);
}

bool EditBoxUnit::OnReflected(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    switch (msg) {
    case WM_COMMAND:
        switch (HIWORD(wp)) {
        case EN_CHANGE:
            if (!suppressChange_) Raise(kEditChanged);
            break;
        case EN_SETFOCUS: Raise(kEventFocusGained); break;
        case EN_KILLFOCUS:
            NormaliseOnFocusLoss();
            Raise(kEventFocusLost);
            break;
        default: return false;
        }
        result = 0;
        return true;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, static_cast<COLORREF>(data.textColour));
        SetBkColor(dc, ResolveColour(data.backColour));
        result = reinterpret_cast<LRESULT>(brush_);
        return true;
    }
    default: return false;
    }
}

bool EditBoxUnit::SetProperty(int number, const PropertyValue& v, char**) {
    auto changed = [](auto& field, auto value) {
        bool c = field != value;
        field = value;
        return c;
    };
    switch (number) {
    case 0:  // content: event 0 fires exactly once
        data.content = v.text ? v.text : "";
        if (!hwnd) return false;
        suppressChange_ = true;
        SetWindowTextA(hwnd, data.content.c_str());
        suppressChange_ = false;
        SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), EN_CHANGE),
                     reinterpret_cast<LPARAM>(hwnd));
        return false;
    case 1: {
        int32_t c = ClampChoice(v.integer, 5);
        if (c == data.border) return false;
        data.border = c;
        if (hwnd) {
            ApplyBorder(hwnd, c);
            if (spin_) {
                LONG ex = GetWindowLongA(spin_->hwnd, GWL_EXSTYLE) & ~WS_EX_STATICEDGE;
                if (c == 0 || c == 1 || c == 3) ex |= WS_EX_STATICEDGE;
                SetWindowLongA(spin_->hwnd, GWL_EXSTYLE, ex);
                SetWindowPos(spin_->hwnd, nullptr, 0, 0, 0, 0,
                             SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
            }
        }
        return false;
    }
    case 2:
        data.textColour = v.colour;
        if (hwnd) InvalidateRect(hwnd, nullptr, TRUE);
        return false;
    case 3:
        data.backColour = v.colour;
        SetBackgroundColour(data.backColour);
        if (hwnd) RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
        return false;
    case 4:
        data.font.Assign(v.data.bytes, v.data.bytes ? v.data.count : 0);
        if (hwnd) ApplyFontAndHeight();
        return false;
    case 5: return changed(data.hideSelection, v.logical != 0) && !designMode;
    case 6:
        data.maxLength = v.integer < 0 ? 0 : v.integer;
        if (hwnd) SendMessageA(hwnd, EM_LIMITTEXT, static_cast<WPARAM>(data.maxLength), 0);
        return false;
    case 7: return changed(data.multiline, v.logical != 0);
    case 8: return changed(data.scrollBars, ClampChoice(v.integer, 3));
    case 9: return changed(data.alignment, ClampChoice(v.integer, 2));
    case 10: {
        int32_t c = ClampChoice(v.integer, kEditHighestMode);
        if (c == data.inputMode) return false;
        data.inputMode = c;
        if (hwnd) {
            SendMessageA(hwnd, EM_SETPASSWORDCHAR, c == kEditPassword ? (data.passwordChar & 0xFF) : 0, 0);
            SendMessageA(hwnd, EM_SETREADONLY, c == kEditReadOnly, 0);
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return false;
    }
    case 11:
        data.passwordChar = static_cast<uint16_t>(v.text ? static_cast<unsigned char>(v.text[0]) : 0);
        if (hwnd && data.inputMode == kEditPassword) {
            SendMessageA(hwnd, EM_SETPASSWORDCHAR, data.passwordChar, 0);
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return false;
    case 12: return changed(data.caseConversion, ClampChoice(v.integer, 2));
    case 13: return changed(data.spinType, ClampChoice(v.integer, 2));
    case 14:
        data.spinMin = v.integer;
        UpdateSpinRange();
        return false;
    case 15:
        data.spinMax = v.integer;
        UpdateSpinRange();
        return false;
    case 16: {  // selection start
        int32_t length = data.selLength;
        int32_t start = v.integer;
        if (hwnd && !designMode) {
            DWORD s = 0, e = 0;
            SendMessageA(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
            length = static_cast<int32_t>(e - s);
        }
        if (start == -1) {
            start = hwnd ? GetWindowTextLengthW(hwnd) : static_cast<int32_t>(data.content.size());
            length = 0;
        } else if (start < 0) {
            start = 0;
        }
        data.selStart = start;
        data.selLength = length;
        SelectLive(start, length);
        return false;
    }
    case 17: {  // selection length
        int32_t start = data.selStart;
        if (hwnd && !designMode) {
            DWORD s = 0;
            SendMessageA(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&s), 0);
            start = static_cast<int32_t>(s);
        }
        int32_t length = v.integer;
        if (length == -1) {
            start = 0;
            length = hwnd ? GetWindowTextLengthW(hwnd) : static_cast<int32_t>(data.content.size());
        } else if (length < 0) {
            length = 0;
        }
        data.selStart = start;
        data.selLength = length;
        SelectLive(start, length);
        return false;
    }
    case 18:
        if (hwnd) SendMessageA(hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(v.text ? v.text : ""));
        return false;
    case 19: data.dataSource = v.text ? v.text : ""; return false;
    case 20: data.dataColumn = v.text ? v.text : ""; return false;
    default: return false;
    }
}

bool EditBoxUnit::GetProperty(int number, PropertyValue& v) {
    const bool live = hwnd && !designMode;
    switch (number) {
    case 0:
        if (!live) {
            v.text = data.content.c_str();
            return true;
        }
        scratch_ = LiveText();
        v.text = scratch_.c_str();
        return true;
    case 1: v.integer = data.border; return true;
    case 2: v.colour = data.textColour; return true;
    case 3: v.colour = data.backColour; return true;
    case 4:
        v.data.bytes = data.font.empty() ? nullptr : data.font.data();
        v.data.count = static_cast<uint32_t>(data.font.size());
        return true;
    case 5: v.logical = data.hideSelection ? 1 : 0; return true;
    case 6: v.integer = data.maxLength; return true;
    case 7: v.logical = data.multiline ? 1 : 0; return true;
    case 8: v.integer = data.scrollBars; return true;
    case 9: v.integer = data.alignment; return true;
    case 10: v.integer = data.inputMode; return true;
    case 11:
        scratch_.assign(data.passwordChar ? 1 : 0, static_cast<char>(data.passwordChar));
        v.text = scratch_.c_str();
        return true;
    case 12: v.integer = data.caseConversion; return true;
    case 13: v.integer = data.spinType; return true;
    case 14: v.integer = data.spinMin; return true;
    case 15: v.integer = data.spinMax; return true;
    case 16:
    case 17: {
        if (!live) {
            v.integer = number == 16 ? data.selStart : data.selLength;
            return true;
        }
        DWORD s = 0, e = 0;
        SendMessageA(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
        v.integer = static_cast<int32_t>(number == 16 ? s : e - s);
        return true;
    }
    case 18: {
        std::wstring text = hwnd ? LiveTextW() : AnsiToWide(data.content);
        size_t s = static_cast<size_t>(std::max(0, data.selStart)), e = s + static_cast<size_t>(std::max(0, data.selLength));
        if (live) {
            DWORD ls = 0, le = 0;
            SendMessageA(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&ls), reinterpret_cast<LPARAM>(&le));
            s = ls;
            e = le;
        }
        s = std::min(s, text.size());
        e = std::min(std::max(e, s), text.size());
        scratch_ = WideToAnsi(text.substr(s, e - s));
        v.text = scratch_.c_str();
        return true;
    }
    case 19: v.text = data.dataSource.c_str(); return true;
    case 20: v.text = data.dataColumn.c_str(); return true;
    default: return false;
    }
}

}  // namespace imprinta::units

IMPRINTA_UNIT_ENTRY_LOOKUP(EditBoxEntryLookup, imprinta::units::EditBoxUnit)
