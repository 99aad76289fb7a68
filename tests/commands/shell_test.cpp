// FontNameList on the test prefix's fonts; ShellExecute and OpenWebPage
// through a file type whose verbs start a recording program.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>
#include "commands_test_util.h"
#include "support/child_process.h"

using namespace cmdtest;

namespace {
int CALLBACK CollectName(const LOGFONTA* f, const TEXTMETRICA*, DWORD, LPARAM lp) {
    reinterpret_cast<std::vector<std::string>*>(lp)->push_back(f->lfFaceName);
    return 1;
}
}  // namespace

TEST(Fonts, FontNameListOnThePrefix) {
    ASSERT_EQ(936u, GetACP());
    ArgValue r = Call(ApplicationInterfaceCommands, kCmdFontNameList);
    auto* w = P<uint32_t>(r.low);
    ASSERT_NE(nullptr, w);
    ASSERT_EQ(1u, w[0]);
    std::vector<std::wstring> names;
    for (uint32_t i = 0; i < w[1]; ++i) {
        const char* name = P(w[2 + i]);
        ASSERT_NE(nullptr, name);
        EXPECT_EQ(32u, HeapSize(GetProcessHeap(), 0, const_cast<char*>(name))) << "a 32-byte block per name";
        EXPECT_LT(strlen(name), 32u);
        names.push_back(Wide(name));
    }
    for (const wchar_t* expected : {L"宋体", L"黑体", L"微软雅黑", L"楷体"})
        EXPECT_NE(names.end(), std::find(names.begin(), names.end(), expected)) << "missing a mapped CJK name";
    for (size_t i = 1; i < names.size(); ++i) EXPECT_NE(names[i - 1], names[i]) << "adjacent duplicates collapse";

    // The result runs in reverse enumeration order: the last name enumerated comes first.
    std::vector<std::string> enumerated;
    LOGFONTA query = {};
    query.lfCharSet = DEFAULT_CHARSET;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExA(dc, &query, CollectName, reinterpret_cast<LPARAM>(&enumerated), 0);
    ReleaseDC(nullptr, dc);
    ASSERT_FALSE(enumerated.empty());
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(Wide(enumerated.back()), names.front());
    EXPECT_EQ(Wide(enumerated.front()), names.back());
    imprinta::FreeArrayValue(0xA0000004u, w);
}

namespace {

std::string Recorder() { return testsupport::ProgramDirectory() + "shell_recorder.exe"; }
std::string RecordLog() { return testsupport::ProgramDirectory() + "shell_record.log"; }

// A file type whose every verb starts the recorder with the verb's name.
void RegisterTestFileType() {
    auto set = [](const std::string& key, const std::string& value) {
        HKEY k;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                                 &k, nullptr));
        RegSetValueExA(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(k);
    };
    set(".imptest", "ImprintaTestFile");
    // The default verb is print: an empty verb must reach it, "open" would not.
    set("ImprintaTestFile\\shell", "print");
    for (const char* verb : {"edit", "explore", "find", "open", "print"})
        set(std::string("ImprintaTestFile\\shell\\") + verb + "\\command",
            "\"" + Recorder() + "\" verb=" + verb + " \"%1\"");
}

// Waits until the recorder has written a line, then takes the log.
std::string TakeRecord() {
    std::string text;
    for (int i = 0; i < 200; ++i) {
        text = testsupport::ReadWholeFile(RecordLog());
        if (!text.empty() && text.back() == '\n') break;
        Sleep(50);
    }
    Sleep(50);
    DeleteFileA(RecordLog().c_str());
    return text;
}

void Shell(std::vector<ArgValue> args) { Call(OperatingSystemCommands, kCmdShellExecute, std::move(args)); }

}  // namespace

TEST(Shell, VerbTableAndDefaultVerb) {
    RegisterTestFileType();
    DeleteFileA(RecordLog().c_str());
    std::string doc = testsupport::MakeScratchDirectory("cmd_shell") + "doc.imptest";
    ASSERT_TRUE(testsupport::WriteWholeFile(doc, "x"));
    struct Case {
        ArgValue operation;
        const char* verb;
    } cases[] = {
        {Int(1), "edit"}, {Int(2), "explore"}, {Int(3), "find"}, {Int(4), "open"}, {Int(5), "print"},
        {Int(0), "print"}, {Int(6), "print"}, {Int(-1), "print"}, {Omitted(), "print"},
    };
    for (const auto& c : cases) {
        Shell({c.operation, Txt(doc.c_str())});
        std::string record = TakeRecord();
        EXPECT_NE(std::string::npos, record.find(std::string("verb=") + c.verb + " ")) << record;
        EXPECT_NE(std::string::npos, record.find("doc.imptest")) << record;
    }
}

TEST(Shell, CommandLineAndDirectory) {
    DeleteFileA(RecordLog().c_str());
    std::string dir = testsupport::MakeScratchDirectory("cmd_shell_dir");
    dir.pop_back();
    Shell({Int(4), Txt(Recorder().c_str()), Txt("alpha beta"), Txt(dir.c_str())});
    std::string record = TakeRecord();
    EXPECT_NE(std::string::npos, record.find(" alpha beta|")) << record;
    EXPECT_NE(std::string::npos, record.find("|cwd=" + dir)) << record;

    // An omitted command line passes no parameters at all.
    Shell({Int(4), Txt(Recorder().c_str())});
    record = TakeRecord();
    size_t bar = record.find("|cwd=");
    ASSERT_NE(std::string::npos, bar) << record;
    std::string commandLine = record.substr(4, bar - 4);
    while (!commandLine.empty() && commandLine.back() == ' ') commandLine.pop_back();
    EXPECT_EQ(std::string::npos, commandLine.find("alpha"));
    EXPECT_TRUE((commandLine.size() >= 4 && commandLine.compare(commandLine.size() - 4, 4, ".exe") == 0) ||
                commandLine.back() == '"')
        << commandLine;
}

TEST(Shell, OpenWebPageWithAndWithoutTheBrowserWindow) {
    RegisterTestFileType();
    DeleteFileA(RecordLog().c_str());
    std::string page = testsupport::MakeScratchDirectory("cmd_web") + "page.imptest";
    ASSERT_TRUE(testsupport::WriteWholeFile(page, "x"));
    Call(ApplicationInterfaceCommands, kCmdOpenWebPage, {Txt(page.c_str())});
    EXPECT_NE(std::string::npos, TakeRecord().find("verb=open ")) << "OpenWebPage opens with the open verb";

    HWND browser = CreateWindowExA(0, "STATIC", "Microsoft Internet Explorer", WS_POPUP, 0, 0, 1, 1, nullptr,
                                   nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, browser);
    Call(ApplicationInterfaceCommands, kCmdOpenWebPage, {Txt(page.c_str())});
    EXPECT_NE(std::string::npos, TakeRecord().find("verb=open ")) << "still opens with an owner window";
    DestroyWindow(browser);
}

TEST(Shell, LibraryDescribesItsCommandAndCommandTypes) {
    // Compared as UTF-16 so that the stored bytes are checked as code page 936 text.
    const LibraryInfo& lib = OperatingSystemLibrary;
    ASSERT_NE(nullptr, lib.commandInfo);
    const CommandInfo& info = lib.commandInfo[kCmdShellExecute];
    EXPECT_EQ(L"执行", Wide(info.name));
    EXPECT_STREQ("ShellExecute", info.englishName);
    const wchar_t* arguments[] = {L"命令类型", L"欲操作文件名", L"命令行", L"默认当前目录"};
    ASSERT_EQ(4u, info.argumentCount);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(arguments[i], Wide(info.arguments[i].name)) << i;
    const wchar_t* constants[] = {L"编辑文档", L"浏览文件夹", L"寻找文件", L"打开文件", L"打印文档"};
    const CommandArgumentInfo& operation = info.arguments[0];
    ASSERT_EQ(5u, operation.constantCount);
    ASSERT_EQ(5u, lib.constantCount);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(constants[i], Wide(operation.constants[i].name)) << i;
        EXPECT_EQ(i + 1, operation.constants[i].value);
        EXPECT_EQ(&operation.constants[i], &lib.constants[i]);
    }
}
