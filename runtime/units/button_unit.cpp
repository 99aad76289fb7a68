// Button (push button with caption or picture, may be the default button) and
// group box (captioned frame with its own colours; holds other units).
#include <span>
#include <vector>
#include "runtime/units/button_data.h"
#include "runtime/units/group_box_data.h"
#include "runtime/units/picture_render.h"
#include "runtime/units/unit_framework.h"

namespace imprinta::units {

namespace {

DWORD HorizontalBits(int a) { return a == 0 ? BS_LEFT : (a == 2 ? BS_RIGHT : BS_CENTER); }
DWORD VerticalBits(int a) { return a == 0 ? BS_TOP : (a == 2 ? BS_BOTTOM : BS_VCENTER); }
constexpr DWORD kHorizontalMask = BS_LEFT | BS_RIGHT | BS_CENTER;
constexpr DWORD kVerticalMask = BS_TOP | BS_BOTTOM | BS_VCENTER;

void ReplaceStyleBits(HWND h, DWORD mask, DWORD bits) {
    DWORD style = static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE));
    SetWindowLongA(h, GWL_STYLE, static_cast<LONG>((style & ~mask) | bits));
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

}  // namespace

// ---------------------------------------------------------------------------

class ButtonUnit : public Unit {
public:
    using Data = ButtonData;
    static constexpr bool kDefaultButtonEntry = true;
    ButtonData data;

    ~ButtonUnit() override { FreeImage(); }
    PropertyData& Properties() override { return data; }

    bool CreateControl(const CreateParams& p) override {
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | BS_MULTILINE | (data.buttonType == 1 ? BS_DEFPUSHBUTTON : 0) |
                      HorizontalBits(data.alignment) | VerticalBits(data.verticalAlignment);
        MakeImage();
        if (icon_) style |= BS_ICON;
        else if (bitmap_) style |= BS_BITMAP;
        if (!CreateNative("BUTTON", 0, style, data.caption.c_str(), p)) return false;
        ApplyFont(data.font, false);
        if (icon_) SendMessageA(hwnd, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon_));
        else if (bitmap_) SendMessageA(hwnd, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_));
        return true;
    }

    bool IsDefaultButton() override {
        return hwnd && (static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    }

    bool OnReflected(UINT msg, WPARAM wp, LPARAM, LRESULT& result) override {
        if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
            Raise(kButtonClicked);
            result = 0;
            return true;
        }
        return false;
    }

    bool SetProperty(int number, const PropertyValue& v, char**) override {
        switch (number) {
        case kButtonPicture:
            StoreBytes(data.picture, v);
            return true;
        case kButtonType:
            if (StoreChoice(data.buttonType, v.integer, 1) && hwnd)
                ReplaceStyleBits(hwnd, BS_TYPEMASK, data.buttonType == 1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
            return false;
        case kButtonCaption:
            data.caption = TextOf(v);
            if (hwnd) SetWindowTextA(hwnd, data.caption.c_str());
            return false;
        case kButtonAlignment:
            if (StoreChoice(data.alignment, v.integer, 2) && hwnd)
                ReplaceStyleBits(hwnd, kHorizontalMask, HorizontalBits(data.alignment));
            return false;
        case kButtonVerticalAlignment:
            if (StoreChoice(data.verticalAlignment, v.integer, 2) && hwnd)
                ReplaceStyleBits(hwnd, kVerticalMask, VerticalBits(data.verticalAlignment));
            return false;
        case kButtonFont:
            StoreBytes(data.font, v);
            if (hwnd) ApplyFont(data.font);
            return false;
        default: return false;
        }
    }

    bool GetProperty(int number, PropertyValue& v) override {
        switch (number) {
        case kButtonPicture:
            LendBytes(v, data.picture);
            return true;
        case kButtonType: v.integer = data.buttonType; return true;
        case kButtonCaption: v.text = data.caption.c_str(); return true;
        case kButtonAlignment: v.integer = data.alignment; return true;
        case kButtonVerticalAlignment: v.integer = data.verticalAlignment; return true;
        case kButtonFont:
            LendBytes(v, data.font);
            return true;
        default: return false;
        }
    }

private:
    void MakeImage() {
        FreeImage();
        if (data.picture.empty()) return;
        // Not decodable: the caption shows. An icon keeps its handle (the button draws it with its mask).
        RenderedPicture image;
        if (!DecodeAndRender(data.picture, GetSysColor(COLOR_BTNFACE), image)) return;
        if (image.icon) std::swap(icon_, image.icon);
        else bitmap_ = MakeBitmap(image);
    }
    void FreeImage() {
        if (icon_) DestroyIcon(icon_);
        if (bitmap_) DeleteObject(bitmap_);
        icon_ = nullptr;
        bitmap_ = nullptr;
    }
    HICON icon_ = nullptr;
    HBITMAP bitmap_ = nullptr;
};

// ---------------------------------------------------------------------------

class GroupBoxUnit : public Unit {
public:
    using Data = GroupBoxData;
    GroupBoxData data;
    PropertyData& Properties() override { return data; }

    bool CreateControl(const CreateParams& p) override {
        SetBackgroundColour(data.backColour);
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | BS_GROUPBOX | HorizontalBits(data.alignment);
        if (!CreateNative("BUTTON", 0, style, data.caption.c_str(), p)) return false;
        ApplyFont(data.font, false);
        return true;
    }

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_ERASEBKGND) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            FillRect(reinterpret_cast<HDC>(wp), &rc, brush_);
            return 1;
        }
        return Unit::WindowProc(msg, wp, lp);
    }

    bool OnReflected(UINT msg, WPARAM wp, LPARAM, LRESULT& result) override {
        if (msg != WM_CTLCOLORSTATIC && msg != WM_CTLCOLORBTN) return false;
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, static_cast<COLORREF>(data.textColour));
        SetBkColor(dc, ResolveColour(data.backColour));
        result = reinterpret_cast<LRESULT>(brush_);
        return true;
    }

    bool SetProperty(int number, const PropertyValue& v, char**) override {
        switch (number) {
        case kGroupBoxCaption:
            data.caption = TextOf(v);
            if (hwnd) SetWindowTextA(hwnd, data.caption.c_str());
            return false;
        case kGroupBoxAlignment:
            if (StoreChoice(data.alignment, v.integer, 2) && hwnd)
                ReplaceStyleBits(hwnd, kHorizontalMask, HorizontalBits(data.alignment));
            return false;
        case kGroupBoxTextColor: data.textColour = v.colour; break;
        case kGroupBoxBackColor:
            data.backColour = v.colour;
            SetBackgroundColour(data.backColour);
            break;
        case kGroupBoxFont:
            StoreBytes(data.font, v);
            if (hwnd) ApplyFont(data.font, false);
            break;
        default: return false;
        }
        if (hwnd) RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return false;
    }

    bool GetProperty(int number, PropertyValue& v) override {
        switch (number) {
        case kGroupBoxCaption: v.text = data.caption.c_str(); return true;
        case kGroupBoxAlignment: v.integer = data.alignment; return true;
        case kGroupBoxTextColor: v.colour = data.textColour; return true;
        case kGroupBoxBackColor: v.colour = data.backColour; return true;
        case kGroupBoxFont:
            LendBytes(v, data.font);
            return true;
        default: return false;
        }
    }
};

}  // namespace imprinta::units

IMPRINTA_UNIT_ENTRY_LOOKUP(ButtonEntryLookup, imprinta::units::ButtonUnit)
IMPRINTA_UNIT_ENTRY_LOOKUP(GroupBoxEntryLookup, imprinta::units::GroupBoxUnit)
