// The process entry the application calls: the layers joined, then the core runs it.
#include "runtime/core/runtime_interface.h"
#include "runtime/core/runtime_state.h"
#include "runtime/entry/runtime_layers.h"
#include "runtime/forms/forms_api.h"

namespace imprinta {

void InstallRuntimeLayers() { forms::InstallIntoCore(); }

}  // namespace imprinta

extern "C" int RuntimeProcessEntry(const ApplicationHeader* header, ApplicationStartFn start) {
    imprinta::InstallRuntimeLayers();
    return imprinta::RunProcess(header, start);
}
