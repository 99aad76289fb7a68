#include "app/render/fonts.h"
#include <cstring>
#include "app/platform/runtime_calls.h"
#include "app/render/bundled_fonts.h"

namespace app {

namespace {

uint32_t g_gdiPlusToken = 0;
// GDI+ version 1, no debug callback, background thread and external codecs kept.
alignas(4) const uint8_t kGdiPlusStartupInput[16] = {0x01};

ArgValue CallRegex(RegexCommand command, std::initializer_list<ArgValue> args) {
    return CallLibrary(kLibRegex, command, args);
}

// The installed families, an array of texts owned by the caller.
void* FontNameList() {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(
        CallLibrary(kLibApplicationInterface, kCmdFontNameList, {}).low));
}

}  // namespace

void StartGdiPlus() {
    Dll(kDllGdiplusStartup, {PtrWord(&g_gdiPlusToken), PtrWord(kGdiPlusStartupInput), 0});
    LoadBundledFonts(RunDirectoryPath("\\fonts\\"));
}

void StopGdiPlus() {
    UnloadBundledFonts();
    Dll(kDllGdiplusShutdown, {g_gdiPlusToken});
}

std::string ListedFontItem(const std::string& family) { return FontListItem(family, BundledFamilies()); }

FontFallback BundledFallback() {
    FontFallback fallback;
    if (!BundledFamilies().empty()) fallback.font = BundledFamilies().front();
    return fallback;
}

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
    return OrderedFontFamilies(BundledFamilies(), listed);
}

}  // namespace app
