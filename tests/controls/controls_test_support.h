// Support for the control unit tests: a started Runtime with the real unit
// types and libraries, handlers that record events, windows built from
// templates, property access through the runtime and a message pump.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "runtime/core/runtime_interface.h"
#include "runtime/forms/handler_table.h"
#include "runtime/base/template_format.h"
#include "runtime/units/unit_framework.h"

#define CONTROLS_TEST_HANDLERS(X) \
    X(Ev0) X(Ev1) X(Ev2) X(Ev3) X(Ev4) X(EvFocusGained) X(EvFocusLost) X(EvLeftUp)

IMPRINTA_HANDLER_INDICES(CONTROLS_TEST_HANDLERS)

namespace ctltest {

using imprinta::units::kUnitTypeButton;
using imprinta::units::kUnitTypeColourPicker;
using imprinta::units::kUnitTypeComboBox;
using imprinta::units::kUnitTypeEditBox;
using imprinta::units::kUnitTypeGroupBox;

struct Event {
    std::string handler;
    uint32_t unit;
    std::vector<uint32_t> args;
};
std::vector<Event>& Events();
// Handler names raised for one unit, in order.
std::vector<std::string> EventsOf(uint32_t unit);
int CountOf(uint32_t unit, const std::string& handler);
// Runs inside the next Ev0 handler (then cleared).
extern std::function<void()> g_duringEv0;

// A unit record with its block and every event bound to its recording handler.
imprinta::forms::UnitDescription MakeUnit(uint32_t id, uint32_t type, int x, int y, int w, int h,
                                          std::vector<uint8_t> block, uint32_t parent = 0);
std::vector<uint8_t> SaveBlock(imprinta::units::PropertyData& data);

// Registers and creates a window (visible, at x, y) holding the units; returns its id or 0.
uint32_t BuildWindow(const std::vector<imprinta::forms::UnitDescription>& units, int x = 40, int y = 40,
                     int width = 520, int height = 360, const char* caption = "controls");
HWND WindowHandle(uint32_t windowId);
void CloseWindow(uint32_t windowId);
imprinta::units::Unit* UnitObject(uint32_t windowId, uint32_t unitId);
HWND UnitHandle(uint32_t windowId, uint32_t unitId);

// Properties through the runtime, by full index.
void SetInt(uint32_t w, uint32_t u, int property, int32_t value);
int32_t GetInt(uint32_t w, uint32_t u, int property);
void SetText(uint32_t w, uint32_t u, int property, const std::string& text);
std::string GetText(uint32_t w, uint32_t u, int property);
void SetData(uint32_t w, uint32_t u, int property, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> GetData(uint32_t w, uint32_t u, int property);

// Runs waiting messages through the runtime's pre-translation for ms milliseconds.
void Pump(DWORD ms = 60);
// Types characters into a control as queued WM_CHAR messages.
void TypeChars(HWND h, const std::string& text);
// Clicks in a window's client coordinates (posted button down and up).
void Click(HWND h, int x, int y);

}  // namespace ctltest
