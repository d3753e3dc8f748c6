#include "spoken_text.h"

#include <gtest/gtest.h>

namespace {

struct SpokenCase {
    const char* name;
    const char* shown; // UTF-8
    const char* spoken;
};

class SpokenText : public ::testing::TestWithParam<SpokenCase> {};

TEST_P(SpokenText, ClosesUpSpreadLettersOnly)
{
    EXPECT_EQ(spokenText(GetParam().shown), GetParam().spoken);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpokenText,
    ::testing::Values(SpokenCase{"wrong_answer", "1 .   F E H L E R !", "1. Fehler!"},
                      SpokenCase{"two_digit_count", "12 .   F E H L E R !", "12. Fehler!"},
                      SpokenCase{"umlaut_capitals", "Ü B E R", "Über"},
                      SpokenCase{"plain_status", "ÜBUNG: 2. Aufgabe (1 OK, 0 Fehler)",
                                 "ÜBUNG: 2. Aufgabe (1 OK, 0 Fehler)"},
                      SpokenCase{"bytes_that_are_no_utf8_stay", "\xDC B E R", "\xDC B E R"},
                      SpokenCase{"wide_gaps_and_ends", "  KAZ-TRAINER 1.0   Lektion: NEU  ",
                                 "KAZ-TRAINER 1.0 Lektion: NEU"},
                      SpokenCase{"single_letter_word", "a", "a"},
                      SpokenCase{"word_and_digit", "Note 1", "Note 1"}, SpokenCase{"empty", "", ""},
                      SpokenCase{"only_spaces", "   ", ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
