#include "grading.h"
#include "threshold_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Texts = std::array<std::string, 5>;
using Values = std::array<std::uint32_t, 5>;
const Texts kDefaults = {"90", "80", "66", "50", "20"};

struct GradeCase {
    const char* name;
    std::uint32_t asked, right;
    Texts fields;
    std::uint32_t grade;
    Values stored; // the fields read, as numbers; 7 for a field not read
};

class ComputeGrade : public ::testing::TestWithParam<GradeCase> {};

TEST_P(ComputeGrade, StopsAtTheFirstReachedThreshold)
{
    const GradeCase& c = GetParam();
    Values stored = {7, 7, 7, 7, 7};
    const auto text = [&](std::size_t i) {
        stored[i] = thresholdTextToNumber(c.fields[i]);
        return c.fields[i];
    };
    EXPECT_EQ(computeGrade(c.asked, c.right, text), c.grade);
    EXPECT_EQ(stored, c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ComputeGrade,
    ::testing::Values(
        GradeCase{"all_right", 10, 10, kDefaults, 1, {90, 7, 7, 7, 7}},
        GradeCase{"p_66_reaches_the_third_exactly", 3, 2, kDefaults, 3, {90, 80, 66, 7, 7}},
        GradeCase{"all_wrong_is_grade_6", 5, 0, kDefaults, 6, {90, 80, 66, 50, 20}},
        GradeCase{
            "rising_thresholds_p_75", 4, 3, {"50", "60", "70", "80", "90"}, 1, {50, 7, 7, 7, 7}},
        GradeCase{"nothing_asked_reads_nothing", 0, 0, kDefaults, 1, {7, 7, 7, 7, 7}},
        GradeCase{"not_a_number_is_0", 5, 0, {"abc", "", "", "", ""}, 1, {0, 7, 7, 7, 7}},
        GradeCase{"negative_is_never_reached",
                  1,
                  1,
                  {"-5", "80", "", "", ""},
                  2,
                  {0xFFFFFFFBu, 80, 7, 7, 7}},
        GradeCase{"stored_unclamped", 10, 9, {" +250", "80", "", "", ""}, 2, {250, 80, 7, 7, 7}},
        GradeCase{"huge_counts_do_not_wrap", 50000000, 50000000, kDefaults, 1, {90, 7, 7, 7, 7}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReportCase {
    const char* name;
    std::vector<std::uint32_t> wrongCounts; // per question, as the exercise left them
    bool repetitionPass;
    std::string title, text;
};

class FinalReport : public ::testing::TestWithParam<ReportCase> {};

TEST_P(FinalReport, CountsGradesAndWords)
{
    const ReportCase& c = GetParam();
    const ResultSummary s = summarizeResult(c.wrongCounts);
    const std::uint32_t grade = computeGrade(s.entries, s.entries - s.wrongEntries,
                                             [](std::size_t i) { return kDefaults[i]; });
    const ResultReport report = composeReport(s, grade, c.repetitionPass);
    EXPECT_EQ(report.title, c.title);
    EXPECT_EQ(report.text, c.text);
}

#define GESAMT "Gesamtübung:\r"

INSTANTIATE_TEST_SUITE_P(
    Cases, FinalReport,
    ::testing::Values(ReportCase{"ten_entry_example",
                                 {0, 1, 0, 0, 0, 0, 2, 0, 0, 0},
                                 true,
                                 "Ergebnis: Note 2",
                                 GESAMT "10 Aufgaben mit 2 Fehlern. (Erfolgsquote = 80%)\r\r"
                                        "Schwerpunkt: 2 Aufgaben mit 1 Fehlern."},
                      ReportCase{"all_right_one_sentence",
                                 {0, 0, 0, 0},
                                 false,
                                 "Ergebnis: Note 1",
                                 GESAMT "4 Aufgaben mit 0 Fehlern. (Erfolgsquote = 100%)"},
                      ReportCase{"three_one_wrong_quota_66",
                                 {0, 1, 0},
                                 true,
                                 "Ergebnis: Note 3",
                                 GESAMT "3 Aufgaben mit 1 Fehlern. (Erfolgsquote = 66%)\r\r"
                                        "Schwerpunkt: 1 Aufgaben mit 0 Fehlern."},
                      ReportCase{"all_wrong_grade_6_and_advice",
                                 {1, 2, 1, 3, 1},
                                 true,
                                 "Ergebnis: Note 6",
                                 GESAMT "5 Aufgaben mit 5 Fehlern. (Erfolgsquote = 0%)\r\r"
                                        "Schwerpunkt: 5 Aufgaben mit 3 Fehlern.\r\r"
                                        "Es wird eine weitere Übung empfohlen!"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SuccessQuota, TruncatesLikeTheFloatingPointFormula)
{
    for (std::uint32_t n = 1; n <= 200; ++n)
        for (std::uint32_t b = 0; b <= n; ++b)
            ASSERT_EQ(successQuota({n, b, 0}), static_cast<std::uint32_t>(100.0 - b * 100.0 / n))
                << n << " entries, " << b << " wrong";
}

} // namespace
