// Window icons: the icon-file reader and the pair of icons a window shows.
#include "runtime/units/window_icon.h"

#include <algorithm>
#include <vector>
#include "runtime/units/unit_framework.h"
#include "runtime/units/window_unit.h"

namespace imprinta::units {

namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The program's own icon in both sizes: asked from the runtime; loaded from
// the resource here when the runtime gives none (shared, never destroyed).
void ProgramIcons(HICON& big, HICON& small) {
    uint32_t words[2] = {0, 0};
    Notify(kNotifyProgramIcon, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(words)));
    big = reinterpret_cast<HICON>(static_cast<uintptr_t>(words[0]));
    small = reinterpret_cast<HICON>(static_cast<uintptr_t>(words[1]));
    if (big || small) return;
    HINSTANCE inst = GetModuleHandleA(nullptr);
    big = static_cast<HICON>(LoadImageA(inst, "DEFAULT_ICON", IMAGE_ICON, 32, 32, LR_SHARED));
    small = static_cast<HICON>(LoadImageA(inst, "DEFAULT_ICON", IMAGE_ICON, 16, 16, LR_SHARED));
}

}  // namespace

// An icon of about cx x cy from the bytes of an icon file: the entry of that
// width with the most colours, else the nearest larger, else the largest.
HICON IconFromFileData(const uint8_t* data, size_t size, int cx, int cy) {
    if (!data || size < 6 + 16 || Le16(data) != 0 || Le16(data + 2) != 1) return nullptr;
    size_t count = std::min<size_t>(Le16(data + 4), (size - 6) / 16);
    int best = -1;
    long bestScore = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = data + 6 + 16 * i;
        uint32_t bytes = Le32(e + 8), offset = Le32(e + 12);
        if (offset > size || bytes > size - offset || bytes < 40) continue;
        int w = e[0] ? e[0] : 256;
        int bits = Le16(e + 6);
        long score = w == cx ? 1000000 + bits : w > cx ? 500000 - w : w;
        if (best < 0 || score > bestScore) {
            best = static_cast<int>(i);
            bestScore = score;
        }
    }
    if (best < 0) return nullptr;
    const uint8_t* e = data + 6 + 16 * best;
    return CreateIconFromResourceEx(const_cast<PBYTE>(data + Le32(e + 12)), Le32(e + 8), TRUE, 0x00030000, cx, cy,
                                    LR_DEFAULTCOLOR);
}

void WindowIcons::Make(HWND hwnd, const ByteBuffer& iconData) {
    HICON big = nullptr, small = nullptr;
    if (!iconData.empty()) {
        big = IconFromFileData(iconData.data(), iconData.size(), GetSystemMetrics(SM_CXICON),
                               GetSystemMetrics(SM_CYICON));
        small = IconFromFileData(iconData.data(), iconData.size(), GetSystemMetrics(SM_CXSMICON),
                                 GetSystemMetrics(SM_CYSMICON));
    }
    bool own = big || small;
    if (!own) ProgramIcons(big, small);
    if (!small) small = big;
    if (!big) big = small;
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    Release();
    big_ = big;
    small_ = small;
    own_ = own;
}

void WindowIcons::Release() {
    if (own_) {
        if (big_) DestroyIcon(big_);
        if (small_ && small_ != big_) DestroyIcon(small_);
    }
    big_ = small_ = nullptr;
    own_ = false;
}

// Entry point 7: the icon data inside a window's stored property data.
HGLOBAL IMPRINTA_STDCALL WindowUnit::IconData(const void* data, uint32_t size, uint32_t* iconSize) {
    if (iconSize) *iconSize = 0;
    WindowProperties p;
    if (!LoadPropertyData(p, static_cast<const uint8_t*>(data), size) || p.icon.empty()) return nullptr;
    return MakeGlobalBlock(std::vector<uint8_t>(p.icon.data(), p.icon.data() + p.icon.size()), iconSize);
}

void WindowUnit::MakeIcons() { icons_.Make(hwnd, props_.icon); }

}  // namespace imprinta::units
