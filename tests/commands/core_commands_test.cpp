// The core commands through CallLibraryCommand: texts, byte sets, numbers,
// random numbers, message pumping and pictures.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include "commands_test_util.h"
#include "runtime/core/libraries.h"

using namespace cmdtest;

// The blocks and their table order are checked where they are defined.
TEST(CoreLibrary, RuntimeFindsTheRegexTypeThroughTheLibraryTable) {
    auto* d = reinterpret_cast<const TypeDescriptor*>(
        static_cast<uintptr_t>(RuntimeNotify(kNotifyTypeDescriptor, kTypeRegex, 0, 0)));
    ASSERT_NE(nullptr, d);
    EXPECT_STREQ("regex", d->englishName);
    EXPECT_EQ(L"正则表达式", Wide(d->name));
    EXPECT_EQ(0xE0000000u, d->flags);
    EXPECT_EQ(0u, d->propertyCount);
}

TEST(Conversions, ThroughTheCommands) {
    EXPECT_EQ(42, static_cast<int32_t>(Core(kCmdToInteger, {Txt(" 42abc")}).low));
    EXPECT_EQ(-12, static_cast<int32_t>(Core(kCmdToInteger, {Txt("\xA3\xAD\xA3\xB1\xA3\xB2")}).low));
    EXPECT_EQ(3, static_cast<int32_t>(Core(kCmdToInteger, {Dbl(3.99)}).low));
    ArgValue r = Core(kCmdToText, {Dbl(1e20)});
    EXPECT_EQ(0u, r.type) << "the type word stays 0";
    EXPECT_EQ("1e+020", TakeText(r));
    EXPECT_EQ(L"真", Wide(TakeText(Core(kCmdToText, {Bool(true)}))));
    bool wasNull = false;
    EXPECT_EQ("", TakeText(Core(kCmdToText, {Txt("")}), &wasNull));
    EXPECT_TRUE(wasNull) << "an empty text result is the null pointer";
    ByteSet bytes(std::string("AB\0C", 4));
    EXPECT_EQ("AB", TakeText(Core(kCmdToText, {bytes.Arg()})));
    EXPECT_EQ(0, static_cast<int32_t>(Core(kCmdToInteger, {bytes.Arg()}).low));
}

TEST(ByteSets, ToBytesBlankBytesLengthAndPointer) {
    EXPECT_EQ(std::string("\x02\x01\x00\x00", 4), TakeBytes(Core(kCmdToBytes, {Int(258)})));
    EXPECT_EQ("ab", TakeBytes(Core(kCmdToBytes, {Txt("ab")})));
    bool wasNull = false;
    TakeBytes(Core(kCmdToBytes, {Txt("")}), &wasNull);
    EXPECT_TRUE(wasNull);
    uint32_t array[] = {1, 2, 0x11223344, 0x55667788};
    for (uint32_t arrayType : {0xA0000301u, 0x20000301u})
        EXPECT_EQ("\x44\x33\x22\x11\x88\x77\x66\x55", TakeBytes(Core(kCmdToBytes, {{W(array), 0, arrayType}})));
    uint32_t texts[] = {1, 1, W("zz")};
    TakeBytes(Core(kCmdToBytes, {{W(texts), 0, 0xA0000004u}}), &wasNull);
    EXPECT_TRUE(wasNull) << "an array of texts has no bytes of its own";

    for (int n : {0, -3}) {
        TakeBytes(Core(kCmdBlankBytes, {Int(n)}), &wasNull);
        EXPECT_TRUE(wasNull) << n;
    }
    EXPECT_EQ(std::string(3, '\0'), TakeBytes(Core(kCmdBlankBytes, {Int(3)})));

    ByteSet five("hello");
    EXPECT_EQ(5u, Core(kCmdBytesLength, {five.Arg()}).low);
    EXPECT_EQ(0u, Core(kCmdBytesLength, {{0, 0, 0x80000005u}}).low);

    const char source[] = "pointer data";
    EXPECT_EQ("point", TakeBytes(Core(kCmdPointerToBytes, {Int(static_cast<int32_t>(W(source))), Int(5)})));
    TakeBytes(Core(kCmdPointerToBytes, {Int(static_cast<int32_t>(W(source))), Int(0)}), &wasNull);
    EXPECT_TRUE(wasNull);
}

TEST(ByteSets, BytesGetData) {
    ByteSet two("\x34\x12");
    ArgValue r = Core(kCmdBytesGetData, {two.Arg(), Int(3)});
    EXPECT_EQ(0x80000301u, r.type) << "the result type is written";
    EXPECT_EQ(0x1234u, r.low);

    ByteSet text(std::string("AB\0C", 4));
    int32_t position = 1;
    ArgValue variable = {W(&position), 0, 0x20000301u};
    r = Core(kCmdBytesGetData, {text.Arg(), Int(10), variable});
    EXPECT_EQ(0x80000004u, r.type);
    EXPECT_EQ("AB", TakeText(r));
    EXPECT_EQ(4, position);
    r = Core(kCmdBytesGetData, {text.Arg(), Int(10), variable});
    EXPECT_EQ("C", TakeText(r));
    EXPECT_EQ(-1, position);

    // A plain position value is read, never written.
    r = Core(kCmdBytesGetData, {text.Arg(), Int(1), Int(2)});
    EXPECT_EQ(0x80000101u, r.type);
    EXPECT_EQ(uint32_t{'B'}, r.low);
    // Kind 8 clamps the date-time.
    double big = 5e6;
    ByteSet date(std::string(reinterpret_cast<const char*>(&big), 8));
    r = Core(kCmdBytesGetData, {date.Arg(), Int(8)});
    EXPECT_EQ(0x80000003u, r.type);
    EXPECT_EQ(2958465.0, AsDouble(r));
    // Integers read out one after another through the variable.
    ByteSet ints(std::string("\x01\0\0\0\x02\0\0\0", 8));
    position = 1;
    EXPECT_EQ(1u, Core(kCmdBytesGetData, {ints.Arg(), Int(3), variable}).low);
    EXPECT_EQ(5, position);
    EXPECT_EQ(2u, Core(kCmdBytesGetData, {ints.Arg(), Int(3), variable}).low);
    EXPECT_EQ(-1, position);
}

TEST(Texts, RightTextSplitTextToUpper) {
    struct Right {
        const char* text;
        int count;
        const char* expected;
    } rights[] = {{"abc", 5, "abc"}, {"abc", 0, ""}, {"abc", 2, "bc"}, {"abc", -1, ""}, {"", 3, ""},
                  {"\xD6\xD0\xCE\xC4", 1, "\xC4"}};  // counted in bytes: a character can be cut
    for (const auto& c : rights) EXPECT_EQ(c.expected, TakeText(Core(kCmdRightText, {Txt(c.text), Int(c.count)})));

    using V = std::vector<std::string>;
    struct Split {
        std::vector<ArgValue> args;
        V expected;
    } splits[] = {
        {{Txt("a,,b,")}, {"a", "", "b"}},
        {{Txt(",a"), Txt(",")}, {"", "a"}},
        {{Txt("a,b,c"), Txt(","), Int(2)}, {"a", "b"}},
        {{Txt("a,b,c"), Omitted(), Int(2)}, {"a", "b"}},
        {{Txt("a,b,c"), Txt(","), Int(-1)}, {}},  // a negative maximum counts as 0
        {{Txt("abc"), Txt("")}, {"abc"}},
        {{Txt("")}, {}},
        {{Txt("x.png;y.jpg"), Txt(";")}, {"x.png", "y.jpg"}},
    };
    for (auto& c : splits) {
        std::vector<bool> nulls;
        EXPECT_EQ(c.expected, TakeTextArray(Core(kCmdSplitText, c.args), &nulls));
        for (size_t i = 0; i < nulls.size() && i < c.expected.size(); ++i)
            EXPECT_EQ(c.expected[i].empty(), nulls[i]) << "empty pieces are null texts";
    }

    EXPECT_EQ("AB\xB0\x61" "C", TakeText(Core(kCmdToUpper, {Txt("ab\xB0\x61" "c")})));
}

TEST(Texts, CompareText) {
    struct Case {
        const char* a;
        const char* b;
        ArgValue flag;
        int sign;
    } cases[] = {
        {"abc", "ABC", Bool(false), 0},
        {"abc", "ABC", Bool(true), 1},
        {"abc", "ABC", Omitted(), 0},  // an omitted flag is false
        {"abc", "abd", Bool(true), -1},
        {"ab", "abc", Bool(true), -1},
        {"", "", Bool(true), 0},
        {"z", "\xB0\xA1", Bool(true), -1},              // a single byte sorts before a double-byte character
        {"\xB0\xA1", "\xB0\xA2", Bool(false), -1},
        {"\xB0\x61", "\xB0\x41", Bool(false), 1},       // trail bytes are never case-folded
        {"\xD6\xD0" "A", "\xD6\xD0" "a", Bool(false), 0},
        {"_", "a", Bool(false), -1},                      // folding goes to small letters
    };
    for (const auto& c : cases) {
        auto v = static_cast<int32_t>(Core(kCmdCompareText, {Txt(c.a), Txt(c.b), c.flag}).low);
        EXPECT_EQ(c.sign, (v > 0) - (v < 0)) << c.a << " / " << c.b;
    }
}

TEST(Numbers, IntegerDivideRoundDownMakeShortBitAnd) {
    struct Div {
        std::vector<ArgValue> args;
        double expected;
    } divs[] = {
        {{Dbl(7.0), Dbl(2.0)}, 3.0},
        {{Dbl(-7.0), Dbl(2.0)}, -3.0},
        {{Dbl(100.0), Dbl(3.0), Dbl(4.0)}, 8.0},
        {{Dbl(5.5)}, 5.5},
        {{Dbl(1e10), Dbl(3.0)}, 3333333333.0},
    };
    for (auto& c : divs) EXPECT_EQ(c.expected, AsDouble(Core(kCmdIntegerDivide, c.args)));

    struct Round {
        double value;
        int32_t expected;
    } rounds[] = {{2.9999999999999, 3}, {-1.5, -2}, {-0.9999999999999, -1}, {7.0, 7}, {-7.25, -8}};
    for (const auto& c : rounds)
        EXPECT_EQ(c.expected, static_cast<int32_t>(Core(kCmdRoundDown, {Dbl(c.value)}).low)) << c.value;

    EXPECT_EQ(0x5634u, Core(kCmdMakeShort, {Int(0x1234), Int(0x56)}).low);
    EXPECT_EQ(0xFFFFu, Core(kCmdMakeShort, {Int(0xFF), Int(0x1FF)}).low);
    EXPECT_EQ(8u, Core(kCmdBitAnd, {Int(12), Int(10)}).low);
    EXPECT_EQ(7u, Core(kCmdBitAnd, {Int(7)}).low);
    EXPECT_EQ(0x10u, Core(kCmdBitAnd, {Int(0x31), Int(0x10), Int(-1)}).low);
}

namespace {
DWORD WINAPI FirstRandomOnFreshThread(void* out) {
    *static_cast<uint32_t*>(out) = Core(kCmdRandomNumber).low;
    return 0;
}
}  // namespace

TEST(Random, SeedRangesEqualBoundsAndPerThreadState) {
    Core(kCmdSeedRandom, {Int(1)});
    const uint32_t sequence[] = {41, 18467, 6334, 26500};
    for (uint32_t e : sequence) EXPECT_EQ(e, Core(kCmdRandomNumber).low);

    // Equal bounds do not advance the generator.
    Core(kCmdSeedRandom, {Int(1)});
    EXPECT_EQ(5u, Core(kCmdRandomNumber, {Int(5), Int(5)}).low);
    EXPECT_EQ(41u, Core(kCmdRandomNumber).low);

    Core(kCmdSeedRandom, {Int(777)});
    for (int i = 0; i < 300; ++i) {
        auto a = static_cast<int32_t>(Core(kCmdRandomNumber, {Int(9), Int(3)}).low);
        ASSERT_TRUE(a >= 3 && a <= 9) << a;
        auto b = static_cast<int32_t>(Core(kCmdRandomNumber, {Int(-4), Int(2)}).low);
        ASSERT_TRUE(b >= 0 && b <= 2) << b;
        auto c = static_cast<int32_t>(Core(kCmdRandomNumber, {Omitted(), Int(10)}).low);
        ASSERT_TRUE(c >= 0 && c <= 10) << c;
    }

    // Another thread starts from state 1, whatever this thread did.
    uint32_t fresh = 0;
    HANDLE t = CreateThread(nullptr, 0, FirstRandomOnFreshThread, &fresh, 0, nullptr);
    ASSERT_NE(nullptr, t);
    WaitForSingleObject(t, 10000);
    CloseHandle(t);
    EXPECT_EQ(41u, fresh);

    // Unseeded seeding twice in a row still gives different sequences.
    Core(kCmdSeedRandom);
    uint32_t a[4], b[4];
    for (auto& x : a) x = Core(kCmdRandomNumber).low;
    Core(kCmdSeedRandom);
    for (auto& x : b) x = Core(kCmdRandomNumber).low;
    EXPECT_NE(0, memcmp(a, b, sizeof a));
}

namespace {
int g_pumped = 0;
LRESULT CALLBACK PumpProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_APP + 7) ++g_pumped;
    return DefWindowProcA(h, m, w, l);
}
}  // namespace

TEST(Events, ProcessEventsDispatchesAndLeavesTheQuitMessage) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PumpProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "CommandsPumpTest";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, w);
    g_pumped = 0;
    PostMessageA(w, WM_APP + 7, 0, 0);
    PostMessageA(w, WM_APP + 7, 0, 0);
    Core(kCmdProcessEvents);
    EXPECT_EQ(2, g_pumped);
    PostQuitMessage(9);
    Core(kCmdProcessEvents);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
    EXPECT_EQ(9u, msg.wParam);
    DestroyWindow(w);
}

namespace {
// A 1 x 1 24-bit BMP file.
std::string TinyBmp() {
    std::string b = "BM";
    auto u32 = [&](uint32_t v) { b.append(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { b.append(reinterpret_cast<const char*>(&v), 2); };
    u32(58); u16(0); u16(0); u32(54);
    u32(40); u32(1); u32(1); u16(1); u16(24); u32(0); u32(4); u32(0); u32(0); u32(0); u32(0);
    b += std::string("\x10\x20\x30\x00", 4);
    return b;
}
}  // namespace

TEST(Pictures, LoadPictureRecognitionAndDecoding) {
    ByteSet seven("BM\0\0\0\0\0");
    EXPECT_EQ(0u, Core(kCmdLoadPicture, {seven.Arg()}).low);
    ByteSet notPicture("plain text here");
    EXPECT_EQ(0u, Core(kCmdLoadPicture, {notPicture.Arg()}).low);
    ByteSet badBmp("BM and then garbage of some length");
    EXPECT_EQ(0u, Core(kCmdLoadPicture, {badBmp.Arg()}).low);
    EXPECT_EQ(0u, Core(kCmdLoadPicture, {{0, 0, 0x80000005u}}).low);
    EXPECT_EQ(0u, Core(kCmdLoadPicture, {Txt("")}).low);
    EXPECT_EQ(0u, Core(kCmdLoadPicture, {Int(5)}).low);
    EXPECT_EQ(0u, Core(kCmdLoadPicture, {Txt("no_such_picture_file.bmp")}).low);

    ByteSet bmp(TinyBmp());
    uint32_t handle = Core(kCmdLoadPicture, {bmp.Arg()}).low;
    EXPECT_NE(0u, handle);
    // The picture object is registered with the Runtime once and lives in its list.
    EXPECT_EQ(1, RuntimeNotify(kNotifyIsPictureRegistered, handle, 0, 0));
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    std::string file = std::string(path) + "commands_tiny.bmp";
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD written;
    std::string data = TinyBmp();
    WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(h);
    EXPECT_NE(0u, Core(kCmdLoadPicture, {Txt(file.c_str())}).low);
    DeleteFileA(file.c_str());
}
