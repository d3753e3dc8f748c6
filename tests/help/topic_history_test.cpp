#include "topic_history.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Steps: "v<n>" visit n, "b" back, "f" forward, "c" clear.
struct HistoryCase {
    const char* name;
    const char* steps;
    std::optional<TopicNumber> current;
    bool canBack;
    bool canForward;
};

void run(TopicHistory& history, const char* steps)
{
    std::istringstream in(steps);
    std::string step;
    while (in >> step) {
        switch (step[0]) {
        case 'v':
            history.visit(static_cast<TopicNumber>(std::stoul(step.substr(1))));
            break;
        case 'b':
            history.back();
            break;
        case 'f':
            history.forward();
            break;
        case 'c':
            history.clear();
            break;
        default:
            FAIL() << "bad step " << step;
        }
    }
}

TEST(TopicHistory, BackAndForwardLikeABrowser)
{
    const HistoryCase cases[] = {
        {"fresh", "", std::nullopt, false, false},
        {"visits_pile_up", "v1 v2 v3", 3, true, false},
        {"back_twice", "v1 v2 v3 b b", 1, false, true},
        {"back_then_forward", "v1 v2 v3 b b f", 2, true, true},
        {"visit_after_back_drops_what_lay_ahead", "v1 v2 v3 b v4", 4, true, false},
        {"and_back_from_there_skips_the_dropped", "v1 v2 v3 b v4 b", 2, true, true},
        {"current_again_is_no_step", "v1 v1 v1", 1, false, false},
        {"same_topic_later_is_a_step", "v1 v2 v1", 1, true, false},
        {"back_at_start_stays", "v1 v2 b b b", 1, false, true},
        {"forward_at_end_stays", "v1 v2 f f", 2, true, false},
        {"back_on_empty_stays_empty", "b f", std::nullopt, false, false},
        {"clear_forgets_all", "v1 v2 b c", std::nullopt, false, false},
        {"visit_after_clear_starts_fresh", "v1 v2 c v9", 9, false, false},
    };
    for (const HistoryCase& c : cases) {
        TopicHistory history;
        run(history, c.steps);
        EXPECT_EQ(history.current(), c.current) << c.name;
        EXPECT_EQ(history.canGoBack(), c.canBack) << c.name;
        EXPECT_EQ(history.canGoForward(), c.canForward) << c.name;
    }
}

TEST(TopicHistory, KeepsOnlyTheNewestVisits)
{
    TopicHistory history;
    const TopicNumber visits = kMaxHelpHistory + 50;
    for (TopicNumber t = 0; t < visits; ++t)
        history.visit(t);
    std::size_t steps = 0;
    while (history.canGoBack()) {
        history.back();
        ++steps;
    }
    EXPECT_EQ(steps, kMaxHelpHistory - 1);
    EXPECT_EQ(history.current(), visits - kMaxHelpHistory);
}

} // namespace
