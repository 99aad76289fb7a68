// GDI+ for the whole process, and the font families the program offers: what
// the window and the command line both start with.
#pragma once
#include <string>
#include <vector>
#include "app/poster/font_list.h"

namespace app {
// Starts GDI+ and loads the program's own fonts (its fonts\ folder).
void StartGdiPlus();
void StopGdiPlus();
// The font families the font lists offer, in list order: the program's own
// first, then the installed names that begin with neither an ASCII letter
// nor "@".
std::vector<std::string> ListedFontNames();
// A font list's item for a family: the program's own are marked.
std::string ListedFontItem(const std::string& family);
// What a stored font this PC lacks is drawn in: the first of the program's
// own fonts (none when they are missing).
FontFallback BundledFallback();
}  // namespace app
