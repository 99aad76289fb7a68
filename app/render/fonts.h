// GDI+ for the whole process, and the font families the program offers: what
// the window and the command line both start with.
#pragma once
#include <string>
#include <vector>

namespace app {
void StartGdiPlus();
void StopGdiPlus();
// The installed font families the font lists offer, in list order: names that
// begin with neither an ASCII letter nor "@".
std::vector<std::string> ListedFontNames();
}  // namespace app
