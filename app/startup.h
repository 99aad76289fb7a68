// Pieces of the start-up that the command-line batch shares with the window.
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
