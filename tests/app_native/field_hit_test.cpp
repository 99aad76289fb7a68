// Picking an added field on the preview and what a drag makes of it.
#include <gtest/gtest.h>
#include "app/window/field_hit.h"
#include "app/poster/text_limits.h"

namespace {

using app::FieldKind;
using app::PosterField;

PosterField Picture(int32_t x, int32_t y, int32_t w, int32_t h) {
    PosterField f;
    f.kind = FieldKind::Picture;
    f.picture.box = {x, y, w, h};
    return f;
}

PosterField Qr(int32_t x, int32_t y, int32_t size) {
    PosterField f;
    f.kind = FieldKind::Qr;
    f.qr.x = x, f.qr.y = y, f.qr.size = size;
    return f;
}

PosterField Text(int32_t x, int32_t y, int32_t size, const char* text) {
    PosterField f;
    f.text.x = x, f.text.y = y, f.text.size = size, f.text.text = text;
    return f;
}

TEST(FieldHit, TopmostAddedFieldAndCornerHandles) {
    app::PosterDescription poster;
    poster.fields = {Text(0, 0, 100, "标题标题"), Text(0, 0, 100, "文案"), Picture(100, 100, 200, 100), Qr(250, 150, 100),
                     Text(0, 400, 40, "ab中\r\n一")};
    struct Case {
        int32_t x, y;
        int index;
        bool corner;
    } cases[] = {
        {150, 150, 2, false},  // the picture
        {260, 160, 3, false},  // where the code covers the picture: the code, drawn later
        {350, 250, 3, true},   // the code's corner
        {355, 256, 3, true},   // just outside it, within reach
        {300, 200, 2, true},   // the picture's corner wins over the code's body
        {10, 410, 4, false},   // "ab中": 2 + 2 half squares of 40
        {79, 479, 4, false},   // the second line, at 100% spacing
        {81, 410, -1, false},
        {5, 5, -1, false},     // the title and the body are the caller's
        {99, 99, -1, false},
    };
    for (const Case& c : cases) {
        const app::FieldHit hit = app::FieldAt(poster, c.x, c.y, 6);
        EXPECT_EQ(c.index, hit.index) << c.x << "," << c.y;
        EXPECT_EQ(c.corner, hit.corner) << c.x << "," << c.y;
    }
}

TEST(FieldHit, DragsMoveAndResizeWithinLimits) {
    struct Case {
        PosterField start;
        bool resize;
        int32_t dx, dy;
        app::FieldBox want;  // FieldBounds after the drag
    } cases[] = {
        {Picture(100, 100, 200, 100), false, -30, 45, {70, 145, 200, 100}},
        {Picture(100, 100, 200, 100), true, 50, -95, {100, 100, 250, app::kMinFieldSide}},
        {Picture(100, 100, 200, 100), true, 30000, 0, {100, 100, app::kMaxFieldSide, 100}},
        {Qr(10, 20, 100), true, 10, 30, {10, 20, 130, 130}},  // stays square
        {Qr(10, 20, 100), false, 5, -5, {15, 15, 100, 100}},
        {Qr(99990, 0, 100), false, 2000000000, 0, {app::kMaxStoredPosition, 0, 100, 100}},
        {Text(0, 400, 40, "ab"), true, 50, 50, {0, 400, 40, 40}},  // a text has no handle
        {Text(0, 400, 40, "ab"), false, 7, -3, {7, 397, 40, 40}},
    };
    for (const Case& c : cases) {
        const PosterField f = c.resize ? app::Resized(c.start, c.dx, c.dy) : app::Moved(c.start, c.dx, c.dy);
        EXPECT_EQ(c.want, app::FieldBounds(f)) << c.dx << "," << c.dy;
    }
}

}  // namespace
