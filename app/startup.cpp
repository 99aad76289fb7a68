// The application's own entry and exit: GDI+, the font lists, the skin library,
// the settings and the template folder.
#include <cfloat>
#include <cstring>
#include <string>
#include "app/batch_arguments.h"
#include "app/command_line.h"
#include "app/dll_commands.h"
#include "app/forms/application_header.h"
#include "app/main_window_handlers.h"
#include "app/program_state.h"
#include "app/resources/stored_resources.h"
#include "app/runtime_calls.h"
#include "app/settings.h"
#include "app/skin_attach.h"
#include "app/startup.h"
#include "app/unit_access.h"
#include "app/window_extras.h"

namespace app {


namespace {

// GDI+ version 1, no debug callback, background thread and external codecs kept.
alignas(4) const uint8_t kGdiPlusStartupInput[16] = {0x01};

ArgValue CallRegex(RegexCommand command, std::initializer_list<ArgValue> args) {
    return CallLibrary(kLibRegex, command, args);
}

void AddFontToList(uint32_t combo, const char* name) {
    int32_t index = ComboAddItem(combo, name);
    if (strcmp(name, "宋体") == 0) SetComboListIndex(combo, index);
}

void FillFontLists() {
    for (const std::string& name : ListedFontNames()) {
        AddFontToList(mainwindow::kTitleFont, name.c_str());
        AddFontToList(mainwindow::kBodyFont, name.c_str());
    }
}

void IMPRINTA_CDECL FreeCurrentPicture() {
    Free(CurrentPicture);
    CurrentPicture = nullptr;
    ForgetTemplateBytes();
}

}  // namespace

void StartGdiPlus() { Dll(kDllGdiplusStartup, {PtrWord(&GdiPlusToken), PtrWord(kGdiPlusStartupInput), 0}); }

void StopGdiPlus() { Dll(kDllGdiplusShutdown, {GdiPlusToken}); }

std::vector<std::string> ListedFontNames() {
    std::vector<std::string> listed;
    void* storage = Alloc(8);
    memset(storage, 0, 8);
    ArgValue object = {PtrWord(storage), 0, kTypeRegex};
    CallRegex(kCmdRegexInit, {object});
    CallRegex(kCmdRegexCreate, {object, ArgText("^[^A-Za-z@].*"), ArgOmitted()});
    void* names = FontNameList();
    uint32_t count = names ? static_cast<uint32_t*>(names)[1] : 0;
    auto** items = names ? reinterpret_cast<char**>(static_cast<uint32_t*>(names) + 2) : nullptr;
    for (uint32_t i = 0; i < count; ++i) {
        const char* name = items[i] ? items[i] : "";
        if (CallRegex(kCmdRegexMatch, {object, ArgText(name)}).low) listed.emplace_back(name);
    }
    CallRegex(kCmdRegexFree, {object});
    Free(storage);
    for (uint32_t i = 0; i < count; ++i) Free(items[i]);
    Free(names);
    return listed;
}

}  // namespace app

using namespace app;

extern "C" void IMPRINTA_CDECL OnMainWindowCreated(EventResultSlot*) {
    StartGdiPlus();
    FillFontLists();
    if (AttachSkin(SkinResource, 0, 0, 0)) ThemeLabelTexts(SkinResource);
    LoadSettings();
    AttachWindowExtras();
    std::string templates = RunDirectoryPath("\\模板\\");
    CallCore(kCmdMakeDirectory, {ArgText(templates.c_str())});
}

extern "C" void IMPRINTA_CDECL OnMainWindowDestroying(EventResultSlot*) {
    MainWindowClosing = true;
    StopGdiPlus();
    SaveSettings();
}

extern "C" int IMPRINTA_CDECL ProgramEntry(void) {
    CallRuntimeService(kServiceStartRuntime);
    _fpreset();
    CallRuntimeService(kServiceAddExitCallback, &FreeCurrentPicture);
    std::vector<std::wstring> args = ProgramArguments();
    if (IsCommandLineRun(args)) return RunCommandLine(args);
    LoadStartWindow(kMainWindowId);
    RunMessageLoop();
    return 0;
}
