// The entry of imprinta_faults.exe, a test build of the program with a failing
// allocator: of the allocations counted from start-up (or from the moment the
// event "<IMPRINTA_FAULT_EVENTS>.arm" is set), the one numbered IMPRINTA_FAIL_AT
// is refused, once; every other one is served. IMPRINTA_FAIL_AT 0 refuses none
// and only counts. IMPRINTA_FAIL_SIZE instead refuses the first counted
// allocation of exactly that many bytes (a chosen buffer, found by its size). The file IMPRINTA_ALLOCATION_LOG receives "refused <n> <kind>
// <size> at <return addresses>" at the refusal and "allocations <count>" when the program ends
// normally. Everything else is the program as built.
#include <windows.h>
#include <unwind.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include "app/forms/application_header.h"
#include "runtime/base/allocation_gate.h"

namespace {

volatile LONG g_armed = 0;
volatile LONG g_count = 0;
LONG g_failAt = 0;
size_t g_failSize = 0;
volatile LONG g_sizeRefused = 0;
char g_log[MAX_PATH] = {};

std::string_view Variable(const char* name, char* buffer, DWORD size) {
    DWORD n = GetEnvironmentVariableA(name, buffer, size);
    return n > 0 && n < size ? std::string_view(buffer, n) : std::string_view();
}

// Without allocations of its own: it runs inside the refused allocation.
void AppendLog(const char* line) {
    if (!g_log[0]) return;
    HANDLE f = CreateFileA(g_log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(f, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
    CloseHandle(f);
}

struct Frames {
    static constexpr int kMax = 16;
    uintptr_t address[kMax];
    int count = 0;
};

_Unwind_Reason_Code NoteFrame(_Unwind_Context* context, void* param) {
    auto* frames = static_cast<Frames*>(param);
    if (frames->count == Frames::kMax) return _URC_END_OF_STACK;
    frames->address[frames->count++] = _Unwind_GetIP(context);
    return _URC_NO_REASON;
}

bool Gate(imprinta::AllocationKind kind, size_t size) {
    if (!g_armed) return true;
    LONG n = InterlockedIncrement(&g_count);
    bool refuse = g_failSize ? size == g_failSize && InterlockedExchange(&g_sizeRefused, 1) == 0 : n == g_failAt;
    if (!refuse) return true;
    // The call chain, for addr2line on this program, when a run goes wrong.
    Frames frames;
    _Unwind_Backtrace(NoteFrame, &frames);
    char line[96 + Frames::kMax * 12];
    int used = snprintf(line, 96, "refused %ld %d %lu at", static_cast<long>(n), static_cast<int>(kind),
                        static_cast<unsigned long>(size));
    for (int i = 0; i < frames.count; ++i)
        used += snprintf(line + used, 12, " %08lx", static_cast<unsigned long>(frames.address[i]));
    snprintf(line + used, 2, "\n");
    AppendLog(line);
    return false;
}

struct ArmEvents {
    HANDLE arm, armed;
};

DWORD WINAPI ArmWhenSignalled(void* param) {
    auto* events = static_cast<ArmEvents*>(param);
    WaitForSingleObject(events->arm, INFINITE);
    InterlockedExchange(&g_count, 0);
    InterlockedExchange(&g_armed, 1);
    SetEvent(events->armed);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char buffer[MAX_PATH];
    g_failAt = atol(std::string(Variable("IMPRINTA_FAIL_AT", buffer, sizeof buffer)).c_str());
    g_failSize = strtoul(std::string(Variable("IMPRINTA_FAIL_SIZE", buffer, sizeof buffer)).c_str(), nullptr, 10);
    std::string_view log = Variable("IMPRINTA_ALLOCATION_LOG", g_log, sizeof g_log);
    if (log.empty()) g_log[0] = 0;
    std::string_view events = Variable("IMPRINTA_FAULT_EVENTS", buffer, sizeof buffer);
    static ArmEvents arm = {};
    if (events.empty()) {
        g_armed = 1;
    } else {
        std::string base(events);
        arm.arm = OpenEventA(SYNCHRONIZE, FALSE, (base + ".arm").c_str());
        arm.armed = OpenEventA(EVENT_MODIFY_STATE, FALSE, (base + ".armed").c_str());
        if (arm.arm && arm.armed) CloseHandle(CreateThread(nullptr, 0, ArmWhenSignalled, &arm, 0, nullptr));
    }
    imprinta::SetAllocationGate(&Gate);
    int code = RuntimeProcessEntry(&ApplicationHeaderRecord, ProgramEntry);
    char line[64];
    snprintf(line, sizeof line, "allocations %ld\n", static_cast<long>(g_count));
    AppendLog(line);
    return code;
}
