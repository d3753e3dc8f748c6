// The box rule with the clock injected, under TZ=Europe/Berlin: boxes move only at a first
// asking, due days are whole local calendar days, and neither the 23-hour day in March nor the
// 25-hour day in October shifts them.
#include "box_rule.h"
#include "tz_guard.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct BoxRow {
    const char* name;
    int boxBefore;       // 0: never asked; else asked in this box on 2026-05-01 at noon
    const char* askedAt; // nullptr: no answer
    bool right;
    bool firstAsking;
    int boxAfter;
    const char* lastNotDue; // nullptr: due at once
    const char* firstDue;
    friend void PrintTo(const BoxRow& row, std::ostream* os) { *os << row.name; }
};

class BoxRule : public ::testing::TestWithParam<BoxRow> {};

TEST_P(BoxRule, MovesBoxesAndDueDays)
{
    TzGuard berlin("Europe/Berlin");
    const BoxRow& row = GetParam();
    BoxState before;
    if (row.boxBefore > 0)
        before = applyAnswer({row.boxBefore - 1, false, 0, 0, 3, 2}, true, true,
                             localTime("2026-05-01 12:00:00"));
    BoxState s = before;
    if (row.askedAt != nullptr)
        s = applyAnswer(s, row.right, row.firstAsking, localTime(row.askedAt));
    EXPECT_EQ(s.box, row.boxAfter);
    EXPECT_EQ(s.rightCount + s.wrongCount,
              before.rightCount + before.wrongCount + (row.askedAt != nullptr ? 1 : 0));
    if (!row.firstAsking) {
        EXPECT_EQ(s.dueDay, before.dueDay) << "a repetition moves nothing";
    }
    if (row.lastNotDue != nullptr) {
        EXPECT_FALSE(isDue(s, localTime(row.lastNotDue)));
    }
    EXPECT_TRUE(isDue(s, localTime(row.firstDue)));
}

INSTANTIATE_TEST_SUITE_P(
    Berlin, BoxRule,
    ::testing::Values(
        BoxRow{"never_asked_is_box_1_and_due_at_once", 0, nullptr, false, false, 1, nullptr,
               "1970-01-02 00:00:00"},
        BoxRow{"new_right_is_due_in_two_days", 0, "2026-05-04 10:00:00", true, true, 2,
               "2026-05-05 23:59:59", "2026-05-06 00:00:00"},
        BoxRow{"new_wrong_is_due_at_the_next_midnight", 0, "2026-05-04 23:59:59", false, true, 1,
               "2026-05-04 23:59:59", "2026-05-05 00:00:00"},
        BoxRow{"box_4_right_goes_to_5_sixteen_days", 4, "2026-05-09 08:00:00", true, true, 5,
               "2026-05-24 23:59:59", "2026-05-25 00:00:00"},
        BoxRow{"box_5_right_stays_in_5", 5, "2026-05-17 08:00:00", true, true, 5,
               "2026-06-01 23:59:59", "2026-06-02 00:00:00"},
        BoxRow{"box_4_wrong_falls_to_1", 4, "2026-05-09 08:00:00", false, true, 1,
               "2026-05-09 23:00:00", "2026-05-10 00:00:00"},
        BoxRow{"repetition_right_moves_nothing", 3, "2026-05-03 09:00:00", true, false, 3,
               "2026-05-04 23:59:59", "2026-05-05 00:00:00"},
        BoxRow{"repetition_wrong_moves_nothing", 2, "2026-05-02 09:00:00", false, false, 2,
               "2026-05-02 23:59:59", "2026-05-03 00:00:00"},
        BoxRow{"repetition_of_a_never_asked_entry_leaves_it_due", 0, "2026-05-02 09:00:00", true,
               false, 1, nullptr, "2026-05-02 09:00:01"},
        // 22:30 UTC: the UTC date is still the 28th at the local midnight.
        BoxRow{"late_evening_is_due_at_local_midnight", 0, "2026-03-28 23:30:00", false, true, 1,
               "2026-03-28 23:59:59", "2026-03-29 00:00:30"},
        // Clocks go forward on 29 March: 24 hours after the answer it is the 30th already.
        BoxRow{"spring_change_does_not_delay_the_due_day", 0, "2026-03-28 23:30:00", false, true, 1,
               nullptr, "2026-03-29 23:00:00"},
        // Clocks go back on 25 October: 48 hours after the answer it is the 25th yet.
        BoxRow{"autumn_change_does_not_advance_the_due_day", 0, "2026-10-24 00:30:00", true, true,
               2, "2026-10-25 23:45:00", "2026-10-26 00:00:00"},
        BoxRow{"across_the_new_year", 4, "2027-12-31 23:00:00", true, true, 5,
               "2028-01-15 23:59:59", "2028-01-16 00:00:00"},
        BoxRow{"leap_day_counts", 0, "2028-02-28 12:00:00", true, true, 2, "2028-02-29 23:59:59",
               "2028-03-01 00:00:00"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
