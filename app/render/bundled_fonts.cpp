#include "app/render/bundled_fonts.h"
#include <windows.h>
#include <algorithm>
#include "app/platform/runtime_calls.h"

namespace app {

namespace {

// The files shipped, in list order, with their family's Chinese name (what a
// Chinese system's font enumeration and the lists show) and its English one
// (what GDI+ may know the family by instead). First a plain sans: the default,
// and what a missing font is drawn in; then the regular and the true bold face
// of a kai. Only these are marked as free for commercial use, whatever else a
// person puts into the folder.
struct ShippedFont {
    const char* file;
    const char* family;
    const char* englishFamily;
};
const ShippedFont kShippedFonts[] = {
    {"wqy-microhei.ttf", "文泉驿微米黑", "WenQuanYi Micro Hei"},
    {"LXGWWenKai-Regular.ttf", "霞鹜文楷", "LXGW WenKai"},
    {"LXGWWenKai-Bold.ttf", "霞鹜文楷", "LXGW WenKai"},
};

constexpr uint32_t kPrivateToProcess = 0x10;  // FR_PRIVATE

uint32_t g_collection = 0;
std::vector<std::string> g_families;

// GBK (the program's texts) as UTF-16, for the wide font functions.
std::wstring Wide(const std::string& gbk) {
    const int n = MultiByteToWideChar(CP_ACP, 0, gbk.c_str(), -1, nullptr, 0);
    std::wstring wide(n > 0 ? n : 1, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, gbk.c_str(), -1, wide.data(), n);
    return wide;
}

bool IsBundled(const char* family) {
    return std::find(g_families.begin(), g_families.end(), family) != g_families.end();
}

}  // namespace

void LoadBundledFonts(const std::string& folder) {
    UnloadBundledFonts();
    Dll(kDllGdipNewPrivateFontCollection, {PtrWord(&g_collection)});
    if (!g_collection) return;
    for (const ShippedFont& font : kShippedFonts) {
        const std::wstring path = Wide(folder + font.file);
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        if (Dll32(kDllGdipPrivateAddFontFile, {g_collection, PtrWord(path.c_str())}) != 0) continue;
        // GDI enumerates and draws the same file for this process only.
        Dll(kDllAddFontResourceExW, {PtrWord(path.c_str()), kPrivateToProcess, 0});
        if (!IsBundled(font.family)) g_families.push_back(font.family);
    }
}

void UnloadBundledFonts() {
    if (g_collection) Dll(kDllGdipDeletePrivateFontCollection, {PtrWord(&g_collection)});
    g_collection = 0;
    g_families.clear();
}

const std::vector<std::string>& BundledFamilies() { return g_families; }

uint32_t BundledFontFamily(const char* family) {
    if (!g_collection || !family || !IsBundled(family)) return 0;
    for (const ShippedFont& font : kShippedFonts) {
        if (std::string(font.family) != family) continue;
        for (const char* name : {font.family, font.englishFamily}) {
            const std::wstring wide = Wide(name);
            uint32_t handle = 0;
            if (Dll32(kDllGdipCreateFontFamilyFromName, {PtrWord(wide.c_str()), g_collection, PtrWord(&handle)}) == 0 &&
                handle)
                return handle;
        }
    }
    return 0;
}

}  // namespace app
