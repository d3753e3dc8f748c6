#include "entry_chain.h"
#include "grading.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using Texts = std::array<std::string, 5>;
const Texts kDefaults = {"90", "80", "66", "50", "20"};

struct GradeCase {
    const char* name;
    std::uint32_t asked;
    std::uint32_t right;
    Texts fields;
    std::uint32_t grade;
    std::vector<std::size_t> fieldsRead;
    std::array<std::uint32_t, 5> stored; // starting from all 7
};

class ComputeGrade : public ::testing::TestWithParam<GradeCase> {};

TEST_P(ComputeGrade, StopsAtTheFirstReachedThreshold)
{
    const GradeCase& c = GetParam();
    std::vector<std::size_t> read;
    std::array<std::uint32_t, 5> stored = {7, 7, 7, 7, 7};
    const auto text = [&](std::size_t i) {
        read.push_back(i);
        return c.fields[i];
    };
    EXPECT_EQ(computeGrade(c.asked, c.right, text, stored), c.grade);
    EXPECT_EQ(read, c.fieldsRead);
    EXPECT_EQ(stored, c.stored);
}

constexpr std::uint32_t kMinus5 = 0xFFFFFFFBu;

INSTANTIATE_TEST_SUITE_P(
    Cases, ComputeGrade,
    ::testing::Values(
        GradeCase{"all_right", 10, 10, kDefaults, 1, {0}, {90, 7, 7, 7, 7}},
        GradeCase{"p_66_reaches_the_third_exactly", 3, 2, kDefaults, 3, {0, 1, 2}, {90, 80, 66, 7, 7}},
        GradeCase{"p_80_of_the_ten_entry_example", 10, 8, kDefaults, 2, {0, 1}, {90, 80, 7, 7, 7}},
        GradeCase{"all_wrong_is_grade_6", 5, 0, kDefaults, 6, {0, 1, 2, 3, 4}, {90, 80, 66, 50, 20}},
        GradeCase{"rising_thresholds_first_in_field_order_wins", 4, 3,
                  {"50", "60", "70", "80", "90"}, 1, {0}, {50, 7, 7, 7, 7}},
        GradeCase{"nothing_asked_reads_no_field", 0, 0, kDefaults, 1, {}, {7, 7, 7, 7, 7}},
        GradeCase{"not_a_number_is_0_and_always_reached", 5, 0, {"abc", "80", "66", "50", "20"}, 1,
                  {0}, {0, 7, 7, 7, 7}},
        GradeCase{"negative_never_reached_unsigned", 1, 1, {"-5", "80", "66", "50", "20"}, 2,
                  {0, 1}, {kMinus5, 80, 7, 7, 7}},
        GradeCase{"above_100_stored_unclamped", 1, 1, {"250", "100", "66", "50", "20"}, 2, {0, 1},
                  {250, 100, 7, 7, 7}},
        GradeCase{"blanks_and_plus_sign", 10, 9, {" +95", "80", "66", "50", "20"}, 2, {0, 1},
                  {95, 80, 7, 7, 7}}),
    [](const auto& info) { return std::string(info.param.name); });

// Marks a chain as an exercise would leave it: one wrongCount per entry.
void fillChain(EntryChain& chain, const std::vector<std::uint32_t>& wrongCounts)
{
    for (std::size_t i = 0; i < wrongCounts.size(); ++i) {
        strWort* e = chain.append("t" + std::to_string(i), "u" + std::to_string(i));
        e->wrongCount = wrongCounts[i];
        e->rightCount = wrongCounts[i] > 0 ? 2 : 1;
    }
}

struct ReportCase {
    const char* name;
    std::vector<std::uint32_t> wrongCounts;
    bool repetitionPass;
    std::string title;
    std::string text;
};

class FinalReport : public ::testing::TestWithParam<ReportCase> {};

TEST_P(FinalReport, CountsGradesAndWords)
{
    const ReportCase& c = GetParam();
    EntryChain chain;
    fillChain(chain, c.wrongCounts);
    const ResultSummary s = summarizeResult(chain);
    std::array<std::uint32_t, 5> stored{};
    const std::uint32_t grade = computeGrade(
        s.entries, s.entries - s.wrongEntries, [](std::size_t i) { return kDefaults[i]; }, stored);
    const ResultReport report = composeReport(s, grade, c.repetitionPass);
    EXPECT_EQ(report.title, c.title);
    EXPECT_EQ(report.text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FinalReport,
    ::testing::Values(
        // Two of ten wrong at first; one then right twice, the other wrong once more.
        ReportCase{"ten_entry_example", {0, 1, 0, 0, 0, 0, 2, 0, 0, 0}, true, "Ergebnis: Note 2",
                   "Gesamt\xFC"
                   "bung:\r10 Aufgaben mit 2 Fehlern. (Erfolgsquote = 80%)"
                   "\r\rSchwerpunkt: 2 Aufgaben mit 1 Fehlern."},
        ReportCase{"all_right_one_sentence", {0, 0, 0, 0}, false, "Ergebnis: Note 1",
                   "Gesamt\xFC"
                   "bung:\r4 Aufgaben mit 0 Fehlern. (Erfolgsquote = 100%)"},
        ReportCase{"three_one_wrong_quota_66", {0, 1, 0}, true, "Ergebnis: Note 3",
                   "Gesamt\xFC"
                   "bung:\r3 Aufgaben mit 1 Fehlern. (Erfolgsquote = 66%)"
                   "\r\rSchwerpunkt: 1 Aufgaben mit 0 Fehlern."},
        ReportCase{"all_wrong_grade_6_and_advice", {1, 2, 1, 3, 1}, true, "Ergebnis: Note 6",
                   "Gesamt\xFC"
                   "bung:\r5 Aufgaben mit 5 Fehlern. (Erfolgsquote = 0%)"
                   "\r\rSchwerpunkt: 5 Aufgaben mit 3 Fehlern."
                   "\r\rEs wird eine weitere \xDC"
                   "bung empfohlen!"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FinalReport, OneRepeatErrorGivesNoAdviceTwoDo)
{
    const ResultReport one = composeReport({4, 1, 1}, 4, true);
    const ResultReport two = composeReport({4, 1, 2}, 4, true);
    EXPECT_EQ(one.text.find("empfohlen"), std::string::npos);
    EXPECT_NE(two.text.find("empfohlen"), std::string::npos);
}

TEST(SuccessQuota, TruncatesLikeTheFloatingPointFormula)
{
    for (std::uint32_t n = 1; n <= 200; ++n)
        for (std::uint32_t b = 0; b <= n; ++b) {
            const auto q = static_cast<std::uint32_t>(100.0 - b * 100.0 / n);
            ASSERT_EQ(successQuota({n, b, 0}), q) << n << " entries, " << b << " wrong";
        }
}

} // namespace
