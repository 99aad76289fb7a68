#include "app/platform/runtime_calls.h"
#include <windows.h>
#include <cmath>
#include <cstring>
#include "runtime/base/words.h"
#include "runtime/core/blocks.h"
#include "runtime/core/runtime_interface.h"
#include "runtime/core/libraries.h"

namespace app {

namespace {

template <typename Fn>
Fn Slot(int slot) {
    return reinterpret_cast<Fn>(const_cast<void*>(RuntimeInterfaceTable[slot]));
}

typedef void*(IMPRINTA_CDECL* AllocFn)(uint32_t);
typedef void(IMPRINTA_CDECL* FreeFn)(void*);
typedef uint64_t(IMPRINTA_CDECL* GetPropertyFn)(uint32_t, uint32_t, int, int);
typedef void(IMPRINTA_CDECL* SetPropertyFn)(uint32_t, uint32_t, int, int, uint32_t, uint32_t);
typedef uintptr_t(IMPRINTA_CDECL* ServiceFn)(int, ...);
typedef ArgValue(IMPRINTA_CDECL* CallLibraryFn)(CommandEntry, int, ArgValue*);

// Empty values handed to commands: commands never receive null texts or byte sets.
alignas(4) const char kEmptyText[1] = {0};
alignas(4) const uint32_t kEmptyByteSet[2] = {1, 0};

using imprinta::Ptr;
using imprinta::Word;

}  // namespace

// ---- interface table ------------------------------------------------------

void* Alloc(uint32_t size) { return Slot<AllocFn>(kSlotAllocMemory)(size); }
void Free(void* block) { Slot<FreeFn>(kSlotFreeMemory)(block); }

uint64_t GetProperty(uint32_t windowId, uint32_t unitId, int property) {
    return Slot<GetPropertyFn>(kSlotGetUnitProperty)(windowId, unitId, property, 0);
}
void SetProperty(uint32_t windowId, uint32_t unitId, int property, uint32_t low, uint32_t high) {
    Slot<SetPropertyFn>(kSlotSetUnitProperty)(windowId, unitId, property, 0, low, high);
}
void StartRuntime() { Slot<ServiceFn>(kSlotCallRuntimeService)(kServiceStartRuntime); }
void AddExitCallback(void(IMPRINTA_CDECL* routine)()) {
    Slot<ServiceFn>(kSlotCallRuntimeService)(kServiceAddExitCallback, routine);
}

// ---- argument records -----------------------------------------------------

ArgValue ArgInt(int32_t value) { return {static_cast<uint32_t>(value), 0, imprinta::kTypeInt}; }
ArgValue ArgBool(bool value) { return {value ? 1u : 0u, 0, imprinta::kTypeBool}; }
ArgValue ArgDouble(double value) {
    ArgValue a = {0, 0, imprinta::kTypeDouble};
    memcpy(&a.low, &value, 8);
    return a;
}
ArgValue ArgText(const char* text) { return {Word(text ? text : kEmptyText), 0, imprinta::kTypeText}; }
ArgValue ArgBytes(const void* byteSet) {
    return {Word(byteSet ? byteSet : kEmptyByteSet), 0, imprinta::kTypeBytes};
}
ArgValue ArgOmitted() { return {0, 0, 0}; }

// ---- library commands -----------------------------------------------------

CommandEntry CoreCommandEntry(CoreCommand command) { return CoreLibrary.commands[command]; }

ArgValue CallCore(CoreCommand command, std::initializer_list<ArgValue> args) {
    ArgValue records[8] = {};
    int n = 0;
    for (const ArgValue& a : args)
        if (n < 8) records[n++] = a;
    return Slot<CallLibraryFn>(kSlotCallLibraryCommand)(CoreCommandEntry(command), n, records);
}

ArgValue CallLibrary(LibraryPosition position, int command, std::initializer_list<ArgValue> args) {
    typedef ArgValue(IMPRINTA_CDECL * CallOtherFn)(int, CommandEntry, int, ArgValue*);
    ArgValue records[8] = {};
    int n = 0;
    for (const ArgValue& a : args)
        if (n < 8) records[n++] = a;
    const LibraryInfo* library = LibraryTable[position];
    return Slot<CallOtherFn>(kSlotCallLibraryCommandLib)(position, library->commands[command], n, records);
}

uint32_t BytesLength(const void* byteSet) { return CallCore(kCmdBytesLength, {ArgBytes(byteSet)}).low; }
void* ToBytes(int32_t value) { return Ptr<void>(CallCore(kCmdToBytes, {ArgInt(value)}).low); }
int32_t BytesGetInteger(const void* byteSet) {
    return static_cast<int32_t>(CallCore(kCmdBytesGetData, {ArgBytes(byteSet), ArgInt(3)}).low);
}
void* BlankBytes(int32_t length) { return Ptr<void>(CallCore(kCmdBlankBytes, {ArgInt(length)}).low); }
void* PointerToBytes(const void* address, int32_t length) {
    return Ptr<void>(CallCore(kCmdPointerToBytes, {ArgInt(static_cast<int32_t>(Word(address))), ArgInt(length)}).low);
}
char* RunDirectory() { return Ptr<char>(CallCore(kCmdRunDirectory, {}).low); }
std::string RunDirectoryPath(const char* tail) {
    char* dir = RunDirectory();
    std::string path = dir ? dir : "";
    Free(dir);
    return path + tail;
}
void* ReadFileBytes(const char* name) { return Ptr<void>(CallCore(kCmdReadFileBytes, {ArgText(name)}).low); }
bool FileExists(const char* name) { return CallCore(kCmdFileExists, {ArgText(name)}).low != 0; }
bool WriteBytesToFile(const char* file, const void* byteSet) {
    return CallCore(kCmdWriteBytesToFile, {ArgText(file), ArgBytes(byteSet)}).low != 0;
}
bool ChangeFileAttributes(const char* file, int32_t attributes) {
    return CallCore(kCmdChangeFileAttributes, {ArgText(file), ArgInt(attributes)}).low != 0;
}
int32_t RoundDown(double value) { return static_cast<int32_t>(CallCore(kCmdRoundDown, {ArgDouble(value)}).low); }
void SeedRandom() { CallCore(kCmdSeedRandom, {ArgOmitted()}); }
int32_t RandomNumber(int32_t minimum, int32_t maximum) {
    return static_cast<int32_t>(CallCore(kCmdRandomNumber, {ArgInt(minimum), ArgInt(maximum)}).low);
}

const LibraryInfo* const* ApplicationLibraries(uint32_t* count) {
    *count = kLibraryCount;
    return LibraryTable;
}

Block::~Block() { Free(p_); }
void Block::reset(void* p) {
    if (p != p_) Free(p_);
    p_ = p;
}

}  // namespace app
