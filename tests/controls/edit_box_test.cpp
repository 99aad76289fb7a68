// The edit box on live windows built from templates.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include "controls_test_support.h"
#include "runtime/units/button_data.h"
#include "runtime/units/edit_box_data.h"
#include "runtime/units/edit_box_unit.h"

using namespace ctltest;
using namespace imprinta::units;

namespace {

constexpr uint32_t kEdit = 0x05010001, kOther = 0x05010002, kButton = 0x0B010003;

std::vector<uint8_t> EditBlock(int mode, bool multiline = false, int spin = 0, const char* content = "") {
    EditBoxData d;
    d.inputMode = mode;
    d.multiline = multiline;
    d.spinType = spin;
    d.content = content;
    return SaveBlock(d);
}

class EditBoxTest : public testing::Test {
protected:
    void SetUp() override { Events().clear(); }
    void TearDown() override {
        if (window_) CloseWindow(window_);
    }
    uint32_t Build(std::vector<uint8_t> block, bool withButton = false) {
        std::vector<imprinta::forms::UnitDescription> units = {
            MakeUnit(kEdit, kUnitTypeEditBox, 10, 10, 150, 22, std::move(block)),
            MakeUnit(kOther, kUnitTypeEditBox, 10, 100, 150, 22, EditBlock(0)),
        };
        if (withButton) {
            ButtonData b;
            b.buttonType = 1;
            units.push_back(MakeUnit(kButton, kUnitTypeButton, 200, 10, 80, 24, SaveBlock(b)));
        }
        window_ = BuildWindow(units);
        EXPECT_NE(0u, window_);
        Events().clear();
        return window_;
    }
    HWND Edit() { return UnitHandle(window_, kEdit); }
    void TypeAndLeave(const std::string& text) {
        SetFocus(Edit());
        Pump(20);
        TypeChars(Edit(), text);
        SetFocus(UnitHandle(window_, kOther));
        Pump(30);
    }
    uint32_t window_ = 0;
};

}  // namespace

TEST_F(EditBoxTest, InputModesFilterKeysAndNormaliseOnFocusLoss) {
    ASSERT_EQ(936u, GetACP());
    struct Case {
        int mode;
        const char* typed;
        const char* after;
    };
    std::vector<Case> cases = {
        {5, "300", "255"},
        {5, "0", ""},
        {5, "a1-2", "12"},
        {3, "a-1-2b-", "-1-2-"},  // letters dropped, "-" anywhere
        {7, "99999999999", "2147483647"},
        {7, "-99999999999", "-2147483648"},
        {0, "a-1", "a-1"},
    };
    // A space, a tab and other control characters never reach an integer box's text.
    for (int mode : {3, 5, 6, 7, 8}) cases.push_back({mode, "1 \t\x02\n\x1f" "2 ", "12"});
    for (const auto& c : cases) {
        Build(EditBlock(c.mode));
        TypeAndLeave(c.typed);
        EXPECT_EQ(c.after, GetText(window_, kEdit, 8)) << c.mode << " " << c.typed;
        EXPECT_GE(CountOf(kEdit, "EvFocusLost"), 1) << "focus-loss event after the normalisation";
        CloseWindow(window_);
        window_ = 0;
    }
}

TEST_F(EditBoxTest, DateModeWritesTheRuntimeFormatOrEmpty) {
    Build(EditBlock(11));
    TypeAndLeave("2024-1-2 3:04");
    EXPECT_EQ("2024年1月2日3时4分", GetText(window_, kEdit, 8));
    SetText(window_, kEdit, 8, "not a date");
    SetFocus(Edit());
    Pump(20);
    SetFocus(UnitHandle(window_, kOther));
    Pump(20);
    EXPECT_EQ("", GetText(window_, kEdit, 8));
}

TEST_F(EditBoxTest, ContentFromCodeFiresChangedOnceAndSelectionsFollowMinusOne) {
    Build(EditBlock(0));
    SetText(window_, kEdit, 8, "hello");
    EXPECT_EQ(1, CountOf(kEdit, "Ev0"));
    EXPECT_EQ("hello", GetText(window_, kEdit, 8));
    TypeChars(Edit(), "!");  // typing fires it too
    EXPECT_EQ(2, CountOf(kEdit, "Ev0"));

    SetText(window_, kEdit, 8, "abcdef");
    SetInt(window_, kEdit, 24, -1);  // caret after the last character
    EXPECT_EQ(6, GetInt(window_, kEdit, 24));
    EXPECT_EQ(0, GetInt(window_, kEdit, 25));
    SetInt(window_, kEdit, 25, -1);  // everything
    EXPECT_EQ(0, GetInt(window_, kEdit, 24));
    EXPECT_EQ(6, GetInt(window_, kEdit, 25));
    EXPECT_EQ("abcdef", GetText(window_, kEdit, 26));
    SetInt(window_, kEdit, 24, 2);
    SetInt(window_, kEdit, 25, 3);
    EXPECT_EQ("cde", GetText(window_, kEdit, 26));
    SetInt(window_, kEdit, 24, -5);  // other negatives become 0
    EXPECT_EQ(0, GetInt(window_, kEdit, 24));
    SetText(window_, kEdit, 26, "XY");  // replaces the selection
    EXPECT_EQ("XYdef", GetText(window_, kEdit, 8).substr(0, 5));

    // Maximum length: negative stored as 0; choices clamp.
    SetInt(window_, kEdit, 14, -4);
    EXPECT_EQ(0, GetInt(window_, kEdit, 14));
    SetInt(window_, kEdit, 18, 99);
    EXPECT_EQ(11, GetInt(window_, kEdit, 18));
    SetText(window_, kEdit, 19, "#x");
    EXPECT_EQ("#", GetText(window_, kEdit, 19));
}

TEST_F(EditBoxTest, EnterGoesToTheWindowUnlessTheBoxIsMultiLineAndWritable) {
    auto press = [&] {
        PostMessageA(Edit(), WM_KEYDOWN, VK_RETURN, 1);
        PostMessageA(Edit(), WM_KEYUP, VK_RETURN, 0xC0000001);
        Pump(40);
    };
    Build(EditBlock(0), true);
    SetFocus(Edit());
    press();
    EXPECT_EQ(1, CountOf(kButton, "Ev0")) << "the default button took Enter";
    CloseWindow(window_);

    Build(EditBlock(0, true, 0, "ab"), true);
    SetFocus(Edit());
    SetInt(window_, kEdit, 24, -1);
    auto* unit = static_cast<EditBoxUnit*>(UnitObject(window_, kEdit));
    EXPECT_TRUE(unit->WantsKey(VK_RETURN));
    press();
    EXPECT_EQ(0, CountOf(kButton, "Ev0"));
    EXPECT_NE(std::string::npos, GetText(window_, kEdit, 8).find("ab\r\n"));
    CloseWindow(window_);

    Build(EditBlock(1, true, 0, "ab"), true);  // read-only
    EXPECT_FALSE(static_cast<EditBoxUnit*>(UnitObject(window_, kEdit))->WantsKey(VK_RETURN));
    SetFocus(Edit());
    press();
    EXPECT_EQ(1, CountOf(kButton, "Ev0"));
}

TEST_F(EditBoxTest, SpinControlStepsOrFiresEvents) {
    Build(EditBlock(0, false, 1));
    auto* unit = static_cast<EditBoxUnit*>(UnitObject(window_, kEdit));
    HWND spin = unit->SpinWindow();
    ASSERT_NE(nullptr, spin);
    char cls[64] = {};
    GetClassNameA(spin, cls, sizeof cls);
    EXPECT_STREQ("msctls_updown32", cls);
    RECT er, sr;
    GetWindowRect(Edit(), &er);
    GetWindowRect(spin, &sr);
    EXPECT_EQ(er.right, sr.left);
    EXPECT_EQ(18, sr.right - sr.left);
    EXPECT_EQ(er.bottom - er.top, sr.bottom - sr.top);
    EXPECT_TRUE(IsWindowVisible(spin));

    auto arrow = [&](bool up) {
        RECT rc;
        GetClientRect(spin, &rc);
        int y = up ? rc.bottom / 4 : rc.bottom * 3 / 4;
        SendMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rc.right / 2, y));
        SendMessageA(spin, WM_LBUTTONUP, 0, MAKELPARAM(rc.right / 2, y));
        Pump(20);
    };
    arrow(true);
    EXPECT_EQ("1", GetText(window_, kEdit, 8)) << "up from an empty box";
    SetText(window_, kEdit, 8, "100");
    arrow(true);
    EXPECT_EQ("0", GetText(window_, kEdit, 8));
    arrow(false);
    EXPECT_EQ("100", GetText(window_, kEdit, 8));
    EXPECT_EQ(3, GetInt(window_, kEdit, 25)) << "whole text selected";

    // The spin follows moves and hiding.
    SetInt(window_, kEdit, 0, 40);
    GetWindowRect(Edit(), &er);
    GetWindowRect(spin, &sr);
    EXPECT_EQ(er.right, sr.left);
    SetInt(window_, kEdit, 5, 0);
    EXPECT_FALSE(IsWindowVisible(spin));
    CloseWindow(window_);

    Build(EditBlock(0, false, 2, "5"));
    spin = static_cast<EditBoxUnit*>(UnitObject(window_, kEdit))->SpinWindow();
    ASSERT_NE(nullptr, spin);
    arrow(true);
    arrow(false);
    std::vector<uint32_t> args;
    for (const auto& e : Events())
        if (e.unit == kEdit && e.handler == "Ev1") args.push_back(e.args[0]);
    EXPECT_EQ((std::vector<uint32_t>{1u, static_cast<uint32_t>(-1)}), args);
    EXPECT_EQ("5", GetText(window_, kEdit, 8)) << "event-only spin leaves the text";
}

TEST_F(EditBoxTest, SingleLineTextIsCentredAndTheBoxAtLeastOneLineHigh) {
    EditBoxData d;
    d.content = "Wg";
    std::vector<imprinta::forms::UnitDescription> units = {
        MakeUnit(kEdit, kUnitTypeEditBox, 10, 10, 150, 60, SaveBlock(d)),
        MakeUnit(kOther, kUnitTypeEditBox, 10, 100, 150, 4, EditBlock(0)),
    };
    window_ = BuildWindow(units);
    RECT wr, cr;
    GetWindowRect(Edit(), &wr);
    GetClientRect(Edit(), &cr);
    MapWindowPoints(Edit(), nullptr, reinterpret_cast<POINT*>(&cr), 2);
    int above = cr.top - wr.top, below = wr.bottom - cr.bottom;
    EXPECT_LE(std::abs(above - below), 1) << above << " " << below;
    EXPECT_LT(cr.bottom - cr.top, 30);
    RECT small;
    GetWindowRect(UnitHandle(window_, kOther), &small);
    EXPECT_GT(small.bottom - small.top, 10) << "a 4-pixel box grows to one line";
    POINT outside = {(wr.left + wr.right) / 2, wr.top + 4};
    EXPECT_EQ(HTBORDER, SendMessageA(Edit(), WM_NCHITTEST, 0, MAKELPARAM(outside.x, outside.y)));
}
