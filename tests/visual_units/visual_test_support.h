// Test windows for the picture box, drawing panel and labels: built from form
// templates made with the forms writer, created by the window loader inside a
// started Runtime, plus small picture file writers (PNG, GIF) and pixel reads.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>
#include "runtime/core/runtime_interface.h"
#include "runtime/forms/handler_table.h"
#include "runtime/base/template_format.h"
#include "runtime/units/unit_framework.h"

#define VISUAL_TEST_HANDLERS(X) \
    X(Return7)                  \
    X(OnPanelPaint)

IMPRINTA_HANDLER_INDICES(VISUAL_TEST_HANDLERS)

namespace vistest {

using namespace imprinta::units;

constexpr uint32_t kWindowType = kUnitTypeWindow;
constexpr uint32_t kPicBoxType = kUnitTypePicBox;
constexpr uint32_t kDrawPanelType = kUnitTypeDrawPanel;
constexpr uint32_t kLabelType = kUnitTypeLabel;
constexpr uint32_t kTransLabelType = kUnitTypeTransLabel;

struct HandlerCall {
    int handler;
    std::vector<uint32_t> args;
};
std::vector<HandlerCall>& Calls();

// The Runtime with a library table holding the unit types; once per process.
void StartTestRuntime();

struct UnitSpec {
    uint32_t id;
    uint32_t type;
    int x, y, w, h;
    std::vector<uint8_t> block;
    std::vector<imprinta::forms::BindingDescription> bindings = {};
    uint32_t flags = imprinta::forms::kUnitVisible;
};

// A window built from a fresh template; destroyed with the object.
class TestWindow {
public:
    TestWindow(int width, int height, const std::vector<UnitSpec>& units, uint32_t backColour = 0x00FFFFFF,
               const char* caption = "visual units");
    ~TestWindow();
    bool ok() const { return hwnd != nullptr; }
    Unit* unit(uint32_t id) const;
    template <class T>
    T* as(uint32_t id) const { return dynamic_cast<T*>(unit(id)); }
    HWND control(uint32_t id) const;
    // Property access through the runtime's path (index as the application passes it).
    void Set(uint32_t id, int property, uint32_t low, uint32_t high = 0);
    void SetBytes(uint32_t id, int property, const std::vector<uint8_t>& bytes);
    uint64_t Get(uint32_t id, int property);
    // Pixel of the window's client area (children included) / of one unit's client area.
    COLORREF Pixel(int x, int y) const;
    COLORREF UnitPixel(uint32_t id, int x, int y) const;
    uint32_t formId = 0;
    HWND hwnd = nullptr;
};

std::vector<uint8_t> Block(PropertyData& data);
void Pump(DWORD ms = 60);

// Writers of small picture files.
std::vector<uint8_t> MakePng(int width, int height, const std::vector<uint32_t>& rgba);  // 0xAABBGGRR per pixel
std::vector<uint8_t> SolidPng(int width, int height, uint32_t rgba);
struct GifFrameSpec {
    uint8_t colourIndex;   // every pixel of the frame
    uint16_t delayCentiseconds;
    int disposal = 1;
};
// A GIF of full-screen solid frames over the given palette (up to 256 colours 0x00BBGGRR).
std::vector<uint8_t> MakeGif(int width, int height, const std::vector<uint32_t>& palette,
                             const std::vector<GifFrameSpec>& frames);

inline bool Near(COLORREF a, COLORREF b, int tolerance = 2) {
    return std::abs(int(GetRValue(a)) - int(GetRValue(b))) <= tolerance &&
           std::abs(int(GetGValue(a)) - int(GetGValue(b))) <= tolerance &&
           std::abs(int(GetBValue(a)) - int(GetBValue(b))) <= tolerance;
}

}  // namespace vistest
