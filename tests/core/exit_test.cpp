// Exit paths and fatal reports, each in a real child process.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "support/child_process.h"

namespace {

struct Outcome {
    uint32_t exitCode;
    std::string log;
};

Outcome RunScenario(const std::string& scenario) {
    std::string log = testsupport::MakeScratchDirectory("exit") + "log.txt";
    auto r = testsupport::RunChild(testsupport::ProgramDirectory() + "core_child.exe", {scenario, log});
    EXPECT_TRUE(r.started);
    EXPECT_FALSE(r.timedOut) << scenario;
    return {r.exitCode, testsupport::ReadWholeFile(log)};
}

std::string ReportLog(int code, const std::string& text) {
    return "report code " + std::to_string(code) + "\ntext " + text + "<end>\n";
}

const uint32_t kErrorExit = 0xFFFFFFFFu;

BOOL CALLBACK CollectStaticText(HWND child, LPARAM lp) {
    wchar_t cls[32], text[512];
    GetClassNameW(child, cls, 32);
    if (lstrcmpiW(cls, L"Static") == 0 && GetWindowTextW(child, text, 512) > 0)
        *reinterpret_cast<std::wstring*>(lp) += text;
    return TRUE;
}

}  // namespace

TEST(ExitPaths, CallbacksRunOnceInOrder) {
    Outcome exit5 = RunScenario("exit5");
    EXPECT_EQ(5u, exit5.exitCode);
    EXPECT_EQ("callback 1\ncallback 2\n", exit5.log);
    Outcome normal = RunScenario("return");
    EXPECT_EQ(0u, normal.exitCode);
    EXPECT_EQ("callback 1\ncallback 2\n", normal.log);
}

// Runs the child under this process as its debugger; counts breakpoints after
// the loader's own first one.
struct Debugged {
    int breakpoints = 0;
    uint32_t exitCode = 0;
};

Debugged RunUnderDebugger(const std::string& scenario) {
    std::string log = testsupport::MakeScratchDirectory("debug") + "log.txt";
    std::string command = "\"" + testsupport::ProgramDirectory() + "core_child.exe\" " + scenario + " \"" + log + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    Debugged d;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr,
                        &si, &pi)) {
        ADD_FAILURE() << "child not started";
        return d;
    }
    bool loaderBreakSeen = false;
    DWORD start = GetTickCount();
    for (;;) {
        DEBUG_EVENT ev;
        if (!WaitForDebugEvent(&ev, 1000)) {
            if (GetTickCount() - start > 30000) {
                ADD_FAILURE() << "debugged child timed out";
                TerminateProcess(pi.hProcess, 1);
                break;
            }
            continue;
        }
        DWORD status = DBG_CONTINUE;
        if (ev.dwDebugEventCode == EXCEPTION_DEBUG_EVENT) {
            if (ev.u.Exception.ExceptionRecord.ExceptionCode == EXCEPTION_BREAKPOINT) {
                if (loaderBreakSeen) ++d.breakpoints;
                loaderBreakSeen = true;
            } else {
                status = DBG_EXCEPTION_NOT_HANDLED;
            }
        }
        if (ev.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT && ev.u.CreateProcessInfo.hFile)
            CloseHandle(ev.u.CreateProcessInfo.hFile);
        if (ev.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT && ev.u.LoadDll.hFile) CloseHandle(ev.u.LoadDll.hFile);
        bool ended = ev.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT;
        if (ended) d.exitCode = ev.u.ExitProcess.dwExitCode;
        ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, status);
        if (ended) break;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return d;
}

TEST(ExitPaths, RunMode2BreaksIntoTheDebuggerAfterTheReport) {
    // The hook keeps the message box away; the break still comes, then the end with -1.
    Debugged d = RunUnderDebugger("debugbreak");
    EXPECT_EQ(1, d.breakpoints);
    EXPECT_EQ(kErrorExit, d.exitCode);
    EXPECT_EQ(0, RunUnderDebugger("error6").breakpoints) << "run mode 0: no break";
}

TEST(ExitPaths, RegisteredObjectsAreDestroyedByKind) {
    // The window object loses its window, then is deleted; the bare handle is destroyed.
    Outcome o = RunScenario("registered");
    EXPECT_EQ(3u, o.exitCode);
    EXPECT_EQ("callback 1\ncallback 2\nhandle destroyed\nobject deleted, window gone\nhandle destroyed\n", o.log);
}

TEST(ExitPaths, ExitFromAWorkerThreadRunsOnTheMainThread) {
    Outcome o = RunScenario("worker");
    EXPECT_EQ(7u, o.exitCode);
    EXPECT_EQ("callback 1\ncallback 2\n", o.log);
}

struct ReportCase {
    const char* scenario;
    int code;
    const char* text;
};

class FatalReports : public testing::TestWithParam<ReportCase> {};

TEST_P(FatalReports, ExactTextExitMinusOneAndNoCallbacks) {
    const ReportCase& c = GetParam();
    Outcome o = RunScenario(c.scenario);
    EXPECT_EQ(kErrorExit, o.exitCode);
    EXPECT_EQ(ReportLog(c.code, c.text), o.log);
}

INSTANTIATE_TEST_SUITE_P(
    Reports, FatalReports,
    testing::Values(
        ReportCase{"error6", 6, "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n"},
        ReportCase{"alloc1000", 0, "运行时出错!\r\n\r\n错误信息：分配 1000 字节内存失败!\r\n"},
        ReportCase{"buffer4096", 0, "运行时出错!\r\n\r\n错误信息：分配 4224 字节内存失败!\r\n"},
        ReportCase{"newincommand", 0, "运行时出错!\r\n\r\n错误信息：分配 12345 字节内存失败!\r\n"},
        ReportCase{"emptyreport", 0, "运行时出错!\r\n\r\n"},
        ReportCase{"missingfunction", 0,
                   "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“kernel32.dll”中的输出命令“NoSuchFunction”\r\n"},
        ReportCase{"missingordinal", 0, "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件中的输出命令“#60000”\r\n"},
        ReportCase{"missingdll", 0,
                   "运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“no_such_library_here.dll”中的输出命令“Anything”\r\n"},
        ReportCase{"wrongconvention", 6, "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n"},
        ReportCase{"nostartwindow", 0, "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"}),
    [](const testing::TestParamInfo<ReportCase>& info) { return std::string(info.param.scenario); });

// Without a hook the report is a real message box: read it as a user would, then answer it.
TEST(FatalReportBox, ShowsTheTextUnderTheCaption) {
    ASSERT_EQ(936u, GetACP());
    std::string log = testsupport::MakeScratchDirectory("box") + "log.txt";
    std::string exe = testsupport::ProgramDirectory() + "core_child.exe";
    std::string cmd = "\"" + exe + "\" box \"" + log + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    HWND box = nullptr;
    for (int i = 0; i < 200 && !box; ++i) {
        box = FindWindowW(L"#32770", L"错误");
        if (!box) Sleep(50);
    }
    ASSERT_NE(nullptr, box);
    // The box can be found while it is still being built: read until its text is in.
    std::wstring shown;
    for (int i = 0; i < 100 && shown.find(L"错误信息") == std::wstring::npos; ++i) {
        if (i) Sleep(50);
        shown.clear();
        EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&shown));
    }
    EXPECT_NE(std::wstring::npos, shown.find(L"运行时出错!"));
    EXPECT_NE(std::wstring::npos, shown.find(L"错误代码：6"));
    EXPECT_NE(std::wstring::npos, shown.find(L"错误信息：调用DLL命令后发现堆栈错误"));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 20000));
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(kErrorExit, code);
    EXPECT_EQ("", testsupport::ReadWholeFile(log));  // no exit callback ran
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}
