// Window icons: the icon-file reader and the pair of icons a window shows.
#include "runtime/units/window_icon.h"

#include <span>
#include <vector>
#include "runtime/pictures/icon_directory.h"
#include "runtime/units/unit_framework.h"
#include "runtime/units/window_unit.h"

namespace imprinta::units {

namespace {

// The smallest image an icon entry can hold: a bitmap info header.
constexpr size_t kMinIconImage = 40;

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
    if (!data) return nullptr;
    const std::span<const uint8_t> file(data, size);
    picture::IconDirectory directory;
    if (picture::ReadIconDirectory(file, directory) != picture::DecodeError::None ||
        directory.kind != picture::IconKind::Icon)
        return nullptr;
    std::span<const uint8_t> bestImage;
    long bestScore = 0;
    for (const picture::IconEntry& e : directory.entries) {
        std::span<const uint8_t> image = picture::IconImageBytes(file, e);
        if (image.size() < kMinIconImage) continue;
        const long w = static_cast<long>(e.width);
        const long score = w == cx ? 1000000 + e.bitCountOrHotY : w > cx ? 500000 - w : w;
        if (bestImage.empty() || score > bestScore) {
            bestImage = image;
            bestScore = score;
        }
    }
    if (bestImage.empty()) return nullptr;
    return CreateIconFromResourceEx(const_cast<PBYTE>(bestImage.data()), static_cast<DWORD>(bestImage.size()), TRUE,
                                    0x00030000, cx, cy, LR_DEFAULTCOLOR);
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
