// Stored-data conventions of the unit contract: font records and pointer data.
#include "runtime/forms/unit_contract.h"
#include <cstring>
#include <vector>

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

uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// A cursor from the bytes of a .cur file (its first image), or null.
HCURSOR CursorFromFileBytes(const uint8_t* data, size_t size) {
    if (size < 6 + 16) return nullptr;
    if (ReadLe16(data) != 0 || ReadLe16(data + 2) != 2 || ReadLe16(data + 4) == 0) return nullptr;
    const uint8_t* entry = data + 6;
    uint16_t hotX = ReadLe16(entry + 4), hotY = ReadLe16(entry + 6);
    uint32_t bytes = ReadLe32(entry + 8), offset = ReadLe32(entry + 12);
    if (offset > size || bytes > size - offset || bytes < 40) return nullptr;
    // Cursor resources start with the hot spot, then the bitmap.
    std::vector<uint8_t> res(4 + bytes);
    res[0] = uint8_t(hotX);
    res[1] = uint8_t(hotX >> 8);
    res[2] = uint8_t(hotY);
    res[3] = uint8_t(hotY >> 8);
    memcpy(res.data() + 4, data + offset, bytes);
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
    uint32_t id = ReadLe32(data);
    if (id == 0) return nullptr;
    if (id == 0xFFFFFFFFu) {
        HCURSOR c = CursorFromFileBytes(data + 4, size - 4);
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
