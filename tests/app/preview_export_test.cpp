// The preview and the export button of the real program: what the picture box
// shows and what the exported PNG holds.
#include <gtest/gtest.h>
#include "app_driver.h"
#include "support/child_process.h"

using namespace apptest;

namespace {

const char kExportName[] = "公众号Brightquill 关注获取更多项目和软件.png";

// Pixels of one colour class inside a rectangle of a picture.
int Count(const Picture& p, int x0, int y0, int x1, int y1, bool (*test)(int, int, int)) {
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(p.height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(p.width, x1); ++x)
            if (test(p.at(x, y)[0], p.at(x, y)[1], p.at(x, y)[2])) ++n;
    return n;
}

// Polls the picture box on the screen until `want` red pixels are (or are not) there.
bool PreviewShowsRed(const Program& program, bool want) {
    for (int i = 0; i < 60; ++i) {
        if ((CountScreen(program.CapturePreview(), IsRed) > 20) == want) return true;
        Sleep(50);
    }
    return false;
}

}  // namespace

TEST(PreviewAndExport, ComposedPictureShownAndExported) {
    RegisterRecorderAssociations();
    DeleteFileA(RecorderLog().c_str());
    std::string folder = NewProgramFolder("export");
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 400, 300, 230, 230, 230));
    // Red title, blue body text; the loaded colours apply from the next refresh on.
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini",
                                            "[配置]\r\n标题颜色=255\r\n文案颜色=16711680\r\n"));
    Program program;
    ASSERT_EQ("", program.Start(folder));
    std::string exported = folder + kExportName;

    // The start-up preview is drawn with the colours the pickers held before the load.
    ASSERT_TRUE(PreviewShowsRed(program, false));
    std::vector<std::wstring> fonts = program.ComboItems(U::TitleFont);
    int simSun = -1;
    for (size_t i = 0; i < fonts.size(); ++i)
        if (fonts[i] == L"宋体") simSun = static_cast<int>(i);
    ASSERT_GE(simSun, 0);
    ASSERT_TRUE(program.SelectCombo(U::BodyFont, simSun));
    ASSERT_TRUE(program.SetText(U::BodyText, L"正文BODY"));
    ASSERT_TRUE(program.SetText(U::BodySize, L"30"));
    ASSERT_TRUE(program.SetText(U::BodyX, L"10"));
    ASSERT_TRUE(program.SetText(U::BodyY, L"150"));
    ASSERT_TRUE(program.SetText(U::TitleText, L"标题TITLE"));
    ASSERT_TRUE(program.SetText(U::TitleSize, L"40"));
    ASSERT_TRUE(program.SetText(U::TitleX, L"10"));
    ASSERT_TRUE(program.SetText(U::TitleY, L"20"));
    ASSERT_TRUE(program.SelectCombo(U::TitleFont, simSun));
    EXPECT_EQ(simSun, program.ComboSelection(U::TitleFont));
    EXPECT_TRUE(PreviewShowsRed(program, true)) << "the preview did not change to the red title";

    ASSERT_TRUE(program.Click(U::ExportButton));
    Picture first = ReadPng(exported);
    ASSERT_TRUE(first.ok()) << "no PNG at " << exported;
    EXPECT_EQ(400, first.width);
    EXPECT_EQ(300, first.height);
    EXPECT_GT(Count(first, 0, 10, 200, 80, IsRed), 30) << "no title near its position";
    EXPECT_EQ(0, Count(first, 0, 100, 400, 300, IsRed)) << "title drawn away from its position";
    EXPECT_GT(Count(first, 0, 140, 220, 200, IsBlue), 30) << "no body text near its position";
    EXPECT_EQ(0, Count(first, 0, 0, 400, 130, IsBlue));
    EXPECT_EQ(230, first.at(395, 295)[0]);
    EXPECT_EQ(230, first.at(395, 295)[2]);

    // A second export rewrites the same file with the current picture; each
    // refresh reads the template file again.
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 400, 300, 200, 240, 200));
    ASSERT_TRUE(program.SetText(U::TitleX, L"220"));
    ASSERT_TRUE(program.Click(U::ExportButton));
    Picture second = ReadPng(exported);
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(0, Count(second, 0, 10, 200, 80, IsRed));
    EXPECT_GT(Count(second, 215, 10, 400, 80, IsRed), 30);
    EXPECT_EQ(200, second.at(395, 295)[0]);
    EXPECT_EQ(240, second.at(395, 295)[1]);
    EXPECT_EQ(2u, FileNamesIn(folder, "*.png").size()) << "the template and the one export file";

    // The preview button hands the exported file to the shell.
    ASSERT_TRUE(program.Click(U::PreviewButton));
    std::string record = WaitForRecord("picture ", 1);
    EXPECT_NE(std::string::npos, record.find(kExportName)) << record;

    // Without a readable template the picture is empty: the box shows none and
    // the export leaves the last good file alone.
    std::string before = testsupport::ReadWholeFile(exported);
    ASSERT_TRUE(program.SetText(U::TemplatePath, L"./missing.png"));
    EXPECT_TRUE(PreviewShowsRed(program, true)) << "a new template path alone does not refresh";
    ASSERT_TRUE(program.Click(U::AddTextsButton));
    EXPECT_TRUE(PreviewShowsRed(program, false));
    ASSERT_TRUE(program.Click(U::ExportButton));
    EXPECT_TRUE(testsupport::ReadWholeFile(exported) == before);

    EXPECT_EQ(0, program.Close());
}
