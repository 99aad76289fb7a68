// Every valid sample cut at every length goes through the decoders (and, in
// the native build, through the fuzz targets' entry points, which also check
// the decoded layout): no crash, no sanitizer report, and the whole file
// still decodes.
#include <gtest/gtest.h>
#include "pictures/corpus_support.h"
#ifdef PICTURE_TESTS_WITH_FUZZ_ENTRIES
#include "native/fuzz/fuzz_targets.h"
#endif

using namespace imprinta::picture;
using namespace pictest;

TEST(Truncation, EveryPrefixOfEachFormat) {
    const char* samples[] = {"pngsuite/basn2c08.png", "pngsuite/ibasn3p08.png", "jpeg/testorig.jpg",
                             "generated/rgb24.bmp",  "generated/pal8rle.bmp", "generated/pal4.bmp",
                             "generated/os2pal8.bmp", "generated/anim-previous.gif", "generated/interlaced.gif",
                             "generated/multi.ico",  "generated/arrow.cur",   "generated/pal8.pcx",
                             "generated/mono1.pcx",  "sdl/sample.ico",        "generated/progressive.jpg",
                             "pngsuite/basn6a16.png", "pngsuite/ibasn2c16.png"};
    for (const char* s : samples) {
        std::string path = CorporaDir() + "/" + s;
        SCOPED_TRACE(path);
        std::vector<uint8_t> file = ReadAll(path);
        ASSERT_FALSE(file.empty()) << "missing: run scripts/fetch-corpora.sh";
        ASSERT_TRUE(DecodePicture(file).has_value());
        size_t decodedPrefixes = 0;
        const bool icon = SniffPictureFormat(file) == PictureFormat::Ico || SniffPictureFormat(file) == PictureFormat::Cur;
        for (size_t n = 0; n < file.size(); ++n) {
            std::vector<uint8_t> cut(file.begin(), file.begin() + n);  // exact-size buffer for ASan
            DecodeResult result = DecodePicture(cut);
            if (result) ++decodedPrefixes;
            if (icon) {
                // A cut directory keeps exactly its whole entries; one without any is truncated.
                IconDirectory dir;
                const DecodeError e = ReadIconDirectory(cut, dir);
                const size_t whole = n < kIconHeaderSize ? 0 : (n - kIconHeaderSize) / kIconEntrySize;
                const size_t declared = n < kIconHeaderSize ? 0 : size_t(cut[4] | cut[5] << 8);
                EXPECT_EQ(dir.entries.size(), std::min(whole, declared)) << "prefix " << n;
                EXPECT_EQ(e, dir.entries.empty() ? DecodeError::Truncated : DecodeError::None) << "prefix " << n;
                if (n >= kIconHeaderSize && !result) {
                    EXPECT_EQ(result.error(), DecodeError::Truncated) << "prefix " << n;
                }
            }
            (void)DecodeGifAnimation(cut);
#ifdef PICTURE_TESTS_WITH_FUZZ_ENTRIES
            for (const auto* t = imprinta::fuzz::kFuzzTargets; t->name; ++t) t->run(cut.data(), cut.size());
#endif
        }
        // Formats that keep what they decoded (RLE, LZW, JPEG) accept late cuts;
        // none accepts a cut inside its header.
        EXPECT_LT(decodedPrefixes, file.size());
        // A JPEG cut in its last scans draws what it has, at its full size.
        if (SniffPictureFormat(file) == PictureFormat::Jpeg) {
            DecodeResult late = DecodePicture(std::vector<uint8_t>(file.begin(), file.begin() + file.size() * 9 / 10));
            ASSERT_TRUE(late.has_value());
            EXPECT_EQ(late->width, DecodePicture(file)->width);
        }
        EXPECT_FALSE(DecodePicture(std::vector<uint8_t>(file.begin(), file.begin() + 14)).has_value());
    }
}
