// pz.ini, section "配置": ten keys in a fixed order. Fonts are kept by their
// position in the font list, colours as signed decimal colour values.
#include "app/settings.h"
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

// The file path is built anew for every key.
std::string SettingsFile() { return RunDirectoryPath("\\pz.ini"); }

int32_t TextToInteger(const char* text) { return static_cast<int32_t>(CallCore(kCmdToInteger, {ArgText(text)}).low); }

char* IntegerToText(int32_t value) {
    return reinterpret_cast<char*>(static_cast<uintptr_t>(CallCore(kCmdToText, {ArgInt(value)}).low));
}

void LoadKey(const SettingKey& k) {
    std::string file = SettingsFile();
    Block value(reinterpret_cast<void*>(static_cast<uintptr_t>(
        CallCore(kCmdReadIniItem, {ArgText(file.c_str()), ArgText(kSection), ArgText(k.key), ArgOmitted()}).low)));
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
    std::string file = SettingsFile();
    CallCore(kCmdWriteIniItem, {ArgText(file.c_str()), ArgText(kSection), ArgText(k.key), ArgText(value.text())});
}

}  // namespace

void LoadSettings() {
    // The colours come last and fire no refresh: the held refresh runs before
    // them, where the last of the six box writes would have run it.
    {
        PreviewRefreshHold hold;
        for (const SettingKey& k : kSettingKeys)
            if (k.kind != Kind::Colour) LoadKey(k);
    }
    for (const SettingKey& k : kSettingKeys)
        if (k.kind == Kind::Colour) LoadKey(k);
}

void SaveSettings() {
    for (const SettingKey& k : kSettingKeys) SaveKey(k);
}

}  // namespace app
