#include "window_test_support.h"

#include <gtest/gtest.h>

namespace windowtest {

namespace {

TypeDescriptor g_descriptors[8];

int64_t IMPRINTA_STDCALL FakeNotify(int code, uint32_t a1, uint32_t a2, uint32_t) {
    FakeRuntime& rt = FakeRuntime::Get();
    switch (code) {
    case kNotifyRaiseEvent: {
        auto* rec = reinterpret_cast<EventRecord*>(static_cast<uintptr_t>(a1));
        RaisedEvent e{rec->unitId, rec->number, std::vector<uint32_t>(rec->args, rec->args + rec->count)};
        rt.events.push_back(e);
        auto key = std::make_pair(rec->unitId, rec->number);
        if (auto act = rt.actions.find(key); act != rt.actions.end()) {
            auto fn = act->second;  // the action may change the table
            fn();
        }
        if (auto r = rt.results.find(key); r != rt.results.end()) {
            rec->hasResult = 1;
            rec->result = r->second;
        }
        return 1;
    }
    case kNotifyUnitType:
        if (a2 == 0 || a2 == kWindowUnitId) return 0x00010001;
        return rt.unitFlags.count(a2) ? kTestUnitType + 0x100 * (a2 & 7) : 0;
    case kNotifyTypeDescriptor: {
        if (a1 == 0x00010001) return 0;
        uint32_t unit = 0;
        for (auto& [id, flags] : rt.unitFlags)
            if (kTestUnitType + 0x100 * (id & 7) == a1) unit = id;
        if (!unit) return 0;
        TypeDescriptor& d = g_descriptors[unit & 7];
        d = {};
        d.flags = rt.unitFlags[unit];
        return static_cast<int64_t>(reinterpret_cast<uintptr_t>(&d));
    }
    case kNotifyProgramIcon:
        if (rt.iconAnswer) {
            auto* words = reinterpret_cast<uint32_t*>(static_cast<uintptr_t>(a1));
            words[0] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(rt.programBig));
            words[1] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(rt.programSmall));
        }
        return 0;
    case kNotifyHiddenOwner: return static_cast<int64_t>(reinterpret_cast<uintptr_t>(rt.hiddenOwner));
    case kNotifyDestroyed:
        rt.destroyed.push_back({a1, a2});
        return 0;
    default:
        return 0;
    }
}

}  // namespace

FakeRuntime& FakeRuntime::Get() {
    static FakeRuntime rt;
    return rt;
}

void FakeRuntime::Install() {
    Clear();
    SetNotifyTarget(&FakeNotify);
}

void FakeRuntime::Clear() {
    events.clear();
    results.clear();
    actions.clear();
    unitFlags.clear();
    destroyed.clear();
    iconAnswer = false;
    hiddenOwner = nullptr;
}

std::vector<int> FakeRuntime::Numbers(uint32_t unitId) const {
    std::vector<int> out;
    for (const auto& e : events)
        if (e.unitId == unitId) out.push_back(e.number);
    return out;
}

bool TestUnit::CreateControl(const CreateParams& p) {
    return CreateNative(className, 0, WS_CHILD | extraStyle, "unit", p);
}

WindowUnit* MakeWindow(const WindowProperties& p, int x, int y, int width, int height, HWND owner,
                       DWORD runtimeStyle, uint32_t unitId) {
    std::vector<uint8_t> data;
    WindowProperties copy = p;
    EXPECT_TRUE(SavePropertyData(copy, data));
    auto create = reinterpret_cast<CreateUnitFn>(WindowEntryLookup(kEntryCreateUnit));
    void* unit = create(data.data(), static_cast<uint32_t>(data.size()), runtimeStyle, owner, 0, nullptr, x, y,
                        width, height, kFormId, unitId, nullptr, FALSE);
    return static_cast<WindowUnit*>(static_cast<Unit*>(unit));
}

TestUnit* AddUnit(WindowUnit* window, uint32_t unitId, const char* cls, int x, int y, int w, int h, uint32_t flags,
                  DWORD style) {
    auto* u = new TestUnit();
    u->className = cls;
    FakeRuntime::Get().unitFlags[unitId] = flags;
    CreateParams p;
    p.style = style;
    p.parent = window->hwnd;
    p.controlId = 100 + (unitId & 0xFF);
    p.x = x;
    p.y = y;
    p.width = w;
    p.height = h;
    p.formId = kFormId;
    p.unitId = unitId;
    void* made = CreateUnitObject(u, p);
    EXPECT_NE(nullptr, made);
    if (made) ShowWindow(u->hwnd, SW_SHOWNA);
    return static_cast<TestUnit*>(static_cast<Unit*>(made));
}

bool PreTranslate(MSG& msg) {
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    auto* w = dynamic_cast<WindowUnit*>(Unit::FromHandle(root));
    return w && w->PreTranslateMessage(msg);
}

void Pump(DWORD ms) {
    DWORD start = GetTickCount();
    MSG msg;
    do {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (PreTranslate(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

MSG MakeMsg(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
    MSG m = {};
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wp;
    m.lParam = lp;
    GetCursorPos(&m.pt);
    return m;
}

void SetShift(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    keys[VK_LSHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

}  // namespace windowtest
