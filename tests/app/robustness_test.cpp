// What no setting, file or disk may do to the program: damaged and extreme
// settings, typed texts kept across a close by Esc, a full disk under the
// program's folder (run by full_disk.sh as root) and template names outside GBK.
#include <gtest/gtest.h>
#include <climits>
#include <cstdlib>
#include "app_driver.h"
#include "support/child_process.h"

using namespace apptest;

namespace {

const U kNumberBoxes[] = {U::TitleSize, U::BodySize, U::TitleX, U::TitleY, U::BodyX, U::BodyY};
const char kExportName[] = "公众号Brightquill 关注获取更多项目和软件.png";

bool IsDark(int r, int g, int b) { return r < 90 && g < 90 && b < 90; }

std::string Value(const std::string& ini, const std::string& key) {
    for (const auto& p : IniSection(ini, "配置"))
        if (p.first == key) return p.second;
    return "<absent>";
}

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& part) {
    for (const std::wstring& t : texts)
        if (t.find(part) != std::wstring::npos) return true;
    return false;
}

std::string Joined(const std::vector<std::wstring>& texts) {
    std::string out;
    for (const std::wstring& t : texts) out += Ansi(t) + " | ";
    return out;
}

}  // namespace

// A missing or damaged settings file starts with the ready folder's values and
// a first preview holding both texts; numbers no one means are held to their
// range, and the program neither crashes nor hangs on them.
TEST(Settings, DamagedOrExtremeFilesStartWithWorkingValues) {
    const std::vector<std::wstring> defaults = {L"50", L"25", L"120", L"120", L"120", L"260"};
    struct Case {
        const char* name;
        bool present;
        std::string content;
        std::vector<std::wstring> boxes;
    } cases[] = {
        {"absent", false, "", defaults},
        {"empty", true, "", defaults},
        {"binary", true, std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\xFF\xFE\x00", 20), defaults},
        {"UTF-8", true, "[\xE9\x85\x8D\xE7\xBD\xAE]\r\n\xE6\xA0\x87\xE9\xA2\x98\xE5\xA4\xA7\xE5\xB0\x8F=9\r\n", defaults},
        {"no section", true, "标题大小=9\r\n文案大小=9\r\n", defaults},
        {"words", true, "[配置]\r\n标题大小=大\r\n文案大小=\r\n标题字体x=x\r\n", defaults},
        {"extreme", true,
         "[配置]\r\n标题大小=2147483648\r\n文案大小=-5\r\n标题字体x=-2147483649\r\n标题字体y=1e308\r\n"
         "文案字体x=abc\r\n文案字体y=99999999\r\n标题颜色=-1\r\n文案颜色=1e308\r\n",
         {L"2000", L"0", L"-100000", L"100000", L"120", L"100000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string folder = NewProgramFolder("settings");
        ASSERT_TRUE(WriteSolidPng(folder + "1.png", 600, 400, 255, 255, 255));
        if (c.present) {
            ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", c.content));
        }
        Program program;
        ASSERT_EQ("", program.Start(folder));
        for (size_t i = 0; i < std::size(kNumberBoxes); ++i) EXPECT_EQ(c.boxes[i], program.Text(kNumberBoxes[i])) << i;
        if (c.boxes == defaults) {
            // The first preview, once painted: the title in red, the body in a dark colour.
            int red = 0, dark = 0;
            for (int i = 0; i < 60 && (red <= 30 || dark <= 10); ++i, Sleep(50)) {
                std::vector<uint32_t> preview = program.Capture(U::PreviewBox);
                red = CountScreen(preview, IsRed);
                dark = CountScreen(preview, IsDark);
            }
            EXPECT_GT(red, 30);
            EXPECT_GT(dark, 10);
        }
        EXPECT_EQ(0, program.Close());
        // What is written back is what was shown: defaults stay, never empty values.
        EXPECT_EQ(Ansi(c.boxes[0]), Value(folder + "pz.ini", "标题大小"));
        EXPECT_EQ(Ansi(c.boxes[5]), Value(folder + "pz.ini", "文案字体y"));
        if (c.boxes == defaults) {
            EXPECT_EQ("2631880", Value(folder + "pz.ini", "标题颜色"));
            EXPECT_EQ("3551019", Value(folder + "pz.ini", "文案颜色"));
        }
    }
}

// The typed texts come back at the next start, line breaks and backslashes
// included, after Esc closed the window; a huge typed position is drawn and
// saved within range, and the next start shows the window.
TEST(Settings, TypedTextsKeptAndHugeNumbersHeld) {
    std::string folder = NewProgramFolder("texts-kept");
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 300, 200, 255, 255, 255));
    const std::wstring title = L"我的标题 \\n 不是换行", body = L"第一行\r\n第二行 C:\\temp\r\n";
    {
        Program program;
        ASSERT_EQ("", program.Start(folder));
        ASSERT_TRUE(program.SetText(U::TitleText, title));
        ASSERT_TRUE(program.SetText(U::BodyText, body));
        ASSERT_TRUE(program.SetText(U::TitleY, L"2147483648"));
        ASSERT_TRUE(program.SetText(U::BodySize, L"-2147483648"));
        ASSERT_TRUE(program.Sync());
        ASSERT_EQ(0, program.PressEscape());
    }
    EXPECT_EQ("100000", Value(folder + "pz.ini", "标题字体y"));
    EXPECT_EQ("0", Value(folder + "pz.ini", "文案大小"));
    EXPECT_EQ("第一行\\n第二行 C:\\\\temp\\n", Value(folder + "pz.ini", "文案内容"));
    Program program;
    ASSERT_EQ("", program.Start(folder));
    EXPECT_EQ(title, program.Text(U::TitleText));
    EXPECT_EQ(body, program.Text(U::BodyText));
    EXPECT_EQ(L"100000", program.Text(U::TitleY));
    EXPECT_EQ(0, program.Close());
}

// A template that goes away while shown keeps the last good preview and is
// reported once, not at every keystroke.
TEST(Settings, TemplateGoneWhileShownSaidOnce) {
    std::string folder = NewProgramFolder("template-gone");
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 300, 200, 255, 255, 255));
    Program program;
    ASSERT_EQ("", program.Start(folder));
    ASSERT_TRUE(DeleteFileA((folder + "1.png").c_str()));
    std::vector<std::wstring> notices;
    struct Typing {
        Program* program;
        int step = 0;
        static bool Next(void* self) {
            auto* t = static_cast<Typing*>(self);
            if (t->step == 3) return true;
            // Three keystrokes; the first one's report holds the program until answered.
            DWORD_PTR r = 0;
            const wchar_t* text = t->step == 0 ? L"51" : t->step == 1 ? L"52" : L"53";
            SendMessageTimeoutW(t->program->unit(U::TitleSize), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text),
                                SMTO_NORMAL, 300, &r);
            ++t->step;
            Sleep(300);
            return false;
        }
    } typing{&program};
    EXPECT_EQ(Program::kStillRunning, program.Settle(&notices, Typing::Next, &typing, 30000, Program::kNoticeCaption));
    ASSERT_EQ(1u, notices.size()) << Joined(notices);
    EXPECT_NE(std::wstring::npos, notices[0].find(L"1.png")) << Ansi(notices[0]);
    EXPECT_NE(std::wstring::npos, notices[0].find(L"文件不存在")) << Ansi(notices[0]);
    EXPECT_GT(CountScreen(program.Capture(U::PreviewBox), IsRed), 30) << "the last good preview stays";
    EXPECT_EQ(0, program.Close());
}

// Run by full_disk.sh: the program's folder on a small file system that is
// then filled. Nothing written before is damaged, nothing half-written stays,
// and every failure is said with the file and the reason.
TEST(FullDisk, OldFilesIntactAndEveryFailureSaid) {
    const char* env = std::getenv("IMPRINTA_FULL_DISK_FOLDER");
    if (!env || !*env) GTEST_SKIP() << "needs the folder that full_disk.sh makes";
    const std::string folder = env;
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 300, 200, 255, 255, 255));
    ASSERT_TRUE(CreateDirectoryA((folder + "模板").c_str(), nullptr));
    ASSERT_TRUE(WriteSolidPng(folder + "模板\\a.png", 300, 200, 255, 255, 255));
    {
        Program first;
        ASSERT_EQ("", first.Start(folder));
        ASSERT_TRUE(first.ClickForNotices(U::ExportButton).empty());
        ASSERT_EQ(0, first.CloseForNotices(nullptr));
    }
    const std::string exported = testsupport::ReadWholeFile(folder + kExportName);
    const std::string settings = testsupport::ReadWholeFile(folder + "pz.ini");
    ASSERT_TRUE(DecodePng(exported).ok());
    ASSERT_FALSE(settings.empty());

    // Fill the disk to the last byte.
    HANDLE fill = CreateFileA((folder + "fill").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, fill);
    std::string chunk(1 << 16, 'x');
    for (DWORD size = 1 << 16; size > 0; size /= 2) {
        DWORD written = 0;
        while (WriteFile(fill, chunk.data(), size, &written, nullptr) && written == size) {
        }
    }
    CloseHandle(fill);

    Program program;
    ASSERT_EQ("", program.Start(folder));
    ASSERT_TRUE(program.SetText(U::TitleText, L"另一个标题"));
    std::vector<std::wstring> notices = program.ClickForNotices(U::ExportButton);
    EXPECT_TRUE(Contains(notices, L"磁盘已满") && Contains(notices, L"关注获取更多项目和软件.png")) << Joined(notices);
    notices = program.ClickForNotices(U::ExportAllButton);
    EXPECT_TRUE(Contains(notices, L"失败 1 张") && Contains(notices, L"磁盘已满")) << Joined(notices);
    const std::string table = NewProgramFolder("full-disk-table") + "表.csv";
    ASSERT_TRUE(testsupport::WriteWholeFile(table, kTwoRowTable));
    EXPECT_EQ("", MissingFromFailedRowsReport(RunTableBatch(program, table), L"磁盘已满"));
    notices.clear();
    EXPECT_EQ(0, program.CloseForNotices(&notices));
    EXPECT_TRUE(Contains(notices, L"设置没有保存") && Contains(notices, L"pz.ini")) << Joined(notices);

    EXPECT_TRUE(exported == testsupport::ReadWholeFile(folder + kExportName)) << "the last export was damaged";
    EXPECT_TRUE(settings == testsupport::ReadWholeFile(folder + "pz.ini")) << "the settings file was damaged";
    for (const std::string& name : FileNamesIn(folder, "*.part")) ADD_FAILURE() << "left behind: " << name;
    for (const std::string& sub : SubFoldersIn(folder + "批量目录"))
        for (const std::string& name : FileNamesIn(folder + "批量目录\\" + sub))
            ADD_FAILURE() << "a result on a full disk: " << sub << "\\" << name;
}
