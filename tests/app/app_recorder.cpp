// Stands in for the programs the shell starts for folders and pictures:
// appends its command line to app_record.log next to itself, then ends.
#include <windows.h>
#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string log = path;
    log = log.substr(0, log.find_last_of('\\') + 1) + "app_record.log";
    std::string line = std::string("cmd=") + GetCommandLineA() + "\n";
    if (FILE* f = fopen(log.c_str(), "ab")) {
        fwrite(line.data(), 1, line.size(), f);
        fclose(f);
    }
    return 0;
}
