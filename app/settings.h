// The settings file: fonts, sizes, positions and colours kept in pz.ini.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace app {
void LoadSettings();
// False when the file could not be written (the person has been told why).
bool SaveSettings();

// One text's stored style as the window would load it.
struct StoredTextStyle {
    std::string font;  // empty: no font selected
    int32_t size = 0, x = 0, y = 0;
    uint32_t colour = 0;
};
struct StoredStyles {
    StoredTextStyle title, body;
};
// The stored styles without the window, fonts resolved against fontNames (the
// font list) as the window's font lists resolve them.
StoredStyles ReadStoredStyles(const std::vector<std::string>& fontNames);
}  // namespace app
