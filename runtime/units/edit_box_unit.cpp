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

// The spin control's static edge goes with the box's own sunken borders.
bool SpinHasStaticEdge(int32_t border) { return border == 0 || border == 1 || border == 3; }


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
        DWORD ex = SpinHasStaticEdge(owner_->data.border) ? WS_EX_STATICEDGE : 0;
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
        Raise(kEditBoxSpinClicked, {static_cast<uint32_t>(delta > 0 ? 1 : -1)});
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

// A single-line box shows its one text line centred: the client area shrinks to
// that line, the rest is painted with the background and answers as border.
LRESULT EditBoxUnit::SingleLineFrame(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCCALCSIZE: {
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
    case WM_NCPAINT:
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
    case WM_ERASEBKGND: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(reinterpret_cast<HDC>(wp), &rc, brush_);
        return 1;
    }
    case WM_NCHITTEST: {
        LRESULT r = DefaultProc(msg, wp, lp);
        POINT pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        RECT wr, cr;
        GetWindowRect(hwnd, &wr);
        GetClientRect(hwnd, &cr);
        MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&cr), 2);
        if (PtInRect(&wr, pt) && !PtInRect(&cr, pt)) return HTBORDER;
        return r;
    }
    default: return DefaultProc(msg, wp, lp);
    }
}

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
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_NCHITTEST:
        if (!data.multiline) return SingleLineFrame(msg, wp, lp);
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
            if (!suppressChange_) Raise(kEditBoxChanged);
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

// --- properties ---------------------------------------------------------------

bool EditBoxUnit::SetProperty(int number, const PropertyValue& v, char**) {
    switch (number) {
    case kEditBoxContent: SetContent(TextOf(v)); return false;
    case kEditBoxBorder: SetBorder(v.integer); return false;
    case kEditBoxTextColor:
        data.textColour = v.colour;
        if (hwnd) InvalidateRect(hwnd, nullptr, TRUE);
        return false;
    case kEditBoxBackColor:
        data.backColour = v.colour;
        SetBackgroundColour(data.backColour);
        if (hwnd) RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
        return false;
    case kEditBoxFont:
        StoreBytes(data.font, v);
        if (hwnd) ApplyFontAndHeight();
        return false;
    case kEditBoxHideSelection: return StoreLogical(data.hideSelection, v) && !designMode;
    case kEditBoxMaxLength:
        data.maxLength = v.integer < 0 ? 0 : v.integer;
        if (hwnd) SendMessageA(hwnd, EM_LIMITTEXT, static_cast<WPARAM>(data.maxLength), 0);
        return false;
    // Style changes the control cannot take live: re-created when they change.
    case kEditBoxMultiline: return StoreLogical(data.multiline, v);
    case kEditBoxScrollBars: return StoreChoice(data.scrollBars, v.integer, 3);
    case kEditBoxAlignment: return StoreChoice(data.alignment, v.integer, 2);
    case kEditBoxCaseConversion: return StoreChoice(data.caseConversion, v.integer, 2);
    case kEditBoxSpinType: return StoreChoice(data.spinType, v.integer, 2);
    case kEditBoxInputMode: SetInputMode(v.integer); return false;
    case kEditBoxPasswordChar: SetPasswordChar(v.text); return false;
    case kEditBoxSpinMin:
        data.spinMin = v.integer;
        UpdateSpinRange();
        return false;
    case kEditBoxSpinMax:
        data.spinMax = v.integer;
        UpdateSpinRange();
        return false;
    case kEditBoxSelStart:
    case kEditBoxSelLength: SetSelection(number, v.integer); return false;
    case kEditBoxSelText:
        if (hwnd) SendMessageA(hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(TextOf(v)));
        return false;
    case kEditBoxDataSource: data.dataSource = TextOf(v); return false;
    case kEditBoxDataColumn: data.dataColumn = TextOf(v); return false;
    default: return false;
    }
}

// Event 0 fires exactly once: the control's own EN_CHANGE is held back and one sent.
void EditBoxUnit::SetContent(const char* text) {
    data.content = text;
    if (!hwnd) return;
    suppressChange_ = true;
    SetWindowTextA(hwnd, data.content.c_str());
    suppressChange_ = false;
    SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), EN_CHANGE),
                 reinterpret_cast<LPARAM>(hwnd));
}

void EditBoxUnit::SetBorder(int32_t value) {
    if (!StoreChoice(data.border, value, 5) || !hwnd) return;
    ApplyBorder(hwnd, data.border);
    if (!spin_) return;
    LONG ex = GetWindowLongA(spin_->hwnd, GWL_EXSTYLE) & ~WS_EX_STATICEDGE;
    if (SpinHasStaticEdge(data.border)) ex |= WS_EX_STATICEDGE;
    SetWindowLongA(spin_->hwnd, GWL_EXSTYLE, ex);
    SetWindowPos(spin_->hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void EditBoxUnit::SetInputMode(int32_t value) {
    if (!StoreChoice(data.inputMode, value, kEditHighestMode) || !hwnd) return;
    const int32_t mode = data.inputMode;
    SendMessageA(hwnd, EM_SETPASSWORDCHAR, mode == kEditPassword ? (data.passwordChar & 0xFF) : 0, 0);
    SendMessageA(hwnd, EM_SETREADONLY, mode == kEditReadOnly, 0);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void EditBoxUnit::SetPasswordChar(const char* text) {
    data.passwordChar = static_cast<uint16_t>(text ? static_cast<unsigned char>(text[0]) : 0);
    if (hwnd && data.inputMode == kEditPassword) {
        SendMessageA(hwnd, EM_SETPASSWORDCHAR, data.passwordChar, 0);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

// Start or length; the other end stays as the control (at run time) or the
// data holds it. -1 means the end of the text (start) or all of it (length).
void EditBoxUnit::SetSelection(int number, int32_t value) {
    int32_t start = 0, length = 0;
    CurrentSelection(start, length);
    const int32_t textLength = hwnd ? GetWindowTextLengthW(hwnd) : static_cast<int32_t>(data.content.size());
    ChangeSelection(number == kEditBoxSelStart ? SelectionEnd::Start : SelectionEnd::Length, value, textLength, start,
                    length);
    data.selStart = start;
    data.selLength = length;
    SelectLive(start, length);
}

void EditBoxUnit::CurrentSelection(int32_t& start, int32_t& length) const {
    start = data.selStart;
    length = data.selLength;
    if (!hwnd || designMode) return;
    DWORD s = 0, e = 0;
    SendMessageA(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    start = static_cast<int32_t>(s);
    length = static_cast<int32_t>(e - s);
}

bool EditBoxUnit::GetProperty(int number, PropertyValue& v) {
    switch (number) {
    case kEditBoxContent:
        if (!hwnd || designMode) {
            v.text = data.content.c_str();
            return true;
        }
        scratch_ = LiveText();
        v.text = scratch_.c_str();
        return true;
    case kEditBoxBorder: v.integer = data.border; return true;
    case kEditBoxTextColor: v.colour = data.textColour; return true;
    case kEditBoxBackColor: v.colour = data.backColour; return true;
    case kEditBoxFont: LendBytes(v, data.font); return true;
    case kEditBoxHideSelection: v.logical = data.hideSelection ? 1 : 0; return true;
    case kEditBoxMaxLength: v.integer = data.maxLength; return true;
    case kEditBoxMultiline: v.logical = data.multiline ? 1 : 0; return true;
    case kEditBoxScrollBars: v.integer = data.scrollBars; return true;
    case kEditBoxAlignment: v.integer = data.alignment; return true;
    case kEditBoxInputMode: v.integer = data.inputMode; return true;
    case kEditBoxPasswordChar:
        scratch_.assign(data.passwordChar ? 1 : 0, static_cast<char>(data.passwordChar));
        v.text = scratch_.c_str();
        return true;
    case kEditBoxCaseConversion: v.integer = data.caseConversion; return true;
    case kEditBoxSpinType: v.integer = data.spinType; return true;
    case kEditBoxSpinMin: v.integer = data.spinMin; return true;
    case kEditBoxSpinMax: v.integer = data.spinMax; return true;
    case kEditBoxSelStart:
    case kEditBoxSelLength: {
        int32_t start = 0, length = 0;
        CurrentSelection(start, length);
        v.integer = number == kEditBoxSelStart ? start : length;
        return true;
    }
    case kEditBoxSelText:
        scratch_ = SelectedText();
        v.text = scratch_.c_str();
        return true;
    case kEditBoxDataSource: v.text = data.dataSource.c_str(); return true;
    case kEditBoxDataColumn: v.text = data.dataColumn.c_str(); return true;
    default: return false;
    }
}

std::string EditBoxUnit::SelectedText() const {
    std::wstring text = hwnd ? LiveTextW() : AnsiToWide(data.content);
    int32_t start = 0, length = 0;
    CurrentSelection(start, length);
    size_t s = static_cast<size_t>(std::max(0, start));
    size_t e = s + static_cast<size_t>(std::max(0, length));
    s = std::min(s, text.size());
    e = std::min(std::max(e, s), text.size());
    return WideToAnsi(text.substr(s, e - s));
}

}  // namespace imprinta::units

IMPRINTA_UNIT_ENTRY_LOOKUP(EditBoxEntryLookup, imprinta::units::EditBoxUnit)
