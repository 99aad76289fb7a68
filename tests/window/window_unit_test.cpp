// The window unit through its entry points, with a stand-in runtime that
// records events and answers for handlers.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <fstream>
#include <iterator>
#include "runtime/core/libraries.h"
#include "runtime/core/runtime_state.h"
#include "runtime/units/button_data.h"
#include "runtime/units/edit_box_data.h"
#include "window_test_support.h"

using namespace windowtest;

namespace {

class WindowUnitTest : public testing::Test {
protected:
    void SetUp() override { FakeRuntime::Get().Install(); }
    void TearDown() override {
        for (WindowUnit* w : windows_)
            if (w && Unit::FromHandle(w->hwnd) == w) DestroyWindow(w->hwnd);
        Pump(20);
        FakeRuntime::Get().Clear();
    }
    WindowUnit* Make(const WindowProperties& p, int w = 300, int h = 200, HWND owner = nullptr) {
        WindowUnit* u = MakeWindow(p, 40, 40, w, h, owner);
        windows_.push_back(u);
        return u;
    }
    // The unit's own events (focus and other common events left out).
    std::vector<int> OwnEvents(uint32_t unit) const {
        std::vector<int> out;
        for (int n : rt.Numbers(unit))
            if (n >= 0) out.push_back(n);
        return out;
    }
    static bool Alive(WindowUnit* w, HWND h) { return IsWindow(h) && Unit::FromHandle(h) == w; }
    FakeRuntime& rt = FakeRuntime::Get();
    std::vector<WindowUnit*> windows_;
};

WindowProperties Plain() {
    WindowProperties p;
    p.caption = "window";
    p.startPosition = 0;
    return p;
}

PropertyValue Int(int32_t v) {
    PropertyValue pv;
    pv.words.low = static_cast<uint32_t>(v);
    pv.words.high = 0;
    return pv;
}

}  // namespace

TEST_F(WindowUnitTest, ClosingAsksEventTwelveThenOne) {
    WindowUnit* w = Make(Plain());
    ASSERT_NE(nullptr, w);
    HWND h = w->hwnd;
    auto closeKey = std::make_pair(kWindowUnitId, int(kWindowCloseRequested));
    auto canKey = std::make_pair(kWindowUnitId, int(kWindowCanClose));

    // Event 12 returning false: event 1 is never asked, the window stays.
    rt.results[closeKey] = 0;
    SendMessageA(h, WM_CLOSE, 0, 0);
    EXPECT_EQ(std::vector<int>{kWindowCloseRequested}, rt.Numbers());
    EXPECT_TRUE(Alive(w, h));

    // Event 1 returning false keeps it too; so does a refused session end.
    rt.events.clear();
    rt.results.erase(closeKey);
    rt.results[canKey] = 0;
    SendMessageA(h, WM_CLOSE, 0, 0);
    EXPECT_EQ((std::vector<int>{kWindowCloseRequested, kWindowCanClose}), rt.Numbers());
    EXPECT_TRUE(Alive(w, h));
    EXPECT_EQ(FALSE, SendMessageA(h, WM_QUERYENDSESSION, 0, 0));
    rt.results[canKey] = 1;
    EXPECT_EQ(TRUE, SendMessageA(h, WM_QUERYENDSESSION, 0, 0));

    // Handlers that return true or nothing: destroyed, with event 2 and the report.
    rt.events.clear();
    rt.results.clear();
    SendMessageA(h, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ((std::vector<int>{kWindowCloseRequested, kWindowCanClose, kWindowDestroying}), rt.Numbers());
    ASSERT_EQ(1u, rt.destroyed.size());
    EXPECT_EQ(std::make_pair(kFormId, kWindowUnitId), rt.destroyed[0]);
}

TEST_F(WindowUnitTest, HandlerThatDestroysTheWindowDuringCloseIsSafe) {
    WindowUnit* w = Make(Plain());
    HWND h = w->hwnd;
    rt.actions[{kWindowUnitId, kWindowCloseRequested}] = [h] { DestroyWindow(h); };
    SendMessageA(h, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ((std::vector<int>{kWindowCloseRequested, kWindowDestroying}), rt.Numbers());
}

TEST_F(WindowUnitTest, CreationStylesFollowBorderCaptionAndBoxes) {
    struct Case {
        int border;
        const char* caption;
        bool controlBox, maxBox, minBox;
        DWORD want, wantNot, wantEx, wantExNot;
    } cases[] = {
        // No border, no caption: no title bar at all.
        {0, "", true, false, false, WS_POPUP, WS_CAPTION | WS_DLGFRAME | WS_THICKFRAME, 0, WS_EX_TOOLWINDOW},
        // Fixed border, no caption, no control box: a dialog frame without title bar.
        {2, "", false, false, false, WS_DLGFRAME | WS_POPUP, WS_BORDER | WS_SYSMENU | WS_THICKFRAME, 0, 0},
        {2, "t", true, false, true, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, WS_THICKFRAME | WS_MAXIMIZEBOX | WS_POPUP,
         0, WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE},
        {1, "t", true, true, true, WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX, WS_POPUP, 0,
         WS_EX_TOOLWINDOW},
        {3, "t", true, false, false, WS_CAPTION | WS_THICKFRAME, 0, WS_EX_TOOLWINDOW, WS_EX_CLIENTEDGE},
        {4, "t", false, false, false, WS_CAPTION, WS_THICKFRAME | WS_SYSMENU, WS_EX_TOOLWINDOW, 0},
        {5, "t", true, false, false, WS_CAPTION | WS_THICKFRAME, 0, WS_EX_CLIENTEDGE, WS_EX_TOOLWINDOW},
        {6, "t", true, false, false, WS_CAPTION, WS_THICKFRAME, WS_EX_CLIENTEDGE, 0},
    };
    for (const Case& c : cases) {
        WindowProperties p = Plain();
        p.borderStyle = c.border;
        p.caption = c.caption;
        p.controlBox = c.controlBox;
        p.maxButton = c.maxBox;
        p.minButton = c.minBox;
        WindowUnit* w = Make(p);
        ASSERT_NE(nullptr, w);
        DWORD style = GetWindowLongA(w->hwnd, GWL_STYLE), ex = GetWindowLongA(w->hwnd, GWL_EXSTYLE);
        EXPECT_EQ(c.want, style & c.want) << "border " << c.border << " caption '" << c.caption << "'";
        EXPECT_EQ(0u, style & c.wantNot) << "border " << c.border << " caption '" << c.caption << "'";
        EXPECT_EQ(c.wantEx, ex & c.wantEx) << "border " << c.border;
        EXPECT_EQ(0u, ex & c.wantExNot) << "border " << c.border;
        EXPECT_TRUE(style & WS_CLIPCHILDREN);
        RECT r;
        GetWindowRect(w->hwnd, &r);
        EXPECT_EQ(300, r.right - r.left);
        EXPECT_EQ(200, r.bottom - r.top);
    }
}

TEST_F(WindowUnitTest, ClassCaptionOwnerAndPlacement) {
    ASSERT_EQ(936u, GetACP());
    WindowProperties p = Plain();
    p.caption = "测试窗口";
    p.startPosition = 1;
    WindowUnit* w = Make(p, 320, 240);
    char cls[64] = {};
    GetClassNameA(w->hwnd, cls, sizeof cls);
    EXPECT_STREQ("RZWindow", cls);
    wchar_t title[32] = {};
    GetWindowTextW(w->hwnd, title, 32);
    EXPECT_STREQ(L"测试窗口", title);
    RECT r;
    GetWindowRect(w->hwnd, &r);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 320) / 2, r.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 240) / 2, r.top);
    EXPECT_EQ(nullptr, GetWindow(w->hwnd, GW_OWNER));

    // Shown centred, the start position reads as 0; minimized as 2.
    ShowWindow(w->hwnd, SW_SHOWNORMAL);
    PropertyValue v;
    ASSERT_TRUE(w->GetProperty(kWpStartPosition, v));
    EXPECT_EQ(0, v.integer);
    ShowWindow(w->hwnd, SW_MINIMIZE);
    ASSERT_TRUE(w->GetProperty(kWpStartPosition, v));
    EXPECT_EQ(2, v.integer);

    // Another class name; no task-bar button means the hidden owner owns it.
    HWND hidden = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                                  nullptr);
    FakeRuntime::Get().hiddenOwner = hidden;
    p.className = "ImprintaTestClass";
    p.showInTaskbar = false;
    WindowUnit* owned = Make(p);
    GetClassNameA(owned->hwnd, cls, sizeof cls);
    EXPECT_STREQ("ImprintaTestClass", cls);
    EXPECT_EQ(hidden, GetWindow(owned->hwnd, GW_OWNER));
    EXPECT_EQ(0u, GetWindowLongA(owned->hwnd, GWL_STYLE) & WS_POPUP);

    // A window with an owner is a popup owned by it.
    WindowUnit* popup = Make(Plain(), 200, 100, w->hwnd);
    EXPECT_EQ(w->hwnd, GetWindow(popup->hwnd, GW_OWNER));
    EXPECT_TRUE(GetWindowLongA(popup->hwnd, GWL_STYLE) & WS_POPUP);
    DestroyWindow(owned->hwnd);
    imprinta::TheRuntime().hiddenOwner = nullptr;
    DestroyWindow(hidden);
}

TEST_F(WindowUnitTest, MaximizeAndRestoreThroughStartPosition) {
    // The start state the loader shows: maximized only when the window is resizable.
    WindowProperties start = Plain();
    start.startPosition = 3;
    EXPECT_EQ(SW_SHOWNORMAL, Make(start)->StartShowCommand());
    start.borderStyle = 1;
    WindowUnit* maximized = Make(start);
    EXPECT_EQ(SW_SHOWMAXIMIZED, maximized->StartShowCommand());
    EXPECT_TRUE(GetWindowLongA(maximized->hwnd, GWL_STYLE) & WS_MAXIMIZE);
    start.startPosition = 2;
    EXPECT_EQ(SW_SHOWMINIMIZED, Make(start)->StartShowCommand());

    WindowProperties p = Plain();
    p.borderStyle = 1;
    p.maxButton = true;
    WindowUnit* w = Make(p);
    ShowWindow(w->hwnd, SW_SHOWNORMAL);
    ASSERT_FALSE(w->SetProperty(kWpStartPosition, Int(3), nullptr));
    EXPECT_TRUE(IsZoomed(w->hwnd));
    RECT work, r;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(w->hwnd, &r);
    EXPECT_EQ(work.left, r.left);
    EXPECT_EQ(work.top, r.top);
    EXPECT_EQ(work.right, r.right);
    EXPECT_EQ(work.bottom, r.bottom);
    PropertyValue v;
    w->GetProperty(kWpStartPosition, v);
    EXPECT_EQ(3, v.integer);
    w->SetProperty(kWpStartPosition, Int(1), nullptr);
    EXPECT_FALSE(IsZoomed(w->hwnd));
    GetWindowRect(w->hwnd, &r);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2, r.left);
}

TEST_F(WindowUnitTest, ShapesBecomeWindowRegions) {
    WindowUnit* w = Make(Plain(), 300, 200);
    HRGN probe = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(ERROR, GetWindowRgn(w->hwnd, probe));  // shape 0: no region

    // Rounded corners of diameter 40 on 300 x 200: (4,4) lies outside, (8,8) inside.
    w->SetProperty(kWpShape, Int(2), nullptr);
    ASSERT_NE(ERROR, GetWindowRgn(w->hwnd, probe));
    EXPECT_FALSE(PtInRegion(probe, 4, 4));
    EXPECT_TRUE(PtInRegion(probe, 8, 8));
    EXPECT_TRUE(PtInRegion(probe, 150, 1));

    // After a resize to 300 x 100 the diameter is 20: (4,4) is now inside, (2,2) not.
    SetWindowPos(w->hwnd, nullptr, 0, 0, 300, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_NE(ERROR, GetWindowRgn(w->hwnd, probe));
    EXPECT_TRUE(PtInRegion(probe, 4, 4));
    EXPECT_FALSE(PtInRegion(probe, 1, 1));

    // Triangle pointing down (shape 5), scaled to 300 x 100.
    w->SetProperty(kWpShape, Int(5), nullptr);
    ASSERT_NE(ERROR, GetWindowRgn(w->hwnd, probe));
    EXPECT_TRUE(PtInRegion(probe, 150, 90));
    EXPECT_FALSE(PtInRegion(probe, 20, 90));
    EXPECT_TRUE(PtInRegion(probe, 20, 3));

    // Ring: the centre is cut out.
    w->SetProperty(kWpShape, Int(3), nullptr);
    ASSERT_NE(ERROR, GetWindowRgn(w->hwnd, probe));
    EXPECT_FALSE(PtInRegion(probe, 150, 50));
    EXPECT_TRUE(PtInRegion(probe, 150, 8));

    // Out of range clamps to 29; 0 removes the region.
    w->SetProperty(kWpShape, Int(77), nullptr);
    PropertyValue v;
    w->GetProperty(kWpShape, v);
    EXPECT_EQ(29, v.integer);
    w->SetProperty(kWpShape, Int(0), nullptr);
    EXPECT_EQ(ERROR, GetWindowRgn(w->hwnd, probe));
    DeleteObject(probe);
}

TEST_F(WindowUnitTest, ActivationEventsAreNotReentered) {
    constexpr uint32_t kOther = 0x06020000;
    WindowUnit* a = Make(Plain());
    WindowUnit* b = MakeWindow(Plain(), 400, 40, 200, 100, nullptr, 0, kOther);
    windows_.push_back(b);
    ShowWindow(a->hwnd, SW_SHOWNA);
    ShowWindow(b->hwnd, SW_SHOWNORMAL);
    SetActiveWindow(b->hwnd);
    Pump(30);
    auto activation = [&](uint32_t unit) {
        std::vector<int> out;
        for (int n : rt.Numbers(unit))
            if (n == kWindowActivated || n == kWindowDeactivated || n == kWindowFirstActivated) out.push_back(n);
        return out;
    };
    EXPECT_EQ((std::vector<int>{kWindowFirstActivated, kWindowActivated}), activation(kOther));
    EXPECT_TRUE(activation(kWindowUnitId).empty());

    // a's first activation fires 8 then 5; its handler hands the activation
    // back to b, and those nested changes fire nothing.
    bool once = false;
    rt.actions[{kWindowUnitId, kWindowActivated}] = [&] {
        if (once) return;
        once = true;
        SetActiveWindow(b->hwnd);
    };
    rt.events.clear();
    SetActiveWindow(a->hwnd);
    Pump(30);
    EXPECT_EQ((std::vector<int>{kWindowFirstActivated, kWindowActivated}), activation(kWindowUnitId));
    EXPECT_EQ(std::vector<int>{kWindowDeactivated}, activation(kOther));
    EXPECT_EQ(b->hwnd, GetActiveWindow());

    // Later changes fire 6 and 5 again, 8 never again.
    rt.events.clear();
    SetActiveWindow(a->hwnd);
    Pump(30);
    EXPECT_EQ(std::vector<int>{kWindowActivated}, activation(kWindowUnitId));
    EXPECT_EQ(std::vector<int>{kWindowDeactivated}, activation(kOther));
    rt.events.clear();
    SetActiveWindow(b->hwnd);
    Pump(30);
    EXPECT_EQ(std::vector<int>{kWindowDeactivated}, activation(kWindowUnitId));
}

TEST_F(WindowUnitTest, MoveSizeShowAndTrayEvents) {
    WindowUnit* w = Make(Plain());
    SetWindowPos(w->hwnd, nullptr, 60, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(w->hwnd, nullptr, 0, 0, 310, 210, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(w->hwnd, SW_SHOWNA);
    ShowWindow(w->hwnd, SW_HIDE);
    std::vector<int> seen = rt.Numbers();
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ((std::vector<int>{kWindowMoved, kWindowResized, kWindowShown}),
              std::vector<int>(seen.begin(), seen.begin() + 3));
    EXPECT_EQ(kWindowHidden, seen.back());

    rt.events.clear();
    for (UINT mouse : {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_CONTEXTMENU, WM_MOUSEMOVE, WM_LBUTTONDOWN})
        SendMessageA(w->hwnd, kTrayCallbackMessage, kTrayIconId, mouse);
    ASSERT_EQ(4u, rt.events.size());
    uint32_t want[] = {1, 2, 3, 3};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(kWindowTrayEvent, rt.events[i].number);
        EXPECT_EQ(std::vector<uint32_t>{want[i]}, rt.events[i].args);
    }
}

TEST_F(WindowUnitTest, TabEnterAndEscape) {
    WindowUnit* w = Make(Plain());
    TestUnit* edit = AddUnit(w, 0x01000011, "EDIT", 10, 10, 100, 20, 0x80000040);
    AddUnit(w, 0x01000012, "STATIC", 10, 40, 100, 20, 0x84012040);  // skipped by Tab
    TestUnit* off = AddUnit(w, 0x01000013, "BUTTON", 10, 70, 100, 20, 0x80000840, WS_TABSTOP | WS_DISABLED);
    TestUnit* button = AddUnit(w, 0x01000014, "BUTTON", 10, 100, 100, 20, 0x80000840);
    off->defaultButton = true;
    button->defaultButton = true;
    ShowWindow(w->hwnd, SW_SHOWNORMAL);
    SetActiveWindow(w->hwnd);
    SetFocus(edit->hwnd);

    MSG tab = MakeMsg(edit->hwnd, WM_KEYDOWN, VK_TAB);
    EXPECT_TRUE(PreTranslate(tab));
    EXPECT_EQ(button->hwnd, GetFocus());
    tab.hwnd = button->hwnd;
    EXPECT_TRUE(PreTranslate(tab));  // wraps around
    EXPECT_EQ(edit->hwnd, GetFocus());
    SetShift(true);
    tab.hwnd = edit->hwnd;
    EXPECT_TRUE(PreTranslate(tab));
    EXPECT_EQ(button->hwnd, GetFocus());
    SetShift(false);

    // Enter in the edit box: the first visible, enabled default button fires event 0.
    SetFocus(edit->hwnd);
    rt.events.clear();
    MSG enter = MakeMsg(edit->hwnd, WM_KEYDOWN, VK_RETURN);
    EXPECT_TRUE(PreTranslate(enter));
    EXPECT_EQ(std::vector<int>{0}, OwnEvents(button->unitId));
    EXPECT_TRUE(rt.Numbers(off->unitId).empty());

    // A unit that wants Enter keeps it: not handled, no events.
    edit->wantedKey = VK_RETURN;
    rt.events.clear();
    EXPECT_FALSE(PreTranslate(enter));
    EXPECT_TRUE(OwnEvents(button->unitId).empty());
    edit->wantedKey = 0;

    // Enter moves the focus when asked to.
    PropertyValue yes;
    yes.words.low = 1;
    yes.words.high = 0;
    w->SetProperty(kWpEnterMovesFocus, yes, nullptr);
    rt.events.clear();
    EXPECT_TRUE(PreTranslate(enter));
    EXPECT_EQ(button->hwnd, GetFocus());
    // ... but the focused default button still fires itself.
    enter.hwnd = button->hwnd;
    rt.events.clear();
    EXPECT_TRUE(PreTranslate(enter));
    EXPECT_EQ(std::vector<int>{0}, OwnEvents(button->unitId));

    // Esc closes (the edit box does not want Esc); event 12 refusing keeps the window.
    SetFocus(edit->hwnd);
    rt.events.clear();
    rt.results[{kWindowUnitId, kWindowCloseRequested}] = 0;
    MSG esc = MakeMsg(edit->hwnd, WM_KEYDOWN, VK_ESCAPE);
    EXPECT_TRUE(PreTranslate(esc));
    EXPECT_EQ(std::vector<int>{kWindowCloseRequested}, OwnEvents(kWindowUnitId));
    PropertyValue no = Int(0);
    w->SetProperty(kWpEscCloses, no, nullptr);
    rt.events.clear();
    EXPECT_FALSE(PreTranslate(esc));
    EXPECT_TRUE(OwnEvents(kWindowUnitId).empty());
}

TEST_F(WindowUnitTest, CommonEventsAndDragging) {
    WindowProperties p = Plain();
    p.dragAnywhere = true;
    WindowUnit* w = Make(p);
    TestUnit* label = AddUnit(w, 0x01000021, "STATIC", 10, 10, 100, 20, 0x84012040 | kTypeDragsWindow, 0);
    TestUnit* button = AddUnit(w, 0x01000022, "BUTTON", 10, 40, 100, 20, 0x80000840);
    ShowWindow(w->hwnd, SW_SHOWNORMAL);
    MSG peek;
    while (PeekMessageA(&peek, nullptr, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE)) {
    }

    auto dragPosted = [&] {
        bool posted = PeekMessageA(&peek, w->hwnd, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE) &&
                      peek.wParam == HTCAPTION;
        while (PeekMessageA(&peek, nullptr, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE)) {
        }
        return posted;
    };
    MSG down = MakeMsg(w->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 150));
    EXPECT_FALSE(PreTranslate(down));
    EXPECT_TRUE(dragPosted());
    down.hwnd = label->hwnd;
    down.lParam = MAKELPARAM(5, 6);
    rt.events.clear();
    EXPECT_FALSE(PreTranslate(down));
    EXPECT_TRUE(dragPosted());
    // The label's own left-button event fires with its coordinates.
    ASSERT_EQ(1u, rt.events.size());
    EXPECT_EQ(label->unitId, rt.events[0].unitId);
    EXPECT_EQ(kEventLeftDown, rt.events[0].number);
    EXPECT_EQ(5u, rt.events[0].args[0]);
    EXPECT_EQ(6u, rt.events[0].args[1]);
    down.hwnd = button->hwnd;
    EXPECT_FALSE(PreTranslate(down));
    EXPECT_FALSE(dragPosted());

    // A handler returning false swallows the message; the window's own events use unit id of the window.
    rt.results[{button->unitId, kEventLeftDown}] = 0;
    EXPECT_TRUE(PreTranslate(down));
    rt.events.clear();
    MSG key = MakeMsg(w->hwnd, WM_KEYDOWN, VK_NUMPAD7);
    EXPECT_FALSE(PreTranslate(key));
    ASSERT_EQ(1u, rt.events.size());
    EXPECT_EQ(kWindowUnitId, rt.events[0].unitId);
    EXPECT_EQ(kEventKeyDown, rt.events[0].number);
    EXPECT_EQ(uint32_t('7'), rt.events[0].args[0]);
    w->SetProperty(kWpDragAnywhere, Int(0), nullptr);
    down.hwnd = w->hwnd;
    PreTranslate(down);
    EXPECT_FALSE(dragPosted());
}

TEST_F(WindowUnitTest, IconsComeFromDataOrTheProgram) {
    WindowUnit* plain = Make(Plain());
    HICON programBig = reinterpret_cast<HICON>(SendMessageA(plain->hwnd, WM_GETICON, ICON_BIG, 0));
    EXPECT_NE(nullptr, programBig);  // the DEFAULT_ICON resource linked into this program
    EXPECT_NE(nullptr, reinterpret_cast<HICON>(SendMessageA(plain->hwnd, WM_GETICON, ICON_SMALL, 0)));

    std::string source = getenv("IMPRINTA_SOURCE") ? getenv("IMPRINTA_SOURCE") : "";
    std::ifstream in(("Z:" + source + "/app/resources/imprinta.ico").c_str(), std::ios::binary);
    std::vector<uint8_t> ico((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(ico.size(), 100u);
    WindowProperties p = Plain();
    p.icon.Assign(ico.data(), ico.size());
    WindowUnit* w = Make(p);
    HICON big = reinterpret_cast<HICON>(SendMessageA(w->hwnd, WM_GETICON, ICON_BIG, 0));
    HICON small = reinterpret_cast<HICON>(SendMessageA(w->hwnd, WM_GETICON, ICON_SMALL, 0));
    ASSERT_NE(nullptr, big);
    ASSERT_NE(nullptr, small);
    EXPECT_NE(programBig, big);
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(small, &info));
    BITMAP bm;
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), bm.bmWidth);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    // Entry point 7 hands back the icon bytes of stored data; broken icon data
    // falls back to the program's icon.
    std::vector<uint8_t> stored;
    ASSERT_TRUE(SavePropertyData(p, stored));
    auto iconData = reinterpret_cast<IconDataFn>(WindowEntryLookup(kEntryIconData));
    uint32_t size = 0;
    HGLOBAL block = iconData(stored.data(), static_cast<uint32_t>(stored.size()), &size);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(ico.size(), size);
    EXPECT_EQ(0, memcmp(GlobalLock(block), ico.data(), size));
    GlobalUnlock(block);
    GlobalFree(block);
    ico.resize(40);
    PropertyValue v;
    v.data.bytes = ico.data();
    v.data.count = static_cast<uint32_t>(ico.size());
    w->SetProperty(kWpIcon, v, nullptr);
    EXPECT_EQ(programBig, reinterpret_cast<HICON>(SendMessageA(w->hwnd, WM_GETICON, ICON_BIG, 0)));
}

TEST_F(WindowUnitTest, PropertiesRoundTripThroughStoredData) {
    WindowUnit* w = Make(Plain());
    PropertyValue text;
    text.text = "new caption";
    w->SetProperty(kWpCaption, text, nullptr);
    char title[32] = {};
    GetWindowTextA(w->hwnd, title, sizeof title);
    EXPECT_STREQ("new caption", title);
    w->SetProperty(kWpBorderStyle, Int(9), nullptr);
    w->SetProperty(kWpBackColor, Int(0x00336699), nullptr);
    w->SetProperty(kWpPlayCount, Int(-4), nullptr);
    w->SetProperty(kWpMaxButton, Int(1), nullptr);
    EXPECT_TRUE(GetWindowLongA(w->hwnd, GWL_STYLE) & WS_MAXIMIZEBOX);
    PropertyValue v;
    EXPECT_FALSE(w->GetProperty(kWindowOwnPropertyCount, v));

    auto getAll = reinterpret_cast<GetAllPropertyDataFn>(WindowEntryLookup(kEntryGetAllPropertyData));
    uint32_t size = 0;
    HGLOBAL block = getAll(w, &size);
    ASSERT_NE(nullptr, block);
    WindowProperties back;
    ASSERT_TRUE(LoadPropertyData(back, static_cast<const uint8_t*>(GlobalLock(block)), size));
    GlobalUnlock(block);
    GlobalFree(block);
    EXPECT_EQ("new caption", back.caption);
    EXPECT_EQ(6, back.borderStyle);
    EXPECT_EQ(0x00336699u, back.backColor);
    EXPECT_EQ(0, back.playCount);
    EXPECT_TRUE(back.maxButton);
    EXPECT_TRUE(GetWindowLongA(w->hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    // Stored data of a later version is refused: no window.
    std::vector<uint8_t> data;
    WindowProperties p = Plain();
    SavePropertyData(p, data);
    data[0] = 7;
    auto create = reinterpret_cast<CreateUnitFn>(WindowEntryLookup(kEntryCreateUnit));
    EXPECT_EQ(nullptr, create(data.data(), static_cast<uint32_t>(data.size()), 0, nullptr, 0, nullptr, 0, 0, 100,
                              100, kFormId, kWindowUnitId, nullptr, FALSE));
}

TEST_F(WindowUnitTest, BackgroundColourAndPicture) {
    // A 2 x 2 bottom-up 24-bit BMP: blue, green / red, white (top row first once decoded: red, white).
    const uint8_t bmp[] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1,
                           0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0,
                           0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
    WindowProperties p = Plain();
    p.borderStyle = 0;
    p.backColor = 0x000000FF;  // red
    p.backPictureMode = 0;
    WindowUnit* w = Make(p, 200, 150);
    SetWindowPos(w->hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    UpdateWindow(w->hwnd);
    Pump(50);
    HDC dc = GetDC(w->hwnd);
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 100, 100));
    PropertyValue v;
    v.data.bytes = bmp;
    v.data.count = sizeof bmp;
    w->SetProperty(kWpBackPicture, v, nullptr);
    UpdateWindow(w->hwnd);
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(dc, 0, 1));    // bottom-left pixel: blue
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 1, 0));  // top-right: white
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 100, 100));  // the rest: the colour
    w->SetProperty(kWpBackPictureMode, Int(1), nullptr);  // tiled
    UpdateWindow(w->hwnd);
    EXPECT_EQ(RGB(0, 255, 0), GetPixel(dc, 101, 101));
    ReleaseDC(w->hwnd, dc);

    RECT r = WindowBackground::CentredRect(400, 100, 200, 200);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(75, r.top);
    EXPECT_EQ(200, r.right);
    EXPECT_EQ(125, r.bottom);
    r = WindowBackground::CentredRect(20, 10, 200, 200);
    EXPECT_EQ(90, r.left);
    EXPECT_EQ(95, r.top);
}

TEST_F(WindowUnitTest, TopmostMovableTrayAndHelpOptions) {
    WindowProperties p = Plain();
    p.alwaysOnTop = true;
    p.movable = false;
    WindowUnit* w = Make(p);
    EXPECT_TRUE(GetWindowLongA(w->hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(UINT(-1), GetMenuState(GetSystemMenu(w->hwnd, FALSE), SC_MOVE, MF_BYCOMMAND));
    w->SetProperty(kWpAlwaysOnTop, Int(0), nullptr);
    EXPECT_FALSE(GetWindowLongA(w->hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    w->SetProperty(kWpMovable, Int(1), nullptr);
    EXPECT_NE(UINT(-1), GetMenuState(GetSystemMenu(w->hwnd, FALSE), SC_MOVE, MF_BYCOMMAND));

    // Tray icon: added once, modified after, removed with the window.
    HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
    EXPECT_TRUE(w->SetTrayIcon(icon, "一个很长的提示文字一个很长的提示文字一个很长的提示文字一个很长的提示文字"));
    EXPECT_TRUE(w->hasTrayIcon());
    EXPECT_TRUE(w->SetTrayIcon(icon, "tip"));
    EXPECT_TRUE(w->SetTrayIcon(nullptr, nullptr));
    EXPECT_FALSE(w->hasTrayIcon());

    // F1 without the option, or with a help file that does not exist, goes on as usual.
    MSG f1 = MakeMsg(w->hwnd, WM_KEYDOWN, VK_F1);
    EXPECT_FALSE(PreTranslate(f1));
    PropertyValue on = Int(1), file;
    file.text = "no-such-help-file.hlp";
    w->SetProperty(kWpF1Help, on, nullptr);
    w->SetProperty(kWpHelpFile, file, nullptr);
    EXPECT_FALSE(PreTranslate(f1));
}

namespace {

// A real unit of the core library, made through its type's create entry point.
Unit* MakeRealUnit(WindowUnit* w, int typeNumber, uint32_t unitId, PropertyData& data, int y) {
    const TypeDescriptor* type = &CoreLibraryTypes[typeNumber - 1];
    FakeRuntime::Get().unitFlags[unitId] = type->flags;
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(SavePropertyData(data, bytes));
    auto create = LookupEntry<CreateUnitFn>(type, kEntryCreateUnit);
    EXPECT_NE(nullptr, create);
    if (!create) return nullptr;
    void* u = create(bytes.data(), static_cast<uint32_t>(bytes.size()), WS_TABSTOP, w->hwnd, 100 + (unitId & 0xFF),
                     nullptr, 10, y, 150, 40, kFormId, unitId, nullptr, FALSE);
    EXPECT_NE(nullptr, u);
    if (u) ShowWindow(static_cast<Unit*>(u)->hwnd, SW_SHOWNA);
    return static_cast<Unit*>(u);
}

}  // namespace

TEST_F(WindowUnitTest, EnterAndEscWithRealEditBoxesAndButtons) {
    WindowUnit* w = Make(Plain(), 300, 260);
    imprinta::units::EditBoxData multi, single;
    multi.multiline = true;
    imprinta::units::ButtonData defaultButton;
    defaultButton.buttonType = 1;
    Unit* multiEdit = MakeRealUnit(w, 5, 0x01000031, multi, 10);
    Unit* singleEdit = MakeRealUnit(w, 5, 0x01000032, single, 60);
    Unit* button = MakeRealUnit(w, 11, 0x01000033, defaultButton, 110);
    ASSERT_TRUE(multiEdit && singleEdit && button);
    ShowWindow(w->hwnd, SW_SHOWNORMAL);
    SetActiveWindow(w->hwnd);

    // A multi-line, writable edit box keeps Enter.
    SetFocus(multiEdit->hwnd);
    rt.events.clear();
    MSG enter = MakeMsg(GetFocus(), WM_KEYDOWN, VK_RETURN);
    EXPECT_FALSE(PreTranslate(enter));
    EXPECT_TRUE(OwnEvents(button->unitId).empty());
    // A single-line one does not: the default button fires.
    SetFocus(singleEdit->hwnd);
    enter.hwnd = GetFocus();
    EXPECT_TRUE(PreTranslate(enter));
    EXPECT_EQ(std::vector<int>{0}, OwnEvents(button->unitId));
    // Tab goes from the single-line box to the button.
    MSG tab = MakeMsg(GetFocus(), WM_KEYDOWN, VK_TAB);
    EXPECT_TRUE(PreTranslate(tab));
    EXPECT_EQ(button->hwnd, GetFocus());
    // Esc with an edit box focused still closes.
    SetFocus(multiEdit->hwnd);
    rt.events.clear();
    MSG esc = MakeMsg(GetFocus(), WM_KEYDOWN, VK_ESCAPE);
    HWND h = w->hwnd;
    EXPECT_TRUE(PreTranslate(esc));
    EXPECT_FALSE(IsWindow(h));
    std::vector<int> closing;  // the destroyed window also loses the activation (6)
    for (int n : OwnEvents(kWindowUnitId))
        if (n != kWindowDeactivated) closing.push_back(n);
    EXPECT_EQ((std::vector<int>{kWindowCloseRequested, kWindowCanClose, kWindowDestroying}), closing);
}

namespace {

// A short, silent 8-bit mono wave file.
std::vector<uint8_t> SilentWave() {
    const uint32_t samples = 800;
    std::vector<uint8_t> w;
    auto word = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) w.push_back(uint8_t(v >> (8 * i)));
    };
    auto tag = [&](const char* t) { w.insert(w.end(), t, t + 4); };
    tag("RIFF");
    word(36 + samples, 4);
    tag("WAVE");
    tag("fmt ");
    word(16, 4);
    word(1, 2);
    word(1, 2);
    word(8000, 4);
    word(8000, 4);
    word(1, 2);
    word(8, 2);
    tag("data");
    word(samples, 4);
    w.insert(w.end(), samples, 0x80);
    return w;
}

}  // namespace

TEST_F(WindowUnitTest, BackgroundMusicAndTransparentUnits) {
    std::vector<uint8_t> wave = SilentWave();
    WindowProperties p = Plain();
    p.backMusic.Assign(wave.data(), wave.size());
    WindowUnit* w = Make(p);
    bool player = w->musicPlaying();  // false only where the system has no wave output
    std::printf("wave player available: %d\n", player);
    // "Do not play" stops it; MIDI data is kept but never played.
    w->SetProperty(kWpPlayCount, Int(2), nullptr);
    EXPECT_FALSE(w->musicPlaying());
    w->SetProperty(kWpPlayCount, Int(1), nullptr);
    EXPECT_EQ(player, w->musicPlaying());
    const uint8_t midi[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96};
    PropertyValue v;
    v.data.bytes = midi;
    v.data.count = sizeof midi;
    w->SetProperty(kWpBackMusic, v, nullptr);
    EXPECT_FALSE(w->musicPlaying());
    PropertyValue back;
    ASSERT_TRUE(w->GetProperty(kWpBackMusic, back));
    EXPECT_EQ(sizeof midi, back.data.count);

    // Repainting the background makes transparent units repaint over it.
    HWND clear = CreateWindowExA(WS_EX_TRANSPARENT, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 50, 20, w->hwnd,
                                 nullptr, nullptr, nullptr);
    HWND solid = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 40, 50, 20, w->hwnd, nullptr, nullptr,
                                 nullptr);
    ShowWindow(w->hwnd, SW_SHOWNA);
    UpdateWindow(w->hwnd);
    Pump(30);
    ValidateRect(clear, nullptr);
    ValidateRect(solid, nullptr);
    RECT part = {0, 0, 200, 30};  // covers the transparent unit only
    InvalidateRect(w->hwnd, &part, FALSE);
    SendMessageA(w->hwnd, WM_PAINT, 0, 0);  // the window's paint alone, children not yet painted
    EXPECT_TRUE(GetUpdateRect(clear, nullptr, FALSE));
    EXPECT_FALSE(GetUpdateRect(solid, nullptr, FALSE));
}
