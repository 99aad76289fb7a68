// The font lists' order and marks, and what a font stored on another PC
// becomes on this one. The program's own fonts (its fonts\ folder, free for
// commercial use) come first and are marked; a stored font this PC lacks is
// drawn in the first of them rather than silently in whatever the system picks.
#pragma once
#include <string>
#include <vector>

namespace app {

// The mark after a bundled family's name in every font list.
extern const char kCommercialUseMark[];

// Families in list order: the bundled ones as given, then the installed ones
// that are not bundled (a bundled font is also enumerated with the system's).
std::vector<std::string> OrderedFontFamilies(const std::vector<std::string>& bundled,
                                             const std::vector<std::string>& installed);
// A list item: the family, marked when it is bundled.
std::string FontListItem(const std::string& family, const std::vector<std::string>& bundled);
// The family a list item names: the item without its mark.
std::string FamilyOfListItem(const std::string& item);

// A stored font name that names no listed family is drawn in `font` (the
// bundled default) when there is one; the names replaced are kept, once each,
// to be said once.
struct FontFallback {
    std::string font;
    std::vector<std::string> missing;
    void Note(const std::string& name);
};
// What the person is told about the replaced fonts (GBK); empty when none was.
std::string MissingFontNotice(const FontFallback& fallback);

}  // namespace app
