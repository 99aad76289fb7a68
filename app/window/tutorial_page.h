// The tutorial page the tutorial button opens, written next to the program.
#pragma once
#include <cstdint>

namespace app {

// Writes the stored TutorialPage to RunDirectory + file unless a file of that
// name exists (an edited page is kept). 0 when the page is there, else why not.
uint32_t WriteTutorialPageIfMissing(const char* file);

}  // namespace app
