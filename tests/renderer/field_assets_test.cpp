// A row's picture file as a batch meets it: the check looks at its first
// bytes, the preparing thread reads it, a drawing thread decodes it. Each
// stage that finds a problem says it in the same words, with the file.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "app/platform/file_io.h"
#include "app/poster/field_settings.h"
#include "app/poster/poster_settings.h"
#include "app/render/field_assets.h"
#include "picture_io.h"

using namespace app;

namespace {

std::string ScratchFolder() {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "imprinta-field-files\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

PosterDescription WithPicture(const std::string& path) {
    PosterDescription poster = DefaultPoster();
    PosterField f = NewField(FieldKind::Picture, poster);
    f.picture.path = path;
    poster.fields.push_back(f);
    return poster;
}

}  // namespace

TEST(FieldFiles, CheckReadAndDecodeSayTheRowsProblemAlike) {
    const std::string folder = ScratchFolder();
    const std::vector<uint8_t> png = EncodePng(SolidPicture(4, 4, {10, 20, 30, 255}));
    const std::string note = "a note, not a picture";
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;  // empty: no file
        const char* words;           // null: drawn
        bool checkFinds, readFinds;  // the stages before the decode
    };
    const Case cases[] = {
        {"good.png", png, nullptr, false, false},
        {"missing.png", {}, "找不到图片文件", true, true},
        {"note.png", {note.begin(), note.end()}, "不是能读的图片 (PNG、JPEG、BMP、GIF)", true, false},
        {"cut.png", {png.begin(), png.begin() + 20}, "不是能读的图片 (PNG、JPEG、BMP、GIF)", false, false},  // its signature, then cut off
    };
    for (const Case& c : cases) {
        const std::string path = folder + c.name;
        DeleteFileA(path.c_str());
        if (!c.bytes.empty()) {
            ASSERT_EQ(0u, WriteWholeFile(path, c.bytes.data(), c.bytes.size()));
        }
        const PosterDescription poster = WithPicture(path);
        const std::vector<std::string> checked = CheckFieldFiles(poster, poster);
        RowPictures row;
        std::string read, decoded;
        const bool readable = row.Read(poster, poster, &read);
        const FieldPictures* pictures = readable ? row.Decoded(&decoded) : nullptr;
        EXPECT_EQ(!c.readFinds, readable) << c.name;
        if (!c.words) {
            EXPECT_TRUE(checked.empty()) << c.name;
            ASSERT_TRUE(pictures) << decoded;
            EXPECT_TRUE(pictures->Find(path));
            continue;
        }
        const std::string said = readable ? decoded : read;
        EXPECT_NE(std::string::npos, said.find(std::string(": ") + c.words + " " + path)) << c.name << ": " << said;
        EXPECT_FALSE(pictures) << c.name;
        EXPECT_EQ(c.checkFinds ? std::vector<std::string>{said} : std::vector<std::string>{}, checked) << c.name;
    }
}
