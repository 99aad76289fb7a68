// The commands' fatal reports end the program with exit code -1 and the exact text.
#include <gtest/gtest.h>
#include <windows.h>
#include "commands_test_util.h"
#include "support/child_process.h"

using namespace cmdtest;

TEST(FatalReports, BytesGetDataKindAndDivisionByZero) {
    struct Case {
        const char* scenario;
        uint32_t exitCode;
        std::wstring log;
    } cases[] = {
        {"kind11", 0xFFFFFFFFu, L"report code 0\nmessage “欲取出数据的类型”参数值无效\n"},
        {"kind0", 0xFFFFFFFFu, L"report code 0\nmessage “欲取出数据的类型”参数值无效\n"},
        {"divzero", 0xFFFFFFFFu, L"report code 0\nmessage 不能整除于零\n"},
        {"kind10", 0u, L"read abcd\nreturned\n"},  // the valid kind runs on
    };
    std::string dir = testsupport::MakeScratchDirectory("cmd_fatal");
    for (const auto& c : cases) {
        std::string log = dir + c.scenario + ".log";
        auto r = testsupport::RunChild(testsupport::ProgramDirectory() + "commands_child.exe", {c.scenario, log});
        ASSERT_TRUE(r.started);
        EXPECT_FALSE(r.timedOut) << c.scenario;
        EXPECT_EQ(c.exitCode, r.exitCode) << c.scenario;
        EXPECT_EQ(c.log, Wide(testsupport::ReadWholeFile(log))) << c.scenario;
    }
}
