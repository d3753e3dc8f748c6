// The rule from an entry's answer history to its box and day due.
#include "history_rule.h"
#include "tz_guard.h"

#include <gtest/gtest.h>

namespace {

TEST(HistoryRule, OnlyAnEntrysFirstAskingInADrillMovesIt)
{
    TzGuard berlin("Europe/Berlin");
    const std::int64_t t = localTime("2026-12-08 17:00:00");
    const std::int64_t day = 86400;
    struct Row {
        const char* name;
        std::vector<HistoryAnswer> answers;
        int box;
        int dueInDays; // from the day of t
        std::uint32_t right, wrong;
    };
    const Row rows[] = {
        {"right at a first asking: Good, two days", {{t, true, true, 7}}, 2, 2, 1, 0},
        {"wrong: Again, the next day", {{t, false, true, 7}}, 1, 1, 0, 1},
        {"one drill, the pair twice", {{t, true, true, 7}, {t + 5, true, true, 7}}, 2, 2, 2, 0},
        {"two drills two days apart",
         {{t, true, true, 7}, {t + 2 * day, true, true, 8}},
         4,
         13,
         2,
         0},
        {"unknown drills count each",
         {{t, true, true, 0}, {t + 2 * day, true, true, 0}},
         4,
         13,
         2,
         0},
        {"two drills the same day: no longer",
         {{t, true, true, 7}, {t + 60, true, true, 8}},
         2,
         2,
         2,
         0},
        {"wrong, then its repetitions",
         {{t, false, true, 7}, {t + 5, true, false, 7}, {t + 9, true, false, 7}},
         1,
         1,
         2,
         1},
        {"out of order: taken by time",
         {{t + 3 * day, false, true, 9}, {t, true, true, 7}, {t + day, true, true, 8}},
         1,
         4,
         2,
         1},
    };
    for (const Row& row : rows) {
        const HistoryState s = stateFromHistory({}, row.answers);
        EXPECT_EQ(std::make_tuple(s.box.box, s.box.dueDay - localDayNumber(t), s.box.rightCount,
                                  s.box.wrongCount),
                  std::make_tuple(row.box, std::int64_t{row.dueInDays}, row.right, row.wrong))
            << row.name;
    }
}

// The intervals grow with what the learner knows: a word answered right every time it is due
// waits longer each time, past the fixed table's 16 days within a few answers; in calendar
// days the same as FSRS's published intervals (fsrs_test.cpp).
TEST(HistoryRule, IntervalsGrowPastTheFixedTable)
{
    TzGuard berlin("Europe/Berlin");
    HistoryState s;
    std::int64_t t = localTime("2026-01-05 08:00:00");
    std::vector<std::int64_t> waits;
    for (int i = 0; i < 5; ++i) {
        s = applyToHistory(s, {t, true, true, static_cast<std::uint64_t>(i + 1)});
        waits.push_back(s.box.dueDay - localDayNumber(t));
        t += waits.back() * 86400;
    }
    EXPECT_EQ(waits, (std::vector<std::int64_t>{2, 11, 46, 163, 497}));
    EXPECT_EQ(s.box.box, kLastBox);
}

// A box taken over from a record that kept only boxes: due when it was, and answers go on
// from it.
TEST(HistoryRule, TakenOverBoxGoesOn)
{
    TzGuard berlin("Europe/Berlin");
    BoxState box;
    box.box = 4;
    box.asked = true;
    box.lastAsked = localTime("2026-12-01 10:00:00");
    box.dueDay = localDayNumber(box.lastAsked) + 8;
    box.rightCount = 3;
    const HistoryState start = takenOverState(box);
    EXPECT_FALSE(isDue(start.box, localTime("2026-12-08 23:00:00")));
    EXPECT_TRUE(isDue(start.box, localTime("2026-12-09 00:00:00")));
    const HistoryState after =
        stateFromHistory(start, {{localTime("2026-12-09 08:00:00"), true, true, 1}});
    EXPECT_EQ(after.box.box, 5);
    EXPECT_EQ(after.box.rightCount, 4u);
}

} // namespace
