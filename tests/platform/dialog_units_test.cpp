#include "dialog_units.h"

#include <climits>
#include <string>

#include <gtest/gtest.h>

namespace {

struct MulDivRow {
    const char* name;
    int number;
    int numerator;
    int denominator;
    int expected;
};

class MulDiv : public ::testing::TestWithParam<MulDivRow> {};

TEST_P(MulDiv, RoundsHalvesAwayFromZero)
{
    const MulDivRow& r = GetParam();
    EXPECT_EQ(mulDiv(r.number, r.numerator, r.denominator), r.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, MulDiv,
    ::testing::Values(MulDivRow{"exact", 318, 8, 4, 636},
                      MulDivRow{"half_up", 180, 17, 8, 383},
                      MulDivRow{"below_half_down", 33, 17, 8, 70},
                      MulDivRow{"above_half_up", 22, 17, 8, 47},
                      MulDivRow{"negative_half_away", -180, 17, 8, -383},
                      MulDivRow{"negative_denominator", 5, 1, -2, -3},
                      MulDivRow{"both_negative", -5, -1, 2, 3},
                      MulDivRow{"third_down", 7, 1, 3, 2},
                      MulDivRow{"two_thirds_up", 8, 1, 3, 3},
                      MulDivRow{"wide_intermediate", 2000000000, 3, 4, 1500000000},
                      MulDivRow{"zero_denominator", 5, 1, 0, -1},
                      MulDivRow{"overflow", INT_MAX, 2, 1, -1},
                      MulDivRow{"negative_overflow", INT_MIN, 1, 1, -1}),
    [](const auto& info) { return std::string(info.param.name); });

struct RectRow {
    const char* name;
    int x, y, w, h;
    PixelRect expected;
};

class DialogRect : public ::testing::TestWithParam<RectRow> {};

TEST_P(DialogRect, ConvertsEachValueOnItsOwn)
{
    const RectRow& r = GetParam();
    EXPECT_EQ(dialogRectToPixels(r.x, r.y, r.w, r.h), r.expected);
}

// Field 102 (y 69, height 21) is 45 px high; its converted edges (147 and 191) would give 44.
INSTANTIATE_TEST_SUITE_P(Table, DialogRect,
    ::testing::Values(RectRow{"dialog_100", 0, 0, 318, 180, {0, 0, 636, 383}},
                      RectRow{"term_field_101", 8, 33, 300, 22, {16, 70, 600, 47}},
                      RectRow{"threshold_120", 285, 118, 19, 9, {570, 251, 38, 19}},
                      RectRow{"term_field_102", 8, 69, 300, 21, {16, 147, 600, 45}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
