// System colours answered with the theme's inside the program: the main
// module's imports of user32's GetSysColor and GetSysColorBrush are pointed at
// the functions below while the skin is attached, so units that paint with the
// system's default colours paint with the theme's. Other modules (the system's
// own controls) keep the real colours; the skin draws those controls itself.
#include "skin_theme.h"

namespace skinlib {

namespace {

using SysColorFn = DWORD(WINAPI*)(int);
using SysColorBrushFn = HBRUSH(WINAPI*)(int);

struct ImportSlot {
    void** slot = nullptr;
    void* original = nullptr;
};

ImportSlot colourSlot, brushSlot;
constexpr int kColourCount = COLOR_MENUBAR + 1;
HBRUSH brushes[kColourCount] = {};

// The theme's answer for a system colour index, or false for the system's own.
bool ThemeColour(int index, COLORREF* out) {
    const skin::Colours& c = theme.colours;
    switch (index) {
    case COLOR_BTNFACE: *out = c.window; return true;
    case COLOR_WINDOW: *out = c.face; return true;
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT:
    case COLOR_MENUTEXT: *out = c.text; return true;
    case COLOR_HIGHLIGHT: *out = c.accent; return true;
    case COLOR_HIGHLIGHTTEXT: *out = c.face; return true;
    case COLOR_GRAYTEXT: *out = c.disabledText; return true;
    case COLOR_BTNSHADOW:
    case COLOR_3DDKSHADOW:
    case COLOR_WINDOWFRAME: *out = c.border; return true;
    case COLOR_BTNHIGHLIGHT:
    case COLOR_3DLIGHT: *out = c.face; return true;
    default: return false;
    }
}

DWORD WINAPI ThemedSysColor(int index) {
    COLORREF c;
    if (theme.active && ThemeColour(index, &c)) return c;
    return reinterpret_cast<SysColorFn>(colourSlot.original)(index);
}

HBRUSH WINAPI ThemedSysColorBrush(int index) {
    COLORREF c;
    if (theme.active && index >= 0 && index < kColourCount && ThemeColour(index, &c)) {
        if (!brushes[index]) brushes[index] = CreateSolidBrush(c);
        return brushes[index];
    }
    return reinterpret_cast<SysColorBrushFn>(brushSlot.original)(index);
}

bool WriteSlot(void** slot, void* value) {
    DWORD old;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return false;
    *slot = value;
    VirtualProtect(slot, sizeof *slot, old, &old);
    return true;
}

// The import-address-table entry of module that holds target.
void** FindImport(HMODULE module, void* target) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return nullptr;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        for (auto* t = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk); t->u1.Function; ++t)
            if (reinterpret_cast<void*>(t->u1.Function) == target) return reinterpret_cast<void**>(&t->u1.Function);
    }
    return nullptr;
}

bool Hook(HMODULE program, HMODULE user32, const char* name, void* replacement, ImportSlot* s) {
    if (s->slot) return true;
    void* real = reinterpret_cast<void*>(GetProcAddress(user32, name));
    void** slot = real ? FindImport(program, real) : nullptr;
    if (!slot || !WriteSlot(slot, replacement)) return false;
    *s = {slot, real};
    return true;
}

void Unhook(ImportSlot* s) {
    if (s->slot) WriteSlot(s->slot, s->original);
    *s = {};
}

}  // namespace

bool HookSystemColours() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    HMODULE program = GetModuleHandleA(nullptr);
    if (!user32 || !program) return false;
    bool colour = Hook(program, user32, "GetSysColor", reinterpret_cast<void*>(&ThemedSysColor), &colourSlot);
    bool brush = Hook(program, user32, "GetSysColorBrush", reinterpret_cast<void*>(&ThemedSysColorBrush), &brushSlot);
    // New theme colours: drop the brushes made for the old ones.
    for (HBRUSH& b : brushes)
        if (b) DeleteObject(b), b = nullptr;
    return colour || brush;
}

void UnhookSystemColours() {
    Unhook(&colourSlot);
    Unhook(&brushSlot);
    for (HBRUSH& b : brushes)
        if (b) DeleteObject(b), b = nullptr;
}

}  // namespace skinlib
