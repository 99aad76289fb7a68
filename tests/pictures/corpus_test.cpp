// Decoding real pictures written by other programs, compared pixel for pixel
// with an independent decode: libpng's high-level reader for PNG, giflib's
// RGB dumps, gdk-pixbuf's GIF suite frames, the BMP suite's reference PNGs
// and ImageMagick's RGBA output (made by scripts/fetch-corpora.sh).
#include <gtest/gtest.h>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <map>
#include <png.h>
#include "pictures/corpus_support.h"

using namespace imprinta::picture;
using namespace pictest;

namespace {

std::string Dir(const char* sub) { return CorporaDir() + "/" + sub; }

#define REQUIRE_CORPUS(dir)                                                                       \
    do {                                                                                          \
        if (!Exists(dir)) FAIL() << "corpus " << (dir) << " missing: run scripts/fetch-corpora.sh"; \
    } while (0)

std::string Basename(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// libpng's own high-level reader with the same transformations (expand,
// 16 to 8 bits by scaling, grey to RGB), alpha added here when absent.
bool ReferencePng(const std::vector<uint8_t>& file, uint32_t* w, uint32_t* h, std::vector<uint8_t>* rgba) {
    struct Src { const uint8_t* p; size_t n, pos; } src{file.data(), file.size(), 0};
    // Same 16 MB cap on libpng's working allocations as the decoder (the
    // crashers claim gigabyte chunks; allocating them only costs time).
    png_structp png = png_create_read_struct_2(
        PNG_LIBPNG_VER_STRING, nullptr, [](png_structp p, png_const_charp) { png_longjmp(p, 1); },
        [](png_structp, png_const_charp) {}, nullptr,
        [](png_structp, png_alloc_size_t n) -> png_voidp { return n > (16u << 20) ? nullptr : std::malloc(n); },
        [](png_structp, png_voidp p) { std::free(p); });
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &src, [](png_structp p, png_bytep out, png_size_t n) {
        auto* s = static_cast<Src*>(png_get_io_ptr(p));
        if (n > s->n - s->pos) png_error(p, "eof");
        std::memcpy(out, s->p + s->pos, n);
        s->pos += n;
    });
    png_read_png(png, info, PNG_TRANSFORM_EXPAND | PNG_TRANSFORM_STRIP_16 | PNG_TRANSFORM_GRAY_TO_RGB, nullptr);
    *w = png_get_image_width(png, info);
    *h = png_get_image_height(png, info);
    int channels = png_get_channels(png, info);
    png_bytepp rows = png_get_rows(png, info);
    rgba->assign(size_t(*w) * *h * 4, 255);
    for (uint32_t y = 0; y < *h; ++y)
        for (uint32_t x = 0; x < *w; ++x)
            for (int c = 0; c < channels; ++c) (*rgba)[(size_t(y) * *w + x) * 4 + c] = rows[y][x * channels + c];
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

void ExpectMatchesPngReference(const std::string& path) {
    SCOPED_TRACE(path);
    std::vector<uint8_t> file = ReadAll(path);
    uint32_t w = 0, h = 0;
    std::vector<uint8_t> expected;
    bool refOk = ReferencePng(file, &w, &h, &expected);
    auto p = DecodePicture(file);
    ASSERT_EQ(refOk, p.has_value());
    if (!refOk) return;
    EXPECT_EQ(p->format, PictureFormat::Png);
    EXPECT_EQ(p->pixelFormat, PixelFormat::Rgba32);
    ASSERT_EQ(p->width, w);
    ASSERT_EQ(p->height, h);
    PixelDiff d = CompareRgba(ToRgba(*p), expected, 0);
    // Exact, colour of transparent pixels included.
    EXPECT_EQ(ToRgba(*p), expected) << "mismatches " << d.mismatches << " first " << d.first;
}

// 24-bit decodes keep colour only: compare them with a reference that has
// alpha on the colour of every pixel that is not fully transparent.
void OpaqueView(std::vector<uint8_t>& got, std::vector<uint8_t>& reference) {
    if (got.size() != reference.size()) return;
    for (size_t i = 0; i < got.size(); i += 4) {
        if (reference[i + 3] == 0)
            std::memcpy(&got[i], &reference[i], 4);
        else
            reference[i + 3] = 255;
    }
}

// Decodes `path` and compares with ImageMagick's decode next to it.
void ExpectMatchesMagick(const std::string& path, int tolerance) {
    SCOPED_TRACE(path);
    auto size = ReadSize(path + ".size");
    ASSERT_TRUE(size.has_value()) << "no reference size";
    std::vector<uint8_t> expected = ReadAll(path + ".rgba");
    auto p = DecodePicture(ReadAll(path));
    ASSERT_TRUE(p.has_value());
    ASSERT_EQ(p->width, size->width);
    ASSERT_EQ(p->height, size->height);
    std::vector<uint8_t> got = ToRgba(*p);
    if (p->pixelFormat == PixelFormat::Bgr24) OpaqueView(got, expected);
    PixelDiff d = CompareRgba(got, expected, tolerance);
    EXPECT_EQ(d.mismatches, 0u) << "max delta " << d.maxDelta << " first pixel " << d.first;
}

}  // namespace

TEST(PngCorpus, PngSuiteValidMatchesLibpngAndCorruptIsRefused) {
    std::string dir = Dir("pngsuite");
    REQUIRE_CORPUS(dir);
    int valid = 0, corrupt = 0;
    for (const std::string& f : ListFiles(dir, ".png")) {
        if (Basename(f)[0] == 'x') {
            EXPECT_FALSE(DecodePicture(ReadAll(f)).has_value()) << f;
            ++corrupt;
        } else {
            ExpectMatchesPngReference(f);
            ++valid;
        }
    }
    for (const std::string& f : ListFiles(dir + "/interlaced", ".png")) {
        ExpectMatchesPngReference(f);
        ++valid;
    }
    EXPECT_GE(valid, 51);
    // The Debian source carries no x*.png series; the broken files of the
    // libpng and gdk-pixbuf tests stand in for it.
    for (const std::string& f : ListFiles(Dir("testpngs/crashers"), ".png")) {
        ExpectMatchesPngReference(f);
        ++corrupt;
    }
    for (const std::string& f : ListFiles(Dir("gdkpixbuf/fail"), ".png")) {
        EXPECT_FALSE(DecodePicture(ReadAll(f)).has_value()) << f;
        ++corrupt;
    }
    EXPECT_GE(corrupt, 20);
}

TEST(PngCorpus, LibpngTestPicturesAndCrashers) {
    std::string dir = Dir("testpngs");
    REQUIRE_CORPUS(dir);
    int n = 0;
    for (const std::string& f : ListFiles(dir, ".png")) {
        ExpectMatchesPngReference(f);  // crashers: both readers refuse them or agree
        ++n;
    }
    EXPECT_GE(n, 100);
}

TEST(JpegCorpus, TestImagesMatchMagick) {
    std::string dir = Dir("jpeg");
    REQUIRE_CORPUS(dir);
    for (const char* name : {"testorig.jpg", "testimgint.jpg", "testimgari.jpg"})
        ExpectMatchesMagick(dir + "/" + name, 0);
    // 12-bit samples are beyond an 8-bit decoder: refused, not misread.
    EXPECT_FALSE(DecodePicture(ReadAll(dir + "/testorig12.jpg")).has_value());
    // The BMPs that ship with the JPEG library's tests.
    for (const std::string& f : ListFiles(dir, ".bmp")) {
        auto p = DecodePicture(ReadAll(f));
        ASSERT_TRUE(p.has_value()) << f;
        EXPECT_EQ(p->format, PictureFormat::Bmp);
    }
}

TEST(GifCorpus, GiflibPicturesMatchTheirRgbDumps) {
    std::string dir = Dir("giflib");
    REQUIRE_CORPUS(dir);
    // Single-image pictures: giflib's dump is the screen in RGB.
    for (const char* name : {"porsche", "treescap", "treescap-interlaced", "gifgrid", "solid2", "x-trans"}) {
        std::string f = dir + "/" + name + ".gif";
        SCOPED_TRACE(f);
        auto p = DecodePicture(ReadAll(f));
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->pixelFormat, PixelFormat::Indexed8);
        std::vector<uint8_t> rgb = ReadAll(dir + "/" + name + ".rgb");
        ASSERT_EQ(rgb.size(), size_t(p->width) * p->height * 3);
        size_t bad = 0;
        for (size_t i = 0; i < size_t(p->width) * p->height; ++i) {
            const Rgb& c = p->palette[p->pixels[i]];
            if (c.r != rgb[i * 3] || c.g != rgb[i * 3 + 1] || c.b != rgb[i * 3 + 2]) ++bad;
        }
        EXPECT_EQ(bad, 0u);
    }
    // Animations against ImageMagick's coalesced frames.
    for (const char* name : {"fire.gif", "welcome2.gif"}) {
        std::string f = dir + "/" + name;
        SCOPED_TRACE(f);
        auto size = ReadSize(f + ".size");
        ASSERT_TRUE(size.has_value());
        auto anim = DecodeGifAnimation(ReadAll(f));
        ASSERT_TRUE(anim.has_value());
        ASSERT_EQ(anim->frames.size(), size->frames);
        for (size_t i = 0; i < anim->frames.size(); ++i) {
            PixelDiff d = CompareRgba(anim->frames[i].rgba, ReadAll(f + "." + std::to_string(i) + ".rgba"), 0);
            EXPECT_EQ(d.mismatches, 0u) << "frame " << i;
        }
    }
}

namespace {
// The gdk-pixbuf GIF suite describes each case in an INI-like .conf file.
std::map<std::string, std::map<std::string, std::string>> ReadConf(const std::string& path) {
    std::map<std::string, std::map<std::string, std::string>> conf;
    std::vector<uint8_t> bytes = ReadAll(path);
    std::string text(bytes.begin(), bytes.end()), section;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        size_t eq = line.find(" = ");
        if (eq != std::string::npos) conf[section][line.substr(0, eq)] = line.substr(eq + 3);
    }
    return conf;
}
std::vector<std::string> SplitComma(const std::string& s) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos <= s.size()) {
        size_t c = s.find(',', pos);
        if (c == std::string::npos) c = s.size();
        if (c > pos) out.push_back(s.substr(pos, c - pos));
        pos = c + 1;
    }
    return out;
}
}  // namespace

TEST(GifCorpus, GdkPixbufGifSuiteFramesAndDelays) {
    std::string dir = Dir("gdkpixbuf/gif-test-suite");
    REQUIRE_CORPUS(dir);
    std::vector<uint8_t> list = ReadAll(dir + "/TESTS");
    std::string text(list.begin(), list.end());
    int compared = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string name = text.substr(pos, end - pos);
        pos = end + 1;
        if (name.empty()) continue;
        bool listedAsUnsupported = name[0] == '#';
        if (listedAsUnsupported) name = name.substr(1);
        SCOPED_TRACE(name);
        auto conf = ReadConf(dir + "/" + name + ".conf");
        std::vector<uint8_t> gif = ReadAll(dir + "/" + conf["config"]["input"]);
        auto anim = DecodeGifAnimation(gif);
        auto still = DecodePicture(gif);
        std::vector<std::string> frames = SplitComma(conf["config"]["frames"]);
        if (frames.empty() || listedAsUnsupported) continue;  // only "no crash" for these
        ASSERT_TRUE(anim.has_value());
        ASSERT_TRUE(still.has_value());
        uint32_t w = std::stoul(conf["config"]["width"]), h = std::stoul(conf["config"]["height"]);
        ASSERT_EQ(anim->width, w);
        ASSERT_EQ(anim->height, h);
        ASSERT_EQ(anim->frames.size(), frames.size());
        for (size_t i = 0; i < frames.size(); ++i) {
            auto& fc = conf[frames[i]];
            std::vector<uint8_t> expected = ReadAll(dir + "/" + fc["pixels"]);
            PixelDiff d = CompareRgba(anim->frames[i].rgba, expected, 0);
            EXPECT_EQ(d.mismatches, 0u) << "frame " << i << " first " << d.first;
            if (fc.count("delay")) {
                uint32_t centiseconds = std::stoul(fc["delay"]);
                EXPECT_EQ(anim->frames[i].delayMilliseconds, centiseconds == 0 ? 50u : centiseconds * 10);
            }
        }
        ++compared;
    }
    EXPECT_GE(compared, 50);
}

TEST(BmpCorpus, BmpSuiteGoodMatchesReferencesOthersDoNotCrash) {
    std::string dir = Dir("pillow/bmp");
    REQUIRE_CORPUS(dir);
    auto reference = [&](const std::string& stem) -> std::string {
        static const std::map<std::string, std::string> same = {
            {"pal1wb", "pal1"}, {"pal4rle", "pal4"}, {"pal8-0", "pal8"}, {"pal8os2", "pal8"},
            {"pal8rle", "pal8"}, {"pal8topdown", "pal8"}, {"pal8v4", "pal8"}, {"pal8v5", "pal8"},
            {"pal8nonsquare", "pal8nonsquare-e"}, {"rgb16-565pal", "rgb16-565"}, {"rgb24pal", "rgb24"},
            {"rgb32", "rgb24"}, {"rgb32bf", "rgb24"}};
        auto it = same.find(stem);
        return dir + "/html/" + (it != same.end() ? it->second : stem) + ".png";
    };
    int good = 0;
    for (const std::string& f : ListFiles(dir + "/g", ".bmp")) {
        SCOPED_TRACE(f);
        std::string name = Basename(f);
        auto p = DecodePicture(ReadAll(f));
        ASSERT_TRUE(p.has_value());
        auto ref = DecodePicture(ReadAll(reference(name.substr(0, name.size() - 4))));
        ASSERT_TRUE(ref.has_value());
        ASSERT_EQ(p->width, ref->width);
        ASSERT_EQ(p->height, ref->height);
        // The suite's 8-bit reference PNG is one step off in places from the
        // bitmap's own colour table (ImageMagick's decode agrees with ours). Its
        // 16-bit references round 5 and 6 bits where GDI+ repeats the bits (one
        // step), and 5-5-5 greens follow GDI+ (up to 4).
        int tolerance = name.rfind("pal8", 0) == 0 ? 1 : 0;
        if (name.rfind("rgb16", 0) == 0) tolerance = name.find("565") == std::string::npos ? 4 : 1;
        PixelDiff d = CompareRgba(ToRgba(*p), ToRgba(*ref), tolerance);
        EXPECT_EQ(d.mismatches, 0u) << "max delta " << d.maxDelta << " first " << d.first;
        ++good;
    }
    EXPECT_EQ(good, 23);
    for (const char* sub : {"/q", "/b"})
        for (const std::string& f : ListFiles(dir + sub, ".bmp")) (void)DecodePicture(ReadAll(f));
    // Two bad ones with a definite answer: pixels past the end, and RLE declared top-down.
    EXPECT_FALSE(DecodePicture(ReadAll(dir + "/b/shortfile.bmp")).has_value());
    EXPECT_FALSE(DecodePicture(ReadAll(dir + "/b/rletopdown.bmp")).has_value());
    EXPECT_FALSE(DecodePicture(ReadAll(dir + "/b/reallybig.bmp")).has_value());
}

TEST(MagickCorpus, GeneratedAndSamplePicturesMatchImageMagick) {
    std::string gen = Dir("generated");
    REQUIRE_CORPUS(gen);
    for (const char* name : {"rgb24.bmp", "argb32.bmp", "pal8.bmp", "pal8rle.bmp", "pal4.bmp", "pal4rle.bmp",
                             "mono.bmp", "os2pal8.bmp", "os2rgb24.bmp", "still.gif", "interlaced.gif",
                             "transparent.gif", "gif87a.gif", "pal8.pcx", "odd50.pcx",
                             "single32.ico", "alpha32.ico", "arrow.cur"}) {
        // argb32.bmp: the decoder keeps colour only (24-bit), so compare against opaque pixels.
        std::string f = gen + "/" + name;
        if (std::string(name) == "argb32.bmp") {
            auto p = DecodePicture(ReadAll(f));
            ASSERT_TRUE(p.has_value());
            std::vector<uint8_t> ref = ReadAll(f + ".rgba"), got = ToRgba(*p);
            ASSERT_EQ(ref.size(), got.size());
            size_t bad = 0;
            for (size_t i = 0; i < ref.size(); i += 4)
                if (ref[i + 3] == 255 && std::memcmp(&ref[i], &got[i], 3) != 0) ++bad;
            EXPECT_EQ(bad, 0u) << f;
            continue;
        }
        ExpectMatchesMagick(f, 0);
    }
    // 16-bit BMP channels are widened from 5 or 6 bits; ImageMagick rounds them
    // instead (one step apart), and 5-5-5 greens follow GDI+ (up to 4).
    ExpectMatchesMagick(gen + "/rgb565.bmp", 1);
    ExpectMatchesMagick(gen + "/rgb555.bmp", 4);
    // JPEG variants: progressive and grey decode exactly as libjpeg gives them to
    // ImageMagick; CMYK (Adobe, stored inverted) goes through our own conversion.
    for (const char* name : {"progressive.jpg", "gray.jpg"}) ExpectMatchesMagick(gen + "/" + name, 0);
    ExpectMatchesMagick(gen + "/cmyk.jpg", 1);
    {
        // 1-bit PCX: bit 1 is white (the header's two colours say so too, and the
        // picture is black writing on white); ImageMagick shows it inverted, so
        // its decode is compared with the colours swapped.
        auto p = DecodePicture(ReadAll(gen + "/mono1.pcx"));
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->format, PictureFormat::Pcx1);
        std::vector<uint8_t> ref = ReadAll(gen + "/mono1.pcx.rgba");
        for (size_t i = 0; i < ref.size(); i += 4)
            for (int c = 0; c < 3; ++c) ref[i + c] = uint8_t(255 - ref[i + c]);
        EXPECT_EQ(CompareRgba(ToRgba(*p), ref, 0).mismatches, 0u);
    }
    // Three-plane 24-bit PCX is not an 8-bit palette picture: refused.
    EXPECT_EQ(SniffPictureFormat(ReadAll(gen + "/rgb24.pcx")), PictureFormat::Pcx8);
    EXPECT_FALSE(DecodePicture(ReadAll(gen + "/rgb24.pcx")).has_value());

    // Multi-size icon without a 32-wide entry of more than 15 stored colours: the last entry.
    std::vector<uint8_t> multi = ReadAll(gen + "/multi.ico");
    IconDirectory directory;
    ASSERT_EQ(ReadIconDirectory(multi, directory), DecodeError::None);
    ASSERT_EQ(directory.entries.size(), 3u);
    EXPECT_EQ(ChooseIconEntry(directory.entries), 2);
    auto icon = DecodePicture(multi);
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(icon->width, 48u);
    EXPECT_EQ(CompareRgba(ToRgba(*icon), ReadAll(gen + "/multi.ico.2.rgba"), 0).mismatches, 0u);
    EXPECT_EQ(icon->iconImage.size(), directory.entries[2].size);

    // Animations with each disposal method against ImageMagick's coalesced frames.
    for (const char* name : {"anim-none.gif", "anim-background.gif", "anim-previous.gif"}) {
        std::string f = gen + "/" + name;
        SCOPED_TRACE(f);
        auto anim = DecodeGifAnimation(ReadAll(f));
        ASSERT_TRUE(anim.has_value());
        ASSERT_EQ(anim->frames.size(), 4u);
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(anim->frames[i].delayMilliseconds, 70u);
            PixelDiff d = CompareRgba(anim->frames[i].rgba, ReadAll(f + "." + std::to_string(i) + ".rgba"), 0);
            EXPECT_EQ(d.mismatches, 0u) << "frame " << i << " first " << d.first;
        }
    }

    std::string sdl = Dir("sdl");
    REQUIRE_CORPUS(sdl);
    for (const std::string& f : ListFiles(sdl, ".size")) {
        std::string pic = f.substr(0, f.size() - 5);
        if (SniffPictureFormat(ReadAll(pic)) == PictureFormat::Unknown) continue;
        if (Basename(pic) == "sample.pcx") {  // three planes: a 24-bit PCX
            EXPECT_FALSE(DecodePicture(ReadAll(pic)).has_value());
            continue;
        }
        ExpectMatchesMagick(pic, 0);
    }
}

TEST(MagickCorpus, PillowPcxIconCursorGifFilesMatchOrAreRefused) {
    std::string dir = Dir("pillow");
    REQUIRE_CORPUS(dir);
    // Version-5 1-bit PCX is not one of the recognised formats.
    EXPECT_EQ(SniffPictureFormat(ReadAll(dir + "/pil184.pcx")), PictureFormat::Unknown);
    ExpectMatchesMagick(dir + "/odd_stride.pcx", 0);
    int decoded = 0;
    for (const char* ext : {".pcx", ".cur", ".ico", ".gif", ".bmp"})
        for (const std::string& f : ListFiles(dir, ext))
            if (DecodePicture(ReadAll(f))) ++decoded;
    EXPECT_GE(decoded, 20);
}

TEST(FailCorpus, KnownBadAndMutatedFilesDoNotCrash) {
    std::string dir = Dir("gdkpixbuf");
    REQUIRE_CORPUS(dir);
    int files = 0;
    for (const char* sub : {"/fail", "/randomly-modified", "/reftests"})
        for (const std::string& f : ListFiles(dir + sub, "")) {
            (void)DecodePicture(ReadAll(f));
            ++files;
        }
    EXPECT_GE(files, 60);
    for (const char* bad : {"/fail/invalid.1.bmp", "/fail/invalid.1.ico", "/fail/invalid.3.ico",
                            "/fail/overflow-codes.gif"})
        (void)DecodePicture(ReadAll(dir + bad));
    // The bitmap test's reference render (24-bit decode: colour where not transparent).
    {
        std::string f = dir + "/reftests/mandatory-bitmasks.bmp";
        auto p = DecodePicture(ReadAll(f));
        auto ref = DecodePicture(ReadAll(f + ".ref.png"));
        ASSERT_TRUE(p.has_value());
        ASSERT_TRUE(ref.has_value());
        std::vector<uint8_t> got = ToRgba(*p), expected = ToRgba(*ref);
        OpaqueView(got, expected);
        EXPECT_EQ(CompareRgba(got, expected, 0).mismatches, 0u);
    }
    // Icons: the entry the directory rule picks, against ImageMagick's decode of that entry.
    for (const char* name : {"squares.ico", "bug785447.ico"}) {
        std::string f = dir + "/reftests/" + name;
        SCOPED_TRACE(f);
        std::vector<uint8_t> file = ReadAll(f);
        IconDirectory directory;
        ASSERT_EQ(ReadIconDirectory(file, directory), DecodeError::None);
        int chosen = ChooseIconEntry(directory.entries);
        auto p = DecodePicture(file);
        ASSERT_TRUE(p.has_value());
        std::string ref = f + "." + std::to_string(chosen) + ".rgba";
        if (!Exists(ref)) ref = f + ".rgba";
        EXPECT_EQ(CompareRgba(ToRgba(*p), ReadAll(ref), 0).mismatches, 0u) << "entry " << chosen;
    }
}
