// The main window's layout from its own form at many sizes and resolutions:
// stored places at the designed size, every shown unit whole in the client
// area and uncovered, the note folding before the body text gives way, and
// the picture placement the preview and its drag share.
#include <gtest/gtest.h>
#include "app/forms/main_window_form.h"
#include "app/forms/main_window_units.h"
#include "app/window/window_layout.h"
#include "runtime/pictures/picture_scale.h"

namespace {

using app::LayoutBox;
using app::LayoutSize;
using app::PlacedUnit;
using app::WindowLayout;

WindowLayout MainLayout() {
    std::vector<app::LayoutUnit> units;
    for (const auto& u : mainwindow::DescribeMainWindow().units) {
        if (u.id == mainwindow::kWindowRecordId) continue;
        units.push_back({u.id, u.parent == mainwindow::kSettingsGroup, {u.left, u.top, u.width, u.height}});
    }
    app::LayoutRoles roles;
    roles.preview = mainwindow::kPreviewBox;
    roles.group = mainwindow::kSettingsGroup;
    roles.stretch = mainwindow::kBodyText;
    roles.note = mainwindow::kUsageNote;
    return WindowLayout(units, roles);
}

bool Overlap(const LayoutBox& a, const LayoutBox& b) {
    return a.left < b.right() && b.left < a.right() && a.top < b.bottom() && b.top < a.bottom();
}

// Client-area boxes of the shown units inside the window (group children moved by the group).
std::vector<std::pair<uint32_t, LayoutBox>> InWindow(const WindowLayout& layout, const std::vector<PlacedUnit>& placed) {
    LayoutBox group;
    for (size_t i = 0; i < placed.size(); ++i)
        if (layout.units()[i].id == mainwindow::kSettingsGroup) group = placed[i].box;
    std::vector<std::pair<uint32_t, LayoutBox>> out;
    for (size_t i = 0; i < placed.size(); ++i) {
        if (!placed[i].shown || layout.OutsideWindow(i)) continue;
        LayoutBox b = placed[i].box;
        if (layout.units()[i].inGroup) b.left += group.left, b.top += group.top;
        out.push_back({layout.units()[i].id, b});
    }
    return out;
}

TEST(WindowLayout, StoredPlacesAtTheDesignedSize) {
    WindowLayout layout = MainLayout();
    LayoutSize designed = layout.DesignedClient(96);
    EXPECT_EQ(1059, designed.width);
    EXPECT_EQ(907, designed.height);
    std::vector<PlacedUnit> placed = layout.Place(designed, 96);
    int kept = 0;
    for (size_t i = 0; i < placed.size(); ++i) {
        if (layout.OutsideWindow(i)) {
            if (!layout.units()[i].inGroup) {
                EXPECT_GE(placed[i].box.left, designed.width) << "beyond the right edge";
            }
            continue;
        }
        EXPECT_TRUE(placed[i].shown);
        EXPECT_TRUE(placed[i].box == layout.units()[i].stored) << std::hex << layout.units()[i].id;
        ++kept;
    }
    EXPECT_EQ(44, kept);  // every unit the window shows, the style, table batch and field units among them
}

TEST(WindowLayout, EveryUnitWholeAndUncoveredAtEverySize) {
    WindowLayout layout = MainLayout();
    for (int dpi : {96, 120, 144, 192}) {
        LayoutSize least = layout.MinimumClient(dpi), designed = layout.DesignedClient(dpi);
        EXPECT_LE(least.width, 1280 * dpi / 96 - 16);
        EXPECT_LE(least.height, 680 * dpi / 96 - 40) << "fits a 1280 x 680 work area with its frame";
        for (int w = least.width; w <= designed.width * 2; w += 37)
            for (int h = least.height; h <= designed.height * 2; h += 23) {
                SCOPED_TRACE(testing::Message() << w << " x " << h << " at " << dpi);
                std::vector<PlacedUnit> placed = layout.Place({w, h}, dpi);
                auto boxes = InWindow(layout, placed);
                for (size_t i = 0; i < boxes.size(); ++i) {
                    const LayoutBox& b = boxes[i].second;
                    ASSERT_TRUE(b.left >= 0 && b.top >= 0 && b.right() <= w && b.bottom() <= h && b.width > 0 &&
                                b.height > 0)
                        << std::hex << boxes[i].first;
                    for (size_t j = i + 1; j < boxes.size(); ++j) {
                        if (boxes[i].first == mainwindow::kSettingsGroup || boxes[j].first == mainwindow::kSettingsGroup)
                            continue;
                        ASSERT_FALSE(Overlap(b, boxes[j].second)) << std::hex << boxes[i].first << " " << boxes[j].first;
                    }
                }
            }
    }
}

// Height given up in order: the note shrinks, then folds; only then the body text.
TEST(WindowLayout, NoteFoldsBeforeTheBodyTextGivesWay) {
    WindowLayout layout = MainLayout();
    auto find = [&](const std::vector<PlacedUnit>& placed, uint32_t id) {
        for (size_t i = 0; i < placed.size(); ++i)
            if (layout.units()[i].id == id) return placed[i];
        return PlacedUnit{};
    };
    struct Case {
        int height;
        bool noteShown;
        int noteHeight, bodyHeight;
    } cases[] = {
        {907, true, 288, 288}, {1200, true, 288, 288}, {847, true, 228, 288},
        {683, true, 64, 288},  {682, false, 64, 288},  {611, false, 64, 288},
        {600, false, 64, 277}, {443, false, 64, 120},  {400, false, 64, 120},
    };
    for (const Case& c : cases) {
        std::vector<PlacedUnit> placed = layout.Place({1059, c.height}, 96);
        PlacedUnit note = find(placed, mainwindow::kUsageNote), body = find(placed, mainwindow::kBodyText);
        EXPECT_EQ(c.noteShown, note.shown) << c.height;
        if (c.noteShown) {
            EXPECT_EQ(c.noteHeight, note.box.height) << c.height;
        }
        EXPECT_EQ(c.bodyHeight, body.box.height) << c.height;
        EXPECT_EQ(body.box.bottom() + 9, find(placed, mainwindow::kButtonAddTexts).box.top) << "buttons follow";
    }
    EXPECT_EQ(443, layout.MinimumClient(96).height);
}

TEST(WindowLayout, PictureShownWholeInItsProportions) {
    using imprinta::picture::FitWhole;
    struct Case {
        int pw, ph, aw, ah;
        int x, y, w, h;
    } cases[] = {
        {1080, 1920, 597, 903, 44, 0, 508, 903},   // portrait poster, height-limited
        {1500, 1000, 597, 903, 0, 252, 597, 398},  // landscape, width-limited
        {100, 100, 50, 80, 0, 15, 50, 50},
        {10, 20, 200, 200, 50, 0, 100, 200},       // enlarged
        {0, 20, 200, 200, 0, 0, 0, 0},
        {20, 20, 0, 200, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        auto f = FitWhole(c.pw, c.ph, c.aw, c.ah);
        EXPECT_EQ(c.x, f.x) << c.pw << "x" << c.ph;
        EXPECT_EQ(c.y, f.y);
        EXPECT_EQ(c.w, f.width);
        EXPECT_EQ(c.h, f.height);
    }
}

}  // namespace
