#include "spoken_text.h"

#include <gtest/gtest.h>

namespace {

struct SpokenCase {
    const char* name;
    const char* shown; // Windows-1252
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
                      SpokenCase{"umlaut_capitals", "\xDC B E R",
                                 "\xDC"
                                 "ber"},
                      SpokenCase{"plain_status",
                                 "\xDC"
                                 "BUNG: 2. Aufgabe (1 OK, 0 Fehler)",
                                 "\xDC"
                                 "BUNG: 2. Aufgabe (1 OK, 0 Fehler)"},
                      SpokenCase{"wide_gaps_and_ends", "  KAZ-TRAINER 1.0   Lektion: NEU  ",
                                 "KAZ-TRAINER 1.0 Lektion: NEU"},
                      SpokenCase{"single_letter_word", "a", "a"},
                      SpokenCase{"word_and_digit", "Note 1", "Note 1"}, SpokenCase{"empty", "", ""},
                      SpokenCase{"only_spaces", "   ", ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
