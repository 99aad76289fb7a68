// How the main window shows its units: no unit painted over by a sibling, and
// the buttons under the usage note taking the mouse.
#include <gtest/gtest.h>
#include "app_driver.h"

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
