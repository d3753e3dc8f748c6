#pragma once

#include "config.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

// The school grade of an exercise and the words of its final report.

inline constexpr std::uint32_t kBestGrade = 1;
inline constexpr std::uint32_t kFailedGrade = 6; // even the grade-5 threshold was missed

// The current text of threshold field `index` (0 = grade 1 .. 4 = grade 5), Windows-1252.
using ThresholdFieldText = std::function<std::string(std::size_t index)>;

// The grade for `right` of `asked` answers: p = right * 100 / asked, truncated. Field 0, 1, ...
// is read and parsed in turn (unclamped) until the first threshold that p reaches
// (threshold <= p, both unsigned); grade = that index + 1, or 6 when none is reached. Fields
// after the first reached one are not read. With asked = 0 no field is read and the grade is 1.
std::uint32_t computeGrade(std::uint32_t asked, std::uint32_t right,
                           const ThresholdFieldText& fieldText);

// What the final report counts from the drill's questions (in an ordinary drill one question
// per entry of the lesson, in a due drill one per planned question).
struct ResultSummary {
    std::uint32_t entries = 0;      // n: questions of the drill
    std::uint32_t wrongEntries = 0; // b: questions answered wrong at least once
    std::uint32_t repeatErrors =
        0; // e: sum of (wrong answers - 1) over those, the repetition's errors
};
// wrongCounts: each question's wrong answers in the drill.
ResultSummary summarizeResult(std::span<const std::uint32_t> wrongCounts);

// The success quota in percent: (n - b) * 100 / n, truncated; 0 for an empty lesson.
std::uint32_t successQuota(const ResultSummary& summary);

// Title and text of the final report; lines are separated by single carriage returns.
struct ResultReport {
    std::string title;
    std::string text;
};
// repetitionPass: the exercise asked more questions than the lesson has entries.
ResultReport composeReport(const ResultSummary& summary, std::uint32_t grade, bool repetitionPass);
