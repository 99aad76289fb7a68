// The application header the Runtime reads at start-up, and the constant area.
#pragma once
#include "runtime/core/runtime_interface.h"

constexpr uint32_t kMainWindowId = 0x52010001;

extern "C" {
extern const ApplicationHeader ApplicationHeaderRecord;
// Read-only constant area: byte 0 is the empty text, bytes 1..8 the empty array {1, 0}.
extern const uint8_t ApplicationConstants[];
int IMPRINTA_CDECL ProgramEntry(void);
}

// The constant empty text and byte set that commands receive for empty values.
inline const char* EmptyTextConstant() { return reinterpret_cast<const char*>(&ApplicationConstants[0]); }
inline const void* EmptyArrayConstant() { return &ApplicationConstants[1]; }
