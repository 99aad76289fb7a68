// Companion program: a real window built from a form template by the loader,
// run in the message loop until it closes.
//   window_child <scenario> <log file>
// Scenarios: "esc" (the first close request is refused), "hold" (closes itself
// with Esc after four seconds, for screenshots), "shape" (as "hold", star-shaped
// with a tiled background picture).
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "runtime/core/libraries.h"
#include "runtime/core/runtime_interface.h"
#include "runtime/forms/handler_table.h"
#include "runtime/base/template_format.h"
#include "runtime/units/unit_framework.h"
#include "runtime/units/window_properties.h"

using namespace imprinta;

namespace {

std::string g_log;
std::string g_scenario;

void Log(const char* line) {
    FILE* f = fopen(g_log.c_str(), "ab");
    if (!f) return;
    fprintf(f, "%s\n", line);
    fclose(f);
}

// A plain push button as unit type 1 of a second library.
class ChildUnit : public units::Unit {
public:
    struct Data : units::PropertyData {
        void Reset() override {}
        bool Serialize(units::PropertyArchive& ar) override { return ar.Version(1) && ar.ok(); }
    };
    Data data;
    units::PropertyData& Properties() override { return data; }
    bool CreateControl(const units::CreateParams& p) override {
        if (!CreateNative("BUTTON", 0, WS_CHILD | BS_PUSHBUTTON, "按钮", p)) return false;
        ApplyFont(units::ByteBuffer());
        return true;
    }
};

}  // namespace

IMPRINTA_UNIT_ENTRY_LOOKUP(ChildUnitLookup, ChildUnit)

#define CHILD_HANDLERS(X)                                                                             \
    X(OnCreated) X(OnCanClose) X(OnDestroying) X(OnMoved) X(OnResized) X(OnCloseRequested) X(OnIdle) \
        X(OnFirstActivated) X(OnActivated)
IMPRINTA_HANDLER_INDICES(CHILD_HANDLERS)
IMPRINTA_DEFINE_CODE_BASE(CHILD_HANDLERS)

extern "C" {
void __cdecl OnCreated(EventResultSlot*) { Log("event 0"); }
void __cdecl OnCanClose(EventResultSlot*) { Log("event 1"); }
void __cdecl OnDestroying(EventResultSlot*) { Log("event 2"); }
void __cdecl OnMoved(EventResultSlot*) { Log("event 3"); }
void __cdecl OnResized(EventResultSlot*) { Log("event 4"); }
void __cdecl OnFirstActivated(EventResultSlot*) { Log("event 8"); }
void __cdecl OnActivated(EventResultSlot*) { Log("event 5"); }
// Asks for two more idle events, then declines for the rest of the period.
void __cdecl OnIdle(EventResultSlot* result, uint32_t) {
    static int calls = 0;
    if (calls >= 3) return;
    Log("event 7");
    result->hasResult = 1;
    result->value = ++calls < 3 ? 1 : 0;
}
void __cdecl OnCloseRequested(EventResultSlot* result) {
    static int calls = 0;
    Log("event 12");
    if (g_scenario == "esc" && calls++ == 0) {
        result->hasResult = 1;
        result->value = 0;  // keep the window open the first time
    }
}
}

namespace {

const TypeDescriptor kChildTypes[1] = {
    {"测试组件", "TestUnit", "", 0, nullptr, 0x80000040, 0, 0, nullptr, 8, nullptr, &ChildUnitLookup, 0, nullptr},
};

LibraryInfo MakeChildLibrary() {
    LibraryInfo info{};
    info.signature = kLibrarySignature;
    info.identifier = "00000000000000000000000000000001";
    info.displayName = "test";
    info.language = 1;
    info.typeCount = 1;
    info.types = kChildTypes;
    return info;
}

const LibraryInfo kChildLibrary = MakeChildLibrary();
const LibraryInfo* const kLibraries[2] = {&CoreLibrary, &kChildLibrary};
constexpr uint32_t kWindowId = 0x52010001;

std::vector<uint8_t> BuildTemplate() {
    units::WindowProperties p;
    p.caption = "窗口测试";
    p.borderStyle = 2;
    p.startPosition = 1;
    p.backColor = 0x00E0F0FF;
    std::vector<uint8_t> block;
    units::SavePropertyData(p, block);

    forms::WindowDescription w;
    w.id = kWindowId;
    forms::UnitDescription self;
    self.id = forms::kWindowRecordId;
    self.type = 0x00010001;
    self.name = "窗口";
    self.left = 50;
    self.top = 50;
    self.width = 420;
    self.height = 300;
    self.flags = forms::kUnitVisible;
    self.bindings = {{0, kHandler_OnCreated},  {1, kHandler_OnCanClose},       {2, kHandler_OnDestroying},
                     {3, kHandler_OnMoved},    {4, kHandler_OnResized},        {12, kHandler_OnCloseRequested},
                     {7, kHandler_OnIdle},     {8, kHandler_OnFirstActivated}, {5, kHandler_OnActivated}};
    self.block = block;
    w.units.push_back(self);
    for (int i = 0; i < 3; ++i) {
        forms::UnitDescription u;
        u.id = 0x01000001 + i;
        u.type = 0x00020001;
        u.name = "按钮" + std::to_string(i + 1);
        u.left = 30;
        u.top = 30 + 50 * i;
        u.width = 140;
        u.height = 32;
        u.block = {1, 0, 0, 0};
        w.units.push_back(u);
    }
    return forms::WriteTemplateCollection({w});
}

std::vector<uint8_t> g_template;
ApplicationHeader g_header;

void IMPRINTA_CDECL ExitCallback() { Log("exit callback"); }

void CALLBACK PressEsc(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    PostMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
}

int IMPRINTA_CDECL Start() {
    CallRuntimeService(kServiceStartRuntime);
    CallRuntimeService(kServiceAddExitCallback, &ExitCallback);
    LoadStartWindow(kWindowId);
    if (g_scenario == "shape") {
        // A star-shaped window with a tiled 16 x 16 checkerboard, set through the
        // runtime's property access like application code does.
        static uint8_t bmp[8 + 54 + 16 * 16 * 3];
        uint8_t* b = bmp + 8;
        uint32_t words[] = {1, sizeof bmp - 8};
        memcpy(bmp, words, 8);
        const uint8_t header[54] = {'B', 'M', 0x36, 3, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 16, 0, 0, 0, 16,
                                    0, 0, 0, 1, 0, 24, 0};
        memcpy(b, header, sizeof header);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                uint8_t* px = b + 54 + (y * 16 + x) * 3;
                bool dark = ((x / 8) ^ (y / 8)) & 1;
                px[0] = dark ? 0x90 : 0xF0;
                px[1] = dark ? 0x50 : 0xE0;
                px[2] = dark ? 0x20 : 0xD0;
            }
        SetUnitProperty(kWindowId, 0, 11, 0, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(bmp)), 0);
        SetUnitProperty(kWindowId, 0, 28, 0, 13, 0);
    }
    if (g_scenario == "hold" || g_scenario == "shape") {
        HWND h = FindWindowA("RZWindow", nullptr);
        SetTimer(h, 1, 4000, PressEsc);
    }
    RunMessageLoop();
    Log("loop ended");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    g_scenario = argv[1];
    g_log = argv[2];
    g_template = BuildTemplate();
    g_header = {};
    g_header.runMode = 3;
    g_header.buildNumber = 1;
    g_header.codeBase = reinterpret_cast<uintptr_t>(ImprintaCodeBase);
    g_header.templateStart = g_template.data();
    g_header.templateSize = static_cast<uint32_t>(g_template.size());
    g_header.libraryCount = 2;
    g_header.libraries = kLibraries;
    return RuntimeProcessEntry(&g_header, &Start);
}
