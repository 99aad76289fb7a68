#include "app/platform/failure_report.h"
#include <windows.h>
#include <algorithm>
#include "app/platform/file_io.h"
#include "app/platform/message_text.h"

namespace app {

namespace {

// The program's own message box. Wine's MessageBox measures CJK text with
// another font than it draws it in and cuts the last characters of a line off;
// here the text is measured with the font it is drawn in, and the box sized to
// it. The same parts as the system's box: class #32770, the icon and the text
// as static controls, the buttons IDOK and IDCANCEL.
struct MessageWindow {
    std::wstring text;
    UINT type;
    HFONT font;
    std::wstring extra;  // a third button's caption, before 确定; empty: none
};

constexpr int kMargin = 14, kButtonW = 88, kButtonH = 28, kIcon = 32;

INT_PTR CALLBACK MessageWindowProc(HWND box, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        const auto* m = reinterpret_cast<const MessageWindow*>(lp);
        HDC dc = GetDC(box);
        HGDIOBJ old = SelectObject(dc, m->font);
        // As wide as the longest line, at most two thirds of the work area (long lines wrap).
        RECT work = {0, 0, 1024, 768};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        RECT text = {0, 0, (work.right - work.left) * 2 / 3, 0};
        DrawTextW(dc, m->text.c_str(), -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(box, dc);
        const bool twoButtons = (m->type & MB_TYPEMASK) == MB_OKCANCEL;
        const int textW = text.right + 2, textH = std::max<int>(text.bottom, kIcon);
        const int buttons = (twoButtons ? 2 : 1) + (m->extra.empty() ? 0 : 1);
        const int buttonsW = buttons * kButtonW + (buttons - 1) * 8;
        const int clientW = std::max(kMargin * 3 + kIcon + textW, buttonsW + 2 * kMargin);
        const int clientH = kMargin * 3 + textH + kButtonH;
        auto child = [&](const wchar_t* cls, const wchar_t* caption, DWORD style, int id, int x, int y, int w, int h) {
            HWND c = CreateWindowExW(0, cls, caption, WS_CHILD | WS_VISIBLE | style, x, y, w, h, box,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
            SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(m->font), FALSE);
            return c;
        };
        LPCWSTR iconName = MAKEINTRESOURCEW((m->type & MB_ICONMASK) == MB_ICONWARNING ? 32515 : 32516);  // IDI_WARNING, IDI_INFORMATION
        HWND icon = child(L"Static", L"", SS_ICON, -1, kMargin, kMargin, kIcon, kIcon);
        SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, iconName)), 0);
        child(L"Static", m->text.c_str(), SS_LEFT | SS_NOPREFIX, -1, kMargin * 2 + kIcon, kMargin, textW, textH);
        const int buttonY = kMargin * 2 + textH;
        int x = (clientW - buttonsW) / 2;
        if (!m->extra.empty()) {
            child(L"Button", m->extra.c_str(), BS_PUSHBUTTON | WS_TABSTOP, kMessageExtraButton, x, buttonY, kButtonW, kButtonH);
            x += kButtonW + 8;
        }
        HWND ok = child(L"Button", L"确定", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, x, buttonY, kButtonW, kButtonH);
        if (twoButtons)
            child(L"Button", L"取消", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, x + kButtonW + 8, buttonY, kButtonW, kButtonH);
        RECT frame = {0, 0, clientW, clientH};
        AdjustWindowRectEx(&frame, GetWindowLongW(box, GWL_STYLE), FALSE, GetWindowLongW(box, GWL_EXSTYLE));
        const int w = frame.right - frame.left, h = frame.bottom - frame.top;
        // Centred on the window it belongs to, inside the work area.
        RECT over = work;
        if (HWND owner = GetWindow(box, GW_OWNER)) GetWindowRect(owner, &over);
        x = (over.left + over.right - w) / 2;
        int y = (over.top + over.bottom - h) / 2;
        x = std::max<int>(work.left, std::min<int>(x, work.right - w));
        y = std::max<int>(work.top, std::min<int>(y, work.bottom - h));
        SetWindowPos(box, HWND_TOP, x, y, w, h, 0);
        SetFocus(ok);
        MessageBeep(m->type & MB_ICONMASK);
        return FALSE;
    }
    if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL || LOWORD(wp) == kMessageExtraButton)) {
        EndDialog(box, LOWORD(wp));
        return TRUE;
    }
    if (msg == WM_CLOSE) {
        EndDialog(box, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int ShowMessage(const std::string& gbk, const std::string& caption, unsigned type, const std::string& extraButton) {
    HWND owner = GetActiveWindow();
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    // A face that holds the CJK characters itself: with one that does not, the
    // characters come from a fallback face whose widths the measuring does not see.
    // The window's own labels use 宋体; at least 12 pixels high, as they are.
    LOGFONTW face = metrics.lfMessageFont;
    wcscpy(face.lfFaceName, L"宋体");
    face.lfCharSet = GB2312_CHARSET;
    face.lfWeight = FW_NORMAL;
    face.lfQuality = ANTIALIASED_QUALITY;
    if (face.lfHeight > -13 && face.lfHeight < 13) face.lfHeight = -13;
    MessageWindow m = {WideText(FittedMessage(gbk)), type, CreateFontIndirectW(&face), WideText(extraButton)};
    // An empty dialog template: the parts are made in WM_INITDIALOG, once the text is measured.
    struct {
        DLGTEMPLATE head;
        WORD menu, cls;
        wchar_t title[64];
    } t = {};
    t.head.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;
    t.head.cx = 100;
    t.head.cy = 50;
    const std::wstring title = WideText(caption);
    wcsncpy(t.title, title.c_str(), 63);
    const INT_PTR answer = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &t.head, owner, MessageWindowProc,
                                                   reinterpret_cast<LPARAM>(&m));
    DeleteObject(m.font);
    return answer == IDCANCEL || answer == kMessageExtraButton ? int(answer) : IDOK;
}

const char kFailureCaption[] = "未能完成";
const char kDoneCaption[] = "完成";
const char kNoteCaption[] = "提示";

std::string FailureText(const std::string& action, const std::string& path, uint32_t error) {
    return action + ": " + path + "\r\n原因: " + ReasonText(error);
}

void ShowFailure(const std::string& text) {
    // Owned by the active window (the main window while it is up), so the box
    // stays in front of it and keeps it waiting until answered.
    ShowMessage(text, kFailureCaption, MB_OK | MB_ICONWARNING);
}

bool AskAfterFailure(const std::string& text) {
    return ShowMessage(text, kFailureCaption, MB_OKCANCEL | MB_ICONWARNING) != IDCANCEL;
}

void ShowNote(const std::string& text) {
    ShowMessage(text, kNoteCaption, MB_OK | MB_ICONINFORMATION);
}

void ShowBatchEnd(const std::string& action, const BatchTally& tally, const std::string& folder) {
    std::string text = action + ": " + tally.Summary();
    if (tally.written() > 0) text += "\r\n保存在: " + folder;
    if (!tally.AllWell()) return ShowFailure(text);
    ShowMessage(text, kDoneCaption, MB_OK | MB_ICONINFORMATION);
}

void BatchTally::Skipped(int32_t count, const std::string& why) {
    skipped_ += count;
    ++listed_;
    if (reasons_.size() < kReasonsShown) reasons_.push_back(why);
}

void BatchTally::Failed(const std::string& name, uint32_t error) {
    ++failed_;
    ++listed_;
    if (reasons_.size() < kReasonsShown) reasons_.push_back(name + ": " + ReasonText(error));
}

void BatchTally::Noted(const std::string& why) {
    noted_ = true;
    ++listed_;
    if (reasons_.size() < kReasonsShown) reasons_.push_back(why);
}

std::string BatchTally::Summary() const {
    std::string text = "写出 " + std::to_string(written_) + " 张, 跳过 " + std::to_string(skipped_) + " 张, 失败 " +
                       std::to_string(failed_) + " 张";
    if (stopped_) text += "\r\n已按要求停止, 还有 " + std::to_string(left_) + " 张没有做";
    for (const std::string& r : reasons_) text += "\r\n" + r;
    if (listed_ > reasons_.size())
        text += "\r\n另有 " + std::to_string(listed_ - reasons_.size()) + " 条原因没有列出";
    return text;
}

}  // namespace app
