// Stored-data conventions of the unit contract: font records and pointer data.
#include "runtime/forms/unit_contract.h"
#include <cstring>
#include <span>
#include <vector>
#include "runtime/base/byte_reader.h"
#include "runtime/pictures/icon_directory.h"

namespace imprinta::units {

namespace {

struct StandardCursor {
    uint32_t code;
    uint32_t systemId;
};
// Code 14 is the hand, made from the program's cursor resource 1032.
constexpr StandardCursor kStandardCursors[] = {
    {1, 32512},  {2, 32515},  {3, 32513},  {4, 32514},  {5, 32651},  {6, 32650},  {7, 32648},
    {8, 32646},  {9, 32643},  {10, 32645}, {11, 32642}, {12, 32644}, {13, 32516}, {14, 32649},
};
constexpr uint32_t kHandCursorResource = 1032;

// The smallest image a cursor entry can hold: a bitmap info header.
constexpr size_t kMinCursorImage = 40;

// A cursor from the bytes of a .cur file (its first image), or null.
HCURSOR CursorFromFileBytes(std::span<const uint8_t> file) {
    picture::IconDirectory directory;
    if (picture::ReadIconDirectory(file, directory) != picture::DecodeError::None ||
        directory.kind != picture::IconKind::Cursor)
        return nullptr;
    const picture::IconEntry& entry = directory.entries.front();
    std::span<const uint8_t> image = picture::IconImageBytes(file, entry);
    if (image.size() < kMinCursorImage) return nullptr;
    std::vector<uint8_t> res = picture::IconResourceBytes(directory.kind, entry, image);
    return reinterpret_cast<HCURSOR>(
        CreateIconFromResourceEx(res.data(), static_cast<DWORD>(res.size()), FALSE, 0x00030000, 0, 0, LR_DEFAULTCOLOR));
}

}  // namespace

void DefaultFontRecord(uint8_t out[kFontRecordSize]) {
    LOGFONTA lf = {};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    memcpy(out, &lf, kFontRecordSize);
}

uint32_t CursorCodeToSystemId(uint32_t code) {
    for (const auto& c : kStandardCursors)
        if (c.code == code) return c.systemId;
    return code;
}

uint32_t SystemIdToCursorCode(uint32_t id) {
    for (const auto& c : kStandardCursors)
        if (c.systemId == id) return c.code;
    return id;
}

HCURSOR MakeCursorFromPointerData(const uint8_t* data, size_t size, bool* owned) {
    if (owned) *owned = false;
    if (!data || size < 4) return nullptr;
    ByteReader pointer(data, size);
    const uint32_t id = pointer.ReadU32();
    if (id == 0) return nullptr;
    if (id == 0xFFFFFFFFu) {
        HCURSOR c = CursorFromFileBytes(pointer.ReadRest());
        if (c && owned) *owned = true;
        return c;
    }
    if (id == CursorCodeToSystemId(14)) {
        HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kHandCursorResource));
        if (hand) return hand;
    }
    return LoadCursorA(nullptr, MAKEINTRESOURCEA(id));
}

}  // namespace imprinta::units
