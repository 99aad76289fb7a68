// What the core asks of the window layer above it: templates, windows, unit
// properties, the notifications windows and units serve, idle events and
// keyboard pre-translation. The forms layer installs its entries at start-up
// (runtime/entry); until then the core behaves as a program without windows.
#pragma once
#include <windows.h>
#include <cstdint>
#include <vector>

namespace imprinta {

struct WindowSystem {
    // The stored template collection; false: unreadable, *reason says why.
    bool (*readTemplateCollection)(const uint8_t* data, uint32_t size, uintptr_t codeBase, const char** reason);
    bool (*createRegisteredWindow)(uint32_t windowId, HWND owner, bool modal);
    bool (*anyWindowAlive)();
    uint64_t (*getProperty)(uint32_t windowId, uint32_t unitId, int property);
    void (*setProperty)(uint32_t windowId, uint32_t unitId, int property, uint32_t low, uint32_t high);
    // False when the code is not one windows and units serve.
    bool (*handleNotify)(int code, uint32_t a1, uint32_t a2, uint32_t a3, int64_t* answer);
    // True while a window wants more idle time.
    bool (*raiseIdleEvents)(DWORD elapsedMs, std::vector<HWND>& done);
    // True when the message was consumed.
    bool (*preTranslate)(MSG& msg);
    void (*destroyAllWindows)();
};

void InstallWindowSystem(const WindowSystem& system);
const WindowSystem& Windows();

}  // namespace imprinta
