// The renderer tests run inside a started Runtime whose application header
// carries the application's DLL command table; GDI+ is started through it.
#include <gtest/gtest.h>
#include "app/platform/dll_commands.h"
#include "app/platform/runtime_calls.h"
#include "runtime/core/runtime_interface.h"

static ApplicationHeader header = {
    0, 0, 1, 0, nullptr, 0, nullptr, 0, 0, nullptr, kDllCommandCount, DllFileNames, DllFunctionNames,
};

static int IMPRINTA_CDECL Start() {
    app::StartRuntime();
    uint32_t token = 0;
    alignas(4) static const uint8_t kStartupInput[16] = {1};
    uint32_t status = app::Dll32(kDllGdiplusStartup, {PtrWord(&token), PtrWord(kStartupInput), 0});
    if (status != 0) {
        fprintf(stderr, "GdiplusStartup failed: %u\n", status);
        return 1;
    }
    int result = RUN_ALL_TESTS();
    app::Dll(kDllGdiplusShutdown, {token});
    return result;
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    header.libraries = app::ApplicationLibraries(&header.libraryCount);
    return RuntimeProcessEntry(&header, Start);
}
