// Stands in for kernel32's CreateWaitableTimerA in a test DLL-command table:
// no timer can be created. Counts its calls. (No windows.h: its declaration of
// the same name would clash.)
typedef long LONG;

static volatile LONG g_calls;

extern "C" __declspec(dllexport) void* __stdcall CreateWaitableTimerA(void*, int, const char*) {
    __atomic_add_fetch(&g_calls, 1, __ATOMIC_SEQ_CST);
    return nullptr;
}

extern "C" __declspec(dllexport) LONG __stdcall NoTimerCalls() { return g_calls; }
