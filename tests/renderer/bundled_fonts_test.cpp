// The program's own fonts, loaded from a folder as the program loads its
// fonts\ folder. The test prefix has none of them installed: what they draw
// comes from the folder. (Bold from the bold face: test_app's Fonts cases,
// in processes of their own, as GDI keeps the faces it has made.)
#include <gtest/gtest.h>
#include "app/render/bundled_fonts.h"
#include "app/render/renderer.h"
#include "picture_io.h"
#include "support/child_process.h"

namespace {

const char kKai[] = "霞鹜文楷";
const char kSans[] = "文泉驿微米黑";

std::string ShippedFonts() { return testsupport::ProgramDirectory() + "..\\..\\fonts\\"; }

// Dark pixels of a bold black text drawn in the family on white.
int BoldInk(const char* family) {
    Owned input(ToByteSet(EncodePng(SolidPicture(360, 90, {255, 255, 255, 255}))));
    Owned out(app::DrawTextOnPicture(input.block, family, 56, 0, app::kFontStyleBold, 255,
                                     app::kTextRenderingHintAntiAlias, "霞鹜文楷标题", 4, 4));
    Picture p;
    if (!DecodeByteSet(out.block, &p)) return -1;
    int ink = 0;
    for (const Rgba& c : p.pixels) ink += c.r < 128;
    return ink;
}

}  // namespace

TEST(BundledFonts, DrawnOnlyOnceLoadedFromTheFolder) {
    ASSERT_EQ(0, BoldInk(kKai)) << "the test prefix must not have the font installed";
    ASSERT_EQ(0, BoldInk(kSans)) << "the test prefix must not have the font installed";
    struct Step {
        std::vector<std::string> files;  // copied from the shipped fonts; empty: the shipped folder itself
        std::vector<std::string> families;
    } steps[] = {
        {{"LXGWWenKai-Regular.ttf", "notes.txt"}, {kKai}},
        {{}, {kSans, kKai}},
    };
    for (const Step& s : steps) {
        std::string folder = ShippedFonts();
        if (!s.files.empty()) {
            folder = testsupport::MakeScratchDirectory("fonts");
            for (const std::string& f : s.files)
                testsupport::CopyFileTo(ShippedFonts() + (f == "notes.txt" ? "字体说明.txt" : f), folder + f);
        }
        app::LoadBundledFonts(folder);
        EXPECT_EQ(s.families, app::BundledFamilies()) << folder;
        for (const std::string& family : s.families) EXPECT_GT(BoldInk(family.c_str()), 2000) << family;
    }
    app::UnloadBundledFonts();
    EXPECT_TRUE(app::BundledFamilies().empty());
}
