// The fast path against the all-GDI+ path: the same templates, texts and
// watermarks must give the same pixels, and the picture cache must never show
// stale pixels. JPEG pixels are libjpeg-turbo's: there the reference is GDI+
// drawing on ImageMagick's decode of the same file (within one level, should
// the two libjpeg-turbo builds round apart).
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include "app/render/field_assets.h"
#include "app/render/render_pool.h"
#include "app/render/renderer.h"
#include "app/render/gdiplus_path.h"
#include "app/platform/runtime_calls.h"
#include "picture_io.h"
#include "runtime/core/runtime_interface.h"
#include "runtime/pictures/picture_cache.h"
#include "runtime/pictures/picture_scale.h"
#include "runtime/pictures/png_encode.h"

namespace {

std::vector<uint8_t> ReadTemplate(const char* name) {
    const char* build = getenv("IMPRINTA_BUILD");
    std::string path = std::string(build ? build : ".") + "/test-templates/" + name;
    std::vector<uint8_t> bytes;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        uint8_t buffer[65536];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.insert(bytes.end(), buffer, buffer + n);
        fclose(f);
    }
    return bytes;
}

struct TextCase {
    const char* font;
    int size;
    uint32_t colour;
    int alpha, hint, x, y;
    const char* text;
};

enum class Way { AllGdiplus, Chained, Composed };

// A preview's two passes on one path or another: the all-GDI+ reference, the
// fast path pass by pass, and one composition (as the refresh and the batch make it).
void* TwoPasses(Way way, const void* picture, const TextCase& title, const TextCase& body) {
    if (way == Way::Composed) {
        app::Composition composed(picture);
        for (const TextCase* t : {&title, &body})
            composed.Stamp(t->font, t->size, t->colour, 1, t->alpha, t->hint, t->text, t->x, t->y);
        return composed.Finish(app::ResultUse::Shown);
    }
    auto pass = [way](const void* in, const TextCase& t, app::ResultUse use) {
        return way == Way::Chained
                   ? app::DrawTextOnPicture(in, t.font, t.size, t.colour, 1, t.alpha, t.hint, t.text, t.x, t.y, use)
                   : app::DrawTextOnPictureGdiplus(in, t.font, t.size, t.colour, 1, t.alpha, t.hint, t.text, t.x, t.y);
    };
    Owned first(pass(picture, title, app::ResultUse::ReadBackAtOnce));
    return pass(first.block, body, app::ResultUse::Kept);
}

// Largest channel difference over all pixels; -1 when the pictures differ in size or do not decode.
int MaxDifference(const void* a, const void* b) {
    Picture pa, pb;
    if (!DecodeByteSet(a, &pa) || !DecodeByteSet(b, &pb)) return -1;
    if (pa.width != pb.width || pa.height != pb.height) return -1;
    int worst = 0;
    for (size_t i = 0; i < pa.pixels.size(); ++i) {
        const Rgba &x = pa.pixels[i], &y = pb.pixels[i];
        for (int d : {x.r - y.r, x.g - y.g, x.b - y.b, x.a - y.a}) worst = std::max(worst, std::abs(d));
    }
    return worst;
}

// What GDI+ draws on for the reference: the template itself, or for a JPEG
// ImageMagick's decode of it (X.jpg.png, made by the fixture).
std::string ReferenceOf(const std::string& file) { return file.ends_with(".jpg") ? file + ".png" : file; }
int ToleranceOf(const std::string& file) { return file.ends_with(".jpg") ? 1 : 0; }

// Every kind of template the program decodes itself.
const char* const kTemplates[] = {
    "flat.png",        "photo.png",      "alpha.png",     "palette.png",       "grey.png",
    "grey-alpha.png",  "grey4.png",      "deep.png",      "interlaced.png",    "baseline.jpg",
    "progressive.jpg", "cmyk.jpg",       "yuv420.jpg",    "yuv422.jpg",        "yuv444.jpg",
    "progressive420.jpg", "grey.jpg",    "template.bmp",  "rgb555.bmp",     "rgb565.bmp",
    "template.gif",    "oversize.gif",
};

}  // namespace

TEST(FastPath, GivesTheAllGdiplusPixels) {
    const TextCase titles[] = {
        {"Tahoma", 40, 0x0000FF, 255, app::kTextRenderingHintAntiAlias, 20, 20, "Title"},
        {"宋体", 50, 0x00FF8000, 128, app::kNoTextRenderingHint, 170, 280, "过右下边缘的标题"},  // past both edges
        {"黑体", 13, 0x00FFFFFF, 255, app::kTextRenderingHintAntiAlias, -5, 150, "small\r\n小字"},
    };
    const TextCase bodies[] = {
        {"宋体", 18, 0x00202020, 255, app::kTextRenderingHintAntiAlias, 20, 90, "一行\r\n\r\nthree lines"},
        {"Tahoma", 25, 0x0000C000, 200, app::kTextRenderingHintAntiAlias, 100, 200, "body\r\ntext"},
        {"Tahoma", 0, 0x000000FF, 255, app::kTextRenderingHintAntiAlias, 10, 10, "size 0 draws nothing"},
    };
    for (const char* file : kTemplates) {
        std::vector<uint8_t> bytes = ReadTemplate(file), referenceBytes = ReadTemplate(ReferenceOf(file).c_str());
        ASSERT_FALSE(bytes.empty() || referenceBytes.empty()) << file << " missing: the test-templates fixture makes it";
        Owned input(ToByteSet(bytes)), referenceInput(ToByteSet(referenceBytes));
        const int tolerance = ToleranceOf(file);
        for (size_t i = 0; i < std::size(titles); ++i) {
            Owned reference(TwoPasses(Way::AllGdiplus, referenceInput.block, titles[i], bodies[i]));
            ASSERT_NE(nullptr, reference.block) << file;
            for (Way way : {Way::Chained, Way::Composed}) {
                Owned fast(TwoPasses(way, input.block, titles[i], bodies[i]));
                int difference = MaxDifference(reference.block, fast.block);
                EXPECT_LE(0, difference) << file << " case " << i << " way " << int(way);
                EXPECT_LE(difference, tolerance) << file << " case " << i << " way " << int(way);
                if (difference > tolerance || difference < 0) {
                    SaveForInspection(reference.block, (std::string("reference-") + file + ".png").c_str());
                    SaveForInspection(fast.block, (std::string("fast-") + file + ".png").c_str());
                }
            }
        }
    }
}

TEST(FastPath, WatermarkFlipsAndShrinksGiveTheAllGdiplusPixels) {
    struct Mark {
        const char* base;
        const char* mark;
        int position, shrink, flip;
    } marks[] = {
        {"flat.png", "palette.png", 1, 50, 0},     {"photo.png", "alpha.png", 9, 150, 1},
        {"alpha.png", "template.gif", 5, 30, 2},   {"baseline.jpg", "palette.png", 3, 100, 3},
        {"template.bmp", "alpha.png", 0, 40, 4},   {"palette.png", "photo.png", 6, 25, 5},
        {"grey.png", "flat.png", 8, 60, 6},        {"deep.png", "alpha.png", 4, 45, 7},
        {"flat.png", "alpha.png", 2, -5, -1},      {"flat.png", "nothing.png", 1, 50, 0},
        {"yuv420.jpg", "rgb555.bmp", 9, 50, 1},    {"deep.png", "progressive420.jpg", 1, 70, 0},
    };
    for (const Mark& m : marks) {
        std::vector<uint8_t> baseBytes = ReadTemplate(m.base), markBytes = ReadTemplate(m.mark);
        std::vector<uint8_t> referenceBase = ReadTemplate(ReferenceOf(m.base).c_str());
        std::vector<uint8_t> referenceMark = ReadTemplate(ReferenceOf(m.mark).c_str());
        Owned base(ToByteSet(baseBytes)), mark(ToByteSet(markBytes));
        Owned gdiBase(ToByteSet(referenceBase)), gdiMark(ToByteSet(referenceMark));
        const app::WatermarkPlacement placement{m.position, 7, 9, m.shrink, 1, m.flip};
        Owned reference(app::ComposeWatermarkGdiplus(gdiBase.block, gdiMark.block, placement));
        Owned fast(app::ComposeWatermark(base.block, mark.block, m.position, 7, 9, m.shrink, 1, m.flip));
        const int tolerance = std::max(ToleranceOf(m.base), ToleranceOf(m.mark));
        int difference = MaxDifference(reference.block, fast.block);
        EXPECT_LE(0, difference) << m.base << " + " << m.mark;
        EXPECT_LE(difference, tolerance) << m.base << " + " << m.mark << " flip " << m.flip;
    }
}

TEST(FastPath, ANewFileOfTheSameSizeIsNeverTheCachedOne) {
    // Two templates of one size and byte count (uncompressed), differing in one pixel's colour.
    namespace pic = imprinta::picture;
    pic::Canvas a{64, 48, std::vector<uint8_t>(64 * 48 * 4, 255)}, b = a;
    for (size_t i = 0; i < a.bgra.size(); i += 4) a.bgra[i + 2] = b.bgra[i + 2] = 200;  // red
    b.bgra[(20 * 64 + 30) * 4 + 2] = 10;
    std::vector<uint8_t> bytesA = pic::EncodePng(a, {pic::PngCompression::Stored});
    std::vector<uint8_t> bytesB = pic::EncodePng(b, {pic::PngCompression::Stored});
    ASSERT_EQ(bytesA.size(), bytesB.size());
    for (int round = 0; round < 2; ++round)
        for (const auto* bytes : {&bytesA, &bytesB}) {
            Owned input(ToByteSet(*bytes));
            Owned out(app::DrawTextOnPicture(input.block, "Tahoma", 10, 0, 1, 255, 4, "", 0, 0));
            Picture p;
            ASSERT_TRUE(DecodeByteSet(out.block, &p));
            EXPECT_EQ(bytes == &bytesA ? 200 : 10, p.at(30, 20).r) << "round " << round;
        }
}

const char kLongBody[] = "一行\r\nbody\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8";

// A preview made at the size it is shown, against the full-size picture
// shrunk the way the picture box shrinks it. The texts are drawn at the shown
// size rather than shrunk, so glyphs are hinted and anti-aliased at another
// scale (a line may come out a pixel wider): the stated tolerance is a mean
// difference under 6 levels, with under 5 % of the values off by more than 48.
TEST(FastPath, PreviewAtTheShownSizeAgreesWithTheShrunkPicture) {
    namespace pic = imprinta::picture;
    struct Case {
        const char* file;
        app::PictureSize shown;
    } cases[] = {
        {"photo.png", {120, 160}}, {"yuv420.jpg", {97, 211}}, {"alpha.png", {150, 100}},
        {"deep.png", {239, 319}},  {"flat.png", {240, 320}},  // not larger than shown: made at its own size
    };
    const TextCase title = {"黑体", 40, 0x0000FF, 255, app::kTextRenderingHintAntiAlias, 20, 20, "标题 Title"};
    // Long enough to be kept line by line in the preview.
    const TextCase body = {"宋体", 24, 0x00202020, 255, app::kTextRenderingHintAntiAlias, 30, 180, kLongBody};
    app::TextEffects outlined;  // an outline's width shrinks with the picture too
    outlined.outlineWidth = 10;
    outlined.outlineColour = 0xFFFF00;
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = ReadTemplate(c.file);
        Owned input(ToByteSet(bytes));
        auto compose = [&](app::PictureSize shown, bool* reduced, const app::TextEffects& titleEffects) {
            app::Composition picture(input.block, shown);
            picture.Stamp(title.font, title.size, title.colour, 1, title.alpha, title.hint, title.text, title.x, title.y,
                          titleEffects);
            picture.Stamp(body.font, body.size, body.colour, 1, body.alpha, body.hint, body.text, body.x, body.y);
            *reduced = picture.Reduced();
            EXPECT_EQ(320u, picture.SourceSize().height) << c.file;
            return picture.Finish(app::ResultUse::Shown);
        };
        bool reduced = false, fullReduced = true;
        Owned preview(compose(c.shown, &reduced, {})), full(compose({}, &fullReduced, {}));
        EXPECT_FALSE(fullReduced);
        EXPECT_EQ(std::string(c.file) != "flat.png", reduced) << c.file;
        auto canvasOf = [](const Owned& png) {
            return pic::DecodeCanvas(std::span(ByteSetData(png.block), ByteSetLength(png.block)));
        };
        auto previewCanvas = canvasOf(preview), fullCanvas = canvasOf(full);
        ASSERT_TRUE(previewCanvas && fullCanvas) << c.file;
        if (!reduced) {
            EXPECT_TRUE(previewCanvas->bgra == fullCanvas->bgra) << c.file;
            continue;
        }
        // Made whole and in proportion within the shown box.
        const pic::FitPlace fit = pic::FitWhole(int(fullCanvas->width), int(fullCanvas->height), int(c.shown.width),
                                                int(c.shown.height));
        ASSERT_EQ(uint32_t(fit.width), previewCanvas->width) << c.file;
        ASSERT_EQ(uint32_t(fit.height), previewCanvas->height) << c.file;
        pic::SharedCanvas shrunk = pic::ScaleCanvas(*fullCanvas, fit.width, fit.height);
        ASSERT_TRUE(shrunk);
        uint64_t total = 0, distant = 0;
        for (size_t i = 0; i < shrunk->bgra.size(); ++i) {
            const int d = std::abs(int(shrunk->bgra[i]) - int(previewCanvas->bgra[i]));
            total += d;
            distant += d > 48;
        }
        const double mean = double(total) / shrunk->bgra.size();
        if (mean >= 6) {
            SaveForInspection(preview.block, (std::string("preview-") + c.file + ".png").c_str());
            std::vector<uint8_t> png = pic::EncodePng(*shrunk, {pic::PngCompression::Stored});
            Owned shrunkPng(ToByteSet(png));
            SaveForInspection(shrunkPng.block, (std::string("shrunk-") + c.file + ".png").c_str());
        }
        EXPECT_LT(mean, 6) << c.file;
        EXPECT_LT(distant * 20, shrunk->bgra.size()) << c.file;

        // The outline covers about as much of the preview as of the shrunk picture.
        Owned previewRing(compose(c.shown, &reduced, outlined)), fullRing(compose({}, &fullReduced, outlined));
        auto ringPixels = [](const pic::Canvas& p) {
            size_t n = 0;
            for (size_t i = 0; i + 3 < p.bgra.size(); i += 4) n += p.bgra[i] > 200 && p.bgra[i + 1] > 200 && p.bgra[i + 2] < 60;
            return double(n);
        };
        auto shrunkRing = pic::ScaleCanvas(*canvasOf(fullRing), fit.width, fit.height);
        const double ratio = ringPixels(*canvasOf(previewRing)) / ringPixels(*shrunkRing);
        EXPECT_TRUE(ratio > 0.7 && ratio < 1.4) << c.file << ": outline area ratio " << ratio;
    }
}

// The preview paints a text that did not change from the layer it left: every
// setting of a text must make it new, and a layer painted again gives the
// picture it gave when made.
TEST(FastPath, PreviewTextsFollowEveryChange) {
    std::vector<uint8_t> bytes = ReadTemplate("photo.png");
    Owned input(ToByteSet(bytes));
    struct Texts {
        TextCase title, body;
        app::TextEffects bodyEffects;
    };
    const Texts base = {{"黑体", 40, 0x0000FF, 255, app::kTextRenderingHintAntiAlias, 20, 20, "标题 Title"},
                        {"宋体", 24, 0x00202020, 255, app::kTextRenderingHintAntiAlias, 30, 180, kLongBody},
                        {}};
    auto preview = [&](const Texts& t) {
        app::Composition picture(input.block, {120, 160});
        picture.Stamp(t.title.font, t.title.size, t.title.colour, 1, t.title.alpha, t.title.hint, t.title.text,
                      t.title.x, t.title.y);
        picture.Stamp(t.body.font, t.body.size, t.body.colour, 1, t.body.alpha, t.body.hint, t.body.text, t.body.x,
                      t.body.y, t.bodyEffects);
        EXPECT_TRUE(picture.Reduced());
        Owned png(picture.Finish(app::ResultUse::Shown));
        return std::string(reinterpret_cast<const char*>(ByteSetData(png.block)), ByteSetLength(png.block));
    };
    const std::string first = preview(base);
    const std::pair<const char*, void (*)(Texts&)> changes[] = {
        {"body text", [](Texts& t) { t.body.text = "一行\r\nbodies"; }},
        {"body's fourth line", [](Texts& t) { t.body.text = "一行\r\nbody\r\n3\r\n4!\r\n5\r\n6\r\n7\r\n8"; }},
        {"body x", [](Texts& t) { t.body.x += 7; }},
        {"body y", [](Texts& t) { t.body.y += 7; }},
        {"body size", [](Texts& t) { t.body.size += 6; }},
        {"body colour", [](Texts& t) { t.body.colour = 0x00FF8000; }},
        {"body outline", [](Texts& t) { t.bodyEffects.outlineWidth = 3, t.bodyEffects.outlineColour = 0xFFFFFF; }},
        {"title text", [](Texts& t) { t.title.text = "标题 Other"; }},
    };
    for (const auto& [what, change] : changes) {
        Texts changed = base;
        change(changed);
        EXPECT_TRUE(first != preview(changed)) << what << ": the text's old layer was painted";
        EXPECT_TRUE(first == preview(base)) << what << ": a layer painted again differs from when it was made";
    }
}

// Style settings that change nothing (no width, no opacity, no reference size)
// give the plain text's bytes on every template kind, as the defaults do.
TEST(FastPath, IdleTextStyleGivesThePlainBytes) {
    app::TextEffects idle;
    idle.outlineColour = 0xFFFFFF;
    idle.shadowColour = 0x00FF00;
    idle.shadowDx = idle.shadowDy = 12;
    idle.shadowBlur = 8;
    idle.fit = app::TextFit::Shrink;
    idle.anchor = app::TextAnchor::Proportional;
    const TextCase t = {"宋体", 48, 0x0000FF, 255, app::kTextRenderingHintAntiAlias, 20, 30, "标题 Title\r\n第二行"};
    for (const char* file : kTemplates) {
        Owned input(ToByteSet(ReadTemplate(file)));
        ASSERT_NE(nullptr, input.block) << file;
        for (const app::TextEffects& e : {app::TextEffects{}, idle}) {
            app::Composition plain(input.block), styled(input.block);
            plain.Stamp(t.font, t.size, t.colour, 1, t.alpha, t.hint, t.text, t.x, t.y);
            styled.Stamp(t.font, t.size, t.colour, 1, t.alpha, t.hint, t.text, t.x, t.y, e);
            Owned a(plain.Finish(app::ResultUse::Kept)), b(styled.Finish(app::ResultUse::Kept));
            ASSERT_NE(nullptr, a.block) << file;
            ASSERT_EQ(app::BytesLength(a.block), app::BytesLength(b.block)) << file;
            EXPECT_EQ(0, memcmp(ByteSetData(a.block), ByteSetData(b.block), app::BytesLength(a.block))) << file;
        }
    }
}

namespace {

namespace pic = imprinta::picture;

// Ink boxes of the bands of rows where the text differs from the white template.
std::vector<Box> InkBandsOf(const pic::Canvas& c) {
    auto inked = [&](uint32_t x, uint32_t y) {
        const uint8_t* p = &c.bgra[(size_t(y) * c.width + x) * 4];
        return std::min({p[0], p[1], p[2]}) < 128;
    };
    std::vector<Box> bands;
    bool inBand = false;
    for (uint32_t y = 0; y < c.height; ++y) {
        int left = -1, right = -1;
        for (uint32_t x = 0; x < c.width; ++x)
            if (inked(x, y)) right = int(x), left = left < 0 ? int(x) : left;
        if (left < 0) {
            inBand = false;
            continue;
        }
        if (!inBand) bands.push_back({left, int(y), right, int(y)});
        Box& b = bands.back();
        b.left = std::min(b.left, left), b.right = std::max(b.right, right), b.bottom = int(y);
        inBand = true;
    }
    return bands;
}

}  // namespace

// Every layout decision of a preview (line breaks, shrunk size, alignment,
// line places) is the full-size picture's: the preview holds the lines of the
// export shrunk, each where the shrunk export has it, within 1 % of the picture.
TEST(FastPath, PreviewLaysOutAsTheFullSizePicture) {
    const app::PictureSize templates[] = {{1500, 1000}, {1080, 1920}, {800, 600}};
    const app::PictureSize shown = {480, 480};
    const char kSummer[] = "夏日的夜晚，约上三五好友来一场露天烧烤，冰镇啤酒配上滋滋作响的肉串，"
                           "在星空下享受这份难得的惬意，快乐一顶！";
    const char kPoem[] = "床前明月光，\r\n疑是地上霜。\r\n举头望明月，\r\n低头思故乡。\r\n春眠不觉晓，\r\n"
                         "处处闻啼鸟。\r\n夜来风雨声，\r\n花落知多少。\r\n白日依山尽，\r\n黄河入海流。";
    struct Case {
        const char* what;
        const char* text;
        double x, y, maxWidth;  // of the picture's width and height
        void (*style)(app::TextEffects&);
    } cases[] = {
        {"plain lines", "第一行 Line\r\n第二行更长一些\r\n三", 0.05, 0.1, 0, [](app::TextEffects&) {}},
        {"wrap", kSummer, 0.05, 0.1, 0.6, [](app::TextEffects&) {}},
        {"wrap, centred, spaced", kSummer, 0.5, 0.1, 0.55,
         [](app::TextEffects& e) { e.align = app::TextAlign::Centre, e.lineSpacing = 150; }},
        {"wrap, right, outlined", kSummer, 0.95, 0.05, 0.7,
         [](app::TextEffects& e) {
             e.align = app::TextAlign::Right, e.lineSpacing = 120, e.outlineWidth = 4, e.outlineColour = 0xFF0000;
         }},
        {"shrink", "夏日烧烤派对 Summer BBQ Party！\r\n周末见", 0.05, 0.3, 0.45,
         [](app::TextEffects& e) { e.fit = app::TextFit::Shrink; }},
        {"shrink, centred, outlined", kSummer, 0.5, 0.5, 0.9,
         [](app::TextEffects& e) {
             e.fit = app::TextFit::Shrink, e.align = app::TextAlign::Centre, e.outlineWidth = 3;
         }},
        {"tight spacing, outlined", "第一行\r\n第二行 Two\r\n第三行三三", 0.1, 0.2, 0,
         [](app::TextEffects& e) { e.lineSpacing = 70, e.outlineWidth = 2, e.outlineColour = 0x00FF00; }},
        // Ten columns: each drawn on its own in the preview, the export draws them together.
        {"vertical poem", kPoem, 0.9, 0.05, 0, [](app::TextEffects& e) { e.direction = app::TextDirection::Vertical; }},
        {"vertical, wrapped, spaced, turned", kSummer, 0.9, 0.05, 0.5,
         [](app::TextEffects& e) { e.direction = app::TextDirection::Vertical, e.letterSpacing = 100, e.rotation = 5; }},
    };
    for (const app::PictureSize& t : templates) {
        Owned input(ToByteSet(EncodePng(SolidPicture(t.width, t.height, {255, 255, 255, 255}))));
        const int size = int(t.width * 0.04);
        for (const Case& c : cases) {
            app::TextEffects e;
            e.maxWidth = int(c.maxWidth * t.width);
            c.style(e);
            auto compose = [&](app::PictureSize at) {
                app::Composition picture(input.block, at);
                picture.Stamp("黑体", size, 0x0000FF, app::kFontStyleBold, 255, app::kTextRenderingHintAntiAlias,
                              c.text, int(c.x * t.width), int(c.y * t.height), e);
                return picture.TakeCanvas();
            };
            const pic::SharedCanvas preview = compose(shown), full = compose({});
            ASSERT_TRUE(preview && full);
            const pic::SharedCanvas shrunk = pic::ScaleCanvas(*full, preview->width, preview->height);
            ASSERT_TRUE(shrunk);
            const std::vector<Box> expected = InkBandsOf(*shrunk), got = InkBandsOf(*preview);
            const std::string where = std::string(c.what) + " on " + std::to_string(t.width) + " x " +
                                      std::to_string(t.height);
            ASSERT_GE(expected.size(), 1u) << where;
            EXPECT_EQ(expected.size(), got.size()) << where << ": lines";
            const double dx = 0.01 * preview->width, dy = 0.01 * preview->height;
            for (size_t i = 0; i < std::min(expected.size(), got.size()); ++i) {
                EXPECT_NEAR(expected[i].left, got[i].left, dx) << where << ", line " << i;
                EXPECT_NEAR(expected[i].right, got[i].right, dx) << where << ", line " << i;
                EXPECT_NEAR(expected[i].top, got[i].top, dy) << where << ", line " << i;
                EXPECT_NEAR(expected[i].bottom, got[i].bottom, dy) << where << ", line " << i;
            }
            if (HasFailure()) {
                for (const auto& [name, canvas] : {std::pair{"preview-", preview}, std::pair{"shrunk-", shrunk}}) {
                    Owned png(ToByteSet(pic::EncodePng(*canvas, {pic::PngCompression::Stored})));
                    SaveForInspection(png.block, (name + where + ".png").c_str());
                }
            }
        }
    }
}

// A preview keeps each picture and code as a layer too: every setting of a
// field, and a new reading of its file, must make it new; painted again, a
// layer gives the picture it gave when made.
namespace {
std::shared_ptr<const imprinta::picture::Canvas> Solid(uint32_t size, uint8_t blue) {
    std::vector<uint8_t> bgra(size_t(size) * size * 4, 255);
    for (size_t i = 0; i < bgra.size(); i += 4) bgra[i + 1] = bgra[i + 2] = 40, bgra[i] = blue;
    return std::make_shared<const imprinta::picture::Canvas>(imprinta::picture::Canvas{size, size, std::move(bgra)});
}
}  // namespace

TEST(FastPath, PreviewFieldsFollowEveryChange) {
    Owned input(ToByteSet(ReadTemplate("photo.png")));
    struct Fields {
        app::PosterDescription poster;
        app::FieldPictures pictures;
    };
    Fields base;
    base.pictures.entries = {{"photo.jpg", Solid(64, 200), 1}, {"logo.png", Solid(16, 90), 2}};
    app::PosterField photo, code;
    photo.kind = app::FieldKind::Picture, code.kind = app::FieldKind::Qr;
    photo.picture = {"photo.jpg", {20, 30, 100, 80}, app::PictureFit::Fill, 0, true, 100};
    code.qr = {"https://example.cn/活动", app::QrLevel::H, 4, 0x000000, 0xFFFFFF, false, 120, 160, 100, "logo.png"};
    base.poster.fields = {photo, code};
    auto preview = [&](const Fields& f) {
        app::Composition picture(input.block, {120, 160});
        picture.Draw(f.poster, &f.pictures);
        EXPECT_TRUE(picture.Reduced());
        Owned png(picture.Finish(app::ResultUse::Shown));
        return std::string(reinterpret_cast<const char*>(ByteSetData(png.block)), ByteSetLength(png.block));
    };
    const std::string first = preview(base);
    Fields none = base;
    none.poster.fields.clear();
    EXPECT_TRUE(first != preview(none)) << "the fields were not drawn";
    const std::pair<const char*, void (*)(Fields&)> changes[] = {
        {"picture x", [](Fields& f) { f.poster.fields[0].picture.box.x += 9; }},
        {"picture fit", [](Fields& f) { f.poster.fields[0].picture.fit = app::PictureFit::Inside; }},
        {"picture circle", [](Fields& f) { f.poster.fields[0].picture.circle = false; }},
        {"picture opacity", [](Fields& f) { f.poster.fields[0].picture.opacity = 40; }},
        {"picture read again", [](Fields& f) { f.pictures.entries[0] = app::FieldPictures::Entry{"photo.jpg", Solid(64, 20), 3}; }},
        {"code text", [](Fields& f) { f.poster.fields[1].qr.text += "?2"; }},
        {"code level", [](Fields& f) { f.poster.fields[1].qr.level = app::QrLevel::L; }},
        {"code dark", [](Fields& f) { f.poster.fields[1].qr.dark = 0x0000C0; }},
        {"code light transparent", [](Fields& f) { f.poster.fields[1].qr.lightTransparent = true; }},
        {"code size", [](Fields& f) { f.poster.fields[1].qr.size = 140; }},
        {"centre read again", [](Fields& f) { f.pictures.entries[1] = app::FieldPictures::Entry{"logo.png", Solid(16, 250), 4}; }},
    };
    for (const auto& [what, change] : changes) {
        Fields changed = base;
        change(changed);
        EXPECT_TRUE(first != preview(changed)) << what << ": the field's old layer was painted";
        EXPECT_TRUE(first == preview(base)) << what << ": a layer painted again differs from when it was made";
    }
}

// A contact sheet's thumbnail, drawn on a worker thread from the template
// shrunk once, is the preview of its size pixel for pixel: texts set on the
// full-size picture (a shrunk body, a wrapped one) and shrunk, or drawn as they
// are where the template already fits the box.
TEST(FastPath, ThumbnailOnAWorkerIsThePreviewOfItsSize) {
    const char kSummer[] = "夏日的夜晚，约上三五好友来一场露天烧烤，冰镇啤酒配上滋滋作响的肉串，在星空下享受这份难得的惬意";
    struct Case {
        app::PictureSize picture, box;
        app::TextFit fit;
    } cases[] = {
        {{1080, 1920}, {160, 284}, app::TextFit::Shrink},
        {{1080, 1920}, {160, 284}, app::TextFit::Wrap},
        {{150, 200}, {160, 284}, app::TextFit::Wrap},  // fits the box: drawn at its own size
    };
    app::RenderPool pool(2);
    for (const Case& c : cases) {
        Owned input(ToByteSet(EncodePng(SolidPicture(c.picture.width, c.picture.height, {240, 230, 200, 255}))));
        app::PosterDescription poster;
        app::PosterField title{app::FieldKind::Text, "标题", {"黑体", int32_t(c.picture.width / 12), 0x0000FF, 20, 20, "标题 Title"}};
        app::PosterField body{app::FieldKind::Text, "文案",
                              {"宋体", int32_t(c.picture.width / 25), 0x202020, 20, int32_t(c.picture.height / 4), kSummer}};
        body.text.effects.maxWidth = int32_t(c.picture.width * 0.8);
        body.text.effects.fit = c.fit;
        poster.fields = {title, body};
        app::Composition preview(input.block, c.box);
        preview.Draw(poster);
        const pic::SharedCanvas expected = preview.TakeCanvas();
        app::RenderTask task;
        task.small = app::ThumbnailTemplate(input.block, c.box);
        task.poster = poster;
        app::WarmUpRenderer(poster);
        pool.Submit(&task);
        pool.Wait(&task);
        const std::string where = std::to_string(c.picture.width) + " x " + std::to_string(c.picture.height);
        ASSERT_TRUE(expected && task.thumbnail) << where;
        EXPECT_EQ(c.picture.width, task.small.own.width) << where;
        EXPECT_EQ(expected->width, task.thumbnail->width) << where;
        EXPECT_EQ(expected->height, task.thumbnail->height) << where;
        EXPECT_TRUE(expected->bgra == task.thumbnail->bgra) << where;
    }
}
