// The poster's fields in the window: the list and its buttons, the field
// dialogs (live preview, OK keeps and saves, Cancel puts back, an added field
// whose dialog is cancelled is not added, the first box taking the keys), a
// drag on the preview that takes the picture under the pointer and a
// double-click that opens its settings.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <map>
#include "app/forms/field_dialog_units.h"
#include "app_driver.h"
#include "support/child_process.h"

using namespace apptest;
using fielddialog::FieldDialogKind;

namespace {

constexpr int kTemplateWidth = 600, kTemplateHeight = 900;

std::map<std::string, std::string> Stored(const std::string& ini) {
    auto pairs = IniSection(ini, "配置");
    return {pairs.begin(), pairs.end()};
}

// The dialog of that kind, once it is open, moved off the preview.
HWND OpenedDialog(Program& program, FieldDialogKind kind) {
    const wchar_t* caption = kind == FieldDialogKind::Qr        ? L"字段设置 - 二维码"
                             : kind == FieldDialogKind::Picture ? L"字段设置 - 图片"
                                                                : L"字段设置 - 文字";
    HWND dialog = program.WaitForTopWindow(caption);
    if (!dialog) return nullptr;
    RECT main;
    GetWindowRect(program.window(), &main);
    RECT now = {};
    for (int i = 0; i < 100 && now.left != main.left + 620; ++i, Sleep(30)) {
        SetWindowPos(dialog, nullptr, main.left + 620, main.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        program.Sync();
        GetWindowRect(dialog, &now);
    }
    return dialog;
}

// Types into row `row`'s box, as WM_SETTEXT does (one change event).
bool SetRow(HWND dialog, FieldDialogKind kind, size_t row, const std::wstring& text) {
    HWND box = ChildAt(dialog, "Edit", fielddialog::kValueX, fielddialog::RowY(kind, row));
    DWORD_PTR r = 0;
    return box && SendMessageTimeoutW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 30000, &r);
}

bool CloseDialog(HWND dialog, FieldDialogKind kind, bool ok) {
    HWND button = ChildAt(dialog, "Button", ok ? fielddialog::kOkX : fielddialog::kCancelX, fielddialog::ButtonY(kind));
    if (!button) return false;
    PostMessageW(button, BM_CLICK, 0, 0);
    for (DWORD start = GetTickCount(); IsWindow(dialog) && GetTickCount() - start < 15000;) Sleep(30);
    return !IsWindow(dialog);
}

// The window that has the keyboard focus in the dialog's thread, once it settles.
HWND FocusIn(HWND dialog) {
    GUITHREADINFO info = {sizeof info};
    HWND last = nullptr;
    for (int i = 0; i < 50; ++i, Sleep(30)) {
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return nullptr;
        if (info.hwndFocus && info.hwndFocus == last) break;
        last = info.hwndFocus;
    }
    return info.hwndFocus;
}

HWND FirstBox(HWND dialog, FieldDialogKind kind) { return ChildAt(dialog, "Edit", fielddialog::kValueX, fielddialog::RowY(kind, 0)); }

long DragSteps(const Program& program) {
    return static_cast<long>(reinterpret_cast<intptr_t>(GetPropA(program.window(), "ImprintaDragSteps")));
}

}  // namespace

TEST(FieldWindow, FieldsAddedSetReorderedDraggedRemovedAndSaved) {
    std::string folder = NewProgramFolder("fields");
    ASSERT_TRUE(WriteSolidPng(folder + "1.png", kTemplateWidth, kTemplateHeight, 236, 236, 220));
    ASSERT_TRUE(WriteSolidPng(folder + "red.png", 64, 64, 230, 20, 20));
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + "pz.ini", "[配置]\r\n标题大小=40\r\n标题字体x=20\r\n标题字体y=600\r\n"));
    const std::string ini = folder + "pz.ini";
    Program program;
    ASSERT_EQ("", program.Start(folder));
    RECT main;
    GetWindowRect(program.window(), &main);
    SetCursorPos(main.right + 5, main.bottom + 5);  // the preview's tooltip would be read with it
    EXPECT_EQ((std::vector<std::wstring>{L"标题", L"文案"}), program.ComboItems(U::FieldList));
    const std::vector<uint32_t> plain = program.Capture(U::PreviewBox);

    // A QR code: added, its dialog opens at once, each change drawn; OK keeps and saves it.
    program.PostClick(U::AddQrFieldButton);
    HWND dialog = OpenedDialog(program, FieldDialogKind::Qr);
    ASSERT_TRUE(dialog) << "adding a QR code opens its settings";
    EXPECT_EQ(FirstBox(dialog, FieldDialogKind::Qr), FocusIn(dialog)) << "typing does not start in the first box";
    using namespace fielddialog;
    ASSERT_TRUE(SetRow(dialog, FieldDialogKind::Qr, kQrX, L"40"));
    ASSERT_TRUE(SetRow(dialog, FieldDialogKind::Qr, kQrY, L"40"));
    ASSERT_TRUE(SetRow(dialog, FieldDialogKind::Qr, kQrText, L"https://example.com/报名?id=37"));
    const std::vector<uint32_t> withCode = PreviewWhen(program, plain, false);
    EXPECT_NE(plain, withCode) << "the preview did not draw the code";
    ASSERT_TRUE(CloseDialog(dialog, FieldDialogKind::Qr, true));
    EXPECT_EQ("1", Stored(ini)["字段数"]) << "OK saves the fields";
    EXPECT_EQ("二维码", Stored(ini)["字段1类型"]);
    EXPECT_EQ("https://example.com/报名?id=37", Stored(ini)["字段1内容"]);
    EXPECT_EQ((std::vector<std::wstring>{L"标题", L"文案", L"二维码1"}), program.ComboItems(U::FieldList));
    EXPECT_EQ(2, program.ComboSelection(U::FieldList));

    // Its settings again: a change is drawn, Cancel puts the code and the file back.
    program.PostClick(U::FieldSettingsButton);
    dialog = OpenedDialog(program, FieldDialogKind::Qr);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(SetRow(dialog, FieldDialogKind::Qr, kQrSize, L"120"));
    EXPECT_NE(withCode, PreviewWhen(program, withCode, false)) << "the smaller code was not drawn";
    ASSERT_TRUE(CloseDialog(dialog, FieldDialogKind::Qr, false));
    EXPECT_EQ(withCode, PreviewWhen(program, withCode, true)) << "Cancel kept the change";
    EXPECT_EQ("300", Stored(ini)["字段1大小"]);

    // A picture added and cancelled is not added; added and kept, it follows the code.
    program.PostClick(U::AddPictureFieldButton);
    dialog = OpenedDialog(program, FieldDialogKind::Picture);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(CloseDialog(dialog, FieldDialogKind::Picture, false));
    ASSERT_TRUE(program.Sync());
    EXPECT_EQ(3u, program.ComboItems(U::FieldList).size()) << "a cancelled new field stayed";
    program.PostClick(U::AddPictureFieldButton);
    dialog = OpenedDialog(program, FieldDialogKind::Picture);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(SetRow(dialog, FieldDialogKind::Picture, kPictureFile, Wide(folder + "red.png")));
    const int boxX = 300, boxY = 40, side = 100;
    for (auto [row, value] : {std::pair{kPictureX, boxX}, {kPictureY, boxY}, {kPictureWidth, side}, {kPictureHeight, side}})
        ASSERT_TRUE(SetRow(dialog, FieldDialogKind::Picture, row, std::to_wstring(value)));
    ASSERT_TRUE(CloseDialog(dialog, FieldDialogKind::Picture, true));

    // Drawing order: the picture moved before the code.
    ASSERT_TRUE(program.Click(U::FieldUpButton));
    EXPECT_EQ((std::vector<std::wstring>{L"标题", L"文案", L"图片1", L"二维码1"}), program.ComboItems(U::FieldList));
    EXPECT_EQ(2, program.ComboSelection(U::FieldList));

    // A press on the picture takes it (and chooses it in the list), not the title.
    ASSERT_TRUE(program.SelectCombo(U::FieldList, 0));
    HWND preview = program.unit(U::PreviewBox);
    RECT client;
    ASSERT_TRUE(GetClientRect(preview, &client));
    const double scale = std::min(double(client.right) / kTemplateWidth, double(client.bottom) / kTemplateHeight);
    const int shownWidth = int(std::lround(kTemplateWidth * scale)), shownHeight = int(std::lround(kTemplateHeight * scale));
    const int left = (client.right - shownWidth) / 2, top = (client.bottom - shownHeight) / 2;
    const int sx = left + int((boxX + side / 2) * scale), sy = top + int((boxY + side / 2) * scale);
    const int dx = 30, dy = 45;
    const long steps = DragSteps(program);
    PostMessageW(preview, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(sx, sy));
    for (int i = 1; i <= 10; ++i) PostMessageW(preview, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(sx + dx * i / 10, sy + dy * i / 10));
    PostMessageW(preview, WM_LBUTTONUP, 0, MAKELPARAM(sx + dx, sy + dy));
    for (int i = 0; i < 300 && DragSteps(program) == steps; ++i) Sleep(20);
    Sleep(300);
    ASSERT_TRUE(program.Sync());
    EXPECT_EQ(2, program.ComboSelection(U::FieldList)) << "the press did not choose the picture";
    EXPECT_EQ(L"20", program.Text(U::TitleX)) << "the title moved instead";

    // A double-click on the picture opens its settings, ready for typing; it moves nothing.
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP})
        PostMessageW(preview, m, m == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(sx + dx, sy + dy));
    dialog = OpenedDialog(program, FieldDialogKind::Picture);
    ASSERT_TRUE(dialog) << "a double-click on the picture did not open its settings";
    EXPECT_EQ(FirstBox(dialog, FieldDialogKind::Picture), FocusIn(dialog));
    ASSERT_TRUE(CloseDialog(dialog, FieldDialogKind::Picture, false));

    // The code removed; the title cannot be.
    ASSERT_TRUE(program.SelectCombo(U::FieldList, 3));
    ASSERT_TRUE(program.Click(U::RemoveFieldButton));
    EXPECT_EQ((std::vector<std::wstring>{L"标题", L"文案", L"图片1"}), program.ComboItems(U::FieldList));

    ASSERT_EQ(0, program.Close());
    auto saved = Stored(ini);
    EXPECT_EQ("1", saved["字段数"]);
    EXPECT_EQ("图片", saved["字段1类型"]);
    EXPECT_EQ(folder + "red.png", saved["字段1文件"]);
    EXPECT_EQ(std::to_string(boxX + std::lround(dx * double(kTemplateWidth) / shownWidth)), saved["字段1x"])
        << "the drag did not move the picture";
    EXPECT_EQ(std::to_string(boxY + std::lround(dy * double(kTemplateHeight) / shownHeight)), saved["字段1y"]);
    EXPECT_EQ(std::to_string(side), saved["字段1宽"]);
    EXPECT_EQ("20", saved["标题字体x"]);
}
