// The multi-template export of the real program: which templates are listed,
// in which order, where each result goes, and what a second run or a second
// click during a run does.
#include <gtest/gtest.h>
#include <png.h>
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

    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 90, 70, 30, 160, 90));  // the window's own template
    Program program;
    ASSERT_EQ("", program.Start(folder));
    ASSERT_TRUE(program.SetText(U::TitleSize, L"12"));
    ASSERT_TRUE(program.SetText(U::BodySize, L"12"));
    const std::string own = ExportNow(program, folder);
    ASSERT_FALSE(own.empty());

    // The one summary at the end names the template that is no picture.
    std::vector<std::wstring> notices = program.ClickForNotices(U::ExportAllButton);
    ASSERT_EQ(1u, notices.size());
    for (const wchar_t* part : {L"写出 3 张, 跳过 0 张, 失败 1 张", L"bad.png: 不是能读的图片"})
        EXPECT_NE(std::wstring::npos, notices[0].find(part)) << Ansi(notices[0]);
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
    // The record beside the output: a line for each template, the failure with its reason.
    const std::string kept = testsupport::ReadWholeFile(output + "记录.csv");
    EXPECT_EQ(3, CountOccurrences(kept, "1.png,\xE5\x86\x99\xE5\x87\xBA,"));  // "写出" in UTF-8
    EXPECT_EQ(1, CountOccurrences(kept, "bad.png,,\xE5\xA4\xB1\xE8\xB4\xA5,"));  // "失败", no file
    EXPECT_EQ(80, sub.width);
    EXPECT_EQ(60, sub.height);
    EXPECT_FALSE(DirectoryExistsA(output + "5"));
    EXPECT_TRUE(own == ExportNow(program, folder)) << "after a batch with a failure the export is the window's own";
    // The output root is handed to the shell.
    std::string record = WaitForRecord("批量目录", 1);
    EXPECT_EQ(1, CountOccurrences(record, "批量目录")) << record;
    EXPECT_NE(std::string::npos, record.find(" folder ")) << record;

    // Folder 4 now holds 1.png; with 4.png and 5.jpg beside it the count is 3,
    // and the next result must take neither number.
    std::string marker = "marker, not a result";
    for (const char* name : {"4\\4.png", "4\\5.jpg"}) ASSERT_TRUE(testsupport::WriteWholeFile(output + name, marker));

    // A click on the other batch's button arrives while this run pauses: it
    // must neither start a run of its own inside it nor stop this one (a click
    // on the run's own button stops it, tested below).
    program.PostClick(U::ExportAllButton);
    program.PostClick(U::TableBatchButton);
    struct Opened {
        static bool Twice(void*) { return CountOccurrences(testsupport::ReadWholeFile(RecorderLog()), "批量目录") >= 2; }
    };
    notices.clear();
    EXPECT_EQ(Program::kStillRunning, program.Settle(&notices, Opened::Twice, nullptr, 30000, Program::kNoticeCaption));
    EXPECT_EQ(1u, notices.size()) << "one run, one summary";
    Sleep(1500);  // a nested run would leave the outer one still writing
    ASSERT_TRUE(program.Sync());
    record = testsupport::ReadWholeFile(RecorderLog());
    EXPECT_EQ(2, CountOccurrences(record, "批量目录")) << record;

    EXPECT_EQ((std::vector<std::string>{"1.png", "2.png"}), Sorted(FileNamesIn(output + "1")));
    EXPECT_EQ((std::vector<std::string>{"1.png", "2.png"}), Sorted(FileNamesIn(output + std::to_string(good))));
    EXPECT_TRUE(FileNamesIn(output + std::to_string(bad)).empty());
    EXPECT_EQ((std::vector<std::string>{"1.png", "4.png", "5.jpg", "6.png"}), Sorted(FileNamesIn(output + "4")));
    for (const char* name : {"4\\4.png", "4\\5.jpg"})
        EXPECT_TRUE(marker == testsupport::ReadWholeFile(output + name)) << name << " was replaced";
    Picture again = ReadPng(output + "4\\6.png");
    EXPECT_EQ(80, again.width);
    Picture second = ReadPng(output + "1\\2.png");
    EXPECT_EQ(60, second.width);

    // Sixty templates: only the first fifty are processed.
    for (int i = 0; i < 56; ++i)
        ASSERT_TRUE(WriteSolidPng(templates + "m" + std::to_string(i) + ".png", 8, 8, 250, 250, 250));
    notices = program.ClickForNotices(U::ExportAllButton);
    ASSERT_EQ(1u, notices.size());
    EXPECT_NE(std::wstring::npos, notices[0].find(L"写出 49 张, 跳过 10 张, 失败 1 张")) << Ansi(notices[0]);
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
    // Everything written: said as done, with the count and where, never as a failure.
    std::vector<std::wstring> done = program.Completions();
    ASSERT_EQ(1u, done.size());
    for (const wchar_t* part : {L"批量导出: 写出 6 张, 跳过 0 张, 失败 0 张", L"保存在: "})
        EXPECT_NE(std::wstring::npos, done[0].find(part)) << Ansi(done[0]);
    std::string output = folder + "批量目录\\";
    std::vector<int> made;
    for (size_t i = 1; i <= expected.size(); ++i) made.push_back(ReadPng(output + std::to_string(i) + "\\1.png").width);
    EXPECT_EQ(expected, made) << "template widths in output folder order";
    EXPECT_FALSE(DirectoryExistsA(output + std::to_string(expected.size() + 1)));
    EXPECT_EQ(0, program.Close());
}

namespace {

// Every picture under the output root decodes completely, and no partial file is left.
void ExpectOnlyCompleteResults(const std::string& outputRoot, int* results) {
    *results = 0;
    for (int i = 1; DirectoryExistsA(outputRoot + std::to_string(i)); ++i) {
        std::string folder = outputRoot + std::to_string(i);
        EXPECT_TRUE(FileNamesIn(folder, "*.part").empty()) << folder;
        for (const std::string& name : FileNamesIn(folder, "*.png")) {
            EXPECT_TRUE(ReadPng(folder + "\\" + name).ok()) << folder << "\\" << name;
            ++*results;
        }
    }
}

}  // namespace

// Closing the window while the job runs: while it lists the templates, in its
// pauses, between templates. The program ends normally, saves its settings and
// leaves only complete pictures behind.
TEST(Batch, ClosingDuringTheRunEndsNormally) {
    const DWORD kCloseAfterMs[] = {0, 60, 170, 290, 520};
    for (DWORD delay : kCloseAfterMs) {
        SCOPED_TRACE("closed after " + std::to_string(delay) + " ms");
        std::string folder = NewProgramFolder("batch-close");
        std::string templates = folder + "模板\\";
        ASSERT_TRUE(CreateDirectoryA(templates.c_str(), nullptr));
        for (int i = 0; i < 12; ++i)
            ASSERT_TRUE(WriteSolidPng(templates + "t" + std::to_string(i) + ".png", 120, 90, 250, 250, 250));
        Program program;
        ASSERT_EQ("", program.Start(folder));
        ASSERT_TRUE(program.SetText(U::TitleSize, L"12"));
        ASSERT_TRUE(program.SetText(U::TitleX, L"33"));
        program.PostClick(U::ExportAllButton);
        Sleep(delay);
        PostMessageW(program.window(), WM_CLOSE, 0, 0);
        std::vector<std::wstring> boxes;
        EXPECT_EQ(0, program.Settle(&boxes));
        EXPECT_TRUE(boxes.empty()) << Ansi(boxes.empty() ? L"" : boxes[0]);
        auto pairs = IniSection(folder + "pz.ini", "配置");
        // The ten keys, the font names, the texts, the window place, 14 style keys per text and 11 later ones,
        // the format, the template.
        EXPECT_EQ(72u, pairs.size());
        EXPECT_TRUE(std::find(pairs.begin(), pairs.end(), std::make_pair(std::string("标题字体x"), std::string("33"))) !=
                    pairs.end());
        int results = 0;
        ExpectOnlyCompleteResults(folder + "批量目录\\", &results);
        EXPECT_LT(results, 12) << "the job went on after the window closed";
    }
}

// Refreshes of the preview during the job's pauses replace CurrentPicture; the
// job's results must be exactly those of a run without them.
TEST(Batch, RefreshesDuringThePausesNeverReachTheOutput) {
    std::string folder = NewProgramFolder("batch-refresh");
    std::string templates = folder + "模板\\";
    ASSERT_TRUE(CreateDirectoryA(templates.c_str(), nullptr));
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 90, 70, 200, 200, 250));
    ASSERT_TRUE(WriteSolidPng(templates + "a.png", 70, 50, 250, 200, 200));
    ASSERT_TRUE(WriteSolidJpeg(templates + "b.jpg", 60, 40, 200, 250, 200));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", "[配置]\r\n标题颜色=255\r\n文案颜色=16711680\r\n"));
    Program program;
    ASSERT_EQ("", program.Start(folder));
    const std::pair<U, const wchar_t*> kInputs[] = {{U::TitleText, L"标题"}, {U::TitleSize, L"14"}, {U::TitleY, L"5"},
                                                    {U::BodyText, L"正文"}, {U::BodySize, L"12"}, {U::BodyY, L"22"}};
    for (const auto& [unit, text] : kInputs) ASSERT_TRUE(program.SetText(unit, text));

    // Undisturbed: the reference results. The window's own template is the
    // batch's last, so after the batch its export and the batch's file match.
    ASSERT_TRUE(program.SetText(U::TemplatePath, Wide(templates + "a.png")));
    ASSERT_TRUE(program.Click(U::ExportAllButton));
    std::string output = folder + "批量目录\\";
    Picture reference[] = {ReadPng(output + "1\\1.png"), ReadPng(output + "2\\1.png")};
    ASSERT_TRUE(reference[0].ok() && reference[1].ok());
    ASSERT_TRUE(program.Click(U::ExportButton));
    std::string exportName = folder + "公众号Brightquill 关注获取更多项目和软件.png";
    Picture exported = ReadPng(exportName);
    EXPECT_TRUE(exported.ok() && exported.rgba == reference[1].rgba) << "the export is not the window's poster";
    // Both are kept files: packed alike, byte for byte.
    EXPECT_TRUE(testsupport::ReadWholeFile(exportName) == testsupport::ReadWholeFile(output + "2\\1.png"))
        << "the batch file is not packed as an exported one";

    // Disturbed: the preview is refreshed again and again while the job pauses.
    int refreshes = 0;
    {
        ClickInBackground run(program.unit(U::ExportAllButton));
        // At typing speed: a driver sending without pause would keep the
        // program inside the system's handling of sent messages.
        while (!run.Done() && refreshes < 500) {
            ASSERT_TRUE(program.Click(U::AddTextsButton));
            ++refreshes;
            Sleep(25);
        }
    }
    ASSERT_GT(refreshes, 4) << "the clicks did not get into the job's pauses";
    for (int i = 0; i < 2; ++i) {
        Picture again = ReadPng(output + std::to_string(i + 1) + "\\2.png");
        ASSERT_TRUE(again.ok());
        EXPECT_EQ(reference[i].width, again.width) << "template " << i + 1;
        EXPECT_TRUE(again.rgba == reference[i].rgba) << "template " << i + 1;
    }
    EXPECT_EQ(0, program.Close());
}

namespace {

// Noise packs badly: a large file, long to write.
bool WriteNoisePng(const std::string& path, int width, int height) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    uint32_t state = 12345;
    for (uint8_t& v : rgb) v = static_cast<uint8_t>((state = state * 1103515245u + 12345u) >> 24);
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr)) return false;
    std::string bytes(size, '\0');
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, rgb.data(), 0, nullptr)) return false;
    bytes.resize(size);
    return testsupport::WriteWholeFile(path, bytes);
}

}  // namespace

// A result appears under its name only once it is whole: the program is killed
// the moment the name appears, and the file is then what it was at that moment.
TEST(Batch, KilledAsAResultAppearsLeavesItWhole) {
    const int kWidth = 2400, kHeight = 2000;  // a write of many milliseconds
    std::string folder = NewProgramFolder("batch-kill");
    ASSERT_TRUE(CreateDirectoryA((folder + "模板").c_str(), nullptr));
    ASSERT_TRUE(WriteNoisePng(folder + "模板\\a.png", kWidth, kHeight));
    Program program;
    ASSERT_EQ("", program.Start(folder, 60000));
    const std::string result = folder + "批量目录\\1\\1.png";
    program.PostClick(U::ExportAllButton);
    // Its folder is made just before the file is written: from then on, watch without pause.
    DWORD start = GetTickCount();
    while (!DirectoryExistsA(folder + "批量目录\\1") && GetTickCount() - start < 60000) Sleep(5);
    WIN32_FILE_ATTRIBUTE_DATA seen = {};
    bool appeared = false;
    while (!appeared && GetTickCount() - start < 60000)
        appeared = GetFileAttributesExA(result.c_str(), GetFileExInfoStandard, &seen) != 0;
    TerminateProcess(program.process(), 9);
    WaitForSingleObject(program.process(), 10000);
    ASSERT_TRUE(appeared);
    std::string bytes = testsupport::ReadWholeFile(result);
    EXPECT_EQ(bytes.size(), seen.nFileSizeLow) << "the name appeared before the file was whole";
    Picture picture = DecodePng(bytes);
    EXPECT_EQ(kWidth, picture.width);
    EXPECT_EQ(kHeight, picture.height);
}

// A stop while the job runs, by a click on its button or by Esc at the window
// or at a unit in it: the button shows the progress, the template under way is
// finished whole and nothing is written after it, the end report says so, and
// the window stays open with its button back. Without a batch Esc closes it.
TEST(Batch, StopByClickOrEscFinishesTheFileUnderWayOnly) {
    enum class Stop { Click, EscAtWindow, EscAtUnit };
    const int kTemplates = 8;
    RegisterRecorderAssociations();  // the output folder opened at the end
    for (Stop stop : {Stop::Click, Stop::EscAtWindow, Stop::EscAtUnit}) {
        SCOPED_TRACE("stop " + std::to_string(static_cast<int>(stop)));
        std::string folder = NewProgramFolder("batch-stop");
        ASSERT_TRUE(CreateDirectoryA((folder + "模板").c_str(), nullptr));
        for (int i = 0; i < kTemplates; ++i)
            ASSERT_TRUE(WriteSolidPng(folder + "模板\\t" + std::to_string(i) + ".png", 160, 120, 250, 250, 250));
        Program program;
        ASSERT_EQ("", program.Start(folder));
        program.PostClick(U::ExportAllButton);
        std::wstring progress;
        std::string behind;
        for (DWORD start = GetTickCount(); progress.rfind(L"1 / 8", 0) != 0 && GetTickCount() - start < 30000; Sleep(5)) {
            if (behind.empty()) behind = ProgressBehind(program, U::ExportAllButton, folder + "批量目录\\", 0);
            progress = program.Text(U::ExportAllButton);
        }
        ASSERT_EQ(L"1 / 8", progress) << "no progress on the button";
        EXPECT_EQ("", behind) << "the button's count is behind the files written";
        if (stop == Stop::Click)
            program.PostClick(U::ExportAllButton);
        else
            PostMessageW(stop == Stop::EscAtWindow ? program.window() : program.unit(U::TitleText), WM_KEYDOWN,
                         VK_ESCAPE, 0x00010001);
        HWND report = nullptr;
        for (DWORD start = GetTickCount(); !report && program.running() && GetTickCount() - start < 30000; Sleep(20))
            report = program.BoxTitled(Program::kNoticeCaption);
        ASSERT_TRUE(report) << "no end report, or the window closed";
        std::wstring text;  // set just after the box appears
        for (DWORD start = GetTickCount(); text.empty() && GetTickCount() - start < 5000; Sleep(20))
            text = Program::BoxText(report);
        std::string said = Ansi(text);
        PostMessageW(report, WM_COMMAND, IDOK, 0);
        int results = 0;
        ExpectOnlyCompleteResults(folder + "批量目录\\", &results);
        // The file under way when the stop came (the second, or the third if
        // the second was just done) is the last.
        EXPECT_GE(results, 2);
        EXPECT_LE(results, 3);
        const std::string written = "写出 " + std::to_string(results) + " 张, 跳过 0 张, 失败 0 张";
        const std::string left = "已按要求停止, 还有 " + std::to_string(kTemplates - results) + " 张没有做";
        for (const std::string& part : {written, left}) EXPECT_NE(std::string::npos, said.find(part)) << said;
        ASSERT_TRUE(program.Sync());
        EXPECT_TRUE(program.running());
        EXPECT_EQ(L"多个模板导出", program.Text(U::ExportAllButton));
        EXPECT_EQ(0, program.PressEscape());
    }
}
