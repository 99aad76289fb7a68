// A stand-in skin library: a valid DLL of the right name whose attach call
// records its arguments in skin_call.log next to itself.
#include <windows.h>
#include <cstdio>

static HMODULE g_module;

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = module;
    return TRUE;
}

extern "C" __declspec(dllexport) int __stdcall SkinH_AttachRes(const unsigned char* data, int length,
                                                              const char* text, int a, int b, int c) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(g_module, path, MAX_PATH);
    char* slash = strrchr(path, '\\');
    if (slash) strcpy(slash + 1, "skin_call.log");
    if (FILE* f = fopen(path, "ab")) {
        fprintf(f, "length=%d data=%d text=[%s] ints=%d,%d,%d\n", length, data != nullptr, text ? text : "(null)", a,
                b, c);
        fclose(f);
    }
    return 0;
}
