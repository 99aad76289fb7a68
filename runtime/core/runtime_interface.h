// The Runtime's interface: the 13-slot table the application calls through,
// the runtime services, and the RuntimeNotify codes libraries and units use.
#pragma once
#include <cstdint>
#include "runtime/core/library.h"

enum RuntimeSlot : int {
    kSlotRaiseRuntimeError = 0,
    kSlotCallDllCommand = 1,
    kSlotCallLibraryCommandLib = 2,
    kSlotCallLibraryCommand = 3,
    kSlotGetUnitProperty = 4,
    kSlotSetUnitProperty = 5,
    kSlotAllocMemory = 6,
    kSlotReallocMemory = 7,
    kSlotFreeMemory = 8,
    kSlotExitProgram = 9,
    kSlotRunMessageLoop = 10,
    kSlotLoadStartWindow = 11,
    kSlotCallRuntimeService = 12,
    kRuntimeSlotCount = 13,
};

enum RuntimeService : int {
    kServiceFindFile = 0,
    kServiceEndFileSearch = 1,
    kServiceMakeArrayWritable = 2,
    kServiceAddExitCallback = 3,
    kServiceGetPropertyByRef = 4,
    kServiceSetPropertyByRef = 5,
    kServiceStartRuntime = 6,
};

enum NotifyCode : int {
    kNotifyProgramIcon = 1000,
    kNotifyWindowRegistry = 1001,
    kNotifyTypeDescriptor = 1002,
    kNotifyRuntimeVersion = 1005,
    kNotifyDirectoryIntoBuffer = 1006,
    kNotifyWrapWindow = 1007,
    kNotifyDeleteWindowObject = 1008,
    kNotifyDetachWindowObject = 1009,
    kNotifyWindowObjectHandle = 1010,
    kNotifyAddIdleCallback = 1012,
    kNotifyRemoveIdleCallback = 1013,
    kNotifyIsUnitWindow = 1014,
    kNotifyDestroyed = 2000,
    kNotifyRunDirectory = 2003,
    kNotifyProgramFileName = 2004,
    kNotifyLoadWindow = 2005,
    kNotifyUnitObject = 2006,
    kNotifyUnitObjectRequired = 2007,
    kNotifyRaiseEvent = 2008,
    kNotifyCreationBegins = 2009,
    kNotifyCreationEnds = 2010,
    kNotifyObjectTag = 2011,
    kNotifyRegisterObject = 2012,
    kNotifyUnregisterObject = 2013,
    kNotifyEventSource = 2017,
    kNotifyPumpMessages = 2018,
    kNotifyRegisterPicture = 2019,
    kNotifyDestroyPicture = 2020,
    kNotifyIsPictureRegistered = 2021,
    kNotifyUnitType = 2022,
    kNotifyFreeValue = 2023,
    kNotifyAllocate = 2024,
    kNotifyRelease = 2025,
    kNotifyResize = 2026,
    kNotifyReportError = 2027,
    kNotifyEndProgram = 2028,
    kNotifyTypeKind = 2029,
    kNotifyRunMode = 2030,
    kNotifyRaiseTypedEvent = 2031,
    kNotifyWindowCount = 2032,
    kNotifyNthWindowHandle = 2033,
    kNotifyHiddenOwner = 2034,  // the hidden owner window, for windows kept off the task bar
    kNotifyUnitCursor = 2035,   // {window id, unit id}: the unit's cursor or 0
    kNotifyMenuCommand = 2036,  // {window id, command}: 1 when a menu item's click event was raised
    kNotifyUnitsOfWindow = 2037,  // {window id, std::vector<forms::UnitInfo>*}: the window's records
};

constexpr uint32_t kRuntimeVersion = 0x00030005;

// Where an event handler reports a result: handlers receive a pointer to this
// record as a hidden first argument and fill it when they return a value.
struct EventResultSlot {
    uint32_t hasResult;
    uint32_t reserved;
    uint64_t value;
};

extern "C" {
// The interface table, in slot order. Application code calls only through it.
extern const void* const RuntimeInterfaceTable[kRuntimeSlotCount];

[[noreturn]] void IMPRINTA_CDECL RaiseRuntimeError(int code);
// Naked: the DLL command number in EAX, the function's own arguments on the stack.
void IMPRINTA_CDECL CallDllCommand(void);
ArgValue IMPRINTA_CDECL CallLibraryCommandLib(int libraryPosition, CommandEntry entry, int count, ArgValue* args);
ArgValue IMPRINTA_CDECL CallLibraryCommand(CommandEntry entry, int count, ArgValue* args);
uint64_t IMPRINTA_CDECL GetUnitProperty(uint32_t windowId, uint32_t unitId, int property, int arrayIndex);
void IMPRINTA_CDECL SetUnitProperty(uint32_t windowId, uint32_t unitId, int property, int arrayIndex,
                                    uint32_t low, uint32_t high);
void* IMPRINTA_CDECL AllocMemory(uint32_t size);
void* IMPRINTA_CDECL ReallocMemory(void* block, uint32_t size);
void IMPRINTA_CDECL FreeMemory(void* block);
[[noreturn]] void IMPRINTA_CDECL ExitProgram(int code);
void IMPRINTA_CDECL RunMessageLoop(void);
void IMPRINTA_CDECL LoadStartWindow(uint32_t windowId);
uintptr_t IMPRINTA_CDECL CallRuntimeService(int number, ...);

int64_t IMPRINTA_STDCALL RuntimeNotify(int code, uint32_t a1, uint32_t a2, uint32_t a3);

// Platform start-up: records the program directory, keeps the header and runs
// the application's start routine; returns the process exit code.
typedef int(IMPRINTA_CDECL* ApplicationStartFn)(void);
int RuntimeProcessEntry(const ApplicationHeader* header, ApplicationStartFn start);
}
