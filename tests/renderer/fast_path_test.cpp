// The fast path against the all-GDI+ path: the same templates, texts and
// watermarks must give the same pixels (JPEG templates within the two JPEG
// decoders' rounding), and the picture cache must never show stale pixels.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include "app/renderer.h"
#include "app/renderer_gdiplus.h"
#include "app/runtime_calls.h"
#include "picture_io.h"
#include "runtime/core/runtime_interface.h"
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

struct TemplateCase {
    const char* file;
    int tolerance;  // JPEG: the two decoders may round differently
};
const TemplateCase kTemplates[] = {
    {"flat.png", 0},    {"photo.png", 0},    {"alpha.png", 0},       {"palette.png", 0},
    {"grey.png", 0},    {"deep.png", 0},     {"baseline.jpg", 2},    {"progressive.jpg", 2},
    {"cmyk.jpg", 2},    {"template.bmp", 0}, {"template.gif", 0},
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
    for (const TemplateCase& t : kTemplates) {
        std::vector<uint8_t> bytes = ReadTemplate(t.file);
        ASSERT_FALSE(bytes.empty()) << t.file << " missing: the test-templates fixture makes it";
        Owned input(ToByteSet(bytes));
        for (size_t i = 0; i < std::size(titles); ++i) {
            Owned reference(TwoPasses(Way::AllGdiplus, input.block, titles[i], bodies[i]));
            ASSERT_NE(nullptr, reference.block) << t.file;
            for (Way way : {Way::Chained, Way::Composed}) {
                Owned fast(TwoPasses(way, input.block, titles[i], bodies[i]));
                int difference = MaxDifference(reference.block, fast.block);
                EXPECT_LE(0, difference) << t.file << " case " << i << " way " << int(way);
                EXPECT_LE(difference, t.tolerance) << t.file << " case " << i << " way " << int(way);
                if (difference > t.tolerance) {
                    SaveForInspection(reference.block, (std::string("reference-") + t.file + ".png").c_str());
                    SaveForInspection(fast.block, (std::string("fast-") + t.file + ".png").c_str());
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
    };
    for (const Mark& m : marks) {
        std::vector<uint8_t> baseBytes = ReadTemplate(m.base), markBytes = ReadTemplate(m.mark);
        Owned base(ToByteSet(baseBytes)), mark(ToByteSet(markBytes));
        const app::WatermarkPlacement placement{m.position, 7, 9, m.shrink, 1, m.flip};
        Owned reference(app::ComposeWatermarkGdiplus(base.block, mark.block, placement));
        Owned fast(app::ComposeWatermark(base.block, mark.block, m.position, 7, 9, m.shrink, 1, m.flip));
        const int tolerance = std::string(m.base).ends_with(".jpg") ? 2 : 0;
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
    for (const TemplateCase& c : kTemplates) {
        Owned input(ToByteSet(ReadTemplate(c.file)));
        ASSERT_NE(nullptr, input.block) << c.file;
        for (const app::TextEffects& e : {app::TextEffects{}, idle}) {
            app::Composition plain(input.block), styled(input.block);
            plain.Stamp(t.font, t.size, t.colour, 1, t.alpha, t.hint, t.text, t.x, t.y);
            styled.Stamp(t.font, t.size, t.colour, 1, t.alpha, t.hint, t.text, t.x, t.y, e);
            Owned a(plain.Finish(app::ResultUse::Kept)), b(styled.Finish(app::ResultUse::Kept));
            ASSERT_NE(nullptr, a.block) << c.file;
            ASSERT_EQ(app::BytesLength(a.block), app::BytesLength(b.block)) << c.file;
            EXPECT_EQ(0, memcmp(ByteSetData(a.block), ByteSetData(b.block), app::BytesLength(a.block))) << c.file;
        }
    }
}
