#include "runtime/core/window_system.h"

namespace imprinta {

namespace {

bool NoTemplates(const uint8_t*, uint32_t size, uintptr_t, const char**) { return size == 0; }
bool NoWindow(uint32_t, HWND, bool) { return false; }
bool NoneAlive() { return false; }
uint64_t NoProperty(uint32_t, uint32_t, int) { return 0; }
void IgnoreProperty(uint32_t, uint32_t, int, uint32_t, uint32_t) {}
bool NotServed(int, uint32_t, uint32_t, uint32_t, int64_t*) { return false; }
bool NoIdle(DWORD, std::vector<HWND>&) { return false; }
bool NotConsumed(MSG&) { return false; }
void NothingToDestroy() {}

WindowSystem& Installed() {
    static WindowSystem system = {NoTemplates, NoWindow,  NoneAlive,   NoProperty,      IgnoreProperty,
                                  NotServed,   NoIdle,    NotConsumed, NothingToDestroy};
    return system;
}

}  // namespace

void InstallWindowSystem(const WindowSystem& system) { Installed() = system; }
const WindowSystem& Windows() { return Installed(); }

}  // namespace imprinta
