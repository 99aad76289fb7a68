// Picture and QR code fields without the window: their stored groups read
// back, placeholders in their paths and texts, and their pixels on a canvas.
// Built natively under ASan/UBSan; Chinese literals are GBK bytes.
#include <gtest/gtest.h>
#include <map>
#include "stored_lookup.h"
#include "app/poster/field_settings.h"
#include "app/poster/placeholders.h"
#include "app/render/field_pixels.h"

using namespace app;
namespace pic = imprinta::picture;

namespace {

using apptest::LookupIn;
using apptest::Stored;

const std::vector<std::string> kFonts = {"黑体", "宋体"};

PosterDescription WithEveryKind() {
    PosterDescription poster = DefaultPoster();
    PosterField text = NewField(FieldKind::Text, poster);
    text.text = {"黑体", 36, 0x00FF00, 10, 20, "价格\r\n{价格}", {}};
    text.text.effects.outlineWidth = 3;
    PosterField photo = NewField(FieldKind::Picture, poster);
    photo.picture = {"{照片}", {5, 6, 300, 200}, PictureFit::Fill, 12, true, 80};
    PosterField code = NewField(FieldKind::Qr, poster);
    code.qr = {"https://例子.cn/{编号}", QrLevel::H, 2, 0x112233, 0xFFEEDD, true, 40, 50, 260, "logo.png"};
    poster.fields.insert(poster.fields.end(), {text, photo, code});
    return poster;
}

pic::Canvas Filled(uint32_t w, uint32_t h, uint8_t b, uint8_t g, uint8_t r) {
    pic::Canvas c{w, h, {}};
    for (uint32_t i = 0; i < w * h; ++i) c.bgra.insert(c.bgra.end(), {b, g, r, 255});
    return c;
}

const uint8_t* At(const pic::Canvas& c, int x, int y) { return c.bgra.data() + (size_t(y) * c.width + x) * 4; }

}  // namespace

TEST(FieldSettings, StoredGroupsReadBackAndOldFilesStayAsTheyWere) {
    const PosterDescription poster = WithEveryKind();
    Stored stored;
    for (const auto& [k, v] : StoredExtraFields(poster, false)) stored[k] = v;
    EXPECT_EQ("3", stored["字段数"]);
    EXPECT_EQ("二维码", stored["字段3类型"]);
    EXPECT_EQ("填满", stored["字段2缩放"]);
    const std::vector<PosterField> read = ReadStoredExtraFields(LookupIn(stored), kFonts);
    ASSERT_EQ(3u, read.size());
    for (size_t i = 0; i < read.size(); ++i) EXPECT_EQ(poster.fields[kStandardFieldCount + i], read[i]) << i;

    // No fields: no key at all, unless the file had some (then none are read back).
    EXPECT_TRUE(StoredExtraFields(DefaultPoster(), false).empty());
    const IniValues cleared = StoredExtraFields(DefaultPoster(), true);
    ASSERT_EQ(1u, cleared.size());
    EXPECT_EQ((std::pair<std::string, std::string>("字段数", "0")), cleared[0]);
    EXPECT_TRUE(ReadStoredExtraFields(LookupIn({{"字段数", "0"}, {"字段1类型", "图片"}}), kFonts).empty());
}

TEST(FieldSettings, DamagedGroupsAreHeldOrSkipped) {
    Stored stored = {{"字段数", "99"},      {"字段1类型", "贴纸"},   {"字段2类型", "图片"},  {"字段2不透明度", "500"},
                     {"字段2宽", "-3"},       {"字段2缩放", "乱写"},   {"字段3类型", "二维码"}, {"字段3纠错", "h"},
                     {"字段3留白", "1000"},   {"字段3大小", "abc"},    {"字段4类型", "文字"},  {"字段4字体名称", "没有的字体"}};
    for (int i = 5; i <= 16; ++i) stored["字段" + std::to_string(i) + "类型"] = "文字";
    const std::vector<PosterField> read = ReadStoredExtraFields(LookupIn(stored), kFonts);
    ASSERT_EQ(2u + (kMaxTextFields - kStandardFieldCount), read.size()) << "unknown type skipped, texts held to ten";
    EXPECT_EQ(FieldKind::Picture, read[0].kind);
    EXPECT_EQ(100, read[0].picture.opacity);
    EXPECT_EQ(0, read[0].picture.box.width);
    EXPECT_EQ(PictureFit::Inside, read[0].picture.fit);
    EXPECT_EQ(QrLevel::H, read[1].qr.level);
    EXPECT_EQ(16, read[1].qr.quietModules);
    EXPECT_EQ(300, read[1].qr.size);
    EXPECT_EQ("宋体", read[2].text.font);
}

TEST(FieldPlaceholders, PathsAndCodesFilledAndRelativePathsBesideTheTable) {
    PosterDescription poster = WithEveryKind();
    const std::vector<std::string> names = PlaceholderNames(poster);
    for (const char* n : {"价格", "照片", "编号"})
        EXPECT_NE(names.end(), std::find(names.begin(), names.end(), n)) << n;
    const struct {
        const char* cell;
        const char* path;
    } kCases[] = {{"a.jpg", "D:\\表\\a.jpg"}, {"sub/b.png", "D:\\表\\sub/b.png"}, {"E:\\c.jpg", "E:\\c.jpg"},
                  {"\\\\server\\d.jpg", "\\\\server\\d.jpg"}, {"", ""}};
    for (const auto& c : kCases) {
        PosterDescription p = poster;
        std::vector<std::string> missing;
        FillFromRow(p, {nullptr, nullptr, {{"照片", c.cell}, {"编号", "7"}, {"价格", "9"}}, "D:\\表\\"}, &missing);
        EXPECT_TRUE(missing.empty());
        EXPECT_EQ(c.path, p.fields[3].picture.path) << c.cell;
        EXPECT_EQ("https://例子.cn/7", p.fields[4].qr.text);
        EXPECT_EQ("logo.png", p.fields[4].qr.centrePicture) << "a fixed path is not the row's";
    }
}

TEST(FieldPixels, PicturesTakeTheirBoxesAsTheirFitSays) {
    const struct {
        PictureFit fit;
        PictureSpan want;
    } kCases[] = {
        {PictureFit::Inside, {0, 0, 400, 200, 0, 50, 200, 100}},
        {PictureFit::Fill, {100, 0, 200, 200, 0, 0, 200, 200}},
        {PictureFit::Stretch, {0, 0, 400, 200, 0, 0, 200, 200}},
    };
    for (const auto& c : kCases) {
        const PictureSpan s = FitPicture(400, 200, {0, 0, 200, 200}, c.fit);
        const double got[] = {s.sx, s.sy, s.sw, s.sh, s.dx, s.dy, s.dw, s.dh};
        const double want[] = {c.want.sx, c.want.sy, c.want.sw, c.want.sh, c.want.dx, c.want.dy, c.want.dw, c.want.dh};
        for (int i = 0; i < 8; ++i) EXPECT_DOUBLE_EQ(want[i], got[i]) << int(c.fit) << " " << i;
    }
}

TEST(FieldPixels, CircleCornersAndOpacity) {
    const pic::Canvas red = Filled(50, 50, 0, 0, 255);
    const struct {
        bool circle;
        int radius, opacity;
        bool cornerDrawn;  // pixel (1, 1) of the box, like the centre
        int centreRed;   // red at the centre
    } kCases[] = {{false, 0, 100, true, 255}, {true, 0, 100, false, 255}, {false, 20, 100, false, 255},
                  {false, 0, 50, true, 128}};
    for (const auto& c : kCases) {
        pic::Canvas on = Filled(100, 100, 255, 255, 255);
        PictureField f{"x", {10, 10, 80, 80}, PictureFit::Stretch, c.radius, c.circle, c.opacity};
        BlendPicture(on, PlacePicture(red, FitPicture(50, 50, f.box, f.fit), {}), f, {});
        EXPECT_EQ(c.cornerDrawn, At(on, 11, 11)[1] == At(on, 50, 50)[1]) << c.circle << c.radius;
        EXPECT_NEAR(255 - c.centreRed, At(on, 50, 50)[1], 1) << c.opacity;
        EXPECT_EQ(255, At(on, 5, 50)[1]) << "outside the box";
    }
}

TEST(FieldPixels, QrModulesAreWholePixelsAndTheCodeFitsItsSquare) {
    const struct {
        int modules, quiet, size;
        QrPlace want;
    } kCases[] = {{21, 4, 300, {10, 290, 5}}, {21, 0, 42, {2, 42, 0}}, {21, 4, 57, {0, 0, 0}}, {177, 4, 370, {2, 370, 0}}};
    for (const auto& c : kCases) {
        const QrPlace p = PlaceQr(c.modules, c.quiet, c.size);
        EXPECT_EQ(c.want.modulePixels, p.modulePixels) << c.size;
        EXPECT_EQ(c.want.side, p.side) << c.size;
        EXPECT_EQ(c.want.offset, p.offset) << c.size;
    }
    // A 3 x 3 code of alternating modules, 4 pixels each, one module of quiet zone.
    QrModules m{3, {1, 0, 1, 0, 1, 0, 1, 0, 1}};
    for (bool transparent : {false, true}) {
        pic::Canvas on = Filled(30, 30, 0, 200, 0);
        QrField f;
        f.quietModules = 1, f.x = 2, f.y = 2, f.size = 20, f.lightTransparent = transparent;
        DrawQr(on, m, f, nullptr, {});
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 30; ++x) {
                const int cx = x - 2, cy = y - 2;
                const bool inCode = cx >= 0 && cy >= 0 && cx < 20 && cy < 20;
                const int mx = cx / 4 - 1, my = cy / 4 - 1;
                const bool dark = inCode && mx >= 0 && my >= 0 && mx < 3 && my < 3 && m.dark[my * 3 + mx];
                const int want = dark ? 0 : inCode && !transparent ? 255 : 200;
                ASSERT_EQ(want, At(on, x, y)[1]) << x << "," << y << " transparent " << transparent;
            }
    }
}
