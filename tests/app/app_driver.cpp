#include "app_driver.h"
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <cwchar>
#include <cstring>
#include <png.h>
#include "renderer/picture_io.h"
#include "support/child_process.h"

namespace apptest {

namespace {

// The window's caption: the name followed by twelve spaces.
const wchar_t kCaption[] = L"Imprinta            ";

struct UnitPlace {
    U unit;
    const char* className;
    int x, y;  // top-left in the main window's client area
};
// Units inside the group box sit at the group box's (600, 8) plus their own place.
// On a smaller or larger window the group keeps to the right edge and the units
// under the body text may move up: they are found by class and left edge.
const UnitPlace kPlaces[] = {
    {U::TemplatePath, "Edit", 600 + 87, 8 + 24},     {U::TitleText, "Edit", 600 + 68, 8 + 63},
    {U::TitleFont, "ComboBox", 600 + 67, 8 + 96},    {U::TitleColour, "Button", 600 + 209, 8 + 91},
    {U::TitleSize, "Edit", 600 + 288, 8 + 91},       {U::TitleX, "Edit", 672, 131},
    {U::TitleY, "Edit", 813, 131},                   {U::BodyFont, "ComboBox", 666, 163},
    {U::BodyColour, "Button", 808, 160},             {U::BodySize, "Edit", 600 + 288, 8 + 153},
    {U::BodyX, "Edit", 672, 192},                    {U::BodyY, "Edit", 813, 192},
    {U::BodyText, "Edit", 600 + 14, 8 + 247},        {U::ExportButton, "Button", 600 + 112, 8 + 544},
    {U::AddTextsButton, "Button", 600 + 16, 8 + 544}, {U::PreviewButton, "Button", 600 + 232, 8 + 552},
    {U::ExportAllButton, "Button", 600 + 360, 8 + 248}, {U::TutorialButton, "Button", 960, 296},
    {U::TableBatchButton, "Button", 600 + 360, 8 + 344},
    {U::SettingsGroup, "Button", 600, 8},            {U::PreviewBox, "_QX_PicBox", 3, 1},
    {U::TextStyleButton, "Button", 600 + 360, 8 + 88},
    {U::FieldList, "ComboBox", 600 + 360, 8 + 128},      {U::FieldSettingsButton, "Button", 600 + 360, 8 + 158},
    {U::RemoveFieldButton, "Button", 600 + 414, 8 + 158}, {U::FieldUpButton, "Button", 600 + 360, 8 + 190},
    {U::FieldDownButton, "Button", 600 + 406, 8 + 190},  {U::AddTextFieldButton, "Button", 600 + 336, 8 + 544},
    {U::AddPictureFieldButton, "Button", 600 + 394, 8 + 544}, {U::AddQrFieldButton, "Button", 600 + 336, 8 + 570},
};

struct ChildInfo {
    HWND hwnd;
    std::string className;
    RECT rect;  // in the main window's client coordinates
};

struct ChildCtx {
    HWND window;
    std::vector<ChildInfo>* out;
};

BOOL CALLBACK CollectChild(HWND h, LPARAM lp) {
            auto* c = reinterpret_cast<ChildCtx*>(lp);
            char cls[64] = {};
            GetClassNameA(h, cls, sizeof cls);
            RECT r;
            GetWindowRect(h, &r);
            MapWindowPoints(nullptr, c->window, reinterpret_cast<POINT*>(&r), 2);
            c->out->push_back({h, cls, r});
            return TRUE;
}

std::vector<ChildInfo> Children(HWND window) {
    std::vector<ChildInfo> out;
    ChildCtx ctx = {window, &out};
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&ctx));
    return out;
}

struct TopCtx {
    DWORD pid;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND h, LPARAM lp) {
    auto* c = reinterpret_cast<TopCtx*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    wchar_t text[64] = {};
    GetWindowTextW(h, text, 64);
    if (owner == c->pid && IsWindowVisible(h) && wcscmp(text, c->caption) == 0) c->found = h;
    return c->found ? FALSE : TRUE;
}

struct FindCtx {
    DWORD pid;
    HWND found;
    const wchar_t* caption = nullptr;  // boxes only
};

BOOL CALLBACK MatchMainWindow(HWND h, LPARAM lp) {
            auto* c = reinterpret_cast<FindCtx*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner != c->pid || !IsWindowVisible(h)) return TRUE;
            wchar_t text[64] = {};
            GetWindowTextW(h, text, 64);
            if (wcscmp(text, kCaption) != 0) return TRUE;
            c->found = h;
            return FALSE;
}

HWND FindMainWindow(DWORD pid) {
    FindCtx ctx = {pid, nullptr};
    EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

std::wstring Wide(const std::string& gbk) {
    if (gbk.empty()) return L"";
    int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), w.data(), n);
    return w;
}

std::string Ansi(const std::wstring& wide) {
    if (wide.empty()) return "";
    int n = WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), s.data(), n, nullptr, nullptr);
    return s;
}

// The test runs from <build>\tests\app\; the program and the skin library are built in <build>.
std::string ImprintaExe() { return testsupport::ProgramDirectory() + "..\\..\\Imprinta.exe"; }
std::string BuiltSkinDll() { return testsupport::ProgramDirectory() + "..\\..\\app\\skin\\SkinH_QX.dll"; }
std::string BuiltTutorialPage() { return testsupport::ProgramDirectory() + "..\\..\\tutorial.html"; }

std::string NewProgramFolder(const std::string& tag) {
    std::string folder = testsupport::MakeScratchDirectory("app-" + tag);
    testsupport::CopyFileTo(ImprintaExe(), folder + "Imprinta.exe");
    return folder;
}

std::string BuiltFontsFolder() { return testsupport::ProgramDirectory() + "..\\..\\fonts\\"; }

bool CopyShippedFonts(const std::string& programFolder) {
    const std::string to = programFolder + "fonts\\";
    bool copied = CreateDirectoryA(to.c_str(), nullptr) != 0;
    for (const char* file : {"wqy-microhei.ttf", "LXGWWenKai-Regular.ttf", "LXGWWenKai-Bold.ttf"})
        copied = testsupport::CopyFileTo(BuiltFontsFolder() + file, to + file) && copied;
    return copied;
}

std::string ExportNow(Program& program, const std::string& folder) {
    const std::string file = folder + "公众号Brightquill 关注获取更多项目和软件.png";
    DeleteFileA(file.c_str());
    return program.Click(U::ExportButton) ? testsupport::ReadWholeFile(file) : std::string();
}

bool FileExistsA(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExistsA(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

std::vector<std::string> EntriesIn(const std::string& folder, const char* pattern, bool folders) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\" + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = fd.cFileName;
        if (((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folders && name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

}  // namespace

std::vector<std::string> FileNamesIn(const std::string& folder, const char* pattern) {
    return EntriesIn(folder, pattern, false);
}

std::vector<std::string> SubFoldersIn(const std::string& folder) { return EntriesIn(folder, "*", true); }

bool WriteSolidPng(const std::string& path, int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < rgb.size(); i += 3) rgb[i] = r, rgb[i + 1] = g, rgb[i + 2] = b;
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr)) return false;
    std::string bytes(size, '\0');
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, rgb.data(), 0, nullptr)) return false;
    bytes.resize(size);
    return testsupport::WriteWholeFile(path, bytes);
}

bool WriteSolidJpeg(const std::string& path, int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> jpeg = ::EncodeJpeg(::SolidPicture(static_cast<uint32_t>(width), static_cast<uint32_t>(height), {r, g, b, 255}), 95);
    return testsupport::WriteWholeFile(path, std::string(jpeg.begin(), jpeg.end()));
}

Picture DecodePng(const std::string& bytes) {
    Picture p;
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (bytes.empty() || !png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return p;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return p;
    p.width = static_cast<int>(image.width);
    p.height = static_cast<int>(image.height);
    p.rgba = std::move(pixels);
    return p;
}

Picture ReadPng(const std::string& path) { return DecodePng(testsupport::ReadWholeFile(path)); }

std::vector<std::pair<std::string, std::string>> IniSection(const std::string& file, const std::string& section) {
    std::vector<std::pair<std::string, std::string>> out;
    std::string text = testsupport::ReadWholeFile(file);
    bool inside = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line[0] == '[') {
            inside = line == "[" + section + "]";
            continue;
        }
        if (!inside) continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        out.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return out;
}

Program::~Program() {
    if (watcher_) {
        InterlockedExchange(&stopWatching_, 1);
        WaitForSingleObject(watcher_, 10000);
        CloseHandle(watcher_);
    }
    if (pi_.hProcess) {
        if (running()) {
            TerminateProcess(pi_.hProcess, 0xDEAD);
            WaitForSingleObject(pi_.hProcess, 5000);
        }
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
    }
}

std::string Program::Start(const std::string& folder, DWORD timeoutMs) {
    std::string error = Launch(folder);
    return error.empty() ? WaitForWindow(timeoutMs) : error;
}

std::string Program::Launch(const std::string& folder, const std::string& exeName) {
    folder_ = folder;
    std::string exe = folder + exeName;
    std::string cmd = Quoted(exe);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi_))
        return "CreateProcess failed: " + std::to_string(GetLastError());
    watcher_ = CreateThread(nullptr, 0, WatchCompletions, this, 0, nullptr);
    return "";
}

DWORD WINAPI Program::WatchCompletions(void* self) {
    auto* p = static_cast<Program*>(self);
    HWND answered = nullptr;
    while (!p->stopWatching_ && WaitForSingleObject(p->pi_.hProcess, 50) == WAIT_TIMEOUT) {
        HWND box = p->BoxTitled(kDoneCaption);
        if (!box) box = p->BoxTitled(kNoteCaption);
        std::wstring text = box ? BoxText(box) : std::wstring();
        if (text.empty()) continue;  // still being set up
        if (box != answered) {
            AcquireSRWLockExclusive(&p->completionsLock_);
            p->completions_.push_back(text);
            ReleaseSRWLockExclusive(&p->completionsLock_);
        }
        answered = box;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    return 0;
}

std::vector<std::wstring> Program::Completions() const {
    AcquireSRWLockShared(&completionsLock_);
    std::vector<std::wstring> copy = completions_;
    ReleaseSRWLockShared(&completionsLock_);
    return copy;
}

bool Program::FindWindowNow() { return (window_ = FindMainWindow(pi_.dwProcessId)) != nullptr; }

std::string Program::WaitForWindow(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!FindWindowNow()) {
        if (!running()) return "the program ended before showing its window, exit code " + std::to_string(WaitExit(0));
        if (GetTickCount() - start > timeoutMs) return "no main window";
        Sleep(50);
    }
    if (!Sync()) return "the window does not answer";
    // A window opened at a stored place is laid out again once placed: look
    // until every unit is where the layout puts it, or the time is up.
    std::string missing;
    for (DWORD settle = GetTickCount(); !(missing = FindUnits()).empty() && GetTickCount() - settle < 5000;) {
        Sleep(100);
        if (!Sync()) return "the window does not answer";
    }
    return missing.empty() ? "" : "units not found:" + missing + "\n" + Describe();
}

std::string Program::FindUnits() {
    units_.clear();
    std::vector<ChildInfo> children = Children(window_);
    // At another resolution the window scales its stored layout: the places
    // too, the group's units from the group's corner.
    const char* dpiText = getenv("IMPRINTA_SCREEN_DPI");
    const int dpi = dpiText && atoi(dpiText) > 0 ? atoi(dpiText) : 96;
    auto scaled = [dpi](int v) { return (v * dpi + 48) / 96; };
    // The group box: the widest Button child at top 8.
    int shift = 0, widest = 0;
    for (const ChildInfo& c : children)
        if (_stricmp(c.className.c_str(), "Button") == 0 && c.rect.top == scaled(8) &&
            c.rect.right - c.rect.left > widest)
            widest = c.rect.right - c.rect.left, shift = c.rect.left - scaled(600);
    std::string missing;
    for (UnitPlace place : kPlaces) {
        if (place.x >= 600) place.x = scaled(600) + scaled(place.x - 600), place.y = scaled(8) + scaled(place.y - 8);
        else place.x = scaled(place.x), place.y = scaled(place.y);
        const int x = place.x >= scaled(600) ? place.x + shift : place.x;
        int nearest = INT_MAX;
        for (const ChildInfo& c : children) {
            if (_stricmp(c.className.c_str(), place.className) != 0 || c.rect.left != x) continue;
            int off = c.rect.top == place.y ? -1 : (c.rect.top < place.y ? place.y - c.rect.top : INT_MAX);
            if (off < nearest) nearest = off, units_[place.unit] = c.hwnd;
        }
        if (!units_.count(place.unit))
            missing += std::string(" ") + place.className + "@" + std::to_string(place.x) + "," +
                       std::to_string(place.y);
    }
    return missing;
}

HWND ChildAt(HWND window, const char* className, int x, int y) {
    for (const ChildInfo& c : Children(window))
        if (_stricmp(c.className.c_str(), className) == 0 && c.rect.left == x && c.rect.top == y) return c.hwnd;
    return nullptr;
}

HWND Program::WaitForTopWindow(const wchar_t* caption, DWORD timeoutMs) const {
    DWORD start = GetTickCount();
    for (;;) {
        TopCtx ctx = {pi_.dwProcessId, caption, nullptr};
        EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&ctx));
        if (ctx.found || GetTickCount() - start > timeoutMs) return ctx.found;
        Sleep(30);
    }
}

HWND Program::unit(U u) const {
    auto it = units_.find(u);
    return it == units_.end() ? nullptr : it->second;
}

std::string Program::Describe() const {
    std::string s;
    for (const ChildInfo& c : Children(window_)) {
        wchar_t text[40] = {};
        GetWindowTextW(c.hwnd, text, 40);
        char line[200];
        snprintf(line, sizeof line, "  %-14s %4ld,%4ld %4ldx%-4ld ", c.className.c_str(), c.rect.left, c.rect.top,
                 c.rect.right - c.rect.left, c.rect.bottom - c.rect.top);
        s += line + Ansi(text) + "\n";
    }
    return s;
}

bool Program::Sync() {
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &r) != 0;
}

std::wstring Program::Text(U u) const { return WindowText(unit(u)); }

std::wstring Program::WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 10000, &length)) return L"<no answer>";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, 10000,
                        &got);
    text.resize(got);
    return text;
}

bool Program::SetText(U u, const std::wstring& text) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(unit(u), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 30000,
                               &r) != 0;
}

bool Program::LeaveBox(HWND box) {
    DWORD_PTR r = 0;
    const WPARAM wp = MAKEWPARAM(GetDlgCtrlID(box), EN_KILLFOCUS);
    return SendMessageTimeoutW(GetParent(box), WM_COMMAND, wp, reinterpret_cast<LPARAM>(box), SMTO_NORMAL, 30000, &r) != 0;
}

bool Program::Click(U u, DWORD timeoutMs) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(unit(u), BM_CLICK, 0, 0, SMTO_NORMAL, timeoutMs, &r) != 0;
}

void Program::PostClick(U u) { PostMessageW(unit(u), BM_CLICK, 0, 0); }

bool Program::SelectCombo(U u, int index) {
    HWND combo = unit(u);
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_NORMAL, 10000, &r)) return false;
    WPARAM wp = MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELENDOK);
    return SendMessageTimeoutW(GetParent(combo), WM_COMMAND, wp, reinterpret_cast<LPARAM>(combo), SMTO_NORMAL, 30000,
                               &r) != 0;
}

std::vector<std::wstring> Program::ComboItems(U u) const {
    std::vector<std::wstring> items;
    HWND combo = unit(u);
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_NORMAL, 10000, &count)) return items;
    for (int i = 0; i < static_cast<int>(count); ++i) {
        DWORD_PTR length = 0;
        SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0, SMTO_NORMAL, 10000, &length);
        std::wstring text(length + 1, L'\0');
        DWORD_PTR got = 0;
        SendMessageTimeoutW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()),
                            SMTO_NORMAL, 10000, &got);
        text.resize(wcslen(text.c_str()));
        items.push_back(text);
    }
    return items;
}

int Program::ComboSelection(U u) const {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(unit(u), CB_GETCURSEL, 0, 0, SMTO_NORMAL, 10000, &r)) return -100;
    return static_cast<int>(static_cast<LRESULT>(r));
}

int Program::Close(DWORD timeoutMs) {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    return WaitExit(timeoutMs);
}

int Program::PressEscape(DWORD timeoutMs) {
    PostMessageW(window_, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    return WaitExit(timeoutMs);
}

int Program::WaitExit(DWORD timeoutMs) {
    if (WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(pi_.hProcess, 0xDEAD);
        WaitForSingleObject(pi_.hProcess, 5000);
        return -2;
    }
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return static_cast<int>(code);
}

bool Program::running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

namespace {
BOOL CALLBACK MatchErrorBox(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<FindCtx*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    wchar_t cls[16] = {}, caption[16] = {};
    GetClassNameW(h, cls, 16);
    GetWindowTextW(h, caption, 16);
    if (owner != s->pid || wcscmp(cls, L"#32770") != 0 || wcscmp(caption, s->caption) != 0) return TRUE;
    s->found = h;
    return FALSE;
}
}  // namespace

HWND Program::ErrorBox() const { return BoxTitled(L"错误"); }

HWND Program::BoxTitled(const wchar_t* caption) const {
    FindCtx search = {pi_.dwProcessId, nullptr, caption};
    EnumWindows(MatchErrorBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

namespace {
BOOL CALLBACK CollectStaticText(HWND h, LPARAM lp) {
    wchar_t cls[16] = {}, text[1024] = {};
    GetClassNameW(h, cls, 16);
    if (_wcsicmp(cls, L"Static") == 0 && GetWindowTextW(h, text, 1024) > 0) *reinterpret_cast<std::wstring*>(lp) += text;
    return TRUE;
}
}  // namespace

// The message: the box's one static control with text (the other holds the
// icon), as the program wrote it: the lone line feeds that fit long lines to
// the screen are taken out.
std::wstring Program::BoxText(HWND box) {
    std::wstring text;
    EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&text));
    std::wstring written;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] != L'\n' || (i > 0 && text[i - 1] == L'\r')) written += text[i];
    return written;
}

int Program::Settle(std::vector<std::wstring>* boxes, bool (*done)(void*), void* context, DWORD timeoutMs,
                    const wchar_t* caption) {
    DWORD start = GetTickCount();
    HWND answered = nullptr;
    for (;;) {
        if (WaitForSingleObject(pi_.hProcess, 20) == WAIT_OBJECT_0) return WaitExit(0);
        // The program's failure notices are answered on the way (kept apart).
        if (HWND notice = wcscmp(caption, kNoticeCaption) != 0 ? BoxTitled(kNoticeCaption) : nullptr) {
            std::wstring text = BoxText(notice);
            if (!text.empty()) {
                if (notice != lastNotice_) notices_.push_back(text);
                lastNotice_ = notice;
                PostMessageW(notice, WM_COMMAND, IDOK, 0);
            }
        }
        if (HWND box = BoxTitled(caption)) {
            // A box still being set up has no text yet: answered once it has.
            std::wstring text = BoxText(box);
            if (!text.empty()) {
                if (box != answered && boxes) boxes->push_back(text);
                answered = box;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
            }
        } else if (done && done(context)) {
            return kStillRunning;
        }
        if (GetTickCount() - start > timeoutMs) return WaitExit(0);
    }
}

std::vector<HWND> Program::AllChildren() const {
    std::vector<HWND> out;
    for (const ChildInfo& c : Children(window_)) out.push_back(c.hwnd);
    return out;
}

std::vector<uint32_t> Program::Capture(U u) const {
    RECT r;
    GetWindowRect(unit(u), &r);
    return CaptureScreen(r);
}

std::vector<uint32_t> Program::CaptureShowing(U u, bool (*test)(int, int, int), int atLeast, DWORD timeoutMs) const {
    std::vector<uint32_t> pixels = Capture(u);
    for (DWORD start = GetTickCount(); CountScreen(pixels, test) < atLeast && GetTickCount() - start < timeoutMs;) {
        Sleep(50);
        pixels = Capture(u);
    }
    return pixels;
}

std::vector<uint32_t> CaptureScreen(const RECT& r) {
    int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    memcpy(pixels.data(), bits, pixels.size() * 4);
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::vector<std::wstring> Program::ClickForNotices(U u) {
    std::vector<std::wstring> notices;
    ClickInBackground click(unit(u));
    Settle(&notices, ClickInBackground::IsDone, &click, 60000, kNoticeCaption);
    return notices;
}

int Program::CloseForNotices(std::vector<std::wstring>* notices) {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    return Settle(notices, nullptr, nullptr, 30000, kNoticeCaption);
}

ClickInBackground::ClickInBackground(HWND button)
    : button_(button), thread_(CreateThread(nullptr, 0, Run, this, 0, nullptr)) {}

ClickInBackground::~ClickInBackground() {
    WaitForSingleObject(thread_, 120000);
    CloseHandle(thread_);
}

bool ClickInBackground::Done() const { return WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0; }

DWORD WINAPI ClickInBackground::Run(void* self) {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(static_cast<ClickInBackground*>(self)->button_, BM_CLICK, 0, 0, SMTO_NORMAL, 120000, &r);
    return 0;
}

int CountScreen(const std::vector<uint32_t>& pixels, bool (*test)(int, int, int)) {
    int n = 0;
    for (uint32_t p : pixels)
        if (test((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF)) ++n;
    return n;
}

std::string RecorderLog() { return testsupport::ProgramDirectory() + "app_record.log"; }

void RegisterRecorderAssociations() {
    std::string recorder = testsupport::ProgramDirectory() + "app_recorder.exe";
    auto set = [](const std::string& key, const std::string& value) {
        HKEY k;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) !=
            ERROR_SUCCESS)
            return;
        RegSetValueExA(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(k);
    };
    // Folders (the batch output), PNG files (the exported picture) and web pages
    // (the tutorial) open in the recorder.
    set("Folder\\shell\\open\\command", Quoted(recorder) + " folder \"%1\"");
    set(".png", "ImprintaAppTestPicture");
    set("ImprintaAppTestPicture\\shell\\open\\command", Quoted(recorder) + " picture \"%1\"");
    set(".html", "ImprintaAppTestPage");
    set("ImprintaAppTestPage\\shell\\open\\command", Quoted(recorder) + " page \"%1\"");
}

int CountOccurrences(const std::string& text, const std::string& needle) {
    int n = 0;
    for (size_t p = text.find(needle); p != std::string::npos; p = text.find(needle, p + needle.size())) ++n;
    return n;
}

std::string WaitForRecord(const std::string& needle, int lines, DWORD timeoutMs) {
    std::string text;
    DWORD start = GetTickCount();
    do {
        text = testsupport::ReadWholeFile(RecorderLog());
        if (CountOccurrences(text, needle) >= lines && !text.empty() && text.back() == '\n') break;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return text;
}

namespace {

BOOL CALLBACK FirstVisibleEdit(HWND h, LPARAM lp) {
    wchar_t cls[16] = {};
    GetClassNameW(h, cls, 16);
    if (_wcsicmp(cls, L"Edit") != 0 || !IsWindowVisible(h)) return TRUE;
    *reinterpret_cast<HWND*>(lp) = h;
    return FALSE;
}

// Types the table's path into the open dialog the click brought up and confirms it.
bool ChooseTable(const Program& program, const std::string& table) {
    HWND open = program.WaitForTopWindow(L"打开", 20000);
    HWND edit = nullptr;
    if (open) EnumChildWindows(open, FirstVisibleEdit, reinterpret_cast<LPARAM>(&edit));
    if (!edit) return false;
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(table).c_str()));
    PostMessageW(open, WM_COMMAND, IDOK, 0);
    return true;
}

// A box's text once it has one (it is set just after the box appears).
std::wstring SettledBoxText(HWND box) {
    std::wstring text;
    for (DWORD start = GetTickCount(); text.empty() && GetTickCount() - start < 5000; Sleep(20))
        text = Program::BoxText(box);
    return text;
}

}  // namespace

int ResultsUnder(const std::string& outputRoot) {
    int n = 0;
    for (const std::string& sub : SubFoldersIn(outputRoot))
        for (const char* pattern : {"*.png", "*.jpg"}) n += static_cast<int>(FileNamesIn(outputRoot + sub, pattern).size());
    return n;
}

std::string ProgressBehind(const Program& program, U button, const std::string& outputRoot, int before) {
    // Counted first: the program answers the read only between two files.
    const int written = ResultsUnder(outputRoot) - before;
    const std::wstring shown = program.Text(button);
    int done = 0, total = 0;
    if (swscanf(shown.c_str(), L"%d / %d", &done, &total) != 2 || done >= written) return "";
    return "\"" + Ansi(shown) + "\" with " + std::to_string(written) + " written";
}

TableBatchRun RunTableBatch(const Program& program, const std::string& table, bool escAfterFirst, bool continueStopped) {
    TableBatchRun run;
    const std::string outputRoot = program.folder() + "批量目录\\";
    const int before = ResultsUnder(outputRoot);
    auto watch = [&] {
        if (run.progressBehind.empty()) run.progressBehind = ProgressBehind(program, U::TableBatchButton, outputRoot, before);
    };
    ClickInBackground click(program.unit(U::TableBatchButton));
    if (!ChooseTable(program, table)) return run;
    if (continueStopped) {
        HWND offer = program.WaitForTopWindow(L"接着上次的批量", 20000);
        if (!offer) return run;
        run.offered = SettledBoxText(offer);
        PostMessageW(offer, WM_COMMAND, IDOK, 0);
    }
    HWND asked = program.WaitForTopWindow(L"按表格批量", 20000);
    if (!asked) return run;
    run.asked = SettledBoxText(asked);
    PostMessageW(asked, WM_COMMAND, IDOK, 0);
    if (escAfterFirst) {
        for (DWORD start = GetTickCount(); program.Text(U::TableBatchButton).rfind(L"1 / ", 0) != 0; Sleep(5), watch())
            if (GetTickCount() - start > 30000) return run;
        PostMessageW(program.window(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    }
    for (DWORD start = GetTickCount(); !click.Done() && GetTickCount() - start < 60000; Sleep(20), watch())
        if (HWND report = program.BoxTitled(Program::kNoticeCaption)) {
            run.report = SettledBoxText(report);
            PostMessageW(report, WM_COMMAND, IDOK, 0);
        }
    run.done = click.Done();
    return run;
}

std::vector<uint32_t> PreviewWhen(const Program& program, const std::vector<uint32_t>& picture, bool same) {
    std::vector<uint32_t> last, now;
    for (int i = 0; i < 100; ++i, Sleep(30)) {
        now = program.Capture(U::PreviewBox);
        if ((now == picture) == same && now == last) break;
        last = now;
    }
    return now;
}

HWND AskTableBatch(const Program& program, const std::string& table) {
    if (!ChooseTable(program, table)) return nullptr;
    HWND asked = program.WaitForTopWindow(L"按表格批量", 20000);
    return asked && !SettledBoxText(asked).empty() ? asked : nullptr;
}

HWND ButtonCaptioned(HWND box, const wchar_t* caption) {
    for (HWND child = FindWindowExW(box, nullptr, L"Button", nullptr); child;
         child = FindWindowExW(box, child, L"Button", nullptr)) {
        wchar_t text[64] = {};
        DWORD_PTR n = 0;
        SendMessageTimeoutW(child, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &n);
        if (wcscmp(text, caption) == 0) return child;
    }
    return nullptr;
}

// Answers the program's open or save dialog (caption) with a file name, as a person typing it would.
bool AnswerFileDialog(const Program& program, const wchar_t* caption, const std::string& path) {
    HWND box = program.WaitForTopWindow(caption);
    if (!box) return false;
    HWND name = GetDlgItem(box, 0x47C);  // the file name field (a combo box with an edit field)
    if (HWND edit = FindWindowExW(name, nullptr, L"Edit", nullptr)) name = edit;
    if (!name) name = GetDlgItem(box, 0x480);
    DWORD_PTR r = 0;
    std::wstring wide = Wide(path);
    if (!SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_NORMAL, 10000, &r))
        return false;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 300 && IsWindow(box); ++i) Sleep(20);
    return !IsWindow(box);
}

const char kTwoRowTable[] = "标题,文案,文件名\r\n甲,一,first\r\n乙,二,\r\n";

std::string MissingFromFailedRowsReport(const TableBatchRun& run, const wchar_t* reason) {
    if (!run.done) return "the table batch did not end";
    std::string missing;
    for (const wchar_t* part : {L"写出 0 张, 跳过 0 张, 失败 2 张", L"(第 2 行)", L"(第 3 行)", reason})
        if (run.report.find(part) == std::wstring::npos) missing += "[" + Ansi(part) + "] ";
    return missing.empty() ? "" : missing + "not in: " + Ansi(run.report);
}

bool ExportAskingForAFolder(Program& program, std::vector<std::wstring>* notices,
                            const std::function<void(HWND asked)>& answer) {
    ClickInBackground click(program.unit(U::ExportButton));
    HWND asked = nullptr;
    for (DWORD start = GetTickCount(); !asked && GetTickCount() - start < 30000; Sleep(50)) {
        if (HWND notice = program.BoxTitled(Program::kNoticeCaption)) {
            std::wstring text = Program::BoxText(notice);
            if (text.empty()) continue;
            notices->push_back(text);
            PostMessageW(notice, WM_COMMAND, IDOK, 0);
            while (IsWindow(notice)) Sleep(20);
        }
        asked = program.BoxTitled(L"选择保存图片的位置");
    }
    if (asked) answer(asked);
    return asked != nullptr;
}

}  // namespace apptest
