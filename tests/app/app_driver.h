// Drives the real Imprinta.exe from outside: a scratch program folder, the
// process, its main window and the units found by class and position.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace apptest {

// GBK (code page 936) <-> UTF-16.
std::wstring Wide(const std::string& gbk);
std::string Ansi(const std::wstring& wide);

std::string ImprintaExe();     // the built program
std::string BuiltSkinDll();    // the skin library the program embeds
std::string BuiltTutorialPage();  // the tutorial page the program embeds
// A fresh folder holding a copy of Imprinta.exe (trailing backslash).
std::string NewProgramFolder(const std::string& tag);
// The fonts the program ships, as the build fetched them (folder\fonts\ gets a
// copy; none of them is installed in the test prefix).
std::string BuiltFontsFolder();
bool CopyShippedFonts(const std::string& programFolder);

bool FileExistsA(const std::string& path);
bool DirectoryExistsA(const std::string& path);
std::vector<std::string> FileNamesIn(const std::string& folder, const char* pattern = "*");
// The folder's sub-folders in the order the file system lists them.
std::vector<std::string> SubFoldersIn(const std::string& folder);

// Pictures made and read with libpng (8-bit RGB written, RGBA read back).
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
    bool ok() const { return width > 0; }
    const uint8_t* at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};
bool WriteSolidPng(const std::string& path, int width, int height, uint8_t r, uint8_t g, uint8_t b);
bool WriteSolidJpeg(const std::string& path, int width, int height, uint8_t r, uint8_t g, uint8_t b);
Picture ReadPng(const std::string& path);
Picture DecodePng(const std::string& bytes);

// The pairs of an INI section, in file order.
std::vector<std::pair<std::string, std::string>> IniSection(const std::string& file, const std::string& section);

// The units the tests drive.
enum class U {
    TemplatePath, TitleText, TitleFont, TitleColour, TitleSize, TitleX, TitleY,
    BodyFont, BodyColour, BodySize, BodyX, BodyY, BodyText,
    ExportButton, AddTextsButton, PreviewButton, ExportAllButton, TutorialButton, TableBatchButton,
    SettingsGroup, PreviewBox, TextStyleButton,
    FieldList, FieldSettingsButton, RemoveFieldButton, FieldUpButton, FieldDownButton,
    AddTextFieldButton, AddPictureFieldButton, AddQrFieldButton,
};

// A child window of `window` (any depth) of the class whose top-left corner is
// at (x, y) in the window's client area, or null.
HWND ChildAt(HWND window, const char* className, int x, int y);

class Program {
public:
    Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();

    // Starts folder\Imprinta.exe with folder as working directory and waits
    // for its visible main window and its message loop. Empty on success,
    // else what went wrong.
    std::string Start(const std::string& folder, DWORD timeoutMs = 20000);
    // Start in two halves: the process (exe in folder, default Imprinta.exe),
    // then its main window and units.
    std::string Launch(const std::string& folder, const std::string& exe = "Imprinta.exe");
    std::string WaitForWindow(DWORD timeoutMs = 20000);
    bool FindWindowNow();  // the main window if it is on the screen now
    // Another visible top-level window of the program with this caption, waited for up to timeoutMs.
    HWND WaitForTopWindow(const wchar_t* caption, DWORD timeoutMs = 15000) const;
    HWND window() const { return window_; }
    const std::string& folder() const { return folder_; }  // the program folder it was launched in
    HANDLE process() const { return pi_.hProcess; }
    HWND unit(U u) const;
    // A listing of every child window, for failure messages.
    std::string Describe() const;
    // The units' handles found by their laid-out places; names those not found.
    std::string FindUnits();

    bool Sync();  // a round trip through the program's message queue
    std::wstring Text(U u) const;
    static std::wstring WindowText(HWND window);  // WM_GETTEXT, as the control answers it
    bool SetText(U u, const std::wstring& text);  // WM_SETTEXT: fires the change event once
    bool Click(U u, DWORD timeoutMs = 60000);     // BM_CLICK, handled before it returns
    void PostClick(U u);
    bool SelectCombo(U u, int index);             // CB_SETCURSEL + CBN_SELENDOK to the parent
    std::vector<std::wstring> ComboItems(U u) const;
    int ComboSelection(U u) const;

    // Posts WM_CLOSE (or the Esc key) and waits: the exit code, or -2 when the
    // process did not end in time (it is then killed).
    int Close(DWORD timeoutMs = 15000);
    int PressEscape(DWORD timeoutMs = 15000);
    int WaitExit(DWORD timeoutMs);
    bool running() const;

    // The program's error message box ("错误") if one is on the screen.
    HWND ErrorBox() const;
    static std::wstring BoxText(HWND box);
    // Waits until the process ends, answering each error box with OK and
    // collecting its text, or until `done` answers true. The exit code, -2 on
    // time-out, or kStillRunning when `done` ended the wait.
    static constexpr int kStillRunning = -3;
    int Settle(std::vector<std::wstring>* boxes, bool (*done)(void*) = nullptr, void* context = nullptr,
               DWORD timeoutMs = 30000, const wchar_t* caption = L"错误");
    // A box of the program's with this caption, if one is on the screen.
    HWND BoxTitled(const wchar_t* caption) const;
    // The failure notices ("未能完成") a click brings up, each answered with OK.
    static constexpr const wchar_t* kNoticeCaption = L"未能完成";
    std::vector<std::wstring> ClickForNotices(U u);
    // Closes the window answering its notices: the exit code.
    int CloseForNotices(std::vector<std::wstring>* notices);
    // What the box's control tells its parent when the focus leaves it (the
    // box then tidies its text as its input mode says).
    static bool LeaveBox(HWND box);
    // The notices a Settle for other boxes answered on the way.
    const std::vector<std::wstring>& notices() const { return notices_; }
    // The end of a batch that wrote everything ("完成") and notes ("提示") are
    // information boxes, answered by a watcher thread as soon as they show:
    // these are their texts, in order.
    static constexpr const wchar_t* kDoneCaption = L"完成";
    static constexpr const wchar_t* kNoteCaption = L"提示";
    std::vector<std::wstring> Completions() const;
    // A unit as it is on the screen (0x00RRGGBB rows), for the preview and the colour pickers.
    std::vector<uint32_t> Capture(U u) const;
    // The unit as shown once at least `atLeast` pixels pass `test`, or after
    // `timeoutMs`: a unit just shown may not have painted yet.
    std::vector<uint32_t> CaptureShowing(U u, bool (*test)(int, int, int), int atLeast, DWORD timeoutMs = 3000) const;
    // Every child window of the main window, at any depth.
    std::vector<HWND> AllChildren() const;

private:
    PROCESS_INFORMATION pi_ = {};
    std::string folder_;
    HWND window_ = nullptr;
    std::map<U, HWND> units_;
    std::vector<std::wstring> notices_;
    HWND lastNotice_ = nullptr;
    static DWORD WINAPI WatchCompletions(void* self);
    HANDLE watcher_ = nullptr;
    volatile LONG stopWatching_ = 0;
    mutable SRWLOCK completionsLock_ = SRWLOCK_INIT;
    std::vector<std::wstring> completions_;
};

// A button clicked from a thread of its own: BM_CLICK returns only after the
// handler, which may run for long (the batch job) or never return (an error
// report ends the process).
class ClickInBackground {
public:
    explicit ClickInBackground(HWND button);
    ~ClickInBackground();  // waits for the click to return
    bool Done() const;
    static bool IsDone(void* self) { return static_cast<ClickInBackground*>(self)->Done(); }

private:
    static DWORD WINAPI Run(void* self);
    HWND button_;
    HANDLE thread_;
};

// Pictures (PNG and JPEG) in the numbered folders under a batch's output root.
int ResultsUnder(const std::string& outputRoot);
// A batch button's progress read once against the results: "" when it shows
// no "done / total" or done is at least the files written since `before`
// results were there, else what it showed beside how many were written.
std::string ProgressBehind(const Program& program, U button, const std::string& outputRoot, int before);

// The window's table batch run through its file dialog with table (a full
// path): what the window said before the run, which is then started, and its
// end report ("" when none came); done once the click has returned. With
// escAfterFirst, Esc is pressed at the window once the first file is written.
// The button's progress is read throughout: the first time it was behind the
// files written is kept.
struct TableBatchRun {
    std::wstring offered, asked, report;  // offered: the offer to continue a stopped run, answered OK
    std::string progressBehind;
    bool done = false;
};
TableBatchRun RunTableBatch(const Program& program, const std::string& table, bool escAfterFirst = false,
                            bool continueStopped = false);
// A named row and a numbered one, for batches where every file fails.
// Starts the table batch (its button clicked by `click`'s thread) on a table and
// returns the confirm box it shows, or null.
// Polls the preview until it is (or is no longer) `picture` and stays so between two looks.
std::vector<uint32_t> PreviewWhen(const Program& program, const std::vector<uint32_t>& picture, bool same);

HWND AskTableBatch(const Program& program, const std::string& table);
// A box's button by its caption, or null.
HWND ButtonCaptioned(HWND box, const wchar_t* caption);
// Answers the program's open or save dialog (caption) with a file name, as a person typing it would.
bool AnswerFileDialog(const Program& program, const wchar_t* caption, const std::string& path);
extern const char kTwoRowTable[];
// What a run of kTwoRowTable over one template where every file fails lacks
// in its end report (both rows named with the reason, nothing counted as
// written), or "" when nothing.
std::string MissingFromFailedRowsReport(const TableBatchRun& run, const wchar_t* reason);

// Colour tests on 0x00RRGGBB screen pixels / RGBA picture pixels.
inline bool IsRed(int r, int g, int b) { return r > 180 && g < 90 && b < 90; }
inline bool IsBlue(int r, int g, int b) { return b > 180 && r < 90 && g < 90; }
int CountScreen(const std::vector<uint32_t>& pixels, bool (*test)(int, int, int));
// A screen rectangle's pixels (0x00RRGGBB rows).
std::vector<uint32_t> CaptureScreen(const RECT& r);

// The shell recorder: associations that start app_recorder.exe, and its log.
void RegisterRecorderAssociations();
std::string RecorderLog();
// Waits until the log holds at least `lines` lines containing `needle`.
std::string WaitForRecord(const std::string& needle, int lines, DWORD timeoutMs = 15000);
int CountOccurrences(const std::string& text, const std::string& needle);

// Clicks the export button and gives the exported picture's bytes (empty when none).
std::string ExportNow(Program& program, const std::string& folder);

// Clicks the export button in the background and answers each failure box it
// shows (their texts into *notices) until the file dialog asks for another
// folder, which answer() then deals with; false when no folder was asked for.
bool ExportAskingForAFolder(Program& program, std::vector<std::wstring>* notices,
                            const std::function<void(HWND asked)>& answer);

}  // namespace apptest
