// Writing the skin library next to the program and attaching the skin.
#pragma once
#include <cstdint>

namespace app {

// Writes SkinLibraryImage to RunDirectory + "/SkinH_QX.dll", hidden, unless a
// file of that name exists (an existing file is never touched).
void ExtractSkinLibrary();
// Extracts the library when missing and hands it the skin resource (a byte set)
// and the three reserved integers. When the library file cannot be put in place
// the skin is skipped and the window keeps the system look; so is a file of that
// name that does not load as a library with SkinH_AttachRes. True when the
// library took the skin.
bool AttachSkin(const void* skinResource, int32_t first, int32_t second, int32_t third);
// The main window's transparent labels that keep the units' default text
// colour (black) take the skin's text colour; a colour of their own stays.
void ThemeLabelTexts(const void* skinResource);

}  // namespace app
