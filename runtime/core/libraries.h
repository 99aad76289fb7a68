// The seven libraries in library-table order, and the type tables the units and
// the regular-expression library provide. The application header's library
// table points at these blocks.
#pragma once
#include "runtime/core/library.h"

constexpr uint32_t kLibraryCount = 7;
constexpr uint32_t kCoreLibraryTypeCount = 51;
constexpr uint32_t kExtendedInterfaceTypeCount = 5;
constexpr uint32_t kRegexLibraryTypeCount = 2;

extern "C" {
// Library info blocks (runtime/commands).
extern const LibraryInfo CoreLibrary;
extern const LibraryInfo RegexLibrary;
extern const LibraryInfo ApplicationInterfaceLibrary;
extern const LibraryInfo ExtendedInterfaceLibrary;
extern const LibraryInfo OperatingSystemLibrary;
extern const LibraryInfo SpecialFunctionsLibrary;
extern const LibraryInfo MultithreadLibrary;
// The table itself, in order, for application headers.
extern const LibraryInfo* const LibraryTable[kLibraryCount];

// Type tables: the core library's 51 types (the window unit types among them,
// runtime/units), the extended interface library's 5 (type 5: transparent
// label, runtime/units) and the regular-expression library's 2 (runtime/commands).
extern const TypeDescriptor CoreLibraryTypes[kCoreLibraryTypeCount];
extern const TypeDescriptor ExtendedInterfaceTypes[kExtendedInterfaceTypeCount];
extern const TypeDescriptor RegexLibraryTypes[kRegexLibraryTypeCount];
}
