// The tutorial page the tutorial button opens, written next to the program.
#pragma once

namespace app {

// Writes the stored TutorialPage to RunDirectory + file unless a file of that
// name exists (an edited page is kept). Returns whether the page is there.
bool WriteTutorialPageIfMissing(const char* file);

}  // namespace app
