// Paths that end the process: run in a child, check exit code and report.
#include <gtest/gtest.h>
#include <windows.h>
#include "support/child_process.h"

namespace {

struct Outcome {
    uint32_t exitCode;
    std::string log;
};

Outcome RunScenario(const std::string& scenario) {
    std::string dir = testsupport::MakeScratchDirectory("forms_" + scenario);
    std::string log = dir + "log.txt";
    auto r = testsupport::RunChild(testsupport::ProgramDirectory() + "forms_child.exe", {scenario, log});
    EXPECT_TRUE(r.started);
    EXPECT_FALSE(r.timedOut);
    return {r.exitCode, testsupport::ReadWholeFile(log)};
}

}  // namespace

TEST(FormsFatal, UnreadableTemplatesAndMissingWindowsOrUnitsEndWithTheirReport) {
    ASSERT_EQ(936u, GetACP());
    struct Case {
        const char* scenario;
        const char* log;
    };
    const Case cases[] = {
        {"truncated-template", "report 载入窗口模板数据段出错!\n"},
        {"window-not-loaded", "report 未载入欲访问窗口组件所在的窗口\n"},
        {"own-property-before-creation", "width 50\nreport 指定窗口尚未载入\n"},
        {"required-object", "optional 0\nreport 指定窗口或窗口组件不存在或尚未载入\n"},
        {"event-window-missing", "report 未找到引发事件的窗口\n"},
        {"event-unit-missing", "report 未找到引发事件的窗口组件\n"},
    };
    for (const auto& c : cases) {
        Outcome o = RunScenario(c.scenario);
        EXPECT_EQ(0xFFFFFFFFu, o.exitCode) << c.scenario;
        EXPECT_EQ(c.log, o.log) << c.scenario;
    }
}

TEST(FormsFatal, ClosingTheLastWindowEndsTheMessageLoop) {
    Outcome o = RunScenario("last-window-ends-loop");
    EXPECT_EQ(0u, o.exitCode);
    EXPECT_EQ("OnCreated\nOnDestroying\ngone\n", o.log);
}
