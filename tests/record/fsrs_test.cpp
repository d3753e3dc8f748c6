// FSRS-6 against the test vectors published with the reference implementation
// (open-spaced-repetition/py-fsrs, tests/test_basic.py, no fuzzing): test_review_card with
// today's default parameters, and test_memo_state and test_custom_scheduler_args, whose
// figures were made with the first FSRS-6 defaults (py-fsrs 6.0), passed here as parameters.
#include "fsrs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using fsrs::Rating;

constexpr fsrs::Parameters kFirstFsrs6Defaults = {
    0.2172, 1.1771, 3.2602, 16.1507, 7.0114, 0.57,   2.0966, 0.0069, 1.5261, 0.112, 1.0178,
    1.849,  0.1133, 0.3127, 2.2934,  0.2191, 3.0004, 0.7536, 0.3332, 0.1437, 0.2};

// Good, Good ten minutes later (the learning step), then Good each time it is due; Again, Again
// and Good ten minutes apart (relearning), then Good each time it is due: the intervals in days
// of the answers after which it waits days.
std::vector<int> reviewIntervals(const fsrs::Parameters& w)
{
    fsrs::Memory m = fsrs::next(fsrs::initial(Rating::Good, w), 0, Rating::Good, w);
    int due = fsrs::intervalDays(m.stability, 0.9, w);
    std::vector<int> intervals{due};
    auto whenDue = [&] {
        for (int i = 0; i < 4; ++i) {
            m = fsrs::next(m, due, Rating::Good, w);
            intervals.push_back(due = fsrs::intervalDays(m.stability, 0.9, w));
        }
    };
    whenDue();
    m = fsrs::next(m, due, Rating::Again, w);
    m = fsrs::next(m, 0, Rating::Again, w);
    m = fsrs::next(m, 0, Rating::Good, w);
    intervals.push_back(due = fsrs::intervalDays(m.stability, 0.9, w));
    whenDue();
    return intervals;
}

TEST(Fsrs6, IntervalsOfThePublishedReviews)
{
    struct Row {
        const char* name;
        fsrs::Parameters w;
        std::vector<int> intervals;
    } const rows[] = {
        {"default parameters", fsrs::kDefaultParameters, {2, 11, 46, 163, 497, 2, 4, 7, 12, 20}},
        {"first FSRS-6 defaults", kFirstFsrs6Defaults, {4, 14, 45, 135, 372, 2, 5, 10, 20, 40}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(reviewIntervals(row.w), row.intervals) << row.name;
}

// Again, Good the same day, then Good 1, 3, 8 and 21 days apart, and Good again the same day:
// stability 49.4472, difficulty 6.8271 (rounded to 4 places).
TEST(Fsrs6, MemoryOfThePublishedHistory)
{
    const fsrs::Parameters& w = kFirstFsrs6Defaults;
    fsrs::Memory m = fsrs::initial(Rating::Again, w);
    const std::pair<double, Rating> steps[] = {{0, Rating::Good},  {1, Rating::Good},
                                               {3, Rating::Good},  {8, Rating::Good},
                                               {21, Rating::Good}, {0, Rating::Good}};
    for (const auto& [elapsed, rating] : steps)
        m = fsrs::next(m, elapsed, rating, w);
    EXPECT_EQ(std::round(m.stability * 1e4) / 1e4, 49.4472);
    EXPECT_EQ(std::round(m.difficulty * 1e4) / 1e4, 6.8271);
}

// The curve's own definition: recall is 90 % after `stability` days, so the interval at 90 % is
// the stability, rounded, at least a day; a higher wanted recall asks sooner.
TEST(Fsrs6, RecallIsNinetyPercentAfterStabilityDays)
{
    for (const double s : {0.5, 2.3065, 17.0, 400.0}) {
        EXPECT_NEAR(fsrs::retrievability(s, s), 0.9, 1e-12) << s;
        EXPECT_EQ(fsrs::intervalDays(s), std::max(1.0, std::round(s))) << s;
    }
    EXPECT_EQ(fsrs::intervalDays(1e9), fsrs::kMaxIntervalDays);
    EXPECT_LT(fsrs::intervalDays(50, 0.95), fsrs::intervalDays(50, 0.9));
}

} // namespace
