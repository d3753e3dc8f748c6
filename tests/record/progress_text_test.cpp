#include "progress_text.h"

#include <gtest/gtest.h>

namespace {

struct ProgressCase {
    const char* name;
    BoxCounts boxes;
    std::vector<GradePoint> grades;
    std::vector<std::string> lines;
};

class ProgressText : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(ProgressText, NamesEveryNumberOfThePicture)
{
    EXPECT_EQ(progressLines(GetParam().boxes, GetParam().grades), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Lessons, ProgressText,
    ::testing::Values(
        ProgressCase{"never_drilled",
                     {{{3, 0, 0, 0, 0}, {3, 0, 0, 0, 0}}},
                     {},
                     {"1. Begriff gezeigt: Fach 1: 3, Fach 2: 0, Fach 3: 0, Fach 4: 0, Fach 5: 0",
                      "2. Begriff gezeigt: Fach 1: 3, Fach 2: 0, Fach 3: 0, Fach 4: 0, Fach 5: 0",
                      "Noch keine Ergebnisse"}},
        ProgressCase{"directions_apart_grades_oldest_first",
                     {{{1, 4, 0, 0, 12}, {5, 0, 2, 0, 0}}},
                     {{"06.12.", 3}, {"08.12.", 1}},
                     {"1. Begriff gezeigt: Fach 1: 1, Fach 2: 4, Fach 3: 0, Fach 4: 0, Fach 5: 12",
                      "2. Begriff gezeigt: Fach 1: 5, Fach 2: 0, Fach 3: 2, Fach 4: 0, Fach 5: 0",
                      "Noten der letzten Ergebnisse: 3 (06.12.), 1 (08.12.)"}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
