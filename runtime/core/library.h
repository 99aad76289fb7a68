// Records that cross the boundary between the application, the Runtime and the
// libraries: the application header, library info blocks, type and property
// descriptors, and the shapes of command entries. Plain C++ records only.
#pragma once
#include <cstddef>
#include <cstdint>
#include "runtime/base/value.h"

#if defined(_WIN32)
#define IMPRINTA_STDCALL __stdcall
#define IMPRINTA_CDECL __cdecl
#else
#define IMPRINTA_STDCALL
#define IMPRINTA_CDECL
#endif

// A library command: entry(result record, argument count, argument records).
typedef void(IMPRINTA_CDECL* CommandEntry)(ArgValue* result, int count, ArgValue* args);

// RuntimeNotify(code, argument 1, argument 2, argument 3) -> 64-bit answer.
typedef int64_t(IMPRINTA_STDCALL* RuntimeNotifyFn)(int code, uint32_t a1, uint32_t a2, uint32_t a3);

// A library's notification function: told code 1 with the RuntimeNotify address at start-up.
typedef int32_t(IMPRINTA_STDCALL* LibraryNotifyFn)(int code, uint32_t a1, uint32_t a2);

// A unit type's entry-point lookup: number -> entry point or null.
typedef void*(IMPRINTA_STDCALL* UnitEntryLookup)(int number);

struct PropertyDescriptor {
    const char* name;
    const char* englishName;
    const char* description;
    int16_t type;
    uint16_t designerFlags;
    const char* const* choices;
};
static_assert(sizeof(PropertyDescriptor) == 20 || sizeof(void*) != 4, "property descriptor is 20 bytes");

// A data type code: library number (1-based position in the library table)
// in the high word, the type's number in its library's type table (1-based)
// in the low word.
constexpr uint32_t MakeTypeCode(uint32_t library, uint32_t number) { return library << 16 | number; }
constexpr uint32_t TypeLibrary(uint32_t code) { return code >> 16; }
constexpr uint32_t TypeNumber(uint32_t code) { return code & 0xFFFF; }

// Type descriptor flag bits the core reads (notification 2029 answers the
// kind); the unit contract names the bits the window layer reads.
enum TypeKindFlag : uint32_t {
    kTypeKindTwoBit = 0x00000004,
    kTypeKindOneBit = 0x00000040,
};

struct TypeDescriptor {
    const char* name;
    const char* englishName;
    const char* description;
    uint32_t methodCount;
    const void* methods;
    uint32_t flags;
    uint32_t bitmapId;
    uint32_t eventCount;
    const void* events;
    uint32_t propertyCount;
    const PropertyDescriptor* properties;
    UnitEntryLookup entryLookup;
    uint32_t elementCount;
    const void* elements;
};
static_assert(sizeof(TypeDescriptor) == 56 || sizeof(void*) != 4, "type descriptor is 56 bytes");

constexpr uint32_t kLibrarySignature = 0x01312D65;

// Descriptive tables a library may carry for its commands and constants. They
// name things for people (tools, listings); nothing at run time depends on them.
struct LibraryConstant {
    const char* name;
    const char* englishName;
    const char* description;
    int32_t value;
};

enum ArgumentFlag : uint32_t {
    kArgumentOptional = 1,
};

struct CommandArgumentInfo {
    const char* name;
    const char* description;
    uint32_t type;                      // basic type code (value.h)
    uint32_t flags;                     // ArgumentFlag bits
    uint32_t constantCount;             // the library constants this argument takes
    const LibraryConstant* constants;
};

struct CommandInfo {
    const char* name;
    const char* englishName;
    const char* description;
    uint32_t resultType;                // 0: no result
    uint32_t argumentCount;
    const CommandArgumentInfo* arguments;
};

struct LibraryInfo {
    uint32_t signature;          // 0
    const char* identifier;      // 4
    uint32_t major, minor;       // 8, 12
    uint32_t build;              // 16
    uint32_t versions[4];        // 20..35
    const char* displayName;     // 36
    uint32_t language;           // 40
    uint32_t zero44;             // 44
    uint32_t flags;              // 48
    uint32_t descriptive[8];     // 52..83
    uint32_t typeCount;          // 84
    const TypeDescriptor* types; // 88
    uint32_t constantCount;      // 92
    const LibraryConstant* constants;  // 96
    uint32_t commandCount;       // 100
    const CommandInfo* commandInfo;  // 104: one record per command, or null
    const CommandEntry* commands;  // 108
    uint32_t reserved112[2];     // 112..119
    LibraryNotifyFn notify;      // 120
    uint32_t reserved124[5];     // 124..143
};
static_assert(sizeof(LibraryInfo) == 144 || sizeof(void*) != 4, "library info block is 144 bytes");

// Thirteen words in read-only data, read once at start-up.
struct ApplicationHeader {
    uint32_t runMode;
    uint32_t reserved;
    uint32_t buildNumber;
    uintptr_t codeBase;
    const void* constantStart;
    uint32_t constantSize;
    const void* templateStart;
    uint32_t templateSize;
    uint32_t libraryCount;
    const LibraryInfo* const* libraries;
    uint32_t dllCommandCount;
    const char* const* dllFileNames;
    const char* const* dllFunctionNames;
};
static_assert(sizeof(ApplicationHeader) == 52 || sizeof(void*) != 4, "application header is 13 words");
