// The core tests run inside a started Runtime with a small application header:
// a constant area, and DLL commands for the resolver tests.
#include <gtest/gtest.h>
#include "core_test_header.h"
#include "runtime/core/runtime_interface.h"

alignas(4) const uint8_t kTestConstants[64] = {0, 1, 0, 0, 0, 0, 0, 0, 0, 'a', 'b', 'c', 0,
                                              /* array literal {1, 3, 10, 20, 30} at 16 */ 0, 0, 0,
                                              1, 0, 0, 0, 3, 0, 0, 0, 10, 0, 0, 0, 20, 0, 0, 0, 30, 0, 0, 0};

static const char* const kDllFiles[kTestDllCount] = {
    "", "gdiplus", "GdiPlus.dll", "imptest.dll", "imptest.dll", "imptest.dll", "imptest_cached.dll",
};
static const char* const kDllFunctions[kTestDllCount] = {
    "MultiByteToWideChar", "GdiplusStartup", "GdipCreateSolidFill", "Variant", "#5", "AddThree", "Variant",
};

static const ApplicationHeader kHeader = {
    0, 0, 100, 0, kTestConstants, sizeof kTestConstants, nullptr, 0, 0, nullptr,
    kTestDllCount, kDllFiles, kDllFunctions,
};

static int IMPRINTA_CDECL Start() {
    CallRuntimeService(kServiceStartRuntime);
    return RUN_ALL_TESTS();
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RuntimeProcessEntry(&kHeader, Start);
}
