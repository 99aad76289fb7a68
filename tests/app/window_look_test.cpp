// How the main window shows its units: no unit painted over by a sibling, the
// buttons under the usage note taking the mouse, the skin's faces where the
// system would draw its own, and the keyboard still working under the skin.
#include <gtest/gtest.h>
#include <set>
#include "app/resources/stored_resources.h"
#include "app/skin/skin_format.h"
#include "app_driver.h"
#include "runtime/base/value.h"

using namespace apptest;

namespace {

bool IsSeeThrough(HWND h) { return (GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0; }

bool IsGroupBox(HWND h) {
    char cls[16] = {};
    GetClassNameA(h, cls, sizeof cls);
    return _stricmp(cls, "Button") == 0 && (GetWindowLongA(h, GWL_STYLE) & 0x0F) == BS_GROUPBOX;
}

RECT ClientOnScreen(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Repaints the whole window and gives the program time to paint.
void RepaintAll(Program& program) {
    RedrawWindow(program.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    for (int i = 0; i < 3; ++i) {
        Sleep(250);
        program.Sync();
    }
}

// Pixels that differ, and where the first one is (x, y in the rectangle).
struct Difference {
    int count = 0, x = -1, y = -1;
};
Difference Compare(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int width) {
    Difference d;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] == b[i]) continue;
        if (d.count++ == 0) d.x = static_cast<int>(i) % width, d.y = static_cast<int>(i) / width;
    }
    return d;
}

void MouseButton(DWORD flags) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
}

void KeyEvent(WORD vk, DWORD flags) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD, in.ki.wVk = vk, in.ki.dwFlags = flags;
    SendInput(1, &in, sizeof in);
}

// A key pressed and released at typing speed.
void Key(WORD vk) {
    KeyEvent(vk, 0);
    Sleep(100);
    KeyEvent(vk, KEYEVENTF_KEYUP);
}

skin::Colours Theme() {
    skin::Colours c = {};
    skin::Parse(ByteSetData(SkinResource), ByteSetLength(SkinResource), &c);
    return c;
}

// A theme colour (0x00BBGGRR) as the screen captures show it (0x00RRGGBB).
uint32_t OnScreen(uint32_t colour) {
    return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

uint32_t PixelAt(int x, int y) {
    RECT r = {x, y, x + 1, y + 1};
    return CaptureScreen(r)[0];
}

BOOL CALLBACK FindVisibleDropList(HWND h, LPARAM found) {
    char cls[16] = {};
    GetClassNameA(h, cls, sizeof cls);
    if (_stricmp(cls, "ComboLBox") == 0 && IsWindowVisible(h)) *reinterpret_cast<HWND*>(found) = h;
    return TRUE;
}

// The program's open drop-down list, if one is on the screen.
HWND OpenDropList(HWND window) {
    HWND found = nullptr;
    EnumThreadWindows(GetWindowThreadProcessId(window, nullptr), FindVisibleDropList, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

}  // namespace

// Each opaque unit inside the window looks the same with every see-through
// unit hidden: nothing is drawn into it from outside.
TEST(WindowLook, NoUnitIsPaintedOverByAnother) {
    Program program;
    ASSERT_EQ("", program.Start(NewProgramFolder("look")));
    RECT client = ClientOnScreen(program.window());
    struct Shown {
        HWND unit;
        RECT rect;
        std::vector<uint32_t> before;
    };
    std::vector<Shown> opaque;
    std::vector<HWND> seeThrough;
    for (HWND h : program.AllChildren()) {
        if (!IsWindowVisible(h)) continue;
        if (IsSeeThrough(h)) {
            seeThrough.push_back(h);
            continue;
        }
        RECT r, inside;
        GetWindowRect(h, &r);
        if (IsGroupBox(h) || !IntersectRect(&inside, &r, &client)) continue;
        opaque.push_back({h, inside, {}});
    }
    ASSERT_GT(opaque.size(), 20u);
    ASSERT_GT(seeThrough.size(), 10u);
    RepaintAll(program);
    for (Shown& s : opaque) s.before = CaptureScreen(s.rect);
    for (HWND h : seeThrough) ShowWindowAsync(h, SW_HIDE);
    RepaintAll(program);
    for (const Shown& s : opaque) {
        char cls[32] = {};
        GetClassNameA(s.unit, cls, sizeof cls);
        // A caret may blink in between; a caption drawn in covers far more.
        Difference d = Compare(s.before, CaptureScreen(s.rect), s.rect.right - s.rect.left);
        EXPECT_LE(d.count, 40) << cls << " at " << s.rect.left - client.left << "," << s.rect.top - client.top
                               << ", first difference at " << d.x << "," << d.y;
    }
    for (HWND h : seeThrough) ShowWindowAsync(h, SW_SHOWNA);
    EXPECT_EQ(0, program.Close());
}

// A press on each button under the usage note reaches the button (it shows
// pushed); the release lands outside it, so nothing is clicked.
TEST(WindowLook, ButtonsUnderTheNoteTakeTheMouse) {
    Program program;
    ASSERT_EQ("", program.Start(NewProgramFolder("note-buttons")));
    RECT client = ClientOnScreen(program.window());
    for (U button : {U::AddTextsButton, U::ExportButton, U::PreviewButton}) {
        HWND h = program.unit(button);
        RECT r;
        GetWindowRect(h, &r);
        LRESULT state = 0;
        // Synthetic input can be lost while the machine is busy: a second press
        // is allowed, but each must land on the button.
        for (int attempt = 0; attempt < 2 && !(state & BST_PUSHED); ++attempt) {
            if (attempt) MouseButton(MOUSEEVENTF_LEFTUP);
            SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            program.Sync();
            MouseButton(MOUSEEVENTF_LEFTDOWN);
            for (int i = 0; i < 60 && !(state & BST_PUSHED); ++i) {
                Sleep(50);
                program.Sync();
                state = SendMessageW(h, BM_GETSTATE, 0, 0);
            }
        }
        EXPECT_TRUE(state & BST_PUSHED) << Ansi(program.Text(button));
        SetCursorPos(client.left + 300, client.top + 300);  // over the preview
        MouseButton(MOUSEEVENTF_LEFTUP);
        Sleep(100);
        program.Sync();
    }
    SetCursorPos(0, 0);  // no tooltip left over the preview for the next tests
    EXPECT_EQ(0, program.Close());
}

// Pixels the skin paints where the system would draw its own colours: the open
// list's highlighted item, its other items and its frame, a colour picker's
// arrow part and frame, a disabled button's face and caption, the transparent
// labels' text.
TEST(WindowLook, SkinnedListHighlightAndDisabledButton) {
    Program program;
    ASSERT_EQ("", program.Start(NewProgramFolder("skinned-faces")));
    const skin::Colours theme = Theme();

    HWND combo = program.unit(U::TitleFont);
    ASSERT_GT(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
    SendMessageW(combo, CB_SETCURSEL, 1, 0);
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    RepaintAll(program);
    HWND list = OpenDropList(program.window());
    ASSERT_NE(nullptr, list);
    const int selected = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
    const int top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    const int height = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    ASSERT_EQ(1, selected);
    POINT origin = {0, 0};
    ClientToScreen(list, &origin);
    auto itemPixel = [&](int item) { return PixelAt(origin.x + 1, origin.y + (item - top) * height + height / 2); };
    RECT frame, picker;
    GetWindowRect(list, &frame);
    GetWindowRect(program.unit(U::TitleColour), &picker);
    struct Sample {
        const char* what;
        uint32_t seen, expected;
    } samples[] = {
        {"highlighted item", itemPixel(selected), OnScreen(theme.accent)},
        {"item above", itemPixel(selected - 1), OnScreen(theme.face)},
        {"item below", itemPixel(selected + 1), OnScreen(theme.face)},
        {"list frame", PixelAt(frame.left, (frame.top + frame.bottom) / 2), OnScreen(theme.border)},
        {"colour picker's arrow part", PixelAt(picker.right - 4, picker.top + 3), OnScreen(theme.button)},
        {"colour picker's frame", PixelAt(picker.right - 1, picker.top + 3), OnScreen(theme.border)},
    };
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);

    HWND button = program.unit(U::PreviewButton);
    EnableWindow(button, FALSE);
    RepaintAll(program);
    RECT r;
    GetWindowRect(button, &r);
    const std::vector<uint32_t> face = CaptureScreen(r);
    int enabledInk = 0, disabledInk = 0;
    for (uint32_t p : face) {
        enabledInk += p == OnScreen(theme.text);
        disabledInk += p == OnScreen(theme.disabledText);
    }
    EnableWindow(button, TRUE);
    // The transparent labels, left in the units' default black, write in the theme's text colour.
    int labels = 0, themeInk = 0, blackInk = 0;
    for (HWND h : program.AllChildren()) {
        char cls[16] = {};
        GetClassNameA(h, cls, sizeof cls);
        if (_stricmp(cls, "QXTransLabel") != 0 || !IsWindowVisible(h)) continue;
        ++labels;
        RECT l;
        GetWindowRect(h, &l);
        int theme0 = themeInk, black0 = blackInk;
        for (uint32_t p : CaptureScreen(l)) themeInk += p == OnScreen(theme.text), blackInk += p == 0;
        // Black there is the text of the units a label overlaps.
        EXPECT_GT(themeInk - theme0, blackInk - black0) << "label at " << l.left << "," << l.top;
    }
    EXPECT_GT(labels, 10);
    EXPECT_GT(themeInk, 20 * labels) << "labels' text";
    for (const Sample& s : samples) EXPECT_EQ(s.expected, s.seen) << s.what << std::hex << " 0x" << s.seen;
    EXPECT_EQ(OnScreen(theme.button), face[6 * (r.right - r.left) + 12]) << "disabled face";
    EXPECT_EQ(0, enabledInk) << "disabled caption in the enabled text colour";
    EXPECT_GT(disabledInk, 10) << "disabled caption";
    EXPECT_EQ(0, program.Close());
}

// With the skin attached, Tab walks through the window's controls and Space
// on a focused button presses it (Enter presses only a default button, and
// the window has none).
TEST(WindowLook, KeyboardMovesTheFocusAndPressesButtons) {
    Program program;
    const std::string folder = NewProgramFolder("keyboard");
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 120, 80, 200, 220, 240));  // something to export
    ASSERT_EQ("", program.Start(folder));
    SetForegroundWindow(program.window());
    program.Sync();
    auto owner = [](HWND focus) {  // a combo box's edit field stands for the combo box
        HWND parent = GetParent(focus);
        char cls[16] = {};
        GetClassNameA(parent, cls, sizeof cls);
        return _stricmp(cls, "ComboBox") == 0 ? parent : focus;
    };
    auto tab = [&](HWND from) {
        Key(VK_TAB);
        HWND now = from;
        for (int i = 0; i < 40 && now == from; ++i) {
            Sleep(50);
            program.Sync();
            now = owner(FocusOf(program.window()));
        }
        return now;
    };
    std::set<HWND> visited;
    HWND focus = owner(FocusOf(program.window()));
    for (int i = 0; i < 40; ++i) visited.insert(focus = tab(focus));
    const U reached[] = {U::TemplatePath, U::TitleText, U::TitleFont, U::TitleColour, U::TitleSize,
                         U::TitleX,       U::BodyFont,  U::BodyColour, U::BodyX,      U::ExportButton,
                         U::AddTextsButton, U::PreviewButton, U::ExportAllButton, U::TutorialButton};
    for (U u : reached) EXPECT_TRUE(visited.count(program.unit(u))) << "never focused: " << static_cast<int>(u);

    const std::string exported = folder + "公众号Brightquill 关注获取更多项目和软件.png";
    for (int i = 0; i < 40 && focus != program.unit(U::ExportButton); ++i) focus = tab(focus);
    ASSERT_EQ(program.unit(U::ExportButton), focus);
    DeleteFileA(exported.c_str());
    // Held, the button shows pushed; released, it is pressed.
    KeyEvent(VK_SPACE, 0);
    LRESULT state = 0;
    for (int i = 0; i < 60 && !(state & BST_PUSHED); ++i) {
        Sleep(50);
        program.Sync();
        state = SendMessageW(focus, BM_GETSTATE, 0, 0);
    }
    EXPECT_TRUE(state & BST_PUSHED) << "Space did not push the focused button";
    KeyEvent(VK_SPACE, KEYEVENTF_KEYUP);
    for (int i = 0; i < 100 && !FileExistsA(exported); ++i) {
        Sleep(50);
        program.Sync();
    }
    EXPECT_TRUE(FileExistsA(exported)) << "Space did not press the focused button";
    EXPECT_EQ(0, program.Close());
}
