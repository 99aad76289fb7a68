// The fonts the program brings along (its fonts\ folder): loaded for this
// process alone at start, never installed into the system. GDI+ draws them
// from a private font collection, and GDI (the font lists' enumeration)
// knows them as private resources of the process.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace app {

// Loads the shipped font files found in folder (a path ending in "\"); a
// missing file or folder loads nothing. Replaces what was loaded before.
void LoadBundledFonts(const std::string& folder);
// Drops the private collection; before GDI+ shuts down.
void UnloadBundledFonts();
// The families loaded, in the order of their files (the first is the default).
const std::vector<std::string>& BundledFamilies();
// A GDI+ font family (the caller's to delete) of the program's own family
// of that name, or 0 when it is not one of them.
uint32_t BundledFontFamily(const char* family);

}  // namespace app
