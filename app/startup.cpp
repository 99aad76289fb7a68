// The application's own entry and exit: GDI+, the font lists, the skin library,
// the settings and the template folder.
#include <cfloat>
#include <cstring>
#include <string>
#include "app/batch/batch_arguments.h"
#include "app/batch/command_line.h"
#include "app/platform/dll_commands.h"
#include "app/forms/application_header.h"
#include "app/window/handlers.h"
#include "app/window/window_poster.h"
#include "app/window/program_state.h"
#include "app/resources/stored_resources.h"
#include "app/platform/runtime_calls.h"
#include "app/window/settings.h"
#include "app/window/skin_attach.h"
#include "app/render/fonts.h"
#include "app/window/unit_access.h"
#include "app/window/window_extras.h"

namespace app {

namespace {

// The program's own fonts lead each list, and the first of them is chosen
// until the settings say otherwise; without them 宋体, as ever.
void FillFontLists() {
    const FontFallback fallback = BundledFallback();
    for (const std::string& name : ListedFontNames()) {
        const std::string item = ListedFontItem(name);
        const bool chosen = fallback.font.empty() ? name == "宋体" : name == fallback.font;
        for (uint32_t combo : {mainwindow::kTitleFont, mainwindow::kBodyFont}) {
            const int32_t index = ComboAddItem(combo, item.c_str());
            if (chosen) SetComboListIndex(combo, index);
        }
    }
}

void IMPRINTA_CDECL FreeCurrentPicture() {
    Free(CurrentPicture);
    CurrentPicture = nullptr;
    ForgetTemplateBytes();
}

}  // namespace

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
    // Saved as the window closed, unless it ended some other way.
    if (!SettingsSavedAtClose()) SaveSettings();
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
