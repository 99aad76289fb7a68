// The single Runtime instance (internal to the runtime).
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>
#include "runtime/core/runtime_interface.h"

namespace imprinta {

struct IdleCallback {
    HWND window;
    void(IMPRINTA_STDCALL* routine)(uint32_t);
    uint32_t parameter;
};

struct DllCommandTables {
    std::vector<const char*> fileNames;
    std::vector<const char*> functionNames;
    std::vector<void*> addresses;
    std::vector<HMODULE> modules;
};

struct RegisteredObject {
    void* object;
    uint8_t tag;
};

typedef int(IMPRINTA_CDECL* ErrorHookFn)(int code, const char* message);

struct Runtime {
    const ApplicationHeader* header = nullptr;
    ApplicationStartFn startRoutine = nullptr;
    HANDLE heap = nullptr;
    uint32_t runMode = 0;             // kRunModeDebugBreak: reports break into a debugger
    uint32_t buildNumber = 0;
    bool oleInitialised = false;
    bool started = false;
    std::string programDirectory;  // with trailing backslash, recorded at process entry
    std::string runDirectory;      // without trailing backslash
    std::string programFileName;
    DWORD mainThreadId = 0;
    HWND hiddenOwner = nullptr;
    const uint8_t* constantStart = nullptr;
    const uint8_t* constantEnd = nullptr;
    DllCommandTables dll;
    std::string dllDirectory;
    std::vector<const LibraryInfo*> libraries;
    std::vector<void*> libraryObjects;
    std::vector<void(IMPRINTA_CDECL*)()> exitCallbacks;
    std::vector<IdleCallback> idleCallbacks;
    std::vector<RegisteredObject> registeredObjects;
    std::vector<void*> pictures;
    bool loopEntered = false;
    volatile LONG exitUnderWay = 0;
    volatile LONG eventSuppression = 0;
    bool modal = false;
    uint32_t eventSourceWindow = 0;
    uint32_t eventSourceUnit = 0;
    bool eventRunning = false;
    ErrorHookFn errorHook = nullptr;
    bool errorHookRunning = false;
    HICON programIconLarge = nullptr;
    HICON programIconSmall = nullptr;
    DWORD idleStartTick = 0;
    std::vector<HWND> idleDone;
};

// Run mode 2 of the application header: the error report stops at a breakpoint.
constexpr uint32_t kRunModeDebugBreak = 2;

Runtime& TheRuntime();

// The coded run-time errors (RaiseRuntimeError); each has its fixed message.
enum RuntimeErrorCode : int {
    kErrorNoCode = 0,                  // a report by message only
    kErrorIndexOutOfRange = 1,         // array index beyond the defined range
    kErrorNotNumeric = 2,              // the required numeric value was not obtained
    kErrorDimensionCount = 3,          // indices neither 1 nor the array's dimension count
    kErrorIndexBelowOne = 4,           // array indices must be 1 or more
    kErrorTypeMismatch = 5,            // data or array type mismatch
    kErrorStackUnbalanced = 6,         // the stack was off after a DLL command returned
    kErrorNoStatementValue = 7,        // a statement argument returned no basic value
    kErrorEqualityOnly = 8,            // the values compare only for (in)equality
    kErrorChoiceIndexOutOfRange = 9,   // multiple-choice index negative or past its list
    kErrorBadDimensionSize = 10,       // re-dimension sizes must be above zero
    kErrorArgumentType = 11,           // an argument of a type the command does not take
    kLastErrorCode = kErrorArgumentType
};

// Error report (never returns). code kErrorNoCode: no code line.
[[noreturn]] void ReportError(const char* message, int code);
// Builds the report text exactly as the message box shows it.
std::string BuildErrorReportText(const char* message, int code);
// Installs the optional error hook (libraries, tests).
void SetErrorHook(ErrorHookFn hook);

void* ResolveDllCommand(uint32_t number);
void ReleaseDllModules();

void RunExitCleanup(int code);
void PumpWaitingMessages();
bool OfferForTranslation(MSG& msg);
enum LoopMode : int {
    kLoopMain = 0,
    kLoopModal = 1,   // returns once the modal flag is clear
};
void RunMessageLoopMode(int mode);

bool IsConstantPointer(const void* p);

// File search (service 0): with the files-only flag, every entry that is not a
// directory; otherwise the mask, reduced to the selectable bits, picks entries
// having any of its bits, and mask 0 entries having no attribute bit at all.
constexpr uint32_t kSearchSelectableAttributes = 0x37;
bool SearchEntryMatches(uint32_t attributes, uint32_t mask, bool filesOnly);

}  // namespace imprinta

namespace imprinta {
// The Runtime's checks after a program window was destroyed: posts the quit
// message once no window is left and the loop has been entered.
void OnProgramWindowDestroyed();
// Type descriptor by library type code, or null.
const TypeDescriptor* TypeDescriptorFor(uint32_t type);
void StartRuntime();
// Runs the application: its start routine, then the exit clean-up.
int RunProcess(const ApplicationHeader* header, ApplicationStartFn start);
// Releases every picture object still registered (exit clean-up).
void DestroyAllPictures();
}  // namespace imprinta
