#include "app/window/sheet_window.h"
#include <windows.h>
#include <commdlg.h>
#include <algorithm>
#include <memory>
#include "app/forms/sheet_window_units.h"
#include "app/platform/failure_report.h"
#include "app/platform/file_io.h"
#include "app/platform/runtime_calls.h"
#include "app/window/handlers.h"
#include "app/window/unit_access.h"
#include "runtime/core/blocks.h"
#include "runtime/forms/unit_object.h"
#include "runtime/pictures/png_encode.h"

namespace app {

namespace pic = imprinta::picture;
using namespace sheetwindow;

namespace {

constexpr int kLabelCaption = imprinta::units::ApplicationIndex(imprinta::units::kTransLabelCaption);
constexpr UINT_PTR kFillTimer = 0x5348;
constexpr UINT kFillEveryMs = 40;
constexpr DWORD kFillSliceMs = 25;  // thumbnails placed per tick for at most this long: the window keeps answering
constexpr int kLineStep = 48;       // pixels a scroll bar arrow moves
constexpr uint8_t kEmpty = 0xF4;    // below the sheet's end: its own light grey

struct SheetState {
    SheetRequest request;
    SheetLayout layout;
    pic::Canvas sheet;
    std::unique_ptr<ThumbnailRun> run;
    size_t drawn = 0, marked = 0;
    int top = 0;  // the sheet's row at the box's top
    HWND window = nullptr, box = nullptr;
    void* shown = nullptr;  // the slice the box shows (a byte set)
    bool saveWhenDrawn = false;  // 保存总览 was clicked before the last thumbnail came
};
SheetState* g_sheet = nullptr;
// The procedures the window and its box had; kept apart from the state, which
// ends before the window's last messages.
WNDPROC g_boxProc = nullptr, g_windowProc = nullptr;

HWND UnitHandle(uint32_t unit) {
    auto* object = reinterpret_cast<imprinta::forms::UnitObject*>(
        static_cast<uintptr_t>(RuntimeNotify(kNotifyUnitObject, kWindowId, unit, 0)));
    return object ? object->hwnd : nullptr;
}

int ProcessorCount() {
    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    return std::max<int>(1, static_cast<int>(info.dwNumberOfProcessors));
}

std::string Count(size_t n) { return std::to_string(n); }

void SetNote(const std::string& text) { SetProperty(kWindowId, kNote, kLabelCaption, PtrWord(text.c_str())); }

void NoteProgress() {
    const SheetState& s = *g_sheet;
    const size_t n = s.request.entries.size();
    std::string text = s.drawn < n ? "已画 " + Count(s.drawn) + " / " + Count(n) + " 张" : Count(n) + " 张";
    if (s.request.total > n) text += " (共 " + Count(s.request.total) + " 张, 只画前 " + Count(n) + " 张)";
    if (s.marked) text += "; " + Count(s.marked) + " 张所在的行有问题 (框红)";
    if (s.saveWhenDrawn) text += "; 画完就保存";
    SetNote(text);
}

RECT BoxClient() {
    RECT r = {0, 0, 1, 1};
    if (g_sheet->box) GetClientRect(g_sheet->box, &r);
    return r;
}

// The part of the sheet the box has room for, from the row at its top.
void ShowSlice() {
    SheetState& s = *g_sheet;
    const RECT r = BoxClient();
    pic::Canvas slice;
    slice.width = static_cast<uint32_t>(std::max<LONG>(r.right, 1));
    slice.height = static_cast<uint32_t>(std::max<LONG>(r.bottom, 1));
    try {
        slice.bgra.assign(size_t(slice.width) * slice.height * 4, kEmpty);
    } catch (const std::bad_alloc&) {
        return;
    }
    const uint32_t w = std::min(slice.width, s.sheet.width);
    for (uint32_t y = 0; y < slice.height && s.top + y < s.sheet.height; ++y)
        std::copy_n(&s.sheet.bgra[(size_t(s.top) + y) * s.sheet.Stride()], size_t(w) * 4, &slice.bgra[size_t(y) * slice.Stride()]);
    for (size_t i = 3; i < slice.bgra.size(); i += 4) slice.bgra[i] = 255;
    const size_t size = pic::StoredPngSize(slice);
    void* bytes = size && size <= UINT32_MAX ? imprinta::TryNewByteSet(static_cast<uint32_t>(size)) : nullptr;
    if (!bytes) return;
    pic::WriteStoredPng(slice, ByteSetData(bytes));
    SetProperty(kWindowId, kSheetBox, mainwindow::kPictureBoxPicture, PtrWord(bytes));
    Free(s.shown);
    s.shown = bytes;
}

int LowestTop() {
    return std::max<int>(0, static_cast<int>(g_sheet->sheet.height) - static_cast<int>(BoxClient().bottom));
}

void ScrollTo(int top) {
    SheetState& s = *g_sheet;
    top = std::clamp(top, 0, LowestTop());
    if (top == s.top) return;
    s.top = top;
    SetScrollPos(s.box, SB_VERT, top, TRUE);
    ShowSlice();
}

bool CellShown(size_t i) {
    const SheetState& s = *g_sheet;
    const int cellTop = static_cast<int>(s.layout.Top(i)), cellBottom = cellTop + static_cast<int>(s.layout.cellHeight);
    return cellBottom > s.top && cellTop < s.top + static_cast<int>(BoxClient().bottom);
}

void SaveSheet();

// Takes the thumbnails that are ready (or, waiting, all of them) into the sheet.
void TakeThumbnails(bool all) {
    SheetState& s = *g_sheet;
    if (!s.run) return;
    const DWORD start = GetTickCount();
    bool seen = false;
    size_t i = 0;
    std::shared_ptr<pic::Canvas> thumbnail;
    while ((all || GetTickCount() - start < kFillSliceMs) && s.run->Next(all, &i, &thumbnail)) {
        if (thumbnail) PlaceThumbnail(s.sheet, s.layout, i, *thumbnail);
        ++s.drawn;
        seen = seen || CellShown(i);
    }
    if (s.drawn >= s.request.entries.size()) {
        s.run.reset();
        if (s.window) KillTimer(s.window, kFillTimer);
    }
    if (seen) ShowSlice();
    NoteProgress();
    if (!s.run && s.saveWhenDrawn) {
        s.saveWhenDrawn = false;
        SaveSheet();
    }
}

void CALLBACK FillTick(HWND, UINT, UINT_PTR, DWORD) {
    if (g_sheet) TakeThumbnails(false);
}

LRESULT CALLBACK BoxProc(HWND box, UINT msg, WPARAM wp, LPARAM lp) {
    SheetState* s = g_sheet;
    if (!s) return CallWindowProcW(g_boxProc, box, msg, wp, lp);
    if (msg == WM_VSCROLL) {
        const int page = static_cast<int>(BoxClient().bottom);
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        switch (LOWORD(wp)) {
        case SB_LINEUP: ScrollTo(s->top - kLineStep); break;
        case SB_LINEDOWN: ScrollTo(s->top + kLineStep); break;
        case SB_PAGEUP: ScrollTo(s->top - page); break;
        case SB_PAGEDOWN: ScrollTo(s->top + page); break;
        case SB_TOP: ScrollTo(0); break;
        case SB_BOTTOM: ScrollTo(LowestTop()); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            GetScrollInfo(box, SB_VERT, &info);
            ScrollTo(info.nTrackPos);
            break;
        }
        return 0;
    }
    if (msg == WM_MOUSEWHEEL) {
        const int rowStep = static_cast<int>(s->layout.cellHeight + SheetLayout::kLabelHeight + SheetLayout::kGap);
        ScrollTo(s->top - GET_WHEEL_DELTA_WPARAM(wp) * rowStep / WHEEL_DELTA);
        return 0;
    }
    return CallWindowProcW(g_boxProc, box, msg, wp, lp);
}

// The wheel goes to the window with the focus (a button): it scrolls the grid.
LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_MOUSEWHEEL && g_sheet && g_sheet->box) return BoxProc(g_sheet->box, msg, wp, lp);
    return CallWindowProcW(g_windowProc, window, msg, wp, lp);
}

// The name the grid is saved as: the batch's default, or one the person picks.
std::string AskSavePath(const std::string& offered) {
    wchar_t file[MAX_PATH * 4] = L"";
    const std::wstring wide = WidePath(offered);
    wcsncpy(file, wide.rfind(L"\\\\?\\", 0) == 0 ? wide.c_str() + 4 : wide.c_str(), std::size(file) - 1);
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = g_sheet->window;
    ofn.lpstrFilter = L"PNG 图片 (*.png)\0*.png\0";
    ofn.lpstrDefExt = L"png";
    ofn.lpstrFile = file;
    ofn.nMaxFile = static_cast<DWORD>(std::size(file));
    ofn.lpstrTitle = L"保存总览";
    // The program's relative paths (the template among them) are read from the run directory.
    ofn.Flags = OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_EXPLORER;
    if (!GetSaveFileNameW(&ofn)) return "";
    std::string gbk;
    return GbkName(file, &gbk) ? gbk : "";
}

// Asks for the name and writes the grid (every thumbnail in it).
void SaveSheet() {
    SheetState* s = g_sheet;
    // The batch's folder exists before the dialog opens in it.
    const std::string& offered = s->request.savePath;
    CreateDirectoryW(WidePath(offered.substr(0, offered.find_last_of('\\'))).c_str(), nullptr);
    const std::string path = AskSavePath(offered);
    if (path.empty() || g_sheet != s) return;
    const std::vector<uint8_t> png = PackSheet(s->sheet);
    const uint32_t error = png.empty() ? static_cast<uint32_t>(ERROR_NOT_ENOUGH_MEMORY) : WriteWholeFile(path, png.data(), png.size());
    if (error) return ReportFailure("总览没有保存", path, error);
    SetNote("已保存: " + path);
}

}  // namespace

void ShowSheetWindow(SheetRequest request) {
    if (g_sheet || request.entries.empty()) return;
    SheetState state;
    state.request = std::move(request);
    const SheetRequest& r = state.request;
    state.layout = LayoutSheet(r.entries.size(), r.templateWidth, r.templateHeight, kColumns);
    state.sheet = StartSheet(r.entries, state.layout, r.labelFont);
    if (state.sheet.bgra.empty()) return ShowFailure("总览画不出: 内存不够");
    for (const SheetEntry& e : r.entries) state.marked += e.marked;
    state.run = std::make_unique<ThumbnailRun>(r.entries, state.layout, ProcessorCount());
    g_sheet = &state;
    uint32_t load[3] = {kWindowId, 0, 1};  // window id, no owner, modal
    // Returns once the window has closed; the main window is disabled meanwhile.
    RuntimeNotify(kNotifyLoadWindow, PtrWord(load), 0, 0);
    g_sheet = nullptr;
    state.run.reset();  // waits for the thumbnails still being drawn
    Free(state.shown);
}

}  // namespace app

using namespace app;

extern "C" void IMPRINTA_CDECL OnSheetWindowCreated(EventResultSlot*) {
    SheetState* s = g_sheet;
    if (!s) return;
    s->box = UnitHandle(kSheetBox);
    s->window = s->box ? GetParent(s->box) : nullptr;
    if (!s->box || !s->window) return;
    // The captions take the text colour the skin gave the main window's labels.
    SetProperty(kWindowId, kNote, mainwindow::kTransLabelTextColour,
                static_cast<uint32_t>(GetProperty(kMainWindow, mainwindow::kTitleTextLabel, mainwindow::kTransLabelTextColour)));
    SetWindowLongW(s->box, GWL_STYLE, GetWindowLongW(s->box, GWL_STYLE) | WS_VSCROLL);
    SetWindowPos(s->box, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    g_boxProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(s->box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BoxProc)));
    g_windowProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(s->window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc)));
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMax = static_cast<int>(s->sheet.height) - 1;
    info.nPage = static_cast<UINT>(BoxClient().bottom);
    SetScrollInfo(s->box, SB_VERT, &info, TRUE);
    ShowSlice();
    NoteProgress();
    SetTimer(s->window, kFillTimer, kFillEveryMs, FillTick);
}

extern "C" void IMPRINTA_CDECL SheetWindowSave(EventResultSlot*) {
    SheetState* s = g_sheet;
    if (!s) return;
    if (!s->run) return SaveSheet();
    // The picture saved holds every poster: saved once the last one is in, the window answering meanwhile.
    s->saveWhenDrawn = true;
    NoteProgress();
}

extern "C" void IMPRINTA_CDECL SheetWindowClose(EventResultSlot*) {
    if (g_sheet && g_sheet->window) PostMessageW(g_sheet->window, WM_CLOSE, 0, 0);
}
