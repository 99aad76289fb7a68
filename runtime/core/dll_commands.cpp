// DLL commands: resolved by DLL name and function name on first use, cached.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "runtime/base/allocation_failure.h"
#include "runtime/core/runtime_state.h"

namespace imprinta {

static const char* const kBuiltInDlls[] = {"Kernel32.dll", "Gdi32.dll", "User32.dll",
                                           "Advapi32.dll", "Mpr.dll",   "Shell32.dll"};

static FARPROC Lookup(HMODULE module, const char* function) {
    if (function[0] == '#') {
        unsigned long ordinal = strtoul(function + 1, nullptr, 10) & 0xFFFF;
        return GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
    }
    return GetProcAddress(module, function);
}

static HMODULE LoadNamedDll(const Runtime& rt, const std::string& name) {
    if (name.find(':') != std::string::npos) return LoadLibraryA(name.c_str());
    std::vector<std::string> candidates;
    if (!rt.dllDirectory.empty()) candidates.push_back(rt.dllDirectory + name);
    candidates.push_back(rt.runDirectory + "\\" + name);
    if (!rt.programDirectory.empty()) candidates.push_back(rt.programDirectory + name);
    candidates.push_back(name);
    for (const std::string& path : candidates)
        if (HMODULE m = LoadLibraryA(path.c_str())) return m;
    return nullptr;
}

[[noreturn]] static void ReportUnresolved(const char* file, const char* function) {
    std::string text;
    if (!file || !*file) {
        text = std::string("无法找到指定DLL库文件中的输出命令“") + function + "”";
    } else {
        text = std::string("无法找到指定DLL库文件“") + file + "”中的输出命令“" + function + "”";
    }
    ReportError(text.c_str(), kErrorNoCode);
}

void* ResolveDllCommand(uint32_t number) {
    Runtime& rt = TheRuntime();
    DllCommandTables& t = rt.dll;
    if (number >= t.addresses.size()) ReportUnresolved("", ("#" + std::to_string(number)).c_str());
    if (t.addresses[number]) return t.addresses[number];
    const char* function = t.functionNames[number] ? t.functionNames[number] : "";
    const char* file = t.fileNames[number] ? t.fileNames[number] : "";
    HMODULE module = nullptr;
    FARPROC address = nullptr;
    if (!*file) {
        for (const char* dll : kBuiltInDlls) {
            HMODULE m = LoadLibraryA(dll);
            if (!m) continue;
            if ((address = Lookup(m, function))) {
                module = m;
                break;
            }
            FreeLibrary(m);
        }
    } else {
        module = LoadNamedDll(rt, file);
        if (module) address = Lookup(module, function);
    }
    if (!address) {
        if (module) FreeLibrary(module);
        ReportUnresolved(file, function);
    }
    t.modules[number] = module;
    t.addresses[number] = reinterpret_cast<void*>(address);
    return t.addresses[number];
}

void ReleaseDllModules() {
    DllCommandTables& t = TheRuntime().dll;
    for (HMODULE m : t.modules)
        if (m) FreeLibrary(m);
    t.modules.clear();
    t.addresses.clear();
    t.fileNames.clear();
    t.functionNames.clear();
}

}  // namespace imprinta

// Called from the assembly below: an exception could not unwind through it.
extern "C" void* IMPRINTA_CDECL ResolveDllCommandForCall(uint32_t number) {
    return imprinta::FatalOnBadAlloc([&] { return imprinta::ResolveDllCommand(number); });
}

// CallDllCommand: the command number arrives in EAX, the DLL function's own
// arguments lie on the stack above the return address. Resolve, then jump so
// that the function returns straight to the caller.
asm(R"(
    .text
    .globl _CallDllCommand
    .def _CallDllCommand; .scl 2; .type 32; .endef
_CallDllCommand:
    push %ecx
    push %edx
    push %eax
    call _ResolveDllCommandForCall
    add $4, %esp
    pop %edx
    pop %ecx
    jmp *%eax
)");
