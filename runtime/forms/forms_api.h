// What the Runtime core asks of the form-template subsystem: reading the stored
// templates, creating windows, unit properties, events and the notifications
// that concern windows and units.
#pragma once
#include <windows.h>
#include <cstdint>
#include <vector>

namespace imprinta::forms {

// Installs the entries below into the core (its window system table).
void InstallIntoCore();

// Reads the whole template collection and registers its windows; handler
// offsets become codeBase + offset (-1 becomes 0). False: the data is unreadable.
// *reason (when given) names why it was refused.
bool ReadTemplateCollection(const uint8_t* data, uint32_t size, uintptr_t codeBase, const char** reason = nullptr);

// Creates a registered window with its units; false when the id is not
// registered or creation fails.
bool CreateRegisteredWindow(uint32_t windowId, HWND owner, bool modal);

// Whether any window of the program still exists.
bool AnyWindowAlive();

// Unit properties by (window id, unit id, property index).
uint64_t GetProperty(uint32_t windowId, uint32_t unitId, int property);
void SetProperty(uint32_t windowId, uint32_t unitId, int property, uint32_t low, uint32_t high);

// Notification codes served by windows and units; false when the code is not theirs.
bool HandleNotify(int code, uint32_t a1, uint32_t a2, uint32_t a3, int64_t* answer);

// Idle step: raises event 7 on every live window not in done; true while one wants more.
bool RaiseIdleEvents(DWORD elapsedMs, std::vector<HWND>& done);

// Keyboard navigation and accelerators before dispatch; true when consumed.
bool PreTranslate(MSG& msg);

// Exit clean-up: destroys every live window.
void DestroyAllWindows();

// --- for units ----------------------------------------------------------------

// A menu command (WM_COMMAND from the window's menu or accelerators) raises the
// click event of its menu item; false when the command is not a menu item's.
bool RaiseMenuCommand(uint32_t windowId, UINT command);

// The cursor made from a unit's pointer data, or null.
HCURSOR UnitCursor(uint32_t windowId, uint32_t unitId);

// A window's records in record order (record 0, the window, first): for focus
// movement and the default button. object is the live Unit* or null.
struct UnitInfo {
    uint32_t id;
    uint32_t type;
    void* object;
    uint32_t flags;     // bit 0 visible, bit 1 disabled, bit 2 tab stop
    uint32_t tabOrder;
    uint32_t parent;
    bool menu;
};
std::vector<UnitInfo> UnitsOfWindow(uint32_t windowId);

}  // namespace imprinta::forms
