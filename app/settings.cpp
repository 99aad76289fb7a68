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
// ("输出格式", "JPEG质量") comes last.
#include "app/settings.h"
#include <windows.h>
#include <algorithm>
#include <cstring>
#include <string>
#include "app/failure_report.h"
#include "app/file_io.h"
#include "app/main_window_handlers.h"
#include "app/program_state.h"
#include "app/runtime_calls.h"
#include "app/settings_text.h"
#include "app/text_limits.h"
#include "app/unit_access.h"
#include "app/window_place.h"

namespace app {

namespace {

enum class Kind { ListIndex, Number, Colour, Text };
enum class Range { None, Size, Position };

struct SettingKey {
    const char* key;
    uint32_t unit;
    Kind kind;
    Range range;
    int32_t fallback;  // numbers and colours: what a missing or unreadable value becomes
};

using namespace mainwindow;

constexpr int32_t kTitleRed = (40 << 16) | (40 << 8) | 200;
constexpr int32_t kBodyDark = (54 << 16) | (47 << 8) | 43;

const SettingKey kSettingKeys[] = {
    {"标题字体", kTitleFont, Kind::ListIndex, Range::None, 0},
    {"文案字体", kBodyFont, Kind::ListIndex, Range::None, 0},
    {"标题大小", kTitleSize, Kind::Number, Range::Size, 50},
    {"文案大小", kBodySize, Kind::Number, Range::Size, 25},
    {"标题字体x", kTitleX, Kind::Number, Range::Position, 120},
    {"标题字体y", kTitleY, Kind::Number, Range::Position, 120},
    {"文案字体x", kBodyX, Kind::Number, Range::Position, 120},
    {"文案字体y", kBodyY, Kind::Number, Range::Position, 260},
    {"标题颜色", kTitleColour, Kind::Colour, Range::None, kTitleRed},
    {"文案颜色", kBodyColour, Kind::Colour, Range::None, kBodyDark},
};

const char kSection[] = "配置";

struct FontNameKey {
    const char* key;
    uint32_t combo;
};
const FontNameKey kFontNameKeys[] = {{"标题字体名称", kTitleFont}, {"文案字体名称", kBodyFont}};

// The typed texts, after every key above.
const SettingKey kTextKeys[] = {
    {"标题内容", kTitleText, Kind::Text, Range::None, 0},
    {"文案内容", kBodyText, Kind::Text, Range::None, 0},
};

// The output format's keys, after every other key (the style keys too).
const char kFormatKey[] = "输出格式";
const char kQualityKey[] = "JPEG质量";
OutputFormat g_outputFormat;

std::string g_settingsFile;  // empty: pz.ini next to the program

// The file path is built anew for every key.
std::string SettingsFile() { return g_settingsFile.empty() ? RunDirectoryPath("\\pz.ini") : g_settingsFile; }

char* IntegerToText(int32_t value) {
    return reinterpret_cast<char*>(static_cast<uintptr_t>(CallCore(kCmdToText, {ArgInt(value)}).low));
}

char* ReadKey(const char* key) {
    std::string file = SettingsFile();
    return reinterpret_cast<char*>(static_cast<uintptr_t>(
        CallCore(kCmdReadIniItem, {ArgText(file.c_str()), ArgText(kSection), ArgText(key), ArgOmitted()}).low));
}

bool HasText(const Block& b) { return b.text() && *b.text(); }

int32_t Held(const SettingKey& k, int64_t value) {
    switch (k.range) {
    case Range::Size: return ClampTextSize(value);
    case Range::Position: return ClampStoredPosition(value);
    case Range::None: break;
    }
    // Colours are 32-bit words, stored as signed decimals.
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

// A number as the key gives it: held to its range, or the fallback.
int32_t NumberFrom(const SettingKey& k, const char* text) {
    int64_t value = 0;
    return ParseStoredNumber(text ? text : "", &value) ? Held(k, value) : k.fallback;
}

std::string TextOf(int32_t value) {
    Block text(IntegerToText(value));
    return text.text() ? text.text() : "";
}

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
    case Kind::Number: SetEditContent(k.unit, TextOf(NumberFrom(k, text)).c_str()); break;
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
    case Kind::Number: value.reset(EditContent(k.unit)); return TextOf(NumberFrom(k, value.text()));
    case Kind::Text: value.reset(EditContent(k.unit)); return EscapeLineBreaks(value.text() ? value.text() : "");
    }
    return "";
}

// A stored name found in the list wins over the stored index; font names are
// never empty, so the first empty item text ends the list.
void LoadFontName(const FontNameKey& k) {
    Block name(ReadKey(k.key));
    if (!HasText(name)) return;
    for (int32_t i = 0;; ++i) {
        Block item(ComboItemText(k.combo, i));
        if (!HasText(item)) return;
        if (strcmp(item.text(), name.text()) == 0) return SetComboListIndex(k.combo, i);
    }
}

std::string SavedFontName(const FontNameKey& k) {
    Block name(ComboItemText(k.combo, ComboListIndex(k.combo)));
    return name.text() ? name.text() : "";
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

// Text style keys, after every other key: the text's prefix, then the field's name.
struct StylePass {
    const char* prefix;
    TextEffects* effects;
};
const StylePass kStylePasses[] = {{"标题", &TitleEffects}, {"文案", &BodyEffects}};

// A missing or damaged value keeps the setting's default; numbers are clamped.
TextEffects ReadEffects(const char* prefix) {
    TextEffects e;
    for (int i = 0; i < kStyleFieldCount; ++i) {
        Block value(ReadKey((std::string(prefix) + kStyleFields[i].name).c_str()));
        int32_t n = 0;
        if (ParseStoredInteger(value.text(), &n)) kStyleFields[i].set(e, n);
    }
    return Clamped(e);
}

void AddEffects(IniValues& values, const char* prefix, const TextEffects& e) {
    for (int i = 0; i < kStyleFieldCount; ++i)
        values.emplace_back(std::string(prefix) + kStyleFields[i].name, TextOf(kStyleFields[i].get(e)));
}

}  // namespace

void UseSettingsFile(const std::string& path) { g_settingsFile = path; }

void LoadSettings() {
    // Every key is in place before the one refresh at the end of the hold, so
    // the first picture already has the stored colours (setting a picker's
    // colour fires no refresh of its own).
    PreviewRefreshHold hold;
    for (const SettingKey& k : kSettingKeys) LoadKey(k);
    for (const FontNameKey& k : kFontNameKeys) LoadFontName(k);
    for (const SettingKey& k : kTextKeys) LoadKey(k);
    LoadWindowPlace();
    for (const StylePass& p : kStylePasses) *p.effects = ReadEffects(p.prefix);
    g_outputFormat = ReadStoredOutputFormat();
    RefreshPreview(nullptr);
}

bool SaveSettings() {
    IniValues values;
    for (const SettingKey& k : kSettingKeys) values.emplace_back(k.key, SavedValue(k));
    for (const FontNameKey& k : kFontNameKeys) values.emplace_back(k.key, SavedFontName(k));
    for (const SettingKey& k : kTextKeys) values.emplace_back(k.key, SavedValue(k));
    AddWindowPlace(values);
    for (const StylePass& p : kStylePasses) AddEffects(values, p.prefix, *p.effects);
    values.emplace_back(kFormatKey, NameOf(g_outputFormat.kind));
    values.emplace_back(kQualityKey, TextOf(g_outputFormat.quality));
    const std::string file = SettingsFile();
    FileBytes old = ReadWholeFile(file);
    const std::string existing(old.bytes.begin(), old.bytes.end());
    const std::string content = WithIniValues(existing, kSection, values);
    if (uint32_t error = WriteWholeFile(file, content.data(), content.size())) {
        ReportFailure("设置没有保存", file, error);
        return false;
    }
    return true;
}

SettingsSnapshot TakeSettingsSnapshot() {
    SettingsSnapshot s;
    for (const SettingKey& k : kSettingKeys) s.values.push_back(SavedValue(k));
    s.title = TitleEffects;
    s.body = BodyEffects;
    s.format = g_outputFormat;
    return s;
}

void RestoreSettingsSnapshot(const SettingsSnapshot& s) {
    PreviewRefreshHold hold;
    for (size_t i = 0; i < s.values.size() && i < sizeof kSettingKeys / sizeof kSettingKeys[0]; ++i)
        SetUnitValue(kSettingKeys[i], s.values[i].c_str());
    TitleEffects = s.title;
    BodyEffects = s.body;
    g_outputFormat = s.format;
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
    LoadSettings();
    UseSettingsFile("");
    return StyleFileError::None;
}

StyleFileError SaveStyleTo(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return StyleFileError::Folder;
    UseSettingsFile(path);
    SaveSettings();
    UseSettingsFile("");
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES ? StyleFileError::NotWritten
                                                                       : StyleFileError::None;
}

OutputFormat CurrentOutputFormat() { return g_outputFormat; }
void SetCurrentOutputFormat(const OutputFormat& format) { g_outputFormat = format; }

namespace {

const SettingKey& Row(const char* key) {
    for (const SettingKey& k : kSettingKeys)
        if (strcmp(k.key, key) == 0) return k;
    return kSettingKeys[0];
}

// The font the combo box would select for a stored index and name.
std::string ResolveFont(const char* indexKey, const char* nameKey, const std::vector<std::string>& names) {
    Block name(ReadKey(nameKey));
    for (const std::string& n : names)
        if (HasText(name) && n == name.text()) return n;
    Block index(ReadKey(indexKey));
    int64_t i = 0;
    if (names.empty()) return "";
    // Without a readable index the list's own choice, 宋体, as the window keeps it.
    if (!ParseStoredNumber(index.text() ? index.text() : "", &i)) {
        auto simSun = std::find(names.begin(), names.end(), std::string("宋体"));
        return simSun != names.end() ? *simSun : names.front();
    }
    if (i < 0) return "";
    return names[std::min<size_t>(static_cast<size_t>(std::min<int64_t>(i, INT32_MAX)), names.size() - 1)];
}

int32_t ReadNumber(const char* key) {
    Block text(ReadKey(key));
    return NumberFrom(Row(key), text.text());
}

}  // namespace

OutputFormat ReadStoredOutputFormat() {
    OutputFormat f;
    Block name(ReadKey(kFormatKey));
    if (name.text()) FormatFromName(name.text(), &f.kind);
    Block quality(ReadKey(kQualityKey));
    int32_t q = 0;
    if (ParseStoredInteger(quality.text(), &q) && q >= kMinJpegQuality && q <= kMaxJpegQuality) f.quality = q;
    return f;
}

StoredStyles ReadStoredStyles(const std::vector<std::string>& fontNames) {
    StoredStyles s;
    s.title = {ResolveFont("标题字体", "标题字体名称", fontNames), ReadNumber("标题大小"), ReadNumber("标题字体x"),
               ReadNumber("标题字体y"), static_cast<uint32_t>(ReadNumber("标题颜色")), ReadEffects("标题")};
    s.body = {ResolveFont("文案字体", "文案字体名称", fontNames), ReadNumber("文案大小"), ReadNumber("文案字体x"),
              ReadNumber("文案字体y"), static_cast<uint32_t>(ReadNumber("文案颜色")), ReadEffects("文案")};
    return s;
}

}  // namespace app
