// The application's own entry and exit.
#include <cfloat>
#include "app/forms/application_header.h"

extern "C" int IMPRINTA_CDECL ProgramEntry(void) {
    CallRuntimeService(kServiceStartRuntime);
    _fpreset();
    LoadStartWindow(kMainWindowId);
    RunMessageLoop();
    return 0;
}
