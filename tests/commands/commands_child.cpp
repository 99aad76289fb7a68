// Companion program for the fatal reports of the commands: runs one scenario
// inside a started Runtime and records the report through the error hook.
//   commands_child <scenario> <log file>
#include <windows.h>
#include <cstdio>
#include <string>
#include "support/child_process.h"
#include "runtime/commands/commands.h"
#include "runtime/core/blocks.h"
#include "runtime/core/runtime_interface.h"
#include "runtime/core/runtime_state.h"

namespace {

std::string g_log;
std::string g_scenario;

void Log(const std::string& line) { testsupport::AppendLine(g_log, line); }

int IMPRINTA_CDECL CaptureReport(int code, const char* message) {
    Log("report code " + std::to_string(code));
    Log(std::string("message ") + message);
    return 1;  // no message box
}

ArgValue Dbl(double d) {
    ArgValue a = {0, 0, 0x80000601u};
    memcpy(&a.low, &d, 8);
    return a;
}

const ApplicationHeader kHeader = {0, 0, 1, 0, nullptr, 0, nullptr, 0, kLibraryCount, LibraryTable, 0, nullptr,
                                   nullptr};

int IMPRINTA_CDECL Start() {
    CallRuntimeService(kServiceStartRuntime);
    imprinta::SetErrorHook(CaptureReport);
    void* bytes = imprinta::MakeByteSet("abcd", 4);
    ArgValue data = {static_cast<uint32_t>(reinterpret_cast<uintptr_t>(bytes)), 0, 0x80000005u};
    if (g_scenario == "kind11" || g_scenario == "kind0") {
        ArgValue args[] = {data, {g_scenario == "kind11" ? 11u : 0u, 0, 0x80000301u}};
        CallLibraryCommand(CoreCommands[kCmdBytesGetData], 2, args);
    } else if (g_scenario == "kind10") {
        ArgValue args[] = {data, {10, 0, 0x80000301u}};
        ArgValue r = CallLibraryCommand(CoreCommands[kCmdBytesGetData], 2, args);
        Log("read " + std::string(reinterpret_cast<const char*>(static_cast<uintptr_t>(r.low))));
    } else if (g_scenario == "divzero") {
        ArgValue args[] = {Dbl(7.0), Dbl(2.0), Dbl(0.0)};
        CallLibraryCommand(CoreCommands[kCmdIntegerDivide], 3, args);
    }
    Log("returned");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    g_scenario = argv[1];
    g_log = argv[2];
    return RuntimeProcessEntry(&kHeader, Start);
}
