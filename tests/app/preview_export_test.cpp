// The preview and the export button of the real program: what the picture box
// shows and what the exported PNG holds.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <functional>
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
        if ((CountScreen(program.Capture(U::PreviewBox), IsRed) > 20) == want) return true;
        Sleep(50);
    }
    return false;
}

// One text's settings and the units that take them.
struct TextSetting {
    const char* name;
    const char* colourKey;  // in pz.ini: the pickers take colours only from there
    U fontBox, sizeBox, xBox, yBox, textBox;
    const wchar_t* font;
    int size;
    uint32_t colour;  // 0x00BBGGRR
    int x, y;
    const wchar_t* text;
};

bool Differs(const Picture& a, const Picture& b, int x, int y) { return memcmp(a.at(x, y), b.at(x, y), 4) != 0; }

// A count the program keeps as a window property (previews drawn, exports made ahead).
intptr_t WindowCount(const Program& program, const char* property) {
    return reinterpret_cast<intptr_t>(GetPropA(program.window(), property));
}

}  // namespace

// Each text of the composed picture against that text drawn alone onto the
// template by the renderer: the title drawn with the body's font, size or text
// (or the other way round) changes its ink. The two fonts are different faces
// (the Chinese family names that map to the same face would not tell).
TEST(PreviewAndExport, TitleAndBodyEachDrawnWithTheirOwnSettings) {
    const TextSetting texts[] = {
        {"title", "标题颜色", U::TitleFont, U::TitleSize, U::TitleX, U::TitleY, U::TitleText, L"文泉驿等宽正黑", 44,
         0x0000FF, 12, 10, L"标题 Wil"},
        {"body", "文案颜色", U::BodyFont, U::BodySize, U::BodyX, U::BodyY, U::BodyText, L"宋体", 26, 0xFF0000, 30,
         170, L"正文 body text"},
    };
    std::string folder = NewProgramFolder("two-texts");
    std::string base = folder + "1.png";
    ASSERT_TRUE(WriteSolidPng(base, 420, 300, 236, 236, 220));
    std::string ini = "[配置]\r\n";
    for (const TextSetting& t : texts) ini += std::string(t.colourKey) + "=" + std::to_string(t.colour) + "\r\n";
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", ini));
    Program program;
    ASSERT_EQ("", program.Start(folder));

    std::vector<std::wstring> fonts = program.ComboItems(U::TitleFont);
    std::vector<std::string> drawAlone = {base};
    for (const TextSetting& t : texts) {
        auto font = std::find(fonts.begin(), fonts.end(), t.font);
        ASSERT_TRUE(font != fonts.end()) << Ansi(t.font) << " is not in the font list";
        ASSERT_TRUE(program.SelectCombo(t.fontBox, static_cast<int>(font - fonts.begin())));
        ASSERT_TRUE(program.SetText(t.sizeBox, std::to_wstring(t.size)));
        ASSERT_TRUE(program.SetText(t.xBox, std::to_wstring(t.x)));
        ASSERT_TRUE(program.SetText(t.yBox, std::to_wstring(t.y)));
        ASSERT_TRUE(program.SetText(t.textBox, t.text));
        for (std::string field : {folder + t.name + ".png", Ansi(t.font), std::to_string(t.size),
                                  std::to_string(t.colour), std::to_string(t.x), std::to_string(t.y), Ansi(t.text)})
            drawAlone.push_back(field);
    }
    // A multi-line box takes WM_SETTEXT without a change event: refresh by the button.
    ASSERT_TRUE(program.Click(U::AddTextsButton));
    ASSERT_TRUE(program.Click(U::ExportButton));
    Picture composed = ReadPng(folder + kExportName);
    EXPECT_EQ(0, program.Close());
    testsupport::ChildResult drawn =
        testsupport::RunChild(testsupport::ProgramDirectory() + "text_reference.exe", drawAlone);
    ASSERT_TRUE(drawn.started && drawn.exitCode == 0) << "text_reference exit code " << drawn.exitCode;

    Picture plain = ReadPng(base);
    Picture alone[] = {ReadPng(folder + texts[0].name + ".png"), ReadPng(folder + texts[1].name + ".png")};
    ASSERT_TRUE(composed.ok());
    ASSERT_EQ(plain.width, composed.width);
    ASSERT_EQ(plain.height, composed.height);
    int ink[2] = {}, wrong[2] = {}, overlap = 0, stray = 0;
    for (int y = 0; y < composed.height; ++y)
        for (int x = 0; x < composed.width; ++x) {
            bool inked[2] = {Differs(alone[0], plain, x, y), Differs(alone[1], plain, x, y)};
            if (inked[0] && inked[1]) {
                ++overlap;
            } else if (inked[0] || inked[1]) {
                int i = inked[0] ? 0 : 1;
                ++ink[i];
                wrong[i] += Differs(composed, alone[i], x, y);
            } else {
                stray += Differs(composed, plain, x, y);
            }
        }
    ASSERT_EQ(0, overlap) << "the texts must lie apart for this comparison";
    EXPECT_EQ(0, stray) << "ink where neither text has any";
    for (int i = 0; i < 2; ++i) {
        EXPECT_GT(ink[i], 300) << texts[i].name;
        EXPECT_EQ(0, wrong[i]) << "of " << ink[i] << " pixels of the " << texts[i].name
                               << " differ from that text drawn alone";
    }
}

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

    // The start-up preview has the stored red title at the default size.
    ASSERT_TRUE(PreviewShowsRed(program, true));
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

    // A second export rewrites the same file with the current picture; a
    // template rewritten (to the same length) is read again.
    const size_t templateLength = testsupport::ReadWholeFile(folder + "1.png").size();
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 400, 300, 200, 200, 200));
    ASSERT_EQ(templateLength, testsupport::ReadWholeFile(folder + "1.png").size());
    ASSERT_TRUE(program.SetText(U::TitleX, L"220"));
    ASSERT_TRUE(program.Click(U::ExportButton));
    Picture second = ReadPng(exported);
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(0, Count(second, 0, 10, 200, 80, IsRed));
    EXPECT_GT(Count(second, 215, 10, 400, 80, IsRed), 30);
    EXPECT_EQ(200, second.at(395, 295)[0]);
    EXPECT_EQ(200, second.at(395, 295)[1]);
    EXPECT_EQ(2u, FileNamesIn(folder, "*.png").size()) << "the template and the one export file";

    // The preview button hands the exported file to the shell.
    ASSERT_TRUE(program.Click(U::PreviewButton));
    std::string record = WaitForRecord("picture ", 1);
    EXPECT_NE(std::string::npos, record.find(kExportName)) << record;

    // Without a readable template the picture is empty: the box shows none and
    // the export leaves the last good file alone.
    std::string before = testsupport::ReadWholeFile(exported);
    ASSERT_TRUE(program.SetText(U::TemplatePath, L"./missing.png"));
    EXPECT_TRUE(PreviewShowsRed(program, false)) << "the new template path was not drawn";
    std::vector<std::wstring> notices = program.ClickForNotices(U::ExportButton);
    EXPECT_EQ(1u, notices.size()) << "the export says there is no picture";
    EXPECT_TRUE(testsupport::ReadWholeFile(exported) == before);

    EXPECT_EQ(0, program.Close());
}

// Keystrokes posted in a burst into the body, the export button right behind
// them: the refreshes coalesce (far fewer previews than keys, the last one
// drawn), and the file holds the final text, byte for byte the export of the
// same text set at once.
TEST(PreviewAndExport, TypingBurstCoalescesAndTheExportFollowsIt) {
    std::string folder = NewProgramFolder("burst");
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 1080, 1920, 230, 230, 230));
    Program program;
    ASSERT_EQ("", program.Start(folder));
    const std::string exported = folder + kExportName;
    auto renders = [&] { return WindowCount(program, "ImprintaPreviewRenders"); };
    ASSERT_TRUE(program.SetText(U::BodyText, L""));
    const intptr_t before = renders();
    ASSERT_GT(before, 0);
    const char burst[] = "Coalesced typing: 0123456789 abcdefghij KLMNOPQRST";
    for (const char* c = burst; *c; ++c) PostMessageA(program.unit(U::BodyText), WM_CHAR, uint8_t(*c), 1);
    program.PostClick(U::ExportButton);
    for (int i = 0; i < 600 && !FileExistsA(exported); ++i) Sleep(50);
    ASSERT_TRUE(program.Sync());
    EXPECT_EQ(Wide(burst), program.Text(U::BodyText));
    const intptr_t drawn = renders() - before;
    EXPECT_GE(drawn, 1);
    EXPECT_LE(drawn, intptr_t(sizeof burst / 5)) << "each keystroke drew its own preview";
    const std::string afterBurst = testsupport::ReadWholeFile(exported);
    ASSERT_FALSE(afterBurst.empty());

    ASSERT_TRUE(program.SetText(U::BodyText, L""));
    ASSERT_TRUE(program.SetText(U::BodyText, Wide(burst)));
    ASSERT_TRUE(program.Click(U::ExportButton));
    EXPECT_TRUE(testsupport::ReadWholeFile(exported) == afterBurst) << "the export after the burst is not the fresh one";
    EXPECT_EQ(0, program.Close());
}

// A path typed into the template box is drawn once typing pauses, not at each
// keystroke; a path that names no picture is said once in the line above the
// box (no box to click away), which goes when the path names a picture again.
TEST(PreviewAndExport, TypedTemplatePathDrawnOncePaused) {
    std::string folder = NewProgramFolder("typed-template");
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 300, 400, 230, 230, 230));
    ASSERT_TRUE(WriteSolidPng(folder + "blue.png", 300, 400, 20, 40, 220));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "notes.txt", "not a picture"));
    Program program;
    ASSERT_EQ("", program.Start(folder));
    auto renders = [&] { return WindowCount(program, "ImprintaPreviewRenders"); };
    const struct {
        const wchar_t* typed;
        bool blue;
        const wchar_t* said;  // in the line above the box; null: nothing
    } rows[] = {
        {L"./blue.png", true, nullptr},
        {L"./blue.pngx", false, L"文件不存在"},
        {L"./notes.txt", false, L"不是能读的图片"},
        {L"", false, L"没有填写模板文件"},
        {L"./blue.png", true, nullptr},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(Ansi(r.typed));
        HWND box = program.unit(U::TemplatePath);
        const intptr_t before = renders();
        // Typed over the whole path at a brisk typist's pace (each key on its
        // own, well within the pause), the last key erasing the one before.
        SendMessageW(box, EM_SETSEL, 0, -1);
        std::wstring keys = std::wstring(r.typed) + L"x\b";
        for (wchar_t c : keys) {
            PostMessageW(box, WM_CHAR, c, 1);
            Sleep(80);
        }
        for (int i = 0; i < 100 && renders() == before; ++i) Sleep(50);
        Sleep(800);
        ASSERT_TRUE(program.Sync());
        EXPECT_EQ(r.typed, program.Text(U::TemplatePath));
        EXPECT_EQ(1, renders() - before) << "drawn once the typing paused";
        EXPECT_EQ(r.blue, CountScreen(program.Capture(U::PreviewBox), IsBlue) > 1000);
        const std::wstring line = program.Text(U::SettingsGroup);
        if (r.said)
            EXPECT_NE(std::wstring::npos, line.find(r.said)) << Ansi(line);
        else
            EXPECT_EQ(L"配置", line);
        EXPECT_EQ(nullptr, program.BoxTitled(Program::kNoticeCaption)) << "said in a box";
    }
    EXPECT_EQ(0, program.Close());
}

// A pause in typing makes the export ahead: the export then writes exactly
// what a fresh composition writes, and only for the picture it was made for;
// a poster exported is not packed again.
TEST(PreviewAndExport, ExportMadeAheadOnlyForThePictureShown) {
    std::string folder = NewProgramFolder("ahead");
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 1080, 1920, 120, 170, 220));
    Program program;
    ASSERT_EQ("", program.Start(folder));
    const std::string exported = folder + kExportName;
    auto ahead = [&] { return WindowCount(program, "ImprintaExportsAhead"); };
    auto exportNow = [&] {
        EXPECT_TRUE(program.Click(U::ExportButton));
        return testsupport::ReadWholeFile(exported);
    };
    const intptr_t before = ahead();
    ASSERT_TRUE(program.SetText(U::BodyText, L"Made ahead"));
    for (int i = 0; i < 200 && ahead() == before; ++i) Sleep(50);
    ASSERT_GT(ahead(), before) << "no export made ahead after a pause";
    const std::string madeAhead = exportNow();
    // Typed and exported before any pause: the pause after it packs nothing
    // again, and the next export of the same poster writes what was written.
    const intptr_t made = ahead();
    for (wchar_t c : std::wstring(L" and more")) PostMessageW(program.unit(U::BodyText), WM_CHAR, c, 1);
    program.PostClick(U::ExportButton);
    std::string changed = madeAhead;
    for (int i = 0; i < 200 && changed == madeAhead; ++i, Sleep(50)) changed = testsupport::ReadWholeFile(exported);
    EXPECT_FALSE(changed == madeAhead) << "the export made for the previous text was written";
    Sleep(1200);
    ASSERT_TRUE(program.Sync());
    EXPECT_EQ(made, ahead()) << "the poster just exported was packed again";
    EXPECT_TRUE(exportNow() == changed);
    ASSERT_TRUE(program.SetText(U::BodyText, L"Made ahead"));
    EXPECT_TRUE(exportNow() == madeAhead) << "made ahead differs from composed at once";

    // Each input of the poster makes what was kept stale: a text's settings,
    // the template rewritten at its size, or at another size dated back.
    const std::string base = folder + "1.png";
    auto rewrite = [&](int height, uint8_t r, uint8_t g, uint8_t b, bool datedBack) {
        WIN32_FILE_ATTRIBUTE_DATA was = {};
        GetFileAttributesExA(base.c_str(), GetFileExInfoStandard, &was);
        bool ok = WriteSolidPng(base, 1080, height, r, g, b);
        // At its size: the same length, so that only the time tells the files apart.
        ok = ok && (height != 1920 || testsupport::ReadWholeFile(base).size() == was.nFileSizeLow);
        HANDLE file = CreateFileA(base.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        FILETIME later = was.ftLastWriteTime;
        later.dwHighDateTime += 1;  // about seven minutes: the new time is surely another
        ok = ok && SetFileTime(file, nullptr, nullptr, datedBack ? &was.ftLastWriteTime : &later);
        CloseHandle(file);
        return ok && program.Click(U::AddTextsButton);
    };
    // Two fonts of different faces (several names map to one face).
    const std::vector<std::wstring> fonts = program.ComboItems(U::BodyFont);
    int otherFace = -1;
    for (const wchar_t* face : {L"文泉驿等宽正黑", L"宋体"}) {
        const int i = static_cast<int>(std::find(fonts.begin(), fonts.end(), face) - fonts.begin());
        if (otherFace < 0 && i < static_cast<int>(fonts.size()) && i != program.ComboSelection(U::BodyFont)) otherFace = i;
    }
    ASSERT_GE(otherFace, 0);
    const std::pair<const char*, std::function<bool()>> changes[] = {
        {"title size", [&] { return program.SetText(U::TitleSize, L"61"); }},
        {"title x", [&] { return program.SetText(U::TitleX, L"131"); }},
        {"body y", [&] { return program.SetText(U::BodyY, L"301"); }},
        {"body font", [&] { return program.SelectCombo(U::BodyFont, otherFace); }},
        {"template rewritten", [&] { return rewrite(1920, 220, 170, 120, false); }},
        {"template resized, same time", [&] { return rewrite(1900, 60, 60, 60, true); }},
    };
    std::string last = exportNow();
    for (const auto& [what, change] : changes) {
        ASSERT_TRUE(change()) << what;
        const std::string now = exportNow();
        EXPECT_FALSE(now == last) << what << ": the export of the poster before it was written";
        last = now;
    }
    EXPECT_EQ(0, program.Close());
}

// A lone copy of the program: the tutorial button writes the stored page next
// to it and opens it; a page already there (here edited) is kept. The page
// covers every feature, down to the command line.
TEST(PreviewAndExport, TutorialPageWrittenWhenMissingAndOpened) {
    RegisterRecorderAssociations();
    std::string folder = NewProgramFolder("tutorial");
    std::string page = folder + "tutorial.html";
    std::string stored = testsupport::ReadWholeFile(BuiltTutorialPage());
    ASSERT_FALSE(stored.empty());
    auto utf8 = [](const wchar_t* w) {
        char out[64] = {};
        WideCharToMultiByte(CP_UTF8, 0, w, -1, out, sizeof out, nullptr, nullptr);
        return std::string(out);
    };
    for (const wchar_t* word : {L"--batch", L"--templates", L"--out", L"--title", L"--body", L"--body-file",
                                L"--texts", L"--help", L"Shift", L"右键", L"拖到窗口", L"字体名称", L"pz.ini"})
        EXPECT_NE(std::string::npos, stored.find(utf8(word))) << Ansi(word);

    Program program;
    ASSERT_EQ("", program.Start(folder));
    EXPECT_FALSE(FileExistsA(page));
    int opened = CountOccurrences(testsupport::ReadWholeFile(RecorderLog()), " page ");
    ASSERT_TRUE(program.Click(U::TutorialButton));
    std::string record = WaitForRecord(" page ", opened + 1);
    EXPECT_NE(std::string::npos, record.find("tutorial.html")) << record;
    EXPECT_TRUE(testsupport::ReadWholeFile(page) == stored) << "the written page differs from the stored one";

    ASSERT_TRUE(testsupport::WriteWholeFile(page, "mine"));
    ASSERT_TRUE(program.Click(U::TutorialButton));
    WaitForRecord(" page ", opened + 2);
    EXPECT_EQ("mine", testsupport::ReadWholeFile(page));
    EXPECT_EQ(0, program.Close());
}
