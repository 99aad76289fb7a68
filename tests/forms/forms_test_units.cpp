#include "forms_test_units.h"
#include <cstring>
#include "runtime/entry/runtime_layers.h"
#include "runtime/core/libraries.h"
#include "runtime/core/runtime_state.h"
#include "runtime/forms/forms_api.h"
#include "forms_test_handlers.h"

namespace formstest {

int TestBox::created = 0;

void TestBoxData::Reset() {
    caption = "box";
    choice = 0;
    font.Clear();
    number = 0;
    flag = false;
}

bool TestBoxData::Serialize(PropertyArchive& ar) {
    if (!ar.Version(1)) return false;
    ar.Text(caption);
    ar.Int(choice);
    ar.Font(font);
    ar.Int(number);
    ar.Bool(flag);
    return ar.ok();
}

std::vector<uint8_t> TestBoxBlock(const std::string& caption, int32_t number) {
    TestBoxData d;
    d.Reset();
    d.caption = caption;
    d.number = number;
    std::vector<uint8_t> out;
    SavePropertyData(d, out);
    return out;
}

bool TestBox::CreateControl(const CreateParams& p) {
    if (!CreateOwnWindow("ImprintaTestBox", CS_DBLCLKS, 0, WS_CHILD | WS_CLIPSIBLINGS, data.caption.c_str(), p))
        return false;
    ++created;
    ApplyFont(data.font, false);
    // Raised while its window is being created: must not reach a handler.
    Raise(0, {1});
    return true;
}

bool TestBox::SetProperty(int number, const PropertyValue& v, char**) {
    switch (number) {
    case 0:
        data.caption = v.text ? v.text : "";
        SetWindowTextA(hwnd, data.caption.c_str());
        return false;
    case 1: {
        int32_t c = ClampChoice(v.integer, 3);
        data.choice = c;
        return false;
    }
    case 2:
        data.font.Assign(v.data.bytes, v.data.count);
        ApplyFont(data.font);
        return false;
    case 3: {
        bool changed = data.number != v.integer;
        data.number = v.integer;
        return changed;
    }
    case 4: data.flag = v.logical == 1; return false;
    default: return false;
    }
}

bool TestBox::GetProperty(int number, PropertyValue& v) {
    switch (number) {
    case 0: v.text = data.caption.c_str(); return true;
    case 1: v.integer = data.choice; return true;
    case 2:
        v.data.bytes = data.font.data();
        v.data.count = static_cast<uint32_t>(data.font.size());
        return true;
    case 3: v.integer = data.number; return true;
    case 4: v.logical = data.flag ? 1 : 0; return true;
    default: return false;
    }
}

LRESULT TestBox::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kMsgAllUnitsCreated) {
        Raise(0, {2});
        return 0;
    }
    if (msg == WM_GETFONT) return reinterpret_cast<LRESULT>(CurrentFont());
    if (msg == WM_SETFONT) {
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        FrameRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        SelectObject(dc, CurrentFont());
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, data.caption.c_str(), -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return Unit::WindowProc(msg, wp, lp);
}

}  // namespace formstest

IMPRINTA_UNIT_ENTRY_LOOKUP(TestBoxEntryLookup, formstest::TestBox)

namespace formstest {

namespace {

#define COMMON(type) {nullptr, nullptr, nullptr, type, 0xE000, nullptr}
#define OWN(type) {nullptr, nullptr, nullptr, type, 0x8000, nullptr}
const PropertyDescriptor kBoxProperties[] = {
    COMMON(1001), COMMON(1001), COMMON(1001), COMMON(1001), COMMON(1005), COMMON(1003), COMMON(1003), COMMON(1011),
    OWN(1005),    OWN(1006),    OWN(1013),    OWN(1000),    OWN(1003),
};
#undef COMMON
#undef OWN

TypeDescriptor BoxType(const char* name, uint32_t flags) {
    return TypeDescriptor{name, name, "", 0, nullptr, flags, 0, 0, nullptr, 13, kBoxProperties,
                          &TestBoxEntryLookup, 0, nullptr};
}

TypeDescriptor g_types[kCoreLibraryTypeCount];
LibraryInfo g_library;
const LibraryInfo* g_libraries[1] = {&g_library};
ApplicationHeader g_header;

}  // namespace

void StartTestRuntime() {
    static bool started = false;
    if (started) return;
    started = true;
    for (uint32_t i = 0; i < kCoreLibraryTypeCount; ++i) g_types[i] = CoreLibraryTypes[i];
    g_types[(kBoxType & 0xFFFF) - 1] = BoxType("TestBox", 0x80000040);
    g_types[(kContainerType & 0xFFFF) - 1] = BoxType("TestContainer", 0x840140C0);
    g_types[(kOtherBoxType & 0xFFFF) - 1] = BoxType("TestOtherBox", 0x80000040);
    g_library = {};
    g_library.signature = kLibrarySignature;
    g_library.typeCount = kCoreLibraryTypeCount;
    g_library.types = g_types;
    g_header = {};
    g_header.runMode = 0;
    g_header.codeBase = reinterpret_cast<uintptr_t>(ImprintaCodeBase);
    g_header.libraryCount = 1;
    g_header.libraries = g_libraries;
    imprinta::TheRuntime().header = &g_header;
    imprinta::InstallRuntimeLayers();
    imprinta::StartRuntime();
}

bool LoadTemplates(const std::vector<imprinta::forms::WindowDescription>& windows) {
    auto bytes = imprinta::forms::WriteTemplateCollection(windows);
    return imprinta::forms::ReadTemplateCollection(bytes.data(), static_cast<uint32_t>(bytes.size()),
                                                   reinterpret_cast<uintptr_t>(ImprintaCodeBase));
}

}  // namespace formstest
