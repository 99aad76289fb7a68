// Process start, start-up service, start window, message loop and the end.
#include <windows.h>
#include <ole2.h>
#include <algorithm>
#include "runtime/base/allocation_failure.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/window_system.h"
#include "runtime/base/byte_buffer.h"
#include "runtime/core/window_object.h"

namespace imprinta {

Runtime& TheRuntime() {
    static Runtime runtime;
    return runtime;
}

static constexpr UINT kMsgExitFromThread = 0x83E7;
static const char kHiddenOwnerClass[] = "_QX_HideOwner";

static LRESULT CALLBACK HiddenOwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kMsgExitFromThread) ExitProgram(static_cast<int>(wp));
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// Units keep picture and font data in byte buffers: a buffer that cannot grow
// is the out-of-memory report, as for every other block of the runtime.
static void BufferAllocationFailed(size_t size) { ReportAllocationFailure(size); }

static void RecordProgramPath() {
    Runtime& rt = TheRuntime();
    char path[MAX_PATH * 2] = {};
    GetModuleFileNameA(nullptr, path, sizeof path - 1);
    std::string full(path);
    size_t slash = full.find_last_of('\\');
    if (slash == std::string::npos) {
        rt.programDirectory.clear();
        rt.runDirectory.clear();
        rt.programFileName = full;
    } else {
        rt.programDirectory = full.substr(0, slash + 1);
        rt.runDirectory = full.substr(0, slash);
        rt.programFileName = full.substr(slash + 1);
    }
}

static void CreateHiddenOwner() {
    Runtime& rt = TheRuntime();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HiddenOwnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kHiddenOwnerClass;
    RegisterClassA(&wc);
    rt.hiddenOwner = CreateWindowExA(WS_EX_TOOLWINDOW, kHiddenOwnerClass, "", WS_POPUP, 0, 0, 0, 0,
                                     nullptr, nullptr, wc.hInstance, nullptr);
    rt.mainThreadId = GetCurrentThreadId();
}

static void SizeDllTables(const ApplicationHeader& h) {
    DllCommandTables& t = TheRuntime().dll;
    t.fileNames.assign(h.dllCommandCount, nullptr);
    t.functionNames.assign(h.dllCommandCount, nullptr);
    t.addresses.assign(h.dllCommandCount, nullptr);
    t.modules.assign(h.dllCommandCount, nullptr);
    for (uint32_t i = 0; i < h.dllCommandCount; ++i) {
        t.fileNames[i] = h.dllFileNames ? h.dllFileNames[i] : "";
        t.functionNames[i] = h.dllFunctionNames ? h.dllFunctionNames[i] : "";
    }
}

// Byte buffers of unit data take their larger blocks from the process heap too.
static void* ProcessHeapAllocate(size_t size) { return HeapAlloc(GetProcessHeap(), 0, size ? size : 1); }
static void ProcessHeapRelease(void* block) { HeapFree(GetProcessHeap(), 0, block); }

void StartRuntime() {
    Runtime& rt = TheRuntime();
    static const ApplicationHeader kEmpty = {};
    const ApplicationHeader& h = rt.header ? *rt.header : kEmpty;
    rt.heap = GetProcessHeap();
    units::ByteBuffer::SetHeap({ProcessHeapAllocate, ProcessHeapRelease});
    units::ByteBuffer::SetFailureHandler(&BufferAllocationFailed);
    rt.runMode = h.runMode;
    rt.buildNumber = h.buildNumber + 1;
    if (!rt.oleInitialised) rt.oleInitialised = SUCCEEDED(OleInitialize(nullptr));
    RecordProgramPath();
    SetCurrentDirectoryA(rt.runDirectory.empty() ? "\\" : rt.runDirectory.c_str());
    CreateHiddenOwner();
    if (h.constantSize != 0) {
        rt.constantStart = static_cast<const uint8_t*>(h.constantStart);
        rt.constantEnd = rt.constantStart + h.constantSize;
    }
    SizeDllTables(h);
    rt.libraries.clear();
    rt.libraryObjects.clear();
    for (uint32_t i = 0; i < h.libraryCount; ++i) {
        const LibraryInfo* lib = h.libraries[i];
        rt.libraries.push_back(lib);
        rt.libraryObjects.push_back(nullptr);
        if (lib && lib->notify)
            lib->notify(1, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&RuntimeNotify)), 0);
    }
    rt.started = true;
    const char* reason = nullptr;
    if (h.templateSize != 0 &&
        !Windows().readTemplateCollection(static_cast<const uint8_t*>(h.templateStart), h.templateSize,
                                          h.codeBase, &reason)) {
        // The report's text is fixed; the reason goes to the debugger's output.
        if (reason) OutputDebugStringA(reason);
        ReportError("载入窗口模板数据段出错!", kErrorNoCode);
    }
}

// Pre-translation, then translate and dispatch.
static void DispatchOne(MSG& msg) {
    if (OfferForTranslation(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

bool OfferForTranslation(MSG& msg) { return Windows().preTranslate(msg); }

void PumpWaitingMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (msg.message == WM_QUIT) return;
        if (!GetMessageA(&msg, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        DispatchOne(msg);
    }
}

// One idle step; true while some window (or the platform) wants more idle time.
static bool IdleStep(LONG count) {
    Runtime& rt = TheRuntime();
    if (count == 0) {
        rt.idleStartTick = GetTickCount();
        rt.idleDone.clear();
    }
    if (count <= 1) return true;  // the platform's own idle work takes the first counts
    if (rt.eventSuppression > 0) return false;
    return Windows().raiseIdleEvents(GetTickCount() - rt.idleStartTick, rt.idleDone);
}

static void RunIdleCallbacks() {
    Runtime& rt = TheRuntime();
    for (size_t i = rt.idleCallbacks.size(); i-- > 0;) {
        if (i >= rt.idleCallbacks.size()) continue;
        IdleCallback cb = rt.idleCallbacks[i];
        if (IsWindow(cb.window)) cb.routine(cb.parameter);
        else rt.idleCallbacks.erase(rt.idleCallbacks.begin() + static_cast<ptrdiff_t>(i));
    }
}

static bool RestartsIdle(UINT message) {
    // Timer ticks and paints do not count as user activity.
    return message != WM_TIMER && message != WM_PAINT && message != 0x0118 /* WM_SYSTIMER */;
}

void RunMessageLoopMode(int mode) {
    Runtime& rt = TheRuntime();
    bool idle = true;
    LONG idleCount = 0;
    MSG msg;
    for (;;) {
        while (idle && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            RunIdleCallbacks();
            if (!IdleStep(idleCount++)) idle = false;
            if (mode == kLoopModal && !rt.modal) return;
        }
        do {
            if (mode == kLoopModal && PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message == WM_QUIT) return;
            if (!GetMessageA(&msg, nullptr, 0, 0)) {
                if (mode == kLoopModal) PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            DispatchOne(msg);
            if (mode == kLoopModal && !rt.modal) return;
            if (RestartsIdle(msg.message)) {
                idle = true;
                idleCount = 0;
            }
        } while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
}

void RunExitCleanup(int code) {
    Runtime& rt = TheRuntime();
    if (rt.mainThreadId != 0 && GetCurrentThreadId() != rt.mainThreadId) {
        if (rt.hiddenOwner && IsWindow(rt.hiddenOwner))
            SendMessageA(rt.hiddenOwner, kMsgExitFromThread, static_cast<WPARAM>(code), 0);
        if (!rt.exitUnderWay) ExitProcess(static_cast<UINT>(code));
        return;
    }
    InterlockedIncrement(&rt.eventSuppression);
    if (InterlockedExchange(&rt.exitUnderWay, 1) != 0) return;
    rt.idleCallbacks.clear();
    auto callbacks = std::move(rt.exitCallbacks);
    rt.exitCallbacks.clear();
    for (auto cb : callbacks) cb();
    ReleaseDllModules();
    rt.constantStart = rt.constantEnd = nullptr;
    if (rt.programIconLarge) DestroyIcon(rt.programIconLarge);
    if (rt.programIconSmall) DestroyIcon(rt.programIconSmall);
    rt.programIconLarge = rt.programIconSmall = nullptr;
    Windows().destroyAllWindows();
    if (rt.hiddenOwner && IsWindow(rt.hiddenOwner)) DestroyWindow(rt.hiddenOwner);
    rt.hiddenOwner = nullptr;
    auto registered = std::move(rt.registeredObjects);
    rt.registeredObjects.clear();
    for (auto& obj : registered) DestroyRegisteredObject(obj.object);
    DestroyAllPictures();
    if (rt.oleInitialised) OleUninitialize();
    rt.oleInitialised = false;
}

}  // namespace imprinta

int imprinta::RunProcess(const ApplicationHeader* header, ApplicationStartFn start) {
    return FatalOnBadAlloc([&] {
        Runtime& rt = TheRuntime();
        rt.header = header;
        rt.startRoutine = start;
        RecordProgramPath();
        int result = start ? start() : 0;
        RunExitCleanup(result);
        return result;
    });
}

using namespace imprinta;

extern "C" void IMPRINTA_CDECL ExitProgram(int code) {
    FatalOnBadAlloc([&] { RunExitCleanup(code); });
    ExitProcess(static_cast<UINT>(code));
}

extern "C" void IMPRINTA_CDECL RunMessageLoop(void) {
    Runtime& rt = TheRuntime();
    rt.loopEntered = true;
    FatalOnBadAlloc([&] {
        if (Windows().anyWindowAlive()) RunMessageLoopMode(kLoopMain);
    });
}

extern "C" void IMPRINTA_CDECL LoadStartWindow(uint32_t windowId) {
    bool created = FatalOnBadAlloc([&] { return Windows().createRegisteredWindow(windowId, nullptr, false); });
    if (!created) ReportError("载入启动窗口失败", kErrorNoCode);
}
