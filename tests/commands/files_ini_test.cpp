// File, folder and INI commands on real files in a scratch folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "commands_test_util.h"
#include "support/child_process.h"

using namespace cmdtest;

namespace {

std::string Scratch(const char* tag) { return testsupport::MakeScratchDirectory(tag); }

bool BoolResult(const ArgValue& r) { return r.low != 0; }

}  // namespace

TEST(Files, ReadFileBytes) {
    std::string dir = Scratch("cmd_read");
    std::string empty = dir + "empty.bin", five = dir + "five.bin";
    ASSERT_TRUE(testsupport::WriteWholeFile(empty, ""));
    ASSERT_TRUE(testsupport::WriteWholeFile(five, std::string("\x01\x02\x00\x04\x05", 5)));
    bool wasNull = false;
    TakeBytes(Core(kCmdReadFileBytes, {Txt("")}), &wasNull);
    EXPECT_TRUE(wasNull);
    TakeBytes(Core(kCmdReadFileBytes, {Txt(empty.c_str())}), &wasNull);
    EXPECT_TRUE(wasNull);
    TakeBytes(Core(kCmdReadFileBytes, {Txt((dir + "missing.bin").c_str())}), &wasNull);
    EXPECT_TRUE(wasNull);
    ArgValue r = Core(kCmdReadFileBytes, {Txt(five.c_str())});
    ASSERT_NE(0u, r.low);
    EXPECT_EQ(5u, HeapSize(GetProcessHeap(), 0, P<void>(r.low)) - 8) << "exactly n + 8 bytes";
    EXPECT_EQ(std::string("\x01\x02\x00\x04\x05", 5), TakeBytes(r));

    // Readers may share the file, a writer may not.
    HANDLE reader = CreateFileA(five.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(5u, TakeBytes(Core(kCmdReadFileBytes, {Txt(five.c_str())})).size());
    CloseHandle(reader);
    HANDLE writer = CreateFileA(five.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    TakeBytes(Core(kCmdReadFileBytes, {Txt(five.c_str())}), &wasNull);
    EXPECT_TRUE(wasNull) << "a file open for writing is refused";
    CloseHandle(writer);
}

TEST(Files, WriteBytesToFileMakeDirectoryFileExists) {
    std::string dir = Scratch("cmd_write");
    std::string out = dir + "out.bin";
    ByteSet a("abc"), b("de");
    ArgValue emptyBytes = {0, 0, 0x80000005u};
    EXPECT_TRUE(BoolResult(Core(kCmdWriteBytesToFile, {Txt(out.c_str()), a.Arg(), emptyBytes, b.Arg()})));
    EXPECT_EQ("abcde", testsupport::ReadWholeFile(out));
    // An existing file is truncated.
    EXPECT_TRUE(BoolResult(Core(kCmdWriteBytesToFile, {Txt(out.c_str()), b.Arg()})));
    EXPECT_EQ("de", testsupport::ReadWholeFile(out));
    EXPECT_TRUE(BoolResult(Core(kCmdWriteBytesToFile, {Txt(out.c_str())})));
    EXPECT_EQ("", testsupport::ReadWholeFile(out));
    EXPECT_FALSE(BoolResult(Core(kCmdWriteBytesToFile, {Txt(""), a.Arg()})));
    EXPECT_FALSE(BoolResult(Core(kCmdWriteBytesToFile, {Txt((dir + "no\\such\\x.bin").c_str()), a.Arg()})));

    std::string sub = dir + "sub";
    EXPECT_TRUE(BoolResult(Core(kCmdMakeDirectory, {Txt(sub.c_str())})));
    EXPECT_FALSE(BoolResult(Core(kCmdMakeDirectory, {Txt(sub.c_str())}))) << "exists already";
    EXPECT_FALSE(BoolResult(Core(kCmdMakeDirectory, {Txt((dir + "x\\y").c_str())}))) << "one level only";

    EXPECT_TRUE(BoolResult(Core(kCmdFileExists, {Txt(out.c_str())})));
    EXPECT_TRUE(BoolResult(Core(kCmdFileExists, {Txt((dir + "*.bin").c_str())})));
    EXPECT_TRUE(BoolResult(Core(kCmdFileExists, {Txt(sub.c_str())})));
    EXPECT_FALSE(BoolResult(Core(kCmdFileExists, {Txt((dir + "*.png").c_str())})));
    EXPECT_FALSE(BoolResult(Core(kCmdFileExists, {Txt("")})));
}

TEST(Files, ChangeFileAttributesMasksTheBits) {
    std::string file = Scratch("cmd_attr") + "f.txt";
    ASSERT_TRUE(testsupport::WriteWholeFile(file, "x"));
    EXPECT_TRUE(BoolResult(Core(kCmdChangeFileAttributes, {Txt(file.c_str()), Int(0xFF)})));
    EXPECT_EQ(0x27u, GetFileAttributesA(file.c_str()));
    // Wine reports the archive bit on every plain file, so it is left out below.
    EXPECT_TRUE(BoolResult(Core(kCmdChangeFileAttributes, {Txt(file.c_str()), Int(0x12)})));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN), GetFileAttributesA(file.c_str()) & ~0x20u)
        << "the directory bit 0x10 is not passed on";
    EXPECT_TRUE(BoolResult(Core(kCmdChangeFileAttributes, {Txt(file.c_str()), Int(0)})));
    EXPECT_EQ(0u, GetFileAttributesA(file.c_str()) & 0x07u) << "0 makes the file normal";
    EXPECT_FALSE(BoolResult(Core(kCmdChangeFileAttributes, {Txt((file + ".missing").c_str()), Int(1)})));
}

TEST(Files, RunDirectoryIsTheProgramFolder) {
    std::string expected = testsupport::ProgramDirectory();
    expected.pop_back();  // no trailing backslash
    EXPECT_EQ(expected, TakeText(Core(kCmdRunDirectory)));
}

TEST(Ini, ReadWithDefaultsLeadingBlanksAndEmptyNames) {
    std::string ini = Scratch("cmd_ini") + "pz.ini";
    ASSERT_TRUE(testsupport::WriteWholeFile(ini, "[配置]\r\n标题字号=24\r\nempty=\r\n\r\n[other]\r\nk=v\r\n"));
    struct Case {
        std::string file, section, key;
        bool hasDefault;
        const char* fallback;
        const char* expected;
    } cases[] = {
        {ini, "配置", "标题字号", false, "", "24"},
        {ini, "配置", "标题字号", true, "9", "24"},
        {ini, "配置", "missing", true, "x", "x"},
        {ini, "配置", "missing", false, "", ""},
        {ini, "配置", "empty", true, "x", ""},
        {ini, " 配置", "\t 标题字号", true, "x", "24"},  // leading blanks skipped
        {" \r\n" + ini, "other", "k", false, "", "v"},
        {ini, "", "k", true, "x", ""},                    // empty section: empty, not the default
        {ini, "  ", "k", true, "x", ""},
        {ini, "other", "", true, "x", ""},
        {"", "other", "k", true, "x", ""},
        {ini + ".missing", "other", "k", true, "dflt", "dflt"},
    };
    for (const auto& c : cases) {
        std::vector<ArgValue> args = {Txt(c.file.c_str()), Txt(c.section.c_str()), Txt(c.key.c_str())};
        if (c.hasDefault) args.push_back(Txt(c.fallback));
        EXPECT_EQ(c.expected, TakeText(Core(kCmdReadIniItem, args))) << c.section << "/" << c.key;
    }
}

TEST(Ini, WriteDeleteKeysAndSectionsAndLongValues) {
    std::string ini = Scratch("cmd_ini_w") + "w.ini";
    auto read = [&](const char* section, const char* key) {
        return TakeText(Core(kCmdReadIniItem, {Txt(ini.c_str()), Txt(section), Txt(key), Txt("<none>")}));
    };
    EXPECT_TRUE(BoolResult(Core(kCmdWriteIniItem, {Txt(ini.c_str()), Txt("s"), Txt("a"), Txt("1")})));
    EXPECT_TRUE(BoolResult(Core(kCmdWriteIniItem, {Txt(ini.c_str()), Txt("s"), Txt("b"), Txt("2")})));
    EXPECT_TRUE(BoolResult(Core(kCmdWriteIniItem, {Txt(ini.c_str()), Txt("t"), Txt("c"), Txt("3")})));
    EXPECT_EQ("1", read("s", "a"));
    // Value omitted: the key goes.
    EXPECT_TRUE(BoolResult(Core(kCmdWriteIniItem, {Txt(ini.c_str()), Txt("s"), Txt("a")})));
    EXPECT_EQ("<none>", read("s", "a"));
    EXPECT_EQ("2", read("s", "b"));
    // Key and value omitted: the section goes.
    EXPECT_TRUE(BoolResult(Core(kCmdWriteIniItem, {Txt(ini.c_str()), Txt("s"), Omitted(), Omitted()})));
    EXPECT_EQ("<none>", read("s", "b"));
    EXPECT_EQ("3", read("t", "c"));
    // Values are cut to 10239 bytes.
    std::string longValue(12000, 'v');
    EXPECT_TRUE(BoolResult(Core(kCmdWriteIniItem, {Txt(ini.c_str()), Txt("t"), Txt("long"), Txt(longValue.c_str())})));
    EXPECT_EQ(10239u, read("t", "long").size());
}
