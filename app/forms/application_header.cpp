#include "app/forms/application_header.h"
#include "app/platform/dll_commands.h"
#include "app/forms/main_window_handlers_list.h"
#include "runtime/core/libraries.h"

// The code base: two do-nothing routines, then one jump stub per handler.
IMPRINTA_DEFINE_CODE_BASE(MAIN_WINDOW_HANDLERS)

extern "C" {
alignas(4) const uint8_t ApplicationConstants[12] = {0, 1, 0, 0, 0, 0, 0, 0, 0};
// Generated from the form description at build time.
extern const uint8_t ApplicationFormTemplates[];
extern const uint32_t ApplicationFormTemplatesSize;
}

extern "C" const ApplicationHeader ApplicationHeaderRecord = {
    3,                // run mode
    0,                // reserved
    0x1F4AD,          // build number
    reinterpret_cast<uintptr_t>(ImprintaCodeBase),
    ApplicationConstants,
    sizeof ApplicationConstants,
    ApplicationFormTemplates,
    ApplicationFormTemplatesSize,
    kLibraryCount,
    LibraryTable,
    kDllCommandCount,
    DllFileNames,
    DllFunctionNames,
};
