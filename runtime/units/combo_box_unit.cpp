// Combo box: COMBOBOX control with a stored item list, item data, colours,
// extra item height and a Selected event fired once the selection is in place.
#include <algorithm>
#include <vector>
#include "runtime/units/combo_box_data.h"
#include "runtime/units/unit_framework.h"

namespace imprinta::units {

namespace {

// Posted to itself on CBN_SELENDOK: by the time it arrives the control has
// taken the new selection.
constexpr UINT kMsgFireSelected = WM_APP + 0x200;
constexpr int kDropDownMinHeight = 160;


}  // namespace

class ComboBoxUnit : public Unit {
public:
    using Data = ComboBoxData;
    ComboBoxData data;

    // At run time the saved data (used for re-creation) carries the live list,
    // item data, selection and text, so items added by commands survive.
    PropertyData& Properties() override {
        if (hwnd && created() && !designMode) {
            data.items = LiveItems();
            std::vector<int32_t> values(data.items.size());
            for (size_t i = 0; i < values.size(); ++i)
                values[i] = static_cast<int32_t>(SendMessageA(hwnd, CB_GETITEMDATA, i, 0));
            data.SetItemData(values);
            data.listIndex = static_cast<int32_t>(SendMessageA(hwnd, CB_GETCURSEL, 0, 0));
            if (data.style != kDropDownList) data.content = LiveText();
        }
        return data;
    }

    bool CreateControl(const CreateParams& p) override {
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_VSCROLL | CBS_AUTOHSCROLL;
        CreateParams q = p;
        if (data.style == kSimple) {
            style |= CBS_SIMPLE;
        } else {
            style |= data.style == kDropDown ? CBS_DROPDOWN : CBS_DROPDOWNLIST;
            q.height = std::max(q.height, kDropDownMinHeight);
        }
        if (data.sorted) style |= CBS_SORT;
        SetBackgroundColour(data.backColour);
        if (!CreateNative("COMBOBOX", 0, style, data.content.c_str(), q)) return false;
        ApplyFont(data.font, false);
        AddExtraHeight(data.extraItemHeight);
        SendMessageA(hwnd, CB_LIMITTEXT, static_cast<WPARAM>(data.maxLength), 0);
        FillItems();
        if (data.style != kDropDownList) {
            SetWindowTextA(hwnd, data.content.c_str());
            SendMessageA(hwnd, CB_SETEDITSEL, 0, MAKELPARAM(data.selStart, data.selStart + data.selLength));
        }
        return true;
    }

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            // -7 and -8 come from CBN_SETFOCUS / CBN_KILLFOCUS.
            return DefaultProc(msg, wp, lp);
        case kMsgFireSelected:
            Raise(kComboBoxSelected);
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSTATIC: {  // from the edit field and the list
            LRESULT r = 0;
            Colours(wp, r);
            return r;
        }
        case WM_ERASEBKGND:
            if (data.style == kSimple) {
                RECT rc;
                GetClientRect(hwnd, &rc);
                FillRect(reinterpret_cast<HDC>(wp), &rc, brush_);
                return 1;
            }
            break;
        default: break;
        }
        return Unit::WindowProc(msg, wp, lp);
    }

    bool OnReflected(UINT msg, WPARAM wp, LPARAM, LRESULT& result) override {
        switch (msg) {
        case WM_COMMAND:
            switch (HIWORD(wp)) {
            case CBN_SELENDOK: PostMessageA(hwnd, kMsgFireSelected, 0, 0); break;
            case CBN_EDITCHANGE: Raise(kComboBoxEditChanged); break;
            case CBN_DROPDOWN: Raise(kComboBoxDroppedDown); break;
            case CBN_CLOSEUP: Raise(kComboBoxClosedUp); break;
            case CBN_DBLCLK: Raise(kComboBoxDoubleClicked); break;
            case CBN_SETFOCUS: Raise(kEventFocusGained); break;
            case CBN_KILLFOCUS: Raise(kEventFocusLost); break;
            default: return false;
            }
            result = 0;
            return true;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: return Colours(wp, result);
        default: return false;
        }
    }

    bool SetProperty(int number, const PropertyValue& v, char**) override {
        switch (number) {
        case kComboBoxStyle: return SetStyle(v.integer);
        case kComboBoxContent:
            data.content = TextOf(v);
            if (hwnd && data.style != kDropDownList) SetWindowTextA(hwnd, data.content.c_str());
            return false;
        case kComboBoxMaxLength:
            data.maxLength = std::clamp(v.integer, 0, kMaxCount);
            if (hwnd && data.style != kDropDownList)
                SendMessageA(hwnd, CB_LIMITTEXT, static_cast<WPARAM>(data.maxLength), 0);
            return false;
        case kComboBoxSelStart:
        case kComboBoxSelLength: SetEditSelection(number, v.integer); return false;
        case kComboBoxSelText: ReplaceEditSelection(TextOf(v)); return false;
        case kComboBoxSorted: return StoreLogical(data.sorted, v);
        case kComboBoxExtraItemHeight: SetExtraItemHeight(v.integer); return false;
        case kComboBoxTextColor:
            data.textColour = v.colour;
            RedrawAll();
            return false;
        case kComboBoxBackColor:
            data.backColour = v.colour;
            SetBackgroundColour(data.backColour);
            RedrawAll();
            return false;
        case kComboBoxFont: SetFont(v); return false;
        case kComboBoxListIndex: SetListIndex(v.integer); return false;
        case kComboBoxItems: SetItems(v); return true;
        case kComboBoxItemData: SetItemData(v); return true;
        case kComboBoxDataSource: data.dataSource = TextOf(v); return false;
        case kComboBoxDataColumn: data.dataColumn = TextOf(v); return false;
        case kComboBoxDataFlag: data.dataFlag = v.logical != 0; return false;
        default: return false;
        }
    }

    bool GetProperty(int number, PropertyValue& v) override {
        const bool live = hwnd && !designMode;
        switch (number) {
        case kComboBoxStyle: v.integer = data.style; return true;
        case kComboBoxContent:
            if (!live) {
                v.text = data.content.c_str();
                return true;
            }
            scratch_ = LiveText();
            v.text = scratch_.c_str();
            return true;
        case kComboBoxMaxLength: v.integer = data.maxLength; return true;
        case kComboBoxSelStart:
        case kComboBoxSelLength: {
            int32_t start = data.selStart, length = data.selLength;
            if (live && !LiveEditSelection(start, length)) start = length = 0;
            v.integer = number == kComboBoxSelStart ? start : length;
            return true;
        }
        case kComboBoxSelText:
            scratch_ = live ? SelectedEditText() : std::string();
            v.text = scratch_.c_str();
            return true;
        case kComboBoxSorted: v.logical = data.sorted ? 1 : 0; return true;
        case kComboBoxExtraItemHeight: v.integer = data.extraItemHeight; return true;
        case kComboBoxTextColor: v.colour = data.textColour; return true;
        case kComboBoxBackColor: v.colour = data.backColour; return true;
        case kComboBoxFont: LendBytes(v, data.font); return true;
        case kComboBoxListIndex:
            v.integer = live ? static_cast<int32_t>(SendMessageA(hwnd, CB_GETCURSEL, 0, 0)) : data.listIndex;
            return true;
        case kComboBoxItems:
            scratchBytes_ = EncodeItems(live ? LiveItems() : data.items);
            v.data.bytes = scratchBytes_.data();
            v.data.count = static_cast<uint32_t>(scratchBytes_.size());
            return true;
        case kComboBoxItemData: LendBytes(v, data.itemData); return true;
        case kComboBoxDataSource: v.text = data.dataSource.c_str(); return true;
        case kComboBoxDataColumn: v.text = data.dataColumn.c_str(); return true;
        case kComboBoxDataFlag: v.logical = data.dataFlag ? 1 : 0; return true;
        default: return false;
        }
    }

private:
    enum Style : int32_t { kSimple = 0, kDropDown = 1, kDropDownList = 2 };
    static constexpr int32_t kMaxCount = 32767;  // limit of the edit length and the extra item height

    // A new style needs a new control. The default background follows it: white
    // for the drop-downs, the button face for the simple box.
    bool SetStyle(int32_t value) {
        const int32_t c = ClampChoice(value, kDropDownList);
        if (c == data.style) return false;
        if (c == kSimple && data.backColour == 0xFFFFFF) data.backColour = kSystemColourValue;
        else if (data.style == kSimple && data.backColour == kSystemColourValue) data.backColour = 0xFFFFFF;
        data.style = c;
        return true;
    }

    // Start or length; the other end stays as the edit field (at run time) or
    // the data holds it. -1 means the end of the text (start) or all of it (length).
    void SetEditSelection(int number, int32_t value) {
        int32_t start = data.selStart, length = data.selLength;
        if (hwnd && !designMode) LiveEditSelection(start, length);
        const int32_t textLength = data.style == kDropDownList ? 0 : TextLength();
        ChangeSelection(number == kComboBoxSelStart ? SelectionEnd::Start : SelectionEnd::Length, value, textLength,
                        start, length);
        data.selStart = start;
        data.selLength = length;
        if (hwnd) SendMessageA(hwnd, CB_SETEDITSEL, 0, MAKELPARAM(start, start + length));
    }

    void ReplaceEditSelection(const char* insertText) {
        if (!hwnd || data.style == kDropDownList) return;
        DWORD s = 0, e = 0;
        if (SendMessageA(hwnd, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e)) == CB_ERR)
            return;
        std::wstring text = AnsiToWide(LiveText());
        std::wstring insert = AnsiToWide(insertText);
        size_t a = std::min<size_t>(s, text.size()), b = std::min<size_t>(std::max(e, s), text.size());
        text.replace(a, b - a, insert);
        SetWindowTextA(hwnd, WideToAnsi(text).c_str());
        size_t caret = a + insert.size();
        SendMessageA(hwnd, CB_SETEDITSEL, 0, MAKELPARAM(caret, caret));
    }

    std::string SelectedEditText() const {
        int32_t start = 0, length = 0;
        if (!LiveEditSelection(start, length)) return std::string();
        std::wstring text = AnsiToWide(LiveText());
        size_t a = std::min<size_t>(static_cast<size_t>(start), text.size());
        size_t b = std::min<size_t>(a + static_cast<size_t>(length), text.size());
        return WideToAnsi(text.substr(a, b - a));
    }

    void SetExtraItemHeight(int32_t value) {
        const int32_t h = std::clamp(value, 0, kMaxCount);
        const int32_t diff = h - data.extraItemHeight;
        data.extraItemHeight = h;
        if (hwnd) {
            AddExtraHeight(diff);
            InvalidateRect(hwnd, nullptr, TRUE);
        }
    }

    void SetFont(const PropertyValue& v) {
        StoreBytes(data.font, v);
        if (!hwnd) return;
        AddExtraHeight(-data.extraItemHeight);
        ApplyFont(data.font, false);
        AddExtraHeight(data.extraItemHeight);
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    void SetListIndex(int32_t value) {
        const int32_t count = hwnd ? static_cast<int32_t>(SendMessageA(hwnd, CB_GETCOUNT, 0, 0))
                                   : static_cast<int32_t>(data.items.size());
        int32_t i = std::min(value, count - 1);
        if (i < -1) i = -1;
        data.listIndex = i;
        if (hwnd) SendMessageA(hwnd, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    }

    void SetItems(const PropertyValue& v) {
        std::vector<std::string> items;
        if (!DecodeItems(v.data.bytes, v.data.bytes ? v.data.count : 0, items)) items.clear();
        data.items = std::move(items);
        if (hwnd && !designMode) FillItems();  // the live list follows, so saving keeps the new one
    }

    void SetItemData(const PropertyValue& v) {
        StoreBytes(data.itemData, v);
        if (!hwnd || designMode) return;
        const int32_t n = static_cast<int32_t>(SendMessageA(hwnd, CB_GETCOUNT, 0, 0));
        for (int32_t i = 0; i < n; ++i) {
            int32_t value = 0;
            data.ItemDataAt(static_cast<size_t>(i), value);
            SendMessageA(hwnd, CB_SETITEMDATA, static_cast<WPARAM>(i), value);
        }
    }

    void RedrawAll() {
        if (hwnd) RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }

    bool Colours(WPARAM wp, LRESULT& result) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, static_cast<COLORREF>(data.textColour));
        SetBkColor(dc, ResolveColour(data.backColour));
        result = reinterpret_cast<LRESULT>(brush_);
        return true;
    }

    void AddExtraHeight(int32_t delta) {
        LRESULT h = SendMessageA(hwnd, CB_GETITEMHEIGHT, 0, 0);
        if (h == CB_ERR) return;
        LRESULT want = std::max<LRESULT>(1, h + delta);
        SendMessageA(hwnd, CB_SETITEMHEIGHT, 0, want);
        // Some combo boxes only size owner-drawn lists: size the list box itself.
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        if (SendMessageA(hwnd, CB_GETITEMHEIGHT, 0, 0) != want && GetComboBoxInfo(hwnd, &info) && info.hwndList)
            SendMessageA(info.hwndList, LB_SETITEMHEIGHT, 0, want);
    }

    // Replaces the live list by the stored items with their item data, then
    // selects the stored current item.
    void FillItems() {
        SendMessageA(hwnd, CB_RESETCONTENT, 0, 0);
        for (size_t i = 0; i < data.items.size(); ++i) {
            LRESULT at = SendMessageA(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(data.items[i].c_str()));
            int32_t value = 0;
            if (at >= 0 && data.ItemDataAt(i, value)) SendMessageA(hwnd, CB_SETITEMDATA, static_cast<WPARAM>(at), value);
        }
        int32_t count = static_cast<int32_t>(data.items.size());
        int32_t i = std::min(data.listIndex, count - 1);
        if (i < -1) i = -1;
        SendMessageA(hwnd, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    }

    std::vector<std::string> LiveItems() const {
        std::vector<std::string> items;
        LRESULT n = SendMessageA(hwnd, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            LRESULT len = SendMessageA(hwnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
            std::string s(len > 0 ? static_cast<size_t>(len) + 1 : 1, '\0');
            LRESULT got = len > 0 ? SendMessageA(hwnd, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data())) : 0;
            s.resize(got > 0 ? strnlen(s.c_str(), static_cast<size_t>(got)) : 0);
            items.push_back(std::move(s));
        }
        return items;
    }

    std::string LiveText() const {
        int n = GetWindowTextLengthA(hwnd);
        std::string s(static_cast<size_t>(n) + 1, '\0');
        n = GetWindowTextA(hwnd, s.data(), n + 1);
        s.resize(static_cast<size_t>(n > 0 ? n : 0));
        return s;
    }
    int32_t TextLength() const {
        return hwnd ? GetWindowTextLengthW(hwnd) : static_cast<int32_t>(AnsiToWide(data.content).size());
    }
    bool LiveEditSelection(int32_t& start, int32_t& length) const {
        DWORD s = 0, e = 0;
        if (SendMessageA(hwnd, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e)) == CB_ERR)
            return false;
        start = static_cast<int32_t>(s);
        length = static_cast<int32_t>(e >= s ? e - s : 0);
        return true;
    }

    std::string scratch_;
    std::vector<uint8_t> scratchBytes_;
};

}  // namespace imprinta::units

IMPRINTA_UNIT_ENTRY_LOOKUP(ComboBoxEntryLookup, imprinta::units::ComboBoxUnit)
