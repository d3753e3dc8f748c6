// The rule from an entry's answer history to its box and day due.
#include "history_rule.h"
#include "tz_guard.h"

#include <gtest/gtest.h>

namespace {

TEST(HistoryRule, SecondFirstAskingInOneDrillMovesNothing)
{
    TzGuard berlin("Europe/Berlin");
    const std::int64_t t = localTime("2026-12-08 17:00:00");
    struct Row {
        const char* name;
        std::vector<HistoryAnswer> answers;
        int box;
        std::uint32_t right, wrong;
    };
    const Row rows[] = {
        {"one drill, the pair twice", {{t, true, true, 7}, {t + 5, true, true, 7}}, 2, 2, 0},
        {"two drills", {{t, true, true, 7}, {t + 5, true, true, 8}}, 3, 2, 0},
        {"wrong, then its repetitions",
         {{t, false, true, 7}, {t + 5, true, false, 7}, {t + 9, true, false, 7}},
         1,
         2,
         1},
        {"unknown drills count each", {{t, true, true, 0}, {t + 5, true, true, 0}}, 3, 2, 0},
        {"out of order: taken by time",
         {{t + 86400 * 3, false, true, 9}, {t, true, true, 7}, {t + 86400, true, true, 8}},
         1,
         2,
         1},
    };
    for (const Row& row : rows) {
        const HistoryState s = stateFromHistory({}, row.answers);
        EXPECT_EQ(std::make_tuple(s.box.box, s.box.rightCount, s.box.wrongCount),
                  std::make_tuple(row.box, row.right, row.wrong))
            << row.name;
    }
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
