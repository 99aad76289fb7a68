#include "app/poster/font_list.h"
#include <algorithm>

namespace app {

const char kCommercialUseMark[] = "（可商用）";

namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool EndsWithMark(const std::string& item) {
    const std::string mark = kCommercialUseMark;
    return item.size() > mark.size() && item.compare(item.size() - mark.size(), mark.size(), mark) == 0;
}

}  // namespace

std::vector<std::string> OrderedFontFamilies(const std::vector<std::string>& bundled,
                                             const std::vector<std::string>& installed) {
    std::vector<std::string> out;
    for (const std::string& name : bundled)
        if (!name.empty() && !Contains(out, name)) out.push_back(name);
    for (const std::string& name : installed)
        if (!Contains(out, name)) out.push_back(name);
    return out;
}

std::string FontListItem(const std::string& family, const std::vector<std::string>& bundled) {
    return Contains(bundled, family) ? family + kCommercialUseMark : family;
}

std::string FamilyOfListItem(const std::string& item) {
    return EndsWithMark(item) ? item.substr(0, item.size() - std::string(kCommercialUseMark).size()) : item;
}

void FontFallback::Note(const std::string& name) {
    if (!Contains(missing, name)) missing.push_back(name);
}

std::string MissingFontNotice(const FontFallback& fallback) {
    if (fallback.missing.empty()) return "";
    std::string names;
    for (const std::string& name : fallback.missing) names += (names.empty() ? "“" : "、“") + name + "”";
    return "这台电脑没有字体 " + names + ", 已改用随程序附带的“" + fallback.font + "”" + kCommercialUseMark + "。";
}

}  // namespace app
