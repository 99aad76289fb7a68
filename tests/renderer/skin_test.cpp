// The skin library: its resource format, its extraction next to the program,
// and the theme it gives the windows of the attaching thread.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include <vector>
#include "app/render/renderer.h"
#include "app/resources/stored_resources.h"
#include "app/platform/runtime_calls.h"
#include "app/skin/skin_format.h"
#include "app/window/skin_attach.h"
#include "runtime/core/runtime_interface.h"
#include "picture_io.h"

namespace {

std::string SkinPath() {
    char* dir = app::RunDirectory();
    std::string path = std::string(dir ? dir : "") + "\\SkinH_QX.dll";
    FreeMemory(dir);
    return path;
}

void RemoveSkinFile() {
    SetFileAttributesA(SkinPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(SkinPath().c_str());
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::vector<uint8_t> data;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return data;
    data.resize(GetFileSize(h, nullptr));
    DWORD got = 0;
    if (!data.empty()) ReadFile(h, data.data(), static_cast<DWORD>(data.size()), &got, nullptr);
    data.resize(got);
    CloseHandle(h);
    return data;
}

COLORREF BrushColour(LRESULT brush) {
    LOGBRUSH lb = {};
    GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof lb, &lb);
    return lb.lbColor;
}

skin::Colours Theme() {
    skin::Colours c = {};
    skin::Parse(ByteSetData(SkinResource), ByteSetLength(SkinResource), &c);
    return c;
}

// A parent that answers its own colour for one child and leaves the rest to the system.
HBRUSH ownBrush = nullptr;
constexpr int kOwnColourId = 77;
LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CTLCOLORSTATIC && GetDlgCtrlID(reinterpret_cast<HWND>(lp)) == kOwnColourId) {
        SetTextColor(reinterpret_cast<HDC>(wp), RGB(1, 2, 3));
        return reinterpret_cast<LRESULT>(ownBrush);
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

struct TestWindow {
    HWND parent = nullptr, label = nullptr, own = nullptr, edit = nullptr, group = nullptr, button = nullptr;
    explicit TestWindow(int left = 40, int top = 40) {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = ParentProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
            wc.lpszClassName = "SkinTestParent";
            RegisterClassA(&wc);
            registered = true;
        }
        parent = CreateWindowExA(0, "SkinTestParent", "skin", WS_OVERLAPPEDWINDOW | WS_VISIBLE, left, top, 320, 200,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        label = CreateWindowExA(0, "STATIC", "Label", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, parent, nullptr,
                                nullptr, nullptr);
        own = CreateWindowExA(0, "STATIC", "Own", WS_CHILD | WS_VISIBLE, 10, 40, 100, 20, parent,
                              reinterpret_cast<HMENU>(kOwnColourId), nullptr, nullptr);
        edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "Edit", WS_CHILD | WS_VISIBLE, 10, 70, 150, 24, parent,
                               nullptr, nullptr, nullptr);
        group = CreateWindowExA(0, "BUTTON", "Group", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 170, 10, 130, 100,
                                parent, nullptr, nullptr, nullptr);
        button = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 110, 100, 30, parent,
                                 nullptr, nullptr, nullptr);
    }
    // Screen pixels, painted: the button's face, the group box's left frame
    // line below its caption, the edit field's outer border.
    struct Look {
        COLORREF buttonFace, buttonBorder, groupFrame, editBorder;
    };
    Look Sample() const {
        RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        HDC screen = GetDC(nullptr);
        auto at = [screen](HWND h, int x, int y) {
            RECT r;
            GetWindowRect(h, &r);
            return GetPixel(screen, r.left + x, r.top + y);
        };
        Look look = {at(button, 12, 6), at(button, 0, 15), at(group, 0, 50), at(edit, 0, 12)};
        ReleaseDC(nullptr, screen);
        return look;
    }
    ~TestWindow() { DestroyWindow(parent); }
    LRESULT Ask(UINT msg, HWND child, COLORREF* text) {
        HDC dc = GetDC(child);
        LRESULT r = SendMessageA(parent, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child));
        *text = GetTextColor(dc);
        ReleaseDC(child, dc);
        return r;
    }
};

int AttachDirect(const void* data, int length) {
    return static_cast<int>(app::Dll32(kDllSkinAttachRes, {PtrWord(data), static_cast<uint32_t>(length),
                                                           PtrWord(""), 0, 0, 0}));
}

}  // namespace

TEST(SkinFormat, ParsesOwnResourceAndRefusesDamagedOnes) {
    const uint8_t* data = ByteSetData(SkinResource);
    uint32_t n = ByteSetLength(SkinResource);
    ASSERT_GE(n, 32u);
    EXPECT_EQ(0, memcmp(data, ".SHE", 4));
    skin::Colours c = {};
    ASSERT_EQ(skin::ParseResult::kOk, skin::Parse(data, n, &c));
    EXPECT_NE(c.window, c.text);

    std::vector<uint8_t> copy(data, data + n);
    auto parse = [](std::vector<uint8_t> bytes) {
        skin::Colours out = {};
        return skin::Parse(bytes.data(), static_cast<uint32_t>(bytes.size()), &out);
    };
    auto damaged = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> b = copy;
        b[at] = value;
        return b;
    };
    EXPECT_EQ(skin::ParseResult::kBadMagic, parse(damaged(1, 'X')));
    EXPECT_EQ(skin::ParseResult::kBadVersion, parse(damaged(4, 3)));
    EXPECT_EQ(skin::ParseResult::kBadVersion, parse(damaged(4, 0)));
    EXPECT_EQ(skin::ParseResult::kBadSize, parse(damaged(6, 8)));        // header smaller than its fields
    EXPECT_EQ(skin::ParseResult::kBadSize, parse(damaged(9, 0x10)));     // total beyond the data
    EXPECT_EQ(skin::ParseResult::kBadChecksum, parse(damaged(17, 0x55)));  // a colour changed
    EXPECT_EQ(skin::ParseResult::kTooShort, parse(std::vector<uint8_t>(copy.begin(), copy.begin() + 31)));
    EXPECT_EQ(skin::ParseResult::kTooShort, skin::Parse(nullptr, 0, &c));
    // Trailing bytes after the declared total are ignored.
    std::vector<uint8_t> longer = copy;
    longer.resize(copy.size() + 7, 0xEE);
    EXPECT_EQ(skin::ParseResult::kOk, parse(longer));
}

TEST(SkinLibrary, ExtractionWritesTheImageHiddenAndNeverOverwrites) {
    ASSERT_EQ(0, memcmp(ByteSetData(SkinLibraryImage), "MZ", 2));
    RemoveSkinFile();
    // A file already there is left as it is, whatever it holds.
    HANDLE h = CreateFileA(SkinPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD written = 0;
    WriteFile(h, "old", 3, &written, nullptr);
    CloseHandle(h);
    app::ExtractSkinLibrary();
    EXPECT_EQ(3u, ReadAll(SkinPath()).size());
    RemoveSkinFile();

    app::ExtractSkinLibrary();
    std::vector<uint8_t> file = ReadAll(SkinPath());
    ASSERT_EQ(ByteSetLength(SkinLibraryImage), file.size());
    EXPECT_EQ(0, memcmp(file.data(), ByteSetData(SkinLibraryImage), file.size()));
    DWORD attributes = GetFileAttributesA(SkinPath().c_str());
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
}

TEST(SkinLibrary, DamagedResourceIsRefusedAndLeavesTheSystemLook) {
    app::ExtractSkinLibrary();
    std::vector<uint8_t> bad(ByteSetData(SkinResource), ByteSetData(SkinResource) + ByteSetLength(SkinResource));
    bad[20] ^= 0xFF;
    EXPECT_EQ(1, AttachDirect(bad.data(), static_cast<int>(bad.size())));
    EXPECT_EQ(1, AttachDirect(nullptr, 0));
    TestWindow w;
    COLORREF text;
    LRESULT brush = w.Ask(WM_CTLCOLORSTATIC, w.label, &text);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), BrushColour(brush));
    const skin::Colours theme = Theme();
    EXPECT_NE(theme.window, GetSysColor(COLOR_BTNFACE));
    TestWindow::Look look = w.Sample();
    EXPECT_NE(theme.button, look.buttonFace);
    EXPECT_NE(theme.border, look.groupFrame);
    EXPECT_NE(theme.border, look.editBorder);
}

TEST(SkinLibrary, AttachThemesWindowsBeforeAndAfterAndKeepsOwnColours) {
    ownBrush = CreateSolidBrush(RGB(200, 10, 10));
    TestWindow before;  // exists when the skin is attached
    RemoveSkinFile();
    std::vector<uint8_t> png = EncodePng(SolidPicture(240, 120, {236, 240, 244, 255}));
    void* templ = ToByteSet(png);
    auto render = [templ] {
        void* r = app::DrawTextOnPicture(templ, "宋体", 30, 0x0000C0, app::kFontStyleBold, 255,
                                         app::kTextRenderingHintAntiAlias, "皮肤 Skin\r\n二", 10, 10);
        std::vector<uint8_t> bytes(ByteSetData(r), ByteSetData(r) + ByteSetLength(r));
        FreeMemory(r);
        return bytes;
    };
    const std::vector<uint8_t> unskinned = render();
    app::AttachSkin(SkinResource, 0, 0, 0);
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(SkinPath().c_str()));
    ASSERT_NE(nullptr, GetModuleHandleA("SkinH_QX.dll"));
    TestWindow after;  // created with the skin attached
    const skin::Colours theme = Theme();
    for (TestWindow* w : {&before, &after}) {
        COLORREF text;
        EXPECT_EQ(theme.window, BrushColour(w->Ask(WM_CTLCOLORSTATIC, w->label, &text)));
        EXPECT_EQ(theme.text, text);
        EXPECT_EQ(theme.face, BrushColour(w->Ask(WM_CTLCOLOREDIT, w->edit, &text)));
        EXPECT_EQ(theme.text, text);
        EXPECT_EQ(theme.window, BrushColour(w->Ask(WM_CTLCOLORSTATIC, w->group, &text)));
        EXPECT_EQ(theme.accent, text);
        LRESULT own = w->Ask(WM_CTLCOLORSTATIC, w->own, &text);
        EXPECT_EQ(reinterpret_cast<LRESULT>(ownBrush), own);
        EXPECT_EQ(RGB(1, 2, 3), text);
    }
    // The window's own background is erased in the theme colour.
    RedrawWindow(after.parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(after.parent);
    RECT erase = {5, 150, 40, 160};
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 320, 200);
    HGDIOBJ old = SelectObject(mem, bmp);
    SendMessageA(after.parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), 0);
    EXPECT_EQ(theme.window, GetPixel(mem, erase.left, erase.top));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(after.parent, dc);
    // The program's lookups of system colours get the theme's; the composed
    // picture does not change.
    EXPECT_EQ(theme.window, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(theme.window, BrushColour(reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE))));
    EXPECT_EQ(theme.face, GetSysColor(COLOR_WINDOW));
    ASSERT_GT(unskinned.size(), 100u);
    EXPECT_TRUE(render() == unskinned) << "the skin changed the renderer's output";
    FreeMemory(templ);

    // Painted faces, sampled on the screen, in each state of the button.
    SetWindowPos(before.parent, nullptr, 600, 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetWindowPos(after.parent, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    TestWindow::Look look = after.Sample();
    EXPECT_EQ(theme.button, look.buttonFace);
    EXPECT_EQ(theme.border, look.groupFrame);
    EXPECT_EQ(theme.border, look.editBorder);
    struct State {
        const char* name;
        UINT msg;
        WPARAM wp;
        COLORREF face;
    } states[] = {
        {"hot", WM_MOUSEMOVE, 0, theme.buttonHot},
        {"pressed", BM_SETSTATE, TRUE, theme.buttonPressed},
        {"released", BM_SETSTATE, FALSE, theme.buttonHot},
        {"left", WM_MOUSELEAVE, 0, theme.button},
    };
    for (const State& st : states) {
        SendMessageA(after.button, st.msg, st.wp, MAKELPARAM(5, 5));
        EXPECT_EQ(st.face, after.Sample().buttonFace) << st.name;
    }
    // Focus: the button's border and the field's border take the accent.
    EXPECT_EQ(theme.border, look.buttonBorder);
    SetFocus(after.button);
    EXPECT_EQ(theme.accent, after.Sample().buttonBorder) << "focused button";
    SetFocus(after.edit);
    EXPECT_EQ(theme.accent, after.Sample().editBorder) << "focused field";
    EXPECT_EQ(theme.border, after.Sample().buttonBorder);

    // A scrolled list's scroll bar: the track in the window colour by its
    // lower arrow, the thumb in the border colour at the top.
    HWND list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER, 170, 115, 130, 60,
                                after.parent, nullptr, nullptr, nullptr);
    for (int i = 0; i < 30; ++i) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("item"));
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    SCROLLBARINFO bar = {};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(GetScrollBarInfo(list, OBJID_VSCROLL, &bar));
    HDC screen = GetDC(nullptr);
    const int middle = (bar.rcScrollBar.left + bar.rcScrollBar.right) / 2;
    EXPECT_EQ(theme.window, GetPixel(screen, middle, bar.rcScrollBar.bottom - bar.dxyLineButton - 2)) << "track";
    EXPECT_EQ(theme.border, GetPixel(screen, middle, bar.rcScrollBar.top + bar.xyThumbTop + 3)) << "thumb";
    ReleaseDC(nullptr, screen);

    // A second attach from the same thread takes the new colours.
    EXPECT_EQ(0, AttachDirect(ByteSetData(SkinResource), static_cast<int>(ByteSetLength(SkinResource))));
}
