// The plain pieces behind the settings file and the renderer's limits: the
// file rebuilt with new values, texts with line breaks as one value, numbers
// read from damaged or extreme text, and every size and position held to a
// range GDI+ can lay out. Built natively under ASan/UBSan.
#include <gtest/gtest.h>
#include <climits>
#include "app/platform/message_text.h"
#include "app/poster/settings_text.h"
#include "app/poster/text_limits.h"
#include "app/poster/typed_number.h"

using namespace app;

TEST(SettingsText, FileRebuiltWithValues) {
    const IniValues values = {{"a", "1"}, {"b", "2"}};
    struct Case {
        const char* name;
        std::string existing, expected;
    } cases[] = {
        {"absent", "", "[s]\r\na=1\r\nb=2\r\n"},
        {"replaced in place, others kept", "[x]\r\na=9\r\n[s]\r\nb=8\r\nc=7\r\n\r\n[y]\r\nz=1\r\n",
         "[x]\r\na=9\r\n[s]\r\nb=2\r\nc=7\r\na=1\r\n\r\n[y]\r\nz=1\r\n"},
        {"LF lines and blanks around", "[ s ]\n a = 5\n", "[ s ]\r\na=1\r\nb=2\r\n"},
        {"no section", "junk line\n", "junk line\r\n[s]\r\na=1\r\nb=2\r\n"},
        {"binary dropped", std::string("\xFF\xFE[\0s\0]\0", 8), "[s]\r\na=1\r\nb=2\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, WithIniValues(c.existing, "s", values)) << c.name;
}

TEST(SettingsText, LineBreaksEscapedAndBack) {
    struct Case {
        std::string text, stored, back;
    } cases[] = {
        {"a\r\nb", "a\\nb", "a\r\nb"},
        {"a\nb\r", "a\\nb\\n", "a\r\nb\r\n"},
        {"C:\\n\\", "C:\\\\n\\\\", "C:\\n\\"},
        // GBK characters whose second byte is a backslash stay whole ("\x95\x5C" then "n").
        {"\x95\x5Cn", "\x95\x5Cn", "\x95\x5Cn"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.stored, EscapeLineBreaks(c.text)) << c.text;
        EXPECT_EQ(c.back, UnescapeLineBreaks(c.stored)) << c.text;
    }
}

TEST(SettingsText, NumbersFromAnyText) {
    struct Case {
        const char* text;
        bool ok;
        int64_t value;
    } cases[] = {
        {"120", true, 120},        {" -5 ", true, -5},           {"2147483648", true, 2147483648LL},
        {"1e308", true, 9000000000000000000LL}, {"-1e308", true, -9000000000000000000LL},
        {"12.7", true, 12},        {"", false, 0},               {"abc", false, 0},
        {"12abc", true, 12},       {"nan", false, 0},        {"-inf", false, 0},            {"\x01\x02", false, 0},
        // Typed by an input method in full-width mode.
        {"４０", true, 40},        {"－５", true, -5},           {"＋１２", true, 12},          {"　４０ab", true, 40},
        {"１２．７", true, 12},    {"４", true, 4},              {"－", false, 0},              {"四十", false, 0},
    };
    for (const Case& c : cases) {
        int64_t v = 0;
        EXPECT_EQ(c.ok, ParseStoredNumber(c.text, &v)) << c.text;
        if (c.ok) {
            EXPECT_EQ(c.value, v) << c.text;
        }
    }
}

// Whole numbers (style keys, the command line's --quality and --jobs), typed
// in either width, in GBK and in UTF-16.
TEST(SettingsText, WholeNumbersInEitherWidth) {
    struct Case {
        const char* gbk;
        const wchar_t* wide;
        bool ok;
        int64_t value;
    } cases[] = {
        {"80", L"80", true, 80},          {"８０", L"\xFF18\xFF10", true, 80}, {"－１６", L"\xFF0D\xFF11\xFF16", true, -16},
        {"＋３", L"\xFF0B\xFF13", true, 3}, {"８x", L"\xFF18x", false, 0},    {"", L"", false, 0},
        {"８〇", L"\xFF18\x3007", false, 0}, {" ８ ", L"\x3000\xFF18 ", true, 8},
    };
    for (const Case& c : cases) {
        int64_t narrow = 0, wide = 0;
        EXPECT_EQ(c.ok, ReadWholeNumber(c.gbk, &narrow)) << c.gbk;
        EXPECT_EQ(c.ok, ReadWholeNumber(HalfWidthNumberText(std::wstring(c.wide)), &wide)) << c.gbk;
        if (c.ok) {
            EXPECT_EQ(c.value, narrow) << c.gbk;
            EXPECT_EQ(c.value, wide) << c.gbk;
        }
    }
}

// Messages fit a box at 1366 x 768: long lines break after a path separator,
// space or comma, never inside a GBK character (one whose second byte is "\\").
TEST(MessageText, LongLinesBrokenBetweenWholeCharacters) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"short\r\nlines", "short\r\nlines"},
        {"C:\\abc\\defgh\\ij.png", "C:\\abc\\\ndefgh\\\nij.png"},
        {"abcdefghijklm", "abcdefghij\nklm"},
        {"模板模板模板模板模板", "模板模板模\n板模板模板"},
        {"abcdefghi\x95\x5C", "abcdefghi\n\x95\x5C"},
        {"a,bcdefghijk", "a,bcdefghi\njk"},
        {"12345\r\nabcdefghijk", "12345\r\nabcdefghij\nk"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.out, FittedMessage(c.in, 10)) << c.in;
}

TEST(TextLimits, ExtremesHeldToDrawableRanges) {
    struct Case {
        TextPlacement in;
        int64_t width, height;
        TextPlacement out;
    } cases[] = {
        {{50, 120, 260}, 1080, 1920, {50, 120, 260}},
        {{INT_MAX, INT_MAX, INT_MIN}, 1080, 1920, {kMaxTextSize, 7680, -7680}},
        {{-30, -1, 1}, 100, 50, {0, -1, 1}},
        {{INT_MAX, INT_MIN, INT_MAX}, 0, 0, {200, -4, 4}},
        {{5000, 0, 0}, 300, 200, {600, 0, 0}},
        {{10, INT_MAX, 0}, 60000, 60000, {10, kMaxStoredPosition, 0}},
    };
    for (const Case& c : cases) {
        TextPlacement p = ClampPlacement(c.in, c.width, c.height);
        EXPECT_EQ(c.out.size, p.size);
        EXPECT_EQ(c.out.x, p.x);
        EXPECT_EQ(c.out.y, p.y);
    }
    EXPECT_EQ(kMaxStoredPosition, ClampStoredPosition(INT64_MAX));
    EXPECT_EQ(0, ClampTextSize(INT64_MIN));
}
