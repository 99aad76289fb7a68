// The batch job: the current texts stamped onto every template of the template folder.
#pragma once
#include <cstdint>

namespace app {

// Appends the names found under folder matching the "|"-separated patterns to
// *list (an array of texts, replaced by a larger block as it grows); without
// recurse the list is emptied first. Returns the list's element count. Once the
// main window begins to close it stops, keeping what it has found.
int32_t ListFiles(const char* folder, const char* patterns, void** list, bool withPath, bool sorted, bool recurse);
bool DirectoryExists(const char* path);
// Handles the waiting messages; a quit message stays for the main loop.
void PumpMessages();
// Waits amount x unit (0 ms, 1 s, 2 min, 3 h, else the unit is the factor in ms)
// while the window's messages keep flowing. Always true.
bool WaitPumping(int64_t amount, int32_t unit = 0);
// Whether a batch run is under way (a second start is refused meanwhile).
bool BatchRunning();

}  // namespace app
