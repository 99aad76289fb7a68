// Property data of the control units and the edit box's input rules; plain
// C++, built natively and under Wine.
#include <gtest/gtest.h>
#include <cstring>
#include "runtime/base/conversion.h"
#include "runtime/units/button_data.h"
#include "runtime/units/colour_picker_data.h"
#include "runtime/units/combo_box_data.h"
#include "runtime/units/edit_box_data.h"
#include "runtime/units/group_box_data.h"
#include "tests/support/text_visits.h"

using namespace imprinta::units;

namespace {

std::vector<uint8_t> Save(PropertyData& d) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(SavePropertyData(d, out));
    return out;
}

std::vector<uint8_t> WithVersion(std::vector<uint8_t> bytes, uint32_t version) {
    std::memcpy(bytes.data(), &version, 4);
    return bytes;
}

}  // namespace

TEST(EditInput, NormalisationOnFocusLoss) {
    struct Case {
        int mode;
        const char* in;
        const char* out;
    } cases[] = {
        {kEditByte, "300", "255"},
        {kEditByte, "0", ""},
        {kEditByte, "-7", ""},   // clamps to 0, which becomes empty
        {kEditByte, "12", "12"},
        {kEditShort, "40000", "32767"},
        {kEditShort, "-40000", "-32768"},
        {kEditInteger, "99999999999", "2147483647"},
        {kEditInteger, "-99999999999", "-2147483648"},
        {kEditInteger, "99999999999999999999999", "2147483647"},  // beyond 64 bits saturates first
        {kEditLong, "-9000000000", "-9000000000"},
        {kEditLong, "12abc", "12"},
        {kEditLong, "", ""},
        {kEditSingle, "0.1", "0.1"},
        {kEditSingle, "1234567", "1.23457e+006"},
        {kEditDouble, "3.25", "3.25"},
        {kEditDouble, "-0", ""},
        {kEditDouble, "1e20", "1e+020"},
        {kEditNormal, " 300 ", " 300 "},
        {kEditIntegerText, "--5", "--5"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.out, NormaliseEditText(c.mode, c.in)) << c.mode << " " << c.in;
}

TEST(EditInput, DateTimeModeWritesTheRuntimeFormatOrNothing) {
    double v = 0;
    ASSERT_TRUE(ParseDateTimeText("2024-1-2", v));
    EXPECT_DOUBLE_EQ(45293.0, v);
    EXPECT_EQ(imprinta::conv::DateTimeText(45293.0), NormaliseEditText(kEditDateTime, "2024-1-2"));
    EXPECT_EQ(imprinta::conv::DateTimeText(45293.0 + 0.5), NormaliseEditText(kEditDateTime, "2024/01/02 12:00"));
    // The runtime's own text reads back to itself.
    std::string own = imprinta::conv::DateTimeText(45293.0 + (3 * 3600 + 4 * 60 + 5) / 86400.0);
    EXPECT_EQ(own, NormaliseEditText(kEditDateTime, own));
    ASSERT_TRUE(ParseDateTimeText("1899.12.29 6:00", v));
    EXPECT_DOUBLE_EQ(-1.25, v);
    // Zero, nonsense and impossible dates give the empty text.
    for (const char* bad : {"1899-12-30", "hello", "2023-2-29", "2024-13-1", "2024-1-2 25:00", "2024-1-2x", ""})
        EXPECT_EQ("", NormaliseEditText(kEditDateTime, bad)) << bad;
}

TEST(EditInput, KeyFilterByMode) {
    struct Case {
        int mode;
        const char* accepted;
        const char* refused;
    } cases[] = {
        {kEditNormal, "a-.1 ", ""},
        {kEditIntegerText, "-0123456789", "a.+ e"},
        {kEditDecimalText, "-.09", "a+,e "},
        {kEditByte, "0123456789", "-.a "},
        {kEditShort, "-9", ".a "},
        {kEditInteger, "-9", ".a "},
        {kEditLong, "-9", ".a "},
        {kEditSingle, "-.9", "ae "},
        {kEditDouble, "-.9", "ae "},
        {kEditDateTime, "a-:9", ""},
    };
    for (const auto& c : cases) {
        for (const char* p = c.accepted; *p; ++p) EXPECT_TRUE(EditModeAccepts(c.mode, uint8_t(*p))) << c.mode << *p;
        for (const char* p = c.refused; *p; ++p) EXPECT_FALSE(EditModeAccepts(c.mode, uint8_t(*p))) << c.mode << *p;
        EXPECT_TRUE(EditModeAccepts(c.mode, 8));   // backspace always passes
        EXPECT_TRUE(EditModeAccepts(c.mode, 13));
    }
    EXPECT_FALSE(EditModeAccepts(kEditByte, 0xB9));  // a lead byte is not a digit
}

TEST(EditInput, AutomaticSpinWrapsAtTheRangeEnds) {
    EXPECT_EQ(0, SpinStep("100", true, 0, 100));
    EXPECT_EQ(100, SpinStep("0", false, 0, 100));
    EXPECT_EQ(1, SpinStep("", true, 0, 100));
    EXPECT_EQ(51, SpinStep("50abc", true, 0, 100));
    EXPECT_EQ(-4, SpinStep("-5", true, -10, 10));
    EXPECT_EQ(-10, SpinStep("999", true, -10, 10));
    EXPECT_EQ(2147483647, SpinStep("-2147483648", false, -2147483647 - 1, 2147483647));
}

TEST(ControlData, RoundTripsAndVersionLimits) {
    EditBoxData e;
    e.content = "text";
    e.inputMode = 5;
    e.passwordChar = '#';
    e.spinType = 1;
    e.spinMin = -3;
    e.dataSource = "src";
    e.dataColumn = "col";
    e.font.Assign(std::string(60, 'f').data(), 60);
    auto eb = Save(e);
    EditBoxData e2;
    ASSERT_TRUE(LoadPropertyData(e2, eb.data(), eb.size()));
    EXPECT_EQ(eb, Save(e2));
    EXPECT_EQ("col", e2.dataColumn);
    EXPECT_FALSE(LoadPropertyData(e2, WithVersion(eb, 3).data(), eb.size()));
    // Version 1 stops after the content: the binding names keep their defaults.
    auto v1 = WithVersion(eb, 1);
    v1.resize(v1.size() - (4 + 3) * 2);
    ASSERT_TRUE(LoadPropertyData(e2, v1.data(), v1.size()));
    EXPECT_EQ("text", e2.content);
    EXPECT_EQ("", e2.dataSource);
    // Truncation anywhere fails cleanly.
    for (size_t n = 1; n < eb.size(); ++n) EXPECT_FALSE(LoadPropertyData(e2, eb.data(), n)) << n;

    ComboBoxData c;
    c.items = {"a", "", "ccc"};
    c.SetItemData({7, -1});
    c.listIndex = 2;
    c.dataFlag = true;
    auto cb = Save(c);
    ComboBoxData c2;
    ASSERT_TRUE(LoadPropertyData(c2, cb.data(), cb.size()));
    EXPECT_EQ(c.items, c2.items);
    int32_t v = 0;
    EXPECT_TRUE(c2.ItemDataAt(1, v));
    EXPECT_EQ(-1, v);
    EXPECT_FALSE(c2.ItemDataAt(2, v));
    EXPECT_TRUE(c2.dataFlag);
    EXPECT_FALSE(LoadPropertyData(c2, WithVersion(cb, 4).data(), cb.size()));
    auto c1 = WithVersion(cb, 1);
    c1.resize(c1.size() - 4 - 8);  // no binding names, no data flag
    ASSERT_TRUE(LoadPropertyData(c2, c1.data(), c1.size()));
    EXPECT_EQ(c.items, c2.items);
    EXPECT_FALSE(c2.dataFlag);
    for (size_t n = 1; n < cb.size(); ++n) EXPECT_FALSE(LoadPropertyData(c2, cb.data(), n)) << n;

    ButtonData b;
    GroupBoxData g;
    ColourPickerData p;
    EXPECT_EQ("按钮", b.caption);
    EXPECT_EQ(0xFF000000u, g.backColour);
    for (PropertyData* d : std::initializer_list<PropertyData*>{&b, &g, &p}) {
        auto bytes = Save(*d);
        EXPECT_TRUE(LoadPropertyData(*d, bytes.data(), bytes.size()));
        EXPECT_EQ(bytes, Save(*d));
        EXPECT_FALSE(LoadPropertyData(*d, WithVersion(bytes, 2).data(), bytes.size()));
    }
}

TEST(ControlData, ItemsFormatUsesTheEscapeForLongLists) {
    std::vector<std::string> few = {"x", "yz"};
    auto bytes = EncodeItems(few);
    ASSERT_EQ(2 + 4 + 1 + 4 + 2, bytes.size());
    EXPECT_EQ(2, bytes[0] | bytes[1] << 8);
    std::vector<std::string> back;
    ASSERT_TRUE(DecodeItems(bytes.data(), bytes.size(), back));
    EXPECT_EQ(few, back);

    std::vector<std::string> many(0xFFFF, "");
    many[0xFFFE] = "last";
    bytes = EncodeItems(many);
    EXPECT_EQ(0xFF, bytes[0]);
    EXPECT_EQ(0xFF, bytes[1]);
    uint32_t count = 0;
    std::memcpy(&count, bytes.data() + 2, 4);
    EXPECT_EQ(0xFFFFu, count);
    ASSERT_TRUE(DecodeItems(bytes.data(), bytes.size(), back));
    EXPECT_EQ(many, back);

    // A count larger than the bytes could hold is refused without allocating it.
    const uint8_t huge[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0};
    EXPECT_FALSE(DecodeItems(huge, sizeof huge, back));
    EXPECT_TRUE(back.empty());
    EXPECT_TRUE(DecodeItems(nullptr, 0, back));
    EXPECT_TRUE(back.empty());
}

TEST(ControlData, PaletteOrderAndNames) {
    EXPECT_EQ(12, PaletteIndexOf(0x0000FF));
    EXPECT_EQ(7 + 5, PaletteIndexOf(0x0000FF));
    EXPECT_EQ(31, PaletteIndexOf(0x606060));
    EXPECT_EQ(-1, PaletteIndexOf(0x123456));
    EXPECT_STREQ("红色", kPalette[12].name);
    EXPECT_STREQ("深灰", kPalette[31].name);
    EXPECT_EQ(0xE03058u, kPalette[17].colour);
}

TEST(ControlsData, TextConversionOrderEmptyTextsIncluded) {
    using testsupport::ConvertedTexts;
    using testsupport::FontNamed;
    using Texts = std::vector<std::string>;
    EditBoxData edit;
    edit.content = "content";
    edit.font = FontNamed("face");
    edit.dataSource = "source";
    EXPECT_EQ((Texts{"content", "face:face", "source", ""}), ConvertedTexts(edit));
    ButtonData button;
    button.caption = "";
    button.font = FontNamed("");
    EXPECT_EQ((Texts{"", "face:"}), ConvertedTexts(button));
    GroupBoxData group;
    group.caption = "group";
    EXPECT_EQ((Texts{"group"}), ConvertedTexts(group)) << "no font record, no face name";
    ComboBoxData combo;
    combo.content = "content";
    combo.font = FontNamed("face");
    combo.items = {"one", ""};
    combo.dataColumn = "column";
    EXPECT_EQ((Texts{"content", "face:face", "one", "", "", "column"}), ConvertedTexts(combo));
}
