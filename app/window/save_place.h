// Where the program's files go when its own folder cannot take them (an
// install for all users, a locked USB stick): settings in
// %APPDATA%\Imprinta\pz.ini, exports and batches in a folder the person picks
// ("另存为…" on the export button's right-click menu, or asked when an export
// is refused), remembered in pz.ini.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "app/poster/output_format.h"

namespace app {

// The folder picked for exports and batches (no trailing backslash), or empty:
// the program's folder.
const std::string& ChosenOutputFolder();
void SetChosenOutputFolder(const std::string& folder);
// tail ("\\批量目录\\", "\\name.png") under the chosen folder, else the program's.
std::string OutputPath(const char* tail);

// Whether a failed write means the place refuses writing (not a full disk).
bool IsRefusedWrite(uint32_t error);
// Whether a file can be made in folder now (a probe deleted as it closes).
bool FolderWritable(const std::string& folder);
// %APPDATA%\Imprinta\pz.ini, or empty when there is no such folder.
std::string RoamingSettingsFile();

// The save dialog for the exported picture: the chosen path (GBK), or empty
// when the person cancelled. title names why it is asked.
std::string AskExportFile(HWND owner, FileFormat kind, const std::string& suggested, const wchar_t* title);

// The export button's right-click menu command ("另存为…"), sent to the main window.
constexpr UINT kSaveAsCommand = 0x5A01;
// Shows the menu when point (screen; -1,-1 from the keyboard) is over the export button.
bool ShowExportMenu(HWND window, HWND clicked, LPARAM point);

}  // namespace app
