// Vertical setting's plain part: how characters become cells, columns and
// their places, with widths of a fixed-pitch stand-in font.
#include <gtest/gtest.h>
#include "app/poster/vertical_layout.h"

using namespace app;

namespace {

// CJK characters one em wide, everything else half an em (size = em in pixels).
double FixedWidth(const Utf16& text, double size) {
    double w = 0;
    for (char16_t c : text) w += c >= 0x2E80 ? size : size / 2;
    return w;
}

struct Cell {
    Utf16 text;
    CellForm form;
    bool operator==(const Cell&) const = default;
};

std::vector<Cell> Forms(const Utf16& column) {
    std::vector<Cell> out;
    for (const VerticalCell& c : ColumnCells(column, 10, 0, FixedWidth)) out.push_back({c.text, c.form});
    return out;
}

constexpr auto U = CellForm::Upright, C = CellForm::Corner, T = CellForm::Turned, P = CellForm::Paired,
               B = CellForm::Blank;

}  // namespace

TEST(VerticalLayout, CharactersBecomeCellsOfTheirForm) {
    struct Case {
        const char16_t* text;
        std::vector<Cell> cells;
    } cases[] = {
        {u"春天，", {{u"春", U}, {u"天", U}, {u"，", C}}},
        {u"来、去。", {{u"来", U}, {u"、", C}, {u"去", U}, {u"。", C}}},
        {u"第12届", {{u"第", U}, {u"12", P}, {u"届", U}}},
        {u"3月", {{u"3", P}, {u"月", U}}},
        {u"2024年", {{u"2024", T}, {u"年", U}}},
        {u"Hello World好", {{u"Hello World", T}, {u"好", U}}},
        {u"《静夜思》", {{u"《", T}, {u"静", U}, {u"夜", U}, {u"思", U}, {u"》", T}}},
        {u"啊——“好”…", {{u"啊", U}, {u"—", T}, {u"—", T}, {u"“", T}, {u"好", U}, {u"”", T}, {u"…", T}}},
        {u"a 中\x3000国", {{u"a", T}, {u" ", B}, {u"中", U}, {u"\x3000", B}, {u"国", U}}},
        {u"A1", {{u"A1", T}}},
        {u"\xD842\xDFB7字", {{u"\xD842\xDFB7", U}, {u"字", U}}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.cells, Forms(c.text)) << "case " << (&c - cases);
}

TEST(VerticalLayout, CellLengthsAndSpacingAlongTheColumn) {
    struct Case {
        const char16_t* text;
        double spacing;
        std::vector<double> tops;
        double length;
    } cases[] = {
        {u"一二三", 0, {0, 10, 20}, 30},
        {u"一二三", 3, {0, 13, 26}, 36},
        {u"一二三", -2, {0, 8, 16}, 26},
        {u"一abcd二", 0, {0, 10, 30}, 40},  // the run as long as it is wide
        {u"一12二", 1, {0, 11, 22}, 32},    // a pair takes one cell
        {u"一 二", 0, {0, 10, 15}, 25},     // a Latin space half a cell
    };
    for (const Case& c : cases) {
        std::vector<double> tops;
        for (const VerticalCell& cell : ColumnCells(c.text, 10, c.spacing, FixedWidth)) tops.push_back(cell.top);
        EXPECT_EQ(c.tops, tops) << "case " << (&c - cases);
        EXPECT_DOUBLE_EQ(c.length, ColumnLength(c.text, 10, c.spacing, FixedWidth)) << "case " << (&c - cases);
    }
}

TEST(VerticalLayout, ColumnsRunRightToLeftAndWrapByThePunctuationRules) {
    struct Case {
        const char16_t* text;
        double maxLength;
        size_t columns;
    } cases[] = {
        {u"床前明月光\n疑是地上霜", 0, 2},
        {u"春天来了，花都开了。我们（一起）去公园。", 40, 6},
        {u"一二三，。四五六", 30, 3},  // the marks keep the character before them
        {u"一二（三四", 30, 2},        // the opening bracket goes to the next column's top
    };
    for (const Case& c : cases) {
        VerticalSetting v;
        v.size = 10, v.maxLength = c.maxLength, v.step = 14;
        const VerticalLayout layout = LayOutVertical(c.text, v, FixedWidth);
        ASSERT_EQ(c.columns, layout.columnLengths.size()) << "case " << (&c - cases);
        for (size_t i = 0; i < layout.cells.size(); ++i) {
            const VerticalCell& cell = layout.cells[i];
            EXPECT_DOUBLE_EQ(-14.0 * cell.column, cell.right) << "case " << (&c - cases);
            if (c.maxLength > 0) EXPECT_LE(layout.columnLengths[cell.column], c.maxLength) << "case " << (&c - cases);
            const bool first = i == 0 || layout.cells[i - 1].column != cell.column;
            const bool last = i + 1 == layout.cells.size() || layout.cells[i + 1].column != cell.column;
            if (first) {
                EXPECT_DOUBLE_EQ(0, cell.y) << "case " << (&c - cases);
                if (cell.column > 0) EXPECT_FALSE(IsClosingPunctuation(cell.text[0])) << "case " << (&c - cases);
            }
            if (last && cell.column + 1 < c.columns)
                EXPECT_FALSE(IsOpeningPunctuation(cell.text.back())) << "case " << (&c - cases);
        }
    }
}

TEST(VerticalLayout, AlignmentPutsTheAnchorAtTopMiddleOrFoot) {
    struct Case {
        TextAlign align;
        double firstTops[2];  // of the 3-cell and the 1-cell column
    } cases[] = {{TextAlign::Left, {0, 0}}, {TextAlign::Centre, {-15, -5}}, {TextAlign::Right, {-30, -10}}};
    for (const Case& c : cases) {
        VerticalSetting v;
        v.size = 10, v.step = 12, v.align = c.align;
        const VerticalLayout layout = LayOutVertical(u"一二三\n四", v, FixedWidth);
        ASSERT_EQ(4u, layout.cells.size());
        EXPECT_DOUBLE_EQ(c.firstTops[0], layout.cells[0].y);
        EXPECT_DOUBLE_EQ(c.firstTops[0] + 20, layout.cells[2].y);
        EXPECT_DOUBLE_EQ(c.firstTops[1], layout.cells[3].y);
    }
}

TEST(VerticalLayout, CornerMarksSitInTheirCellsTopRight) {
    VerticalSetting v;
    v.size = 40, v.step = 50;
    const VerticalLayout layout = LayOutVertical(u"一二\n三，", v, FixedWidth);
    ASSERT_EQ(CellForm::Corner, layout.cells[3].form);
    const VerticalCell& mark = layout.cells[3];
    const InkPlace at = CornerInk(mark, 40, 8, 10);
    EXPECT_DOUBLE_EQ(-50 - 4 - 8, at.left);  // right edge 4 px in from the column's
    EXPECT_DOUBLE_EQ(40 + 4, at.top);
    EXPECT_GT(at.left, mark.right - 40 / 2.0) << "in the right half";
    EXPECT_LT(at.top + 10, mark.y + 40 / 2.0) << "in the top half";
}

TEST(LetterSpacing, CountsBetweenCharactersInWrappingAndFitting) {
    struct Case {
        const char16_t* text;
        int32_t permille;
        double width;
    } cases[] = {
        {u"一二三", 0, 30}, {u"一二三", 100, 32}, {u"一二三", -200, 26}, {u"一", 500, 10}, {u"\xD842\xDFB7字", 1000, 40},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(c.width, Spaced(FixedWidth, c.permille)(c.text, 10)) << "case " << (&c - cases);
    // Wider spacing wraps sooner and shrinks further.
    EXPECT_EQ(1u, WrapLine(u"一二三四", 40, 10, Spaced(FixedWidth, 0)).size());
    EXPECT_EQ(2u, WrapLine(u"一二三四", 40, 10, Spaced(FixedWidth, 200)).size());
    EXPECT_DOUBLE_EQ(10, ShrunkSize({u"一二三四"}, 20, 1, 40, Spaced(FixedWidth, 0)));
    EXPECT_DOUBLE_EQ(7, ShrunkSize({u"一二三四"}, 20, 1, 40, Spaced(FixedWidth, 500)));
}
