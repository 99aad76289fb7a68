// The settings file: fonts, sizes, positions and colours kept in pz.ini.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "app/output_format.h"
#include "app/text_style.h"

namespace app {
void LoadSettings();
// False when the file could not be written (the person has been told why).
bool SaveSettings();

// Another file in place of pz.ini for every following read and write (the
// command line's --settings); an empty path goes back to pz.ini.
void UseSettingsFile(const std::string& path);

// What the style dialog puts back on Cancel: the values of the keyed units
// (fonts, sizes, positions, colours), both texts' style and the output format.
struct SettingsSnapshot {
    std::vector<std::string> values;
    TextEffects title, body;
    OutputFormat format;
};
SettingsSnapshot TakeSettingsSnapshot();
void RestoreSettingsSnapshot(const SettingsSnapshot& s);  // refreshes the preview once

// A named style file holds every setting, as pz.ini does. Loading checks the
// file first and changes nothing when it is not a style.
enum class StyleFileError { None, Missing, Folder, TooLarge, NotAStyle, NotWritten };
const char* StyleFileErrorText(StyleFileError e);
StyleFileError LoadStyleFrom(const std::string& path);
StyleFileError SaveStyleTo(const std::string& path);

// One text's stored style as the window would load it.
struct StoredTextStyle {
    std::string font;  // empty: no font selected
    int32_t size = 0, x = 0, y = 0;
    uint32_t colour = 0;
    TextEffects effects;
};
struct StoredStyles {
    StoredTextStyle title, body;
};
// The stored styles without the window, fonts resolved against fontNames (the
// font list) as the window's font lists resolve them.
StoredStyles ReadStoredStyles(const std::vector<std::string>& fontNames);

// The output format kept in pz.ini ("输出格式" png|jpg, "JPEG质量" 1 to 100);
// PNG at quality 90 when absent or not understood.
OutputFormat ReadStoredOutputFormat();
// The format the window's export and batch write in (loaded with the settings).
OutputFormat CurrentOutputFormat();
// Chosen in the style dialog; saved with the other settings.
void SetCurrentOutputFormat(const OutputFormat& format);
}  // namespace app
