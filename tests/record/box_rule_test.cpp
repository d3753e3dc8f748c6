// The box rule with the clock injected, under TZ=Europe/Berlin: boxes move only at a first
// asking, due days are whole local calendar days, and neither the 23-hour day in March nor
// the 25-hour day in October shifts them.
#include "box_rule.h"
#include "tz_guard.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <utility>
#include <vector>

namespace {

struct Check {
    const char* at; // local time in Berlin
    bool due;
};

struct BoxRow {
    const char* name;
    BoxState before;
    const char* askedAt; // nullptr: no answer, the state as it is
    bool right;
    bool firstAsking;
    int boxAfter;
    std::vector<Check> checks;
    friend void PrintTo(const BoxRow& row, std::ostream* os) { *os << row.name; }
};

// An entry asked at a first asking in box `box` on 2026-05-01 at noon: due on 2026-05-01 +
// 2^(box-1).
BoxState askedBefore(int box)
{
    TzGuard berlin("Europe/Berlin");
    BoxState s;
    s.box = box;
    s.asked = true;
    s.lastAsked = localTime("2026-05-01 12:00:00");
    s.dueDay = localDayNumber(s.lastAsked) + daysUntilDue(box);
    s.rightCount = 3;
    s.wrongCount = 2;
    return s;
}

class BoxRule : public ::testing::TestWithParam<BoxRow> {};

TEST_P(BoxRule, MovesBoxesAndDueDays)
{
    TzGuard berlin("Europe/Berlin");
    const BoxRow& row = GetParam();
    BoxState s = row.before;
    if (row.askedAt != nullptr) {
        s = applyAnswer(s, row.right, row.firstAsking, localTime(row.askedAt));
        EXPECT_EQ(s.rightCount, row.before.rightCount + (row.right ? 1 : 0));
        EXPECT_EQ(s.wrongCount, row.before.wrongCount + (row.right ? 0 : 1));
    }
    EXPECT_EQ(s.box, row.boxAfter);
    if (row.askedAt != nullptr && !row.firstAsking) {
        EXPECT_EQ(s.lastAsked, row.before.lastAsked) << "a repetition leaves the day asked";
        EXPECT_EQ(s.dueDay, row.before.dueDay);
    }
    for (const Check& c : row.checks)
        EXPECT_EQ(isDue(s, localTime(c.at)), c.due) << "at " << c.at;
}

INSTANTIATE_TEST_SUITE_P(
    Berlin, BoxRule,
    ::testing::Values(BoxRow{"never_asked_is_box_1_and_due_at_once",
                             {},
                             nullptr,
                             false,
                             false,
                             1,
                             {{"1970-01-02 00:00:00", true}, {"2026-05-01 12:00:00", true}}},
                      BoxRow{"new_right_is_due_in_two_days",
                             {},
                             "2026-05-04 10:00:00",
                             true,
                             true,
                             2,
                             {{"2026-05-05 23:59:59", false}, {"2026-05-06 00:00:00", true}}},
                      BoxRow{"new_wrong_is_due_at_the_next_midnight",
                             {},
                             "2026-05-04 23:59:59",
                             false,
                             true,
                             1,
                             {{"2026-05-04 23:59:59", false}, {"2026-05-05 00:00:00", true}}},
                      BoxRow{"box_4_right_goes_to_5_sixteen_days",
                             askedBefore(4),
                             "2026-05-09 08:00:00",
                             true,
                             true,
                             5,
                             {{"2026-05-24 23:59:59", false}, {"2026-05-25 00:00:00", true}}},
                      BoxRow{"box_5_right_stays_in_5",
                             askedBefore(5),
                             "2026-05-17 08:00:00",
                             true,
                             true,
                             5,
                             {{"2026-06-01 12:00:00", false}, {"2026-06-02 00:00:01", true}}},
                      BoxRow{"box_4_wrong_falls_to_1",
                             askedBefore(4),
                             "2026-05-09 08:00:00",
                             false,
                             true,
                             1,
                             {{"2026-05-09 23:00:00", false}, {"2026-05-10 00:00:00", true}}},
                      BoxRow{"repetition_right_moves_nothing",
                             askedBefore(3),
                             "2026-05-03 09:00:00",
                             true,
                             false,
                             3,
                             {{"2026-05-04 23:59:59", false}, {"2026-05-05 00:00:00", true}}},
                      BoxRow{"repetition_wrong_moves_nothing",
                             askedBefore(2),
                             "2026-05-02 09:00:00",
                             false,
                             false,
                             2,
                             {{"2026-05-02 23:59:59", false}, {"2026-05-03 00:00:00", true}}},
                      BoxRow{"repetition_of_a_never_asked_entry_leaves_it_due",
                             {},
                             "2026-05-02 09:00:00",
                             true,
                             false,
                             1,
                             {{"2026-05-02 09:00:01", true}}},
                      // 22:30 UTC: the UTC date is still the 28th at the local midnight.
                      BoxRow{"late_evening_is_due_at_local_midnight",
                             {},
                             "2026-03-28 23:30:00",
                             false,
                             true,
                             1,
                             {{"2026-03-28 23:59:59", false}, {"2026-03-29 00:00:30", true}}},
                      // Clocks go forward at 02:00 on 29 March: that day has 23 hours. 24 hours
                      // after the answer it is 30 March 00:30 already; due is all of 29 March.
                      BoxRow{"spring_change_does_not_delay_the_due_day",
                             {},
                             "2026-03-28 23:30:00",
                             false,
                             true,
                             1,
                             {{"2026-03-29 03:00:00", true}, {"2026-03-29 23:00:00", true}}},
                      // Clocks go back at 03:00 on 25 October: that day has 25 hours. 48 hours
                      // after the answer it is 25 October 23:30 yet; due is 26 October.
                      BoxRow{"autumn_change_does_not_advance_the_due_day",
                             {},
                             "2026-10-24 00:30:00",
                             true,
                             true,
                             2,
                             {{"2026-10-25 23:45:00", false}, {"2026-10-26 00:00:00", true}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LocalDayNumber, CountsCalendarDaysAcrossBothChanges)
{
    TzGuard berlin("Europe/Berlin");
    const std::pair<const char*, const char*> consecutive[] = {
        {"2026-03-28 12:00:00", "2026-03-29 12:00:00"}, // 23-hour day between
        {"2026-03-29 00:00:00", "2026-03-30 00:00:00"},
        {"2026-10-25 00:00:00", "2026-10-26 00:00:00"}, // 25-hour day
        {"2026-10-25 23:59:59", "2026-10-26 00:00:00"},
        {"2026-12-31 23:59:59", "2027-01-01 00:00:00"},
        {"2028-02-28 12:00:00", "2028-02-29 12:00:00"},
    };
    for (const auto& [day, next] : consecutive)
        EXPECT_EQ(localDayNumber(localTime(next)), localDayNumber(localTime(day)) + 1) << day;
    EXPECT_EQ(localDayNumber(localTime("1970-01-01 00:00:00")), 0);
}

} // namespace
