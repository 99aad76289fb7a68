// The application-interface library's FontNameList and OpenWebPage, and the
// operating-system interface library's ShellExecute.
#include <windows.h>
#include <shellapi.h>
#include <cstring>
#include <string>
#include <vector>
#include "runtime/base/byte_ops.h"
#include "runtime/commands/command_support.h"
#include "runtime/commands/commands.h"
#include "runtime/base/allocation_failure.h"
#include "runtime/core/blocks.h"
#include "runtime/core/runtime_interface.h"

using namespace imprinta;
using namespace imprinta::cmd;

namespace {

// Filled while the system enumerates; emptied at the start of each call.
std::vector<std::string> g_fontNames;
bool g_fontNamesFailed = false;

int CALLBACK CollectFontName(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM) {
    // No exception may unwind through the system's enumeration: a failed
    // allocation stops it and is reported once the system has returned.
    try {
        g_fontNames.emplace_back(font->lfFaceName, strnlen(font->lfFaceName, LF_FACESIZE));
        return 1;
    } catch (const std::bad_alloc&) {
        g_fontNamesFailed = true;
        return 0;
    }
}

// ---- application interface 0: FontNameList() ----
void IMPRINTA_CDECL FontNameList(ArgValue* r, int, ArgValue*) {
    g_fontNames.clear();
    g_fontNamesFailed = false;
    LOGFONTA query = {};
    query.lfCharSet = DEFAULT_CHARSET;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExA(screen, &query, CollectFontName, 0, 0);
    ReleaseDC(nullptr, screen);
    if (g_fontNamesFailed) ReportAllocationFailure(LastFailedObjectAllocation());

    std::vector<std::string> kept = ops::CollapseReversed(g_fontNames);
    void* array = MakeArray(4, static_cast<uint32_t>(kept.size()));
    auto* items = reinterpret_cast<uint32_t*>(ArrayElements(array));
    for (size_t i = 0; i < kept.size(); ++i) {
        // Each name in a block of the face-name size.
        auto* block = static_cast<char*>(AllocMemory(LF_FACESIZE));
        memset(block, 0, LF_FACESIZE);
        memcpy(block, kept[i].data(), kept[i].size() < LF_FACESIZE ? kept[i].size() : LF_FACESIZE - 1);
        items[i] = Word(block);
    }
    r->low = Word(array);
}

// ---- application interface 1: OpenWebPage(optional address) ----
void IMPRINTA_CDECL OpenWebPage(ArgValue*, int count, ArgValue* args) {
    const char* address = Given(count, args, 0) ? TextArg(args[0]) : "about:blank";
    HWND owner = FindWindowExA(nullptr, nullptr, nullptr, "Microsoft Internet Explorer");
    ShellExecuteA(owner, "open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

// ---- operating system 0: ShellExecute(optional operation, file, optional command line, optional directory) ----
void IMPRINTA_CDECL ShellExecuteCommand(ArgValue*, int count, ArgValue* args) {
    static const char* const kVerbs[] = {"", "edit", "explore", "find", "open", "print"};
    int32_t operation = Given(count, args, 0) ? static_cast<int32_t>(args[0].low) : 0;
    const char* verb = operation >= 1 && operation <= 5 ? kVerbs[operation] : "";
    const char* file = count > 1 ? TextArg(args[1]) : "";
    const char* parameters = count > 2 ? Ptr<const char>(args[2].low) : nullptr;
    const char* directory = count > 3 ? Ptr<const char>(args[3].low) : nullptr;
    ShellExecuteA(nullptr, verb, file, parameters, directory, SW_SHOW);
}

}  // namespace

extern "C" const CommandEntry ApplicationInterfaceCommands[kApplicationInterfaceCommandCount] = {
    /* 0 */ FontNameList,
    /* 1 */ OpenWebPage,
};

extern "C" const CommandEntry OperatingSystemCommands[kOperatingSystemCommandCount] = {
    /* 0 */ ShellExecuteCommand,
};

// In value order 1..5, the same order as the verbs above.
extern "C" const LibraryConstant ShellOperationConstants[kShellOperationCount] = {
    {"编辑文档", "EditDocument", "", kShellEditDocument},
    {"浏览文件夹", "BrowseFolder", "", kShellBrowseFolder},
    {"寻找文件", "FindFiles", "", kShellFindFiles},
    {"打开文件", "OpenFile", "", kShellOpenFile},
    {"打印文档", "PrintDocument", "", kShellPrintDocument},
};

namespace {
const CommandArgumentInfo kShellExecuteArguments[] = {
    {"命令类型", "", kTypeInt, kArgumentOptional, kShellOperationCount, ShellOperationConstants},
    {"欲操作文件名", "", kTypeText, 0, 0, nullptr},
    {"命令行", "", kTypeText, kArgumentOptional, 0, nullptr},
    {"默认当前目录", "", kTypeText, kArgumentOptional, 0, nullptr},
};
}  // namespace

extern "C" const CommandInfo OperatingSystemCommandInfo[kOperatingSystemCommandCount] = {
    {"执行", "ShellExecute", "", kTypeNone, 4, kShellExecuteArguments},
};
