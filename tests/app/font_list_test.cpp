// The font lists' order and marks, and a stored font this PC lacks: drawn in
// the program's own default font and named once. Built natively; Chinese
// literals are GBK bytes.
#include <gtest/gtest.h>
#include <map>
#include "app/poster/font_list.h"
#include "app/poster/poster_settings.h"

using namespace app;

namespace {

using Names = std::vector<std::string>;
const Names kBundled = {"文泉驿微米黑", "霞鹜文楷"};

}  // namespace

TEST(FontList, BundledFirstMarkedAndReadBackWithoutTheMark) {
    EXPECT_EQ((Names{"文泉驿微米黑", "霞鹜文楷", "宋体", "黑体"}),
              OrderedFontFamilies(kBundled, {"宋体", "霞鹜文楷", "黑体"}));
    EXPECT_EQ((Names{"宋体"}), OrderedFontFamilies({}, {"宋体"}));
    struct Case {
        std::string family, item;
    } cases[] = {
        {"霞鹜文楷", "霞鹜文楷（可商用）"},
        {"宋体", "宋体"},
        {"（可商用）", "（可商用）"},  // a family named like the mark alone is no marked item
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.item, FontListItem(c.family, kBundled));
        EXPECT_EQ(c.family, FamilyOfListItem(c.item)) << c.item;
    }
}

TEST(FontList, AStoredFontThisPcLacksTakesTheDefaultAndIsNamedOnce) {
    struct Case {
        std::map<std::string, std::string> stored;
        std::string fallbackFont;
        std::string title, body;
        Names missing;
    } cases[] = {
        {{{"标题字体名称", "方正兰亭黑"}, {"文案字体名称", "方正兰亭黑"}}, "文泉驿微米黑", "文泉驿微米黑", "文泉驿微米黑", {"方正兰亭黑"}},
        {{{"标题字体名称", "霞鹜文楷"}, {"文案字体名称", "华文彩云"}, {"文案字体", "2"}}, "文泉驿微米黑", "霞鹜文楷", "文泉驿微米黑", {"华文彩云"}},
        {{}, "文泉驿微米黑", "文泉驿微米黑", "文泉驿微米黑", {}},  // a first start
        // Without the program's fonts a missing name keeps the stored place, as before.
        {{{"标题字体名称", "方正兰亭黑"}, {"标题字体", "3"}}, "", "宋体", "宋体", {}},
    };
    const Names listed = OrderedFontFamilies(kBundled, {"黑体", "宋体"});
    for (const Case& c : cases) {
        FontFallback fallback{c.fallbackFont, {}};
        const auto read = [&c](const std::string& key, std::string* value) {
            auto at = c.stored.find(key);
            return at != c.stored.end() && (*value = at->second, true);
        };
        const PosterDescription poster = ReadStoredPoster(read, c.fallbackFont.empty() ? Names{"黑体", "宋体"} : listed, &fallback);
        EXPECT_EQ(c.title, poster.fields[kTitleField].text.font);
        EXPECT_EQ(c.body, poster.fields[kBodyField].text.font);
        EXPECT_EQ(c.missing, fallback.missing);
        const std::string notice = MissingFontNotice(fallback);
        EXPECT_EQ(c.missing.empty(), notice.empty());
        for (const std::string& name : c.missing) {
            EXPECT_NE(std::string::npos, notice.find("“" + name + "”")) << notice;
            EXPECT_NE(std::string::npos, notice.find("“" + c.fallbackFont + "”（可商用）")) << notice;
        }
    }
}
