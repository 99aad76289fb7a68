// Starting companion programs from tests: real child processes under Wine.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct ChildResult {
    bool started = false;
    bool timedOut = false;
    uint32_t exitCode = 0;
};

// Directory of the running test program (with trailing backslash).
std::string ProgramDirectory();
// A fresh, empty scratch directory under the system temp folder.
std::string MakeScratchDirectory(const std::string& tag);
// Runs exe with the arguments (quoted as needed), waiting up to timeoutMs.
ChildResult RunChild(const std::string& exe, const std::vector<std::string>& args, uint32_t timeoutMs = 30000,
                     const std::string& workingDirectory = "");
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
// Appends one line; the file is opened per line so a crashing child keeps what it wrote.
void AppendLine(const std::string& path, const std::string& line);
bool CopyFileTo(const std::string& from, const std::string& to);

}  // namespace testsupport
