// The contract between the window loader and every unit type: the numbers
// that cross it (entry points, property kinds, type flags, private messages,
// common events), the records passed through entry points 4 and 6 and the
// event notifications, and the stored-data conventions both sides read (font
// records, pointer data). It lives below the units so the loader can call
// them without knowing any unit class.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include "runtime/base/property_stream.h"
#include "runtime/core/library.h"
#include "runtime/core/runtime_interface.h"
#include "runtime/forms/common_properties.h"
#include "runtime/forms/window_events.h"

namespace imprinta::units {

// ---------------------------------------------------------------------------
// Numbers that cross the runtime/unit boundary.

enum EntryPointNumber : int {
    kEntryCreateUnit = 1,
    kEntrySetProperty = 4,
    kEntryGetAllPropertyData = 5,
    kEntryGetProperty = 6,
    kEntryIconData = 7,
    kEntryWantsKey = 8,
    kEntryConvertTexts = 9,
    kEntryIsDefaultButton = 10,
    kEntryMessageFilter = 11,
};

// Property kinds (the type code of a property descriptor).
enum PropertyKind : int16_t {
    kPropInteger = 1000,
    kPropInteger2 = 1001,
    kPropDouble = 1002,
    kPropLogical = 1003,
    kPropDateTime = 1004,
    kPropText = 1005,
    kPropChoice = 1006,
    kPropPicture = 1009,
    kPropIcon = 1010,
    kPropCursor = 1011,
    kPropSound = 1012,
    kPropFont = 1013,
    kPropColour = 1014,
    kPropColourTransparent = 1015,
    kPropFileName = 1016,
    kPropBackColour = 1017,
    kPropDataSource = 1018,
    kPropDataColumn = 1020,
    kPropImageList = 1023,
    kPropCustomData = 1024,
};

// Type descriptor flag bits the runtime tests.
enum TypeFlag : uint32_t {
    kTypeHasMessageFilter = 0x00000020,
    kTypeMovesChildrenOnRecreate = 0x00000080,
    kTypeNeverRecreated = 0x00000010,
    kTypePageContainer = 0x00000100,
    kTypeStatic = 0x00002000,
    kTypeGrouping = 0x00004000,
    kTypeDefaultButton = 0x00000800,
    kTypeCreatedHidden = 0x00008000,
    kTypeSkipsTab = 0x00010000,
    kTypeDockedBar = 0x00100000,
    kTypeDragsWindow = 0x04000000,
    kTypeIsUnit = 0x00000040,       // a window unit: raises events
};

// Private messages the runtime sends to units.
enum PrivateMessage : UINT {
    kMsgLayoutBars = 0x8004,        // to the window after its units exist
    kMsgAllUnitsCreated = 0x806F,   // to every unit after creation (and to a re-created one)
    kMsgBoundSource = 0x8070,       // answer: bound data-source object or 0
    kMsgModalStarts = 0x8076,       // to every unit when its window starts running modally
};

// Common events, raised for every unit.
enum CommonEvent : int {
    kEventLeftDown = -1,
    kEventLeftUp = -2,
    kEventDoubleClick = -3,
    kEventRightDown = -4,
    kEventRightUp = -5,
    kEventMouseMove = -6,
    kEventFocusGained = -7,
    kEventFocusLost = -8,
    kEventKeyDown = -9,
    kEventKeyUp = -10,
    kEventCharacter = -11,
    kEventWheel = -12,
};

// Colour value meaning "button face" in colour properties and "transparent" in
// colour-with-transparent properties.
constexpr uint32_t kSystemColourValue = 0xFF000000u;

// The value record of entry points 4 and 6: two words.
union PropertyValue {
    struct {
        uint32_t low;
        uint32_t high;
    } words;
    int32_t integer;      // integer, choice, colour kinds
    uint32_t colour;
    BOOL logical;         // 1 = true
    const char* text;     // text kinds; owned by the unit on reading
    struct {
        const uint8_t* bytes;  // data kinds; owned by the unit on reading
        uint32_t count;
    } data;
    double real;          // 8-byte kinds (floating point, date-time)
};
static_assert(sizeof(PropertyValue) == 8 || sizeof(void*) != 4, "property value record is two words");

// Event record of RuntimeNotify 2008 (word arguments).
struct EventRecord {
    uint32_t formId;
    uint32_t unitId;      // 0 = the window
    int32_t number;
    uint32_t count;       // 0..5
    uint32_t args[5];
    uint32_t hasResult;
    uint32_t result;
};
static_assert(sizeof(EventRecord) == 44, "event record layout");

// Event record of RuntimeNotify 2031 (typed arguments).
struct TypedEventArgument {
    uint32_t low;
    uint32_t high;
    uint32_t type;
    uint32_t flags;       // bit 0 by reference (low holds the address), bit 1 array
};
struct TypedEventRecord {
    uint32_t formId;
    uint32_t unitId;
    int32_t number;
    uint32_t count;       // 0..12
    TypedEventArgument args[12];
    uint32_t hasResult;
    uint32_t resultLow;
    uint32_t resultHigh;
};
static_assert(sizeof(TypedEventRecord) == 16 + 12 * 16 + 12, "typed event record layout");

// ---------------------------------------------------------------------------
// Entry-point signatures (all __stdcall). The unit handle is a Unit*.

typedef void*(IMPRINTA_STDCALL* CreateUnitFn)(const void* data, uint32_t size, DWORD style, HWND parent,
                                              UINT controlId, HMENU menu, int x, int y, int width, int height,
                                              uint32_t formId, uint32_t unitId, HWND designer, BOOL designMode);
// True: the change needs a new control (the runtime re-creates the unit).
typedef BOOL(IMPRINTA_STDCALL* SetPropertyFn)(void* unit, int number, PropertyValue* value, char** tip);
// Movable global block trimmed to the serialized data; its size in *size. 0 on failure.
typedef HGLOBAL(IMPRINTA_STDCALL* GetAllPropertyDataFn)(void* unit, uint32_t* size);
typedef BOOL(IMPRINTA_STDCALL* GetPropertyFn)(void* unit, int number, PropertyValue* value);
// Window only: icon data (movable global block) from stored data.
typedef HGLOBAL(IMPRINTA_STDCALL* IconDataFn)(const void* data, uint32_t size, uint32_t* iconSize);
typedef BOOL(IMPRINTA_STDCALL* WantsKeyFn)(void* unit, UINT key);
// New stored data as a movable global block; *size in: old size, out: new size. 0 on failure.
typedef HGLOBAL(IMPRINTA_STDCALL* ConvertTextsFn)(const void* data, uint32_t* size, TextVisitor visitor, void* user);
typedef BOOL(IMPRINTA_STDCALL* IsDefaultButtonFn)(void* unit);
typedef BOOL(IMPRINTA_STDCALL* MessageFilterFn)(void* unit, MSG* msg);

// Looks an entry point up through a descriptor; null when the type has none.
template <class Fn>
inline Fn LookupEntry(const TypeDescriptor* type, EntryPointNumber number) {
    if (!type || !type->entryLookup) return nullptr;
    return reinterpret_cast<Fn>(type->entryLookup(number));
}

struct EventAnswer {
    bool ran = false;        // a handler ran
    bool hasResult = false;  // it returned a value
    uint64_t value = 0;
    // "Returned false": the common result rule for swallowing mouse and key messages.
    bool ReturnedFalse() const { return hasResult && static_cast<uint32_t>(value) == 0; }
    // The handler's logical answer, or dflt when it returned nothing.
    bool Logical(bool dflt) const { return hasResult ? static_cast<uint32_t>(value) != 0 : dflt; }
};

// The default GUI font's record.
void DefaultFontRecord(uint8_t out[kFontRecordSize]);

// Cursor codes 0..14 (0 = none) <-> system cursor identifiers as stored in
// pointer data. Values outside the list pass through unchanged.
uint32_t CursorCodeToSystemId(uint32_t code);
uint32_t SystemIdToCursorCode(uint32_t id);
// Cursor from stored pointer data: first word the system identifier (0 = none),
// -1 followed by cursor file bytes. Null when none. *owned says whether the
// caller must DestroyCursor it.
HCURSOR MakeCursorFromPointerData(const uint8_t* data, size_t size, bool* owned);

}  // namespace imprinta::units
