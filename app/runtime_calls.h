// Thin typed helpers through which the application reaches the Runtime: the
// interface table (memory, unit properties, runtime services), library commands
// called with ArgValue records, and DLL commands by number.
#pragma once
#include <cstdint>
#include <initializer_list>
#include "app/dll_commands.h"
#include "runtime/core/dll_call.h"
#include "runtime/core/library.h"
#include "runtime/core/value.h"

#if __has_include("runtime/commands/commands.h")
#include "runtime/commands/commands.h"
#else
// Positions in the core library's command table.
enum CoreCommand : int {
    kCmdReadFileBytes = 0,
    kCmdComboBoxItemText = 1,
    kCmdToInteger = 2,
    kCmdBytesLength = 3,
    kCmdToBytes = 4,
    kCmdBytesGetData = 5,
    kCmdBlankBytes = 6,
    kCmdRunDirectory = 7,
    kCmdReadIniItem = 8,
    kCmdMakeDirectory = 9,
    kCmdComboBoxAddItem = 10,
    kCmdFileExists = 11,
    kCmdWriteBytesToFile = 12,
    kCmdChangeFileAttributes = 13,
    kCmdComboBoxItemData = 14,
    kCmdRoundDown = 15,
    kCmdSeedRandom = 16,
    kCmdRandomNumber = 17,
    kCmdMakeShort = 18,
    kCmdLoadPicture = 19,
    kCmdToText = 20,
    kCmdRightText = 21,
    kCmdSplitText = 22,
    kCmdIntegerDivide = 23,
    kCmdToUpper = 24,
    kCmdCompareText = 25,
    kCmdProcessEvents = 26,
    kCmdPointerToBytes = 27,
    kCmdBitAnd = 28,
    kCmdWriteIniItem = 29,
    kCoreCommandCount = 30,
};

#endif

namespace app {

// --- Interface table -------------------------------------------------------
void* Alloc(uint32_t size);       // failure is the fatal allocation report
void Free(void* block);           // ignores null and constant-area blocks
uint64_t GetProperty(uint32_t windowId, uint32_t unitId, int property);
void SetProperty(uint32_t windowId, uint32_t unitId, int property, uint32_t low, uint32_t high = 0);
void StartRuntime();                                   // runtime service 6
void AddExitCallback(void(IMPRINTA_CDECL* routine)());  // runtime service 3

// --- DLL commands ----------------------------------------------------------
// Arguments are the 32-bit words as the function takes them (floats through
// FloatWord, pointers through PtrWord); every declared function cleans its own
// arguments. Returns EDX:EAX.
inline uint64_t Dll(DllCommand command, std::initializer_list<uint32_t> words) {
    return CallDll(command, words);
}
inline uint32_t Dll32(DllCommand command, std::initializer_list<uint32_t> words) {
    return static_cast<uint32_t>(CallDll(command, words));
}

// --- Argument records --------------------------------------------------------
ArgValue ArgInt(int32_t value);
ArgValue ArgBool(bool value);
ArgValue ArgDouble(double value);
ArgValue ArgText(const char* text);       // null passes the empty text constant
ArgValue ArgBytes(const void* byteSet);   // null passes the empty byte-set constant
ArgValue ArgOmitted();

// --- Core library commands -------------------------------------------------
// Positions in the core library's command table (CoreCommand, kCmd...).
// Calls a core library command through CallLibraryCommand; the result record
// carries the command's result words (blocks in it belong to the caller).
ArgValue CallCore(CoreCommand command, std::initializer_list<ArgValue> args);
// The command entry used for a core command (null when none is available).
CommandEntry CoreCommandEntry(CoreCommand command);

// Typed wrappers for the commands the renderer and the skin attach use.
uint32_t BytesLength(const void* byteSet);
void* ToBytes(int32_t value);
int32_t BytesGetInteger(const void* byteSet);  // kind 3, no position
void* BlankBytes(int32_t length);
void* PointerToBytes(const void* address, int32_t length);
char* RunDirectory();
bool FileExists(const char* name);
bool WriteBytesToFile(const char* file, const void* byteSet);
bool ChangeFileAttributes(const char* file, int32_t attributes);
int32_t RoundDown(double value);
void SeedRandom();  // seed omitted: from the clock
int32_t RandomNumber(int32_t minimum, int32_t maximum);

// The library table for an application header (null and 0 until the command
// libraries are part of the build).
const LibraryInfo* const* ApplicationLibraries(uint32_t* count);

}  // namespace app
