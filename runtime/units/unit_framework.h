// The unit framework: what every window unit type shares.
//
// A unit type is one class derived from Unit plus a plain property data struct
// (its own header, no Windows headers) and one line that turns the class into
// the type's entry-point lookup:
//
//   IMPRINTA_UNIT_ENTRY_LOOKUP(EditBoxEntryLookup, EditBoxUnit)
//
// The runtime only ever sees the numbered entry points and the unit handle
// (a Unit*); see /work/notes/framework-ready.md for a walk-through.
#pragma once
#include <windows.h>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>
#include "runtime/units/choice.h"
#include "runtime/units/unit_types.h"
#include "runtime/base/property_stream.h"
#include "runtime/base/allocation_failure.h"
#include "runtime/core/library.h"
#include "runtime/core/runtime_interface.h"

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

// ---------------------------------------------------------------------------
// Calls into the runtime. Units use Notify, never the runtime's internals;
// tests may point it elsewhere.

int64_t Notify(int code, uint32_t a1 = 0, uint32_t a2 = 0, uint32_t a3 = 0);
void SetNotifyTarget(RuntimeNotifyFn target);  // null restores RuntimeNotify

struct EventAnswer {
    bool ran = false;        // a handler ran
    bool hasResult = false;  // it returned a value
    uint64_t value = 0;
    // "Returned false": the common result rule for swallowing mouse and key messages.
    bool ReturnedFalse() const { return hasResult && static_cast<uint32_t>(value) == 0; }
    // The handler's logical answer, or dflt when it returned nothing.
    bool Logical(bool dflt) const { return hasResult ? static_cast<uint32_t>(value) != 0 : dflt; }
};

EventAnswer RaiseEvent(uint32_t formId, uint32_t unitId, int number, std::initializer_list<uint32_t> args = {});
EventAnswer RaiseTypedEvent(uint32_t formId, uint32_t unitId, int number, const TypedEventArgument* args,
                            uint32_t count);

// ---------------------------------------------------------------------------
// Shared conventions.

// Number-pad digits become digit keys, VK_SUBTRACT/VK_DECIMAL/VK_DIVIDE become 0xBD/0xBE/0xBF.
uint32_t NormaliseKey(uint32_t vk);
// 1 Ctrl, 2 Shift, 4 Alt from the current key state.
uint32_t ShiftState();
// As ShiftState, leaving out the modifier that is the key itself.
uint32_t KeyShiftState(uint32_t vk);

// 0xFF000000 -> the button-face colour, anything else unchanged.
COLORREF ResolveColour(uint32_t colour);
inline bool IsTransparentColour(uint32_t colour) { return colour == kSystemColourValue; }

// A font from a 60-byte record with the forced fields; null for any other size.
HFONT MakeFontFromRecord(const uint8_t* record, size_t size);
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

// Border choices 0..5 shared by edit box, label, picture box and drawing panel.
void BorderStyles(int choice, DWORD& style, DWORD& exStyle);
void ApplyBorder(HWND hwnd, int choice);

// Reading a value record: a text kind's text ("" for none), a data kind's bytes.
inline const char* TextOf(const PropertyValue& v) { return v.text ? v.text : ""; }
inline void StoreBytes(ByteBuffer& into, const PropertyValue& v) {
    into.Assign(v.data.bytes, v.data.bytes ? v.data.count : 0);
}
// Stores a logical value; false when the stored value stays the same.
inline bool StoreLogical(bool& field, const PropertyValue& v) {
    const bool value = v.logical != 0;
    if (value == field) return false;
    field = value;
    return true;
}
// Answering with a data kind: null and 0 when there are no bytes. The bytes stay owned by from.
inline void LendBytes(PropertyValue& v, const ByteBuffer& from) {
    v.data.bytes = from.empty() ? nullptr : from.data();
    v.data.count = static_cast<uint32_t>(from.size());
}

// Texts between the ANSI code page and UTF-16.
std::wstring AnsiToWide(const std::string& s);
std::string WideToAnsi(const std::wstring& w);

// ---------------------------------------------------------------------------
// Unit objects.

// A platform window object: wraps one window handle (also what notification
// 1007 hands out for foreign windows).
class WindowObject {
public:
    WindowObject();
    virtual ~WindowObject();
    WindowObject(const WindowObject&) = delete;
    WindowObject& operator=(const WindowObject&) = delete;
    HWND hwnd = nullptr;

    // Whether p is a window object that exists now (any value may be asked).
    static bool IsLive(const void* p);
};

// Exit clean-up of an object a library registered (notification 2012), by what
// it is: a window object loses its window and is deleted (units delete
// themselves with their window), a window handle is destroyed, a GDI handle
// deleted. Anything else is left alone: its kind cannot be known safely.
void DestroyRegisteredObject(void* object);

struct CreateParams {
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    DWORD style = 0;            // from the runtime: WS_DISABLED / WS_TABSTOP as stored
    HWND parent = nullptr;
    UINT controlId = 0;
    HMENU menu = nullptr;
    int x = 0, y = 0, width = 0, height = 0;
    uint32_t formId = 0;
    uint32_t unitId = 0;
    HWND designer = nullptr;
    bool designMode = false;
};

class Unit : public WindowObject {
public:
    Unit();
    ~Unit() override;
    Unit(const Unit&) = delete;
    Unit& operator=(const Unit&) = delete;

    uint32_t formId = 0;
    uint32_t unitId = 0;
    bool designMode = false;

    // Optional entry points; a unit class re-declares the ones it has.
    static constexpr bool kWantsKeyEntry = false;
    static constexpr bool kDefaultButtonEntry = false;
    static constexpr bool kConvertTextsEntry = true;
    static constexpr bool kIconEntry = false;
    static constexpr bool kMessageFilterEntry = false;

    // --- what a unit type provides ------------------------------------------
    virtual PropertyData& Properties() = 0;
    // Creates the control window (CreateNative or CreateOwnWindow), applies font
    // and colours. The stored data is already loaded. False: creation failed.
    virtual bool CreateControl(const CreateParams& p) = 0;
    // Entry point 4 (number is unit-relative). True: re-create the control.
    virtual bool SetProperty(int number, const PropertyValue& value, char** tip);
    // Entry point 6. Texts and data stay owned by the unit.
    virtual bool GetProperty(int number, PropertyValue& value);
    virtual bool WantsKey(UINT key);          // entry point 8
    virtual bool IsDefaultButton();           // entry point 10
    virtual bool FilterMessage(MSG& msg);     // entry point 11
    // The window unit's pre-translation of queued messages; others leave it.
    virtual bool PreTranslateMessage(MSG& msg);
    // The window unit's start state (SW_ value) when the loader shows it.
    virtual int StartShowCommand();
    // Whether the unit's cursor shows only over its client area (the window
    // unit: its frame and title keep the system's cursors); others show it
    // over every part of the control, borders and scroll bars included.
    virtual bool CursorOnlyOverClient() const { return false; }

    // Window procedure; call Unit::WindowProc for what you do not handle.
    // Base handling: WM_SETFOCUS/WM_KILLFOCUS raise -7/-8, WM_SETCURSOR shows
    // the unit's cursor, notifications from child controls are reflected to
    // their units, WM_NCDESTROY reports 2000 and deletes the object.
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // Messages Windows sends to the parent about this unit's control
    // (WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR*, WM_DRAWITEM, WM_MEASUREITEM,
    // WM_HSCROLL, WM_VSCROLL). Return true with result to answer them.
    virtual bool OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // The control's own previous procedure (subclassed) or DefWindowProcA.
    LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);

    // --- helpers for unit types ---------------------------------------------
    // Creates a native control and subclasses it.
    bool CreateNative(const char* className, DWORD exStyle, DWORD style, const char* text, const CreateParams& p);
    // Creates a window of a runtime class (registered on first use with the
    // given class style, arrow cursor, no background brush).
    bool CreateOwnWindow(const char* className, UINT classStyle, DWORD exStyle, DWORD style, const char* text,
                         const CreateParams& p);

    EventAnswer Raise(int number, std::initializer_list<uint32_t> args = {}) {
        return RaiseEvent(formId, unitId, number, args);
    }

    // Makes the font from a record (default GUI font otherwise) and sends WM_SETFONT.
    void ApplyFont(const ByteBuffer& record, bool redraw = true);
    HFONT CurrentFont() const;  // the unit's own font or the stock GUI font
    // Replaces the background brush (0xFF000000 = button face).
    void SetBackgroundColour(uint32_t colour);
    HBRUSH BackgroundBrush() const { return brush_; }

    // Stored data: reset + load / serialize into a movable global block.
    bool LoadStoredData(const uint8_t* data, size_t size);
    HGLOBAL SaveStoredData(uint32_t* size);

    // The unit whose control is this window, or null.
    static Unit* FromHandle(HWND hwnd);
    // The unit aimed at by a message to target: target or its nearest ancestor
    // that is a unit's window.
    static Unit* ForTarget(HWND target);

    bool created() const { return created_; }

protected:
    HFONT font_ = nullptr;    // owned
    HBRUSH brush_ = nullptr;  // owned
    uint32_t brushColour_ = 0;  // the colour value brush_ was made from

private:
    friend void* CreateUnitObject(Unit*, const CreateParams&);
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK OwnClassProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    void Attach(HWND h);
    void Detach();
    WNDPROC previousProc_ = nullptr;
    bool created_ = false;
    bool creating_ = false;
};

// Fires the common mouse, key, character and wheel events (-1..-6, -9..-12)
// for a queued message aimed at unit. True: the handler swallowed the message.
// A character handler's replacement is written into msg.wParam. Used by the
// window unit's pre-translation.
bool FireCommonInputEvent(Unit* unit, MSG& msg);

// Shared body of CreateUnit: loads the data, creates the control; on failure
// the half-made object is deleted and null returned.
void* CreateUnitObject(Unit* unit, const CreateParams& p);

// Turns a unit class into its entry points. The class provides:
//   using Data = <its property data struct>;     (for ConvertTexts)
//   static constexpr bool kWantsKeyEntry / kDefaultButtonEntry / kConvertTextsEntry /
//                         kIconEntry / kMessageFilterEntry   (optional; defaults below)
//   static HGLOBAL IconData(const void*, uint32_t, uint32_t*)   (only with kIconEntry)
// (the defaults live in Unit).

HGLOBAL MakeGlobalBlock(const std::vector<uint8_t>& bytes, uint32_t* size);

// Allocation failure inside an entry point ends in the out-of-memory report
// there: no exception reaches the runtime that called it.
template <class U>
struct UnitEntries {
    static void* IMPRINTA_STDCALL Create(const void* data, uint32_t size, DWORD style, HWND parent, UINT controlId,
                                         HMENU menu, int x, int y, int width, int height, uint32_t formId,
                                         uint32_t unitId, HWND designer, BOOL designMode) {
        CreateParams p;
        p.data = static_cast<const uint8_t*>(data);
        p.size = size;
        p.style = style;
        p.parent = parent;
        p.controlId = controlId;
        p.menu = menu;
        p.x = x;
        p.y = y;
        p.width = width;
        p.height = height;
        p.formId = formId;
        p.unitId = unitId;
        p.designer = designer;
        p.designMode = designMode != 0;
        return FatalOnBadAlloc([&] { return CreateUnitObject(new U(), p); });
    }
    static BOOL IMPRINTA_STDCALL SetProperty(void* unit, int number, PropertyValue* value, char** tip) {
        if (!unit || !value) return FALSE;
        return FatalOnBadAlloc([&] { return static_cast<Unit*>(unit)->SetProperty(number, *value, tip); }) ? TRUE
                                                                                                          : FALSE;
    }
    static HGLOBAL IMPRINTA_STDCALL GetAllPropertyData(void* unit, uint32_t* size) {
        if (!unit) return nullptr;
        return FatalOnBadAlloc([&] { return static_cast<Unit*>(unit)->SaveStoredData(size); });
    }
    static BOOL IMPRINTA_STDCALL GetProperty(void* unit, int number, PropertyValue* value) {
        if (!unit || !value) return FALSE;
        return FatalOnBadAlloc([&] { return static_cast<Unit*>(unit)->GetProperty(number, *value); }) ? TRUE : FALSE;
    }
    static BOOL IMPRINTA_STDCALL WantsKey(void* unit, UINT key) {
        return unit && FatalOnBadAlloc([&] { return static_cast<Unit*>(unit)->WantsKey(key); }) ? TRUE : FALSE;
    }
    static BOOL IMPRINTA_STDCALL IsDefaultButton(void* unit) {
        return unit && FatalOnBadAlloc([&] { return static_cast<Unit*>(unit)->IsDefaultButton(); }) ? TRUE : FALSE;
    }
    static BOOL IMPRINTA_STDCALL FilterMessage(void* unit, MSG* msg) {
        return unit && msg && FatalOnBadAlloc([&] { return static_cast<Unit*>(unit)->FilterMessage(*msg); }) ? TRUE
                                                                                                             : FALSE;
    }
    static HGLOBAL IMPRINTA_STDCALL ConvertTexts(const void* data, uint32_t* size, TextVisitor visitor, void* user) {
        if (!size) return nullptr;
        return FatalOnBadAlloc([&]() -> HGLOBAL {
            typename U::Data d;
            std::vector<uint8_t> out;
            if (!ConvertPropertyTexts(d, static_cast<const uint8_t*>(data), *size, visitor, user, out)) return nullptr;
            return MakeGlobalBlock(out, size);
        });
    }
    static void* IMPRINTA_STDCALL Lookup(int number) {
        switch (number) {
        case kEntryCreateUnit: return reinterpret_cast<void*>(&Create);
        case kEntrySetProperty: return reinterpret_cast<void*>(&SetProperty);
        case kEntryGetAllPropertyData: return reinterpret_cast<void*>(&GetAllPropertyData);
        case kEntryGetProperty: return reinterpret_cast<void*>(&GetProperty);
        case kEntryIconData:
            if constexpr (U::kIconEntry) return reinterpret_cast<void*>(&U::IconData);
            return nullptr;
        case kEntryWantsKey:
            if constexpr (U::kWantsKeyEntry) return reinterpret_cast<void*>(&WantsKey);
            return nullptr;
        case kEntryConvertTexts:
            if constexpr (U::kConvertTextsEntry) return reinterpret_cast<void*>(&ConvertTexts);
            return nullptr;
        case kEntryIsDefaultButton:
            if constexpr (U::kDefaultButtonEntry) return reinterpret_cast<void*>(&IsDefaultButton);
            return nullptr;
        case kEntryMessageFilter:
            if constexpr (U::kMessageFilterEntry) return reinterpret_cast<void*>(&FilterMessage);
            return nullptr;
        default: return nullptr;
        }
    }
};

}  // namespace imprinta::units

// Defines the entry-point lookup of a unit type, e.g.
//   IMPRINTA_UNIT_ENTRY_LOOKUP(EditBoxEntryLookup, EditBoxUnit)
// and unit_types.cpp names it in the type's descriptor.
#define IMPRINTA_UNIT_ENTRY_LOOKUP(Name, UnitClass)                               \
    extern "C" void* IMPRINTA_STDCALL Name(int number) {                          \
        return ::imprinta::units::UnitEntries<UnitClass>::Lookup(number);          \
    }
