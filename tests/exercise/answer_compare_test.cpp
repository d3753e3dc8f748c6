#include "answer_compare.h"
#include "recording_window.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace std::string_literals;

struct NormalizeCase {
    const char* name;
    std::string input;
    std::string expected;
};

std::string xs(std::size_t n)
{
    return std::string(n, 'x');
}

class NormalizeTerm : public ::testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizeTerm, TidiesBlanksAndMarks)
{
    std::string text = GetParam().input;
    normalizeTerm(text);
    EXPECT_EQ(text, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NormalizeTerm,
    ::testing::Values(
        NormalizeCase{"blank_moves_behind_comma", "Haus ,Hof", "Haus, Hof"},
        NormalizeCase{"blank_before_final_period_goes", "a .", "a."},
        NormalizeCase{"two_marks_in_a_row", "a.,b", "a., b"},
        NormalizeCase{"blank_runs_collapse_and_ends_trimmed", "  rot   gr\xFCn ", "rot gr\xFCn"},
        NormalizeCase{"control_bytes_count_as_blanks", "\t\x01 a\r\n\x1F b\x7F", "a b\x7F"},
        NormalizeCase{"every_mark_gets_a_blank", "a?b!c:d;e", "a? b! c: d; e"},
        NormalizeCase{"blank_on_both_sides", "a , b", "a, b"},
        NormalizeCase{"already_tidy", "a, b. c", "a, b. c"},
        NormalizeCase{"mark_at_the_start", ",a", ", a"},
        NormalizeCase{"commas_stay_together", ",,", ",,"},
        NormalizeCase{"mark_alone", ".", "."},
        NormalizeCase{"only_blanks", " \t ", ""},
        NormalizeCase{"empty", "", ""},
        NormalizeCase{"umlauts_are_ordinary_characters", "\xC4h re", "\xC4h re"},
        NormalizeCase{"text_ends_at_a_zero_byte", "ab\0 ,cd"s, "ab"},
        NormalizeCase{"77_characters_get_the_blank", xs(75) + ".y", xs(75) + ". y"},
        NormalizeCase{"78_characters_keep_their_length", xs(76) + ".y", xs(76) + ".y"},
        NormalizeCase{"78_characters_skip_the_next_mark", xs(75) + ".,y", xs(75) + ".,y"},
        NormalizeCase{"deleted_blank_makes_room", xs(75) + " .y", xs(75) + ". y"},
        NormalizeCase{"79_characters_from_a_file_never_grow", xs(77) + ".y", xs(77) + ".y"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NormalizeTerm, NeverGrowsPast78Characters)
{
    // Every second character a mark: each one wants a blank behind it.
    std::string text;
    for (int i = 0; i < 38; ++i) // 76 characters: two blanks fit
        text += "a,";
    normalizeTerm(text);
    EXPECT_EQ(text.size(), kMaxFieldChars);
    EXPECT_EQ(text.substr(0, 6), "a, a, ");
}

struct MatchCase {
    const char* name;
    std::string expected;
    std::string typed;
    CompareOptions options;
    bool right;
    std::vector<int> blinks; // button ids in the order StartBlink was called
};

constexpr int kCase = static_cast<int>(OptionButton::IgnoreCase);
constexpr int kPunct = static_cast<int>(OptionButton::IgnorePunctuation);
constexpr int kOrder = static_cast<int>(OptionButton::AnyOrder);

constexpr CompareOptions kNone{};
constexpr CompareOptions kCaseOn{true, false, false};
constexpr CompareOptions kPunctOn{false, true, false};
constexpr CompareOptions kOrderOn{false, false, true};
constexpr CompareOptions kCaseOrder{true, false, true};
constexpr CompareOptions kPunctOrder{false, true, true};
constexpr CompareOptions kAll{true, true, true};

class AnswersMatch : public ::testing::TestWithParam<MatchCase> {};

TEST_P(AnswersMatch, JudgesAndHints)
{
    const MatchCase& c = GetParam();
    RecordingFeedback feedback;
    EXPECT_EQ(answersMatch(c.expected, c.typed, c.options, feedback), c.right);
    EXPECT_EQ(feedback.buttons, c.blinks);
    EXPECT_TRUE(std::all_of(feedback.periods.begin(), feedback.periods.end(),
                            [](std::uint32_t p) { return p == kOptionBlinkPeriodMs; }));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnswersMatch,
    ::testing::Values(
        MatchCase{"exact_match_never_blinks", "Haus", "Haus", kAll, true, {}},
        MatchCase{"case_off_wrong_but_hinted", "Haus", "haus", kNone, false, {kCase}},
        MatchCase{"case_on_right", "Haus", "haus", kCaseOn, true, {kCase}},
        MatchCase{"case_hint_per_position", "HAUS", "haus", kNone, false,
                  {kCase, kCase, kCase, kCase}},
        MatchCase{"umlauts_not_folded", "\xC4hre", "\xE4hre", kCaseOn, false, {}},
        // Order on: each item found blinks, both ways; the positional punctuation hint still
        // meets "," against "n" and " " against ",".
        MatchCase{"any_order_right", "rot, gr\xFCn", "gr\xFCn, rot", kOrderOn, true,
                  {kOrder, kOrder, kOrder, kOrder, kPunct, kPunct}},
        MatchCase{"order_off_wrong", "rot, gr\xFCn", "gr\xFCn, rot", kNone, false,
                  {kPunct, kPunct}},
        MatchCase{"items_compare_as_sets", "rot, rot", "rot", kOrderOn, true,
                  {kOrder, kOrder, kOrder}},
        MatchCase{"missing_item_stops_the_forward_check", "rot, blau", "rot", kOrderOn, false,
                  {kOrder}},
        MatchCase{"extra_item_fails_the_reverse_check", "rot", "rot, blau", kOrderOn, false,
                  {kOrder, kOrder}},
        MatchCase{"blanks_around_items_do_not_count", "a ,b", "b, a", kOrderOn, true,
                  {kOrder, kOrder, kOrder, kOrder, kPunct, kPunct}},
        MatchCase{"punctuation_on_right", "z.B.", "z B", kPunctOn, true, {kPunct}},
        MatchCase{"punctuation_off_wrong", "z.B.", "z B", kNone, false, {kPunct}},
        MatchCase{"bang_is_not_removed", "Hund!", "Hund", kPunctOn, false, {}},
        MatchCase{"semicolon_is_no_item_separator", "a; b", "b, a", kPunctOrder, false, {kPunct}},
        MatchCase{"semicolon_becomes_blank", "a;b", "a b", kPunctOn, true, {kPunct}},
        // A match by the case step does not stop the order step from blinking.
        MatchCase{"later_steps_run_after_a_case_match", "Haus, Hof", "haus, hof", kCaseOrder, true,
                  {kCase, kCase, kOrder, kOrder, kOrder, kOrder}},
        MatchCase{"order_step_sees_upper_case", "A, b", "B, a", kCaseOrder, true,
                  {kOrder, kOrder, kOrder, kOrder}},
        MatchCase{"order_step_without_case_is_exact", "A, b", "B, a", kOrderOn, false, {}},
        MatchCase{"longer_answer_is_wrong", "ab", "abc", kAll, false, {}},
        MatchCase{"only_commas_on_both_sides", ",", ",,", kOrderOn, true, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AnswersMatch, TypedAnswerIsNormalisedBeforeTheExactStep)
{
    std::string typed = "  Haus  ";
    normalizeTerm(typed);
    RecordingFeedback feedback;
    EXPECT_TRUE(answersMatch("Haus", typed, kNone, feedback));
    EXPECT_TRUE(feedback.buttons.empty());
}

TEST(AnswersMatch, TextsEndAtTheirFirstZeroByte)
{
    RecordingFeedback feedback;
    EXPECT_TRUE(answersMatch("Haus\0Hof"s, "Haus", kNone, feedback));
    EXPECT_FALSE(answersMatch("Haus", "Hau\0s"s, kNone, feedback));
}

} // namespace
