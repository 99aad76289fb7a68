// A stand-in for the runtime's notification function, simple test units and
// helpers to build window units straight from their entry points.
#pragma once
#include <windows.h>
#include <functional>
#include <map>
#include <vector>
#include "runtime/units/unit_framework.h"
#include "runtime/units/window_unit.h"

namespace windowtest {

using namespace imprinta::units;

constexpr uint32_t kFormId = 0x52010001;
constexpr uint32_t kWindowUnitId = 0x06010000;
constexpr uint32_t kTestUnitType = 0x00010063;  // a made-up type code for test units

struct RaisedEvent {
    uint32_t unitId;
    int number;
    std::vector<uint32_t> args;
};

// Answers the notifications units use; records every event.
struct FakeRuntime {
    std::vector<RaisedEvent> events;
    // Result a handler returns, by (unit id, event number); no entry = returns nothing.
    std::map<std::pair<uint32_t, int>, uint32_t> results;
    // Runs inside the handler of (unit id, event number).
    std::map<std::pair<uint32_t, int>, std::function<void()>> actions;
    std::map<uint32_t, uint32_t> unitFlags;  // type flags of test units by unit id
    std::vector<std::pair<uint32_t, uint32_t>> destroyed;
    bool iconAnswer = false;
    HICON programBig = nullptr, programSmall = nullptr;
    HWND hiddenOwner = nullptr;  // notification 2034

    static FakeRuntime& Get();
    void Install();
    void Clear();
    std::vector<int> Numbers(uint32_t unitId = kWindowUnitId) const;
};

// A unit for tests: a native control with settable answers.
class TestUnit : public Unit {
public:
    struct Data : PropertyData {
        void Reset() override {}
        bool Serialize(PropertyArchive& ar) override { return ar.Version(1) && ar.ok(); }
    };
    Data data;
    const char* className = "BUTTON";
    DWORD extraStyle = 0;
    bool defaultButton = false;
    UINT wantedKey = 0;
    PropertyData& Properties() override { return data; }
    bool CreateControl(const CreateParams& p) override;
    bool WantsKey(UINT key) override { return wantedKey != 0 && key == wantedKey; }
    bool IsDefaultButton() override { return defaultButton; }
};

// Creates a window unit through its entry point 1 (not shown).
WindowUnit* MakeWindow(const WindowProperties& p, int x, int y, int width, int height, HWND owner = nullptr,
                       DWORD runtimeStyle = 0, uint32_t unitId = kWindowUnitId);
// Adds a test unit to a window; flags are its type flags, style its runtime style.
TestUnit* AddUnit(WindowUnit* window, uint32_t unitId, const char* cls, int x, int y, int w, int h, uint32_t flags,
                  DWORD style = WS_TABSTOP);
// Dispatches waiting messages through the window units' pre-translation for ms milliseconds.
void Pump(DWORD ms = 50);
// Offers one message to the pre-translation of the window that holds its target.
bool PreTranslate(MSG& msg);
MSG MakeMsg(HWND hwnd, UINT message, WPARAM wp, LPARAM lp = 0);
void SetShift(bool down);

}  // namespace windowtest
