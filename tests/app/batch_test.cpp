// The multi-template export of the real program: which templates are listed,
// in which order, where each result goes, and what a second run or a second
// click during a run does.
#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include "app_driver.h"
#include "support/child_process.h"

using namespace apptest;

namespace {

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

std::string Join(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& x : v) s += x + " ";
    return s;
}

}  // namespace

TEST(Batch, TemplatesNumberedFoldersAndRepeatedRuns) {
    RegisterRecorderAssociations();
    DeleteFileA(RecorderLog().c_str());
    std::string folder = NewProgramFolder("batch");
    std::string templates = folder + "模板\\";
    ASSERT_TRUE(CreateDirectoryA(templates.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((templates + "子目录").c_str(), nullptr));
    // Each template has its own size, so every result tells which template it came from.
    ASSERT_TRUE(WriteSolidPng(templates + "子目录\\d.png", 80, 60, 250, 250, 250));
    ASSERT_TRUE(WriteSolidPng(templates + "a.png", 70, 50, 250, 250, 250));
    ASSERT_TRUE(testsupport::WriteWholeFile(templates + "bad.png", "this is no picture"));
    ASSERT_TRUE(testsupport::WriteWholeFile(templates + "notes.txt", "not a template"));
    ASSERT_TRUE(WriteSolidJpeg(templates + "x.jpg", 60, 40, 250, 250, 250));

    Program program;
    ASSERT_EQ("", program.Start(folder));
    ASSERT_TRUE(program.SetText(U::TitleSize, L"12"));
    ASSERT_TRUE(program.SetText(U::BodySize, L"12"));

    ASSERT_TRUE(program.Click(U::ExportAllButton));
    std::string output = folder + "批量目录\\";
    // The folder's own templates by pattern (jpg before png), then the sub-folder's.
    Picture jpg = ReadPng(output + "1\\1.png");
    EXPECT_EQ(60, jpg.width);
    EXPECT_EQ(40, jpg.height);
    // a.png and bad.png come in the file system's order: one of folders 2 and 3
    // holds a.png's result, the other nothing at all (no empty picture).
    int good = FileExistsA(output + "2\\1.png") ? 2 : 3;
    int bad = 5 - good;
    Picture png = ReadPng(output + std::to_string(good) + "\\1.png");
    EXPECT_EQ(70, png.width);
    EXPECT_EQ(50, png.height);
    EXPECT_TRUE(FileNamesIn(output + std::to_string(bad)).empty()) << Join(FileNamesIn(output + std::to_string(bad)));
    Picture sub = ReadPng(output + "4\\1.png");
    EXPECT_EQ(80, sub.width);
    EXPECT_EQ(60, sub.height);
    EXPECT_FALSE(DirectoryExistsA(output + "5"));
    // The output root is handed to the shell.
    std::string record = WaitForRecord("批量目录", 1);
    EXPECT_EQ(1, CountOccurrences(record, "批量目录")) << record;
    EXPECT_NE(std::string::npos, record.find(" folder ")) << record;

    // Folder 4 now holds 1.png; with a 3.png beside it the count is 2, and the
    // next result must not replace 3.png.
    std::string marker = "marker, not a result";
    ASSERT_TRUE(testsupport::WriteWholeFile(output + "4\\3.png", marker));

    // Two clicks at once: the second arrives while the first run pauses and
    // must not start a run of its own inside it.
    program.PostClick(U::ExportAllButton);
    program.PostClick(U::ExportAllButton);
    record = WaitForRecord("批量目录", 2, 30000);
    Sleep(1500);  // a nested run would leave the outer one still writing
    ASSERT_TRUE(program.Sync());
    record = testsupport::ReadWholeFile(RecorderLog());
    EXPECT_EQ(2, CountOccurrences(record, "批量目录")) << record;

    EXPECT_EQ((std::vector<std::string>{"1.png", "2.png"}), Sorted(FileNamesIn(output + "1")));
    EXPECT_EQ((std::vector<std::string>{"1.png", "2.png"}), Sorted(FileNamesIn(output + std::to_string(good))));
    EXPECT_TRUE(FileNamesIn(output + std::to_string(bad)).empty());
    EXPECT_EQ((std::vector<std::string>{"1.png", "3.png", "4.png"}), Sorted(FileNamesIn(output + "4")));
    EXPECT_TRUE(marker == testsupport::ReadWholeFile(output + "4\\3.png")) << "3.png was replaced";
    Picture again = ReadPng(output + "4\\4.png");
    EXPECT_EQ(80, again.width);
    Picture second = ReadPng(output + "1\\2.png");
    EXPECT_EQ(60, second.width);

    // Sixty templates: only the first fifty are processed.
    for (int i = 0; i < 56; ++i)
        ASSERT_TRUE(WriteSolidPng(templates + "m" + std::to_string(i) + ".png", 8, 8, 250, 250, 250));
    ASSERT_TRUE(program.Click(U::ExportAllButton, 120000));
    EXPECT_TRUE(DirectoryExistsA(output + "50"));
    EXPECT_FALSE(DirectoryExistsA(output + "51"));

    EXPECT_EQ(0, program.Close());
}

// Templates only in sub-folders, and a sub-folder listed before the files beside
// it ("0深" sorts first, as names are listed): each folder's own files first (jpg
// before png), then its sub-folders depth first; the output folders are numbered
// in that order.
TEST(Batch, SubFolderTemplatesFilesFirstThenDepthFirst) {
    std::string folder = NewProgramFolder("batch-tree");
    std::string templates = folder + "模板\\";
    struct Template {
        const char* path;
        int width;  // each template's own, so a result tells where it came from
    };
    // Each top folder's templates in the order the job promises.
    const std::map<std::string, std::vector<Template>> trees = {
        {"甲", {{"甲\\b.jpg", 31}, {"甲\\a.png", 32}, {"甲\\0深\\c.png", 33}, {"甲\\0深\\更深\\d.png", 34}}},
        {"乙", {{"乙\\e.png", 35}, {"乙\\下\\f.jpg", 36}}},
    };
    // Folders are made before the files, the empty ones too.
    for (const char* sub : {"", "空", "甲", "甲\\0深", "甲\\0深\\更深", "乙", "乙\\下"})
        ASSERT_TRUE(CreateDirectoryA((templates + sub).c_str(), nullptr)) << sub;
    for (const auto& tree : trees)
        for (const Template& t : tree.second) {
            std::string path = templates + t.path;
            bool jpeg = path.substr(path.size() - 4) == ".jpg";
            ASSERT_TRUE(jpeg ? WriteSolidJpeg(path, t.width, 20, 250, 250, 250)
                             : WriteSolidPng(path, t.width, 20, 250, 250, 250));
        }
    std::vector<int> expected;
    for (const std::string& top : SubFoldersIn(templates))
        if (trees.count(top))
            for (const Template& t : trees.at(top)) expected.push_back(t.width);
    ASSERT_EQ(6u, expected.size());

    Program program;
    ASSERT_EQ("", program.Start(folder));
    ASSERT_TRUE(program.SetText(U::TitleSize, L"8"));
    ASSERT_TRUE(program.SetText(U::BodySize, L"8"));
    ASSERT_TRUE(program.Click(U::ExportAllButton));
    std::string output = folder + "批量目录\\";
    std::vector<int> made;
    for (size_t i = 1; i <= expected.size(); ++i) made.push_back(ReadPng(output + std::to_string(i) + "\\1.png").width);
    EXPECT_EQ(expected, made) << "template widths in output folder order";
    EXPECT_FALSE(DirectoryExistsA(output + std::to_string(expected.size() + 1)));
    EXPECT_EQ(0, program.Close());
}
