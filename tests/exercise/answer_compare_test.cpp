#include "answer_compare.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace std::string_literals;

struct NormalizeCase {
    const char* name;
    std::string input;
    std::string expected;
};

class NormalizeTerm : public ::testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizeTerm, TidiesBlanksAndMarks)
{
    std::string text = GetParam().input;
    normalizeTerm(text);
    EXPECT_EQ(text, GetParam().expected);
}

const std::string x75(75, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, NormalizeTerm,
    ::testing::Values(
        NormalizeCase{"blank_moves_behind_comma", "Haus ,Hof", "Haus, Hof"},
        NormalizeCase{"blank_before_final_period_goes", "a .", "a."},
        NormalizeCase{"two_marks_in_a_row", "a.,b", "a., b"},
        NormalizeCase{"blank_runs_collapse_ends_trimmed", "  rot   gr\xFCn ", "rot gr\xFCn"},
        NormalizeCase{"control_bytes_are_blanks", "\t\x01 a\r\n\x1F b\x7F", "a b\x7F"},
        NormalizeCase{"every_mark_gets_a_blank", "a?b!c:d;e", "a? b! c: d; e"},
        NormalizeCase{"mark_at_the_start", ",a", ", a"},
        NormalizeCase{"text_ends_at_a_zero_byte", "ab\0 ,cd"s, "ab"},
        NormalizeCase{"77_characters_get_the_blank", x75 + ".y", x75 + ". y"},
        NormalizeCase{"78_characters_keep_their_length", x75 + "x.y", x75 + "x.y"},
        NormalizeCase{"78_characters_skip_the_next_mark", x75 + ".,y", x75 + ".,y"},
        NormalizeCase{"deleted_blank_makes_room", x75 + " .y", x75 + ". y"},
        NormalizeCase{"79_characters_never_grow", x75 + "xx.y", x75 + "xx.y"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NormalizeTerm, NeverGrowsPast78Characters)
{
    std::string text;
    for (int i = 0; i < 38; ++i) // 76 characters, every mark wants a blank behind it
        text += "a,";
    normalizeTerm(text);
    EXPECT_EQ(text.size(), kMaxFieldChars);
    EXPECT_EQ(text.substr(0, 7), "a, a, a");
}

struct MatchCase {
    const char* name;
    std::string expected;
    std::string typed; // normalised before the comparison, as the exercise does
    CompareOptions options;
    bool right;
    std::vector<int> blinks; // button ids in the order StartBlink was called
};

constexpr int C = static_cast<int>(OptionButton::IgnoreCase);
constexpr int P = static_cast<int>(OptionButton::IgnorePunctuation);
constexpr int O = static_cast<int>(OptionButton::AnyOrder);
constexpr CompareOptions kNone{}, kCase{true, false, false}, kPunct{false, true, false},
    kOrder{false, false, true}, kCaseOrder{true, false, true}, kAll{true, true, true};

class AnswersMatch : public ::testing::TestWithParam<MatchCase> {};

class Blinks : public CompareFeedback {
public:
    std::vector<int> buttons;
    void startBlink(OptionButton button, std::uint32_t periodMs) override
    {
        buttons.push_back(periodMs == kOptionBlinkPeriodMs ? static_cast<int>(button) : -1);
    }
};

TEST_P(AnswersMatch, JudgesAndHints)
{
    const MatchCase& c = GetParam();
    std::string typed = c.typed;
    normalizeTerm(typed);
    Blinks feedback;
    EXPECT_EQ(answersMatch(c.expected, typed, c.options, feedback), c.right);
    EXPECT_EQ(feedback.buttons, c.blinks);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnswersMatch,
    ::testing::Values(
        MatchCase{"padded_answer_is_exact", "Haus", "  Haus  ", kAll, true, {}},
        MatchCase{"case_off_wrong_but_hinted", "Haus", "haus", kNone, false, {C}},
        MatchCase{"case_on_right", "Haus", "haus", kCase, true, {C}},
        MatchCase{"case_hint_per_position", "HAUS", "haus", kNone, false, {C, C, C, C}},
        MatchCase{"umlauts_not_folded", "\xC4hre", "\xE4hre", kCase, false, {}},
        // Each item found blinks, both ways; the positional hint still meets "," against "n".
        MatchCase{
            "any_order_right", "rot, gr\xFCn", "gr\xFCn, rot", kOrder, true, {O, O, O, O, P, P}},
        MatchCase{"order_off_wrong", "rot, gr\xFCn", "gr\xFCn, rot", kNone, false, {P, P}},
        MatchCase{"items_are_sets", "rot, rot", "rot", kOrder, true, {O, O, O}},
        MatchCase{"missing_item_ends_the_check", "rot, blau", "rot", kOrder, false, {O}},
        MatchCase{"extra_item_fails_in_reverse", "rot", "rot, blau", kOrder, false, {O, O}},
        MatchCase{"punctuation_on_right", "z.B.", "z B", kPunct, true, {P}},
        MatchCase{"punctuation_off_wrong", "z.B.", "z B", kNone, false, {P}},
        MatchCase{"bang_is_not_removed", "Hund!", "Hund", kPunct, false, {}},
        MatchCase{"semicolon_splits_no_items", "a; b", "b, a", kAll, false, {P}},
        // A match by the case step does not stop the order step from blinking.
        MatchCase{"later_steps_run_after_a_match",
                  "Haus, Hof",
                  "haus, hof",
                  kCaseOrder,
                  true,
                  {C, C, O, O, O, O}},
        MatchCase{"order_step_sees_upper_case", "A, b", "B, a", kCaseOrder, true, {O, O, O, O}},
        MatchCase{"only_commas_on_both_sides", ",", ",,", kOrder, true, {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
