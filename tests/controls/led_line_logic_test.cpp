#include "led_line_logic.h"

#include <string>
#include <utility>

#include <gtest/gtest.h>

namespace {

// A line of cells as letters: o off, g green, y yellow, r red, k black, ? anything else.
class Cells {
public:
    explicit Cells(unsigned n, Rgb colour = kBlack) : colours_(n, colour) {}

    void apply(const CellPaints& paints)
    {
        for (const CellPaint& p : paints) {
            ASSERT_LT(p.cell, colours_.size());
            colours_[p.cell] = p.colour;
        }
    }
    std::string text() const
    {
        std::string s;
        for (const Rgb c : colours_)
            s += c == kLedOff   ? 'o'
                 : c == kGreen  ? 'g'
                 : c == kYellow ? 'y'
                 : c == kRed    ? 'r'
                 : c == kBlack  ? 'k'
                                : '?';
        return s;
    }

private:
    std::vector<Rgb> colours_;
};

std::string repeat(char c, unsigned n)
{
    return std::string(n, c);
}

TEST(LedLineSteps, LapsChangeColourAndClearTheLine)
{
    constexpr unsigned n = 27;
    Cells cells(n);
    LedStepState state;
    cells.apply(resetCells(state, n, kLedOff));
    const std::pair<int, std::string> checkpoints[] = {
        {27, repeat('g', 27)},       {28, "y" + repeat('o', 26)}, {54, repeat('y', 27)},
        {55, "r" + repeat('o', 26)}, {81, repeat('r', 27)},       {82, "g" + repeat('o', 26)},
    };
    int step = 0;
    for (const auto& [at, expected] : checkpoints) {
        while (step < at) {
            cells.apply(stepForwardCells(state, n));
            ++step;
        }
        EXPECT_EQ(cells.text(), expected) << "after step " << at;
    }
    EXPECT_EQ(state.position, 1u);
    EXPECT_EQ(state.lapColour, kGreen);
}

TEST(LedLineSteps, FirstStepBeforeAnyResetUsesBlack)
{
    Cells cells(3, kWhite);
    LedStepState state;
    cells.apply(stepForwardCells(state, 3));
    EXPECT_EQ(cells.text(), "koo");
}

// Skipping k steps, then stepping the last two laps, leaves the line and the count as k plus
// two laps of steps one by one do: from the first state (black), after a reset, and mid-lap.
TEST(LedLineSteps, SkippedStepsEndWhereSteppedOnesDo)
{
    for (const unsigned n : {1u, 3u, 27u}) {
        for (const unsigned start : {0u, 1u, n + n / 2}) {
            for (const unsigned k : {0u, 1u, n - 1, n, 2 * n + 1, 3 * n, 100003u}) {
                Cells stepped(n), skipped(n);
                LedStepState steppedState, skippedState;
                for (unsigned i = 0; i < start; ++i) {
                    stepped.apply(stepForwardCells(steppedState, n));
                    skipped.apply(stepForwardCells(skippedState, n));
                }
                for (unsigned i = 0; i < k + 2 * n; ++i)
                    stepped.apply(stepForwardCells(steppedState, n));
                skipForward(skippedState, n, k);
                for (unsigned i = 0; i < 2 * n; ++i)
                    skipped.apply(stepForwardCells(skippedState, n));
                EXPECT_EQ(skipped.text(), stepped.text()) << n << " cells, " << k << " skipped";
                EXPECT_EQ(skippedState.position, steppedState.position);
                EXPECT_EQ(skippedState.lapColour, steppedState.lapColour);
            }
        }
    }
}

class StepBackUndoes : public testing::TestWithParam<int> {};

// k steps and one step back leave the count as k - 1 steps do, and the line too, also where the
// step back crosses a lap boundary. The exception: undoing the first step of a lap cannot bring
// back the cells that step switched off; the line is then dark.
TEST_P(StepBackUndoes, TheLastStepForward)
{
    constexpr unsigned n = 27;
    const int k = GetParam();
    Cells undone(n), reference(n);
    LedStepState undoneState, referenceState;
    undone.apply(resetCells(undoneState, n, kLedOff));
    reference.apply(resetCells(referenceState, n, kLedOff));
    for (int i = 0; i < k; ++i)
        undone.apply(stepForwardCells(undoneState, n));
    undone.apply(stepBackCells(undoneState, n));
    for (int i = 0; i < k - 1; ++i)
        reference.apply(stepForwardCells(referenceState, n));

    const bool undidFirstStepOfLap = k > 1 && (k - 1) % static_cast<int>(n) == 0;
    EXPECT_EQ(undone.text(), undidFirstStepOfLap ? repeat('o', n) : reference.text());
    EXPECT_EQ(undoneState.lapColour, referenceState.lapColour);
    EXPECT_EQ(undoneState.position, referenceState.position);
}

INSTANTIATE_TEST_SUITE_P(Steps, StepBackUndoes, testing::Values(1, 2, 26, 27, 28, 29, 55, 56, 82));

TEST(LedLineSteps, StepBackAfterLapBoundaryRefillsWithPreviousLap)
{
    constexpr unsigned n = 27;
    Cells cells(n);
    LedStepState state;
    cells.apply(resetCells(state, n, kLedOff));
    for (int i = 0; i < 27; ++i)
        cells.apply(stepForwardCells(state, n));
    cells.apply(stepBackCells(state, n));
    EXPECT_EQ(cells.text(), repeat('g', 26) + "o");
    EXPECT_EQ(state.position, 26u);
    EXPECT_EQ(state.lapColour, kGreen);
}

struct SegmentRow {
    const char* name;
    unsigned n, a, b;
    CellRange expected;
};

class SegmentRangeRows : public testing::TestWithParam<SegmentRow> {};

TEST_P(SegmentRangeRows, ShareOfItem)
{
    const SegmentRow& r = GetParam();
    EXPECT_EQ(segmentRange(r.n, r.a, r.b), r.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SegmentRangeRows,
    testing::Values(SegmentRow{"item_2_of_10_on_27", 27, 2, 10, {5, 8}},
                    SegmentRow{"last_item_reaches_the_end", 27, 9, 10, {24, 27}},
                    SegmentRow{"item_equal_to_count_is_empty", 27, 10, 10, {0, 0}},
                    SegmentRow{"item_beyond_count_is_empty", 27, 40, 10, {0, 0}},
                    SegmentRow{"more_items_than_cells", 8, 3, 20, {0, 0}},
                    SegmentRow{
                        "large_numbers_do_not_wrap", 27, 4000000000u, 4000000001u, {26, 27}}),
    [](const testing::TestParamInfo<SegmentRow>& info) { return info.param.name; });

struct RatioRow {
    const char* name;
    unsigned n, a, b;
    const char* expected;
};

class RatioCellsRows : public testing::TestWithParam<RatioRow> {};

TEST_P(RatioCellsRows, SplitsInProportion)
{
    const RatioRow& r = GetParam();
    Cells cells(r.n);
    cells.apply(ratioCells(r.n, r.a, r.b, kGreen, kRed));
    EXPECT_EQ(cells.text(), r.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RatioCellsRows,
    testing::Values(RatioRow{"eight_cells_3_to_2", 8, 3, 2, "ggggrrrr"},
                    RatioRow{"eight_cells_no_answers", 8, 0, 0, "ggggrrrr"},
                    RatioRow{"twentyseven_cells_no_answers", 27, 0, 0,
                             "gggggggggggggrrrrrrrrrrrrrr"},
                    RatioRow{"all_right", 8, 5, 0, "gggggggg"},
                    RatioRow{"all_wrong", 8, 0, 5, "rrrrrrrr"},
                    RatioRow{"large_counts_do_not_wrap", 8, 4000000000u, 4000000000u, "ggggrrrr"}),
    [](const testing::TestParamInfo<RatioRow>& info) { return info.param.name; });

TEST(RunningLight, MovesOneCellPerTwoTicksWithFlashingEnds)
{
    constexpr unsigned n = 5;
    Cells cells(n, kLedOff);
    RunLightPhase phase;
    unsigned position = 0;
    const char* const expected[] = {
        "rooor", // light-up: cell 0 green, covered by the red ends
        "ooooo", // dark: the previous cell (none: the last) and both ends off
        "rgoor", // cell 1 green, both ends red
        "ogooo", // dark: cell 0 off; the light is one cell long
        "rggor", // two cells long in the light-up phase
        "oogoo",
    };
    for (const char* row : expected) {
        cells.apply(runStepCells(phase, position, n));
        EXPECT_EQ(cells.text(), row);
    }
}

TEST(RunningLight, StartsAgainAtCellZeroAfterTheLast)
{
    constexpr unsigned n = 3;
    RunLightPhase phase;
    unsigned position = 0;
    for (int tick = 0; tick < 2 * static_cast<int>(n); ++tick)
        runStepCells(phase, position, n);
    EXPECT_EQ(position, 0u);
}

TEST(RunningLight, PhaseIsSharedBetweenLines)
{
    RunLightPhase shared;
    unsigned first = 0, second = 0;
    const CellPaints lightUp = runStepCells(shared, first, 8);
    const CellPaints dark = runStepCells(shared, second, 4);
    EXPECT_EQ(lightUp.front(), (CellPaint{0, kGreen}));
    // The second line gets the dark tick; the previous cell (-1) falls back to its last cell.
    EXPECT_EQ(dark.front(), (CellPaint{3, kLedOff}));
    EXPECT_EQ(second, 0u);
}

} // namespace
