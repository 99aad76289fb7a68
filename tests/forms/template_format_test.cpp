// Form-template reader and writer: round trip, refusal of truncated and
// inconsistent data, handler resolution. Built natively (ASan/UBSan) and for Windows.
#include <gtest/gtest.h>
#include <cstring>
#include "runtime/base/template_format.h"

using namespace imprinta::forms;

namespace {

UnitDescription WindowRecord() {
    UnitDescription w;
    w.id = kWindowRecordId;
    w.type = 0x00010001;
    w.name = "窗口";
    w.left = 50;
    w.top = 50;
    w.width = 1059;
    w.height = 933;
    w.bindings = {{0, 0}, {2, 1}};
    w.block = {6, 0, 0, 0, 1, 2, 3};
    return w;
}

// Two windows; the first with a group box holding a button, an edit box whose
// event link names the button, a menu item and a unit with cursor file bytes.
std::vector<WindowDescription> SampleCollection() {
    WindowDescription a;
    a.id = 0x52010001;
    a.word1 = 7;
    a.word2 = 0x12345678;
    a.units.push_back(WindowRecord());
    UnitDescription group;
    group.id = 0x16010001;
    group.type = 0x00010009;
    group.name = "分组框1";
    group.left = 10;
    group.top = 20;
    group.width = 300;
    group.height = 200;
    group.children = {0x16010002, 0, 0x16010003};
    group.flags = kUnitVisible;
    a.units.push_back(group);
    UnitDescription button;
    button.id = 0x16010002;
    button.type = 0x0001000B;
    button.name = "按钮6";
    button.tag = "tag text";
    button.left = -5;
    button.top = 7;
    button.width = 80;
    button.height = 24;
    button.parent = 0x16010001;
    button.flags = kUnitVisible | kUnitDisabled | kUnitTabStop;
    button.tabOrder = 3;
    button.bindings = {{0, 5}, {-1, -1}, {-7, 2}};
    button.block = {1, 0, 0, 0};
    a.units.push_back(button);
    UnitDescription edit;
    edit.id = 0x16010003;
    edit.type = 0x00010005;
    edit.name = "编辑框7";
    edit.remark = "remark";
    edit.eventLink = 0x16010002;
    edit.pointerData = {0xFF, 0xFF, 0xFF, 0xFF, 9, 8, 7};
    a.units.push_back(edit);
    UnitDescription menu;
    menu.id = 0x26010001;
    menu.name = "菜单1";
    menu.caption = "文件";
    menu.menuFlags = kMenuChecked;
    menu.clickHandlerIndex = 4;
    a.units.push_back(menu);
    WindowDescription b;
    b.id = 0x52010002;
    b.name1 = "first";
    b.name2 = "second";
    b.units.push_back(WindowRecord());
    b.units[0].bindings.clear();
    return {a, b};
}

void ExpectRecordMatches(const UnitDescription& d, const UnitRecord& r) {
    SCOPED_TRACE(d.name);
    EXPECT_EQ(d.id, r.id);
    EXPECT_EQ(d.name, r.name);
    EXPECT_EQ(d.remark, r.remark);
    EXPECT_EQ(d.eventLink, r.eventLink);
    EXPECT_EQ(nullptr, r.object);
    if (IsMenuItemId(d.id)) {
        EXPECT_TRUE(r.menu);
        EXPECT_EQ(kMenuItemType, r.type);
        EXPECT_EQ(d.caption, r.caption);
        EXPECT_EQ(d.menuFlags, r.menuFlags);
        EXPECT_EQ(HandlerOffset(d.clickHandlerIndex), r.clickHandler);
        return;
    }
    EXPECT_FALSE(r.menu);
    EXPECT_EQ(d.type, r.type);
    EXPECT_EQ(d.left, r.left);
    EXPECT_EQ(d.top, r.top);
    EXPECT_EQ(d.width, r.width);
    EXPECT_EQ(d.height, r.height);
    EXPECT_EQ(d.parent, r.parent);
    EXPECT_EQ(d.children, r.children);
    EXPECT_EQ(d.pointerData, r.pointerData);
    EXPECT_EQ(d.tag, r.tag);
    EXPECT_EQ(d.flags, r.flags);
    EXPECT_EQ(d.tabOrder, r.tabOrder);
    ASSERT_EQ(d.bindings.size(), r.bindings.size());
    for (size_t i = 0; i < d.bindings.size(); ++i) {
        EXPECT_EQ(d.bindings[i].event, r.bindings[i].event);
        EXPECT_EQ(HandlerOffset(d.bindings[i].handlerIndex), r.bindings[i].handler);
    }
    EXPECT_EQ(d.block, r.block);
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
void SetLe32(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

}  // namespace

TEST(TemplateFormat, WrittenCollectionReadsBackRecordByRecord) {
    auto description = SampleCollection();
    auto bytes = WriteTemplateCollection(description);
    std::vector<TemplateWindow> windows;
    std::string error;
    ASSERT_TRUE(ParseTemplateCollection(bytes.data(), bytes.size(), windows, &error)) << error;
    ASSERT_EQ(description.size(), windows.size());
    for (size_t w = 0; w < windows.size(); ++w) {
        EXPECT_EQ(description[w].id, windows[w].id);
        EXPECT_EQ(description[w].word1, windows[w].word1);
        EXPECT_EQ(description[w].word2, windows[w].word2);
        EXPECT_EQ(description[w].name1, windows[w].name1);
        EXPECT_EQ(description[w].name2, windows[w].name2);
        ASSERT_EQ(description[w].units.size(), windows[w].units.size());
        for (size_t u = 0; u < windows[w].units.size(); ++u) ExpectRecordMatches(description[w].units[u], windows[w].units[u]);
    }
}

TEST(TemplateFormat, HandlerOffsetsBecomeAddressesAndMinusOneBecomesZero) {
    auto bytes = WriteTemplateCollection(SampleCollection());
    std::vector<TemplateWindow> windows;
    ASSERT_TRUE(ParseTemplateCollection(bytes.data(), bytes.size(), windows));
    ResolveHandlers(windows, 0x401000);
    const UnitRecord& button = windows[0].units[2];
    EXPECT_EQ(0x401000u + 5 * 8, button.bindings[0].handler);
    EXPECT_EQ(0u, button.bindings[1].handler);
    EXPECT_EQ(0x401000u + 2 * 8, button.bindings[2].handler);
    EXPECT_EQ(0x401000u, windows[0].units[0].bindings[0].handler);  // handler 0 is at the code base
    EXPECT_EQ(0x401000u + 4 * 8, windows[0].units[4].clickHandler);
}

TEST(TemplateFormat, EveryTruncationIsRefused) {
    auto bytes = WriteTemplateCollection(SampleCollection());
    for (size_t n = 0; n < bytes.size(); ++n) {
        // A fresh copy of exactly n bytes, so ASan sees any read past it.
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(n));
        std::vector<TemplateWindow> windows;
        EXPECT_FALSE(ParseTemplateCollection(cut.data(), cut.size(), windows)) << "length " << n;
        EXPECT_TRUE(windows.empty());
    }
}

TEST(TemplateFormat, InconsistentLengthsAndOffsetsAreRefused) {
    const auto good = WriteTemplateCollection(SampleCollection());
    // Layout of the first window: index block (4 + 16), two words, two counted
    // empty names, unit count, unit table length, then ids, offsets, records.
    const size_t unitCountAt = 4 + 16 + 8 + 4 + 4;
    const size_t tableAt = unitCountAt + 8;
    const uint32_t units = Le32(good, unitCountAt);
    ASSERT_EQ(5u, units);
    const size_t offsetsAt = tableAt + units * 4;
    const size_t areaAt = tableAt + units * 8;
    struct Case {
        const char* what;
        void (*mutate)(std::vector<uint8_t>&, size_t, size_t, size_t, size_t);
        TemplateError error;
    };
    const Case cases[] = {
        {"index size not a multiple of 8", [](auto& b, size_t, size_t, size_t, size_t) { SetLe32(b, 0, 12); }, TemplateError::IndexSize},
        {"index larger than the data", [](auto& b, size_t, size_t, size_t, size_t) { SetLe32(b, 0, 0x7FFFFFF8); }, TemplateError::TruncatedIndex},
        {"unit count beyond the table", [](auto& b, size_t uc, size_t, size_t, size_t) { SetLe32(b, uc, 0x40000000); }, TemplateError::UnitCountBeyondTable},
        {"zero units", [](auto& b, size_t uc, size_t, size_t, size_t) { SetLe32(b, uc, 0); }, TemplateError::NoWindowRecord},
        {"record offset past the area", [](auto& b, size_t, size_t, size_t off, size_t) { SetLe32(b, off + 4, 0xFFFFFFF0); }, TemplateError::RecordOffset},
        {"record length past the area", [](auto& b, size_t, size_t, size_t, size_t area) { SetLe32(b, area, 0x10000); }, TemplateError::RecordLength},
        {"table length past the data", [](auto& b, size_t uc, size_t, size_t, size_t) { SetLe32(b, uc + 4, 0xFFFFFFFF); }, TemplateError::TruncatedWindow},
        {"window name length past the data", [](auto& b, size_t, size_t, size_t, size_t) { SetLe32(b, 4 + 16 + 8, 0x80000000); }, TemplateError::TruncatedWindow},
        {"trailing bytes", [](auto& b, size_t, size_t, size_t, size_t) { b.push_back(0); }, TemplateError::TrailingData},
        {"unit id with bits 24..27 clear", [](auto& b, size_t, size_t t, size_t, size_t) { SetLe32(b, t + 4, 0x10010002); }, TemplateError::BadUnitId},
        {"unit id with its low 24 bits clear", [](auto& b, size_t, size_t t, size_t, size_t) { SetLe32(b, t + 4, 0x16000000); }, TemplateError::BadUnitId},
    };
    for (const auto& c : cases) {
        auto bytes = good;
        c.mutate(bytes, unitCountAt, tableAt, offsetsAt, areaAt);
        std::vector<TemplateWindow> windows;
        const TemplateError e = ParseTemplates(bytes.data(), bytes.size(), windows);
        EXPECT_EQ(e, c.error) << c.what << ": " << TemplateErrorText(e);
        EXPECT_TRUE(windows.empty()) << c.what;
    }
}

TEST(TemplateFormat, CountsInsideARecordAreCheckedAgainstTheRecord) {
    // The window's own record is followed by a unit with a large block, so
    // counts that run past record 0 still lie inside the data: the record's
    // own length must decide.
    WindowDescription w;
    w.id = 0x52010001;
    w.units.push_back(WindowRecord());
    w.units[0].children = {0x16010001};
    UnitDescription big;
    big.id = 0x16010001;
    big.type = 0x00010005;
    big.block.assign(1024, 0xAB);
    w.units.push_back(big);
    auto good = WriteTemplateCollection({w});
    std::vector<TemplateWindow> windows;
    ASSERT_TRUE(ParseTemplateCollection(good.data(), good.size(), windows));
    const size_t tableAt = 4 + 8 + 8 + 4 + 4 + 4 + 4;
    const size_t recordAt = tableAt + 2 * 8 + 4;  // after ids, offsets and the length word
    const size_t recordLength = Le32(good, recordAt - 4);
    const size_t nameLen = std::strlen(w.units[0].name.c_str()) + 1;
    const size_t objectAt = recordAt + 24 + nameLen + 1;
    const size_t childCountAt = objectAt + 4 + 16 + 4 + 4;
    ASSERT_EQ(1u, Le32(good, childCountAt));
    const uint32_t pastRecord = static_cast<uint32_t>(recordLength);  // words: 4x this many bytes
    for (uint32_t bad : {pastRecord / 4 + 1, pastRecord, 0x3FFFFFFFu, 0xFFFFFFFFu}) {
        auto bytes = good;
        SetLe32(bytes, childCountAt, bad);
        EXPECT_EQ(ParseTemplates(bytes.data(), bytes.size(), windows), TemplateError::TruncatedRecord) << "children " << bad;
    }
    const size_t pointerLenAt = childCountAt + 4 + 4;
    ASSERT_EQ(4u, Le32(good, pointerLenAt));
    for (uint32_t bad : {pastRecord, 0xFFFFFFFFu}) {
        auto bytes = good;
        SetLe32(bytes, pointerLenAt, bad);
        EXPECT_EQ(ParseTemplates(bytes.data(), bytes.size(), windows), TemplateError::TruncatedRecord) << "pointer " << bad;
    }
    // The binding count sits after pointer data (4), tag "\0", three words.
    const size_t bindingCountAt = pointerLenAt + 4 + 4 + 1 + 12;
    ASSERT_EQ(2u, Le32(good, bindingCountAt));
    for (uint32_t bad : {pastRecord / 8 + 1, 0x20000000u}) {
        auto bytes = good;
        SetLe32(bytes, bindingCountAt, bad);
        EXPECT_EQ(ParseTemplates(bytes.data(), bytes.size(), windows), TemplateError::TruncatedRecord) << "bindings " << bad;
    }
    // Names without a terminator inside the record.
    auto bytes = good;
    for (size_t i = recordAt + 24; i < recordAt + recordLength; ++i)
        if (bytes[i] == 0) bytes[i] = 'x';
    EXPECT_FALSE(ParseTemplateCollection(bytes.data(), bytes.size(), windows));
}

TEST(TemplateFormat, EmptyCollectionAndNullData) {
    auto bytes = WriteTemplateCollection({});
    std::vector<TemplateWindow> windows;
    EXPECT_TRUE(ParseTemplateCollection(bytes.data(), bytes.size(), windows));
    EXPECT_TRUE(windows.empty());
    EXPECT_FALSE(ParseTemplateCollection(nullptr, 100, windows));
}
