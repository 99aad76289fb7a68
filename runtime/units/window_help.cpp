// F1 help: the window's help file opened with WinHelp, closed with the window.
#include <string>
#include "runtime/units/window_unit.h"

namespace imprinta::units {

namespace {

// The program's own file name with its extension replaced by "hlp"; empty
// when the runtime gives no name.
std::string ProgramHelpFile() {
    const char* name = reinterpret_cast<const char*>(static_cast<uintptr_t>(Notify(kNotifyProgramFileName)));
    std::string file = name ? name : "";
    size_t slash = file.find_last_of("\\/");
    size_t dot = file.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) file.resize(dot);
    if (file.empty()) return file;
    return file + ".hlp";
}

}  // namespace

bool WindowUnit::OpenHelp() {
    std::string file = props_.helpFile.empty() ? ProgramHelpFile() : props_.helpFile;
    if (file.empty()) return false;
    if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    if (props_.helpContext != 0)
        WinHelpA(hwnd, file.c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(static_cast<uint32_t>(props_.helpContext)));
    else
        WinHelpA(hwnd, file.c_str(), HELP_FINDER, 0);
    helpOpened_ = true;
    return true;
}

void WindowUnit::CloseHelp() {
    if (!helpOpened_) return;
    WinHelpA(hwnd, nullptr, HELP_QUIT, 0);
    helpOpened_ = false;
}

}  // namespace imprinta::units
