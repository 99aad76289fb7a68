// Benchmark (not a test), run by scripts/bench-preview.sh: the real program
// under Wine, driven from outside as a user feels it. For one template:
// start -> main window shown, then keystrokes in the title box, each timed
// from the key to the preview painted (the change handler runs inside the
// send; the picture box's pending paint follows), the exported PNG's size,
// and the export clicked at once and after a pause, and the working set over
// many refreshes. With --batch: seconds per template
// of the multi-template export. Prints "name value" lines.
#include <windows.h>
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "app/app_driver.h"
#include "support/child_process.h"

using namespace apptest;

namespace {

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The settings a user has after the first day: sizes 50 and 25, texts in view.
void WriteSettings(const std::string& folder) {
    const char* keys[][2] = {{"标题大小", "50"}, {"文案大小", "25"}, {"标题字体x", "120"}, {"标题字体y", "120"},
                             {"文案字体x", "120"}, {"文案字体y", "400"}, {"标题颜色", "255"}, {"文案颜色", "3355443"},
                             {"标题字体", "0"},   {"文案字体", "0"}};
    std::string ini = folder + "pz.ini";
    for (auto& k : keys) WritePrivateProfileStringA("配置", k[0], k[1], ini.c_str());
    // IMPRINTA_BENCH_BODY=N: a body of N characters (lines of 30) typed before.
    if (const char* chars = getenv("IMPRINTA_BENCH_BODY")) {
        std::string body;
        for (int i = 0; i < atoi(chars); ++i) body += i % 30 == 29 ? std::string("\\n") : std::string("字");
        WritePrivateProfileStringA("配置", "文案内容", body.c_str(), ini.c_str());
    }
    // IMPRINTA_BENCH_WRAP=N: both texts wrapped at N pixels.
    if (const char* wrap = getenv("IMPRINTA_BENCH_WRAP"))
        for (const char* key : {"标题最大宽度", "文案最大宽度"}) WritePrivateProfileStringA("配置", key, wrap, ini.c_str());
    // IMPRINTA_BENCH_FIELDS=PHOTO: that photo in a round box and a QR code (level H, a logo) beside the texts.
    if (const char* photo = getenv("IMPRINTA_BENCH_FIELDS")) {
        const std::string logo = std::string(photo);
        const char* fields[][2] = {{"字段数", "2"},       {"字段1类型", "图片"},   {"字段1文件", photo},  {"字段1x", "80"},
                                   {"字段1y", "900"},      {"字段1宽", "520"},     {"字段1高", "520"},   {"字段1缩放", "填满"},
                                   {"字段1圆形", "1"},     {"字段2类型", "二维码"}, {"字段2x", "640"},   {"字段2y", "1400"},
                                   {"字段2内容", "https://example.cn/活动/报名?编号=20261209"},
                                   {"字段2纠错", "H"},     {"字段2大小", "360"},   {"字段2中心图片", logo.c_str()}};
        for (auto& k : fields) WritePrivateProfileStringA("配置", k[0], k[1], ini.c_str());
    }
    // IMPRINTA_BENCH_VERTICAL=1: the body a poem of ten lines set vertically, 40 px, right to left from x 1000.
    if (const char* vertical = getenv("IMPRINTA_BENCH_VERTICAL"); vertical && strcmp(vertical, "1") == 0) {
        std::string poem;
        for (int i = 0; i < 10; ++i) poem += std::string(i ? "\\n" : "") + "床前明月光，疑是地上霜。";
        const char* poemKeys[][2] = {{"文案内容", poem.c_str()}, {"文案方向", "1"}, {"文案大小", "40"},
                                     {"文案字体x", "1000"},     {"文案字体y", "300"}};
        for (auto& k : poemKeys) WritePrivateProfileStringA("配置", k[0], k[1], ini.c_str());
    }
    // IMPRINTA_BENCH_STYLED=1: both texts with a 4 px outline and a soft shadow (blur 8).
    const char* styled = getenv("IMPRINTA_BENCH_STYLED");
    if (!styled || strcmp(styled, "1") != 0) return;
    const char* style[][2] = {{"描边宽度", "4"}, {"描边颜色", "16777215"}, {"阴影x", "6"},
                              {"阴影y", "6"},    {"阴影不透明度", "60"},  {"阴影模糊", "8"}};
    for (const char* prefix : {"标题", "文案"})
        for (auto& k : style) WritePrivateProfileStringA("配置", (std::string(prefix) + k[0]).c_str(), k[1], ini.c_str());
}

size_t WorkingSetMb(HANDLE process, bool peak) {
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(process, &pmc, sizeof pmc)) return 0;
    return (peak ? pmc.PeakWorkingSetSize : pmc.WorkingSetSize) >> 20;
}

// One keystroke at the end of the title: the handler runs inside the send,
// then the preview's pending paint is done before the time is taken.
double Keystroke(Program& p, const wchar_t* key) {
    // IMPRINTA_BENCH_TYPE_IN=body: the keys go to the end of the body instead.
    const char* in = getenv("IMPRINTA_BENCH_TYPE_IN");
    HWND title = p.unit(in && strcmp(in, "body") == 0 ? U::BodyText : U::TitleText), box = p.unit(U::PreviewBox);
    DWORD_PTR r = 0;
    double start = Now();
    SendMessageTimeoutW(title, EM_SETSEL, WPARAM(-1), LPARAM(-1), SMTO_NORMAL, 60000, &r);
    SendMessageTimeoutW(title, EM_REPLACESEL, TRUE, LPARAM(key), SMTO_NORMAL, 60000, &r);
    SendMessageTimeoutW(box, WM_PAINT, 0, 0, SMTO_NORMAL, 60000, &r);
    return Now() - start;
}

int RunTemplate(const std::string& templatePath, int keystrokes, int refreshes) {
    std::string folder = NewProgramFolder("bench");
    // The program as shipped loads its own fonts at start (IMPRINTA_BENCH_NO_FONTS=1: without them).
    if (!getenv("IMPRINTA_BENCH_NO_FONTS")) CopyShippedFonts(folder);
    testsupport::CopyFileTo(templatePath, folder + "1.png");
    WriteSettings(folder);
    Program p;
    double t0 = Now();
    std::string error = p.Start(folder, 180000);
    if (!error.empty()) {
        printf("error %s\n", error.c_str());
        return 1;
    }
    printf("start_to_window_s %.3f\n", Now() - t0);
    std::vector<double> times;
    const wchar_t* keys[] = {L"字", L"a", L"1"};
    for (int i = 0; i < keystrokes; ++i) times.push_back(Keystroke(p, keys[i % 3]));
    if (!times.empty())
        printf("keystroke_median_s %.3f\nkeystroke_min_s %.3f\nkeystroke_max_s %.3f\n", Median(times),
               *std::min_element(times.begin(), times.end()), *std::max_element(times.begin(), times.end()));
    const double exportStart = Now();
    p.Click(U::ExportButton);
    printf("export_s %.3f\n", Now() - exportStart);
    // As a person exports: the hand goes from the keys to the button.
    Keystroke(p, L"b");
    Sleep(1500);
    const double pausedStart = Now();
    p.Click(U::ExportButton);
    printf("export_after_pause_s %.3f\n", Now() - pausedStart);
    std::string exported = folder + "公众号Brightquill 关注获取更多项目和软件.png";
    HANDLE f = CreateFileA(exported.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    printf("export_png_bytes %lu\n", f == INVALID_HANDLE_VALUE ? 0ul : GetFileSize(f, nullptr));
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    if (refreshes > 0) {
        size_t early = 0;
        for (int i = 0; i < refreshes; ++i) {
            Keystroke(p, i % 2 ? L"b" : L"\b");
            if (i == refreshes / 10) early = WorkingSetMb(p.process(), false);
        }
        printf("working_set_after_%d_mb %zu\nworking_set_after_%d_mb %zu\n", refreshes / 10 + 1, early, refreshes,
               WorkingSetMb(p.process(), false));
    }
    printf("peak_working_set_mb %zu\n", WorkingSetMb(p.process(), true));
    p.Close(60000);
    return 0;
}

int RunBatch(const std::vector<std::string>& templates) {
    std::string folder = NewProgramFolder("bench-batch");
    CreateDirectoryA((folder + "模板").c_str(), nullptr);
    for (size_t i = 0; i < templates.size(); ++i)
        testsupport::CopyFileTo(templates[i], folder + "模板\\" + std::to_string(i + 1) + ".png");
    testsupport::CopyFileTo(templates[0], folder + "1.png");
    WriteSettings(folder);
    RegisterRecorderAssociations();  // the folder opened at the end goes to the recorder
    Program p;
    std::string error = p.Start(folder, 180000);
    if (!error.empty()) {
        printf("error %s\n", error.c_str());
        return 1;
    }
    double t0 = Now();
    p.Click(U::ExportAllButton, 600000);
    double perTemplate = (Now() - t0) / double(templates.size());
    printf("batch_per_template_s %.3f\nbatch_beyond_pauses_s %.3f\n", perTemplate, perTemplate - 0.2);
    p.Close(60000);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--batch") return RunBatch(std::vector<std::string>(argv + 2, argv + argc));
    if (argc < 3) {
        fprintf(stderr, "usage: bench_preview TEMPLATE KEYSTROKES [REFRESHES] | --batch TEMPLATE...\n");
        return 2;
    }
    return RunTemplate(argv[1], atoi(argv[2]), argc > 3 ? atoi(argv[3]) : 0);
}
