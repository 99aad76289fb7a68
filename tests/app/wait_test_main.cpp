// The batch job's helpers run inside a started Runtime whose DLL-command table
// is the application's, except that CreateWaitableTimerA comes from a test DLL
// that never creates a timer.
#include <gtest/gtest.h>
#include <cstring>
#include "app/platform/dll_commands.h"
#include "app/window/program_state.h"
#include "app/platform/runtime_calls.h"
#include "runtime/core/runtime_interface.h"

static const char* g_fileNames[kDllCommandCount];

static ApplicationHeader header = {
    0, 0, 1, 0, nullptr, 0, nullptr, 0, 0, nullptr, kDllCommandCount, g_fileNames, DllFunctionNames,
};

static int IMPRINTA_CDECL Start() {
    app::StartRuntime();
    return RUN_ALL_TESTS();
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    memcpy(g_fileNames, DllFileNames, sizeof g_fileNames);
    g_fileNames[kDllCreateWaitableTimerA] = "imprinta_notimer.dll";
    header.libraries = app::ApplicationLibraries(&header.libraryCount);
    return RuntimeProcessEntry(&header, Start);
}
