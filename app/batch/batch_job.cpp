#include "app/batch/batch_job.h"
#include <windows.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include "app/window/batch_run.h"
#include "app/platform/failure_report.h"
#include "app/platform/file_io.h"
#include "app/window/handlers.h"
#include "app/window/preview.h"
#include "app/window/window_poster.h"
#include "app/window/program_state.h"
#include "app/render/renderer.h"
#include "app/platform/runtime_calls.h"
#include "app/window/save_place.h"
#include "app/window/settings.h"
#include "app/window/unit_access.h"
#include "runtime/core/blocks.h"
#include "runtime/core/runtime_interface.h"

namespace app {

namespace {

constexpr int32_t kPauseMs = 100;
const char kExportAllCaption[] = "多个模板导出";

// The search goes through the wide-character functions, so long paths and
// names outside GBK are found. Such a name is handed on as its short name when
// the file system keeps one (the file opens by it); without one it cannot
// travel through GBK texts and is counted as left out.
int32_t g_namesLeftOut = 0;

char* NameOf(const WIN32_FIND_DATAW& data) {
    std::string gbk;
    if (GbkName(data.cFileName, &gbk) || (data.cAlternateFileName[0] && GbkName(data.cAlternateFileName, &gbk)))
        return imprinta::CopyText(gbk);
    ++g_namesLeftOut;
    return nullptr;
}

// Folders only: the directory attribute; files only: anything that is not a folder.
bool Wanted(const WIN32_FIND_DATAW& data, bool filesOnly) {
    return ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != filesOnly;
}

char* NextFoundName(const char* pattern, bool filesOnly, HANDLE* search) {
    WIN32_FIND_DATAW data;
    bool found;
    if (pattern && *pattern) {
        if (*search) FindClose(*search);
        *search = FindFirstFileW(WidePath(pattern).c_str(), &data);
        if (*search == INVALID_HANDLE_VALUE) *search = nullptr;
        found = *search != nullptr;
    } else {
        found = *search && FindNextFileW(*search, &data);
    }
    for (; found; found = FindNextFileW(*search, &data))
        if (Wanted(data, filesOnly))
            if (char* name = NameOf(data)) return name;
    if (*search) FindClose(*search);
    *search = nullptr;
    return nullptr;
}

void EndSearch(HANDLE search) {
    if (search) FindClose(search);
}

void AppendToList(void** list, char* text) {
    uint32_t n = ListCount(*list);
    auto* block = static_cast<uint32_t*>(ReallocMemory(*list, 8 + 4 * (n + 1)));
    block[0] = 1;
    block[1] = n + 1;
    reinterpret_cast<char**>(block + 2)[n] = text;
    *list = block;
}

std::vector<std::string> SplitPatterns(const char* patterns) {
    std::vector<std::string> out;
    void* pieces = reinterpret_cast<void*>(static_cast<uintptr_t>(
        CallCore(kCmdSplitText, {ArgText(patterns), ArgText("|"), ArgOmitted()}).low));
    for (uint32_t i = 0; i < ListCount(pieces); ++i) {
        const char* p = ListItems(pieces)[i];
        out.emplace_back(p ? p : "");
    }
    ClearList(&pieces);
    return out;
}

char* NumberText(double value) {
    return reinterpret_cast<char*>(static_cast<uintptr_t>(CallCore(kCmdToText, {ArgDouble(value)}).low));
}

bool FileExistsPath(const std::string& path) { return PathExists(path); }

// 0 when the folder is there (made now if it was missing), else why it is not.
uint32_t MakeFolder(const std::string& folder) {
    if (DirectoryExists(folder.c_str())) return 0;
    std::wstring wide = WidePath(folder);
    return CreateDirectoryW(wide.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS ? 0 : GetLastError();
}

void* CopyOfPicture(const void* picture) {
    return picture ? PointerToBytes(ByteSetData(picture), static_cast<int32_t>(BytesLength(picture))) : nullptr;
}

// A pause that lets the window's messages through; false when the window began
// to close meanwhile, and the job must not touch its units again.
bool PauseGoesOn() {
    WaitPumping(kPauseMs);
    return !MainWindowClosing;
}

// One template with the poster's fields, drawn on a picture of the job's own
// (a refresh during a pause replaces CurrentPicture, which must never reach
// the output). Returns the result (owned by the caller), or null with *error
// saying why; once the window has begun to close nothing more is read, shown
// or written. A name given names the file; else it is numbered.
Block ExportOne(const char* templateName, int32_t index, const std::string& outputRoot, uint32_t* error,
                const PosterDescription& poster, const std::string& name = std::string(),
                const FieldPictures* pictures = nullptr) {
    Block bytes(ReadByteSetFile(templateName, error));
    if (*error) return Block();
    Composition picture(bytes.get());
    picture.Draw(poster, pictures);
    if (!PauseGoesOn()) return Block();
    // Encoded for showing; the file's harder packing runs on another thread
    // while the pause lets the window's messages through.
    Block result(picture.Finish(ResultUse::Shown));
    // An undecodable template gives no picture: no file is written for it.
    if (!result.get()) {
        *error = kErrorNotPicture;
        return Block();
    }
    KeptRepack kept(result.get());
    if (!PauseGoesOn()) return Block();
    ReplaceCurrentPicture(CopyOfPicture(result.get()));
    ShowPicture(mainwindow::kPreviewBox, CurrentPicture);
    const OutputFormat format = CurrentOutputFormat();
    std::string file = !name.empty() ? NamedBatchFile(outputRoot, index, name, ExtensionOf(format.kind), error)
                                     : NextBatchFile(outputRoot, index, ExtensionOf(format.kind), error);  // lets messages through
    if (MainWindowClosing || *error) return Block();
    Block packed(kept.Take());
    if (format.kind == FileFormat::Jpeg) {
        std::vector<uint8_t> jpeg = EncodeResultAs(result.get(), format);
        packed.reset(jpeg.empty() ? nullptr : imprinta::MakeByteSet(jpeg));
        if (!packed.get()) {  // no PNG bytes under a .jpg name
            *error = ERROR_NOT_ENOUGH_MEMORY;
            return Block();
        }
    }
    *error = WriteByteSetFile(file, packed.get() ? packed.get() : result.get());
    if (*error) return Block();
    return Block(result.release());
}

}  // namespace

const char kTemplatePatterns[] = "*.jpg|*.jpeg|*.png";

std::string NamesLeftOutText(int32_t count) {
    return std::to_string(count) + " 个文件的名称里有本程序不支持的字符, 没有处理 (请改用中文或英文名称)";
}

std::string SkippedBeyondLimitText(int32_t count) {
    return "超出 " + std::to_string(kTemplateLimit) + " 张的 " + std::to_string(count) + " 张模板没有处理 (一次最多 " +
           std::to_string(kTemplateLimit) + " 张)";
}

Block ExportOneWithTexts(const char* templateName, int32_t index, const std::string& outputRoot,
                         const PosterDescription& poster, const std::string& name, uint32_t* error,
                         const FieldPictures* pictures) {
    return ExportOne(templateName, index, outputRoot, error, poster, name, pictures);
}

std::string NamedBatchFile(const std::string& outputRoot, int32_t index, const std::string& stem,
                           const char* extension, uint32_t* error) {
    std::string first = NextBatchFile(outputRoot, index, extension, error);  // makes the folders
    if (first.empty()) return "";
    std::string folder = first.substr(0, first.rfind('\\') + 1);
    std::string file = folder + stem + extension;
    for (int k = 2; FileExistsPath(file); ++k) file = folder + stem + " (" + std::to_string(k) + ")" + extension;
    return file;
}

// The list is an array block {1, n, text pointers...}.
uint32_t ListCount(void* list) { return list ? static_cast<uint32_t*>(list)[1] : 0; }
char** ListItems(void* list) { return reinterpret_cast<char**>(static_cast<uint32_t*>(list) + 2); }

void ClearList(void** list) {
    if (*list) {
        for (uint32_t i = 0; i < ListCount(*list); ++i) Free(ListItems(*list)[i]);
        Free(*list);
    }
    *list = nullptr;
}

// The next free number in an output folder: the count of pictures there plus
// one, moved on past any file of that name so that no earlier result is replaced.
std::string NextOutputFile(const std::string& folder, int32_t count, const char* extension) {
    for (double k = count + 1.0;; k += 1.0) {
        Block number(NumberText(k));
        std::string stem = folder + "\\" + (number.text() ? number.text() : "");
        if (!FileExistsPath(stem + ".png") && !FileExistsPath(stem + ".jpg")) return stem + extension;
    }
}

std::string NextBatchFile(const std::string& outputRoot, int32_t index, const char* extension, uint32_t* error) {
    uint32_t made = MakeFolder(outputRoot);
    Block number(NumberText(index));
    std::string folder = outputRoot + (number.text() ? number.text() : "");
    if (!made) made = MakeFolder(folder);
    if (made) {
        if (error) *error = made;
        return "";
    }
    void* present = nullptr;
    int32_t k = ListFiles(folder.c_str(), kTemplatePatterns, &present, {.withPath = true, .sorted = true});
    ClearList(&present);
    return NextOutputFile(folder, k, extension);
}

int32_t ListFiles(const char* folder, const char* patterns, void** list, ListOptions options) {
    if (!options.recurse) ClearList(list);
    std::string dir = folder ? folder : "";
    if (dir.empty() || dir.back() != '\\') dir += "\\";
    for (const std::string& pattern : SplitPatterns(patterns)) {
        HANDLE search = nullptr;
        std::string wildcard = dir + pattern;
        for (char* name = NextFoundName(wildcard.c_str(), true, &search); name; name = NextFoundName("", true, &search)) {
            if (options.withPath) {
                std::string full = dir + name;
                Free(name);
                name = imprinta::CopyText(full);
            }
            AppendToList(list, name);
            PumpMessages();
            if (MainWindowClosing) break;
        }
        EndSearch(search);
        if (MainWindowClosing) return static_cast<int32_t>(ListCount(*list));
    }
    if (options.sorted && *list)
        std::sort(ListItems(*list), ListItems(*list) + ListCount(*list), [](const char* a, const char* b) {
            return strcmp(a ? a : "", b ? b : "") < 0;
        });
    if (options.recurse) {
        HANDLE search = nullptr;
        std::string wildcard = dir + "*.*";
        for (char* name = NextFoundName(wildcard.c_str(), false, &search); name; name = NextFoundName("", false, &search)) {
            std::string sub = name;
            Free(name);
            if (sub == "." || sub == "..") continue;
            ListFiles((dir + sub).c_str(), patterns, list, options);
            PumpMessages();
            if (MainWindowClosing) break;
        }
        EndSearch(search);
    }
    return static_cast<int32_t>(ListCount(*list));
}

// As a search for the name finds it: a path ending in a backslash names no entry.
bool DirectoryExists(const char* path) {
    const std::string folder = path ? path : "";
    if (folder.empty() || folder.back() == '\\') return false;
    DWORD attributes = GetFileAttributesW(WidePath(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int32_t NamesLeftOut() { return g_namesLeftOut; }
void ForgetNamesLeftOut() { g_namesLeftOut = 0; }

void PumpMessages() {
    MSG msg;
    while (Dll32(kDllPeekMessageA, {PtrWord(&msg), 0, 0, 0, PM_REMOVE}) != 0) {
        if (msg.message == WM_QUIT) {
            // The quit message belongs to the main loop: taken here it would be
            // lost, and the program would never end after its last window.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Dll32(kDllTranslateMessage, {PtrWord(&msg)});
        Dll32(kDllDispatchMessageA, {PtrWord(&msg)});
    }
}

bool WaitPumping(int64_t amount, int32_t unit) {
    double factor = unit == 0 ? 1 : unit == 1 ? 1000 : unit == 2 ? 60000 : unit == 3 ? 3600000 : unit;
    double ms = static_cast<double>(amount) * factor;
    int64_t due = static_cast<int64_t>(-(ms * 10000.0));
    HANDLE timer = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(Dll32(kDllCreateWaitableTimerA, {0, 0, 0})));
    if (!timer) {
        // Without a timer, wait by the clock so the loop still ends, pumping as it goes.
        DWORD start = GetTickCount();
        double total = ms < 0 ? 0 : ms;
        for (;;) {
            double elapsed = static_cast<double>(GetTickCount() - start);
            if (elapsed >= total) break;
            double left = total - elapsed;
            uint32_t slice = left > 50 ? 50u : static_cast<uint32_t>(left) + 1;
            Dll32(kDllMsgWaitForMultipleObjects, {0, 0, 0, slice, 0xFF});
            CallCore(kCmdProcessEvents, {});
        }
        return true;
    }
    Dll32(kDllSetWaitableTimer, {PtrWord(timer), PtrWord(&due), 0, 0, 0, 0});
    for (;;) {
        uint32_t r = Dll32(kDllMsgWaitForMultipleObjects, {1, PtrWord(&timer), 0, 0xFFFFFFFFu, 0xFF});
        if (r == 0) break;
        CallCore(kCmdProcessEvents, {});
    }
    Dll32(kDllCloseHandle, {PtrWord(timer)});
    return true;
}

}  // namespace app

using namespace app;

extern "C" void IMPRINTA_CDECL ExportAllTemplates(EventResultSlot*) {
    // The pauses let every handler run, this one included: a click during a run
    // stops it rather than interleaving a second job over the same folders.
    if (TakeBatchClick(mainwindow::kButtonExportAll) || MainWindowClosing) return;
    BatchRun run(mainwindow::kButtonExportAll, kExportAllCaption);
    std::string templates = RunDirectoryPath("\\模板\\");
    std::string outputRoot = OutputPath("\\批量目录\\");
    void* list = nullptr;
    ForgetNamesLeftOut();
    const int32_t found = ListFiles(templates.c_str(), kTemplatePatterns, &list, {.withPath = true, .recurse = true});
    const int32_t n = std::min(found, kTemplateLimit);
    BatchTally tally;
    if (NamesLeftOut() > 0) tally.Skipped(NamesLeftOut(), NamesLeftOutText(NamesLeftOut()));
    if (found > n) tally.Skipped(found - n, SkippedBeyondLimitText(found - n));
    if (found == 0) tally.Skipped(0, "模板文件夹里没有模板 (jpg、jpeg、png): " + templates);
    int32_t done = 0;
    run.Progress(0, static_cast<size_t>(n));
    for (; done < n && run.GoesOn(); run.Progress(static_cast<size_t>(++done), static_cast<size_t>(n))) {
        uint32_t error = 0;
        const char* name = ListItems(list)[done];
        // The template under way is finished whole even when a stop comes meanwhile.
        ExportOne(name, done + 1, outputRoot, &error, WindowPoster());
        if (MainWindowClosing) break;
        if (error)
            tally.Failed(name, error);
        else
            tally.Written();
    }
    ClearList(&list);
    if (run.StopRequested() && done < n) tally.Stopped(n - done);
    run.End();
    if (!MainWindowClosing) {
        ShowWindowPosterAgain();
        ShowBatchEnd("批量导出", tally, outputRoot);
        if (tally.written() > 0) ShellOpen(outputRoot.c_str());
    }
}
