// What the real window does beyond its form: pictures dropped on it become the
// template, and texts dragged on the preview move with their boxes and pz.ini.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <cmath>
#include "app_driver.h"
#include "support/child_process.h"

using namespace apptest;

namespace {

const char kExportName[] = "公众号Brightquill 关注获取更多项目和软件.png";

// A WM_DROPFILES with a DROPFILES block of wide names. A drop handle made here
// means nothing in the program's process, so the block is written into that
// process's memory: fixed global memory is its own handle.
void DropFiles(const Program& program, const std::vector<std::wstring>& files) {
    std::wstring names;
    for (const std::wstring& f : files) names += f + L'\0';
    names += L'\0';
    std::vector<char> block(sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* header = reinterpret_cast<DROPFILES*>(block.data());
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    memcpy(block.data() + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
    void* remote = VirtualAllocEx(program.process(), nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(nullptr, remote);
    ASSERT_TRUE(WriteProcessMemory(program.process(), remote, block.data(), block.size(), nullptr));
    // Sent, not posted: a posted drop would be handled after the test's next sent
    // message, and reading the path box could race with it.
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutW(program.window(), WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0, SMTO_NORMAL,
                                    30000, &result));
}

Picture Exported(Program& program, const std::string& folder) {
    DeleteFileA((folder + kExportName).c_str());
    EXPECT_TRUE(program.Click(U::ExportButton));
    return ReadPng(folder + kExportName);
}

int Number(const Program& program, U box) { return _wtoi(program.Text(box).c_str()); }

long DragSteps(const Program& program) {
    return static_cast<long>(reinterpret_cast<intptr_t>(GetPropA(program.window(), "ImprintaDragSteps")));
}

// Posted input is handled after any sent message: wait until the box shows the
// value (or time runs out) rather than for one round trip.
void WaitForNumber(const Program& program, U box, int value) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(20))
        if (Number(program, box) == value) return;
}

}  // namespace

TEST(WindowExtras, DroppedPictureBecomesTheTemplate) {
    std::string folder = NewProgramFolder("drop");
    struct Made {
        const char* name;
        int width;
    } made[] = {{"图一.PNG", 61}, {"b.jpeg", 62}, {"c.bmp", 63}, {"说明.txt", 0}};
    for (const Made& m : made) {
        std::string path = folder + m.name;
        if (m.width == 0) ASSERT_TRUE(testsupport::WriteWholeFile(path, "text"));
        else if (std::string(m.name).find(".jpeg") != std::string::npos) ASSERT_TRUE(WriteSolidJpeg(path, m.width, 40, 9, 9, 9));
        else ASSERT_TRUE(WriteSolidPng(path, m.width, 40, 9, 9, 9));
    }
    // A .bmp name holding PNG bytes: the preview decodes by content anyway.
    Program program;
    ASSERT_EQ("", program.Start(folder));
    // A name code page 936 cannot spell (Thai) is passed over: under a "?" name the
    // template would not load.
    ASSERT_TRUE(CopyFileW(Wide(folder + "c.bmp").c_str(), (Wide(folder) + L"\u0E01.png").c_str(), FALSE));
    struct Case {
        std::vector<std::wstring> dropped;
        const wchar_t* becomes;  // null: the path stays
        int width;
    } cases[] = {
        {{L"说明.txt"}, nullptr, 0},
        {{L"说明.txt", L"图一.PNG", L"b.jpeg"}, L"图一.PNG", 61},
        {{L"c.bmp", L"图一.PNG"}, L"c.bmp", 63},
        {{L"\u0E01.png", L"b.jpeg"}, L"b.jpeg", 62},
        {{L"说明.txt"}, nullptr, 62},
    };
    std::wstring path = program.Text(U::TemplatePath);
    for (const Case& c : cases) {
        std::vector<std::wstring> full;
        for (const std::wstring& d : c.dropped) full.push_back(Wide(folder) + d);
        DropFiles(program, full);
        ASSERT_TRUE(program.Sync());
        if (c.becomes) path = Wide(folder) + c.becomes;
        EXPECT_EQ(path, program.Text(U::TemplatePath)) << Ansi(c.dropped[0]);
        if (c.width) {
            EXPECT_EQ(c.width, Exported(program, folder).width) << "the preview follows the drop";
        }
    }
    EXPECT_EQ(0, program.Close());
}

// The preview shows the picture whole and centred in its proportions: box
// pixels become picture pixels by one factor, the smaller of the two ratios.
void DragOnPreview(int pictureWidth, int pictureHeight) {
    SCOPED_TRACE(testing::Message() << pictureWidth << " x " << pictureHeight);
    std::string folder = NewProgramFolder("drag");
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", pictureWidth, pictureHeight, 255, 255, 255));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini",
                                            "[配置]\r\n标题大小=60\r\n文案大小=40\r\n标题字体x=100\r\n标题字体y=100\r\n"
                                            "文案字体x=100\r\n文案字体y=600\r\n标题颜色=255\r\n文案颜色=16711680\r\n"));
    Program program;
    ASSERT_EQ("", program.Start(folder));
    ASSERT_TRUE(program.SetText(U::TitleText, L"拖动"));
    HWND preview = program.unit(U::PreviewBox);
    RECT client;
    ASSERT_TRUE(GetClientRect(preview, &client));
    const double boxPerPicture = std::min(double(client.right) / pictureWidth, double(client.bottom) / pictureHeight);
    const int shownWidth = static_cast<int>(std::lround(pictureWidth * boxPerPicture));
    const int shownHeight = static_cast<int>(std::lround(pictureHeight * boxPerPicture));

    // Hints: a tooltip of the window's own holds a tool.
    HWND tip = nullptr;
    while ((tip = FindWindowExW(nullptr, tip, L"tooltips_class32", nullptr)))
        if (GetWindow(tip, GW_OWNER) == program.window()) break;
    ASSERT_NE(nullptr, tip);
    DWORD_PTR tools = 0;
    SendMessageTimeoutW(tip, TTM_GETTOOLCOUNT, 0, 0, SMTO_NORMAL, 5000, &tools);
    EXPECT_EQ(1u, tools);

    struct Case {
        UINT down, up;
        WPARAM keys;
        U x, y;
        int dx, dy;  // box pixels
    } cases[] = {
        {WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, U::TitleX, U::TitleY, 120, 45},
        {WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON | MK_SHIFT, U::BodyX, U::BodyY, -30, 70},
        {WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, U::BodyX, U::BodyY, 25, -40},
    };
    const int kMoves = 40;
    for (const Case& c : cases) {
        int x0 = Number(program, c.x), y0 = Number(program, c.y);
        U otherX = c.x == U::TitleX ? U::BodyX : U::TitleX;
        int other = Number(program, otherX);
        long steps = DragSteps(program);
        const int sx = 150, sy = 300;
        PostMessageW(preview, c.down, c.keys, MAKELPARAM(sx, sy));
        for (int i = 1; i <= kMoves; ++i)
            PostMessageW(preview, WM_MOUSEMOVE, c.keys, MAKELPARAM(sx + c.dx * i / kMoves, sy + c.dy * i / kMoves));
        PostMessageW(preview, c.up, 0, MAKELPARAM(sx + c.dx, sy + c.dy));
        int wantX = x0 + std::lround(c.dx * double(pictureWidth) / shownWidth);
        int wantY = y0 + std::lround(c.dy * double(pictureHeight) / shownHeight);
        WaitForNumber(program, c.y, wantY);
        Sleep(300);  // and no late step moves it on
        ASSERT_TRUE(program.Sync());
        EXPECT_EQ(wantX, Number(program, c.x));
        EXPECT_EQ(wantY, Number(program, c.y));
        EXPECT_EQ(other, Number(program, otherX)) << "the other text stays";
        long refreshes = DragSteps(program) - steps;
        EXPECT_GE(refreshes, 1);
        EXPECT_LE(refreshes, 4) << "40 moves must not pile up refreshes";
    }

    // The preview shows the title where its boxes now say.
    int tx = Number(program, U::TitleX), ty = Number(program, U::TitleY);
    Picture shown = Exported(program, folder);
    ASSERT_EQ(pictureWidth, shown.width);
    int left = shown.width, top = shown.height;
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x) {
            const uint8_t* p = shown.at(x, y);
            if (IsRed(p[0], p[1], p[2])) left = std::min(left, x), top = std::min(top, y);
        }
    EXPECT_GE(left, tx);
    EXPECT_LE(left, tx + 30);
    EXPECT_GE(top, ty);
    EXPECT_LE(top, ty + 40);

    int bx = Number(program, U::BodyX), by = Number(program, U::BodyY);
    ASSERT_EQ(0, program.Close());
    auto pairs = IniSection(folder + "pz.ini", "配置");
    std::map<std::string, std::string> saved(pairs.begin(), pairs.end());
    EXPECT_EQ(std::to_string(tx), saved["标题字体x"]);
    EXPECT_EQ(std::to_string(ty), saved["标题字体y"]);
    EXPECT_EQ(std::to_string(bx), saved["文案字体x"]);
    EXPECT_EQ(std::to_string(by), saved["文案字体y"]);
}

TEST(WindowExtras, DraggingOnThePreviewMovesTheTexts) {
    DragOnPreview(1000, 1500);  // upright, narrower than the box: the height sets the scale
    DragOnPreview(1500, 1000);  // landscape: the width sets it
}
