// The settings file: the poster's fields, the window's place and the output
// format kept in pz.ini (or a style file in its place).
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "app/poster/output_format.h"
#include "app/poster/poster.h"
#include "app/window/program_state.h"

namespace app {
// What a file holds: everything (pz.ini), or the style alone (a style file:
// fonts, sizes, positions, colours, text style and output format; never the
// typed texts or the window's place).
enum class SettingsPart { All, Style };
void LoadSettings(SettingsPart part = SettingsPart::All);
// False when the file could not be written (the person has been told why).
bool SaveSettings(SettingsPart part = SettingsPart::All);
// Saves while the closing window is still shown, so that a failure is said
// over it with the way out; false when the person chose to stay.
bool SaveSettingsBeforeClose();
// Whether that save was done and the window goes on closing: nothing to save
// (or say) again when it is destroyed.
bool SettingsSavedAtClose();

// Another file in place of pz.ini for every following read and write (the
// command line's --settings); an empty path goes back to pz.ini.
void UseSettingsFile(const std::string& path);

// What the style dialog puts back on Cancel: the values of the keyed units
// (fonts, sizes, positions, colours), the typed texts and the template, both
// texts' style and the output format.
struct SettingsSnapshot {
    std::vector<std::string> values;
    std::vector<std::string> texts;  // each text field's, then the template box's
    std::vector<TextEffects> effects;  // each text field's
    std::vector<PosterField> extraFields;
    OutputFormat format;
};
SettingsSnapshot TakeSettingsSnapshot();
void RestoreSettingsSnapshot(const SettingsSnapshot& s);  // refreshes the preview once

// A named style file holds the style (SettingsPart::Style). Loading checks the
// file first and changes nothing when it is not a style; the typed texts an
// older style file holds are left alone.
enum class StyleFileError { None, Missing, Folder, TooLarge, NotAStyle, NotWritten };
const char* StyleFileErrorText(StyleFileError e);
StyleFileError LoadStyleFrom(const std::string& path);
StyleFileError SaveStyleTo(const std::string& path);

// The poster the settings file describes, without the window: fonts resolved
// against fontNames (the font list) as a run without the window resolves them.
PosterDescription ReadStoredPosterFile(const std::vector<std::string>& fontNames);

// The output format kept in pz.ini ("输出格式" png|jpg, "JPEG质量" 1 to 100);
// PNG at quality 90 when absent or not understood.
OutputFormat ReadStoredOutputFormat();
}  // namespace app
