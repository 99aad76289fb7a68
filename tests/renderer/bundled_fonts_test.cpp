// The program's own fonts, loaded from a folder as the program loads its
// fonts\ folder. The test prefix has none of them installed: what they draw
// comes from the folder. Bold comes from the bold face where there is one.
#include <gtest/gtest.h>
#include <cstring>
#include "app/render/bundled_fonts.h"
#include "app/render/renderer.h"
#include "picture_io.h"
#include "support/child_process.h"

namespace {

const char kKai[] = "霞鹜文楷";

std::string ShippedFonts() { return testsupport::ProgramDirectory() + "..\\..\\fonts\\"; }

// Dark pixels of a bold black text drawn in the family on white.
int BoldInk(const char* family, std::vector<Rgba>* pixels = nullptr) {
    Owned input(ToByteSet(EncodePng(SolidPicture(360, 90, {255, 255, 255, 255}))));
    Owned out(app::DrawTextOnPicture(input.block, family, 56, 0, app::kFontStyleBold, 255,
                                     app::kTextRenderingHintAntiAlias, "霞鹜文楷标题", 4, 4));
    Picture p;
    if (!DecodeByteSet(out.block, &p)) return -1;
    if (pixels) *pixels = p.pixels;
    int ink = 0;
    for (const Rgba& c : p.pixels) ink += c.r < 128;
    return ink;
}

}  // namespace

TEST(BundledFonts, DrawnFromTheFolderAndBoldFromTheBoldFace) {
    ASSERT_EQ(0, BoldInk(kKai)) << "the test prefix must not have the font installed";

    const std::string regularOnly = testsupport::MakeScratchDirectory("fonts-regular");
    ASSERT_TRUE(testsupport::CopyFileTo(ShippedFonts() + "LXGWWenKai-Regular.ttf", regularOnly + "LXGWWenKai-Regular.ttf"));
    app::LoadBundledFonts(regularOnly);
    EXPECT_EQ(std::vector<std::string>{kKai}, app::BundledFamilies());
    std::vector<Rgba> synthetic, boldFace;
    const int syntheticInk = BoldInk(kKai, &synthetic);
    EXPECT_GT(syntheticInk, 2000) << "regular face emboldened";

    app::LoadBundledFonts(ShippedFonts());
    EXPECT_EQ((std::vector<std::string>{"文泉驿微米黑", kKai, "得意黑"}), app::BundledFamilies());
    const int boldInk = BoldInk(kKai, &boldFace);
    EXPECT_GT(boldInk, 2000);
    EXPECT_NE(0, std::memcmp(synthetic.data(), boldFace.data(), synthetic.size() * sizeof(Rgba)))
        << "bold drawn as the emboldened regular face";
    EXPECT_GT(std::abs(boldInk - syntheticInk), syntheticInk / 20) << boldInk << " vs " << syntheticInk;
    for (const char* family : {"文泉驿微米黑", "得意黑"}) EXPECT_GT(BoldInk(family), 1000) << family;

    app::UnloadBundledFonts();
}
