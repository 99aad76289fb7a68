// Companion program for the exit-path tests: runs one scenario inside a started
// Runtime and records what happened in a log file.
//   core_child <scenario> <log file>
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "support/child_process.h"
#include "runtime/core/dll_call.h"
#include "runtime/core/runtime_interface.h"
#include "runtime/base/allocation_gate.h"
#include "runtime/core/runtime_state.h"
#include "runtime/units/unit_framework.h"
#include "runtime/base/byte_buffer.h"

namespace {

std::string g_log;
const char* g_scenario = "";

void Log(const std::string& line) { testsupport::AppendLine(g_log, line); }

void IMPRINTA_CDECL FirstCallback() { Log("callback 1"); }
void IMPRINTA_CDECL SecondCallback() { Log("callback 2"); }

// Records the report text and keeps the message box away.
int IMPRINTA_CDECL CaptureReport(int code, const char* message) {
    Log("report code " + std::to_string(code));
    Log("text " + imprinta::BuildErrorReportText(message, code) + "<end>");
    return 1;
}

const char* const kDllFiles[] = {"kernel32.dll", "", "", "no_such_library_here.dll"};
const char* const kDllFunctions[] = {"NoSuchFunction", "#60000", "MulDiv", "Anything"};

const ApplicationHeader kHeader = {0, 0, 1, 0, nullptr, 0, nullptr, 0, 0, nullptr, 4, kDllFiles, kDllFunctions};

// A library's window object registered for destruction at exit.
struct LoggedObject : imprinta::units::WindowObject {
    ~LoggedObject() override { Log(std::string("object deleted, window ") + (IsWindow(hwnd) ? "alive" : "gone")); }
};

LRESULT CALLBACK LoggingProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) Log("handle destroyed");
    return DefWindowProcA(h, msg, wp, lp);
}

// A window of a class of its own (registered on first use).
HWND MakeWindow(const char* className, WNDPROC proc, DWORD style, HWND parent) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    return CreateWindowExA(0, className, "", style, 0, 0, 10, 10, parent, nullptr, wc.hInstance, nullptr);
}

HWND MakeLoggingWindow() { return MakeWindow("CoreChildLogging", LoggingProc, WS_POPUP, nullptr); }

void RegisterObjects() {
    auto word = [](const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); };
    auto* object = new LoggedObject;
    object->hwnd = MakeLoggingWindow();
    RuntimeNotify(kNotifyRegisterObject, word(object), 1, 0);
    RuntimeNotify(kNotifyRegisterObject, word(MakeLoggingWindow()), 2, 0);
    RuntimeNotify(kNotifyRegisterObject, word(CreateSolidBrush(RGB(1, 2, 3))), 3, 0);
    // Of a kind the Runtime cannot know: left alone.
    RuntimeNotify(kNotifyRegisterObject, word(new std::string("library data")), 4, 0);
}

// A command whose standard container cannot get its memory.
void IMPRINTA_CDECL VectorCommand(ArgValue*, int, ArgValue*) { std::vector<char> v(12345); }

// Calls the command from a window procedure: an exception could not unwind
// through the system's message dispatch.
LRESULT CALLBACK CommandCallingProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP) CallLibraryCommand(VectorCommand, 0, nullptr);
    return DefWindowProcA(h, msg, wp, lp);
}

void CallCommandFromWindowProcedure() {
    SendMessageA(MakeWindow("ImprintaCommandCaller", CommandCallingProc, 0, HWND_MESSAGE), WM_APP, 0, 0);
}

// Refuses the next allocation of one kind, once.
template <imprinta::AllocationKind refused>
bool RefuseNext(imprinta::AllocationKind kind, size_t) {
    static bool done = false;
    if (done || kind != refused) return true;
    done = true;
    return false;
}

DWORD WINAPI ExitFromWorker(void*) {
    ExitProgram(7);
}

int IMPRINTA_CDECL Start() {
    CallRuntimeService(kServiceStartRuntime);
    CallRuntimeService(kServiceAddExitCallback, &FirstCallback);
    CallRuntimeService(kServiceAddExitCallback, &SecondCallback);
    CallRuntimeService(kServiceAddExitCallback, &FirstCallback);
    std::string s = g_scenario;
    if (s != "box") imprinta::SetErrorHook(CaptureReport);
    if (s == "exit5") ExitProgram(5);
    if (s == "return") return 0;
    if (s == "registered") RegisterObjects();
    if (s == "error6" || s == "box") RaiseRuntimeError(imprinta::kErrorStackUnbalanced);
    if (s == "alloc1000") {
        // A small fixed heap makes the 1000-byte request fail for real.
        imprinta::TheRuntime().heap = HeapCreate(HEAP_NO_SERIALIZE, 4096, 4096);
        for (;;) AllocMemory(1000);
    }
    if (s == "buffer4096") {
        imprinta::SetAllocationGate(RefuseNext<imprinta::AllocationKind::Buffer>);
        imprinta::units::ByteBuffer buffer;
        buffer.Resize(4096);  // with its 128 bytes of slack
    }
    if (s == "newincommand") {
        imprinta::SetAllocationGate(RefuseNext<imprinta::AllocationKind::Object>);
        CallCommandFromWindowProcedure();
    }
    if (s == "emptyreport") imprinta::ReportError("", imprinta::kErrorNoCode);
    if (s == "debugbreak") {
        imprinta::TheRuntime().runMode = imprinta::kRunModeDebugBreak;
        RaiseRuntimeError(imprinta::kErrorStackUnbalanced);
    }
    if (s == "missingfunction") CallDll(0, {});
    if (s == "missingordinal") CallDll(1, {});
    if (s == "missingdll") CallDll(3, {});
    if (s == "wrongconvention") {
        // MulDiv removes its own three arguments; declared caller-cleans they go twice.
        CallDll(2, {6, 7, 3}, kCallerCleans);
        Log("returned");
    }
    if (s == "nostartwindow") LoadStartWindow(0x52010001);
    if (s == "worker") {
        CloseHandle(CreateThread(nullptr, 0, ExitFromWorker, nullptr, 0, nullptr));
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
    }
    return 3;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    g_scenario = argv[1];
    g_log = argv[2];
    return RuntimeProcessEntry(&kHeader, Start);
}
