// Running out of memory, for real and by injection. Templates too large to hold
// show nothing and the program goes on. The test build imprinta_faults.exe
// refuses one allocation per run (counted from start-up, or from a refresh of
// the preview): every run ends in the out-of-memory report with exit code -1,
// or quietly and then closes with 0 — never abort(), terminate(), a crash or a
// hang. IMPRINTA_SWEEP_RUNS sets the runs per scenario (0: every point).
#include <gtest/gtest.h>
#include <png.h>
#include <cstdio>
#include <cstdlib>
#include "app_driver.h"
#include "support/child_process.h"

using namespace apptest;

namespace {

// A big picture in few bytes: width x height grey pixels, written row by row.
bool WriteGreyPng(const std::string& path, uint32_t width, uint32_t height) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_byte> row(width, 128);
    bool ok = false;
    if (!setjmp(png_jmpbuf(png))) {
        png_init_io(png, f);
        png_set_compression_level(png, 9);
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (uint32_t y = 0; y < height; ++y) png_write_row(png, row.data());
        png_write_end(png, info);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    return fclose(f) == 0 && ok;
}

bool WriteSparseFile(const std::string& path, int64_t size) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER at;
    at.QuadPart = size;
    bool ok = SetFilePointerEx(f, at, nullptr, FILE_BEGIN) && SetEndOfFile(f);
    CloseHandle(f);
    return ok;
}

// The picture box shows no picture: inside its frame one colour, not the
// template's grey.
bool PreviewIsEmpty(const Program& program) {
    RECT r;
    GetWindowRect(program.unit(U::PreviewBox), &r);
    const int w = r.right - r.left, h = r.bottom - r.top, frame = 4;
    std::vector<uint32_t> pixels = program.Capture(U::PreviewBox);
    uint32_t inside = pixels[static_cast<size_t>(frame) * w + frame] & 0xFFFFFF;
    for (int y = frame; y < h - frame; ++y)
        for (int x = frame; x < w - frame; ++x)
            if ((pixels[static_cast<size_t>(y) * w + x] & 0xFFFFFF) != inside) return false;
    return inside != 0x808080;
}

}  // namespace

TEST(OutOfMemory, TemplatesTooLargeToHoldShowNothing) {
    const char kExportName[] = "公众号Brightquill 关注获取更多项目和软件.png";
    const struct {
        const char* kind;
        int64_t sparseBytes;  // else a 20000 x 20000 PNG
    } kCases[] = {
        {"a file beyond 32-bit sizes", int64_t(5) << 30},
        {"a file just below the largest byte set", 0x7FFFFF00},
        {"a 20000 x 20000 picture", 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.kind);
        std::string folder = NewProgramFolder("huge");
        std::string templ = folder + "1.png";
        ASSERT_TRUE(c.sparseBytes ? WriteSparseFile(templ, c.sparseBytes) : WriteGreyPng(templ, 20000, 20000));
        if (!c.sparseBytes) {
            EXPECT_LT(testsupport::ReadWholeFile(templ).size(), 1u << 20);
        }
        Program program;
        ASSERT_EQ("", program.Start(folder, 120000));
        ASSERT_TRUE(program.SetText(U::TitleText, L"标题"));
        EXPECT_TRUE(PreviewIsEmpty(program));
        std::vector<std::wstring> notices = program.ClickForNotices(U::ExportButton);
        ASSERT_EQ(1u, notices.size());
        EXPECT_NE(std::wstring::npos, notices[0].find(L"没有可保存的图片")) << Ansi(notices[0]);
        EXPECT_FALSE(FileExistsA(folder + kExportName));
        std::vector<std::wstring> boxes;
        PostMessageW(program.window(), WM_CLOSE, 0, 0);
        EXPECT_EQ(0, program.Settle(&boxes, nullptr, nullptr, 60000));
        EXPECT_TRUE(boxes.empty()) << Ansi(boxes.empty() ? L"" : boxes[0]);
        DeleteFileA(templ.c_str());
    }
}

namespace {

enum class Scenario { StartUp, Refresh };

struct Run {
    int exitCode = 0;
    std::vector<std::wstring> boxes;
    std::string log;
    bool Refused() const { return log.find("refused ") != std::string::npos; }
    long Allocations() const {
        size_t at = log.find("allocations ");
        return at == std::string::npos ? -1 : atol(log.c_str() + at + 12);
    }
};

bool IsOutOfMemoryReport(const std::wstring& text) {
    const std::wstring head = L"运行时出错!\r\n\r\n错误信息：分配 ", tail = L" 字节内存失败!\r\n";
    if (text.size() <= head.size() + tail.size() || text.compare(0, head.size(), head) != 0 ||
        text.compare(text.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    std::wstring number = text.substr(head.size(), text.size() - head.size() - tail.size());
    return number.find_first_not_of(L"-0123456789") == std::wstring::npos;
}

bool WindowIsUp(void* program) { return static_cast<Program*>(program)->FindWindowNow(); }

void SetVariable(const char* name, const std::string& value) {
    SetEnvironmentVariableA(name, value.empty() ? nullptr : value.c_str());
}

// One run of the test build in folder, refusing allocation failAt (0: none).
Run RunRefusing(const std::string& folder, Scenario scenario, long failAt) {
    static int serial = 0;
    std::string events = "imprinta-faults-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    HANDLE arm = CreateEventA(nullptr, TRUE, FALSE, (events + ".arm").c_str());
    HANDLE armed = CreateEventA(nullptr, TRUE, FALSE, (events + ".armed").c_str());
    std::string log = folder + "allocations.log";
    DeleteFileA(log.c_str());
    SetVariable("IMPRINTA_FAIL_AT", std::to_string(failAt));
    SetVariable("IMPRINTA_ALLOCATION_LOG", log);
    SetVariable("IMPRINTA_FAULT_EVENTS", scenario == Scenario::Refresh ? events : "");
    Run run;
    Program program;
    std::string error = program.Launch(folder, "imprinta_faults.exe");
    run.exitCode = error.empty() ? program.Settle(&run.boxes, WindowIsUp, &program) : -4;
    if (run.exitCode == Program::kStillRunning && scenario == Scenario::Refresh) {
        std::string units = program.WaitForWindow();
        EXPECT_EQ("", units);
        SetEvent(arm);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(armed, 10000));
        ClickInBackground refresh(program.unit(U::AddTextsButton));
        run.exitCode = program.Settle(&run.boxes, ClickInBackground::IsDone, &refresh);
    }
    if (run.exitCode == Program::kStillRunning) {
        PostMessageW(program.window(), WM_CLOSE, 0, 0);
        run.exitCode = program.Settle(&run.boxes);
    }
    run.log = testsupport::ReadWholeFile(log);
    CloseHandle(arm);
    CloseHandle(armed);
    return run;
}

// Calibrates the count of allocations, then refuses allocations 1..N (with a
// stride when the runs are limited) and checks every outcome.
void Sweep(Scenario scenario, const char* name) {
    std::string folder = NewProgramFolder("faults");
    ASSERT_TRUE(testsupport::CopyFileTo(testsupport::ProgramDirectory() + "..\\..\\imprinta_faults.exe",
                                        folder + "imprinta_faults.exe"));
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 64, 48, 230, 230, 230));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", "[配置]\r\n标题大小=14\r\n文案大小=12\r\n"
                                                               "文案字体y=20\r\n标题颜色=255\r\n"));
    RunRefusing(folder, scenario, 0);  // the first start writes the skin library
    Run calibration = RunRefusing(folder, scenario, 0);
    ASSERT_EQ(0, calibration.exitCode);
    long total = calibration.Allocations();
    ASSERT_GT(total, 10) << calibration.log;
    const char* limit = getenv("IMPRINTA_SWEEP_RUNS");
    long runs = limit ? atol(limit) : (scenario == Scenario::StartUp ? 40 : 24);
    long stride = runs > 0 ? std::max(1L, (total + runs - 1) / runs) : 1;
    int refused = 0, reports = 0, quiet = 0, runsMade = 0;
    for (long n = 1; n <= total; n += stride, ++runsMade) {
        Run run = RunRefusing(folder, scenario, n);
        bool report = run.exitCode == -1 && run.boxes.size() == 1 && IsOutOfMemoryReport(run.boxes[0]);
        bool calm = run.exitCode == 0 && run.boxes.empty();
        EXPECT_TRUE(report || calm) << name << ": allocation " << n << " refused, exit code " << run.exitCode
                                    << ", " << run.boxes.size() << " boxes"
                                    << (run.boxes.empty() ? "" : ", first: " + Ansi(run.boxes[0])) << "\n"
                                    << run.log;
        refused += run.Refused();
        reports += report;
        quiet += calm && run.Refused();
    }
    EXPECT_GT(refused, 0);
    printf("%s: %ld allocations, %d runs (every %ld), %d failure points met: %d out-of-memory reports, %d quiet\n",
           name, total, runsMade, stride, refused, reports, quiet);
}

}  // namespace

TEST(OutOfMemory, EveryRefusedAllocationAtStartUpEndsInTheReportOrQuietly) {
    Sweep(Scenario::StartUp, "start-up with the template, and the close");
}

TEST(OutOfMemory, EveryRefusedAllocationInARefreshEndsInTheReportOrQuietly) {
    Sweep(Scenario::Refresh, "a refresh of the preview, and the close");
}

// The cached template is shared: a refresh draws on a copy of it. When memory
// for that copy runs out, the refresh shows nothing rather than drawing on the
// cache's own picture, so the next preview carries its own texts only.
TEST(OutOfMemory, ARefusedTemplateCopyLeavesTheCachedTemplateClean) {
    const int kWidth = 61, kHeight = 47;  // a pixel size no other buffer of a refresh has
    const char kExportName[] = "公众号Brightquill 关注获取更多项目和软件.png";
    std::string folder = NewProgramFolder("faults-copy");
    ASSERT_TRUE(testsupport::CopyFileTo(testsupport::ProgramDirectory() + "..\\..\\imprinta_faults.exe",
                                        folder + "imprinta_faults.exe"));
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", kWidth, kHeight, 230, 230, 230));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", "[配置]\r\n标题大小=14\r\n标题颜色=255\r\n"));
    std::string events = "imprinta-copy-" + std::to_string(GetCurrentProcessId());
    HANDLE arm = CreateEventA(nullptr, TRUE, FALSE, (events + ".arm").c_str());
    HANDLE armed = CreateEventA(nullptr, TRUE, FALSE, (events + ".armed").c_str());
    std::string log = folder + "allocations.log";
    SetVariable("IMPRINTA_FAIL_AT", "0");
    SetVariable("IMPRINTA_FAIL_SIZE", std::to_string(kWidth * kHeight * 4));
    SetVariable("IMPRINTA_ALLOCATION_LOG", log);
    SetVariable("IMPRINTA_FAULT_EVENTS", events);
    Program program;
    std::string started = program.Launch(folder, "imprinta_faults.exe");
    if (started.empty()) started = program.WaitForWindow();
    SetVariable("IMPRINTA_FAIL_SIZE", "");
    SetVariable("IMPRINTA_FAULT_EVENTS", "");
    ASSERT_EQ("", started);

    // The title box's text goes in silently: the add-texts button refreshes.
    auto showTitle = [&](const wchar_t* title) {
        return program.SetText(U::TitleText, title) && program.Click(U::AddTextsButton);
    };
    ASSERT_TRUE(showTitle(L"丙"));
    ASSERT_TRUE(program.Click(U::ExportButton));
    Picture reference = ReadPng(folder + kExportName);
    ASSERT_TRUE(reference.ok());
    SetEvent(arm);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(armed, 10000));
    ASSERT_TRUE(showTitle(L"乙"));  // its copy is refused
    ASSERT_TRUE(showTitle(L"丙"));
    ASSERT_TRUE(DeleteFileA((folder + kExportName).c_str()));
    ASSERT_TRUE(program.Click(U::ExportButton));
    Picture again = ReadPng(folder + kExportName);
    EXPECT_TRUE(again.ok() && again.rgba == reference.rgba) << "the earlier texts show under the new ones";
    EXPECT_EQ(0, program.Close());
    EXPECT_NE(std::string::npos, testsupport::ReadWholeFile(log).find("refused ")) << "the copy was never refused";
    CloseHandle(arm);
    CloseHandle(armed);
}
