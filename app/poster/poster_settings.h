// A poster's fields as pz.ini and style files keep them (section "配置"): each
// text field's font (by its place in the font list and by name), size, point,
// colour, text and style, under the field's name as prefix ("标题大小",
// "文案字体x", "标题描边宽度"...). The keys keep the order files have always had.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "app/poster/font_list.h"
#include "app/poster/poster.h"
#include "app/poster/settings_text.h"

namespace app {

// A stored value by key: false when the key is missing.
using StoredLookup = std::function<bool(const std::string& key, std::string* value)>;

// The numeric keys of the text fields, in file order: the fonts' list places,
// the sizes, the points, the colours. A missing or unreadable number takes its
// fallback; a readable one is held to its range (Held).
enum class StoredMember { FontIndex, Size, X, Y, Colour };
struct StoredKey {
    std::string key;
    size_t field;  // kTitleField or kBodyField
    StoredMember member;
    int32_t fallback;
};
const std::vector<StoredKey>& StoredNumberKeys();
int32_t Held(StoredMember member, int64_t value);
// The number a key's stored or typed text stands for: held, or the fallback.
int32_t StoredNumber(const StoredKey& key, const std::string& text);
// A size or position as its box shows it and the file keeps it: the text as
// typed when it is just that number ("４０", "+5"), else the number StoredNumber
// makes of it, so what is drawn is what is saved and read back.
std::string StoredNumberText(const StoredKey& key, const std::string& text);
// The keys after the numbers: each field's font name, then each field's text.
std::string FontNameKey(const std::string& field);
std::string TextKey(const std::string& field);

// The title and the body with the ready folder's settings and no texts.
PosterDescription DefaultPoster();

// The poster a stored file describes, as a run without the window draws it:
// a stored font name found among fontNames wins over the stored place, a place
// beyond the list takes its last font, and without a readable place the list's
// own choice (宋体, else its first font). Texts with their line breaks.
// Given a fallback with a font, a stored name not among fontNames is drawn in
// that font (and noted), and a field without a readable place takes it too.
PosterDescription ReadStoredPoster(const StoredLookup& read, const std::vector<std::string>& fontNames,
                                   FontFallback* fallback = nullptr);
// The style keys of one text, read as its defaults where missing or damaged, clamped.
TextEffects ReadStoredEffects(const StoredLookup& read, const std::string& field);

// The keys written before the window's place (numbers, font names, texts) and
// after it (each field's style). A font not in fontNames is kept as place -1.
IniValues StoredPosterHead(const PosterDescription& poster, const std::vector<std::string>& fontNames);
IniValues StoredPosterStyle(const PosterDescription& poster);

}  // namespace app
