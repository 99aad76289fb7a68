// The poster description without the window: its stored form read back
// through the settings file's keys, and placeholders filled from table rows.
// Built natively under ASan/UBSan; Chinese literals are GBK bytes.
#include <gtest/gtest.h>
#include <map>
#include "stored_lookup.h"
#include "app/poster/placeholders.h"
#include "app/poster/poster_settings.h"

using namespace app;

namespace {

using apptest::LookupIn;
using apptest::Stored;

Stored Written(const PosterDescription& poster, const std::vector<std::string>& fonts) {
    Stored out;
    for (const IniValues& part : {StoredPosterHead(poster, fonts), StoredPosterStyle(poster)})
        for (const auto& [k, v] : part) out[k] = v;
    return out;
}

const std::vector<std::string> kFonts = {"黑体", "宋体", "楷体"};

}  // namespace

TEST(PosterSettings, WrittenKeysReadBackToTheSamePoster) {
    PosterDescription poster = DefaultPoster();
    TextField& title = poster.fields[kTitleField].text;
    title = {"楷体", 80, 0x123456, -40, 3000, "夏日\r\n促销 C:\\n", {}};
    title.effects.align = TextAlign::Centre;
    title.effects.lineSpacing = 150;
    title.effects.outlineWidth = 4;
    title.effects.shadowDx = -7;
    title.effects.anchor = TextAnchor::Proportional;
    title.effects.referenceWidth = 1080;
    title.effects.direction = TextDirection::Vertical;
    title.effects.letterSpacing = -120;
    title.effects.rotation = -45;
    title.effects.gradient = 1;
    title.effects.gradientTo = 0xABCDEF;
    title.effects.placeX = PicturePlace::Middle;
    title.effects.marginY = 30;
    poster.fields[kBodyField].text.font = "黑体";
    poster.fields[kBodyField].text.text = "第一行";
    EXPECT_EQ(poster, ReadStoredPoster(LookupIn(Written(poster, kFonts)), kFonts));

    // The keys and their order are those files have always had.
    const IniValues head = StoredPosterHead(DefaultPoster(), kFonts);
    std::vector<std::string> keys;
    for (const auto& kv : head) keys.push_back(kv.first);
    EXPECT_EQ((std::vector<std::string>{"标题字体", "文案字体", "标题大小", "文案大小", "标题字体x", "标题字体y",
                                        "文案字体x", "文案字体y", "标题颜色", "文案颜色", "标题字体名称",
                                        "文案字体名称", "标题内容", "文案内容"}),
              keys);
    EXPECT_EQ("50", head[2].second);
    EXPECT_EQ("-1", head[0].second);  // no font chosen
}

TEST(PosterSettings, MissingDamagedAndForeignValues) {
    struct Case {
        const char* what;
        Stored stored;
        std::string titleFont;
        int32_t titleSize, titleX;
    } cases[] = {
        {"empty file: the list's own choice and the defaults", {}, "宋体", 50, 120},
        {"a stored name wins over the place", {{"标题字体", "0"}, {"标题字体名称", "楷体"}}, "楷体", 50, 120},
        {"an unknown name falls back to the place", {{"标题字体", "0"}, {"标题字体名称", "隶书"}}, "黑体", 50, 120},
        {"a place beyond the list takes its last font", {{"标题字体", "99"}}, "楷体", 50, 120},
        {"a negative place chooses none", {{"标题字体", "-1"}}, "", 50, 120},
        {"damaged numbers take the defaults", {{"标题大小", "大"}, {"标题字体x", ""}}, "宋体", 50, 120},
        {"numbers are held to their range", {{"标题大小", "99999"}, {"标题字体x", "-9e9"}}, "宋体", 2000, -100000},
        {"full-width digits are digits", {{"标题大小", "４０"}, {"标题字体x", "－５"}}, "宋体", 40, -5},
    };
    for (const Case& c : cases) {
        const PosterDescription p = ReadStoredPoster(LookupIn(c.stored), kFonts);
        const TextField& t = p.fields[kTitleField].text;
        EXPECT_EQ(c.titleFont, t.font) << c.what;
        EXPECT_EQ(c.titleSize, t.size) << c.what;
        EXPECT_EQ(c.titleX, t.x) << c.what;
    }
}

// A file written before the finer settings existed reads as it always did:
// every later setting at the value that draws nothing differently, and they
// are written after every text's earlier settings.
TEST(PosterSettings, FilesWithoutTheLaterKeys) {
    const Stored old = {{"标题大小", "60"}, {"标题对齐", "1"}, {"标题描边宽度", "3"}, {"文案行距", "150"}};
    const PosterDescription p = ReadStoredPoster(LookupIn(old), kFonts);
    TextEffects expected;
    expected.align = TextAlign::Centre;
    expected.outlineWidth = 3;
    EXPECT_EQ(expected, p.fields[kTitleField].text.effects);
    TextEffects body;
    body.lineSpacing = 150;
    EXPECT_EQ(body, p.fields[kBodyField].text.effects);

    const IniValues style = StoredPosterStyle(DefaultPoster());
    ASSERT_EQ(size_t(2 * kStyleFieldCount), style.size());
    EXPECT_EQ("标题参考高", style[kLaterStyleFieldsFrom - 1].first);
    EXPECT_EQ("文案参考高", style[2 * kLaterStyleFieldsFrom - 1].first);
    EXPECT_EQ("标题方向", style[2 * kLaterStyleFieldsFrom].first);
    EXPECT_EQ("文案垂直边距", style.back().first);
}

// A box's number as it is shown and kept: as typed when it is just the number
// drawn, else what is drawn.
TEST(PosterSettings, NumbersKeptAsTyped) {
    const StoredKey& size = StoredNumberKeys()[2];  // 标题大小
    ASSERT_EQ("标题大小", size.key);
    const struct {
        const char *typed, *kept;
    } cases[] = {
        {"４０", "４０"}, {"+5", "+5"}, {"0", "0"},   {"30abc", "30"},
        {"12.7", "12"},   {"", "50"},   {"大", "50"}, {"99999", "2000"}, {"４０\r\n", "40"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.kept, StoredNumberText(size, c.typed)) << c.typed;
}

TEST(Placeholders, FilledFromTheRowsColumns) {
    const RowValues row = {{"日期", "5月1日"}, {"地点", "{日期}"}, {"空", ""}};
    struct Case {
        std::string text, filled;
        std::vector<std::string> missing;
    } cases[] = {
        {"{日期} 在 {地点}", "5月1日 在 {日期}", {}},  // a cell is never filled again
        {"{日期}{日期}{空}!", "5月1日5月1日!", {}},
        {"{时间} {价格} {时间}", "{时间} {价格} {时间}", {"时间", "价格"}},
        {"{} {{日期}} {日\r\n期}", "{} {5月1日} {日\r\n期}", {}},
        // A brace that is the second byte of a GBK character is none ("\x81\x7B").
        {"\x81\x7B日期}", "\x81\x7B日期}", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> missing;
        EXPECT_EQ(c.filled, FillPlaceholders(c.text, row, &missing)) << c.text;
        EXPECT_EQ(c.missing, missing) << c.text;
    }
}

TEST(Placeholders, ARowFillsThePoster) {
    const std::string title = "橘子", body = "甜";
    struct Case {
        const char* what;
        std::string titleText, bodyText;
        bool rowHasTitle;
        std::string titleDrawn, bodyDrawn;
        std::vector<std::string> missing;
    } cases[] = {
        {"texts without placeholders take the row's cells", "旧标题", "旧文案", true, "橘子", "甜", {}},
        {"a text with placeholders is filled instead", "{标题}到货 {日期}", "{文案}", true, "橘子到货 6月", "甜", {}},
        {"a table without a title column keeps the title", "旧标题", "x", false, "旧标题", "甜", {}},
        {"a missing column stays visible and is named", "{价格}元", "x", true, "{价格}元", "甜", {"价格"}},
    };
    for (const Case& c : cases) {
        PosterDescription poster = DefaultPoster();
        poster.fields[kTitleField].text.text = c.titleText;
        poster.fields[kBodyField].text.text = c.bodyText;
        std::vector<std::string> missing;
        FillFromRow(poster, {c.rowHasTitle ? &title : nullptr, &body, {{"标题", title}, {"文案", body}, {"日期", "6月"}}},
                    &missing);
        EXPECT_EQ(c.titleDrawn, poster.fields[kTitleField].text.text) << c.what;
        EXPECT_EQ(c.bodyDrawn, poster.fields[kBodyField].text.text) << c.what;
        EXPECT_EQ(c.missing, missing) << c.what;
    }
    EXPECT_EQ((std::vector<std::string>{"标题", "日期", "文案"}),
              PlaceholderNames(PosterDescription{"", {{FieldKind::Text, "a", {"", 0, 0, 0, 0, "{标题}{日期}{标题}", {}}},
                                                      {FieldKind::Text, "b", {"", 0, 0, 0, 0, "{文案}", {}}}}}));
}
