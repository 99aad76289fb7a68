// Window registry: templates read at start-up, keyed by window id.
// (Template reading and window creation are filled in with the form-template format.)
#include "forms_api.h"
#include "runtime/core/runtime_state.h"

namespace imprinta::forms {

bool ReadTemplateCollection(const uint8_t*, uint32_t, uintptr_t) { return false; }
bool CreateRegisteredWindow(uint32_t, HWND, bool) { return false; }
bool AnyWindowAlive() { return false; }
uint64_t GetProperty(uint32_t, uint32_t, int) {
    ReportError("未载入欲访问窗口组件所在的窗口", 0);
}
void SetProperty(uint32_t, uint32_t, int, uint32_t, uint32_t) {
    ReportError("未载入欲访问窗口组件所在的窗口", 0);
}
bool HandleNotify(int, uint32_t, uint32_t, uint32_t, int64_t*) { return false; }
bool RaiseIdleEvents(DWORD, std::vector<HWND>&) { return false; }
bool PreTranslate(MSG&) { return false; }
void DestroyAllWindows() {}

}  // namespace imprinta::forms

namespace imprinta::forms {
HCURSOR UnitCursor(uint32_t, uint32_t) { return nullptr; }
}  // namespace imprinta::forms
