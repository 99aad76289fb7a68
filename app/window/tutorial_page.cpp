#include "app/window/tutorial_page.h"
#include <string>
#include "app/platform/file_io.h"
#include "app/resources/stored_resources.h"
#include "app/platform/runtime_calls.h"

namespace app {

uint32_t WriteTutorialPageIfMissing(const char* file) {
    std::string path = RunDirectoryPath(file);
    if (PathExists(path)) return 0;
    // A lone copy of the program carries its page: write it where the button looks.
    return WriteByteSetFile(path, TutorialPage);
}

}  // namespace app
