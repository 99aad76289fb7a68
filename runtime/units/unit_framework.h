// The unit framework: what every window unit type shares.
//
// A unit type is one class derived from Unit plus a plain property data struct
// (its own header, no Windows headers) and one line that turns the class into
// the type's entry-point lookup:
//
//   IMPRINTA_UNIT_ENTRY_LOOKUP(EditBoxEntryLookup, EditBoxUnit)
//
// The runtime only ever sees the numbered entry points of the unit contract
// (runtime/forms/unit_contract.h) and the unit handle (a Unit*).
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
#include "runtime/core/window_object.h"
#include "runtime/forms/unit_contract.h"
#include "runtime/forms/unit_object.h"
#include "runtime/core/library.h"
#include "runtime/core/runtime_interface.h"

namespace imprinta::units {

// ---------------------------------------------------------------------------
// Calls into the runtime. Units use Notify, never the runtime's internals;
// tests may point it elsewhere.

int64_t Notify(int code, uint32_t a1 = 0, uint32_t a2 = 0, uint32_t a3 = 0);
void SetNotifyTarget(RuntimeNotifyFn target);  // null restores RuntimeNotify

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
// Border choices shared by edit box, label, picture box and drawing panel.
enum BorderChoice : int {
    kBorderNone = 0,
    kBorderSunken,
    kBorderRaised,
    kBorderThin,
    kBorderSunkenInRaised,
    kBorderSingleLine,
};
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

// The selection start or length properties of the edit box and combo box:
// -1 sets the start to the end of the text (length 0) or selects all of it.
enum class SelectionEnd { Start, Length };
inline void ChangeSelection(SelectionEnd end, int32_t value, int32_t textLength, int32_t& start, int32_t& length) {
    int32_t& set = end == SelectionEnd::Start ? start : length;
    int32_t& other = end == SelectionEnd::Start ? length : start;
    set = value == -1 ? textLength : (value < 0 ? 0 : value);
    if (value == -1) other = 0;
}

// Texts between the ANSI code page and UTF-16.
std::wstring AnsiToWide(const std::string& s);
std::string WideToAnsi(const std::wstring& w);

// ---------------------------------------------------------------------------
// Unit objects.

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
    HWND hiddenOwner = nullptr;  // owns run-time windows kept off the task bar
};

class Unit : public forms::UnitObject {
public:
    Unit();
    ~Unit() override;
    Unit(const Unit&) = delete;
    Unit& operator=(const Unit&) = delete;

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
    HFONT CurrentFont() const;  // the unit's own font, else a GUI font sent to it, else the stock one
    // Replaces the background brush (0xFF000000 = button face).
    void SetBackgroundColour(uint32_t colour);
    HBRUSH BackgroundBrush() const { return brush_; }

    // Stored data: reset + load / serialize into a movable global block.
    bool LoadStoredData(const uint8_t* data, size_t size);
    HGLOBAL SaveStoredData(uint32_t* size);

    // As UnitObject's, for callers that want the unit class.
    static Unit* FromHandle(HWND hwnd) { return static_cast<Unit*>(UnitObject::FromHandle(hwnd)); }
    static Unit* ForTarget(HWND target) { return static_cast<Unit*>(UnitObject::ForTarget(target)); }

    bool created() const { return created_; }

protected:
    HFONT font_ = nullptr;    // owned
    HFONT guiFont_ = nullptr;  // sent with WM_SETFONT in place of the stock GUI font; not owned
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
        if (!p.designMode) p.hiddenOwner = reinterpret_cast<HWND>(static_cast<uintptr_t>(Notify(kNotifyHiddenOwner)));
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
