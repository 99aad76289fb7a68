// Platform entry: hands the application header and start routine to the Runtime.
#include <windows.h>
#include "app/forms/application_header.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return RuntimeProcessEntry(&ApplicationHeaderRecord, ProgramEntry);
}
