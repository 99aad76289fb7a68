#include "dll_commands.h"

#define IMPRINTA_DLL_FILE(name, file, function) file,
#define IMPRINTA_DLL_FUNCTION(name, file, function) function,
extern "C" const char* const DllFileNames[kDllCommandCount] = {IMPRINTA_DLL_COMMANDS(IMPRINTA_DLL_FILE)};
extern "C" const char* const DllFunctionNames[kDllCommandCount] = {IMPRINTA_DLL_COMMANDS(IMPRINTA_DLL_FUNCTION)};
