// The forms layer's entries in the core's window system table.
#include "runtime/core/window_system.h"
#include "runtime/forms/forms_api.h"

namespace imprinta::forms {

void InstallIntoCore() {
    InstallWindowSystem({ReadTemplateCollection, CreateRegisteredWindow, AnyWindowAlive, GetProperty, SetProperty,
                         HandleNotify, RaiseIdleEvents, PreTranslate, DestroyAllWindows});
}

}  // namespace imprinta::forms
