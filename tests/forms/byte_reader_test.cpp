// The shared little-endian byte reader (native, ASan/UBSan; also at compile time).
#include <gtest/gtest.h>
#include <array>
#include "runtime/base/byte_reader.h"

using imprinta::ByteReader;

namespace {

constexpr std::array<uint8_t, 7> kBytes = {0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12};

// Reads past the end inside a constant expression: the reader must stay usable there.
constexpr bool ReadsAtCompileTime() {
    ByteReader r(kBytes);
    if (r.ReadU8() != 0x01 || r.ReadU16() != 0x1234 || r.ReadU32() != 0x12345678 || !r.ok()) return false;
    return r.ReadU8() == 0 && !r.ok() && r.Remaining() == 0;
}
static_assert(ReadsAtCompileTime());

}  // namespace

TEST(ByteReader, ShortReadsFailStickyAndLeaveThePosition) {
    struct Case {
        const char* what;
        size_t skip;      // bytes skipped first
        int width;        // 1, 2, 4 (little-endian) or -2, -4 (big-endian)
        uint32_t value;   // expected value, 0 when the read cannot fit
    } cases[] = {
        {"u16 at 1", 1, 2, 0x1234},        {"u32 at 3", 3, 4, 0x12345678}, {"u16 be at 1", 1, -2, 0x3412},
        {"u32 be at 3", 3, -4, 0x78563412}, {"u32 at 4: one short", 4, 4, 0}, {"u16 at 6: one short", 6, 2, 0},
        {"u8 at the end", 7, 1, 0},
    };
    for (const Case& c : cases) {
        ByteReader r(kBytes);
        r.Skip(c.skip);
        const bool fits = c.skip + size_t(c.width < 0 ? -c.width : c.width) <= kBytes.size();
        uint32_t v = c.width == 1 ? r.ReadU8() : c.width == 2 ? r.ReadU16() : c.width == 4 ? r.ReadU32()
                   : c.width == -2 ? r.ReadU16Be() : r.ReadU32Be();
        EXPECT_EQ(v, c.value) << c.what;
        EXPECT_EQ(r.ok(), fits) << c.what;
        EXPECT_EQ(r.Position(), fits ? c.skip + size_t(c.width < 0 ? -c.width : c.width) : c.skip) << c.what;
        // Once failed, the reader stays failed even for reads that fit.
        r.Seek(0);
        r.ReadU8();
        EXPECT_EQ(r.ok(), fits) << c.what;
    }
    ByteReader r(kBytes);
    EXPECT_TRUE(r.ReadBytes(8).empty());
    EXPECT_FALSE(r.ok());
    ByteReader s(kBytes);
    ByteReader sub = s.Sub(3);
    EXPECT_EQ(sub.Remaining(), 3u);
    EXPECT_EQ(s.Position(), 3u);
    EXPECT_EQ(sub.ReadU32(), 0u);  // the sub-reader ends where its bytes do
    EXPECT_FALSE(sub.ok());
    EXPECT_TRUE(s.ok());
    s.Seek(8);
    EXPECT_FALSE(s.ok());
    ByteReader none(nullptr, 100);  // no data holds no bytes, whatever the size says
    EXPECT_EQ(none.Remaining(), 0u);
}
