// pz.ini, section "配置": ten keys in a fixed order. Fonts are kept by their
// position in the font list, colours as signed decimal colour values. Two more
// keys after them keep the fonts' names: the list is rebuilt from the installed
// fonts at each start, so an index alone can come to name another font. The
// typed title and body follow, line breaks written as "\n".
//
// A missing, damaged or out-of-range value never reaches the window: numbers
// are held to their range and an unreadable one takes the default, so a lost
// or broken file still starts with both texts on the first preview. The file is
// rebuilt in memory and replaces the old one whole, or not at all.
// The text style keys follow, per text ("标题…", "文案…"): a file without
// them reads as plain text, a damaged value as its default. The output format
// ("输出格式", "JPEG质量") follows. Last comes the template path ("模板文件"),
// which only pz.ini keeps: a style file holds no template.
#include "app/window/settings.h"
#include <windows.h>
#include <algorithm>
#include <cstring>
#include <string>
#include "app/platform/failure_report.h"
#include "app/platform/file_io.h"
#include "app/window/handlers.h"
#include "app/window/preview.h"
#include "app/window/save_place.h"
#include "app/window/window_poster.h"
#include "app/window/program_state.h"
#include "app/window/template_note.h"
#include "app/platform/runtime_calls.h"
#include "app/poster/field_settings.h"
#include "app/poster/poster_settings.h"
#include "app/poster/settings_text.h"
#include "app/poster/text_limits.h"
#include "app/window/unit_access.h"
#include "app/window/window_place.h"

namespace app {

namespace {

enum class Kind { ListIndex, Number, Colour, Text };

// One key of the file and the unit it is shown in.
struct SettingKey {
    std::string key;
    uint32_t unit;
    Kind kind;
    const StoredKey* stored;  // numbers and colours: their range and fallback
};

Kind KindOf(StoredMember m) {
    switch (m) {
    case StoredMember::FontIndex: return Kind::ListIndex;
    case StoredMember::Colour: return Kind::Colour;
    default: return Kind::Number;
    }
}

uint32_t UnitOf(const StoredKey& k) {
    const TextFieldUnits& u = kTextFieldUnits[k.field];
    switch (k.member) {
    case StoredMember::FontIndex: return u.font;
    case StoredMember::Size: return u.size;
    case StoredMember::X: return u.x;
    case StoredMember::Y: return u.y;
    case StoredMember::Colour: return u.colour;
    }
    return 0;
}

// The numeric keys, in file order, with the units that show them.
const std::vector<SettingKey>& NumberKeys() {
    static const std::vector<SettingKey> keys = [] {
        std::vector<SettingKey> out;
        for (const StoredKey& k : StoredNumberKeys()) out.push_back({k.key, UnitOf(k), KindOf(k.member), &k});
        return out;
    }();
    return keys;
}

const char* const kFieldNames[kStandardFieldCount] = {kTitleFieldName, kBodyFieldName};

const char kSection[] = "配置";

// The typed texts, after every key above.
SettingKey TextKeyOf(size_t field) { return {TextKey(kFieldNames[field]), kTextFieldUnits[field].text, Kind::Text, nullptr}; }

// The output format's keys, after every other key (the style keys too).
const char kFormatKey[] = "输出格式";
const char kQualityKey[] = "JPEG质量";

// The template box's path, after every other key.
const char kTemplateKey[] = "模板文件";

std::string g_settingsFile;  // empty: the program's own settings
// %APPDATA%\Imprinta\pz.ini once the program's folder has refused them; else
// empty: pz.ini next to the program.
std::string g_settingsHome;

// The file path is built anew for every key.
std::string SettingsFile() {
    if (!g_settingsFile.empty()) return g_settingsFile;
    return g_settingsHome.empty() ? RunDirectoryPath("\\pz.ini") : g_settingsHome;
}

// Saving as the window closes: a failure then asks whether to close after all.
bool g_closing = false, g_stayOpen = false, g_savedAtClose = false;

// The folder picked for exports and batches.
const char kOutputFolderKey[] = "输出文件夹";

char* IntegerToText(int32_t value) {
    return reinterpret_cast<char*>(static_cast<uintptr_t>(CallCore(kCmdToText, {ArgInt(value)}).low));
}

char* ReadKey(const std::string& key) {
    std::string file = SettingsFile();
    return reinterpret_cast<char*>(static_cast<uintptr_t>(
        CallCore(kCmdReadIniItem, {ArgText(file.c_str()), ArgText(kSection), ArgText(key.c_str()), ArgOmitted()}).low));
}

bool HasText(const Block& b) { return b.text() && *b.text(); }

// A number as the key gives it: held to its range, or the fallback.
int32_t NumberFrom(const SettingKey& k, const char* text) { return StoredNumber(*k.stored, text ? text : ""); }

std::string TextOf(int32_t value) {
    Block text(IntegerToText(value));
    return text.text() ? text.text() : "";
}

// A size or position as its box shows it and the file keeps it.
std::string NumberText(const SettingKey& k, const char* text) { return StoredNumberText(*k.stored, text ? text : ""); }

// Sets the unit from its key's stored text, held to range or the default.
void SetUnitValue(const SettingKey& k, const char* text) {
    int64_t index = 0;
    switch (k.kind) {
    case Kind::ListIndex:
        // A missing or damaged index keeps the list's own choice, or takes its first font.
        if (ParseStoredNumber(text ? text : "", &index) && index >= 0 && index <= INT32_MAX)
            SetComboListIndex(k.unit, static_cast<int32_t>(index));
        else if (ComboListIndex(k.unit) < 0)
            SetComboListIndex(k.unit, 0);
        break;
    case Kind::Colour: SetPickedColour(k.unit, static_cast<uint32_t>(NumberFrom(k, text))); break;
    case Kind::Number: SetEditContent(k.unit, NumberText(k, text).c_str()); break;
    case Kind::Text:
        // A missing text keeps the window's sample.
        if (text && *text) SetEditContent(k.unit, UnescapeLineBreaks(text).c_str());
        break;
    }
}

void LoadKey(const SettingKey& k) {
    Block value(ReadKey(k.key));
    SetUnitValue(k, value.text());
}

std::string SavedValue(const SettingKey& k) {
    Block value;
    switch (k.kind) {
    case Kind::ListIndex: return TextOf(ComboListIndex(k.unit));
    case Kind::Colour: return TextOf(static_cast<int32_t>(PickedColour(k.unit)));
    case Kind::Number: value.reset(EditContent(k.unit)); return NumberText(k, value.text());
    case Kind::Text: value.reset(EditContent(k.unit)); return EscapeLineBreaks(value.text() ? value.text() : "");
    }
    return "";
}

// A font list's names; font names are never empty, so the first empty item
// text ends the list.
std::vector<std::string> FontListNames(uint32_t combo) {
    std::vector<std::string> names;
    for (int32_t i = 0;; ++i) {
        Block item(ComboItemText(combo, i));
        if (!HasText(item)) return names;
        names.emplace_back(item.text());
    }
}

// A stored name found in the list wins over the stored index.
void LoadFontName(size_t field) {
    const uint32_t combo = kTextFieldUnits[field].font;
    Block name(ReadKey(FontNameKey(kFieldNames[field])));
    if (!HasText(name)) return;
    const std::vector<std::string> names = FontListNames(combo);
    auto at = std::find(names.begin(), names.end(), std::string(name.text()));
    if (at != names.end()) SetComboListIndex(combo, int32_t(at - names.begin()));
}

// The window's place after the other keys: its normal rectangle in screen
// pixels and whether it was maximised. Restored only when it still fits.
struct PlaceKey {
    const char* key;
    int32_t WindowPlace::*field;
};
const PlaceKey kWindowPlaceKeys[] = {
    {"窗口左", &WindowPlace::left},
    {"窗口上", &WindowPlace::top},
    {"窗口宽", &WindowPlace::width},
    {"窗口高", &WindowPlace::height},
};
const char kMaximisedKey[] = "窗口最大化";

// A missing or damaged number makes the whole place unknown: the window then
// opens as designed.
bool PlaceNumber(const char* key, int32_t* out) {
    Block value(ReadKey(key));
    int64_t n = 0;
    if (!ParseStoredNumber(value.text() ? value.text() : "", &n) || n < INT32_MIN || n > INT32_MAX) return false;
    *out = static_cast<int32_t>(n);
    return true;
}

void LoadWindowPlace() {
    WindowPlace place;
    place.valid = true;
    for (const PlaceKey& k : kWindowPlaceKeys) place.valid = PlaceNumber(k.key, &(place.*k.field)) && place.valid;
    int32_t maximised = 0;
    place.maximised = PlaceNumber(kMaximisedKey, &maximised) && maximised != 0;
    place.valid = place.valid && place.width > 0 && place.height > 0;
    SetStoredWindowPlace(place);
}

void AddWindowPlace(IniValues& values) {
    WindowPlace place = CurrentWindowPlace();
    if (!place.valid) return;
    for (const PlaceKey& k : kWindowPlaceKeys) values.emplace_back(k.key, TextOf(place.*k.field));
    values.emplace_back(kMaximisedKey, place.maximised ? "1" : "0");
}

bool IsFileThere(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The kept template comes back while its file is there; else the box keeps
// its own and the window says why, so a poster laid out for the person's
// picture is not silently shown on another.
void LoadTemplatePath() {
    Block kept(ReadKey(kTemplateKey));
    if (!HasText(kept)) return;
    Block box(EditContent(mainwindow::kTemplatePath));
    const std::string path = kept.text(), shown = box.text() ? box.text() : "";
    if (path == shown) return;
    if (IsFileThere(path))
        SetEditContent(mainwindow::kTemplatePath, path.c_str());
    else
        NoteKeptTemplateGone(path, shown);
}

// Reads this file's keys (pz.ini, or the file in its place).
bool ReadStored(const std::string& key, std::string* value) {
    Block text(ReadKey(key));
    if (!text.text()) return false;
    *value = text.text();
    return true;
}

}  // namespace

void UseSettingsFile(const std::string& path) { g_settingsFile = path; }

void LoadSettings(SettingsPart part) {
    // Where the folder cannot be written, settings saved to %APPDATA% before are read from there.
    if (g_settingsFile.empty() && g_settingsHome.empty() && !FolderWritable(RunDirectoryPath(""))) {
        const std::string roaming = RoamingSettingsFile();
        if (!roaming.empty() && FileExists(roaming.c_str())) g_settingsHome = roaming;
    }
    // Every key is in place before the one refresh at the end of the hold, so
    // the first picture already has the stored colours (setting a picker's
    // colour fires no refresh of its own).
    PreviewRefreshHold hold;
    for (const SettingKey& k : NumberKeys()) LoadKey(k);
    for (size_t i = 0; i < kStandardFieldCount; ++i) LoadFontName(i);
    if (part == SettingsPart::All) {
        for (size_t i = 0; i < kStandardFieldCount; ++i) LoadKey(TextKeyOf(i));
        LoadWindowPlace();
    }
    for (size_t i = 0; i < kStandardFieldCount; ++i) FieldEffects(i) = ReadStoredEffects(ReadStored, kFieldNames[i]);
    ExtraFields() = ReadStoredExtraFields(ReadStored, FontListNames(kTextFieldUnits[kTitleField].font));
    SetCurrentOutputFormat(ReadStoredOutputFormat());
    if (part == SettingsPart::All) {
        Block folder(ReadKey(kOutputFolderKey));
        SetChosenOutputFolder(folder.text() ? folder.text() : "");
        LoadTemplatePath();
    }
    RefreshPreview(nullptr);
}

bool SaveSettings(SettingsPart part) {
    const PosterDescription poster = WindowPoster();
    IniValues values = StoredPosterHead(poster, FontListNames(kTextFieldUnits[kTitleField].font));
    // Sizes and positions as their boxes show them ("４０" stays as typed; a box
    // holding no number is saved as its default), in place of the numbers drawn.
    for (auto& v : values)
        for (const SettingKey& k : NumberKeys())
            if (k.kind == Kind::Number && v.first == k.key) v.second = SavedValue(k);
    if (part == SettingsPart::All)
        AddWindowPlace(values);
    else
        std::erase_if(values, [](const auto& kv) {
            return kv.first == TextKey(kTitleFieldName) || kv.first == TextKey(kBodyFieldName);
        });
    const IniValues style = StoredPosterStyle(poster);
    values.insert(values.end(), style.begin(), style.end());
    values.emplace_back(kFormatKey, NameOf(CurrentOutputFormat().kind));
    values.emplace_back(kQualityKey, TextOf(CurrentOutputFormat().quality));
    if (part == SettingsPart::All) {
        if (!ChosenOutputFolder().empty()) values.emplace_back(kOutputFolderKey, ChosenOutputFolder());
        Block path(EditContent(mainwindow::kTemplatePath));
        const std::string& gone = GoneKeptTemplate();
        values.emplace_back(kTemplateKey, !gone.empty() ? gone : path.text() ? path.text() : "");
    }
    std::string count;
    const IniValues fields = StoredExtraFields(poster, ReadStored(kExtraFieldCountKey, &count));
    values.insert(values.end(), fields.begin(), fields.end());
    const std::string file = SettingsFile();
    FileBytes old = ReadWholeFile(file);
    const std::string existing(old.bytes.begin(), old.bytes.end());
    const std::string content = WithIniValues(existing, kSection, values);
    uint32_t error = WriteWholeFile(file, content.data(), content.size());
    if (error && IsRefusedWrite(error) && g_settingsFile.empty() && g_settingsHome.empty()) {
        // The program's folder refuses: the settings move to the person's own
        // application data, as Windows programs keep theirs, and are read from
        // there from now on. Said once: the next start finds them there.
        const std::string roaming = RoamingSettingsFile();
        const std::string folder = roaming.substr(0, roaming.rfind('\\'));
        if (!roaming.empty()) {
            CreateDirectoryW(WidePath(folder).c_str(), nullptr);
            if (!WriteWholeFile(roaming, content.data(), content.size())) {
                g_settingsHome = roaming;
                ShowNote("程序所在的文件夹不能写入, 设置改存在:\r\n" + roaming + "\r\n以后启动时从这里读取。");
                return true;
            }
        }
    }
    if (error) {
        std::string text = FailureText("设置没有保存", file, error) +
                           "\r\n这次的字体、大小、位置和文字下次启动时不会恢复。可以在“文字样式…”里用“样式另存为…”"
                           "把设置存到能写入的文件夹, 下次用“载入样式…”读回。";
        if (!g_closing) {
            ShowFailure(text);
        } else {
            g_stayOpen = !AskAfterFailure(text + "\r\n\r\n按“确定”关闭程序, 按“取消”回到窗口。");
        }
        return false;
    }
    return true;
}

bool SaveSettingsBeforeClose() {
    g_closing = true;
    g_stayOpen = false;
    SaveSettings();
    g_closing = false;
    g_savedAtClose = !g_stayOpen;  // saved, or the failure was said and the person closes anyway
    return !g_stayOpen;
}

bool SettingsSavedAtClose() { return g_savedAtClose; }

namespace {
// The boxes Cancel puts back as typed: each text field's text, then the template.
std::vector<uint32_t> TypedBoxes() {
    return {kTextFieldUnits[kTitleField].text, kTextFieldUnits[kBodyField].text, uint32_t(mainwindow::kTemplatePath)};
}
}  // namespace

SettingsSnapshot TakeSettingsSnapshot() {
    SettingsSnapshot s;
    for (const SettingKey& k : NumberKeys()) s.values.push_back(SavedValue(k));
    for (uint32_t unit : TypedBoxes()) {
        Block text(EditContent(unit));
        s.texts.emplace_back(text.text() ? text.text() : "");
    }
    for (size_t i = 0; i < kStandardFieldCount; ++i) s.effects.push_back(FieldEffects(i));
    s.extraFields = ExtraFields();
    s.format = CurrentOutputFormat();
    return s;
}

void RestoreSettingsSnapshot(const SettingsSnapshot& s) {
    PreviewRefreshHold hold;
    for (size_t i = 0; i < s.values.size() && i < NumberKeys().size(); ++i) SetUnitValue(NumberKeys()[i], s.values[i].c_str());
    const std::vector<uint32_t> textUnits = TypedBoxes();
    for (size_t i = 0; i < s.texts.size() && i < textUnits.size(); ++i) {
        Block now(EditContent(textUnits[i]));
        if (s.texts[i] != (now.text() ? now.text() : "")) SetEditContent(textUnits[i], s.texts[i].c_str());
    }
    for (size_t i = 0; i < s.effects.size() && i < kStandardFieldCount; ++i) FieldEffects(i) = s.effects[i];
    ExtraFields() = s.extraFields;
    SetCurrentOutputFormat(s.format);
    RefreshPreview(nullptr);
}

const char* StyleFileErrorText(StyleFileError e) {
    switch (e) {
    case StyleFileError::None: return "";
    case StyleFileError::Missing: return "找不到这个样式文件";
    case StyleFileError::Folder: return "这是一个文件夹，不是样式文件";
    case StyleFileError::TooLarge: return "文件太大，不是样式文件";
    case StyleFileError::NotAStyle: return "文件里没有可用的样式设置";
    case StyleFileError::NotWritten: return "无法写入这个文件";
    }
    return "";
}

namespace {

// A style file is small: a few dozen keys.
constexpr DWORD kStyleFileMaxBytes = 64 * 1024;

StyleFileError CheckStyleFile(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info)) return StyleFileError::Missing;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return StyleFileError::Folder;
    if (info.nFileSizeHigh || info.nFileSizeLow > kStyleFileMaxBytes) return StyleFileError::TooLarge;
    // Every saved style holds both sizes as numbers; a file without them was made by something else.
    UseSettingsFile(path);
    Block title(ReadKey("标题大小")), body(ReadKey("文案大小"));
    UseSettingsFile("");
    int32_t n = 0;
    if (!ParseStoredInteger(title.text(), &n) || !ParseStoredInteger(body.text(), &n))
        return StyleFileError::NotAStyle;
    return StyleFileError::None;
}

}  // namespace

StyleFileError LoadStyleFrom(const std::string& path) {
    StyleFileError e = CheckStyleFile(path);
    if (e != StyleFileError::None) return e;
    UseSettingsFile(path);
    LoadSettings(SettingsPart::Style);
    UseSettingsFile("");
    return StyleFileError::None;
}

StyleFileError SaveStyleTo(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return StyleFileError::Folder;
    UseSettingsFile(path);
    SaveSettings(SettingsPart::Style);
    UseSettingsFile("");
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES ? StyleFileError::NotWritten
                                                                       : StyleFileError::None;
}


OutputFormat ReadStoredOutputFormat() {
    OutputFormat f;
    Block name(ReadKey(kFormatKey));
    if (name.text()) FormatFromName(name.text(), &f.kind);
    Block quality(ReadKey(kQualityKey));
    int32_t q = 0;
    if (ParseStoredInteger(quality.text(), &q) && q >= kMinJpegQuality && q <= kMaxJpegQuality) f.quality = q;
    return f;
}

PosterDescription ReadStoredPosterFile(const std::vector<std::string>& fontNames) {
    PosterDescription poster = ReadStoredPoster(ReadStored, fontNames);
    const std::vector<PosterField> extra = ReadStoredExtraFields(ReadStored, fontNames);
    poster.fields.insert(poster.fields.end(), extra.begin(), extra.end());
    return poster;
}

}  // namespace app
