#include "app/forms/application_header.h"
#include "app/dll_commands.h"
#include "runtime/core/libraries.h"

extern "C" {
alignas(4) const uint8_t ApplicationConstants[12] = {0, 1, 0, 0, 0, 0, 0, 0, 0};
}

// Form template bytes and the handler code base come from the main window's form
// description (generated at build time) once it exists.
extern "C" const ApplicationHeader ApplicationHeaderRecord = {
    3,                // run mode
    0,                // reserved
    0x1F4AD,          // build number
    0,                // code base
    ApplicationConstants,
    sizeof ApplicationConstants,
    nullptr,          // form template data
    0,
    0,                // libraries
    nullptr,
    kDllCommandCount,
    DllFileNames,
    DllFunctionNames,
};
