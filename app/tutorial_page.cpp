#include "app/tutorial_page.h"
#include <string>
#include "app/resources/stored_resources.h"
#include "app/runtime_calls.h"

namespace app {

bool WriteTutorialPageIfMissing(const char* file) {
    std::string path = RunDirectoryPath(file);
    if (FileExists(path.c_str())) return true;
    // A lone copy of the program carries its page: write it where the button looks.
    WriteBytesToFile(path.c_str(), TutorialPage);
    return FileExists(path.c_str());
}

}  // namespace app
