// The downloads on a clean Wine prefix (run by clean_machine.sh, skipped
// otherwise): the unpacked portable folder, the same folder read-only, and the
// program the installer's Start-menu shortcut points at. Each starts, shows
// its window, takes a typed title, exports the poster and closes with 0.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <cstdlib>
#include "app_driver.h"
#include "support/child_process.h"

using namespace apptest;

namespace {

const char kExportName[] = "公众号Brightquill 关注获取更多项目和软件.png";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Imprinta";

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// Start, type a title, export, read the file back, close. A folder that cannot
// be written to still gives a working window: the export says so and asks for
// another folder, and the settings go to the person's application data.
void StartTypeExportClose(const std::string& folder, bool writable) {
    std::string exported = folder + kExportName;
    DeleteFileA(exported.c_str());
    Program program;
    ASSERT_EQ("", program.Start(folder)) << folder;
    EXPECT_TRUE(IsWindowVisible(program.window()));
    // The program's own fonts, from its folder (none is installed here), lead
    // the list marked and are what the sample poster is drawn in.
    const std::vector<std::wstring> fonts = program.ComboItems(U::TitleFont);
    ASSERT_GE(fonts.size(), 2u);
    EXPECT_EQ(L"文泉驿微米黑（可商用）", fonts[0]);
    EXPECT_EQ(L"霞鹜文楷（可商用）", fonts[1]);
    EXPECT_EQ(0, program.ComboSelection(U::TitleFont));
    ASSERT_TRUE(program.SetText(U::TitleText, L"干净的机器"));
    if (!writable) {
        // The refused export says so once and asks for another folder (cancelled
        // here); the settings move to the person's application data, said once.
        wchar_t appData[MAX_PATH] = L"";
        ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)));
        const std::string roaming = Ansi(appData) + "\\Imprinta\\pz.ini";
        DeleteFileA(roaming.c_str());
        std::vector<std::wstring> notices;
        ASSERT_TRUE(ExportAskingForAFolder(program, &notices, [](HWND asked) { PostMessageW(asked, WM_COMMAND, IDCANCEL, 0); }))
            << "no other folder was asked for";
        EXPECT_EQ(1u, notices.size()) << "export into a read-only folder";
        EXPECT_FALSE(ReadPng(exported).ok());
        notices.clear();
        EXPECT_EQ(0, program.CloseForNotices(&notices));
        EXPECT_TRUE(notices.empty()) << Ansi(notices[0]);
        const std::vector<std::wstring> said = program.Completions();
        ASSERT_EQ(1u, said.size()) << "the settings' move";
        EXPECT_NE(std::wstring::npos, said[0].find(L"Imprinta\\pz.ini")) << Ansi(said[0]);
        EXPECT_NE(std::string::npos, testsupport::ReadWholeFile(roaming).find("干净的机器"));
        DeleteFileA(roaming.c_str());
        return;
    }
    ASSERT_TRUE(program.Click(U::ExportButton));
    Picture p = ReadPng(exported);
    ASSERT_EQ(1080, p.width) << "the sample template's poster was not exported";
    int red = 0;
    for (int y = 110; y < 200; ++y)
        for (int x = 0; x < p.width; ++x) red += IsRed(p.at(x, y)[0], p.at(x, y)[1], p.at(x, y)[2]);
    EXPECT_GT(red, 1000) << "no title on the exported poster";
    EXPECT_EQ(0, program.Close());
}

std::string VersionResource(const std::string& exe) {
    DWORD ignored = 0, size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    std::string block(size, '\0');
    if (!size || !GetFileVersionInfoA(exe.c_str(), 0, size, block.data())) return "no version resource";
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    wchar_t* text = nullptr;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) ||
        !VerQueryValueW(block.data(), L"\\StringFileInfo\\080404B0\\FileVersion", reinterpret_cast<void**>(&text),
                        &length))
        return "incomplete version resource";
    std::string numbers = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                          std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                          std::to_string(HIWORD(fixed->dwFileVersionLS));
    std::string string = Ansi(text);
    return numbers == string ? string : "fixed " + numbers + " but text " + string;
}

// What `Imprinta.exe --version` prints into a file, and its exit code.
std::string VersionOutput(const std::string& folder, DWORD* code) {
    std::string out = testsupport::MakeScratchDirectory("package-version") + "out.txt";
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE file = CreateFileA(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = file;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "\"" + folder + "Imprinta.exe\" --version";
    BOOL started = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &si, &pi);
    CloseHandle(file);
    *code = 99;
    if (!started) return "not started";
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, code);
    else TerminateProcess(pi.hProcess, 98);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return testsupport::ReadWholeFile(out);
}

std::string UninstallValue(const char* name) {
    char value[MAX_PATH] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return "";
    return value;
}

struct Shortcut {
    std::string target, workingDirectory;
};
Shortcut ResolveShortcut(const std::string& lnk) {
    Shortcut s;
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(Wide(lnk).c_str(), STGM_READ))) {
        char path[MAX_PATH] = {};
        if (SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0))) s.target = path;
        if (SUCCEEDED(link->GetWorkingDirectory(path, MAX_PATH))) s.workingDirectory = path;
    }
    if (file) file->Release();
    if (link) link->Release();
    CoUninitialize();
    return s;
}

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return path;
}

}  // namespace

// The version the resource, --version, the zip name and the installer name
// carry (clean_machine.sh passes the two names' versions).
TEST(Package, VersionsAgree) {
    std::string folder = Env("IMPRINTA_PACKAGE_FOLDER"), names = Env("IMPRINTA_PACKAGE_VERSIONS");
    if (folder.empty() || names.empty()) GTEST_SKIP() << "run by clean_machine.sh";
    std::string version = VersionResource(folder + "Imprinta.exe");
    DWORD code = 0;
    std::string printed = VersionOutput(folder, &code);
    EXPECT_EQ(0u, code);
    EXPECT_EQ("Imprinta " + version + "\n", printed);
    EXPECT_EQ(version + " " + version, names) << "zip and installer names";
}

TEST(Package, PortableFolder) {
    std::string folder = Env("IMPRINTA_PACKAGE_FOLDER");
    if (folder.empty()) GTEST_SKIP() << "run by clean_machine.sh";
    StartTypeExportClose(folder, true);
    EXPECT_TRUE(FileExistsA(folder + "pz.ini"));
}

TEST(Package, ReadOnlyFolder) {
    std::string folder = Env("IMPRINTA_PACKAGE_READONLY");
    if (folder.empty()) GTEST_SKIP() << "run by clean_machine.sh";
    ASSERT_FALSE(testsupport::WriteWholeFile(folder + "probe.txt", "x")) << "the folder is writable";
    std::string settings = testsupport::ReadWholeFile(folder + "pz.ini");
    StartTypeExportClose(folder, false);
    EXPECT_EQ(settings, testsupport::ReadWholeFile(folder + "pz.ini"));
}

// The installed program, reached as a user reaches it: the Start-menu
// shortcut, registered for uninstalling under its version.
TEST(Package, InstalledShortcut) {
    std::string version = Env("IMPRINTA_INSTALLED_VERSION");
    if (version.empty()) GTEST_SKIP() << "run by clean_machine.sh";
    Shortcut s = ResolveShortcut(ShellFolder(CSIDL_PROGRAMS) + "\\Imprinta\\Imprinta.lnk");
    ASSERT_FALSE(s.target.empty()) << "no Start-menu shortcut";
    EXPECT_TRUE(FileExistsA(ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Imprinta.lnk"));
    std::string folder = s.workingDirectory + "\\";
    EXPECT_EQ(folder + "Imprinta.exe", s.target);
    EXPECT_EQ(version, UninstallValue("DisplayVersion"));
    EXPECT_EQ(s.workingDirectory, UninstallValue("InstallLocation"));
    EXPECT_NE(std::string::npos, UninstallValue("QuietUninstallString").find("Uninstall.exe"));
    StartTypeExportClose(folder, true);
}
