// Unit-specific blocks of the main window's units, serialized by each unit
// type's own property data so that the stored form is exactly what the units read.
#include "app/forms/main_window_unit_data.h"
#include "runtime/units/button_data.h"
#include "runtime/units/combo_box_data.h"
#include "runtime/units/draw_panel_data.h"
#include "runtime/units/edit_box_data.h"
#include "runtime/units/group_box_data.h"
#include "runtime/units/label_data.h"
#include "runtime/units/picture_box_data.h"
#include "runtime/units/trans_label_data.h"
#include "runtime/units/window_properties.h"

namespace mainwindow {

using namespace imprinta::units;

namespace {

std::vector<uint8_t> Save(PropertyData& data) {
    std::vector<uint8_t> bytes;
    SavePropertyData(data, bytes);
    return bytes;
}

}  // namespace

std::vector<uint8_t> WindowBlock(const char* caption) {
    WindowProperties w;
    w.caption = caption;
    w.borderStyle = 1;  // resizable: the layout follows the window's size
    w.maxButton = true;
    w.minButton = true;
    w.controlBox = true;
    w.startPosition = 1;    // centred on the screen
    w.movable = true;
    w.escCloses = true;
    w.showInTaskbar = true;
    return Save(w);
}

std::vector<uint8_t> DialogBlock(const char* caption) {
    WindowProperties w;
    w.caption = caption;
    w.borderStyle = 2;  // fixed
    w.maxButton = false;
    w.minButton = false;
    w.controlBox = true;
    w.startPosition = 1;  // centred on the screen
    w.escCloses = true;
    w.showInTaskbar = false;
    return Save(w);
}

std::vector<uint8_t> ButtonBlock(const char* caption, ButtonRole role) {
    ButtonData b;
    b.caption = caption;
    b.buttonType = role == ButtonRole::Default ? 1 : 0;
    return Save(b);
}

std::vector<uint8_t> EditBlock(const char* content, InputMode mode, bool multiline) {
    EditBoxData e;
    e.content = content;
    e.inputMode = mode;
    e.multiline = multiline;
    return Save(e);
}

std::vector<uint8_t> TransLabelBlock(const char* caption) {
    TransLabelData t;
    t.caption = caption;
    // Captions with their own line breaks (the usage note) start at the top and wrap.
    if (std::string(caption).find('\n') != std::string::npos) {
        t.wordWrap = true;
        t.verticalAlignment = 0;
    }
    return Save(t);
}

std::vector<uint8_t> LabelBlock(const char* caption) {
    LabelData l;
    l.caption = caption;
    return Save(l);
}

std::vector<uint8_t> GroupBoxBlock(const char* caption) {
    GroupBoxData g;
    g.caption = caption;
    return Save(g);
}

std::vector<uint8_t> ComboBlock(const std::vector<std::string>& items, const std::vector<int32_t>& itemData,
                                int32_t current, ComboKind kind) {
    ComboBoxData c;
    c.style = kind == ComboKind::List ? 2 : 1;  // drop-down list, or drop-down with an edit field
    c.sorted = false;
    c.items = items;
    c.SetItemData(itemData);
    c.listIndex = current;
    if (current >= 0 && static_cast<size_t>(current) < items.size()) c.content = items[static_cast<size_t>(current)];
    return Save(c);
}

std::vector<uint8_t> PictureBoxBlock(bool ownSize) {
    PicBoxData p;
    p.border = 1;            // sunken
    p.backColour = 0xFF000000;  // the margins beside the picture in the face colour
    p.displayMode = ownSize ? kPicBoxOwnSize : kPicBoxFitted;  // fitted: whole, as large as the box allows, in proportion
    p.animate = true;
    return Save(p);
}

std::vector<uint8_t> DrawPanelBlock() {
    DrawPanelData d;
    return Save(d);
}

}  // namespace mainwindow
