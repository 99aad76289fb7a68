// The window on the screen it opens on: it fits the work area, keeps the stored
// layout at its designed size, shows every control whole and uncovered at any
// size it can take, shows the poster in its own proportions, and comes back
// where it was left when that still fits. Run on several screen sizes and at
// 150 % (tests/app/screens.sh).
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <map>
#include "app/forms/main_window_form.h"
#include "app/forms/main_window_units.h"
#include "app_driver.h"
#include "support/child_process.h"

using namespace apptest;

namespace {

struct Shown {
    HWND hwnd;
    std::string cls;
    RECT rect;  // client coordinates of the main window
    bool inGroup;
};

RECT InClient(HWND window, HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string Name(const Shown& s) {
    wchar_t text[24] = {};
    GetWindowTextW(s.hwnd, text, 24);
    char b[160];
    snprintf(b, sizeof b, "%s \"%s\" %ld,%ld-%ld,%ld", s.cls.c_str(), Ansi(text).c_str(), s.rect.left, s.rect.top,
             s.rect.right, s.rect.bottom);
    return b;
}

// The units: the window's own children and the settings group's, visible ones only.
std::vector<Shown> VisibleUnits(const Program& program) {
    std::vector<Shown> out;
    HWND window = program.window(), group = program.unit(U::SettingsGroup);
    for (HWND parent : {window, group})
        for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
            if (!IsWindowVisible(h)) continue;
            char cls[64] = {};
            GetClassNameA(h, cls, sizeof cls);
            out.push_back({h, cls, InClient(window, h), parent == group});
        }
    return out;
}

bool Overlap(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
bool Holds(const RECT& outer, const RECT& r) {
    return r.left >= outer.left && r.top >= outer.top && r.right <= outer.right && r.bottom <= outer.bottom;
}

SIZE ClientSize(HWND window) {
    RECT c;
    GetClientRect(window, &c);
    return {c.right, c.bottom};
}

RECT WorkArea(HWND window) {
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &mi);
    return mi.rcWork;
}

// Every control whole inside the client area and the screen, none covering
// another (the group box holds its units), the hidden watermark inputs wholly
// beyond the right edge.
void ExpectEveryControlWhole(const Program& program, const std::string& when) {
    SCOPED_TRACE(when);
    HWND window = program.window(), groupBox = program.unit(U::SettingsGroup);
    SIZE client = ClientSize(window);
    RECT clientRect = {0, 0, client.cx, client.cy};
    RECT group = InClient(window, groupBox);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    RECT screen = {-origin.x, -origin.y, GetSystemMetrics(SM_CXSCREEN) - origin.x,
                   GetSystemMetrics(SM_CYSCREEN) - origin.y};
    std::vector<Shown> inside;
    for (const Shown& s : VisibleUnits(program)) {
        if (s.rect.left >= client.cx) continue;  // beyond the right edge: the watermark inputs
        if (s.inGroup && !Overlap(s.rect, group)) continue;  // clipped away by the group
        EXPECT_TRUE(Holds(clientRect, s.rect)) << Name(s) << " not inside the client area";
        EXPECT_TRUE(Holds(screen, s.rect)) << Name(s) << " not on the screen";
        if (s.inGroup) {
            EXPECT_TRUE(Holds(group, s.rect)) << Name(s) << " not inside its group";
        }
        inside.push_back(s);
    }
    EXPECT_GE(inside.size(), 30u);
    for (size_t i = 0; i < inside.size(); ++i)
        for (size_t j = i + 1; j < inside.size(); ++j) {
            if (inside[i].hwnd == groupBox || inside[j].hwnd == groupBox) continue;
            EXPECT_FALSE(Overlap(inside[i].rect, inside[j].rect)) << Name(inside[i]) << " covers " << Name(inside[j]);
        }
}

// The red picture's extent in the preview as the screen shows it.
RECT RedExtent(const Program& program) {
    RECT box = InClient(program.window(), program.unit(U::PreviewBox));
    std::vector<uint32_t> pixels = program.Capture(U::PreviewBox);
    const int w = box.right - box.left, h = box.bottom - box.top;
    RECT r = {w, h, -1, -1};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t p = pixels[static_cast<size_t>(y) * w + x];
            if (!IsRed((p >> 16) & 255, (p >> 8) & 255, p & 255)) continue;
            r.left = std::min<LONG>(r.left, x), r.top = std::min<LONG>(r.top, y);
            r.right = std::max<LONG>(r.right, x + 1), r.bottom = std::max<LONG>(r.bottom, y + 1);
        }
    return r;
}

void ExpectPosterProportions(const Program& program, double aspect, const std::string& when) {
    SCOPED_TRACE(when);
    RECT box;
    GetWindowRect(program.unit(U::PreviewBox), &box);  // as captured, border included
    // A resized preview is drawn again after the layout: on a loaded machine
    // the new picture may take a while to reach the screen.
    const auto centred = [&](const RECT& red) {
        return red.right > red.left && std::abs(red.left - (box.right - box.left - red.right)) <= 1 &&
               std::abs(red.top - (box.bottom - box.top - red.bottom)) <= 1;
    };
    RECT red = RedExtent(program);
    for (DWORD start = GetTickCount(); !centred(red) && GetTickCount() - start < 5000; red = RedExtent(program))
        Sleep(100);
    ASSERT_GT(red.right, red.left);
    double shown = double(red.right - red.left) / (red.bottom - red.top);
    EXPECT_NEAR(aspect, shown, aspect * 0.01) << red.right - red.left << " x " << red.bottom - red.top;
    // Centred: the margins on opposite sides differ by a pixel at most.
    EXPECT_LE(std::abs(red.left - (box.right - box.left - red.right)), 1);
    EXPECT_LE(std::abs(red.top - (box.bottom - box.top - red.bottom)), 1);
}

RECT WorkArea(HWND window);

// At the work area's top-left corner.
void Resize(const Program& program, int width, int height) {
    RECT work = WorkArea(program.window());
    SetWindowPos(program.window(), nullptr, work.left, work.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    Program& p = const_cast<Program&>(program);
    ASSERT_TRUE(p.Sync());
    Sleep(300);
}

void SysCommand(const Program& program, WPARAM command) {
    PostMessageW(program.window(), WM_SYSCOMMAND, command, 0);
    Sleep(500);
    ASSERT_TRUE(const_cast<Program&>(program).Sync());
}

std::string FolderWithPoster(const std::string& tag, int width, int height) {
    std::string folder = NewProgramFolder(tag);
    EXPECT_TRUE(WriteSolidPng(folder + "1.png", width, height, 230, 20, 20));
    // Texts far off the picture keep it plain red.
    EXPECT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", "[配置]\r\n标题字体x=-9000\r\n文案字体x=-9000\r\n"));
    return folder;
}

// The resolution the test runs at (IMPRINTA_SCREEN_DPI, set by tests/app/screens.sh).
int ScreenDpi() {
    const char* text = getenv("IMPRINTA_SCREEN_DPI");
    return text && atoi(text) > 0 ? atoi(text) : 96;
}

}  // namespace

TEST(WindowFit, EveryControlWholeAtEverySize) {
    std::string folder = FolderWithPoster("fit", 1080, 1920);
    Program program;
    ASSERT_EQ("", program.Start(folder));
    HWND window = program.window();
    RECT outer, work = WorkArea(window);
    GetWindowRect(window, &outer);
    EXPECT_TRUE(Holds(work, outer)) << "opens inside the work area";
    LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    ExpectEveryControlWhole(program, "as opened");
    ExpectPosterProportions(program, 1080.0 / 1920, "as opened");

    // As small as it goes, a laptop's 1280 x 680 work area (at the resolution), then maximised.
    const int dpi = ScreenDpi();
    const LONG laptopWidth = 1280 * dpi / 96, laptopHeight = 680 * dpi / 96;
    Resize(program, 1, 1);
    GetWindowRect(window, &outer);
    EXPECT_LE(outer.right - outer.left, laptopWidth);
    EXPECT_LE(outer.bottom - outer.top, laptopHeight);
    ExpectEveryControlWhole(program, "smallest");
    ExpectPosterProportions(program, 1080.0 / 1920, "smallest");
    Resize(program, std::min<LONG>(laptopWidth, work.right - work.left),
           std::min<LONG>(laptopHeight, work.bottom - work.top));
    ExpectEveryControlWhole(program, "1280 x 680");
    SysCommand(program, SC_MAXIMIZE);
    EXPECT_TRUE(IsZoomed(window));
    ExpectEveryControlWhole(program, "maximised");
    ExpectPosterProportions(program, 1080.0 / 1920, "maximised");
    SysCommand(program, SC_RESTORE);
    EXPECT_FALSE(IsZoomed(window));
    EXPECT_EQ(0, program.Close());
}

// At its designed size every unit on the window is where the form stores it.
TEST(WindowFit, StoredLayoutAtTheDesignedSize) {
    if (ScreenDpi() != 96) GTEST_SKIP() << "the stored places are at 96 dpi";
    std::string folder = FolderWithPoster("designed", 1500, 1000);
    Program program;
    ASSERT_EQ("", program.Start(folder));
    HWND window = program.window();
    imprinta::forms::WindowDescription form = mainwindow::DescribeMainWindow();
    const auto& units = form.units;
    RECT group = {}, preview = {};
    for (const auto& u : units) {
        RECT r = {u.left, u.top, u.left + u.width, u.top + u.height};
        if (u.id == mainwindow::kSettingsGroup) group = r;
        if (u.id == mainwindow::kPreviewBox) preview = r;
    }
    const SIZE designed = {group.right + preview.left, std::max(group.bottom, preview.bottom) + preview.left};
    RECT outer;
    GetWindowRect(window, &outer);
    SIZE client = ClientSize(window);
    RECT work = WorkArea(window);
    if (designed.cy + (outer.bottom - outer.top - client.cy) > work.bottom - work.top)
        GTEST_SKIP() << "the screen is lower than the designed window";
    EXPECT_EQ(designed.cx, client.cx) << "opens at its designed size when the screen has room";
    EXPECT_EQ(designed.cy, client.cy);
    ExpectPosterProportions(program, 1.5, "designed size, a landscape template");

    std::vector<Shown> shown = VisibleUnits(program);
    RECT groupNow = InClient(window, program.unit(U::SettingsGroup));
    int matched = 0;
    for (size_t i = 1; i < units.size(); ++i) {
        const auto& u = units[i];
        const bool inGroup = u.parent == mainwindow::kSettingsGroup;
        RECT want = {u.left, u.top, u.left + u.width, u.top + u.height};
        if (inGroup) OffsetRect(&want, group.left, group.top);
        if (want.right > designed.cx || (inGroup && want.right > group.right)) continue;  // beyond the window
        bool found = false;
        for (const Shown& s : shown) {
            RECT r = s.rect;
            // A combo box's window is as high as its font makes the field.
            if (s.cls == "ComboBox") r.bottom = want.bottom;
            if (EqualRect(&r, &want) && s.inGroup == inGroup) found = true;
        }
        EXPECT_TRUE(found) << u.name << " not at its stored place " << want.left << "," << want.top;
        matched += found;
    }
    EXPECT_GE(matched, 30);
    EXPECT_EQ(group.left, groupNow.left);
    ExpectEveryControlWhole(program, "designed size");
    EXPECT_EQ(0, program.Close());
}

// pz.ini keeps the window's place after today's keys; a kept place comes back
// only when it fits the screens.
TEST(WindowFit, PlaceKeptAndRestoredWhenItFits) {
    std::string folder = FolderWithPoster("place", 1080, 1920);
    const char* const kKeys[] = {"窗口左", "窗口上", "窗口宽", "窗口高", "窗口最大化"};
    RECT work;
    SIZE smallest;
    {
        Program program;
        ASSERT_EQ("", program.Start(folder));
        work = WorkArea(program.window());
        Resize(program, 1, 1);
        RECT r;
        GetWindowRect(program.window(), &r);
        smallest = {r.right - r.left, r.bottom - r.top};
        ASSERT_EQ(0, program.Close());
    }
    auto pairs = IniSection(folder + "pz.ini", "配置");
    // The five keys in their order, one after the other, wherever later keys follow them.
    auto first = std::find_if(pairs.begin(), pairs.end(), [&](const auto& p) { return p.first == kKeys[0]; });
    ASSERT_LE(5, pairs.end() - first) << "the window's place is not kept";
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(kKeys[i], first[i].first);
    EXPECT_EQ(std::to_string(smallest.cx), first[2].second);

    struct Case {
        const char* what;
        int left, top, width, height, maximised;
        bool restored;
    } cases[] = {
        {"fits", work.left + 20, work.top + 10, smallest.cx + 40, smallest.cy + 30, 0, true},
        {"off the screen", work.right + 100, work.top + 10, smallest.cx, smallest.cy, 0, false},
        {"larger than the work area", work.left, work.top, (int)(work.right - work.left) + 50, smallest.cy, 0, false},
        {"smaller than the window can be", work.left, work.top, 200, 150, 0, false},
        {"maximised", work.left + 5, work.top + 5, smallest.cx, smallest.cy, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string ini = "[配置]\r\n标题字体x=-9000\r\n文案字体x=-9000\r\n";
        const int values[] = {c.left, c.top, c.width, c.height, c.maximised};
        for (int i = 0; i < 5; ++i) ini += std::string(kKeys[i]) + "=" + std::to_string(values[i]) + "\r\n";
        ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", ini));
        Program program;
        ASSERT_EQ("", program.Start(folder));
        Sleep(300);
        ASSERT_TRUE(program.Sync());
        WINDOWPLACEMENT wp = {};
        wp.length = sizeof wp;
        GetWindowPlacement(program.window(), &wp);
        RECT r;
        GetWindowRect(program.window(), &r);
        if (c.maximised) {
            EXPECT_TRUE(IsZoomed(program.window()));
        } else {
            EXPECT_EQ(c.restored, r.left == c.left && r.top == c.top && r.right - r.left == c.width &&
                                      r.bottom - r.top == c.height)
                << r.left << "," << r.top << " " << r.right - r.left << "x" << r.bottom - r.top;
            EXPECT_TRUE(Holds(work, r));
        }
        ExpectEveryControlWhole(program, c.what);
        EXPECT_EQ(0, program.Close());
    }
}

// At the screen's resolution (IMPRINTA_SCREEN_DPI, as tests/app/screens.sh
// sets it): the window still fits, its layout and its fonts scaled.
TEST(WindowFit, ScaledToTheResolution) {
    const int dpi = ScreenDpi();
    std::string folder = FolderWithPoster("dpi", 1080, 1920);
    Program program;
    ASSERT_EQ("", program.Start(folder));
    RECT outer;
    GetWindowRect(program.window(), &outer);
    EXPECT_TRUE(Holds(WorkArea(program.window()), outer));
    RECT title;
    GetWindowRect(program.unit(U::TitleText), &title);
    EXPECT_EQ((276 * dpi + 48) / 96, title.right - title.left) << "the title box scaled";
    // The body text's line height is its font's: at least 12 pixels a line at 96 dpi.
    HWND body = program.unit(U::BodyText);
    DWORD_PTR third = 0, first = 0, second = 0;
    ASSERT_TRUE(SendMessageTimeoutW(body, EM_LINEINDEX, 2, 0, SMTO_NORMAL, 5000, &third));
    SendMessageTimeoutW(body, EM_POSFROMCHAR, 0, 0, SMTO_NORMAL, 5000, &first);
    SendMessageTimeoutW(body, EM_POSFROMCHAR, third, 0, SMTO_NORMAL, 5000, &second);
    const int lineHeight = (HIWORD(second) - HIWORD(first)) / 2;
    EXPECT_GE(lineHeight * 96, 12 * dpi) << lineHeight << " pixels a line at " << dpi << " dpi";
    ExpectEveryControlWhole(program, "at the screen's resolution");
    ExpectPosterProportions(program, 1080.0 / 1920, "at the screen's resolution");
    EXPECT_EQ(0, program.Close());
}

// Moved to a screen of another resolution (WM_DPICHANGED, its suggested
// rectangle written into the program's memory): layout and fonts follow, and
// follow back.
TEST(WindowFit, FollowsAChangeOfResolution) {
    if (ScreenDpi() != 96) GTEST_SKIP() << "changes from 96 dpi";
    std::string folder = FolderWithPoster("dpi-change", 1080, 1920);
    Program program;
    ASSERT_EQ("", program.Start(folder));
    RECT work = WorkArea(program.window());
    auto lineHeight = [&] {
        HWND body = program.unit(U::BodyText);
        DWORD_PTR third = 0, first = 0, second = 0;
        SendMessageTimeoutW(body, EM_LINEINDEX, 2, 0, SMTO_NORMAL, 5000, &third);
        SendMessageTimeoutW(body, EM_POSFROMCHAR, 0, 0, SMTO_NORMAL, 5000, &first);
        SendMessageTimeoutW(body, EM_POSFROMCHAR, third, 0, SMTO_NORMAL, 5000, &second);
        return (HIWORD(second) - HIWORD(first)) / 2;
    };
    const int lineAt96 = lineHeight();
    struct Case {
        int dpi;
        int titleWidth;
    } cases[] = {{144, 414}, {96, 276}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        RECT suggested = {work.left, work.top, work.right, work.bottom};
        void* remote = VirtualAllocEx(program.process(), nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE,
                                      PAGE_READWRITE);
        ASSERT_NE(nullptr, remote);
        ASSERT_TRUE(WriteProcessMemory(program.process(), remote, &suggested, sizeof suggested, nullptr));
        DWORD_PTR result = 0;
        ASSERT_TRUE(SendMessageTimeoutW(program.window(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(c.dpi, c.dpi),
                                        reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, 10000, &result));
        RECT title;
        GetWindowRect(program.unit(U::TitleText), &title);
        EXPECT_EQ(c.titleWidth, title.right - title.left);
        EXPECT_NEAR(lineAt96 * c.dpi / 96.0, lineHeight(), 2.0) << "the fonts follow";
        ExpectEveryControlWhole(program, "after the change");
    }
    EXPECT_EQ(0, program.Close());
}
