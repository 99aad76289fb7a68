// The platform room: how the application reaches what it stands on. Owns the
// runtime's interface table and library commands (this file), the DLL-command
// table (dll_commands.h), files written whole (file_io.h) and the one way a
// failure is said (failure_report.h). May use: the runtime only; every other
// room may use it.
//
// Thin typed helpers through which the application reaches the Runtime: the
// interface table (memory, unit properties, runtime services), library commands
// called with ArgValue records, and DLL commands by number.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include "app/platform/dll_commands.h"
#include "runtime/core/dll_call.h"
#include "runtime/core/library.h"
#include "runtime/base/value.h"

#include "runtime/commands/commands.h"

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
// The command entry of a core command.
CommandEntry CoreCommandEntry(CoreCommand command);
// Calls a command of another library through the other-libraries slot.
ArgValue CallLibrary(LibraryPosition position, int command, std::initializer_list<ArgValue> args);

// Typed wrappers for the commands the renderer and the skin attach use.
uint32_t BytesLength(const void* byteSet);
void* ToBytes(int32_t value);
int32_t BytesGetInteger(const void* byteSet);  // kind 3, no position
void* BlankBytes(int32_t length);
void* PointerToBytes(const void* address, int32_t length);
char* RunDirectory();
// RunDirectory followed by tail, as a std::string.
std::string RunDirectoryPath(const char* tail);
// ReadFileBytes: the file's bytes as a byte set owned by the caller, or null.
void* ReadFileBytes(const char* name);
bool FileExists(const char* name);
bool WriteBytesToFile(const char* file, const void* byteSet);
bool ChangeFileAttributes(const char* file, int32_t attributes);
int32_t RoundDown(double value);
void SeedRandom();  // seed omitted: from the clock
int32_t RandomNumber(int32_t minimum, int32_t maximum);

// The library table for an application header.
const LibraryInfo* const* ApplicationLibraries(uint32_t* count);

// Owns a text or byte-set block for the length of a scope.
class Block {
public:
    explicit Block(void* p = nullptr) : p_(p) {}
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    ~Block();
    void* get() const { return p_; }
    const char* text() const { return static_cast<const char*>(p_); }
    void* release() {
        void* p = p_;
        p_ = nullptr;
        return p;
    }
    void reset(void* p);

private:
    void* p_;
};

}  // namespace app
