// Which term "Vorlesen" reads, and in which side's language.
#include "spoken_term.h"

#include "entry_chain.h"
#include "query_mode.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* name;
    bool exercising;
    bool correctionShown;
    char direction; // of the entry asked
    std::size_t lastField;
    const char* text;
    std::size_t side;
};

class SpokenTermCases : public ::testing::TestWithParam<Case> {};

TEST_P(SpokenTermCases, TermAndSide)
{
    const Case& c = GetParam();
    EntryChain chain;
    strWort entry(chain, "das Haus", "the house");
    entry.direction = c.direction;
    SpokenTermState state;
    state.exercising = c.exercising;
    state.correctionShown = c.correctionShown;
    state.current = &entry;
    state.lastField = c.lastField;
    state.fieldTexts[0] = "der Baum";
    state.fieldTexts[1] = "the tree";
    const SpokenTerm got = spokenTerm(state);
    EXPECT_EQ(got.text, c.text);
    EXPECT_EQ(got.side, c.side);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpokenTermCases,
    ::testing::Values(
        // Editing: the field the cursor was in last, whatever entry is current.
        Case{"editing_first_field", false, false, kDirectionUnset, 0, "der Baum", 0},
        Case{"editing_second_field", false, false, kFirstTermShown, 1, "the tree", 1},
        // A drill: the question, in the language of the side it shows.
        Case{"normal_question", true, false, kFirstTermShown, 1, "das Haus", 0},
        Case{"reversed_question", true, false, kSecondTermShown, 1, "the house", 1},
        // While the correct term flashes: that term, in the other side's language.
        Case{"normal_correction", true, true, kFirstTermShown, 0, "the house", 1},
        Case{"reversed_correction", true, true, kSecondTermShown, 0, "das Haus", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SpokenTerm, ADrillWithoutAQuestionSpeaksNothing)
{
    SpokenTermState state;
    state.exercising = true;
    state.fieldTexts[0] = "left over";
    EXPECT_TRUE(spokenTerm(state).text.empty());
}

TEST(SpokenTerm, AMixedDrillSpeaksEachQuestionInItsSidesLanguage)
{
    EntryChain chain;
    strWort a(chain, "eins", "one"), b(chain, "zwei", "two");
    char toggle = kDirectionUnset;
    assignDirection(a, QueryMode::ModeMixed, toggle);
    assignDirection(b, QueryMode::ModeMixed, toggle);
    SpokenTermState state;
    state.exercising = true;
    state.current = &a;
    const SpokenTerm first = spokenTerm(state);
    state.current = &b;
    const SpokenTerm second = spokenTerm(state);
    EXPECT_NE(first.side, second.side) << "the directions alternate";
    EXPECT_EQ(first.text, first.side == 0 ? "eins" : "one");
    EXPECT_EQ(second.text, second.side == 0 ? "zwei" : "two");
}

} // namespace
