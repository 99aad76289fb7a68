// The batch job's wait without a waitable timer, its folder test and its file
// lister, the program's file writing, and the posters a texts file of the
// command line gives.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include "app/batch/batch_arguments.h"
#include "app/batch/batch_job.h"
#include "app/batch/poster_table.h"
#include "app/platform/file_io.h"
#include "app/platform/runtime_calls.h"
#include "support/child_process.h"

namespace {

LONG g_received = 0;

LRESULT CALLBACK CountingProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP + 7) {
        ++g_received;
        return 0;
    }
    return DefWindowProcA(h, msg, wp, lp);
}

HWND CountingWindow() {
    static HWND window = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = CountingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ImprintaWaitCounter";
        RegisterClassA(&wc);
        return CreateWindowA("ImprintaWaitCounter", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }();
    return window;
}

struct LatePost {
    HWND window;
    DWORD delayMs;
};

DWORD WINAPI PostLater(void* arg) {
    auto* late = static_cast<LatePost*>(arg);
    Sleep(late->delayMs);
    PostMessageA(late->window, WM_APP + 7, 0, 0);
    return 0;
}

LONG NoTimerCalls() {
    using Fn = LONG(__stdcall*)();
    HMODULE dll = GetModuleHandleA("imprinta_notimer.dll");
    auto fn = dll ? reinterpret_cast<Fn>(GetProcAddress(dll, "NoTimerCalls")) : nullptr;
    return fn ? fn() : -1;
}

// A wait that never ends would hold the test until CTest's time-out: end the
// process with a message instead.
struct Watchdog {
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, Watch, done, 0, nullptr);
    static DWORD WINAPI Watch(void* event) {
        if (WaitForSingleObject(static_cast<HANDLE>(event), 15000) == WAIT_TIMEOUT) {
            fprintf(stderr, "WaitPumping did not return within 15 s\n");
            fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        return 0;
    }
    ~Watchdog() {
        SetEvent(done);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        CloseHandle(done);
    }
};

// Milliseconds that WaitPumping(amount, unit) took; messages posted before and
// during the wait must have been dispatched by its end.
DWORD TimedWait(int64_t amount, int32_t unit) {
    HWND window = CountingWindow();
    g_received = 0;
    PostMessageA(window, WM_APP + 7, 0, 0);
    LatePost late = {window, 60};
    HANDLE thread = CreateThread(nullptr, 0, PostLater, &late, 0, nullptr);
    DWORD start = GetTickCount();
    EXPECT_TRUE(app::WaitPumping(amount, unit));
    DWORD took = GetTickCount() - start;
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    EXPECT_EQ(2, g_received) << "posted messages were not dispatched during the wait";
    return took;
}

}  // namespace

TEST(WaitPumping, WithoutATimerStillEndsAfterTheAmountAndPumps) {
    ASSERT_TRUE(CountingWindow());
    Watchdog watchdog;
    struct Case {
        int64_t amount;
        int32_t unit;
        DWORD atLeast, atMost;
    } cases[] = {
        {200, 0, 190, 1200},  // milliseconds
        {30, 7, 200, 1200},   // any other unit is itself the factor: 210 ms
        {1, 1, 990, 2500},    // seconds
    };
    LONG before = std::max<LONG>(0, NoTimerCalls());  // -1 while the DLL is not loaded yet
    for (const Case& c : cases) {
        DWORD took = TimedWait(c.amount, c.unit);
        EXPECT_GE(took, c.atLeast) << c.amount << " x unit " << c.unit;
        EXPECT_LE(took, c.atMost) << c.amount << " x unit " << c.unit;
    }
    EXPECT_EQ(before + 3, NoTimerCalls()) << "the test DLL's timer creation was not the one called";

    // Nothing to wait for: back at once, and still pumping.
    for (int64_t amount : {0, -50}) {
        g_received = 0;
        PostMessageA(CountingWindow(), WM_APP + 7, 0, 0);
        DWORD start = GetTickCount();
        EXPECT_TRUE(app::WaitPumping(amount));
        EXPECT_LT(GetTickCount() - start, 150u) << amount;
    }
}

TEST(BatchHelpers, DirectoryTestAndFileListing) {
    std::string root = testsupport::MakeScratchDirectory("listing");  // trailing backslash
    std::string dir = root.substr(0, root.size() - 1);
    ASSERT_TRUE(CreateDirectoryA((root + "子目录").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((root + "子目录\\更深").c_str(), nullptr));
    for (const char* name : {"a.png", "b.jpg", "c.txt", "子目录\\d.png", "子目录\\更深\\e.jpeg", "图.png"})
        ASSERT_TRUE(testsupport::WriteWholeFile(root + name, "x"));

    EXPECT_TRUE(app::DirectoryExists(dir.c_str()));
    EXPECT_TRUE(app::DirectoryExists((root + "子目录").c_str())) << "a GBK folder name";
    EXPECT_FALSE(app::DirectoryExists(root.c_str())) << "a trailing backslash finds nothing";
    EXPECT_FALSE(app::DirectoryExists((root + "a.png").c_str())) << "a file is no folder";
    EXPECT_FALSE(app::DirectoryExists((root + "missing").c_str()));

    auto names = [](void* list) {
        std::vector<std::string> out;
        if (!list) return out;
        auto* block = static_cast<uint32_t*>(list);
        auto** items = reinterpret_cast<char**>(block + 2);
        for (uint32_t i = 0; i < block[1]; ++i) out.push_back(items[i] ? items[i] : "");
        return out;
    };
    auto release = [](void* list) {
        if (!list) return;
        auto* block = static_cast<uint32_t*>(list);
        for (uint32_t i = 0; i < block[1]; ++i) app::Free(reinterpret_cast<char**>(block + 2)[i]);
        app::Free(list);
    };

    // Recursive, with paths: patterns in order, then the sub-folders depth first.
    void* list = nullptr;
    int32_t n = app::ListFiles(dir.c_str(), "*.jpg|*.jpeg|*.png", &list, {.withPath = true, .recurse = true});
    std::vector<std::string> found = names(list);
    ASSERT_EQ(5, n);
    ASSERT_EQ(5u, found.size());
    EXPECT_EQ(root + "b.jpg", found[0]);
    std::vector<std::string> pngs = {found[1], found[2]};
    std::sort(pngs.begin(), pngs.end());
    EXPECT_EQ((std::vector<std::string>{root + "a.png", root + "图.png"}), pngs);
    EXPECT_EQ(root + "子目录\\d.png", found[3]);
    EXPECT_EQ(root + "子目录\\更深\\e.jpeg", found[4]);

    // Recursive calls append; a flat call empties the list first, and without
    // paths the names are bare. A name that matches two patterns is listed twice.
    n = app::ListFiles((root + "子目录").c_str(), "*.png", &list, {.recurse = true});
    EXPECT_EQ(6, n);
    n = app::ListFiles(root.c_str(), "a.*|*.png", &list, {.sorted = true});
    found = names(list);
    EXPECT_EQ(3, n);
    EXPECT_EQ((std::vector<std::string>{"a.png", "a.png", "图.png"}), found);
    EXPECT_EQ(2, std::count(found.begin(), found.end(), std::string("a.png")));
    EXPECT_TRUE(std::is_sorted(found.begin(), found.end()));
    release(list);
    list = nullptr;
    EXPECT_EQ(0, app::ListFiles((root + "missing").c_str(), "*.png", &list, {.withPath = true, .sorted = true}));
    release(list);
}

// A name the finished file cannot take (a folder's, or an old file a viewer
// holds open) fails the write with its reason, keeps the old file and leaves
// no temporary file beside it.
TEST(FileWriting, AFailedReplaceLeavesNoPartialFile) {
    const std::string dir = testsupport::MakeScratchDirectory("writing");
    enum class Taken { No, ByFolder, HeldOpen };
    for (Taken taken : {Taken::No, Taken::ByFolder, Taken::HeldOpen}) {
        const int row = static_cast<int>(taken);
        const std::string name = dir + "海报" + std::to_string(row) + ".png";
        HANDLE held = INVALID_HANDLE_VALUE;
        const bool folder = taken == Taken::ByFolder;
        ASSERT_TRUE(folder ? CreateDirectoryA(name.c_str(), nullptr) : testsupport::WriteWholeFile(name, "old"));
        if (taken == Taken::HeldOpen)
            held = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        const uint32_t error = app::WriteWholeFile(name, "new", 3);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        EXPECT_EQ(taken == Taken::No, error == 0) << row << ": error " << error;
        EXPECT_FALSE(app::PathExists(name + ".part")) << row << ": the temporary file was left behind";
        if (!folder) {
            EXPECT_EQ(taken == Taken::No ? "new" : "old", testsupport::ReadWholeFile(name)) << row;
        }
    }
}

// What each line of a texts file puts on its poster, read as the command line
// reads a table. Wine's GDI+ draws a CR at the end of a text as nothing, so the
// posters' pixels cannot tell a kept one.
TEST(TextsFile, LinesGiveTitlesAndBodies) {
    struct Case {
        const char* file;
        std::vector<app::Poster> posters;
    } cases[] = {
        {"t1\tb1\r\nt2\r\n", {{1, "t1", "b1"}, {2, "t2", "def"}}},  // Windows line ends
        {"t1\ta\\nb\n\n\r\nt3", {{1, "t1", "a\r\nb"}, {4, "t3", "def"}}},
        {"标题\t文\\n\r", {{1, "标题", "文\r\n"}}},
    };
    const std::string file = testsupport::MakeScratchDirectory("texts") + "texts.txt";
    for (const Case& c : cases) {
        FILE* f = fopen(file.c_str(), "wb");
        ASSERT_TRUE(f);
        fputs(c.file, f);
        fclose(f);
        std::vector<app::Poster> got;
        app::PosterTable table(std::wstring(file.begin(), file.end()), "def");
        app::Poster p;
        std::string failure;
        while (table.Next(&p, &failure)) {
            EXPECT_EQ("", failure) << c.file;
            if (failure.empty()) got.push_back(p);
        }
        ASSERT_EQ(c.posters.size(), got.size()) << c.file;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(c.posters[i].line, got[i].line) << c.file;
            EXPECT_EQ(c.posters[i].title, got[i].title) << c.file;
            EXPECT_EQ(c.posters[i].body, got[i].body) << c.file;
        }
    }
}
