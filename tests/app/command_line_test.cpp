// The batch run from the command line under Wine: arguments and exit codes,
// outputs numbered as the window's batch numbers them, UTF-8 and GBK texts
// files, a bad template among good ones, and pixels equal to the window's batch.
#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include "app_driver.h"
#include "app/resources/version.h"
#include "support/child_process.h"

using namespace apptest;

namespace {

struct CliResult {
    int code = -1;
    std::string out;  // GBK
};

// Runs folder\Imprinta.exe with the arguments, its standard output a pipe.
CliResult RunCli(const std::string& folder, const std::vector<std::wstring>& args) {
    CliResult r;
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return r;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::wstring exe = Wide(folder + "Imprinta.exe");
    std::wstring cmd = L"\"" + exe + L"\"";
    for (const std::wstring& a : args) cmd += L" \"" + a + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::wstring dir = Wide(folder);
    BOOL started = CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(), &si, &pi);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return r;
    }
    std::string utf8;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got) utf8.append(buffer, got);
    CloseHandle(readEnd);
    if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        r.code = static_cast<int>(code);
    }
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    r.out = Ansi(wide);
    return r;
}

// Starts folder\Imprinta.exe with the arguments, its output thrown away; the caller waits or stops it.
PROCESS_INFORMATION StartCli(const std::string& folder, const std::vector<std::wstring>& args) {
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);
    std::wstring exe = Wide(folder + "Imprinta.exe"), cmd = L"\"" + exe + L"\"", dir = Wide(folder);
    for (const std::wstring& a : args) cmd += L" \"" + a + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = nul;
    PROCESS_INFORMATION pi = {};
    CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(), &si, &pi);
    CloseHandle(nul);
    return pi;
}

std::string Utf8Of(const std::string& gbk) {
    std::wstring w = Wide(gbk);
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

// Every file under root (by its path below root) with its bytes, records left out.
void FilesUnder(const std::string& root, const std::string& below, std::map<std::string, std::string>* files) {
    for (const std::string& name : FileNamesIn(root + below))
        if (name.find(".csv") == std::string::npos)
            (*files)[below + name] = testsupport::ReadWholeFile(root + below + name);
    for (const std::string& sub : SubFoldersIn(root + below)) FilesUnder(root, below + sub + "\\", files);
}
std::map<std::string, std::string> FilesUnder(const std::string& root) {
    std::map<std::string, std::string> files;
    FilesUnder(root, "", &files);
    return files;
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

// A font index from a machine with more fonts: the last listed font, as the window takes it.
const char kSettings[] =
    "[配置]\r\n标题字体=99\r\n文案字体=0\r\n标题大小=20\r\n文案大小=14\r\n标题字体x=6\r\n标题字体y=4\r\n"
    "文案字体x=6\r\n文案字体y=34\r\n标题颜色=255\r\n文案颜色=16711680\r\n";

// The contact sheet's and the overview's folder: one 360 x 640 template in 模板,
// a red title at (20, 20) and a black body at (20, 100).
bool WriteSheetTemplateAndSettings(const std::string& folder) {
    const std::string templates = folder + "模板\\";
    return CreateDirectoryA(templates.c_str(), nullptr) && WriteSolidPng(templates + "a.png", 360, 640, 250, 240, 220) &&
           testsupport::WriteWholeFile(folder + "pz.ini", "[配置]\r\n标题字体=0\r\n文案字体=0\r\n标题大小=30\r\n文案大小=20\r\n"
                                                          "标题字体x=20\r\n标题字体y=20\r\n文案字体x=20\r\n文案字体y=100\r\n"
                                                          "标题颜色=16711680\r\n文案颜色=0\r\n");
}

}  // namespace

TEST(CommandLine, ArgumentsAndExitCodes) {
    std::string folder = NewProgramFolder("cli-args");
    ASSERT_TRUE(CreateDirectoryA((folder + "空模板").c_str(), nullptr));
    struct Case {
        std::vector<std::wstring> args;
        int code;
        const char* says;
        bool usage;
    } cases[] = {
        {{L"--help"}, 0, "--texts FILE", true},
        {{L"--version", L"--batch"}, 0, "Imprinta " IMPRINTA_VERSION_TEXT "\n", false},  // no batch, no window
        {{L"--batch", L"--bogus"}, 2, "未知选项 --bogus", true},
        {{L"--batch", L"--title"}, 2, "--title 缺少值", true},
        {{L"--batch", L"--body", L"x", L"--body-file", L"b.txt"}, 2, "只能用一个", true},
        {{L"--title", L"x"}, 2, "缺少 --batch", true},
        {{L"--batch", L"--templates", L"不存在"}, 2, "找不到模板文件夹 不存在", false},
        {{L"--batch"}, 2, "找不到模板文件夹", false},  // no 模板 folder beside the program
        {{L"--batch", L"--templates", L"空模板", L"--texts", L"没有.txt"}, 2, "读不到文本文件 没有.txt", false},
        {{L"--batch", L"--templates", L"空模板"}, 1, "没有模板", false},
        {{L"--batch", L"--templates", L"空模板", L"--settings", L"没有.ini"}, 2, "读不到设置文件 没有.ini", false},
        {{L"--batch", L"--templates", L"空模板", L"--settings", L"空模板"}, 2, "读不到设置文件 空模板", false},
        // A mistyped option is an error, never a window that a script would wait for.
        {{L"--batch", L"--shard", L"4/3"}, 2, "--shard 要 K/N (1 <= K <= N): 4/3", true},
        {{L"-batch"}, 2, "未知选项 -batch", true},
        {{L"-x", L"--batch"}, 2, "未知选项 -x", true},
        // Files that are no text are refused before anything is drawn.
        {{L"--batch", L"--templates", L"空模板", L"--texts", L"binary.txt"}, 2, "binary.txt: 不是文本表格", false},
        {{L"--batch", L"--templates", L"空模板", L"--body-file", L"latin1.txt"}, 2, "latin1.txt: 不是文本文件", false},
    };
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "binary.txt", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "latin1.txt", "caf\xE9 cr\xE8me \x01\x02"));
    for (const Case& c : cases) {
        CliResult r = RunCli(folder, c.args);
        std::string args;
        for (const std::wstring& a : c.args) args += Ansi(a) + " ";
        EXPECT_EQ(c.code, r.code) << args << "\n" << r.out;
        EXPECT_NE(std::string::npos, r.out.find(c.says)) << args << "\n" << r.out;
        EXPECT_EQ(c.usage, r.out.find("用法") != std::string::npos) << args;
    }
    EXPECT_FALSE(DirectoryExistsA(folder + "批量目录")) << "nothing is written on bad arguments";
}

TEST(CommandLine, TextsFilesNumberingFailuresAndTheWindowsPixels) {
    std::string folder = NewProgramFolder("cli-batch");
    std::string templates = folder + "模板\\";
    ASSERT_TRUE(CreateDirectoryA(templates.c_str(), nullptr));
    ASSERT_TRUE(WriteSolidJpeg(templates + "b.jpg", 120, 70, 250, 250, 250));
    ASSERT_TRUE(WriteSolidPng(templates + "a.png", 130, 80, 250, 250, 250));
    ASSERT_TRUE(testsupport::WriteWholeFile(templates + "坏.png", "no picture"));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", kSettings));
    // The same two posters in UTF-8 (with a blank line) and in GBK (CR LF, no tab on
    // line 2: that line takes --body, whose "\n" breaks its line as the file's do).
    std::string title = "橘子", body = "甜\\n酸";
    auto utf8 = [](const std::string& gbk) {
        std::wstring w = Wide(gbk);
        int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
        std::string s(static_cast<size_t>(n), '\0');
        WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
        return s;
    };
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "utf8.txt", utf8(title + "\t" + body + "\n\n" + "苹果\t" + "脆\\n甜\n")));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "gbk.txt", title + "\t" + body + "\r\n苹果\r\n"));

    CliResult first = RunCli(folder, {L"--batch", L"--texts", L"utf8.txt"});
    EXPECT_EQ(1, first.code) << first.out;
    // Each failure line says why and where the output was to go.
    for (const char* line : {" (第 1 行) 失败: 不是能读的图片", " (第 3 行) 失败: 不是能读的图片"})
        EXPECT_NE(std::string::npos, first.out.find(templates + "坏.png" + line)) << first.out;
    EXPECT_NE(std::string::npos, first.out.find("(输出到 " + folder + "批量目录\\)")) << first.out;
    EXPECT_NE(std::string::npos, first.out.find("写出 4 张, 跳过 0 张, 失败 2 张")) << first.out;
    CliResult second = RunCli(folder, {L"--batch", L"--texts", L"gbk.txt", L"--body", L"脆\\n甜"});
    EXPECT_EQ(1, second.code) << second.out;

    // Folder 1 is the jpg's; a.png and 坏.png share 2 and 3 in the file system's order.
    std::string output = folder + "批量目录\\";
    int good = FileExistsA(output + "2\\1.png") ? 2 : 3;
    const std::vector<std::string> four = {"1.png", "2.png", "3.png", "4.png"};
    EXPECT_EQ(four, Sorted(FileNamesIn(output + "1")));
    EXPECT_EQ(four, Sorted(FileNamesIn(output + std::to_string(good))));
    EXPECT_TRUE(FileNamesIn(output + std::to_string(5 - good)).empty());
    EXPECT_EQ(120, ReadPng(output + "1\\1.png").width);
    EXPECT_EQ(130, ReadPng(output + std::to_string(good) + "\\1.png").width);
    // The same texts from either file give the same pixels; different texts do not.
    for (const std::string& sub : {std::string("1"), std::to_string(good)}) {
        std::string d = output + sub + "\\";
        EXPECT_TRUE(ReadPng(d + "1.png").rgba == ReadPng(d + "3.png").rgba) << sub << ": line 1, UTF-8 vs GBK";
        EXPECT_TRUE(ReadPng(d + "2.png").rgba == ReadPng(d + "4.png").rgba) << sub << ": line 2 vs --body";
        EXPECT_FALSE(ReadPng(d + "1.png").rgba == ReadPng(d + "2.png").rgba) << sub;
    }

    // The window's batch with the first poster's texts writes 5.png, pixel for pixel the same.
    RegisterRecorderAssociations();
    Program program;
    ASSERT_EQ("", program.Start(folder));
    ASSERT_TRUE(program.SetText(U::TitleText, Wide(title)));
    ASSERT_TRUE(program.SetText(U::BodyText, L"甜\r\n酸"));
    EXPECT_EQ(1u, program.ClickForNotices(U::ExportAllButton).size()) << "the summary names 坏.png";
    EXPECT_EQ(0, program.Close());
    for (const std::string& sub : {std::string("1"), std::to_string(good)}) {
        std::string d = output + sub + "\\";
        Picture window = ReadPng(d + "5.png");
        ASSERT_TRUE(window.ok()) << sub;
        EXPECT_TRUE(window.rgba == ReadPng(d + "1.png").rgba) << sub << ": window and command line differ";
    }
}

// A saved style given with --settings draws as the window draws with that style
// in its pz.ini; neither file is written.
TEST(CommandLine, SettingsFileGivesTheWindowsStyledPixels) {
    std::string folder = NewProgramFolder("cli-style");
    std::string templates = folder + "模板\\";
    ASSERT_TRUE(CreateDirectoryA(templates.c_str(), nullptr));
    ASSERT_TRUE(WriteSolidPng(templates + "a.png", 160, 90, 40, 120, 200));
    const std::string style = std::string(kSettings) +
                              "标题对齐=1\r\n标题字体x=80\r\n标题描边宽度=2\r\n标题描边颜色=16777215\r\n"
                              "标题阴影x=3\r\n标题阴影y=3\r\n标题阴影不透明度=70\r\n标题阴影模糊=2\r\n"
                              "文案行距=150\r\n文案最大宽度=60\r\n";
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", kSettings));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "style.ini", style));
    const std::vector<std::wstring> texts = {L"--title", L"橘子", L"--body", L"甜甜的橘子\\n酸"};
    std::vector<std::wstring> styled = {L"--batch", L"--settings", L"style.ini"}, plain = {L"--batch"};
    styled.insert(styled.end(), texts.begin(), texts.end());
    plain.insert(plain.end(), texts.begin(), texts.end());
    CliResult r = RunCli(folder, styled);
    ASSERT_EQ(0, r.code) << r.out;
    r = RunCli(folder, plain);
    ASSERT_EQ(0, r.code) << r.out;
    EXPECT_EQ(kSettings, testsupport::ReadWholeFile(folder + "pz.ini"));
    EXPECT_EQ(style, testsupport::ReadWholeFile(folder + "style.ini"));
    const std::string output = folder + "批量目录\\1\\";
    EXPECT_FALSE(ReadPng(output + "1.png").rgba == ReadPng(output + "2.png").rgba) << "the style shows";

    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", style));
    RegisterRecorderAssociations();
    Program program;
    ASSERT_EQ("", program.Start(folder));
    ASSERT_TRUE(program.SetText(U::TitleText, L"橘子"));
    ASSERT_TRUE(program.SetText(U::BodyText, L"甜甜的橘子\r\n酸"));
    ASSERT_TRUE(program.Click(U::ExportAllButton));
    EXPECT_EQ(0, program.Close());
    Picture window = ReadPng(output + "3.png");
    ASSERT_TRUE(window.ok());
    EXPECT_TRUE(window.rgba == ReadPng(output + "1.png").rgba) << "window and --settings differ";
}

// A body file in UTF-16 (Notepad's "Unicode") draws what its UTF-8 twin draws;
// templates beyond fifty are counted as skipped (exit 1); a template and a
// template folder named outside GBK, and a folder past 260 characters, are
// found, read and written.
TEST(CommandLine, Utf16BodySkippedTemplatesAndWideNames) {
    std::string folder = NewProgramFolder("cli-wide");
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", kSettings));
    const std::wstring wideFolder = Wide(folder);
    const std::wstring hangul = wideFolder + L"\xBAA8\xD310 \xD83D\xDE00";
    ASSERT_TRUE(CreateDirectoryW(hangul.c_str(), nullptr));
    ASSERT_TRUE(WriteSolidPng(folder + "t.png", 90, 50, 250, 250, 250));
    ASSERT_TRUE(CopyFileW((wideFolder + L"t.png").c_str(), (hangul + L"\\\xD3EC\xC2A4\xD130.png").c_str(), FALSE));
    const std::wstring body = L"甜\r\n酸";
    std::string le = "\xFF\xFE", utf8 = "\xEF\xBB\xBF";
    for (wchar_t c : body) le += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    utf8 += "\xE7\x94\x9C\r\n\xE9\x85\xB8";
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "le.txt", le));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "u8.txt", utf8));

    // Run through CreateProcessW: the folder's name cannot pass through GBK.
    for (const char* file : {"le.txt", "u8.txt"}) {
        CliResult r = RunCli(folder, {L"--batch", L"--templates", hangul, L"--body-file", Wide(file), L"--out",
                                      wideFolder + L"出 " + Wide(file)});
        EXPECT_EQ(0, r.code) << r.out;
    }
    Picture fromUtf16 = ReadPng(folder + "出 le.txt\\1\\1.png"), fromUtf8 = ReadPng(folder + "出 u8.txt\\1\\1.png");
    ASSERT_TRUE(fromUtf16.ok());
    EXPECT_TRUE(fromUtf16.rgba == fromUtf8.rgba) << "UTF-16 and UTF-8 bodies differ";

    // A folder deeper than 260 characters holding 52 templates: 50 written, 2 skipped.
    std::wstring deep = L"\\\\?\\" + wideFolder;
    deep.pop_back();
    for (int i = 0; i < 6; ++i) {
        deep += L"\\" + std::wstring(50, static_cast<wchar_t>(L'a' + i));
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    }
    for (int i = 0; i < 52; ++i)
        ASSERT_TRUE(CopyFileW((wideFolder + L"t.png").c_str(), (deep + L"\\" + std::to_wstring(i) + L".png").c_str(), FALSE));
    CliResult r = RunCli(folder, {L"--batch", L"--templates", deep.substr(4), L"--title", L"长"});
    EXPECT_EQ(1, r.code) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("写出 50 张, 跳过 2 张, 失败 0 张")) << r.out;
    EXPECT_TRUE(ReadPng(folder + "批量目录\\50\\1.png").ok());
}

// A UTF-16 table with a header, a quoted line break, a name column and a
// reserved name; the same files with one thread or two; a rerun that skips
// named files; JPEG numbered past the PNGs; a table that is no text.
TEST(CommandLine, TablesNamesJobsFormatsAndReruns) {
    std::string folder = NewProgramFolder("cli-table");
    std::string templates = folder + "模板\\";
    ASSERT_TRUE(CreateDirectoryA(templates.c_str(), nullptr));
    ASSERT_TRUE(WriteSolidJpeg(templates + "b.jpg", 120, 70, 250, 250, 250));
    ASSERT_TRUE(WriteSolidPng(templates + "a.png", 130, 80, 240, 250, 250));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", kSettings));
    std::wstring table = Wide("标题\t文案\t文件名\r\n橘子\t\"甜\r\n酸\"\tchengzi\r\n苹果\t脆\\n甜\r\n桃\t软\r\n梨\t白\tCON\r\n柚\t大\tchengzi\r\n");
    std::string utf16 = "\xFF\xFE";
    for (wchar_t c : table) utf16 += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "表.txt", utf16));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "坏.csv", std::string("PK\x03\x04\0\0", 6)));

    for (const wchar_t* jobs : {L"1", L"2"}) {
        CliResult r = RunCli(folder, {L"--batch", L"--texts", L"表.txt", L"--jobs", jobs, L"--out", std::wstring(L"out") + jobs});
        EXPECT_EQ(1, r.code) << r.out;
        // Rows as Excel numbers them (the quoted line break above stays in its row); a row
        // that cannot be used is skipped on each template, as the window counts it.
        EXPECT_NE(std::string::npos, r.out.find("跳过: 第 5 行: 文件名是系统保留的设备名")) << r.out;
        EXPECT_NE(std::string::npos, r.out.find("写出 8 张, 跳过 2 张, 失败 0 张")) << r.out;
    }
    CliResult typed = RunCli(folder, {L"--batch", L"--title", L"橘子", L"--body", L"甜\\n酸", L"--out", L"typed"});
    EXPECT_EQ(0, typed.code) << typed.out;
    for (const char* sub : {"\\1\\", "\\2\\"}) {
        const std::string one = folder + "out1" + sub, two = folder + "out2" + sub;
        // A name taken by an earlier row is numbered, never written over.
        EXPECT_EQ((std::vector<std::string>{"1.png", "2.png", "chengzi (2).png", "chengzi.png"}), Sorted(FileNamesIn(one)))
            << sub;
        for (const char* name : {"1.png", "2.png", "chengzi (2).png", "chengzi.png"})
            EXPECT_EQ(testsupport::ReadWholeFile(one + name), testsupport::ReadWholeFile(two + name)) << sub << name;
        EXPECT_TRUE(ReadPng(one + "chengzi.png").rgba == ReadPng(folder + "typed" + sub + "1.png").rgba)
            << sub << ": the table's row and the typed texts differ";
    }

    CliResult rerun = RunCli(folder, {L"--batch", L"--texts", L"表.txt", L"--out", L"out1", L"--skip-existing"});
    EXPECT_NE(std::string::npos, rerun.out.find("写出 4 张, 跳过 6 张, 失败 0 张")) << rerun.out;
    CliResult jpeg = RunCli(folder, {L"--batch", L"--texts", L"表.txt", L"--out", L"out1", L"--format", L"jpg",
                                     L"--quality", L"80", L"--jobs", L"\xFF12"});
    EXPECT_EQ(1, jpeg.code) << jpeg.out;
    const std::string first = folder + "out1\\1\\";
    // Numbers follow the count of pictures of both kinds, named ones included.
    EXPECT_EQ((std::vector<std::string>{"1.png", "2.png", "5.png", "6.png", "7.jpg", "8.jpg", "chengzi (2).jpg",
                                        "chengzi (2).png", "chengzi.jpg", "chengzi.png"}),
              Sorted(FileNamesIn(first)));
    EXPECT_EQ(0u, testsupport::ReadWholeFile(first + "7.jpg").rfind("\xFF\xD8\xFF", 0));

    CliResult bad = RunCli(folder, {L"--batch", L"--texts", L"坏.csv", L"--out", L"bad"});
    EXPECT_EQ(2, bad.code) << bad.out;
    EXPECT_NE(std::string::npos, bad.out.find("不是文本表格")) << bad.out;
    CliResult quality = RunCli(folder, {L"--batch", L"--quality", L"0"});
    EXPECT_EQ(2, quality.code) << quality.out;
    // A row refused for a character GBK lacks names the cell and the character.
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "e.csv", "a,b\n\xE6\xA9\x98\xF0\x9F\x8D\x8A,x\n"));
    CliResult emoji = RunCli(folder, {L"--batch", L"--texts", L"e.csv", L"--out", L"emoji"});
    EXPECT_EQ(1, emoji.code) << emoji.out;
    EXPECT_NE(std::string::npos, emoji.out.find("跳过: 第 2 行: 标题含有 GBK 编码里没有的字符 U+1F34A")) << emoji.out;

    // Placeholders: a title "{标题} {日期}" in the settings filled from a table
    // whose header names a 日期 column; a column the table lacks stays visible.
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "日期.csv", "日期,标题,文件名\r\n5月1日,橘子,p\r\n"));
    struct Placeholder {
        const char* title;
        const wchar_t *out, *typed;
        int code;
        const char* said;
    } placeholders[] = {
        {"{标题} {日期}", L"filled", L"橘子 5月1日", 0, "完成"},
        {"{价格}", L"price", L"{价格}", 1, "第 2 行: 表格里没有这一列, 照原样印出: {价格}"},
    };
    for (const Placeholder& p : placeholders) {
        ASSERT_TRUE(testsupport::WriteWholeFile(folder + "p.ini", std::string(kSettings) + "标题内容=" + p.title + "\r\n"));
        CliResult filled = RunCli(folder, {L"--batch", L"--settings", L"p.ini", L"--texts", L"日期.csv", L"--out", p.out});
        EXPECT_EQ(p.code, filled.code) << filled.out;
        EXPECT_NE(std::string::npos, filled.out.find(p.said)) << filled.out;
        RunCli(folder, {L"--batch", L"--title", p.typed, L"--out", std::wstring(p.out) + L"-typed"});
        EXPECT_TRUE(ReadPng(folder + Ansi(p.out) + "\\1\\p.png").rgba == ReadPng(folder + Ansi(p.out) + "-typed\\1\\1.png").rgba)
            << p.title;
    }
}
// 预览全部 in the table batch's confirm box: the overview window fills in every
// row's poster (seven a line: 1 to 8 characters of title, then 20, more ink
// each), 保存总览 writes the grid to 批量目录\总览.png with the row numbers and
// the row whose title runs beyond the picture framed red; closed, the box asks again.
TEST(TableBatch, PreviewAllShowsEveryPosterAndSavesTheGrid) {
    std::string folder = NewProgramFolder("window-sheet");
    ASSERT_TRUE(WriteSheetTemplateAndSettings(folder));
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 100, 60, 30, 160, 90));  // the window's own template
    std::string table = "标题,文案\r\n";
    constexpr int kRows = 9;
    for (int chars : {1, 2, 3, 4, 5, 6, 7, 8, 20}) {
        for (int i = 0; i < chars; ++i) table += "国";
        table += ",x\r\n";
    }
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "t.csv", table));
    Program program;
    ASSERT_EQ("", program.Start(folder));
    ClickInBackground click(program.unit(U::TableBatchButton));
    HWND asked = AskTableBatch(program, folder + "t.csv");
    ASSERT_TRUE(asked);
    HWND all = ButtonCaptioned(asked, L"预览全部");
    ASSERT_TRUE(all) << Ansi(Program::BoxText(asked));
    PostMessageW(all, BM_CLICK, 0, 0);
    HWND sheet = program.WaitForTopWindow(L"总览", 20000);
    ASSERT_TRUE(sheet);
    // Seven boxes of 160 x 284 a line (a 360 x 640 template), 16 pixels apart, 28 for the label.
    constexpr int kCell = 160, kCellHeight = 284, kGap = 16, kLine = kCellHeight + 28 + kGap, kColumns = 7;
    constexpr int kGridHeight = 2 * kLine + kGap;

    // The grid scrolls: at its bottom, the problem row's red frame stands higher by what was below the box.
    HWND box = ChildWindowFromPointEx(sheet, POINT{40, 40}, CWP_SKIPINVISIBLE);
    ASSERT_TRUE(box && box != sheet);
    RECT client = {};
    GetClientRect(box, &client);
    ASSERT_LT(client.bottom, kGridHeight);
    auto firstRedRow = [&] {
        RECT r = client;
        MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&r), 2);
        const std::vector<uint32_t> pixels = CaptureScreen(r);
        for (size_t i = 0; i < pixels.size(); ++i)
            if (IsRed(pixels[i] >> 16 & 255, pixels[i] >> 8 & 255, pixels[i] & 255)) return static_cast<int>(i / client.right);
        return -1;
    };
    int top = -1;
    for (DWORD start = GetTickCount(); top < 0 && GetTickCount() - start < 5000; Sleep(50)) top = firstRedRow();
    EXPECT_EQ(kGap + kLine - 3, top) << "the frame of the second line's third box";
    DWORD_PTR r = 0;
    SendMessageTimeoutW(box, WM_VSCROLL, SB_BOTTOM, 0, SMTO_NORMAL, 10000, &r);
    int scrolled = top;
    for (DWORD start = GetTickCount(); scrolled == top && GetTickCount() - start < 5000; Sleep(50)) scrolled = firstRedRow();
    EXPECT_EQ(top - (kGridHeight - client.bottom), scrolled);

    HWND save = ButtonCaptioned(sheet, L"保存总览");
    ASSERT_TRUE(save);
    PostMessageW(save, BM_CLICK, 0, 0);
    HWND dialog = program.WaitForTopWindow(L"保存总览", 20000);
    ASSERT_TRUE(dialog);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);  // the name offered
    const std::string saved = folder + "批量目录\\总览.png";
    for (DWORD start = GetTickCount(); GetFileAttributesA(saved.c_str()) == INVALID_FILE_ATTRIBUTES; Sleep(50))
        ASSERT_LT(GetTickCount() - start, 20000u) << "总览.png not written";
    Sleep(200);
    const Picture grid = ReadPng(saved);
    PostMessageW(sheet, WM_CLOSE, 0, 0);
    asked = program.WaitForTopWindow(L"按表格批量", 20000);
    ASSERT_TRUE(asked) << "the confirm box asks again";
    PostMessageW(asked, WM_COMMAND, IDCANCEL, 0);
    for (DWORD start = GetTickCount(); !click.Done() && GetTickCount() - start < 20000;) Sleep(20);
    EXPECT_TRUE(click.Done());
    EXPECT_EQ(0u, FileNamesIn(folder + "批量目录\\1", "*.png").size()) << "nothing but the grid is written";

    ASSERT_TRUE(grid.ok());
    ASSERT_EQ(kColumns * (kCell + kGap) + kGap, grid.width);
    ASSERT_EQ(kGridHeight, grid.height);
    int last = 0;
    for (int i = 0; i < kRows; ++i) {
        const int left = kGap + i % kColumns * (kCell + kGap), top = kGap + i / kColumns * kLine;
        int blue = 0, label = 0;
        for (int y = top; y < top + kCellHeight; ++y)
            for (int x = left; x < left + kCell; ++x) blue += IsBlue(grid.at(x, y)[0], grid.at(x, y)[1], grid.at(x, y)[2]);
        for (int y = top + kCellHeight; y < top + kCellHeight + 28; ++y)
            for (int x = left; x < left + kCell; ++x) label += grid.at(x, y)[0] < 128;
        EXPECT_GT(blue, last) << "thumbnail " << i << " is not the next row's";
        EXPECT_GT(label, 20) << "no row number under thumbnail " << i;
        last = blue;
        const uint8_t* frame = grid.at(left - 2, top + kCellHeight / 2);
        EXPECT_EQ(i == kRows - 1, IsRed(frame[0], frame[1], frame[2])) << "thumbnail " << i;
    }
}

// The window's table batch: the file dialog, the count of rows, templates and
// files with the row it cannot use, then named and numbered files and the end
// report naming that row.
TEST(TableBatch, WindowCountsFirstThenWritesEachRow) {
    std::string folder = NewProgramFolder("window-table");
    std::string templates = folder + "模板\\";
    ASSERT_TRUE(CreateDirectoryA(templates.c_str(), nullptr));
    ASSERT_TRUE(WriteSolidJpeg(templates + "b.jpg", 120, 70, 250, 250, 250));
    ASSERT_TRUE(WriteSolidPng(templates + "a.png", 130, 80, 240, 250, 250));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", kSettings));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "表.csv", "标题,文案,文件名\r\n橘子,甜,chengzi\r\n梨,白,CON\r\n苹果,脆,\r\n"));
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 100, 60, 30, 160, 90));  // the window's own template
    RegisterRecorderAssociations();
    Program program;
    ASSERT_EQ("", program.Start(folder));
    const std::string own = ExportNow(program, folder);
    ASSERT_FALSE(own.empty());
    TableBatchRun run = RunTableBatch(program, folder + "表.csv");
    ASSERT_TRUE(run.done);
    EXPECT_EQ("", run.progressBehind) << "the button's count is behind the files written";
    std::string said = Ansi(run.asked);
    for (const char* part : {"表格: 3 行, 可用 2 行", "模板: 2 个", "将写出 4 张 PNG", "第 3 行: 文件名是系统保留的设备名"})
        EXPECT_NE(std::string::npos, said.find(part)) << said;
    EXPECT_EQ(std::string::npos, said.find("检查")) << "rows that fit have no problems: " << said;
    // The end report names the row that gave no file.
    said = Ansi(run.report);
    for (const char* part : {"写出 4 张, 跳过 2 张, 失败 0 张", "第 3 行: 文件名是系统保留的设备名"})
        EXPECT_NE(std::string::npos, said.find(part)) << said;
    for (const char* sub : {"1", "2"})
        EXPECT_EQ((std::vector<std::string>{"2.png", "chengzi.png"}), Sorted(FileNamesIn(folder + "批量目录\\" + sub)))
            << sub;
    EXPECT_EQ(L"按表格批量…", program.Text(U::TableBatchButton));
    EXPECT_TRUE(own == ExportNow(program, folder)) << "after the batch the export is the window's own poster";

    // Esc during the run stops it after the file being written; the window stays.
    run = RunTableBatch(program, folder + "表.csv", true);
    ASSERT_TRUE(run.done);
    EXPECT_EQ("", run.progressBehind);
    size_t files = 0;
    for (const char* sub : {"1", "2"}) files += FileNamesIn(folder + "批量目录\\" + sub).size();
    EXPECT_GE(files, 4u + 2);
    EXPECT_LE(files, 4u + 3);
    for (const std::wstring& part : {L"写出 " + std::to_wstring(files - 4) + L" 张",
                                     L"已按要求停止, 还有 " + std::to_wstring(4 - (files - 4)) + L" 张没有做"})
        EXPECT_NE(std::wstring::npos, run.report.find(part)) << Ansi(run.report);
    EXPECT_TRUE(program.running());
    EXPECT_EQ(L"按表格批量…", program.Text(U::TableBatchButton));
    EXPECT_TRUE(own == ExportNow(program, folder)) << "after a stopped batch the export is the window's own poster";

    // The same table again: the window offers to continue, and only what the record lacks is made.
    run = RunTableBatch(program, folder + "表.csv", false, true);
    ASSERT_TRUE(run.done);
    EXPECT_NE(std::wstring::npos, run.offered.find(L"没有做完: 已做 ")) << Ansi(run.offered);
    EXPECT_NE(std::wstring::npos, run.asked.find(L"接着上次")) << Ansi(run.asked);
    files = 0;
    for (const char* sub : {"1", "2"}) files += FileNamesIn(folder + "批量目录\\" + sub).size();
    EXPECT_EQ(8u, files) << "the stopped run's files are not made again";
    const std::string record = testsupport::ReadWholeFile(folder + "批量目录\\记录.csv");
    EXPECT_EQ(0u, record.rfind("\xEF\xBB\xBF", 0)) << "UTF-8 with its mark, for Excel";
    EXPECT_EQ(2, CountOccurrences(record, "chengzi (2).png")) << "the stopped run's files, once each";
    EXPECT_EQ(0u, FileNamesIn(folder + "批量目录\\1", "*(3)*").size());
    EXPECT_EQ(0, program.Close());
}

// With the program's own fonts beside it: a stored font this PC lacks is drawn
// in the first of them and named once on standard output; bold comes from the
// bold face where the folder has one, not from the regular face emboldened.
TEST(CommandLine, BundledFontsStandInForAMissingOneAndDrawBoldFromTheBoldFace) {
    const std::string folder = NewProgramFolder("cli-fonts");
    ASSERT_TRUE(CopyShippedFonts(folder));
    ASSERT_TRUE(CreateDirectoryA((folder + "模板").c_str(), nullptr));
    ASSERT_TRUE(WriteSolidPng(folder + "模板\\a.png", 420, 200, 255, 255, 255));
    const std::string keys = "标题大小=56\r\n文案大小=30\r\n标题字体x=8\r\n标题字体y=8\r\n文案字体x=8\r\n文案字体y=120\r\n";
    struct Run {
        const char* titleFont;
        bool boldFace;  // fonts\ keeps LXGWWenKai-Bold.ttf
        bool noticed;
    } runs[] = {
        {"方正兰亭黑", true, true},   // 1.png
        {"文泉驿微米黑", true, false},  // 2.png
        {"霞鹜文楷", true, false},      // 3.png
        {"霞鹜文楷", false, false},     // 4.png
    };
    for (const Run& r : runs) {
        if (!r.boldFace) ASSERT_TRUE(DeleteFileA((folder + "fonts\\LXGWWenKai-Bold.ttf").c_str()));
        ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", "[配置]\r\n" + keys + "标题字体名称=" +
                                                                       r.titleFont + "\r\n文案字体名称=霞鹜文楷\r\n"));
        CliResult out = RunCli(folder, {L"--batch", L"--title", L"霞鹜文楷标题", L"--body", L"文案"});
        ASSERT_EQ(0, out.code) << out.out;
        EXPECT_EQ(r.noticed ? 1 : 0, CountOccurrences(out.out, "已改用随程序附带的“文泉驿微米黑”（可商用）")) << out.out;
        if (r.noticed) EXPECT_EQ(1, CountOccurrences(out.out, r.titleFont)) << out.out;
    }
    const std::string output = folder + "批量目录\\1\\";
    auto ink = [](const Picture& p) {
        int n = 0;
        for (size_t i = 0; i + 3 < p.rgba.size(); i += 4) n += p.rgba[i + 1] < 128;  // red title, dark body
        return n;
    };
    const Picture standIn = ReadPng(output + "1.png"), sans = ReadPng(output + "2.png");
    const Picture boldFace = ReadPng(output + "3.png"), emboldened = ReadPng(output + "4.png");
    ASSERT_TRUE(standIn.ok() && sans.ok() && boldFace.ok() && emboldened.ok());
    EXPECT_TRUE(standIn.rgba == sans.rgba) << "the missing font was not drawn in the bundled default";
    EXPECT_FALSE(boldFace.rgba == emboldened.rgba) << "bold drawn as the emboldened regular face";
    EXPECT_GT(std::abs(ink(boldFace) - ink(emboldened)), ink(emboldened) / 40) << ink(boldFace) << " " << ink(emboldened);
}

// A run stopped in the middle (killed, as a closed console or a crash stops it)
// and continued with --resume writes the files of an unbroken run, byte for
// byte, named and numbered alike, and its record then holds each poster once.
TEST(CommandLine, StoppedThenResumedGivesTheUnbrokenRunsFiles) {
    std::string folder = NewProgramFolder("cli-resume");
    std::string templates = folder + "模板\\";
    ASSERT_TRUE(CreateDirectoryA(templates.c_str(), nullptr));
    ASSERT_TRUE(WriteSolidPng(templates + "a.png", 360, 640, 250, 240, 220));
    ASSERT_TRUE(WriteSolidJpeg(templates + "b.jpg", 360, 640, 40, 120, 200));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", kSettings));
    constexpr int kRows = 24;
    std::string table = "标题,文案,文件名\r\n";
    for (int i = 1; i <= kRows; ++i)  // every fourth row numbered, the others named
        table += "第" + std::to_string(i) + "张,正文 " + std::to_string(i) + "," + (i % 4 ? "p" + std::to_string(i) : "") + "\r\n";
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "t.csv", table));
    const std::vector<std::wstring> args = {L"--batch", L"--texts", L"t.csv", L"--jobs", L"1", L"--out"};
    auto with = [&](std::vector<std::wstring> more) {
        std::vector<std::wstring> all = args;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    CliResult whole = RunCli(folder, with({L"整"}));
    ASSERT_EQ(0, whole.code) << whole.out;

    PROCESS_INFORMATION pi = StartCli(folder, with({L"断"}));
    ASSERT_TRUE(pi.hProcess);
    const std::string record = folder + "断\\记录.csv";
    for (DWORD start = GetTickCount(); GetTickCount() - start < 60000; Sleep(5))
        if (CountOccurrences(testsupport::ReadWholeFile(record), Utf8Of("断\\")) >= 12) break;
    const bool ran = WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT;
    TerminateProcess(pi.hProcess, 9);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    ASSERT_TRUE(ran) << "the run ended before it was stopped";
    EXPECT_NE(FilesUnder(folder + "整\\"), FilesUnder(folder + "断\\"));

    CliResult resumed = RunCli(folder, with({L"断", L"--resume"}));
    EXPECT_EQ(0, resumed.code) << resumed.out;
    EXPECT_NE(std::string::npos, resumed.out.find("接着上次")) << resumed.out;
    const auto expected = FilesUnder(folder + "整\\"), got = FilesUnder(folder + "断\\");
    EXPECT_EQ(size_t(2 * kRows), expected.size());
    EXPECT_TRUE(expected == got) << got.size() << " files after the resume";
    EXPECT_EQ(2 * kRows, CountOccurrences(testsupport::ReadWholeFile(folder + "整\\记录.csv"), Utf8Of("整\\")));
    EXPECT_EQ(2 * kRows, CountOccurrences(testsupport::ReadWholeFile(record), Utf8Of("断\\")));
    // A record of another table is not continued.
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "u.csv", table));
    CliResult other = RunCli(folder, {L"--batch", L"--texts", L"u.csv", L"--out", L"断", L"--resume"});
    EXPECT_EQ(2, other.code) << other.out;
}

// --check lays every row out and says each kind of problem by its row, as
// Excel numbers the rows, writing nothing; a row without problems is not named.
TEST(CommandLine, CheckListsEachKindOfProblemByRowAndWritesNothing) {
    std::string folder = NewProgramFolder("cli-check");
    std::string templates = folder + "模板\\";
    ASSERT_TRUE(CreateDirectoryA(templates.c_str(), nullptr));
    ASSERT_TRUE(WriteSolidPng(templates + "a.png", 360, 640, 250, 240, 220));
    ASSERT_TRUE(testsupport::WriteWholeFile(templates + "坏.png", "no picture"));
    ASSERT_TRUE(testsupport::WriteWholeFile(
        folder + "pz.ini", "[配置]\r\n标题字体=0\r\n文案字体=0\r\n标题大小=30\r\n文案大小=30\r\n标题字体x=20\r\n标题字体y=20\r\n"
                           "文案字体x=20\r\n文案字体y=100\r\n文案最大宽度=200\r\n文案超宽处理=1\r\n标题颜色=255\r\n文案颜色=0\r\n"));
    const std::string utf8PrivateUse = "\xEE\x80\x80";  // U+E000: GBK has it, the font no glyph
    auto utf8 = [](const std::string& gbk) {
        std::wstring w = Wide(gbk);
        int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
        std::string s(static_cast<size_t>(n), '\0');
        WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
        return s;
    };
    const std::string table = utf8("标题,文案,文件名\n"
                                   "好标题,短,p1\n"                                      // row 2: fine
                                   "这是一个非常非常长的标题会超出图片的右边,短,p2\n"    // 3: beyond the picture
                                   "好,短,P1\n"                                          // 4: row 2's name
                                   "好,这一行正文很长很长很长很长很长很长很长很长,p4\n"  // 5: shrunk below 60 %
                                   "好," + std::string(60, 'W') + ",p5\n") +             // 6: too wide at the smallest size
                              "\xE5\xA5\xBD" + utf8PrivateUse + ",x,p6\n" +              // 7: a character without a glyph
                              utf8("坏,x,a/b\n"                                          // 8: a name that cannot be
                                   "长,\"") + std::string(70000, 'x') + "\",p8\n";       // 9: a cell too long
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "t.csv", table));
    CliResult r = RunCli(folder, {L"--batch", L"--check", L"--texts", L"t.csv"});
    EXPECT_EQ(1, r.code) << r.out;
    const char* expected[] = {
        "问题: 模板 " , "坏.png 读不了",
        "问题: 第 3 行: 标题超出图片 ",
        "问题: 第 4 行: 文件名 P1 与第 2 行相同",
        "问题: 第 5 行: 文案缩小到 ",
        "问题: 第 6 行: 文案缩到最小仍比最大宽度宽 ",
        "问题: 第 7 行: 标题里有字体 ", "(U+E000)",
        "问题: 第 8 行: 文件名不能含有",
        "问题: 第 9 行: 内容太长",
        "检查完毕: 8 行, 7 行有问题",
    };
    for (const char* words : expected) EXPECT_NE(std::string::npos, r.out.find(words)) << words << "\n" << r.out;
    EXPECT_EQ(std::string::npos, r.out.find("第 2 行:")) << r.out;
    EXPECT_FALSE(DirectoryExistsA(folder + "批量目录")) << "a check writes nothing";
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "ok.csv", utf8("标题,文案\n好标题,短\n")));
    ASSERT_TRUE(DeleteFileA((templates + "坏.png").c_str()));
    r = RunCli(folder, {L"--batch", L"--check", L"--texts", L"ok.csv"});
    EXPECT_EQ(0, r.code) << r.out;
}

// --contact-sheet: one thumbnail per row and template in the batch's order
// (titles of 1 to 4 characters, then 20: more ink each), the row number under
// each, the row whose title runs beyond the picture framed red; no poster file.
TEST(CommandLine, ContactSheetGridInOrderWithTheProblemRowMarked) {
    std::string folder = NewProgramFolder("cli-sheet");
    ASSERT_TRUE(WriteSheetTemplateAndSettings(folder));
    std::string table = "标题,文案\r\n";
    for (int chars : {1, 2, 3, 4, 20}) {
        for (int i = 0; i < chars; ++i) table += "国";
        table += ",x\r\n";
    }
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "t.csv", table));
    CliResult r = RunCli(folder, {L"--batch", L"--texts", L"t.csv", L"--contact-sheet", L"总览.png"});
    ASSERT_EQ(0, r.code) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("总览: 5 张, 1 张所在的行有问题")) << r.out;
    EXPECT_FALSE(DirectoryExistsA(folder + "批量目录"));
    const Picture sheet = ReadPng(folder + "总览.png");
    ASSERT_TRUE(sheet.ok());
    // Five boxes of 160 x 284 (a 360 x 640 template) in a row, 16 pixels apart, 28 for the label.
    constexpr int kCell = 160, kCellHeight = 284, kGap = 16;
    ASSERT_EQ(5 * (kCell + kGap) + kGap, sheet.width);
    ASSERT_EQ(kGap + kCellHeight + 28 + kGap, sheet.height);
    auto at = [&](int x, int y) { return &sheet.rgba[(static_cast<size_t>(y) * sheet.width + x) * 4]; };
    int last = 0;
    for (int i = 0; i < 5; ++i) {
        const int left = kGap + i * (kCell + kGap);
        int blue = 0, label = 0;
        for (int y = kGap; y < kGap + kCellHeight; ++y)
            for (int x = left; x < left + kCell; ++x) blue += IsBlue(at(x, y)[0], at(x, y)[1], at(x, y)[2]);
        for (int y = kGap + kCellHeight; y < kGap + kCellHeight + 28; ++y)
            for (int x = left; x < left + kCell; ++x) label += at(x, y)[0] < 128;
        EXPECT_GT(blue, last) << "thumbnail " << i << " is not the next row's";
        EXPECT_GT(label, 20) << "no row number under thumbnail " << i;
        last = blue;
        const uint8_t* frame = at(left - 2, kGap + kCellHeight / 2);
        EXPECT_EQ(i == 4, IsRed(frame[0], frame[1], frame[2])) << "thumbnail " << i;
    }
}
