// pz.ini, section "配置": ten keys in a fixed order. Fonts are kept by their
// position in the font list, colours as signed decimal colour values. Two more
// keys after them keep the fonts' names: the list is rebuilt from the installed
// fonts at each start, so an index alone can come to name another font.
// The text style keys come last, per text ("标题…", "文案…"): a file without
// them reads as plain text, a damaged value as its default.
#include "app/settings.h"
#include <windows.h>
#include <algorithm>
#include <cstring>
#include <string>
#include "app/main_window_handlers.h"
#include "app/program_state.h"
#include "app/runtime_calls.h"
#include "app/unit_access.h"

namespace app {

namespace {

enum class Kind { ListIndex, Text, Colour };

struct SettingKey {
    const char* key;
    uint32_t unit;
    Kind kind;
};

using namespace mainwindow;

const SettingKey kSettingKeys[] = {
    {"标题字体", kTitleFont, Kind::ListIndex},
    {"文案字体", kBodyFont, Kind::ListIndex},
    {"标题大小", kTitleSize, Kind::Text},
    {"文案大小", kBodySize, Kind::Text},
    {"标题字体x", kTitleX, Kind::Text},
    {"标题字体y", kTitleY, Kind::Text},
    {"文案字体x", kBodyX, Kind::Text},
    {"文案字体y", kBodyY, Kind::Text},
    {"标题颜色", kTitleColour, Kind::Colour},
    {"文案颜色", kBodyColour, Kind::Colour},
};

const char kSection[] = "配置";

struct FontNameKey {
    const char* key;
    uint32_t combo;
};
const FontNameKey kFontNameKeys[] = {{"标题字体名称", kTitleFont}, {"文案字体名称", kBodyFont}};

std::string g_settingsFile;  // empty: pz.ini next to the program

// The file path is built anew for every key.
std::string SettingsFile() { return g_settingsFile.empty() ? RunDirectoryPath("\\pz.ini") : g_settingsFile; }

int32_t TextToInteger(const char* text) { return static_cast<int32_t>(CallCore(kCmdToInteger, {ArgText(text)}).low); }

char* IntegerToText(int32_t value) {
    return reinterpret_cast<char*>(static_cast<uintptr_t>(CallCore(kCmdToText, {ArgInt(value)}).low));
}

char* ReadKey(const char* key) {
    std::string file = SettingsFile();
    return reinterpret_cast<char*>(static_cast<uintptr_t>(
        CallCore(kCmdReadIniItem, {ArgText(file.c_str()), ArgText(kSection), ArgText(key), ArgOmitted()}).low));
}

void WriteKey(const char* key, const char* value) {
    std::string file = SettingsFile();
    CallCore(kCmdWriteIniItem, {ArgText(file.c_str()), ArgText(kSection), ArgText(key), ArgText(value)});
}

// The unit's value as its key stores it (a new block).
char* UnitValue(const SettingKey& k) {
    switch (k.kind) {
    case Kind::ListIndex: return IntegerToText(ComboListIndex(k.unit));
    case Kind::Colour: return IntegerToText(static_cast<int32_t>(PickedColour(k.unit)));
    case Kind::Text: return EditContent(k.unit);
    }
    return nullptr;
}

void SetUnitValue(const SettingKey& k, const char* value) {
    switch (k.kind) {
    case Kind::ListIndex: SetComboListIndex(k.unit, TextToInteger(value)); break;
    case Kind::Colour: SetPickedColour(k.unit, static_cast<uint32_t>(TextToInteger(value))); break;
    case Kind::Text: SetEditContent(k.unit, value); break;
    }
}

void LoadKey(const SettingKey& k) {
    Block value(ReadKey(k.key));
    SetUnitValue(k, value.text());
}

void SaveKey(const SettingKey& k) {
    Block value(UnitValue(k));
    WriteKey(k.key, value.text());
}

// A stored name found in the list wins over the stored index; font names are
// never empty, so the first empty item text ends the list.
void LoadFontName(const FontNameKey& k) {
    Block name(ReadKey(k.key));
    if (!name.text() || !*name.text()) return;
    for (int32_t i = 0;; ++i) {
        Block item(ComboItemText(k.combo, i));
        if (!item.text() || !*item.text()) return;
        if (strcmp(item.text(), name.text()) == 0) return SetComboListIndex(k.combo, i);
    }
}

void SaveFontName(const FontNameKey& k) {
    Block name(ComboItemText(k.combo, ComboListIndex(k.combo)));
    WriteKey(k.key, name.text() ? name.text() : "");
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

void WriteEffects(const char* prefix, const TextEffects& e) {
    for (int i = 0; i < kStyleFieldCount; ++i) {
        Block value(IntegerToText(kStyleFields[i].get(e)));
        WriteKey((std::string(prefix) + kStyleFields[i].name).c_str(), value.text());
    }
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
    for (const StylePass& p : kStylePasses) *p.effects = ReadEffects(p.prefix);
    RefreshPreview(nullptr);
}

void SaveSettings() {
    for (const SettingKey& k : kSettingKeys) SaveKey(k);
    for (const FontNameKey& k : kFontNameKeys) SaveFontName(k);
    for (const StylePass& p : kStylePasses) WriteEffects(p.prefix, *p.effects);
}

SettingsSnapshot TakeSettingsSnapshot() {
    SettingsSnapshot s;
    for (const SettingKey& k : kSettingKeys) {
        Block value(UnitValue(k));
        s.values.push_back(value.text() ? value.text() : "");
    }
    s.title = TitleEffects;
    s.body = BodyEffects;
    return s;
}

void RestoreSettingsSnapshot(const SettingsSnapshot& s) {
    PreviewRefreshHold hold;
    for (size_t i = 0; i < s.values.size() && i < sizeof kSettingKeys / sizeof kSettingKeys[0]; ++i)
        SetUnitValue(kSettingKeys[i], s.values[i].c_str());
    TitleEffects = s.title;
    BodyEffects = s.body;
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

namespace {

// The font the combo box would select for a stored index and name.
std::string ResolveFont(const char* indexKey, const char* nameKey, const std::vector<std::string>& names) {
    Block name(ReadKey(nameKey));
    for (const std::string& n : names)
        if (name.text() && *name.text() && n == name.text()) return n;
    Block index(ReadKey(indexKey));
    int32_t i = TextToInteger(index.text());
    if (names.empty() || i < 0) return "";
    return names[std::min<size_t>(static_cast<size_t>(i), names.size() - 1)];
}

int32_t ReadNumber(const char* key) {
    Block text(ReadKey(key));
    return TextToInteger(text.text());
}

}  // namespace

StoredStyles ReadStoredStyles(const std::vector<std::string>& fontNames) {
    StoredStyles s;
    s.title = {ResolveFont("标题字体", "标题字体名称", fontNames), ReadNumber("标题大小"), ReadNumber("标题字体x"),
               ReadNumber("标题字体y"), static_cast<uint32_t>(ReadNumber("标题颜色"))};
    s.body = {ResolveFont("文案字体", "文案字体名称", fontNames), ReadNumber("文案大小"), ReadNumber("文案字体x"),
              ReadNumber("文案字体y"), static_cast<uint32_t>(ReadNumber("文案颜色"))};
    s.title.effects = ReadEffects("标题");
    s.body.effects = ReadEffects("文案");
    return s;
}

}  // namespace app
