// Property data stream and byte buffer (native, ASan/UBSan).
#include <gtest/gtest.h>
#include <cstring>
#include "runtime/base/property_stream.h"

using namespace imprinta::units;

namespace {

// A property data type as a unit would write one: version 2 added `extra`.
struct SampleData : PropertyData {
    uint32_t version = 2;
    std::string caption;
    int32_t border;
    bool multiline;
    uint16_t flags;
    uint32_t colour;
    double real;
    ByteBuffer font;
    ByteBuffer picture;
    std::vector<std::string> items;
    int32_t extra;
    void Reset() override {
        caption = "默认";
        border = 1;
        multiline = false;
        flags = 0x8001;
        colour = 0xFF000000u;
        real = 0.5;
        font.Clear();
        picture.Clear();
        items.clear();
        extra = 77;
    }
    bool Serialize(PropertyArchive& ar) override {
        if (!ar.Version(version)) return false;
        ar.Text(caption);
        ar.Int(border);
        ar.Bool(multiline);
        ar.Flags16(flags);
        ar.Colour(colour);
        ar.Double(real);
        ar.Font(font);
        ar.Data(picture);
        ar.TextList(items);
        if (ar.version() >= 2) ar.Int(extra);
        return ar.ok();
    }
    std::vector<ConvertibleText> ConvertibleTexts() override {
        std::vector<ConvertibleText> texts = {{&caption}, {nullptr, &font}};
        for (auto& item : items) texts.push_back({&item});
        return texts;
    }
};

SampleData Filled() {
    SampleData d;
    d.Reset();
    d.caption = "标题 caption";
    d.border = -3;
    d.multiline = true;
    d.flags = 0x1234;
    d.colour = 0x00ABCDEF;
    d.real = -1.25e10;
    uint8_t record[kFontRecordSize] = {};
    record[0] = 0xF4;
    std::memcpy(record + kFontFaceOffset, "Tahoma", 7);
    d.font.Assign(record, sizeof record);
    d.picture.Assign("\x89PNG", 4);
    d.items = {"a", "", "第三"};
    d.extra = 123456;
    return d;
}

void ExpectSame(const SampleData& a, const SampleData& b) {
    EXPECT_EQ(a.caption, b.caption);
    EXPECT_EQ(a.border, b.border);
    EXPECT_EQ(a.multiline, b.multiline);
    EXPECT_EQ(a.flags, b.flags);
    EXPECT_EQ(a.colour, b.colour);
    EXPECT_EQ(a.real, b.real);
    EXPECT_TRUE(a.font == b.font);
    EXPECT_TRUE(a.picture == b.picture);
    EXPECT_EQ(a.items, b.items);
    EXPECT_EQ(a.extra, b.extra);
}

}  // namespace

TEST(PropertyStream, SaveThenLoadGivesTheSameFieldsInLittleEndian) {
    SampleData d = Filled();
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(SavePropertyData(d, bytes));
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ((std::vector<uint8_t>{2, 0, 0, 0}), std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4));
    SampleData back;
    ASSERT_TRUE(LoadPropertyData(back, bytes.data(), bytes.size()));
    ExpectSame(d, back);
}

TEST(PropertyStream, NewerVersionRefusedOlderKeepsDefaultsEmptyMeansDefaults) {
    SampleData d = Filled();
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(SavePropertyData(d, bytes));
    SampleData older;
    older.version = 1;
    EXPECT_FALSE(LoadPropertyData(older, bytes.data(), bytes.size()));

    // Written by version 1: the field added in 2 keeps its default when read by 2.
    SampleData v1 = Filled();
    v1.version = 1;
    ASSERT_TRUE(SavePropertyData(v1, bytes));
    SampleData reader;
    ASSERT_TRUE(LoadPropertyData(reader, bytes.data(), bytes.size()));
    EXPECT_EQ("标题 caption", reader.caption);
    EXPECT_EQ(77, reader.extra);

    SampleData defaults = Filled();
    EXPECT_TRUE(LoadPropertyData(defaults, nullptr, 0));
    EXPECT_EQ("默认", defaults.caption);
    EXPECT_TRUE(LoadPropertyData(defaults, bytes.data(), 0));
    EXPECT_EQ(1, defaults.border);
}

TEST(PropertyStream, EveryTruncationAndOversizedCountIsRefused) {
    SampleData d = Filled();
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(SavePropertyData(d, bytes));
    for (size_t n = 1; n < bytes.size(); ++n) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(n));
        SampleData back;
        EXPECT_FALSE(LoadPropertyData(back, cut.data(), cut.size())) << "length " << n;
    }
    // A caption count of 0xFFFFFFFF right after the version.
    auto bad = bytes;
    std::memset(bad.data() + 4, 0xFF, 4);
    SampleData back;
    EXPECT_FALSE(LoadPropertyData(back, bad.data(), bad.size()));
}

TEST(PropertyStream, ConvertTextsVisitsTextsAndFaceNameInPlace) {
    SampleData d = Filled();
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(SavePropertyData(d, bytes));
    struct Seen {
        std::vector<std::pair<std::string, int>> texts;
    } seen;
    auto visitor = [](char* text, int marker, void* user) {
        static_cast<Seen*>(user)->texts.push_back({text, marker});
        for (char* p = text; *p; ++p)
            if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 32);
    };
    SampleData scratch;
    std::vector<uint8_t> out;
    ASSERT_TRUE(ConvertPropertyTexts(scratch, bytes.data(), bytes.size(), visitor, &seen, out));
    ASSERT_EQ(bytes.size(), out.size());
    SampleData back;
    ASSERT_TRUE(LoadPropertyData(back, out.data(), out.size()));
    EXPECT_EQ("标题 CAPTION", back.caption);
    EXPECT_EQ(0, std::memcmp(back.font.data() + kFontFaceOffset, "TAHOMA", 7));
    EXPECT_EQ((std::vector<std::string>{"A", "", "第三"}), back.items);
    // Caption, face name (marker 1), then the list items, the empty one too.
    ASSERT_EQ(5u, seen.texts.size());
    EXPECT_EQ("", seen.texts[3].first);
    EXPECT_EQ(0, seen.texts[0].second);
    EXPECT_EQ("Tahoma", seen.texts[1].first);
    EXPECT_EQ(1, seen.texts[1].second);
}

TEST(ByteBuffer, PoolServesSmallBlocksAndHeapTakesOverWhenFull) {
    ByteBuffer::EnablePool(true);
    size_t before = ByteBuffer::PoolBlocksInUse();
    {
        std::vector<ByteBuffer> buffers(ByteBuffer::kPoolBlocks + 3);
        for (size_t i = 0; i < buffers.size(); ++i) {
            uint8_t fill[100];
            std::memset(fill, static_cast<int>(i), sizeof fill);
            buffers[i].Assign(fill, sizeof fill);
        }
        EXPECT_EQ(ByteBuffer::kPoolBlocks, ByteBuffer::PoolBlocksInUse());
        // Overflow buffers came from the heap with slack.
        EXPECT_EQ(100 + ByteBuffer::kHeapSlack, buffers.back().capacity());
        for (size_t i = 0; i < buffers.size(); ++i) EXPECT_EQ(static_cast<uint8_t>(i), buffers[i].data()[99]);
        // Growing a pooled block beyond 512 moves it to the heap, keeping the bytes.
        buffers[0].Resize(600);
        EXPECT_EQ(0u, buffers[0].data()[99]);
        EXPECT_EQ(0u, buffers[0].data()[599]);
        EXPECT_EQ(600 + ByteBuffer::kHeapSlack, buffers[0].capacity());
    }
    EXPECT_EQ(before, ByteBuffer::PoolBlocksInUse());
}

TEST(ByteBuffer, ShrinkKeepsTheBlockUpTo256SpareBytesAndCopiesAreIndependent) {
    ByteBuffer::EnablePool(false);
    ByteBuffer b;
    b.Resize(2000);
    const uint8_t* block = b.data();
    b.Resize(2000 - 100);  // 228 spare bytes with the slack: kept
    EXPECT_EQ(block, b.data());
    b.Resize(1000);
    EXPECT_EQ(1000u, b.size());
    EXPECT_LE(b.capacity() - b.size(), ByteBuffer::kHeapSlack);
    ByteBuffer copy = b;
    copy.data()[0] = 9;
    EXPECT_EQ(0u, b.data()[0]);
    b.Assign(b.data() + 10, 20);  // from its own bytes
    EXPECT_EQ(20u, b.size());
    ByteBuffer::EnablePool(true);
}
