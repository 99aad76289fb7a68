// Companion for the combo-box commands' fatal report: calls one command on a
// combo box whose window is not loaded and records the report.
//   controls_child <text|add|data> <log file>
#include <windows.h>
#include <cstdio>
#include <string>
#include "runtime/commands/commands.h"
#include "runtime/core/runtime_interface.h"
#include "runtime/core/runtime_state.h"
#include "runtime/units/unit_types.h"

namespace {

std::string g_log, g_scenario;

int IMPRINTA_CDECL CaptureReport(int, const char* message) {
    if (FILE* f = fopen(g_log.c_str(), "ab")) {
        fprintf(f, "report %s\n", message);
        fclose(f);
    }
    return 1;  // no message box
}

const ApplicationHeader kHeader = {0, 0, 1, 0, nullptr, 0, nullptr, 0, kLibraryCount, LibraryTable, 0, nullptr,
                                   nullptr};

int IMPRINTA_CDECL Start() {
    CallRuntimeService(kServiceStartRuntime);
    imprinta::SetErrorHook(CaptureReport);
    ArgValue combo = {0x52019999, 0x0E010001, imprinta::units::kUnitTypeComboBox};
    ArgValue index = {0, 0, 0x80000301u};
    ArgValue text = {static_cast<uint32_t>(reinterpret_cast<uintptr_t>("x")), 0, 0x80000004u};
    if (g_scenario == "text") {
        ArgValue a[] = {combo, index};
        CallLibraryCommand(CoreCommands[kCmdComboBoxItemText], 2, a);
    } else if (g_scenario == "add") {
        ArgValue a[] = {combo, text};
        CallLibraryCommand(CoreCommands[kCmdComboBoxAddItem], 2, a);
    } else {
        ArgValue a[] = {combo, index};
        CallLibraryCommand(CoreCommands[kCmdComboBoxItemData], 2, a);
    }
    return 0;  // not reached when the report ends the program
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    g_scenario = argv[1];
    g_log = argv[2];
    return RuntimeProcessEntry(&kHeader, Start);
}
