// The stored form-template format: reader into template objects and writer from
// a readable description. Plain C++ (no Windows headers): the host generator
// and fuzzers use it too.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace imprinta::forms {

constexpr uint32_t kWindowRecordId = 0x06010000;
constexpr uint32_t kMenuItemType = 0x00010003;
// Handlers are 8-byte jump stubs after the code base: handler k is at 8 * k.
constexpr uint32_t kHandlerStubSize = 8;
constexpr uint32_t kNoHandlerOffset = 0xFFFFFFFFu;

inline bool IsMenuItemId(uint32_t id) { return (id >> 24) == 0x26; }
// A value names a unit only when its low 24 bits and bits 24..27 are non-zero.
inline bool IsValidUnitId(uint32_t id) { return (id & 0x00FFFFFFu) != 0 && (id & 0x0F000000u) != 0; }

enum UnitFlag : uint32_t {
    kUnitVisible = 1,
    kUnitDisabled = 2,
    kUnitTabStop = 4,
};
enum MenuFlag : uint32_t {
    kMenuHidden = 1,
    kMenuDisabled = 2,
    kMenuChecked = 4,
};

// The menu record's word: its shortcut key in the low 16 bits (virtual key in
// bits 0..7, 0 = none, with the modifier bits below) and its level in bits
// 16..23: 0 on the menu bar, n in the sub-menu of the nearest earlier item of
// level n - 1.
enum MenuKeyModifier : uint32_t {
    kMenuKeyAlt = 0x1000,
    kMenuKeyCtrl = 0x2000,
    kMenuKeyShift = 0x4000,
};
constexpr uint32_t kMenuKeyVirtualKey = 0xFF;
constexpr uint32_t kMenuLevelShift = 16;
constexpr uint32_t kMenuLevelMask = 0xFF;
inline uint32_t MenuShortcut(uint32_t menuWord) { return menuWord & 0xFFFF; }
inline uint32_t MenuLevel(uint32_t menuWord) { return (menuWord >> kMenuLevelShift) & kMenuLevelMask; }
inline uint32_t MakeMenuWord(uint32_t level, uint32_t shortcut) {
    return (level & kMenuLevelMask) << kMenuLevelShift | (shortcut & 0xFFFF);
}

struct EventBinding {
    int32_t event;
    // Stored: offset from the code base (kNoHandlerOffset = none). After
    // ResolveHandlers: the handler's address, 0 = none.
    uintptr_t handler;
};

struct UnitRecord {
    uint32_t id = 0;
    uint32_t type = 0;
    uint32_t eventLink = 0;
    std::array<uint32_t, 4> reserved1 = {};
    std::string name;
    std::string remark;
    void* object = nullptr;   // run time: the live unit object
    int32_t left = 0, top = 0, width = 0, height = 0;
    void* cursor = nullptr;   // run time: cursor made from the pointer data
    uint32_t parent = 0;
    std::vector<uint32_t> children;
    std::vector<uint8_t> pointerData;
    std::string tag;
    uint32_t reserved2 = 0;
    uint32_t flags = 0;
    uint32_t tabOrder = 0;
    std::vector<EventBinding> bindings;
    std::array<uint8_t, 20> reserved3 = {};
    std::vector<uint8_t> block;   // unit-specific block (for menu items: bytes after the handler)
    // Menu item records only.
    bool menu = false;
    uint32_t menuWord = 0;
    uint32_t menuFlags = 0;
    std::string caption;
    uintptr_t clickHandler = kNoHandlerOffset;
    bool ownsCursor = false;  // run time: cursor made from file bytes, destroyed with the record
};

struct TemplateWindow {
    uint32_t id = 0;
    uint32_t word1 = 0, word2 = 0;
    std::string name1, name2;
    std::vector<UnitRecord> units;   // record 0 is the window's own record
    std::vector<UnitRecord> saved;   // copy taken at creation, restored on destruction
    bool hasSaved = false;
    // Run time only.
    void* menuBar = nullptr;
    void* accelerators = nullptr;   // installed once the window's units are shown
    bool modal = false;
};

// Why a template collection was refused.
enum class TemplateError : int {
    None = 0,
    TruncatedIndex,        // the window index or its length is cut short
    IndexSize,             // the index length is not a multiple of 8
    TruncatedWindow,       // a window's fields or unit table run past the data
    NoWindowRecord,        // a window with no units, not even its own record
    UnitCountBeyondTable,  // more units than the unit table can list
    BadUnitId,             // a unit id outside the id classes
    RecordOffset,          // a record offset outside the record area
    RecordLength,          // a record length beyond the record area
    TruncatedRecord,       // a record's fields run past its length
    TrailingData,          // bytes after the last window
};
// A short English description of each reason.
const char* TemplateErrorText(TemplateError error);

// Reads the whole template collection. Every length, count and offset is
// checked against the data; truncated or inconsistent data (including bytes
// left over after the last window) is refused with its reason and `out`
// left empty. Handlers stay offsets.
TemplateError ParseTemplates(const uint8_t* data, size_t size, std::vector<TemplateWindow>& out);
// The same as true or false, with the reason's text in *error on failure.
bool ParseTemplateCollection(const uint8_t* data, size_t size, std::vector<TemplateWindow>& out,
                             std::string* error = nullptr);

// Offsets to addresses: kNoHandlerOffset becomes 0, anything else codeBase + offset.
void ResolveHandlers(std::vector<TemplateWindow>& windows, uintptr_t codeBase);

// --- writer -------------------------------------------------------------------

struct BindingDescription {
    int32_t event;
    int32_t handlerIndex;   // index into the handler list, -1 = none
};

struct UnitDescription {
    uint32_t id = 0;
    uint32_t type = 0;
    uint32_t eventLink = 0;
    std::string name;
    std::string remark;
    int32_t left = 0, top = 0, width = 0, height = 0;
    uint32_t parent = 0;
    std::vector<uint32_t> children;
    std::vector<uint8_t> pointerData = {0, 0, 0, 0};
    std::string tag;
    uint32_t flags = kUnitVisible | kUnitTabStop;
    uint32_t tabOrder = 0;
    std::vector<BindingDescription> bindings;
    std::vector<uint8_t> block;   // unit-specific block bytes
    // Menu items (id 0x26xxxxxx): caption, flags and click handler instead of the above.
    std::string caption;
    uint32_t menuFlags = 0;
    uint32_t menuWord = 0;   // MakeMenuWord(level, shortcut)
    int32_t clickHandlerIndex = -1;
};

struct WindowDescription {
    uint32_t id = 0;
    uint32_t word1 = 0, word2 = 0;
    std::string name1, name2;
    std::vector<UnitDescription> units;   // units[0]: the window's own record
};

std::vector<uint8_t> WriteTemplateCollection(const std::vector<WindowDescription>& windows);

inline uint32_t HandlerOffset(int32_t index) {
    return index < 0 ? kNoHandlerOffset : static_cast<uint32_t>(index) * kHandlerStubSize;
}

}  // namespace imprinta::forms
