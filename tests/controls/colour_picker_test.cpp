// The colour picker and its popup on live windows.
#include <gtest/gtest.h>
#include <cstring>
#include "controls_test_support.h"
#include "runtime/units/colour_picker_data.h"
#include "runtime/units/button_data.h"
#include "runtime/units/colour_picker_unit.h"
#include "runtime/units/combo_box_data.h"
#include "runtime/units/edit_box_data.h"
#include "runtime/units/group_box_data.h"

using namespace ctltest;
using namespace imprinta::units;

namespace {

constexpr uint32_t kPicker = 0x1C010001;

// Presses a button of the system colour dialog once it is up.
int g_dialogButton = IDOK;
int g_dialogPressed = 0;
void CALLBACK PressDialogButton(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = nullptr;
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
        char cls[16] = {};
        GetClassNameA(h, cls, sizeof cls);
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid == GetCurrentProcessId() && strcmp(cls, "#32770") == 0 && IsWindowVisible(h)) dlg = h;
    }
    if (!dlg) return;
    KillTimer(nullptr, id);
    PostMessageA(dlg, WM_COMMAND, g_dialogButton, 0);
    ++g_dialogPressed;
}

class PickerTest : public testing::Test {
protected:
    void SetUp() override { Events().clear(); }
    void TearDown() override {
        if (window_) CloseWindow(window_);
    }
    void Build(uint32_t colour, bool allowTransparent, int x = 40, int y = 40, int width = 300, int height = 200) {
        ColourPickerData d;
        d.colour = colour;
        d.allowTransparent = allowTransparent;
        window_ = BuildWindow({MakeUnit(kPicker, kUnitTypeColourPicker, 10, 10, 80, 22, SaveBlock(d))}, x, y, width, height);
        ASSERT_NE(0u, window_);
        Events().clear();
    }
    HWND Picker() { return UnitHandle(window_, kPicker); }
    HWND OpenPopup() {
        Click(Picker(), 20, 10);
        return OpenColourPopup();
    }
    void ClickChoice(HWND popup, int choice) {
        RECT rc;
        ASSERT_TRUE(ColourPopupChoiceRect(popup, choice, &rc));
        LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        PostMessageA(popup, WM_MOUSEMOVE, 0, at);
        PostMessageA(popup, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(popup, WM_LBUTTONUP, 0, at);
        Pump(40);
    }
    void Key(HWND popup, UINT vk) {
        PostMessageA(popup, WM_KEYDOWN, vk, 1);
        Pump(15);
    }
    uint32_t window_ = 0;
};

}  // namespace

TEST_F(PickerTest, MouseChoiceStoresTheColourAndFiresOnce) {
    Build(0x000000, false);
    HWND popup = OpenPopup();
    ASSERT_NE(nullptr, popup);
    char cls[64] = {};
    GetClassNameA(popup, cls, sizeof cls);
    EXPECT_STREQ("_QX_ColourPopup", cls);
    EXPECT_EQ(popup, GetCapture());
    RECT transparent;
    EXPECT_FALSE(ColourPopupChoiceRect(popup, kPopupTransparent, &transparent)) << "no transparent button";
    ClickChoice(popup, 7 + 5);  // sixth cell of the second row
    EXPECT_EQ(nullptr, OpenColourPopup());
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_EQ(0x0000FF, GetInt(window_, kPicker, 8));
    EXPECT_EQ(1, CountOf(kPicker, "Ev0"));

    // The same colour again still fires; Esc fires nothing and keeps it.
    popup = OpenPopup();
    ClickChoice(popup, 12);
    EXPECT_EQ(2, CountOf(kPicker, "Ev0"));
    popup = OpenPopup();
    Key(popup, VK_RIGHT);
    Key(popup, VK_ESCAPE);
    EXPECT_EQ(nullptr, OpenColourPopup());
    EXPECT_EQ(0x0000FF, GetInt(window_, kPicker, 8));
    EXPECT_EQ(2, CountOf(kPicker, "Ev0"));

    // A release outside the popup cancels.
    popup = OpenPopup();
    PostMessageA(popup, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-50, -50));
    PostMessageA(popup, WM_LBUTTONUP, 0, MAKELPARAM(-50, -50));
    Pump(30);
    EXPECT_EQ(nullptr, OpenColourPopup());
    EXPECT_EQ(2, CountOf(kPicker, "Ev0"));
}

TEST_F(PickerTest, KeyboardMovesThroughCellsAndButtons) {
    Build(0x0000FF, true);  // opens marked on red (cell 12)
    HWND popup = OpenPopup();
    ASSERT_NE(nullptr, popup);
    RECT rc;
    EXPECT_TRUE(ColourPopupChoiceRect(popup, kPopupTransparent, &rc));
    // From nothing: right -> cell 0; down twice -> 14; left wraps within reach -> 13; Enter takes it.
    Key(popup, VK_RIGHT);
    Key(popup, VK_DOWN);
    Key(popup, VK_DOWN);
    Key(popup, VK_LEFT);
    Key(popup, VK_RETURN);
    EXPECT_EQ(static_cast<int32_t>(kPalette[13].colour), GetInt(window_, kPicker, 8));
    EXPECT_EQ(1, CountOf(kPicker, "Ev0"));

    // Up from the first row reaches the transparent button; Space takes it.
    popup = OpenPopup();
    Key(popup, VK_RIGHT);  // cell 0
    Key(popup, VK_UP);     // transparent
    Key(popup, VK_SPACE);
    EXPECT_EQ(static_cast<int32_t>(0xFF000000), GetInt(window_, kPicker, 8));
    EXPECT_EQ(2, CountOf(kPicker, "Ev0"));

    // Right at the last cell wraps onto the more-colours button, left from cell 0 onto transparent.
    popup = OpenPopup();
    Key(popup, VK_LEFT);  // cell 0
    Key(popup, VK_LEFT);  // transparent
    Key(popup, VK_LEFT);  // more colours
    Key(popup, VK_LEFT);  // cell 31
    Key(popup, VK_RETURN);
    EXPECT_EQ(0x606060, GetInt(window_, kPicker, 8));
}

TEST_F(PickerTest, MoreColoursOpensTheSystemDialog) {
    Build(0x123456, false);  // not in the palette: the more-colours button is marked
    for (int button : {IDCANCEL, IDOK}) {
        g_dialogButton = button;
        g_dialogPressed = 0;
        HWND popup = OpenPopup();
        ASSERT_NE(nullptr, popup);
        UINT_PTR timer = SetTimer(nullptr, 0, 100, &PressDialogButton);
        ClickChoice(popup, kPopupMoreColours);
        KillTimer(nullptr, timer);
        EXPECT_EQ(1, g_dialogPressed);
        EXPECT_EQ(nullptr, OpenColourPopup());
        if (button == IDCANCEL) {
            EXPECT_EQ(0, CountOf(kPicker, "Ev0"));
        }
    }
    EXPECT_EQ(1, CountOf(kPicker, "Ev0"));
    int32_t colour = GetInt(window_, kPicker, 8);
    EXPECT_EQ(0, colour & 0xFF000000);
    EXPECT_NEAR(0x56, colour & 0xFF, 2);
    EXPECT_NEAR(0x34, (colour >> 8) & 0xFF, 2);
    EXPECT_NEAR(0x12, (colour >> 16) & 0xFF, 2);
}

TEST_F(PickerTest, PopupStaysOnTheScreenNearTheEdges) {
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    struct Case {
        int x, y;
    } cases[] = {{sw - 60, 40}, {sw - 60, sh - 60}, {40, sh - 60}};
    for (const auto& c : cases) {
        Build(0, false, c.x - 30, c.y - 30, 200, 100);
        HWND popup = OpenPopup();
        ASSERT_NE(nullptr, popup);
        RECT pr, pk;
        GetWindowRect(popup, &pr);
        GetWindowRect(Picker(), &pk);
        EXPECT_GE(pr.left, 0);
        EXPECT_LE(pr.right, sw);
        EXPECT_GE(pr.top, 0);
        EXPECT_LE(pr.bottom, sh);
        if (pk.bottom + (pr.bottom - pr.top) <= sh) {
            EXPECT_EQ(pk.bottom, pr.top) << "below the picker when it fits";
        } else {
            EXPECT_EQ(sh, pr.bottom) << "shifted up to the bottom edge";
        }
        Key(popup, VK_ESCAPE);
        CloseWindow(window_);
        window_ = 0;
    }
}

TEST(ColourPopup, PlacementShiftsOntoTheScreen) {
    const RECT screen = {0, 0, 800, 600};
    const SIZE size = {150, 120};
    struct Case {
        RECT picker;
        POINT expected;
    } cases[] = {
        {{100, 100, 200, 120}, {100, 120}},   // fits below
        {{700, 100, 790, 120}, {650, 120}},   // shifted left
        {{-30, 100, 60, 120}, {0, 120}},      // shifted right
        {{100, 540, 200, 560}, {100, 480}},   // shifted up, no further than needed
        {{700, 560, 790, 580}, {650, 480}},
    };
    for (const auto& c : cases) {
        POINT at = PlaceColourPopup(c.picker, size, screen);
        EXPECT_EQ(c.expected.x, at.x) << c.picker.left << "," << c.picker.top;
        EXPECT_EQ(c.expected.y, at.y) << c.picker.left << "," << c.picker.top;
    }
    PALETTEENTRY entries[40] = {};
    ASSERT_EQ(static_cast<UINT>(kPaletteSize), GetPaletteEntries(ColourPopupPalette(), 0, 40, entries));
    for (int i = 0; i < kPaletteSize; ++i)
        EXPECT_EQ(kPalette[i].colour, RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue)) << i;
}

TEST_F(PickerTest, TransparentShownAsBlackUnlessAllowed) {
    Build(0xFF000000, false);
    EXPECT_EQ(0, GetInt(window_, kPicker, 8)) << "created transparent without permission: black";
    SetInt(window_, kPicker, 8, static_cast<int32_t>(0xFF000000));
    EXPECT_EQ(static_cast<int32_t>(0xFF000000), GetInt(window_, kPicker, 8));
    // The popup opens with the shown colour (black, cell 0) and sends the notifications.
    HWND popup = OpenPopup();
    ASSERT_NE(nullptr, popup);
    Key(popup, VK_ESCAPE);
    EXPECT_EQ(static_cast<int32_t>(0xFF000000), GetInt(window_, kPicker, 8));
    EXPECT_EQ(0, CountOf(kPicker, "Ev0"));
    SetInt(window_, kPicker, 9, 1);
    EXPECT_EQ(1, GetInt(window_, kPicker, 9));
}

// Not a check: with IMPRINTA_SHOWCASE set, shows all five unit types (and the
// open popup when it is "popup") for a few seconds so a screenshot can be taken.
TEST(Showcase, AllFiveUnitTypes) {
    char mode[32] = {};
    if (!GetEnvironmentVariableA("IMPRINTA_SHOWCASE", mode, sizeof mode)) GTEST_SKIP() << "IMPRINTA_SHOWCASE not set";
    imprinta::units::ColourPickerData p;
    p.colour = 0x0000FF;
    p.allowTransparent = true;
    imprinta::units::GroupBoxData g;
    g.caption = "分组框1";
    g.textColour = 0x800000;
    imprinta::units::ButtonData b;
    b.caption = "导出图片";
    b.buttonType = 1;
    imprinta::units::EditBoxData e;
    e.content = "标题文字 Title";
    e.spinType = 0;
    imprinta::units::EditBoxData size;
    size.content = "36";
    size.spinType = 1;
    size.inputMode = 7;
    imprinta::units::EditBoxData body;
    body.content = "多行文字\r\nsecond line";
    body.multiline = true;
    body.scrollBars = 2;
    body.textColour = 0x004000;
    body.backColour = 0xE0F0FF;
    uint32_t w = BuildWindow(
        {MakeUnit(0x05010001, kUnitTypeEditBox, 10, 10, 200, 40, SaveBlock(e)),
         MakeUnit(0x05010002, kUnitTypeEditBox, 10, 60, 60, 22, SaveBlock(size)),
         MakeUnit(0x05010003, kUnitTypeEditBox, 10, 95, 200, 70, SaveBlock(body)),
         MakeUnit(0x0B010004, kUnitTypeButton, 230, 10, 100, 28, SaveBlock(b)),
         MakeUnit(0x09010005, kUnitTypeGroupBox, 230, 50, 260, 120, SaveBlock(g)),
         MakeUnit(0x0E010006, kUnitTypeComboBox, 15, 25, 140, 20, ([] {
             imprinta::units::ComboBoxData c;
             c.items = {"宋体", "黑体", "楷体"};
             c.listIndex = 1;
             std::vector<uint8_t> out;
             imprinta::units::SavePropertyData(c, out);
             return out;
         })(), 0x09010005),
         MakeUnit(0x1C010007, kUnitTypeColourPicker, 15, 60, 90, 22, SaveBlock(p), 0x09010005)},
        100, 100, 520, 260, "控件展示");
    ASSERT_NE(0u, w);
    if (strcmp(mode, "popup") == 0) Click(UnitHandle(w, 0x1C010007), 20, 10);
    Pump(6000);
    if (HWND popup = OpenColourPopup()) PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    Pump(50);
    CloseWindow(w);
}
