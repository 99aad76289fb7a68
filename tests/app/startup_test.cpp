// Start-up and shutdown of the real program: the skin library file, the
// template folder, the font lists, the settings file, closing by Esc and in a
// folder the program cannot write to.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <algorithm>
#include <cstdlib>
#include <iterator>
#include "app_driver.h"
#include "support/child_process.h"

using namespace apptest;

namespace {

// The ten keys in their order, the two font names, the two texts, the window's
// place, each text's style (the later settings after every text's earlier ones), the output format, then the template.
const char* const kStyleNames[] = {"对齐",         "行距",     "描边宽度", "描边颜色", "阴影x",  "阴影y",  "阴影颜色",
                                   "阴影不透明度", "阴影模糊", "最大宽度", "超宽处理", "定位",   "参考宽", "参考高"};
const char* const kLaterStyleNames[] = {"方向",     "字距",     "旋转",     "渐变",     "渐变起色", "渐变终色",
                                        "渐变角度", "水平位置", "水平边距", "垂直位置", "垂直边距"};
std::vector<std::string> SettingKeys() {
    std::vector<std::string> keys = {"标题字体",  "文案字体",  "标题大小", "文案大小", "标题字体x",    "标题字体y",
                                     "文案字体x", "文案字体y", "标题颜色", "文案颜色", "标题字体名称", "文案字体名称",
                                     "标题内容",  "文案内容",  "窗口左",   "窗口上",   "窗口宽",       "窗口高",
                                     "窗口最大化"};
    for (const char* prefix : {"标题", "文案"})
        for (const char* name : kStyleNames) keys.push_back(std::string(prefix) + name);
    for (const char* prefix : {"标题", "文案"})
        for (const char* name : kLaterStyleNames) keys.push_back(std::string(prefix) + name);
    keys.push_back("输出格式");
    keys.push_back("JPEG质量");
    keys.push_back("模板文件");
    return keys;
}
// What a missing or unreadable value becomes: the ready folder's settings.
const wchar_t* const kDefaultBoxes[] = {L"50", L"25", L"120", L"120", L"120", L"260"};
const U kNumberBoxes[] = {U::TitleSize, U::BodySize, U::TitleX, U::TitleY, U::BodyX, U::BodyY};
const char kTitleRed[] = "2631880";  // RGB 200, 40, 40
const char kBodyDark[] = "3551019";  // RGB 43, 47, 54
const char kExportName[] = "公众号Brightquill 关注获取更多项目和软件.png";

std::vector<std::string> Keys(const std::vector<std::pair<std::string, std::string>>& pairs) {
    std::vector<std::string> keys;
    for (const auto& p : pairs) keys.push_back(p.first);
    return keys;
}

// A well-formed 64-bit DLL (PE32+, x86-64, one code section holding a ret).
std::string Dll64() {
    std::string b(0x400, '\0');
    auto put = [&](size_t at, uint64_t v, int n) {
        for (int i = 0; i < n; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
    };
    b[0] = 'M', b[1] = 'Z';
    put(0x3C, 0x40, 4);
    b[0x40] = 'P', b[0x41] = 'E';
    const size_t coff = 0x44, opt = coff + 20, section = opt + 240;
    put(coff, 0x8664, 2);               // machine: x86-64
    put(coff + 2, 1, 2);                // one section
    put(coff + 16, 240, 2);             // optional header size
    put(coff + 18, 0x2022, 2);          // executable image, large addresses, DLL
    put(opt, 0x20B, 2);                 // PE32+
    put(opt + 4, 0x200, 4);             // size of code
    put(opt + 20, 0x1000, 4);           // base of code
    put(opt + 24, 0x180000000ull, 8);   // image base
    put(opt + 32, 0x1000, 4);           // section alignment
    put(opt + 36, 0x200, 4);            // file alignment
    put(opt + 40, 6, 2);                // OS version 6.0
    put(opt + 48, 6, 2);                // subsystem version 6.0
    put(opt + 56, 0x2000, 4);           // size of image
    put(opt + 60, 0x200, 4);            // size of headers
    put(opt + 68, 2, 2);                // GUI subsystem
    put(opt + 72, 0x100000, 8);         // stack reserve, commit, heap reserve, commit
    put(opt + 80, 0x1000, 8);
    put(opt + 88, 0x100000, 8);
    put(opt + 96, 0x1000, 8);
    put(opt + 108, 16, 4);              // data directories (all empty)
    b.replace(section, 5, ".text");
    put(section + 8, 0x1000, 4);        // virtual size, address
    put(section + 12, 0x1000, 4);
    put(section + 16, 0x200, 4);        // raw size, position
    put(section + 20, 0x200, 4);
    put(section + 36, 0x60000020, 4);   // code, execute, read
    b[0x200] = static_cast<char>(0xC3);
    return b;
}

std::string Value(const std::vector<std::pair<std::string, std::string>>& pairs, const std::string& key) {
    for (const auto& p : pairs)
        if (p.first == key) return p.second;
    return "<absent>";
}

}  // namespace

TEST(Startup, CodePageIs936) { ASSERT_EQ(936u, GetACP()); }

TEST(Startup, FirstStartInAnEmptyFolder) {
    std::string folder = NewProgramFolder("first");
    Program program;
    std::string error = program.Start(folder);
    ASSERT_EQ("", error);

    // The skin library is written next to the program, hidden, as stored.
    std::string skin = folder + "SkinH_QX.dll";
    DWORD attributes = GetFileAttributesA(skin.c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
    std::string stored = testsupport::ReadWholeFile(BuiltSkinDll());
    ASSERT_FALSE(stored.empty());
    EXPECT_TRUE(testsupport::ReadWholeFile(skin) == stored) << "the written library differs from the stored image";
    EXPECT_TRUE(DirectoryExistsA(folder + "模板"));

    // The stored captions of the buttons and the group box.
    EXPECT_EQ(L"导出图片", program.Text(U::ExportButton));
    EXPECT_EQ(L"添加文案", program.Text(U::AddTextsButton));
    EXPECT_EQ(L"预览", program.Text(U::PreviewButton));
    EXPECT_EQ(L"多个模板导出", program.Text(U::ExportAllButton));
    EXPECT_EQ(L"使用教程", program.Text(U::TutorialButton));
    EXPECT_EQ(L"./1.png", program.Text(U::TemplatePath));
    // Without 1.png the group's caption goes on to say why the preview is empty.
    EXPECT_EQ(L"配置 — 模板读不到: 文件不存在", program.Text(U::SettingsGroup));

    // Both font lists: the same non-Latin names in the same order.
    std::vector<std::wstring> title = program.ComboItems(U::TitleFont);
    std::vector<std::wstring> body = program.ComboItems(U::BodyFont);
    ASSERT_FALSE(title.empty());
    EXPECT_EQ(title, body);
    bool simSun = false;
    for (const std::wstring& name : title) {
        ASSERT_FALSE(name.empty());
        wchar_t first = name[0];
        EXPECT_FALSE((first >= L'A' && first <= L'Z') || (first >= L'a' && first <= L'z') || first == L'@')
            << Ansi(name);
        simSun |= name == L"宋体";
    }
    EXPECT_TRUE(simSun) << "宋体 is not in the font list";

    // No settings file: the six boxes take the defaults and the lists keep 宋体.
    for (size_t i = 0; i < std::size(kNumberBoxes); ++i)
        EXPECT_EQ(kDefaultBoxes[i], program.Text(kNumberBoxes[i])) << i;
    const int simSunAt = static_cast<int>(std::find(title.begin(), title.end(), L"宋体") - title.begin());
    EXPECT_EQ(simSunAt, program.ComboSelection(U::TitleFont));
    EXPECT_EQ(simSunAt, program.ComboSelection(U::BodyFont));

    // No template picture: nothing composed, so the export writes no file and
    // names the template as what is missing (not the output file).
    std::vector<std::wstring> notices = program.ClickForNotices(U::ExportButton);
    ASSERT_EQ(1u, notices.size());
    for (const wchar_t* part : {L"找不到模板: ./1.png", L"原因: 文件不存在"})
        EXPECT_NE(std::wstring::npos, notices[0].find(part)) << Ansi(notices[0]);
    EXPECT_FALSE(FileExistsA(folder + kExportName));

    ASSERT_EQ(0, program.Close());
    auto pairs = IniSection(folder + "pz.ini", "配置");
    EXPECT_EQ(SettingKeys(), Keys(pairs));
    EXPECT_EQ(std::to_string(simSunAt), Value(pairs, "标题字体"));
    EXPECT_EQ(std::to_string(simSunAt), Value(pairs, "文案字体"));
    for (size_t i = 0; i < std::size(kNumberBoxes); ++i)
        EXPECT_EQ(Ansi(kDefaultBoxes[i]), Value(pairs, SettingKeys()[2 + i])) << i;
    EXPECT_EQ(kTitleRed, Value(pairs, "标题颜色"));
    EXPECT_EQ(kBodyDark, Value(pairs, "文案颜色"));
    EXPECT_NE("", Value(pairs, "标题内容"));
    EXPECT_EQ("./1.png", Value(pairs, "模板文件"));
}

// An existing skin library (here a different, valid one) is attached but never
// rewritten; stored settings come back into the units; Esc closes and saves.
TEST(Startup, ExistingSkinLibraryStoredSettingsAndEsc) {
    std::string folder = NewProgramFolder("second");
    std::string skin = folder + "SkinH_QX.dll";
    ASSERT_TRUE(testsupport::CopyFileTo(testsupport::ProgramDirectory() + "fake_skin.dll", skin));
    std::string fake = testsupport::ReadWholeFile(skin);
    FILETIME written = {};
    {
        HANDLE h = CreateFileA(skin.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        GetFileTime(h, nullptr, nullptr, &written);
        CloseHandle(h);
    }
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini",
                                            "[配置]\r\n标题字体=2\r\n文案字体=99999\r\n标题大小=30abc\r\n"
                                            "文案大小=２２\r\n标题字体x=15\r\n标题字体y=16\r\n文案字体x=17\r\n"
                                            "文案字体y=-18\r\n标题颜色=255\r\n文案颜色=16711680\r\n"));
    Program program;
    ASSERT_EQ("", program.Start(folder));

    EXPECT_TRUE(testsupport::ReadWholeFile(skin) == fake);
    EXPECT_FALSE(GetFileAttributesA(skin.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    std::string call = testsupport::ReadWholeFile(folder + "skin_call.log");
    EXPECT_EQ(1, CountOccurrences(call, "length=")) << call;
    EXPECT_NE(std::string::npos, call.find("data=1 text=[] ints=0,0,0")) << call;
    EXPECT_EQ(std::string::npos, call.find("length=0 ")) << call;

    EXPECT_EQ(L"30", program.Text(U::TitleSize)) << "the number in front of the text";
    EXPECT_EQ(L"２２", program.Text(U::BodySize)) << "full-width digits are shown as stored";
    EXPECT_EQ(L"15", program.Text(U::TitleX));
    EXPECT_EQ(L"16", program.Text(U::TitleY));
    EXPECT_EQ(L"17", program.Text(U::BodyX));
    EXPECT_EQ(L"-18", program.Text(U::BodyY));
    int fonts = static_cast<int>(program.ComboItems(U::TitleFont).size());
    ASSERT_GT(fonts, 0);
    EXPECT_EQ(fonts > 2 ? 2 : fonts - 1, program.ComboSelection(U::TitleFont));
    EXPECT_EQ(fonts - 1, program.ComboSelection(U::BodyFont)) << "an index beyond the list selects the last font";
    // Each picker shows its own key's colour (red for the title, blue for the body).
    struct Shown {
        U picker;
        bool (*own)(int, int, int);
        bool (*other)(int, int, int);
    } shown[] = {{U::TitleColour, IsRed, IsBlue}, {U::BodyColour, IsBlue, IsRed}};
    for (const Shown& s : shown) {
        std::vector<uint32_t> pixels = program.CaptureShowing(s.picker, s.own, 101);
        EXPECT_GT(CountScreen(pixels, s.own), 100) << static_cast<int>(s.picker);
        EXPECT_EQ(0, CountScreen(pixels, s.other)) << static_cast<int>(s.picker);
    }

    // A change made while running is saved when Esc closes the window.
    // Typed numbers stay as typed when the focus leaves: full-width digits, and a 0.
    ASSERT_TRUE(program.SetText(U::TitleX, L"７７"));
    ASSERT_TRUE(program.SetText(U::TitleY, L"0"));
    for (U box : {U::TitleX, U::TitleY}) ASSERT_TRUE(Program::LeaveBox(program.unit(box)));
    EXPECT_EQ(L"７７", program.Text(U::TitleX));
    EXPECT_EQ(L"0", program.Text(U::TitleY));
    ASSERT_EQ(0, program.PressEscape());
    {
        HANDLE h = CreateFileA(skin.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        FILETIME now = {};
        GetFileTime(h, nullptr, nullptr, &now);
        CloseHandle(h);
        EXPECT_EQ(0, CompareFileTime(&written, &now)) << "the existing library was touched";
    }
    auto pairs = IniSection(folder + "pz.ini", "配置");
    EXPECT_EQ(SettingKeys(), Keys(pairs));
    EXPECT_EQ(std::to_string(fonts > 2 ? 2 : fonts - 1), Value(pairs, "标题字体"));
    EXPECT_EQ(std::to_string(fonts - 1), Value(pairs, "文案字体"));
    EXPECT_EQ("30", Value(pairs, "标题大小"));
    EXPECT_EQ("２２", Value(pairs, "文案大小"));
    EXPECT_EQ("７７", Value(pairs, "标题字体x")) << "saved as typed, not the default";
    EXPECT_EQ("0", Value(pairs, "标题字体y"));
    EXPECT_EQ("17", Value(pairs, "文案字体x"));
    EXPECT_EQ("-18", Value(pairs, "文案字体y"));
    EXPECT_EQ("255", Value(pairs, "标题颜色"));
    EXPECT_EQ("16711680", Value(pairs, "文案颜色"));
}

// A "SkinH_QX.dll" that cannot serve as the skin library is skipped: the window
// comes up with the system look, closes normally, and the file stays as it was.
TEST(Startup, UnloadableSkinLibraryIsSkipped) {
    std::string built = testsupport::ReadWholeFile(BuiltSkinDll());
    ASSERT_GT(built.size(), 4096u);
    std::string noAttach = testsupport::ReadWholeFile(testsupport::ProgramDirectory() + "imprinta_notimer.dll");
    ASSERT_FALSE(noAttach.empty());
    const struct {
        const char* kind;
        bool folder;
        std::string bytes;
    } kCases[] = {
        {"a folder", true, ""},
        {"zero bytes", false, ""},
        {"a truncated copy", false, built.substr(0, built.size() / 2)},
        {"foreign bytes", false, std::string(3000, 'x')},
        {"a 64-bit DLL", false, Dll64()},
        {"a DLL without SkinH_AttachRes", false, noAttach},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.kind);
        std::string folder = NewProgramFolder("skin");
        std::string skin = folder + "SkinH_QX.dll";
        ASSERT_TRUE(c.folder ? CreateDirectoryA(skin.c_str(), nullptr) : testsupport::WriteWholeFile(skin, c.bytes));
        Program program;
        ASSERT_EQ("", program.Start(folder));
        EXPECT_FALSE(program.ComboItems(U::TitleFont).empty());
        std::vector<std::wstring> boxes;
        PostMessageW(program.window(), WM_CLOSE, 0, 0);
        EXPECT_EQ(0, program.Settle(&boxes));
        EXPECT_TRUE(boxes.empty()) << Ansi(boxes.empty() ? L"" : boxes[0]);
        if (c.folder) {
            EXPECT_TRUE(DirectoryExistsA(skin));
            EXPECT_TRUE(FileNamesIn(skin).empty());
        } else {
            EXPECT_TRUE(testsupport::ReadWholeFile(skin) == c.bytes) << "the file was changed";
        }
    }
}

// Fonts kept by name: a font list that changed between two starts (here the
// stored indices moved) keeps the chosen fonts; a name no longer installed
// leaves the index to decide.
TEST(Startup, FontsKeptByName) {
    std::string folder = NewProgramFolder("font-names");
    Program program;
    ASSERT_EQ("", program.Start(folder));
    std::vector<std::wstring> fonts = program.ComboItems(U::TitleFont);
    ASSERT_GE(fonts.size(), 3u) << "needs three fonts in the list";
    ASSERT_TRUE(program.SelectCombo(U::TitleFont, 2));
    ASSERT_TRUE(program.SelectCombo(U::BodyFont, 1));
    ASSERT_EQ(0, program.Close());
    auto pairs = IniSection(folder + "pz.ini", "配置");
    EXPECT_EQ(Ansi(fonts[2]), Value(pairs, "标题字体名称"));
    EXPECT_EQ(Ansi(fonts[1]), Value(pairs, "文案字体名称"));

    struct Case {
        const char* titleIndex;
        std::string titleName;
        const char* bodyIndex;
        std::string bodyName;
        int title, body;  // selections after the start
    } cases[] = {
        {"0", Ansi(fonts[2]), "2", Ansi(fonts[1]), 2, 1},  // the list moved: the names win
        {"1", "没有这种字体", "2", "", 1, 2},              // unknown or empty name: the index
    };
    for (const Case& c : cases) {
        std::string ini = "[配置]\r\n标题字体=" + std::string(c.titleIndex) + "\r\n文案字体=" + c.bodyIndex +
                          "\r\n标题字体名称=" + c.titleName + "\r\n文案字体名称=" + c.bodyName + "\r\n";
        ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", ini));
        Program again;
        ASSERT_EQ("", again.Start(folder));
        EXPECT_EQ(c.title, again.ComboSelection(U::TitleFont)) << c.titleName;
        EXPECT_EQ(c.body, again.ComboSelection(U::BodyFont)) << c.bodyName;
        ASSERT_EQ(0, again.Close());
        auto saved = IniSection(folder + "pz.ini", "配置");
        EXPECT_EQ(std::to_string(c.title), Value(saved, "标题字体"));
        EXPECT_EQ(Ansi(fonts[static_cast<size_t>(c.title)]), Value(saved, "标题字体名称"));
    }
}

// The program's own fonts (its fonts\ folder; none installed in the test
// prefix) lead both lists, marked, and are chosen on a first start; a stored
// font this PC lacks takes the first of them and is named in one note.
TEST(Startup, BundledFontsFirstMarkedChosenAndStandingInForAMissingOne) {
    const std::string folder = NewProgramFolder("bundled-fonts");
    ASSERT_TRUE(CopyShippedFonts(folder));
    const std::vector<std::wstring> bundled = {L"文泉驿微米黑（可商用）", L"霞鹜文楷（可商用）"};
    struct Case {
        std::string ini;
        int title, body;  // selections after the start
        std::string titleSaved;
        const wchar_t* missing;  // named in the one note, if any
    } cases[] = {
        {"", 0, 0, "文泉驿微米黑", nullptr},  // a first start
        {"[配置]\r\n标题字体=5\r\n文案字体=0\r\n标题字体名称=方正兰亭黑\r\n文案字体名称=霞鹜文楷\r\n", 0, 1,
         "文泉驿微米黑", L"方正兰亭黑"},
    };
    for (const Case& c : cases) {
        DeleteFileA((folder + "pz.ini").c_str());
        if (!c.ini.empty()) ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", c.ini));
        Program program;
        ASSERT_EQ("", program.Start(folder));
        for (U list : {U::TitleFont, U::BodyFont}) {
            const std::vector<std::wstring> items = program.ComboItems(list);
            ASSERT_GT(items.size(), bundled.size());
            EXPECT_EQ(bundled, std::vector<std::wstring>(items.begin(), items.begin() + 2));
            for (size_t i = bundled.size(); i < items.size(); ++i)
                EXPECT_EQ(std::wstring::npos, items[i].find(L"可商用")) << Ansi(items[i]);
        }
        EXPECT_EQ(c.title, program.ComboSelection(U::TitleFont));
        EXPECT_EQ(c.body, program.ComboSelection(U::BodyFont));
        ASSERT_EQ(0, program.Close());
        const std::vector<std::wstring> notes = program.Completions();
        if (!c.missing) {
            EXPECT_TRUE(notes.empty()) << Ansi(notes[0]);
        } else {
            ASSERT_EQ(1u, notes.size());
            EXPECT_NE(std::wstring::npos, notes[0].find(c.missing)) << Ansi(notes[0]);
            EXPECT_NE(std::wstring::npos, notes[0].find(L"“文泉驿微米黑”（可商用）")) << Ansi(notes[0]);
        }
        EXPECT_EQ(c.titleSaved, Value(IniSection(folder + "pz.ini", "配置"), "标题字体名称")) << "saved without the mark";
    }
}

// The template is kept over restarts. One that has gone since leaves the box
// at ./1.png and is said in one line above it, with no box to click away, and
// stays kept until the box is changed: put back, it comes back.
TEST(Startup, TemplateKeptOverRestarts) {
    std::string folder = NewProgramFolder("kept-template");
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 300, 400, 230, 230, 230));
    const std::string photo = folder + "人像.png";
    ASSERT_TRUE(WriteSolidPng(photo, 300, 400, 20, 40, 220));
    {
        Program program;
        ASSERT_EQ("", program.Start(folder));
        ASSERT_TRUE(program.SetText(U::TemplatePath, Wide(photo)));
        ASSERT_EQ(0, program.Close());
    }
    EXPECT_EQ(photo, Value(IniSection(folder + "pz.ini", "配置"), "模板文件"));
    const std::string moved = folder + "人像-moved.png";
    struct Row {
        const char* what;
        bool there;            // the kept file is there at the start
        const wchar_t* box;    // null: the kept path
        bool photoShown, said;
    } rows[] = {
        {"kept and there", true, nullptr, true, false},
        {"kept, gone since", false, L"./1.png", false, true},
        {"gone again, and never changed: still kept", false, L"./1.png", false, true},
        {"put back", true, nullptr, true, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ASSERT_TRUE(r.there == FileExistsA(photo) || MoveFileA(r.there ? moved.c_str() : photo.c_str(),
                                                                r.there ? photo.c_str() : moved.c_str()));
        Program program;
        ASSERT_EQ("", program.Start(folder));
        EXPECT_EQ(r.box ? std::wstring(r.box) : Wide(photo), program.Text(U::TemplatePath));
        const std::wstring line = program.Text(U::SettingsGroup);
        if (r.said) {
            EXPECT_NE(std::wstring::npos, line.find(L"人像.png")) << Ansi(line);
            EXPECT_NE(std::wstring::npos, line.find(L"已不存在")) << Ansi(line);
            EXPECT_EQ(std::wstring::npos, line.find_first_of(L"\r\n")) << "one line";
        } else {
            EXPECT_EQ(L"配置", line);
        }
        Sleep(300);
        EXPECT_EQ(nullptr, program.BoxTitled(Program::kNoticeCaption)) << "a box to click away at the start";
        EXPECT_EQ(r.photoShown, CountScreen(program.Capture(U::PreviewBox), IsBlue) > 1000);
        ASSERT_EQ(0, program.Close());
        EXPECT_EQ(photo, Value(IniSection(folder + "pz.ini", "配置"), "模板文件"));
    }
}

// Run by readonly_folder.sh with a program folder that cannot be written to:
// no skin library, no settings, and still a normal start and end.
TEST(ReadOnlyFolder, StartsAndClosesCleanly) {
    const char* folder = std::getenv("IMPRINTA_READONLY_FOLDER");
    if (!folder || !*folder) GTEST_SKIP() << "needs the read-only folder that readonly_folder.sh makes";
    ASSERT_FALSE(testsupport::WriteWholeFile(std::string(folder) + "probe.txt", "x")) << "the folder is writable";
    wchar_t appData[MAX_PATH] = L"";
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)));
    const std::string roaming = Ansi(appData) + "\\Imprinta\\pz.ini";
    DeleteFileA(roaming.c_str());
    const std::string elsewhere = NewProgramFolder("readonly-elsewhere");
    {
        Program program;
        ASSERT_EQ("", program.Start(folder));
        EXPECT_FALSE(FileExistsA(std::string(folder) + "SkinH_QX.dll"));
        EXPECT_FALSE(program.ComboItems(U::TitleFont).empty());
        ASSERT_TRUE(program.SetText(U::TitleText, L"只读"));
        // A refused export is said with the way out, then asks for another folder.
        std::vector<std::wstring> notices;
        ASSERT_TRUE(ExportAskingForAFolder(program, &notices, [&](HWND) {
            ASSERT_TRUE(AnswerFileDialog(program, L"选择保存图片的位置", elsewhere + "海报.png"));
        })) << "no folder was asked for";
        ASSERT_EQ(1u, notices.size());
        for (const wchar_t* part : {L"导出失败", L"拒绝访问", L"另选"})
            EXPECT_NE(std::wstring::npos, notices[0].find(part)) << Ansi(notices[0]);
        EXPECT_TRUE(ReadPng(elsewhere + "海报.png").ok());
        // Both batches go to the folder picked.
        ASSERT_TRUE(program.Click(U::ExportAllButton));
        EXPECT_TRUE(ReadPng(elsewhere + "批量目录\\1\\1.png").ok());
        const std::string table = NewProgramFolder("readonly-table") + "表.csv";
        ASSERT_TRUE(testsupport::WriteWholeFile(table, kTwoRowTable));
        TableBatchRun run = RunTableBatch(program, table);
        ASSERT_TRUE(run.done);
        EXPECT_TRUE(run.report.empty()) << Ansi(run.report);
        EXPECT_TRUE(ReadPng(elsewhere + "批量目录\\1\\first.png").ok());
        notices.clear();
        EXPECT_EQ(0, program.CloseForNotices(&notices));
        EXPECT_TRUE(notices.empty()) << Ansi(notices[0]);
        // The settings moved to the person's application data, said once.
        std::vector<std::wstring> done = program.Completions();
        ASSERT_EQ(3u, done.size());
        EXPECT_NE(std::wstring::npos, done[2].find(L"Imprinta\\pz.ini")) << Ansi(done[2]);
        EXPECT_FALSE(FileExistsA(std::string(folder) + "pz.ini"));
    }
    auto pairs = IniSection(roaming, "配置");
    EXPECT_EQ(elsewhere.substr(0, elsewhere.size() - 1), Value(pairs, "输出文件夹"));
    {
        // Read back from there at the next start; nothing more to say.
        Program program;
        ASSERT_EQ("", program.Start(folder));
        EXPECT_EQ(L"只读", program.Text(U::TitleText));
        ASSERT_TRUE(program.SetText(U::TitleText, L"只读二"));
        std::vector<std::wstring> notices;
        EXPECT_EQ(0, program.CloseForNotices(&notices));
        EXPECT_TRUE(notices.empty());
        EXPECT_TRUE(program.Completions().empty());
    }
    EXPECT_EQ("只读二", Value(IniSection(roaming, "配置"), "标题内容"));
    DeleteFileA(roaming.c_str());
}

// The test prefix turns on Wine's "Light" visual style for standard controls.
TEST(Startup, PrefixThemesStandardControls) {
    using IsThemeActiveFn = BOOL(WINAPI*)();
    HMODULE uxtheme = LoadLibraryA("uxtheme.dll");
    ASSERT_NE(nullptr, uxtheme);
    auto isThemeActive = reinterpret_cast<IsThemeActiveFn>(GetProcAddress(uxtheme, "IsThemeActive"));
    ASSERT_NE(nullptr, isThemeActive);
    EXPECT_TRUE(isThemeActive());
}

// Run by sample_folder.sh with a folder made like the run command's ready
// folder: templates of one size, and settings that put both texts on them.
TEST(SampleFolder, FirstStartShowsAPosterWithBothTexts) {
    const char* env = std::getenv("IMPRINTA_SAMPLE_FOLDER");
    if (!env || !*env) GTEST_SKIP() << "needs the folder that sample_folder.sh makes";
    const std::string folder = env;
    for (const char* name : {"1.png", "模板\\海报-蓝.png", "模板\\节日\\红色.png"}) {
        Picture p = ReadPng(folder + name);
        EXPECT_EQ(1080, p.width) << name;
        EXPECT_EQ(1920, p.height) << name;
    }
    Program program;
    ASSERT_EQ("", program.Start(folder));
    const std::pair<U, const wchar_t*> boxes[] = {{U::TitleSize, L"50"}, {U::BodySize, L"25"}, {U::TitleX, L"120"},
                                                  {U::TitleY, L"120"},   {U::BodyX, L"120"},    {U::BodyY, L"260"}};
    for (const auto& [box, text] : boxes) EXPECT_EQ(text, program.Text(box)) << static_cast<int>(box);

    // The title red in its band, the body dark in its own, nothing below the
    // card: on the first picture (made once every stored setting is in place)
    // and on one made again by the button.
    auto isDark = [](int r, int g, int b) { return r < 100 && g < 100 && b < 100; };
    auto count = [](const Picture& p, int y0, int y1, auto test) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < p.width; ++x) n += test(p.at(x, y)[0], p.at(x, y)[1], p.at(x, y)[2]);
        return n;
    };
    for (const char* picture : {"first", "refreshed"}) {
        if (picture[0] == 'r') {
            ASSERT_TRUE(program.Click(U::AddTextsButton));
        }
        ASSERT_TRUE(program.Click(U::ExportButton));
        Picture p = ReadPng(folder + kExportName);
        ASSERT_EQ(1080, p.width) << picture;
        EXPECT_GT(count(p, 110, 200, IsRed), 1000) << picture << ": the title is not red";
        EXPECT_GT(count(p, 250, 700, isDark), 3000) << picture << ": the body is not dark";
        EXPECT_EQ(0, count(p, 250, 700, IsRed)) << picture;
        EXPECT_EQ(0, count(p, 740, 1920, isDark)) << picture << ": text outside the card";
    }
    EXPECT_EQ(0, program.Close());
}
