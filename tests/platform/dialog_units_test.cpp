#include "dialog_units.h"

#include <climits>

#include <gtest/gtest.h>

namespace {

struct MulDivRow {
    const char* name;
    int number, numerator, denominator, expected;
};

class MulDiv : public ::testing::TestWithParam<MulDivRow> {};

TEST_P(MulDiv, RoundsHalvesAwayFromZero)
{
    const MulDivRow& r = GetParam();
    EXPECT_EQ(mulDiv(r.number, r.numerator, r.denominator), r.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, MulDiv,
                         ::testing::Values(MulDivRow{"half_up", 180, 17, 8, 383},
                                           MulDivRow{"below_half_down", 33, 17, 8, 70},
                                           MulDivRow{"negative_half_away", -180, 17, 8, -383},
                                           MulDivRow{"negative_denominator", 5, 1, -2, -3},
                                           MulDivRow{"odd_denominator", 8, 1, 3, 3},
                                           MulDivRow{"wide_intermediate", 2000000000, 3, 4,
                                                     1500000000},
                                           MulDivRow{"zero_denominator", 5, 1, 0, -1},
                                           MulDivRow{"overflow", INT_MAX, 2, 1, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DialogRect, ConvertsEachValueOnItsOwn)
{
    EXPECT_EQ(dialogRectToPixels(0, 0, 318, 180), (PixelRect{0, 0, 636, 383}));
    // Field 102 is 45 px high; its converted edges (147 and 191) would give 44.
    EXPECT_EQ(dialogRectToPixels(8, 69, 300, 21), (PixelRect{16, 147, 600, 45}));
}

} // namespace
