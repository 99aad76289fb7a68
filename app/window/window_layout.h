// Where the main window's units go at a given client size and resolution.
// The stored form is the reference: at its size (scaled to the resolution)
// and above every unit keeps its stored place, except that the preview takes
// the room beyond it and the settings group stays at the right edge. Below it
// the preview gives way first, then the usage note shrinks and folds away,
// then the body text box shrinks. Plain C++.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace app {

struct LayoutBox {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const LayoutBox& o) const {
        return left == o.left && top == o.top && width == o.width && height == o.height;
    }
};

// One unit as stored: its box relative to its parent window (the main window,
// or the settings group for the group's own children).
struct LayoutUnit {
    uint32_t id = 0;
    bool inGroup = false;
    LayoutBox stored;
};

// The units the layout treats apart; every other unit is placed by where it lies.
struct LayoutRoles {
    uint32_t preview = 0;  // takes the room the settings group leaves
    uint32_t group = 0;    // the settings group, kept at the right edge
    uint32_t stretch = 0;  // in the group: gives height after the note has folded
    uint32_t note = 0;     // in the group: shrinks, then folds away
};

struct LayoutSize {
    int width = 0, height = 0;
};

struct PlacedUnit {
    LayoutBox box;  // relative to its parent window, in device pixels
    bool shown = true;
};

class WindowLayout {
public:
    WindowLayout(std::vector<LayoutUnit> units, const LayoutRoles& roles);

    // The client size the stored form was made for, and the smallest one the
    // layout still keeps every control whole in, at dpi (96 = the stored scale).
    LayoutSize DesignedClient(int dpi) const;
    LayoutSize MinimumClient(int dpi) const;
    // One entry per unit, in the order given.
    std::vector<PlacedUnit> Place(LayoutSize client, int dpi) const;
    // Whether a unit lies beyond the stored window's edges (the hidden
    // watermark inputs): it stays beyond the right edge at any size.
    bool OutsideWindow(size_t index) const;

    const std::vector<LayoutUnit>& units() const { return units_; }

private:
    LayoutBox GroupRelative(const LayoutUnit& u) const;
    std::vector<LayoutUnit> units_;
    LayoutRoles roles_;
    LayoutBox group_, preview_, stretch_, note_;
    int margin_ = 0;           // the preview's distance from the left edge, kept on every side
    int designWidth_ = 0, designHeight_ = 0;
    int belowStretchBottom_ = 0;  // group-relative bottom of the units under the stretch unit, note aside
    int offWindowLeft_ = 0;       // leftmost stored left among the units beyond the window
    bool valid_ = false;
};

}  // namespace app
