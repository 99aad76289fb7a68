#include "app/window/save_place.h"
#include <commdlg.h>
#include <shlobj.h>
#include "app/platform/file_io.h"
#include "app/platform/runtime_calls.h"

namespace app {

namespace {

std::string g_outputFolder;

std::string Gbk(const std::wstring& wide) {
    int n = WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

const std::string& ChosenOutputFolder() { return g_outputFolder; }

void SetChosenOutputFolder(const std::string& folder) {
    g_outputFolder = folder;
    while (!g_outputFolder.empty() && (g_outputFolder.back() == '\\' || g_outputFolder.back() == '/'))
        g_outputFolder.pop_back();
}

std::string OutputPath(const char* tail) { return g_outputFolder.empty() ? RunDirectoryPath(tail) : g_outputFolder + tail; }

bool IsRefusedWrite(uint32_t error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT || error == ERROR_NOT_SUPPORTED;
}

bool FolderWritable(const std::string& folder) {
    const std::wstring probe = WidePath(folder + "\\~imprinta.probe");
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(h);
    return true;
}

std::string RoamingSettingsFile() {
    wchar_t folder[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) || !*folder) return "";
    return Gbk(folder) + "\\Imprinta\\pz.ini";
}

std::string AskExportFile(HWND owner, FileFormat kind, const std::string& suggested, const wchar_t* title) {
    wchar_t file[MAX_PATH * 4] = L"";
    const std::wstring name = WideText(suggested);
    wcsncpy(file, name.c_str(), MAX_PATH * 4 - 1);
    const bool jpeg = kind == FileFormat::Jpeg;
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = jpeg ? L"JPEG 图片 (*.jpg)\0*.jpg\0" : L"PNG 图片 (*.png)\0*.png\0";
    ofn.lpstrDefExt = jpeg ? L"jpg" : L"png";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH * 4;
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&ofn)) return "";
    return Gbk(file);
}

bool ShowExportMenu(HWND window, HWND clicked, LPARAM point) {
    wchar_t caption[16] = L"";
    GetWindowTextW(clicked, caption, 16);
    if (wcscmp(caption, L"导出图片") != 0) return false;
    POINT at = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    if (point == -1) {  // from the keyboard: under the button
        RECT r;
        GetWindowRect(clicked, &r);
        at = {r.left, r.bottom};
    }
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, kSaveAsCommand, L"另存为…");
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
    DestroyMenu(menu);
    return true;
}

}  // namespace app
