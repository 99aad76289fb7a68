#include "app/window/skin_attach.h"
#include <windows.h>
#include <string>
#include "app/forms/main_window_units.h"
#include "app/resources/stored_resources.h"
#include "app/platform/runtime_calls.h"
#include "app/skin/skin_format.h"

namespace app {

namespace {

const char kEmptyText[] = "";
const char kSkinLibraryName[] = "SkinH_QX.dll";
const char kAttachFunction[] = "SkinH_AttachRes";
constexpr int kAttached = 0;          // SkinH_AttachRes: the theme is applied
constexpr uint32_t kDefaultLabelText = 0;  // the units' own default: black

using namespace mainwindow;
const uint32_t kTransLabels[] = {kUsageNote,        kBodyYLabel,       kBodyXLabel,      kTitleYLabel,
                                 kTitleXLabel,      kBodySizeLabel,    kTitleSizeLabel,  kBodyColourLabel,
                                 kTitleColourLabel, kBodyFontLabel,    kBodyTextLabel,   kTitleFontLabel,
                                 kTitleTextLabel,   kTemplatePathLabel};

std::string SkinLibraryPath() { return RunDirectoryPath("/SkinH_QX.dll"); }

// A file of the library's name can be there and still be unusable: a folder, an
// empty or cut-off file, foreign bytes, another architecture, no attach
// function. The DLL command's first call would then end the program with the
// fatal report, at every start, since an existing file is never replaced. The
// skin is optional: such a file is left alone and the window keeps the system
// look. The library is loaded from where the DLL command looks first, the run
// directory, and stays loaded across the call, so it is set up only once.
HMODULE LoadUsableSkinLibrary() {
    std::string path = RunDirectoryPath("\\") + kSkinLibraryName;
    UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(path.c_str());
    SetErrorMode(previous);
    if (module && !GetProcAddress(module, kAttachFunction)) {
        FreeLibrary(module);
        module = nullptr;
    }
    return module;
}

}  // namespace

void ExtractSkinLibrary() {
    std::string path = SkinLibraryPath();
    if (FileExists(path.c_str())) return;
    WriteBytesToFile(path.c_str(), SkinLibraryImage);
    ChangeFileAttributes(path.c_str(), 2);  // hidden
}

bool AttachSkin(const void* skinResource, int32_t first, int32_t second, int32_t third) {
    std::string path = SkinLibraryPath();
    if (!FileExists(path.c_str())) ExtractSkinLibrary();
    // Also covers a folder the library could not be written to.
    HMODULE library = LoadUsableSkinLibrary();
    if (!library) return false;
    uint32_t result = Dll32(kDllSkinAttachRes, {PtrWord(ByteSetData(skinResource)), BytesLength(skinResource),
                                                PtrWord(kEmptyText), static_cast<uint32_t>(first),
                                                static_cast<uint32_t>(second), static_cast<uint32_t>(third)});
    FreeLibrary(library);
    return result == kAttached;
}

void ThemeLabelTexts(const void* skinResource) {
    skin::Colours colours = {};
    if (skin::Parse(ByteSetData(skinResource), ByteSetLength(skinResource), &colours) != skin::ParseResult::kOk)
        return;
    for (uint32_t label : kTransLabels)
        if (static_cast<uint32_t>(GetProperty(kWindowId, label, kTransLabelTextColour)) == kDefaultLabelText)
            SetProperty(kWindowId, label, kTransLabelTextColour, colours.text);
}

}  // namespace app
