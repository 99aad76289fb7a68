// The driver ends without the process teardown: under Wine, tearing down a
// process that has walked other processes' windows has crashed now and then
// after every test had finished, which would turn a passing run into a failure.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // The pointer off every window: resting over the preview it would raise the
    // preview's tooltip over what the tests capture from the screen.
    SetCursorPos(0, 0);
    int result = RUN_ALL_TESTS();
    fflush(stdout);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
