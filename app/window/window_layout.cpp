#include "app/window/window_layout.h"
#include <algorithm>

namespace app {

namespace {

// Stored-scale sizes below which a unit gives no more room.
constexpr int kPreviewMinWidth = 160;
constexpr int kNoteMinHeight = 64;  // a few lines; below it the note folds away
constexpr int kStretchMinHeight = 120;

constexpr int kStoredDpi = 96;

int Scaled(int v, int dpi) {
    int64_t p = static_cast<int64_t>(v) * dpi;
    return static_cast<int>(p >= 0 ? (p + kStoredDpi / 2) / kStoredDpi : -((-p + kStoredDpi / 2) / kStoredDpi));
}

// Edges are scaled, not sizes, so units that touch stay touching.
LayoutBox Scaled(const LayoutBox& b, int dpi) {
    LayoutBox s;
    s.left = Scaled(b.left, dpi);
    s.top = Scaled(b.top, dpi);
    s.width = Scaled(b.right(), dpi) - s.left;
    s.height = Scaled(b.bottom(), dpi) - s.top;
    return s;
}

bool Inside(const LayoutBox& b, int width, int height) {
    return b.left >= 0 && b.top >= 0 && b.right() <= width && b.bottom() <= height;
}

}  // namespace

WindowLayout::WindowLayout(std::vector<LayoutUnit> units, const LayoutRoles& roles)
    : units_(std::move(units)), roles_(roles) {
    int found = 0;
    for (const LayoutUnit& u : units_) {
        if (u.id == roles_.group) group_ = u.stored, ++found;
        if (u.id == roles_.preview) preview_ = u.stored, ++found;
    }
    valid_ = found == 2;
    margin_ = std::max(preview_.left, 0);
    designWidth_ = group_.right() + margin_;
    designHeight_ = std::max(group_.bottom(), preview_.bottom()) + margin_;
    for (const LayoutUnit& u : units_) {
        if (u.id == roles_.stretch) stretch_ = GroupRelative(u);
        if (u.id == roles_.note) note_ = GroupRelative(u);
    }
    belowStretchBottom_ = stretch_.bottom();
    offWindowLeft_ = designWidth_;
    for (size_t i = 0; i < units_.size(); ++i) {
        const LayoutUnit& u = units_[i];
        if (u.id == roles_.group || u.id == roles_.preview) continue;
        if (OutsideWindow(i)) {
            if (!u.inGroup) offWindowLeft_ = std::min(offWindowLeft_, u.stored.left);
            continue;
        }
        LayoutBox g = GroupRelative(u);
        if (u.id != roles_.note && u.id != roles_.stretch && g.top >= stretch_.bottom())
            belowStretchBottom_ = std::max(belowStretchBottom_, g.bottom());
    }
}

LayoutBox WindowLayout::GroupRelative(const LayoutUnit& u) const {
    if (u.inGroup) return u.stored;
    LayoutBox b = u.stored;
    b.left -= group_.left;
    b.top -= group_.top;
    return b;
}

bool WindowLayout::OutsideWindow(size_t index) const {
    const LayoutUnit& u = units_[index];
    if (u.inGroup) return !Inside(u.stored, group_.width, group_.height);
    return !Inside(u.stored, designWidth_, designHeight_);
}

LayoutSize WindowLayout::DesignedClient(int dpi) const {
    return {Scaled(designWidth_, dpi), Scaled(designHeight_, dpi)};
}

LayoutSize WindowLayout::MinimumClient(int dpi) const {
    const int gap = group_.left - preview_.right();
    const int width = preview_.left + kPreviewMinWidth + gap + group_.width + margin_;
    const int noteRoom = std::max(note_.bottom() - belowStretchBottom_, 0);
    const int stretchRoom = std::max(stretch_.height - kStretchMinHeight, 0);
    const int height = group_.top + group_.height - noteRoom - stretchRoom + margin_;
    return {Scaled(width, dpi), Scaled(height, dpi)};
}

std::vector<PlacedUnit> WindowLayout::Place(LayoutSize client, int dpi) const {
    std::vector<PlacedUnit> placed(units_.size());
    const LayoutBox group = Scaled(group_, dpi), preview = Scaled(preview_, dpi);
    const LayoutBox stretch = Scaled(stretch_, dpi), note = Scaled(note_, dpi);
    const int margin = Scaled(margin_, dpi);

    // The group keeps its width at the right edge and reaches down to the bottom margin.
    LayoutBox groupNow = group;
    groupNow.left = client.width - Scaled(designWidth_, dpi) + group.left;
    groupNow.height = std::max(client.height - group.top - margin, 0);
    LayoutBox previewNow = preview;
    previewNow.width = std::max(groupNow.left - (group.left - preview.right()) - preview.left, 0);
    previewNow.height = std::max(client.height - preview.top - margin, 0);

    // Height the group's content has to give up: the note first, then the stretch unit.
    const int deficit = std::max(group.height - groupNow.height, 0);
    const int noteMin = Scaled(kNoteMinHeight, dpi);
    bool noteShown = true;
    int noteHeight = note.height, stretchShrink = 0;
    if (deficit <= note.height - noteMin) {
        noteHeight = note.height - deficit;
    } else {
        noteShown = false;
        const int noteRoom = std::max(note.bottom() - Scaled(belowStretchBottom_, dpi), 0);
        const int stretchRoom = std::max(stretch.height - Scaled(kStretchMinHeight, dpi), 0);
        stretchShrink = std::clamp(deficit - noteRoom, 0, stretchRoom);
    }

    for (size_t i = 0; i < units_.size(); ++i) {
        const LayoutUnit& u = units_[i];
        PlacedUnit& p = placed[i];
        if (!valid_) {
            p.box = Scaled(u.stored, dpi);
            continue;
        }
        if (u.id == roles_.preview) {
            p.box = previewNow;
        } else if (u.id == roles_.group) {
            p.box = groupNow;
        } else if (OutsideWindow(i)) {
            // Group children beyond the group stay clipped by it; the others stay beyond the right edge.
            p.box = Scaled(u.stored, dpi);
            if (!u.inGroup) p.box.left = client.width + Scaled(u.stored.left - offWindowLeft_, dpi);
        } else if (!u.inGroup && !Inside(GroupRelative(u), group_.width, group_.height)) {
            p.box = Scaled(u.stored, dpi);  // on the window beside the group: stays where it is
        } else {
            const LayoutBox stored = GroupRelative(u);
            LayoutBox b = Scaled(stored, dpi);
            if (u.id == roles_.stretch) {
                b.height -= stretchShrink;
            } else if (u.id == roles_.note) {
                b.height = noteHeight;
                p.shown = noteShown;
            } else if (stored.top >= stretch_.bottom()) {
                b.top -= stretchShrink;
            }
            if (!u.inGroup) {
                b.left += groupNow.left;
                b.top += groupNow.top;
            }
            p.box = b;
        }
    }
    return placed;
}

}  // namespace app
