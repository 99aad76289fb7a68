// Fuzz target bodies for the stored form data: the template collection
// reader and the unit property streams. Property data must survive a round
// trip: what loads saves, the saved bytes load again and save identically.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include "runtime/base/template_format.h"
#include "runtime/units/button_data.h"
#include "runtime/units/colour_picker_data.h"
#include "runtime/units/combo_box_data.h"
#include "runtime/units/draw_panel_data.h"
#include "runtime/units/edit_box_data.h"
#include "runtime/units/group_box_data.h"
#include "runtime/units/label_data.h"
#include "runtime/units/picture_box_data.h"
#include "runtime/units/trans_label_data.h"
#include "runtime/units/window_properties.h"

namespace imprinta::fuzz {
namespace {

[[noreturn]] void Broken(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

void Upper(char* text, int, void*) {
    for (; *text; ++text) *text = char(std::toupper(static_cast<unsigned char>(*text)));
}

template <typename T>
void RoundTrip(const uint8_t* d, size_t n) {
    using namespace imprinta::units;
    T data;
    if (!LoadPropertyData(data, d, n)) return;
    std::vector<uint8_t> first, second;
    if (!SavePropertyData(data, first)) Broken("loaded data does not save");
    T again;
    if (!LoadPropertyData(again, first.data(), first.size())) Broken("saved data does not load");
    if (!SavePropertyData(again, second)) Broken("reloaded data does not save");
    if (first != second) Broken("property round trip changed the bytes");
    std::vector<uint8_t> converted;
    T conv;
    (void)ConvertPropertyTexts(conv, d, n, Upper, nullptr, converted);
}

}  // namespace

void RunProperty(const uint8_t* d, size_t n) {
    // The first byte picks the unit type so one corpus serves them all.
    if (n == 0) return;
    const uint8_t* p = d + 1;
    size_t m = n - 1;
    switch (d[0] % 10) {
    case 0: RoundTrip<units::WindowProperties>(p, m); break;
    case 1: RoundTrip<units::EditBoxData>(p, m); break;
    case 2: RoundTrip<units::LabelData>(p, m); break;
    case 3: RoundTrip<units::TransLabelData>(p, m); break;
    case 4: RoundTrip<units::DrawPanelData>(p, m); break;
    case 5: RoundTrip<units::ButtonData>(p, m); break;
    case 6: RoundTrip<units::GroupBoxData>(p, m); break;
    case 7: RoundTrip<units::ComboBoxData>(p, m); break;
    case 8: RoundTrip<units::ColourPickerData>(p, m); break;
    case 9: RoundTrip<units::PicBoxData>(p, m); break;
    }
}

void RunTemplate(const uint8_t* d, size_t n) {
    std::vector<forms::TemplateWindow> windows;
    std::string error;
    if (!forms::ParseTemplateCollection(d, n, windows, &error)) return;
    forms::ResolveHandlers(windows, 0x10000);
    // Touch what the loader reads so bad lengths show up under the sanitizers.
    size_t sum = 0;
    for (const auto& w : windows)
        for (const auto& u : w.units) {
            sum += u.name.size() + u.remark.size() + u.block.size() + u.pointerData.size() + u.children.size();
            for (const auto& b : u.bindings) sum += size_t(b.handler);
        }
    if (sum == size_t(-1)) std::puts("");
}

}  // namespace imprinta::fuzz
