#include "app/runtime_calls.h"
#include <windows.h>
#include <cmath>
#include <cstring>
#include "runtime/core/blocks.h"
#include "runtime/core/runtime_interface.h"

// The command libraries join the build as runtime/commands/libraries.cpp; until
// then the few core commands the application needs are served by the stand-ins
// below, which follow the commands' documented behaviour and are reached the
// same way (an entry called through CallLibraryCommand with ArgValue records).
#if __has_include("runtime/commands/libraries.cpp")
#include "runtime/core/libraries.h"
#define IMPRINTA_HAVE_COMMAND_LIBRARIES 1
#else
#define IMPRINTA_HAVE_COMMAND_LIBRARIES 0
#endif

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

uint32_t Word(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }
template <typename T>
T* Pointer(uint32_t w) {
    return reinterpret_cast<T*>(static_cast<uintptr_t>(w));
}
void SetPointerResult(ArgValue* result, const void* p) { result->low = Word(p); }
bool Given(const ArgValue& a) { return a.type != 0; }

// ---- stand-ins for core library commands ----------------------------------

void IMPRINTA_CDECL StandInBytesLength(ArgValue* result, int, ArgValue* args) {
    result->low = ByteSetLength(Pointer<void>(args[0].low));
}

void IMPRINTA_CDECL StandInToBytes(ArgValue* result, int, ArgValue* args) {
    const ArgValue& a = args[0];
    if (imprinta::IsArrayType(a.type) || !imprinta::IsBasicType(a.type)) return;
    const void* data = &a.low;
    uint32_t n = 4;
    switch (a.type) {
    case imprinta::kTypeText:
        data = Pointer<const char>(a.low);
        n = data ? static_cast<uint32_t>(strlen(static_cast<const char*>(data))) : 0;
        break;
    case imprinta::kTypeBytes:
        data = ByteSetData(Pointer<const void>(a.low));
        n = ByteSetLength(Pointer<const void>(a.low));
        break;
    case imprinta::kTypeByte: n = 1; break;
    case imprinta::kTypeShort: n = 2; break;
    case imprinta::kTypeLong: case imprinta::kTypeDouble: case imprinta::kTypeDateTime: n = 8; break;
    default: break;
    }
    SetPointerResult(result, imprinta::MakeByteSet(data, n));
}

void IMPRINTA_CDECL StandInBytesGetData(ArgValue* result, int count, ArgValue* args) {
    static const uint32_t kWidths[] = {0, 1, 2, 4, 8, 4, 8, 4, 8, 4, 0};
    static const uint32_t kTypes[] = {0, imprinta::kTypeByte, imprinta::kTypeShort, imprinta::kTypeInt,
                                      imprinta::kTypeLong, imprinta::kTypeFloat, imprinta::kTypeDouble,
                                      imprinta::kTypeBool, imprinta::kTypeDateTime, imprinta::kTypeSubroutine,
                                      imprinta::kTypeText};
    const void* bytes = Pointer<const void>(args[0].low);
    int32_t kind = static_cast<int32_t>(args[1].low);
    if (kind < 1 || kind > 10) {
        RuntimeNotify(kNotifyReportError, Word("“欲取出数据的类型”参数值无效"), 0, 0);
        return;  // not reached: the report ends the program
    }
    result->type = kTypes[kind];
    uint32_t length = ByteSetLength(bytes);
    int64_t start = 0;
    if (count > 2 && Given(args[2])) {
        uint32_t position = imprinta::IsArrayType(args[2].type) ? *Pointer<uint32_t>(args[2].low) : args[2].low;
        start = static_cast<int64_t>(static_cast<int32_t>(position)) - 1;
    }
    uint32_t available = (start < 0 || start >= length) ? 0 : length - static_cast<uint32_t>(start);
    const uint8_t* from = available ? ByteSetData(bytes) + start : nullptr;
    if (kind == 10) {
        const void* zero = available ? memchr(from, 0, available) : nullptr;
        uint32_t n = zero ? static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - from) : available;
        SetPointerResult(result, imprinta::CopyTextN(reinterpret_cast<const char*>(from), static_cast<int>(n)));
        return;
    }
    uint8_t buffer[8] = {};
    memcpy(buffer, from ? from : buffer, available < kWidths[kind] ? available : kWidths[kind]);
    memcpy(&result->low, buffer, 4);
    memcpy(&result->high, buffer + 4, 4);
    if (kind == 7) result->low = result->low != 0, result->high = 0;
}

void IMPRINTA_CDECL StandInBlankBytes(ArgValue* result, int, ArgValue* args) {
    int32_t n = static_cast<int32_t>(args[0].low);
    if (n > 0) SetPointerResult(result, imprinta::MakeByteSet(nullptr, static_cast<uint32_t>(n)));
}

void IMPRINTA_CDECL StandInRunDirectory(ArgValue* result, int, ArgValue*) {
    const char* dir = reinterpret_cast<const char*>(
        static_cast<uintptr_t>(RuntimeNotify(kNotifyRunDirectory, 0, 0, 0)));
    SetPointerResult(result, imprinta::CopyText(dir));
}

void IMPRINTA_CDECL StandInFileExists(ArgValue* result, int, ArgValue* args) {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(Pointer<const char>(args[0].low), &data);
    if (h == INVALID_HANDLE_VALUE) return;
    FindClose(h);
    result->low = 1;
}

void IMPRINTA_CDECL StandInWriteBytesToFile(ArgValue* result, int count, ArgValue* args) {
    const char* file = Pointer<const char>(args[0].low);
    if (!*file) return;
    HANDLE h = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    bool ok = true;
    for (int i = 1; i < count && ok; ++i) {
        const void* bytes = Pointer<const void>(args[i].low);
        DWORD n = ByteSetLength(bytes), written = 0;
        if (n) ok = WriteFile(h, ByteSetData(bytes), n, &written, nullptr) && written == n;
    }
    CloseHandle(h);
    result->low = ok;
}

void IMPRINTA_CDECL StandInChangeFileAttributes(ArgValue* result, int, ArgValue* args) {
    result->low = SetFileAttributesA(Pointer<const char>(args[0].low), args[1].low & 0x27) != 0;
}

void IMPRINTA_CDECL StandInRoundDown(ArgValue* result, int, ArgValue* args) {
    double v;
    memcpy(&v, &args[0].low, 8);
    double whole;
    double fraction = std::modf(v, &whole);
    if (std::fabs(fraction) > 0.999999999999) v = v >= 0 ? whole + 1 : whole - 1;
    result->low = static_cast<uint32_t>(static_cast<int64_t>(std::floor(v)));
}

thread_local uint32_t randomState = 1;
uint32_t seedCounter = 0;

void IMPRINTA_CDECL StandInSeedRandom(ArgValue*, int count, ArgValue* args) {
    if (count > 0 && Given(args[0])) {
        randomState = args[0].low;
        return;
    }
    uint32_t seed = GetTickCount() + seedCounter;
    randomState = seed;
    seedCounter += (seed & 0xFF) + 100;
}

void IMPRINTA_CDECL StandInRandomNumber(ArgValue* result, int count, ArgValue* args) {
    int64_t low = count > 0 && Given(args[0]) ? static_cast<int32_t>(args[0].low) : 0;
    int64_t high = count > 1 && Given(args[1]) ? static_cast<int32_t>(args[1].low) : 2147483647;
    if (low < 0) low = 0;
    if (high < 0) high = 0;
    if (low > high) std::swap(low, high);
    if (low == high) {
        result->low = static_cast<uint32_t>(low);
        return;
    }
    int64_t span = high - low;
    if (span > 2147483646) span = 2147483646;
    randomState = randomState * 214013u + 2531011u;
    uint32_t r = (randomState >> 16) & 0x7FFF;
    result->low = static_cast<uint32_t>(low + r % (span + 1));
}

void IMPRINTA_CDECL StandInPointerToBytes(ArgValue* result, int, ArgValue* args) {
    int32_t n = static_cast<int32_t>(args[1].low);
    if (n > 0) SetPointerResult(result, imprinta::MakeByteSet(Pointer<const void>(args[0].low), static_cast<uint32_t>(n)));
}

CommandEntry StandIn(CoreCommand command) {
    switch (command) {
    case kCmdBytesLength: return StandInBytesLength;
    case kCmdToBytes: return StandInToBytes;
    case kCmdBytesGetData: return StandInBytesGetData;
    case kCmdBlankBytes: return StandInBlankBytes;
    case kCmdRunDirectory: return StandInRunDirectory;
    case kCmdFileExists: return StandInFileExists;
    case kCmdWriteBytesToFile: return StandInWriteBytesToFile;
    case kCmdChangeFileAttributes: return StandInChangeFileAttributes;
    case kCmdRoundDown: return StandInRoundDown;
    case kCmdSeedRandom: return StandInSeedRandom;
    case kCmdRandomNumber: return StandInRandomNumber;
    case kCmdPointerToBytes: return StandInPointerToBytes;
    default: return nullptr;
    }
}

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

CommandEntry CoreCommandEntry(CoreCommand command) {
#if IMPRINTA_HAVE_COMMAND_LIBRARIES
    if (CoreLibrary.commands && static_cast<uint32_t>(command) < CoreLibrary.commandCount &&
        CoreLibrary.commands[command])
        return CoreLibrary.commands[command];
#endif
    return StandIn(command);
}

ArgValue CallCore(CoreCommand command, std::initializer_list<ArgValue> args) {
    ArgValue records[8];
    int n = 0;
    for (const ArgValue& a : args)
        if (n < 8) records[n++] = a;
    CommandEntry entry = CoreCommandEntry(command);
    if (!entry) return ArgValue{0, 0, 0};
    return Slot<CallLibraryFn>(kSlotCallLibraryCommand)(entry, n, records);
}

uint32_t BytesLength(const void* byteSet) { return CallCore(kCmdBytesLength, {ArgBytes(byteSet)}).low; }
void* ToBytes(int32_t value) { return Pointer<void>(CallCore(kCmdToBytes, {ArgInt(value)}).low); }
int32_t BytesGetInteger(const void* byteSet) {
    return static_cast<int32_t>(CallCore(kCmdBytesGetData, {ArgBytes(byteSet), ArgInt(3)}).low);
}
void* BlankBytes(int32_t length) { return Pointer<void>(CallCore(kCmdBlankBytes, {ArgInt(length)}).low); }
void* PointerToBytes(const void* address, int32_t length) {
    return Pointer<void>(CallCore(kCmdPointerToBytes, {ArgInt(static_cast<int32_t>(Word(address))), ArgInt(length)}).low);
}
char* RunDirectory() { return Pointer<char>(CallCore(kCmdRunDirectory, {}).low); }
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
#if IMPRINTA_HAVE_COMMAND_LIBRARIES
    *count = kLibraryCount;
    return LibraryTable;
#else
    *count = 0;
    return nullptr;
#endif
}

}  // namespace app
