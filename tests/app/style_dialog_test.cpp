// The text style dialog of the real program: loaded modally (the main window
// disabled while it is open), the preview following a change while it is
// open, Cancel, Esc and the close box putting back what was there, OK and Enter
// keeping the change and saving it to pz.ini.
#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include "app_driver.h"
#include "support/child_process.h"

using namespace apptest;

namespace {

const wchar_t kDialogCaption[] = L"文字样式";
// The title's outline width box and the dialog's buttons, in its client area.
constexpr int kOutlineRowY = 40 + 32 * 5;
constexpr POINT kTitleOutlineWidth = {136, kOutlineRowY}, kSecondOutlineWidth = {272, kOutlineRowY};
constexpr int kButtonY = 540;
constexpr POINT kOkButton = {232, kButtonY}, kCancelButton = {316, kButtonY};
// The output format's choice and the JPEG quality box.
constexpr POINT kFormatChoice = {136, 40 + 32 * 12}, kQualityBox = {136, 40 + 32 * 13};

enum class CloseBy { CancelButton, EscKey, CloseBox, OkButton, EnterKey };

std::string StoredOutline(const std::string& ini) {
    for (const auto& p : IniSection(ini, "配置"))
        if (p.first == "标题描边宽度") return p.second;
    return "<absent>";
}


bool BecomesDisabled(HWND window) {
    for (int i = 0; i < 300 && IsWindowEnabled(window); ++i) Sleep(20);
    return !IsWindowEnabled(window);
}

void Close(HWND dialog, HWND outlineBox, CloseBy how) {
    switch (how) {
    case CloseBy::CancelButton: PostMessageW(ChildAt(dialog, "Button", kCancelButton.x, kCancelButton.y), BM_CLICK, 0, 0); break;
    case CloseBy::OkButton: PostMessageW(ChildAt(dialog, "Button", kOkButton.x, kOkButton.y), BM_CLICK, 0, 0); break;
    case CloseBy::CloseBox: PostMessageW(dialog, WM_CLOSE, 0, 0); break;
    // Keys go to the focused box, as typing would send them.
    case CloseBy::EscKey: PostMessageW(outlineBox, WM_KEYDOWN, VK_ESCAPE, 0x00010001); break;
    case CloseBy::EnterKey: PostMessageW(outlineBox, WM_KEYDOWN, VK_RETURN, 0x001C0001); break;
    }
}

}  // namespace

TEST(StyleDialog, ModalLivePreviewCancelRestoresOkSaves) {
    std::string folder = NewProgramFolder("style-dialog");
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 420, 300, 236, 236, 220));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", "[配置]\r\n标题颜色=255\r\n标题大小=40\r\n标题字体x=20\r\n标题字体y=40\r\n标题字体名称=文泉驿等宽正黑\r\n"));
    Program program;
    ASSERT_EQ("", program.Start(folder));
    // The preview's tooltip would show under a resting pointer and be read with the preview.
    RECT main;
    GetWindowRect(program.window(), &main);
    SetCursorPos(main.right + 5, main.bottom + 5);
    const std::string ini = folder + "pz.ini";

    struct Round {
        CloseBy how;
        bool kept;
    };
    // Esc and the close box each after a round that kept its change: an earlier OK keeps nothing later.
    const Round rounds[] = {{CloseBy::CancelButton, false}, {CloseBy::OkButton, true}, {CloseBy::EscKey, false},
                            {CloseBy::EnterKey, true},      {CloseBy::CloseBox, false}};
    std::string stored = StoredOutline(ini);
    int width = 3;
    for (const Round& r : rounds) {
        SCOPED_TRACE(static_cast<int>(r.how));
        std::vector<uint32_t> atOpen = program.Capture(U::PreviewBox);
        program.PostClick(U::TextStyleButton);
        HWND dialog = program.WaitForTopWindow(kDialogCaption);
        ASSERT_TRUE(dialog) << "the style dialog did not open";
        EXPECT_TRUE(BecomesDisabled(program.window())) << "the main window stays enabled under the dialog";
        // Out of the preview's way (the preview is read from the screen), once it is placed.
        RECT now = {};
        for (int i = 0; i < 100 && now.left != main.left + 620; ++i, Sleep(30)) {
            SetWindowPos(dialog, nullptr, main.left + 620, main.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            ASSERT_TRUE(program.Sync());
            GetWindowRect(dialog, &now);
        }
        ASSERT_EQ(atOpen, PreviewWhen(program, atOpen, true)) << "the dialog changed the preview by opening";
        HWND outline = ChildAt(dialog, "Edit", kTitleOutlineWidth.x, kTitleOutlineWidth.y);
        ASSERT_TRUE(outline);

        ++width;
        DWORD_PTR answer = 0;
        if (r.how == CloseBy::CancelButton) {  // a typed 0 stays "0" when the focus leaves the box
            ASSERT_TRUE(SendMessageTimeoutW(outline, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"0"), SMTO_NORMAL, 30000,
                                            &answer));
            ASSERT_TRUE(Program::LeaveBox(outline));
            wchar_t shown[16] = {};
            ASSERT_TRUE(SendMessageTimeoutW(outline, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(shown), SMTO_NORMAL, 30000,
                                            &answer));
            EXPECT_STREQ(L"0", shown);
        }
        std::wstring text = std::to_wstring(width);
        ASSERT_TRUE(SendMessageTimeoutW(outline, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                                        30000, &answer));
        std::vector<uint32_t> changed = PreviewWhen(program, atOpen, false);
        EXPECT_NE(atOpen, changed) << "the preview did not follow the dialog";

        Close(dialog, outline, r.how);
        DWORD start = GetTickCount();
        while (IsWindow(dialog) && GetTickCount() - start < 15000) Sleep(30);
        ASSERT_FALSE(IsWindow(dialog)) << "the dialog did not close";
        ASSERT_TRUE(program.Sync());
        EXPECT_TRUE(IsWindowEnabled(program.window()));
        std::vector<uint32_t> after = PreviewWhen(program, r.kept ? changed : atOpen, true);
        if (r.kept) {
            EXPECT_EQ(changed, after);
            stored = std::to_string(width);
        } else {
            EXPECT_EQ(atOpen, after) << "closing without OK kept the change";
        }
        EXPECT_EQ(stored, StoredOutline(ini));
    }
    EXPECT_EQ(0, program.Close());
}

// An added text chosen in the field list is styled in the dialog's second
// column (the body's otherwise), and OK keeps its style under its own keys.
TEST(StyleDialog, SecondColumnStylesTheAddedTextChosenInTheList) {
    std::string folder = NewProgramFolder("style-added-text");
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 420, 300, 236, 236, 220));
    ASSERT_TRUE(testsupport::WriteWholeFile(
        folder + "pz.ini", "[配置]\r\n标题大小=40\r\n字段数=1\r\n字段1类型=文字\r\n字段1名称=日期\r\n字段1大小=30\r\n"
                           "字段1x=20\r\n字段1y=200\r\n字段1颜色=0\r\n字段1内容=十二月九日\r\n"));
    Program program;
    ASSERT_EQ("", program.Start(folder));
    RECT main;
    GetWindowRect(program.window(), &main);
    SetCursorPos(main.right + 5, main.bottom + 5);
    ASSERT_TRUE(program.SelectCombo(U::FieldList, 2));
    const std::vector<uint32_t> atOpen = program.Capture(U::PreviewBox);
    program.PostClick(U::TextStyleButton);
    HWND dialog = program.WaitForTopWindow(kDialogCaption);
    ASSERT_TRUE(dialog);
    HWND outline = ChildAt(dialog, "Edit", kSecondOutlineWidth.x, kSecondOutlineWidth.y);
    ASSERT_TRUE(outline);
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(outline, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"5"), SMTO_NORMAL, 30000, &answer));
    EXPECT_NE(atOpen, PreviewWhen(program, atOpen, false)) << "the added text's outline was not drawn";
    Close(dialog, outline, CloseBy::OkButton);
    for (DWORD start = GetTickCount(); IsWindow(dialog) && GetTickCount() - start < 15000;) Sleep(30);
    ASSERT_FALSE(IsWindow(dialog));
    std::map<std::string, std::string> stored;
    for (const auto& p : IniSection(folder + "pz.ini", "配置")) stored[p.first] = p.second;
    EXPECT_EQ("5", stored["字段1描边宽度"]);
    EXPECT_NE("5", stored["文案描边宽度"]) << "the body took the added text's style";
    EXPECT_EQ(0, program.Close());
}

TEST(StyleDialog, StyleFilesSavedLoadedAndBadOnesRefused) {
    std::string folder = NewProgramFolder("style-files");
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 420, 300, 236, 236, 220));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", "[配置]\r\n标题大小=40\r\n文案大小=20\r\n"));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "garbage.ini", std::string(10 << 20, '\x9C')));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "other.ini", "[配置]\r\n标题描边宽度=7\r\n"));
    // A style file of an older version holds texts too: they must not replace the typed ones.
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "old.ini", "[配置]\r\n标题大小=33\r\n文案大小=20\r\n"
                                                                "标题内容=旧标题\r\n文案内容=旧文案\r\n"));
    Program program;
    ASSERT_EQ("", program.Start(folder));
    ASSERT_TRUE(program.SetText(U::TitleText, L"我的标题"));
    program.PostClick(U::TextStyleButton);
    HWND dialog = program.WaitForTopWindow(kDialogCaption);
    ASSERT_TRUE(dialog);
    HWND outline = ChildAt(dialog, "Edit", kTitleOutlineWidth.x, kTitleOutlineWidth.y);
    HWND save = ChildAt(dialog, "Button", 16, kButtonY), load = ChildAt(dialog, "Button", 124, kButtonY);
    ASSERT_TRUE(outline && save && load);
    DWORD_PTR r = 0;
    SendMessageTimeoutW(outline, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"5"), SMTO_NORMAL, 30000, &r);

    PostMessageW(save, BM_CLICK, 0, 0);
    ASSERT_TRUE(AnswerFileDialog(program, L"样式另存为", folder + "海报系列.ini"));
    ASSERT_TRUE(program.Sync());
    EXPECT_EQ("5", StoredOutline(folder + "海报系列.ini"));
    EXPECT_EQ("40", IniSection(folder + "海报系列.ini", "配置")[2].second) << "the style file holds the sizes";
    // Texts, the window's place and the template belong to pz.ini alone: never in a style file.
    for (const auto& kv : IniSection(folder + "海报系列.ini", "配置"))
        EXPECT_TRUE(kv.first != "标题内容" && kv.first != "窗口左" && kv.first != "模板文件") << kv.first << " is no style";
    ASSERT_TRUE(WriteSolidPng(folder + "other.png", 420, 300, 20, 40, 220));
    std::string style = testsupport::ReadWholeFile(folder + "海报系列.ini");
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "海报系列.ini", style + "模板文件=./other.png\r\n"));

    // Refused files change nothing: the box keeps what was typed. (A folder's
    // name opens the folder in the file dialog; it never comes back as a file.)
    for (const char* bad : {"missing.ini", "garbage.ini", "other.ini"}) {
        SCOPED_TRACE(bad);
        PostMessageW(load, BM_CLICK, 0, 0);
        ASSERT_TRUE(AnswerFileDialog(program, L"载入样式", folder + bad));
        ASSERT_TRUE(program.Sync());
        ASSERT_TRUE(IsWindow(dialog));
        EXPECT_EQ(L"5", program.WindowText(outline));
    }
    SendMessageTimeoutW(outline, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"9"), SMTO_NORMAL, 30000, &r);
    PostMessageW(load, BM_CLICK, 0, 0);
    ASSERT_TRUE(AnswerFileDialog(program, L"载入样式", folder + "海报系列.ini"));
    ASSERT_TRUE(program.Sync());
    EXPECT_EQ(L"5", program.WindowText(outline)) << "the saved style did not come back";
    EXPECT_EQ(L"./1.png", program.Text(U::TemplatePath));
    EXPECT_EQ("<absent>", StoredOutline(folder + "pz.ini")) << "loading a style wrote pz.ini";
    PostMessageW(load, BM_CLICK, 0, 0);
    ASSERT_TRUE(AnswerFileDialog(program, L"载入样式", folder + "old.ini"));
    ASSERT_TRUE(program.Sync());
    EXPECT_EQ(L"33", program.Text(U::TitleSize)) << "the old file's style is taken";
    EXPECT_EQ(L"我的标题", program.Text(U::TitleText)) << "the old file's texts replaced the typed ones";
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, program.Close());
}

namespace {

std::string StoredKey(const std::string& ini, const std::string& key) {
    for (const auto& p : IniSection(ini, "配置"))
        if (p.first == key) return p.second;
    return "<absent>";
}

// The first value of a JPEG's first quantisation table (the luminance DC step,
// which follows the quality), or -1.
int FirstQuantStep(const std::string& jpeg) {
    size_t at = jpeg.find("\xFF\xDB");
    return at == std::string::npos || at + 5 >= jpeg.size() ? -1 : static_cast<uint8_t>(jpeg[at + 5]);
}

}  // namespace

// The output format chosen in the dialog: JPEG at a quality, kept in pz.ini and
// used by the export button (the file's extension follows); Cancel puts the
// format back; PNG again. The template is larger than the preview, so each
// export is the one made ahead when it still fits, never one of another format
// or quality.
TEST(StyleDialog, OutputFormatChosenForTheExport) {
    std::string folder = NewProgramFolder("style-format");
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", 1200, 900, 236, 236, 220));
    Program program;
    ASSERT_EQ("", program.Start(folder));
    const std::string ini = folder + "pz.ini", stem = folder + "公众号Brightquill 关注获取更多项目和软件";
    ASSERT_TRUE(program.Click(U::ExportButton));  // a PNG made and kept for the next export
    struct Round {
        int format;  // 0 PNG, 1 JPEG
        const wchar_t* quality;
        CloseBy how;
        const char* file;  // the export's extension afterwards
        int quantStep;     // 16 at quality 50, scaled by the quality as libjpeg scales it
        const char* stored;  // the quality in pz.ini afterwards
    };
    const Round rounds[] = {{1, L"70", CloseBy::OkButton, ".jpg", 10, "70"},
                            {1, L"40", CloseBy::OkButton, ".jpg", 20, "40"},
                            {0, L"70", CloseBy::CancelButton, ".jpg", 20, "40"},
                            {0, L"70", CloseBy::OkButton, ".png", 0, "70"}};
    for (const Round& r : rounds) {
        SCOPED_TRACE(r.file + std::to_string(static_cast<int>(r.how)));
        program.PostClick(U::TextStyleButton);
        HWND dialog = program.WaitForTopWindow(kDialogCaption);
        ASSERT_TRUE(dialog);
        HWND format = ChildAt(dialog, "ComboBox", kFormatChoice.x, kFormatChoice.y);
        HWND quality = ChildAt(dialog, "Edit", kQualityBox.x, kQualityBox.y);
        ASSERT_TRUE(format && quality);
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(format, CB_SETCURSEL, r.format, 0, SMTO_NORMAL, 10000, &answer);
        SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(format), CBN_SELENDOK),
                            reinterpret_cast<LPARAM>(format), SMTO_NORMAL, 30000, &answer);
        SendMessageTimeoutW(quality, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(r.quality), SMTO_NORMAL, 30000, &answer);
        Close(dialog, quality, r.how);
        for (DWORD start = GetTickCount(); IsWindow(dialog) && GetTickCount() - start < 15000;) Sleep(30);
        ASSERT_TRUE(program.Sync());
        DeleteFileA((stem + ".png").c_str());
        DeleteFileA((stem + ".jpg").c_str());
        ASSERT_TRUE(program.Click(U::ExportButton));
        std::string other = std::string(r.file) == ".jpg" ? ".png" : ".jpg";
        EXPECT_FALSE(FileExistsA(stem + other));
        std::string bytes = testsupport::ReadWholeFile(stem + r.file);
        if (r.quantStep) {
            EXPECT_EQ(0, bytes.compare(0, 3, "\xFF\xD8\xFF")) << "not a JPEG";
            EXPECT_EQ(r.quantStep, FirstQuantStep(bytes));
        } else {
            EXPECT_TRUE(DecodePng(bytes).ok());
        }
        EXPECT_EQ(r.file + 1, StoredKey(ini, "输出格式"));
        EXPECT_EQ(r.stored, StoredKey(ini, "JPEG质量"));
    }
    EXPECT_EQ(0, program.Close());
}

// The later settings' block: each of the title's units reaches pz.ini, and the
// export holds a vertical title turned half round, centred across the picture
// and 30 px from its top.
TEST(StyleDialog, FinerSettingsReachPzIniAndTheExport) {
    std::string folder = NewProgramFolder("style-finer");
    constexpr int kW = 420, kH = 600;
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", kW, kH, 236, 236, 220));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", "[配置]\r\n标题颜色=255\r\n标题大小=40\r\n"
                                                              "标题内容=竖排的标题\r\n文案字体y=5000\r\n"));
    Program program;
    ASSERT_EQ("", program.Start(folder));
    program.PostClick(U::TextStyleButton);
    HWND dialog = program.WaitForTopWindow(kDialogCaption);
    ASSERT_TRUE(dialog);
    struct Unit {
        const char* cls;
        int row;          // in the second block, the title's column
        const wchar_t* value;  // a choice's place, or the text typed
        const char *key, *stored;
    } units[] = {
        {"ComboBox", 0, L"1", "标题方向", "1"},       {"Edit", 1, L"100", "标题字距", "100"},
        {"Edit", 2, L"180", "标题旋转", "180"},       {"ComboBox", 3, L"1", "标题渐变", "1"},
        {"Edit", 6, L"90", "标题渐变角度", "90"},     {"ComboBox", 7, L"2", "标题水平位置", "2"},
        {"Edit", 8, L"10", "标题水平边距", "10"},     {"ComboBox", 9, L"1", "标题垂直位置", "1"},
        {"Edit", 10, L"30", "标题垂直边距", "30"},
    };
    DWORD_PTR answer = 0;
    HWND last = nullptr;
    for (const Unit& u : units) {
        HWND box = ChildAt(dialog, u.cls, 136 + 408, 40 + 32 * u.row);
        ASSERT_TRUE(box) << u.key;
        if (std::string(u.cls) == "Edit") {
            SendMessageTimeoutW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u.value), SMTO_NORMAL, 30000, &answer);
        } else {
            SendMessageTimeoutW(box, CB_SETCURSEL, _wtoi(u.value), 0, SMTO_NORMAL, 10000, &answer);
            SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), CBN_SELENDOK),
                                reinterpret_cast<LPARAM>(box), SMTO_NORMAL, 30000, &answer);
        }
        last = box;
    }
    Close(dialog, last, CloseBy::OkButton);
    for (DWORD start = GetTickCount(); IsWindow(dialog) && GetTickCount() - start < 15000;) Sleep(30);
    ASSERT_TRUE(program.Sync());
    const std::string ini = folder + "pz.ini";
    for (const Unit& u : units) EXPECT_EQ(u.stored, StoredKey(ini, u.key)) << u.key;
    EXPECT_EQ("255", StoredKey(ini, "标题渐变起色")) << "a gradient turned on starts from the text's colour";
    EXPECT_EQ("16777215", StoredKey(ini, "标题渐变终色"));

    ASSERT_TRUE(program.Click(U::ExportButton));
    const Picture p = ReadPng(folder + "公众号Brightquill 关注获取更多项目和软件.png");
    ASSERT_TRUE(p.ok());
    int left = kW, right = -1, top = kH, bottom = -1;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if (p.at(x, y)[0] != 236 || p.at(x, y)[1] != 236 || p.at(x, y)[2] != 220)
                left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    ASSERT_GE(right, left);
    EXPECT_GT(bottom - top, 3 * (right - left)) << "five characters down one column";
    EXPECT_NEAR(kW / 2.0, (left + right + 1) / 2.0, 1.0);
    EXPECT_EQ(30, top);
    // Turned half round, the gradient's red end is at the foot.
    auto redness = [&](int y) {
        int most = 0;
        for (int x = left; x <= right; ++x) most = std::max(most, p.at(x, y)[0] - p.at(x, y)[1]);
        return most;
    };
    EXPECT_GT(redness(bottom - 3), redness(top + 3) + 60);
    EXPECT_EQ(0, program.Close());
}
