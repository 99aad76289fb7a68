// Shared helpers of the library commands: the RuntimeNotify address each
// library is told at start-up, argument access and result blocks.
#pragma once
#include <windows.h>
#include "runtime/base/words.h"
#include <cstdint>
#include <cstring>
#include <string>
#include "runtime/core/library.h"
#include "runtime/base/value.h"

namespace imprinta::cmd {

// RuntimeNotify as told to the libraries (the Runtime's own until then, so the
// commands also work in programs that call them before start-up).
int64_t Notify(int code, uint32_t a1 = 0, uint32_t a2 = 0, uint32_t a3 = 0);
// The notification function of every library of this runtime: code 1 hands
// over the RuntimeNotify address.
int32_t IMPRINTA_STDCALL LibraryNotify(int code, uint32_t a1, uint32_t a2);

// Whether the optional argument i was given (its type word is not 0).
inline bool Given(int count, const ArgValue* args, int i) { return i < count && args[i].type != 0; }
// A text argument's bytes ("" for null).
inline const char* TextArg(const ArgValue& a) {
    const char* s = Ptr<const char>(a.low);
    return s ? s : "";
}
double DoubleArg(const ArgValue& a);

inline void SetDouble(ArgValue* r, double d) {
    uint64_t bits;
    memcpy(&bits, &d, 8);
    r->low = static_cast<uint32_t>(bits);
    r->high = static_cast<uint32_t>(bits >> 32);
}
// New text / byte-set results (null when empty).
void SetText(ArgValue* r, const std::string& s);
void SetBytes(ArgValue* r, const void* data, uint32_t n);

// The run-time error report: the program ends.
[[noreturn]] void Fatal(const char* message);

// The window handle of a unit argument (window id low, unit id high); the
// Runtime ends the program when the unit does not exist.
HWND UnitWindow(const ArgValue& unit);

}  // namespace imprinta::cmd
