// The settings file: fonts, sizes, positions and colours kept in pz.ini.
#pragma once

namespace app {
void LoadSettings();
void SaveSettings();
}  // namespace app
