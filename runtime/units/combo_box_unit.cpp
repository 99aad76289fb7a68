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
            if (data.style != 2) data.content = LiveText();
        }
        return data;
    }

    bool CreateControl(const CreateParams& p) override {
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_VSCROLL | CBS_AUTOHSCROLL;
        CreateParams q = p;
        if (data.style == 0) {
            style |= CBS_SIMPLE;
        } else {
            style |= data.style == 1 ? CBS_DROPDOWN : CBS_DROPDOWNLIST;
            q.height = std::max(q.height, kDropDownMinHeight);
        }
        if (data.sorted) style |= CBS_SORT;
        SetBackgroundColour(data.backColour);
        if (!CreateNative("COMBOBOX", 0, style, data.content.c_str(), q)) return false;
        ApplyFont(data.font, false);
        AddExtraHeight(data.extraItemHeight);
        SendMessageA(hwnd, CB_LIMITTEXT, static_cast<WPARAM>(data.maxLength), 0);
        FillItems();
        if (data.style != 2) {
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
            Raise(0);
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSTATIC: {  // from the edit field and the list
            LRESULT r = 0;
            Colours(wp, r);
            return r;
        }
        case WM_ERASEBKGND:
            if (data.style == 0) {
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
            case CBN_EDITCHANGE: Raise(1); break;
            case CBN_DROPDOWN: Raise(2); break;
            case CBN_CLOSEUP: Raise(3); break;
            case CBN_DBLCLK: Raise(4); break;
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
        case 0: {
            int32_t c = ClampChoice(v.integer, 2);
            if (c == data.style) return false;
            if (c == 0 && data.backColour == 0xFFFFFF) data.backColour = kSystemColourValue;
            else if (data.style == 0 && data.backColour == kSystemColourValue) data.backColour = 0xFFFFFF;
            data.style = c;
            return true;
        }
        case 1:
            data.content = v.text ? v.text : "";
            if (hwnd && data.style != 2) SetWindowTextA(hwnd, data.content.c_str());
            return false;
        case 2:
            data.maxLength = std::clamp(v.integer, 0, 32767);
            if (hwnd && data.style != 2) SendMessageA(hwnd, CB_LIMITTEXT, static_cast<WPARAM>(data.maxLength), 0);
            return false;
        case 3:
        case 4: {
            int32_t start = data.selStart, length = data.selLength;
            if (hwnd && !designMode) LiveEditSelection(start, length);
            int32_t textLength = data.style == 2 ? 0 : TextLength();
            if (number == 3) {
                start = v.integer == -1 ? textLength : std::max(0, v.integer);
                if (v.integer == -1) length = 0;
            } else {
                length = v.integer == -1 ? textLength : std::max(0, v.integer);
                if (v.integer == -1) start = 0;
            }
            data.selStart = start;
            data.selLength = length;
            if (hwnd) SendMessageA(hwnd, CB_SETEDITSEL, 0, MAKELPARAM(start, start + length));
            return false;
        }
        case 5: {
            if (!hwnd || data.style == 2) return false;
            DWORD s = 0, e = 0;
            if (SendMessageA(hwnd, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e)) == CB_ERR)
                return false;
            std::wstring text = AnsiToWide(LiveText());
            std::wstring insert = AnsiToWide(v.text ? v.text : "");
            size_t a = std::min<size_t>(s, text.size()), b = std::min<size_t>(std::max(e, s), text.size());
            text.replace(a, b - a, insert);
            SetWindowTextA(hwnd, WideToAnsi(text).c_str());
            size_t caret = a + insert.size();
            SendMessageA(hwnd, CB_SETEDITSEL, 0, MAKELPARAM(caret, caret));
            return false;
        }
        case 6: {
            bool s = v.logical != 0;
            if (s == data.sorted) return false;
            data.sorted = s;
            return true;
        }
        case 7: {
            int32_t h = std::clamp(v.integer, 0, 32767);
            int32_t diff = h - data.extraItemHeight;
            data.extraItemHeight = h;
            if (hwnd) {
                AddExtraHeight(diff);
                InvalidateRect(hwnd, nullptr, TRUE);
            }
            return false;
        }
        case 8:
            data.textColour = v.colour;
            if (hwnd) RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            return false;
        case 9:
            data.backColour = v.colour;
            SetBackgroundColour(data.backColour);
            if (hwnd) RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            return false;
        case 10:
            data.font.Assign(v.data.bytes, v.data.bytes ? v.data.count : 0);
            if (hwnd) {
                AddExtraHeight(-data.extraItemHeight);
                ApplyFont(data.font, false);
                AddExtraHeight(data.extraItemHeight);
                InvalidateRect(hwnd, nullptr, TRUE);
            }
            return false;
        case 11: {
            int32_t count = hwnd ? static_cast<int32_t>(SendMessageA(hwnd, CB_GETCOUNT, 0, 0))
                                 : static_cast<int32_t>(data.items.size());
            int32_t i = std::min(v.integer, count - 1);
            if (i < -1) i = -1;
            data.listIndex = i;
            if (hwnd) SendMessageA(hwnd, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return false;
        }
        case 12: {
            std::vector<std::string> items;
            if (!DecodeItems(v.data.bytes, v.data.bytes ? v.data.count : 0, items)) items.clear();
            data.items = std::move(items);
            if (hwnd && !designMode) FillItems();  // the live list follows, so saving keeps the new one
            return true;
        }
        case 13:
            data.itemData.Assign(v.data.bytes, v.data.bytes ? v.data.count : 0);
            if (hwnd && !designMode) {
                int32_t n = static_cast<int32_t>(SendMessageA(hwnd, CB_GETCOUNT, 0, 0));
                for (int32_t i = 0; i < n; ++i) {
                    int32_t value = 0;
                    data.ItemDataAt(static_cast<size_t>(i), value);
                    SendMessageA(hwnd, CB_SETITEMDATA, static_cast<WPARAM>(i), value);
                }
            }
            return true;
        case 14: data.dataSource = v.text ? v.text : ""; return false;
        case 15: data.dataColumn = v.text ? v.text : ""; return false;
        case 16: data.dataFlag = v.logical != 0; return false;
        default: return false;
        }
    }

    bool GetProperty(int number, PropertyValue& v) override {
        const bool live = hwnd && !designMode;
        switch (number) {
        case 0: v.integer = data.style; return true;
        case 1:
            if (!live) {
                v.text = data.content.c_str();
                return true;
            }
            scratch_ = LiveText();
            v.text = scratch_.c_str();
            return true;
        case 2: v.integer = data.maxLength; return true;
        case 3:
        case 4: {
            int32_t start = data.selStart, length = data.selLength;
            if (live && !LiveEditSelection(start, length)) start = length = 0;
            v.integer = number == 3 ? start : length;
            return true;
        }
        case 5: {
            scratch_.clear();
            int32_t start = 0, length = 0;
            if (live && LiveEditSelection(start, length)) {
                std::wstring text = AnsiToWide(LiveText());
                size_t a = std::min<size_t>(static_cast<size_t>(start), text.size());
                size_t b = std::min<size_t>(a + static_cast<size_t>(length), text.size());
                scratch_ = WideToAnsi(text.substr(a, b - a));
            }
            v.text = scratch_.c_str();
            return true;
        }
        case 6: v.logical = data.sorted ? 1 : 0; return true;
        case 7: v.integer = data.extraItemHeight; return true;
        case 8: v.colour = data.textColour; return true;
        case 9: v.colour = data.backColour; return true;
        case 10:
            v.data.bytes = data.font.empty() ? nullptr : data.font.data();
            v.data.count = static_cast<uint32_t>(data.font.size());
            return true;
        case 11: v.integer = live ? static_cast<int32_t>(SendMessageA(hwnd, CB_GETCURSEL, 0, 0)) : data.listIndex; return true;
        case 12:
            scratchBytes_ = EncodeItems(live ? LiveItems() : data.items);
            v.data.bytes = scratchBytes_.data();
            v.data.count = static_cast<uint32_t>(scratchBytes_.size());
            return true;
        case 13:
            v.data.bytes = data.itemData.empty() ? nullptr : data.itemData.data();
            v.data.count = static_cast<uint32_t>(data.itemData.size());
            return true;
        case 14: v.text = data.dataSource.c_str(); return true;
        case 15: v.text = data.dataColumn.c_str(); return true;
        case 16: v.logical = data.dataFlag ? 1 : 0; return true;
        default: return false;
        }
    }

private:
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
