// A batch run from the command line, without the window.
#pragma once
#include <string>
#include <vector>

namespace app {

enum BatchExitCode { kExitAllWritten = 0, kExitSomeFailed = 1, kExitBadArguments = 2 };

// The program's arguments without its own name.
std::vector<std::wstring> ProgramArguments();
// Runs the batch the arguments ask for and returns the process's exit code.
// The Runtime must have been started.
int RunCommandLine(const std::vector<std::wstring>& args);

}  // namespace app
