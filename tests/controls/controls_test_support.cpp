#include "controls_test_support.h"
#include <gtest/gtest.h>
#include "runtime/core/blocks.h"
#include "runtime/core/libraries.h"
#include "runtime/core/runtime_state.h"
#include "runtime/forms/forms_api.h"
#include "runtime/units/window_properties.h"

IMPRINTA_DEFINE_CODE_BASE(CONTROLS_TEST_HANDLERS)

namespace ctltest {

using namespace imprinta;

std::function<void()> g_duringEv0;

std::vector<Event>& Events() {
    static std::vector<Event> events;
    return events;
}

static void Record(const char* name, std::vector<uint32_t> args) {
    uint32_t source[2] = {0, 0};
    RuntimeNotify(kNotifyEventSource, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(source)), 0, 0);
    Events().push_back({name, source[1], std::move(args)});
}

std::vector<std::string> EventsOf(uint32_t unit) {
    std::vector<std::string> out;
    for (const auto& e : Events())
        if (e.unit == unit) out.push_back(e.handler);
    return out;
}

int CountOf(uint32_t unit, const std::string& handler) {
    int n = 0;
    for (const auto& e : Events()) n += e.unit == unit && e.handler == handler;
    return n;
}

forms::UnitDescription MakeUnit(uint32_t id, uint32_t type, int x, int y, int w, int h, std::vector<uint8_t> block,
                                uint32_t parent) {
    forms::UnitDescription u;
    u.id = id;
    u.type = type;
    u.name = "unit" + std::to_string(id & 0xFF);
    u.left = x;
    u.top = y;
    u.width = w;
    u.height = h;
    u.parent = parent;
    u.tabOrder = id & 0xFF;
    u.block = std::move(block);
    u.bindings = {{0, kHandler_Ev0},          {1, kHandler_Ev1},          {2, kHandler_Ev2},
                  {3, kHandler_Ev3},          {4, kHandler_Ev4},          {-7, kHandler_EvFocusGained},
                  {-8, kHandler_EvFocusLost}, {-2, kHandler_EvLeftUp}};
    return u;
}

std::vector<uint8_t> SaveBlock(units::PropertyData& data) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(units::SavePropertyData(data, out));
    return out;
}

uint32_t BuildWindow(const std::vector<forms::UnitDescription>& units, int x, int y, int width, int height,
                     const char* caption) {
    static uint32_t next = 0x52010101;
    const uint32_t id = next++;
    units::WindowProperties props;
    props.Reset();
    props.caption = caption;
    props.startPosition = 0;
    forms::UnitDescription self;
    self.id = forms::kWindowRecordId;
    self.type = 0x00010001;
    self.left = x;
    self.top = y;
    self.width = width;
    self.height = height;
    self.block = SaveBlock(props);
    forms::WindowDescription w;
    w.id = id;
    w.units.push_back(self);
    for (const auto& u : units) {
        w.units.push_back(u);
        if (u.parent)
            for (auto& c : w.units)
                if (c.id == u.parent) c.children.push_back(u.id);
        if (!u.parent) w.units[0].children.push_back(u.id);
    }
    auto bytes = forms::WriteTemplateCollection({w});
    if (!forms::ReadTemplateCollection(bytes.data(), static_cast<uint32_t>(bytes.size()),
                                       reinterpret_cast<uintptr_t>(ImprintaCodeBase)))
        return 0;
    if (!forms::CreateRegisteredWindow(id, nullptr, false)) return 0;
    HWND h = WindowHandle(id);
    if (h) SetForegroundWindow(h);
    Pump(30);
    return id;
}

units::Unit* UnitObject(uint32_t windowId, uint32_t unitId) {
    return reinterpret_cast<units::Unit*>(
        static_cast<uintptr_t>(RuntimeNotify(kNotifyUnitObject, windowId, unitId, 0)));
}

HWND UnitHandle(uint32_t windowId, uint32_t unitId) {
    units::Unit* u = UnitObject(windowId, unitId);
    return u ? u->hwnd : nullptr;
}

HWND WindowHandle(uint32_t windowId) { return UnitHandle(windowId, forms::kWindowRecordId); }

void CloseWindow(uint32_t windowId) {
    if (HWND h = WindowHandle(windowId)) DestroyWindow(h);
    Pump(20);
}

static uint32_t W(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

void SetInt(uint32_t w, uint32_t u, int property, int32_t value) {
    forms::SetProperty(w, u, property, static_cast<uint32_t>(value), 0);
}
int32_t GetInt(uint32_t w, uint32_t u, int property) {
    return static_cast<int32_t>(static_cast<uint32_t>(forms::GetProperty(w, u, property)));
}
void SetText(uint32_t w, uint32_t u, int property, const std::string& text) {
    forms::SetProperty(w, u, property, W(text.c_str()), 0);
}
std::string GetText(uint32_t w, uint32_t u, int property) {
    auto low = static_cast<uint32_t>(forms::GetProperty(w, u, property));
    const char* p = reinterpret_cast<const char*>(static_cast<uintptr_t>(low));
    std::string s = p ? p : "";
    FreeMemory(const_cast<char*>(p));
    return s;
}
void SetData(uint32_t w, uint32_t u, int property, const std::vector<uint8_t>& bytes) {
    void* block = bytes.empty() ? nullptr : MakeByteSet(bytes.data(), static_cast<uint32_t>(bytes.size()));
    forms::SetProperty(w, u, property, W(block), 0);
    FreeMemory(block);
}
std::vector<uint8_t> GetData(uint32_t w, uint32_t u, int property) {
    auto low = static_cast<uint32_t>(forms::GetProperty(w, u, property));
    auto* block = reinterpret_cast<const uint32_t*>(static_cast<uintptr_t>(low));
    std::vector<uint8_t> out;
    if (block) out.assign(reinterpret_cast<const uint8_t*>(block + 2), reinterpret_cast<const uint8_t*>(block + 2) + block[1]);
    FreeMemory(const_cast<uint32_t*>(block));
    return out;
}

void Pump(DWORD ms) {
    DWORD start = GetTickCount();
    MSG msg;
    do {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (OfferForTranslation(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

void TypeChars(HWND h, const std::string& text) {
    for (unsigned char c : text) PostMessageA(h, WM_CHAR, c, 1);
    Pump(30);
}

void Click(HWND h, int x, int y) {
    PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    Pump(40);
}

}  // namespace ctltest

// ---------------------------------------------------------------------------
// Handlers (cdecl, result slot first) and the test program's start.

using ctltest::Record;

extern "C" {
void __cdecl Ev0(EventResultSlot*) {
    Record("Ev0", {});
    if (auto f = std::move(ctltest::g_duringEv0)) {
        ctltest::g_duringEv0 = nullptr;
        f();
    }
}
void __cdecl Ev1(EventResultSlot*, uint32_t a) { Record("Ev1", {a}); }
void __cdecl Ev2(EventResultSlot*) { Record("Ev2", {}); }
void __cdecl Ev3(EventResultSlot*) { Record("Ev3", {}); }
void __cdecl Ev4(EventResultSlot*) { Record("Ev4", {}); }
void __cdecl EvFocusGained(EventResultSlot*) { Record("EvFocusGained", {}); }
void __cdecl EvFocusLost(EventResultSlot*) { Record("EvFocusLost", {}); }
void __cdecl EvLeftUp(EventResultSlot*) { Record("EvLeftUp", {}); }
}

namespace {

alignas(4) const uint8_t kConstants[16] = {};
ApplicationHeader g_header = {
    3, 0, 100, 0, kConstants, sizeof kConstants, nullptr, 0, kLibraryCount, LibraryTable, 0, nullptr, nullptr,
};

int IMPRINTA_CDECL Start() {
    CallRuntimeService(kServiceStartRuntime);
    return RUN_ALL_TESTS();
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    g_header.codeBase = reinterpret_cast<uintptr_t>(ImprintaCodeBase);
    return RuntimeProcessEntry(&g_header, Start);
}
