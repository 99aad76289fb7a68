// pz.ini, section "配置": ten keys in a fixed order. Fonts are kept by their
// position in the font list, colours as signed decimal colour values. Two more
// keys after them keep the fonts' names: the list is rebuilt from the installed
// fonts at each start, so an index alone can come to name another font.
#include "app/settings.h"
#include <algorithm>
#include <cstring>
#include <string>
#include "app/main_window_handlers.h"
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

// The output format's keys, after every other key.
const char kFormatKey[] = "输出格式";
const char kQualityKey[] = "JPEG质量";
OutputFormat g_outputFormat;

// The file path is built anew for every key.
std::string SettingsFile() { return RunDirectoryPath("\\pz.ini"); }

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

void LoadKey(const SettingKey& k) {
    Block value(ReadKey(k.key));
    switch (k.kind) {
    case Kind::ListIndex: SetComboListIndex(k.unit, TextToInteger(value.text())); break;
    case Kind::Colour: SetPickedColour(k.unit, static_cast<uint32_t>(TextToInteger(value.text()))); break;
    case Kind::Text: SetEditContent(k.unit, value.text()); break;
    }
}

void SaveKey(const SettingKey& k) {
    Block value;
    switch (k.kind) {
    case Kind::ListIndex: value.reset(IntegerToText(ComboListIndex(k.unit))); break;
    case Kind::Colour: value.reset(IntegerToText(static_cast<int32_t>(PickedColour(k.unit)))); break;
    case Kind::Text: value.reset(EditContent(k.unit)); break;
    }
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

}  // namespace

void LoadSettings() {
    // Every key is in place before the one refresh at the end of the hold, so
    // the first picture already has the stored colours (setting a picker's
    // colour fires no refresh of its own).
    PreviewRefreshHold hold;
    for (const SettingKey& k : kSettingKeys) LoadKey(k);
    for (const FontNameKey& k : kFontNameKeys) LoadFontName(k);
    g_outputFormat = ReadStoredOutputFormat();
    RefreshPreview(nullptr);
}

void SaveSettings() {
    for (const SettingKey& k : kSettingKeys) SaveKey(k);
    for (const FontNameKey& k : kFontNameKeys) SaveFontName(k);
    WriteKey(kFormatKey, NameOf(g_outputFormat.kind));
    WriteKey(kQualityKey, std::to_string(g_outputFormat.quality).c_str());
}

OutputFormat CurrentOutputFormat() { return g_outputFormat; }

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

OutputFormat ReadStoredOutputFormat() {
    OutputFormat f;
    Block name(ReadKey(kFormatKey));
    if (name.text()) FormatFromName(name.text(), &f.kind);
    Block quality(ReadKey(kQualityKey));
    const int32_t q = TextToInteger(quality.text());
    if (q >= kMinJpegQuality && q <= kMaxJpegQuality) f.quality = q;
    return f;
}

StoredStyles ReadStoredStyles(const std::vector<std::string>& fontNames) {
    StoredStyles s;
    s.title = {ResolveFont("标题字体", "标题字体名称", fontNames), ReadNumber("标题大小"), ReadNumber("标题字体x"),
               ReadNumber("标题字体y"), static_cast<uint32_t>(ReadNumber("标题颜色"))};
    s.body = {ResolveFont("文案字体", "文案字体名称", fontNames), ReadNumber("文案大小"), ReadNumber("文案字体x"),
              ReadNumber("文案字体y"), static_cast<uint32_t>(ReadNumber("文案颜色"))};
    return s;
}

}  // namespace app
