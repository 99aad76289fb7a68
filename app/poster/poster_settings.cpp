#include "app/poster/poster_settings.h"
#include <algorithm>
#include "app/poster/text_limits.h"
#include "app/poster/typed_number.h"

namespace app {

namespace {

constexpr int32_t kTitleRed = (40 << 16) | (40 << 8) | 200;
constexpr int32_t kBodyDark = (54 << 16) | (47 << 8) | 43;

// What a member is called after the field's prefix.
const char* SuffixOf(StoredMember m) {
    switch (m) {
    case StoredMember::FontIndex: return "字体";
    case StoredMember::Size: return "大小";
    case StoredMember::X: return "字体x";
    case StoredMember::Y: return "字体y";
    case StoredMember::Colour: return "颜色";
    }
    return "";
}

int32_t& MemberOf(TextField& t, StoredMember m) {
    switch (m) {
    case StoredMember::Size: return t.size;
    case StoredMember::X: return t.x;
    case StoredMember::Y: return t.y;
    default: return reinterpret_cast<int32_t&>(t.colour);
    }
}

const char* const kFieldNames[kStandardFieldCount] = {kTitleFieldName, kBodyFieldName};

std::string NumberText(int64_t n) { return std::to_string(n); }

int32_t FontPlace(const std::string& font, const std::vector<std::string>& names) {
    auto at = std::find(names.begin(), names.end(), font);
    return font.empty() || at == names.end() ? -1 : int32_t(at - names.begin());
}

std::string ResolveFont(const StoredLookup& read, const std::string& field, const std::vector<std::string>& names,
                        FontFallback* fallback) {
    std::string name, index;
    const bool named = read(FontNameKey(field), &name) && !name.empty();
    if (named && std::find(names.begin(), names.end(), name) != names.end()) return name;
    // A name kept by another PC wins over its place here, which names another font.
    const bool bundledDefault = fallback && !fallback->font.empty();
    if (named && bundledDefault) {
        fallback->Note(name);
        return fallback->font;
    }
    if (names.empty()) return "";
    int64_t i = 0;
    if (!read(field + SuffixOf(StoredMember::FontIndex), &index) || !ParseStoredNumber(index, &i)) {
        if (bundledDefault) return fallback->font;
        auto simSun = std::find(names.begin(), names.end(), std::string("宋体"));
        return simSun != names.end() ? *simSun : names.front();
    }
    if (i < 0) return "";
    return names[std::min<size_t>(size_t(std::min<int64_t>(i, INT32_MAX)), names.size() - 1)];
}

}  // namespace

const std::vector<StoredKey>& StoredNumberKeys() {
    using M = StoredMember;
    static const std::vector<StoredKey> keys = [] {
        struct Row {
            size_t field;
            M member;
            int32_t fallback;
        };
        const Row rows[] = {
            {kTitleField, M::FontIndex, 0}, {kBodyField, M::FontIndex, 0},  {kTitleField, M::Size, 50},
            {kBodyField, M::Size, 25},      {kTitleField, M::X, 120},       {kTitleField, M::Y, 120},
            {kBodyField, M::X, 120},        {kBodyField, M::Y, 260},        {kTitleField, M::Colour, kTitleRed},
            {kBodyField, M::Colour, kBodyDark},
        };
        std::vector<StoredKey> out;
        for (const Row& r : rows) out.push_back({std::string(kFieldNames[r.field]) + SuffixOf(r.member), r.field, r.member, r.fallback});
        return out;
    }();
    return keys;
}

int32_t Held(StoredMember member, int64_t value) {
    switch (member) {
    case StoredMember::Size: return ClampTextSize(value);
    case StoredMember::X:
    case StoredMember::Y: return ClampStoredPosition(value);
    default: break;
    }
    // Colours (and list places) are 32-bit words, stored as signed decimals.
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

int32_t StoredNumber(const StoredKey& key, const std::string& text) {
    int64_t value = 0;
    return ParseStoredNumber(text, &value) ? Held(key.member, value) : key.fallback;
}

std::string StoredNumberText(const StoredKey& key, const std::string& text) {
    const int32_t n = StoredNumber(key, text);
    int64_t whole = 0;
    const bool asTyped = text.find_first_of("\r\n") == std::string::npos && ReadWholeNumber(text, &whole) && whole == n;
    return asTyped ? text : NumberText(n);
}

std::string FontNameKey(const std::string& field) { return field + "字体名称"; }
std::string TextKey(const std::string& field) { return field + "内容"; }

PosterDescription DefaultPoster() {
    PosterDescription poster;
    for (const char* name : kFieldNames) poster.fields.push_back({FieldKind::Text, name, {}});
    for (const StoredKey& k : StoredNumberKeys())
        if (k.member != StoredMember::FontIndex) MemberOf(poster.fields[k.field].text, k.member) = k.fallback;
    return poster;
}

TextEffects ReadStoredEffects(const StoredLookup& read, const std::string& field) {
    TextEffects e;
    for (int i = 0; i < kStyleFieldCount; ++i) {
        std::string value;
        int32_t n = 0;
        if (read(field + kStyleFields[i].name, &value) && ParseStoredInteger(value.c_str(), &n)) kStyleFields[i].set(e, n);
    }
    return Clamped(e);
}

PosterDescription ReadStoredPoster(const StoredLookup& read, const std::vector<std::string>& fontNames,
                                   FontFallback* fallback) {
    PosterDescription poster = DefaultPoster();
    for (const StoredKey& k : StoredNumberKeys()) {
        std::string value;
        if (k.member != StoredMember::FontIndex)
            MemberOf(poster.fields[k.field].text, k.member) = StoredNumber(k, read(k.key, &value) ? value : "");
    }
    for (PosterField& f : poster.fields) {
        f.text.font = ResolveFont(read, f.name, fontNames, fallback);
        std::string text;
        if (read(TextKey(f.name), &text)) f.text.text = UnescapeLineBreaks(text);
        f.text.effects = ReadStoredEffects(read, f.name);
    }
    return poster;
}

IniValues StoredPosterHead(const PosterDescription& poster, const std::vector<std::string>& fontNames) {
    IniValues values;
    for (const StoredKey& k : StoredNumberKeys()) {
        if (k.field >= poster.fields.size()) continue;
        TextField t = poster.fields[k.field].text;
        const int32_t n = k.member == StoredMember::FontIndex ? FontPlace(t.font, fontNames) : MemberOf(t, k.member);
        values.emplace_back(k.key, NumberText(n));
    }
    for (size_t i = 0; i < kStandardFieldCount && i < poster.fields.size(); ++i)
        values.emplace_back(FontNameKey(poster.fields[i].name), poster.fields[i].text.font);
    for (size_t i = 0; i < kStandardFieldCount && i < poster.fields.size(); ++i)
        values.emplace_back(TextKey(poster.fields[i].name), EscapeLineBreaks(poster.fields[i].text.text));
    return values;
}

IniValues StoredPosterStyle(const PosterDescription& poster) {
    IniValues values;
    auto add = [&](int from, int to) {
        for (size_t i = 0; i < kStandardFieldCount && i < poster.fields.size(); ++i)
            for (int s = from; s < to; ++s)
                values.emplace_back(poster.fields[i].name + kStyleFields[s].name,
                                    NumberText(kStyleFields[s].get(poster.fields[i].text.effects)));
    };
    add(0, kLaterStyleFieldsFrom);
    add(kLaterStyleFieldsFrom, kStyleFieldCount);
    return values;
}

}  // namespace app
