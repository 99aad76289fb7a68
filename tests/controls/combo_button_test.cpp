// Combo box, button and group box on live windows, and the combo-box commands.
#include <gtest/gtest.h>
#include "controls_test_support.h"
#include "runtime/commands/commands.h"
#include "runtime/core/runtime_interface.h"
#include "runtime/units/button_data.h"
#include "runtime/units/combo_box_data.h"
#include "runtime/units/edit_box_data.h"
#include "runtime/units/group_box_data.h"
#include "runtime/pictures/picture_file_filter.h"
#include "support/child_process.h"

using namespace ctltest;
using namespace imprinta::units;

namespace {

constexpr uint32_t kCombo = 0x0E010001, kButton = 0x0B010002, kGroup = 0x09010003, kInner = 0x05010004;

std::vector<uint8_t> ComboBlock(int style, std::vector<std::string> items, std::vector<int32_t> data, int index,
                                bool sorted = false) {
    ComboBoxData d;
    d.style = style;
    d.items = std::move(items);
    d.SetItemData(data);
    d.listIndex = index;
    d.sorted = sorted;
    return SaveBlock(d);
}

std::wstring Wide(const char* gbk) {
    std::wstring w(strlen(gbk) + 1, L'\0');
    w.resize(static_cast<size_t>(MultiByteToWideChar(936, 0, gbk, -1, w.data(), static_cast<int>(w.size()))) - 1);
    return w;
}

void Put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}

// A 16 x 16, 32-bit icon file with one image.
std::vector<uint8_t> IconFile16() {
    const uint32_t pixels = 16 * 16 * 4, mask = 16 * 4, image = 40 + pixels + mask;
    std::vector<uint8_t> f = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0};
    Put32(f, image);
    Put32(f, 22);
    Put32(f, 40);
    Put32(f, 16);
    Put32(f, 32);  // colour and mask halves
    f.insert(f.end(), {1, 0, 32, 0});
    for (int i = 0; i < 6; ++i) Put32(f, 0);
    for (uint32_t i = 0; i < pixels / 4; ++i) Put32(f, 0xFF2060C0);
    f.resize(f.size() + mask, 0);
    return f;
}

ArgValue ComboArg(uint32_t window, uint32_t unit) { return {window, unit, kUnitTypeComboBox}; }

ArgValue Core(int command, std::vector<ArgValue> args) {
    return CallLibraryCommand(CoreCommands[command], static_cast<int>(args.size()), args.data());
}
std::string TakeText(const ArgValue& r) {
    const char* p = reinterpret_cast<const char*>(static_cast<uintptr_t>(r.low));
    std::string s = p ? p : "";
    FreeMemory(const_cast<char*>(p));
    return s;
}
int32_t ItemData(HWND combo, int i) { return static_cast<int32_t>(SendMessageA(combo, CB_GETITEMDATA, i, 0)); }

class ComboTest : public testing::Test {
protected:
    void SetUp() override { Events().clear(); }
    void TearDown() override {
        if (window_) CloseWindow(window_);
    }
    void Build(std::vector<uint8_t> block) {
        window_ = BuildWindow({MakeUnit(kCombo, kUnitTypeComboBox, 10, 10, 140, 20, std::move(block))});
        ASSERT_NE(0u, window_);
        Events().clear();
    }
    HWND Combo() { return UnitHandle(window_, kCombo); }
    uint32_t window_ = 0;
};

}  // namespace

TEST_F(ComboTest, ItemsAndItemDataRoundTripThroughPropertiesAndStoredData) {
    Build(ComboBlock(1, {"one", "二", "three"}, {10, 20}, 1));
    HWND c = Combo();
    ASSERT_EQ(3, SendMessageA(c, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(10, ItemData(c, 0));
    EXPECT_EQ(20, ItemData(c, 1));
    EXPECT_EQ(0, ItemData(c, 2)) << "fewer item data than items: the rest carry 0";
    EXPECT_EQ(1, GetInt(window_, kCombo, 19));

    std::vector<std::string> items;
    auto bytes = GetData(window_, kCombo, 20);
    ASSERT_TRUE(DecodeItems(bytes.data(), bytes.size(), items));
    EXPECT_EQ((std::vector<std::string>{"one", "二", "three"}), items);

    // Writing the items and item data re-creates the unit with the new list.
    SetData(window_, kCombo, 20, EncodeItems({"x", "y"}));
    ComboBoxData values;
    values.SetItemData({5, 6});
    SetData(window_, kCombo, 21, std::vector<uint8_t>(values.itemData.data(), values.itemData.data() + 8));
    c = Combo();
    ASSERT_EQ(2, SendMessageA(c, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(6, ItemData(c, 1));
    bytes = GetData(window_, kCombo, 20);
    ASSERT_TRUE(DecodeItems(bytes.data(), bytes.size(), items));
    EXPECT_EQ((std::vector<std::string>{"x", "y"}), items);

    // Items added by the command survive a re-creation (style change).
    ArgValue added = Core(kCmdComboBoxAddItem, {ComboArg(window_, kCombo), {reinterpret_cast<uintptr_t>("z"), 0, 0x80000004u},
                                                {77, 0, 0x80000301u}});
    EXPECT_EQ(2u, added.low);
    SetInt(window_, kCombo, 19, 2);
    SetInt(window_, kCombo, 8, 2);
    c = Combo();
    ASSERT_EQ(3, SendMessageA(c, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(77, ItemData(c, 2));
    EXPECT_EQ(2, GetInt(window_, kCombo, 19));

    // Stored data from entry point 5 holds the same list.
    auto* unit = UnitObject(window_, kCombo);
    uint32_t size = 0;
    HGLOBAL block = unit->SaveStoredData(&size);
    ASSERT_NE(nullptr, block);
    ComboBoxData stored;
    ASSERT_TRUE(LoadPropertyData(stored, static_cast<const uint8_t*>(GlobalLock(block)), size));
    GlobalUnlock(block);
    GlobalFree(block);
    EXPECT_EQ((std::vector<std::string>{"x", "y", "z"}), stored.items);
    int32_t v = 0;
    EXPECT_TRUE(stored.ItemDataAt(2, v));
    EXPECT_EQ(77, v);
    EXPECT_EQ(2, stored.style);
}

TEST_F(ComboTest, ListIndexClampsAndSelectedFiresAfterTheSelectionIsInPlace) {
    Build(ComboBlock(2, {"a", "b", "c"}, {}, -1));
    SetInt(window_, kCombo, 19, 7);
    EXPECT_EQ(2, GetInt(window_, kCombo, 19));
    SetInt(window_, kCombo, 19, -5);
    EXPECT_EQ(-1, GetInt(window_, kCombo, 19));
    SetInt(window_, kCombo, 19, 0);
    Pump(30);
    EXPECT_EQ(0, CountOf(kCombo, "Ev0")) << "setting the selection from code fires nothing";

    // The user picks the second item: the list box selection, then CBN_SELENDOK.
    int seen = -2;
    g_duringEv0 = [&] { seen = GetInt(window_, kCombo, 19); };
    SendMessageA(Combo(), WM_KEYDOWN, VK_DOWN, 0);  // a keyboard selection ends with CBN_SELENDOK
    Pump(40);
    EXPECT_EQ(1, CountOf(kCombo, "Ev0"));
    EXPECT_EQ(1, seen) << "inside the Selected handler";
    EXPECT_EQ(1, GetInt(window_, kCombo, 19));

    SendMessageA(Combo(), CB_SHOWDROPDOWN, TRUE, 0);
    Pump(20);
    SendMessageA(Combo(), CB_SHOWDROPDOWN, FALSE, 0);
    Pump(20);
    EXPECT_EQ(1, CountOf(kCombo, "Ev2"));
    EXPECT_EQ(1, CountOf(kCombo, "Ev3"));
}

TEST_F(ComboTest, StyleAndColoursEditFieldAndSelection) {
    Build(ComboBlock(1, {"alpha"}, {}, -1));
    SetText(window_, kCombo, 9, "hello");
    EXPECT_EQ("hello", GetText(window_, kCombo, 9));
    SetInt(window_, kCombo, 11, 1);
    SetInt(window_, kCombo, 12, 3);
    EXPECT_EQ("ell", GetText(window_, kCombo, 13));
    SetText(window_, kCombo, 13, "EL");
    EXPECT_EQ("hELo", GetText(window_, kCombo, 9));
    SetInt(window_, kCombo, 12, -1);
    EXPECT_EQ(0, GetInt(window_, kCombo, 11));
    EXPECT_EQ(4, GetInt(window_, kCombo, 12));
    SetInt(window_, kCombo, 15, 40000);
    EXPECT_EQ(32767, GetInt(window_, kCombo, 15));
    SetInt(window_, kCombo, 15, 5);
    LRESULT base = SendMessageA(Combo(), CB_GETITEMHEIGHT, 0, 0);
    SetInt(window_, kCombo, 15, 9);
    EXPECT_EQ(base + 4, SendMessageA(Combo(), CB_GETITEMHEIGHT, 0, 0));

    EXPECT_EQ(0xFFFFFF, GetInt(window_, kCombo, 17));
    SetInt(window_, kCombo, 8, 0);  // a white box turns button face when it becomes simple
    EXPECT_EQ(static_cast<int32_t>(0xFF000000), GetInt(window_, kCombo, 17));
    EXPECT_EQ(CBS_SIMPLE, GetWindowLongA(Combo(), GWL_STYLE) & 3);
    SetInt(window_, kCombo, 8, 1);
    EXPECT_EQ(0xFFFFFF, GetInt(window_, kCombo, 17));
}

TEST_F(ComboTest, CommandsAnswerForInAndOutOfRangeIndices) {
    Build(ComboBlock(1, {}, {}, -1, true));
    ArgValue combo = ComboArg(window_, kCombo);
    auto text = [](const char* s) { return ArgValue{static_cast<uint32_t>(reinterpret_cast<uintptr_t>(s)), 0, 0x80000004u}; };
    auto integer = [](int32_t v) { return ArgValue{static_cast<uint32_t>(v), 0, 0x80000301u}; };
    EXPECT_EQ(0u, Core(kCmdComboBoxAddItem, {combo, text("m"), integer(13)}).low);
    EXPECT_EQ(0u, Core(kCmdComboBoxAddItem, {combo, text("b")}).low) << "sorted: lands first";
    EXPECT_EQ(2u, Core(kCmdComboBoxAddItem, {combo, text("宋体"), ArgValue{0, 0, 0}}).low);
    EXPECT_EQ("b", TakeText(Core(kCmdComboBoxItemText, {combo, integer(0)})));
    EXPECT_EQ("宋体", TakeText(Core(kCmdComboBoxItemText, {combo, integer(2)})));
    EXPECT_EQ("", TakeText(Core(kCmdComboBoxItemText, {combo, integer(3)})));
    EXPECT_EQ("", TakeText(Core(kCmdComboBoxItemText, {combo, integer(-1)})));
    EXPECT_EQ(13, static_cast<int32_t>(Core(kCmdComboBoxItemData, {combo, integer(1)}).low));
    EXPECT_EQ(0, static_cast<int32_t>(Core(kCmdComboBoxItemData, {combo, integer(0)}).low));
    EXPECT_EQ(0, static_cast<int32_t>(Core(kCmdComboBoxItemData, {combo, integer(2)}).low));
    EXPECT_EQ(-1, static_cast<int32_t>(Core(kCmdComboBoxItemData, {combo, integer(3)}).low));
    EXPECT_EQ(-1, static_cast<int32_t>(Core(kCmdComboBoxItemData, {combo, integer(-1)}).low));
}

TEST(ButtonAndGroupBox, PictureFileFilterText) {
    EXPECT_EQ(std::wstring(L"所有图片文件 (*.JPG;*.PNG;*.BMP;*.GIF;*.ICO;*.CUR)|*.JPG;*.PNG;*.BMP;*.GIF;*.ICO;*.CUR|"
                           L"JPG图片 (*.JPG)|*.JPG|PNG图片 (*.PNG)|*.PNG|BMP图片 (*.BMP)|*.BMP|GIF图片 (*.GIF)|*.GIF|"
                           L"图标 (*.ICO)|*.ICO|鼠标指针 (*.CUR)|*.CUR|所有文件 (*.*)|*.*||"),
              Wide(kPictureFileFilter));
}

TEST(ComboCommands, MissingUnitEndsWithTheReport) {
    std::string dir = testsupport::MakeScratchDirectory("controls_fatal");
    for (const char* scenario : {"text", "add", "data"}) {
        std::string log = dir + scenario + ".log";
        auto r = testsupport::RunChild(testsupport::ProgramDirectory() + "controls_child.exe", {scenario, log});
        ASSERT_TRUE(r.started);
        EXPECT_EQ(0xFFFFFFFFu, r.exitCode) << scenario;
        EXPECT_EQ("report 指定窗口或窗口组件不存在或尚未载入\n", testsupport::ReadWholeFile(log)) << scenario;
    }
}

TEST(ButtonAndGroupBox, DefaultButtonClickedCaptionsAndContainer) {
    Events().clear();
    ButtonData b;
    b.caption = "确定";
    GroupBoxData g;
    g.caption = "分组";
    g.backColour = 0x00FFE0;
    EditBoxData inner;
    inner.content = "inside";
    uint32_t w = BuildWindow({MakeUnit(kButton, kUnitTypeButton, 10, 10, 80, 26, SaveBlock(b)),
                              MakeUnit(kGroup, kUnitTypeGroupBox, 10, 50, 200, 120, SaveBlock(g)),
                              MakeUnit(kInner, kUnitTypeEditBox, 20, 30, 100, 22, SaveBlock(inner), kGroup)});
    ASSERT_NE(0u, w);
    Events().clear();
    HWND button = UnitHandle(w, kButton);
    auto isDefault = [&] {
        auto* u = UnitObject(w, kButton);
        return u->IsDefaultButton();
    };
    EXPECT_FALSE(isDefault());
    SetInt(w, kButton, 9, 5);
    EXPECT_EQ(1, GetInt(w, kButton, 9));
    EXPECT_TRUE(isDefault());
    EXPECT_EQ(BS_DEFPUSHBUTTON, GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK);
    SendMessageA(button, BM_CLICK, 0, 0);
    Pump(20);
    EXPECT_EQ(1, CountOf(kButton, "Ev0"));
    SetInt(w, kButton, 11, 0);
    EXPECT_EQ(BS_LEFT, GetWindowLongA(button, GWL_STYLE) & (BS_LEFT | BS_RIGHT | BS_CENTER));
    SetText(w, kButton, 10, "新");
    wchar_t caption[16] = {};
    GetWindowTextW(button, caption, 16);
    EXPECT_STREQ(L"新", caption);

    // A picture that cannot be decoded leaves the caption; a BMP becomes a bitmap.
    SetData(w, kButton, 8, {1, 2, 3, 4, 5, 6, 7, 8});
    button = UnitHandle(w, kButton);
    EXPECT_EQ(0, GetWindowLongA(button, GWL_STYLE) & (BS_BITMAP | BS_ICON));
    std::vector<uint8_t> bmp = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0,
                                1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    bmp.resize(70, 0x80);
    SetData(w, kButton, 8, bmp);
    button = UnitHandle(w, kButton);
    EXPECT_EQ(BS_BITMAP, GetWindowLongA(button, GWL_STYLE) & BS_BITMAP);
    EXPECT_NE(0, SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0));
    // An icon file becomes an icon image.
    SetData(w, kButton, 8, IconFile16());
    button = UnitHandle(w, kButton);
    EXPECT_EQ(BS_ICON, GetWindowLongA(button, GWL_STYLE) & (BS_BITMAP | BS_ICON));
    EXPECT_NE(0, SendMessageA(button, BM_GETIMAGE, IMAGE_ICON, 0));

    // The group box holds the unit whose parent it is, and answers its colours.
    HWND group = UnitHandle(w, kGroup);
    HWND inside = UnitHandle(w, kInner);
    EXPECT_EQ(group, GetParent(inside));
    HDC dc = GetDC(group);
    LRESULT brush = SendMessageA(GetParent(group), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(group));
    EXPECT_NE(0, brush);
    EXPECT_EQ(0x00FFE0u, GetBkColor(dc));
    ReleaseDC(group, dc);
    SetText(w, kInner, 8, "changed");  // its notifications still reach it through the group box
    EXPECT_EQ(1, CountOf(kInner, "Ev0"));
    CloseWindow(w);
}
