// Stands in for the programs the shell starts: appends its command line and
// current directory to shell_record.log next to itself, then ends.
#include <windows.h>
#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string log = path;
    log = log.substr(0, log.find_last_of('\\') + 1) + "shell_record.log";
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    std::string line = std::string("cmd=") + GetCommandLineA() + "|cwd=" + cwd + "\n";
    FILE* f = fopen(log.c_str(), "ab");
    if (f) {
        fwrite(line.data(), 1, line.size(), f);
        fclose(f);
    }
    return 0;
}
