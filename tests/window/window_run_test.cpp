// A real window from a form template, in its own process: placement, Esc,
// closing through events 12 and 1, and the end of the program.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>
#include "support/child_process.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

BOOL CALLBACK CountButtons(HWND child, LPARAM lp) {
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Button") == 0 && IsWindowVisible(child)) ++*reinterpret_cast<int*>(lp);
    return TRUE;
}

}  // namespace

TEST(WindowRun, EscClosesTheLastWindowAndTheProgramEnds) {
    std::string log = testsupport::MakeScratchDirectory("window") + "log.txt";
    std::string exe = testsupport::ProgramDirectory() + "window_child.exe";
    std::string cmd = "\"" + exe + "\" esc \"" + log + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));

    HWND hwnd = nullptr;
    for (int i = 0; i < 200 && !hwnd; ++i) {
        hwnd = FindWindowW(L"RZWindow", L"窗口测试");
        if (!hwnd) Sleep(50);
    }
    ASSERT_NE(nullptr, hwnd);
    Sleep(200);

    // Fixed border, caption, the template's size, centred on the screen, three units.
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(420, r.right - r.left);
    EXPECT_EQ(300, r.bottom - r.top);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 420) / 2, r.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 300) / 2, r.top);
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    EXPECT_EQ(WS_CAPTION, style & WS_CAPTION);
    EXPECT_EQ(0, style & WS_THICKFRAME);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    int buttons = 0;
    EnumChildWindows(hwnd, CountButtons, reinterpret_cast<LPARAM>(&buttons));
    EXPECT_EQ(3, buttons);

    // First Esc: event 12 refuses, the window stays.
    PostMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    Sleep(400);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(pi.hProcess, 0));
    // Second Esc closes it; the last window gone, the loop and the program end.
    PostMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 15000));
    DWORD code = 0xDEAD;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(0u, code);

    std::vector<std::string> lines = Lines(testsupport::ReadWholeFile(log));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ((std::vector<std::string>{"event 0", "event 3", "event 4"}),
              std::vector<std::string>(lines.begin(), lines.begin() + 3));
    std::vector<std::string> closing;
    for (const auto& l : lines)
        if (l == "event 12" || l == "event 1" || l == "event 2") closing.push_back(l);
    EXPECT_EQ((std::vector<std::string>{"event 12", "event 12", "event 1", "event 2"}), closing);
    // Activation: 8 once, before the first 5. Idle: three events, then declined.
    auto first = [&](const char* what) { return std::find(lines.begin(), lines.end(), what) - lines.begin(); };
    EXPECT_EQ(1, std::count(lines.begin(), lines.end(), "event 8"));
    EXPECT_LT(first("event 8"), first("event 5"));
    EXPECT_LT(first("event 5"), static_cast<long>(lines.size()));
    EXPECT_EQ(3, std::count(lines.begin(), lines.end(), "event 7"));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ("loop ended", lines[lines.size() - 2]);
    EXPECT_EQ("exit callback", lines.back());
}
