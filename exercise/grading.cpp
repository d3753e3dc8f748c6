#include "grading.h"

#include "text_format.h"
#include "threshold_text.h"

namespace {

constexpr std::uint32_t kPercent = 100;

} // namespace

std::uint32_t computeGrade(std::uint32_t asked, std::uint32_t right,
                           const ThresholdFieldText& fieldText)
{
    std::uint32_t index = 0;
    if (asked != 0) {
        // 64-bit product: more than 42,949,672 right answers would wrap a 32-bit one.
        const auto percent =
            static_cast<std::uint32_t>(std::uint64_t{right} * kPercent / std::uint64_t{asked});
        while (index < kThresholdCount) {
            if (thresholdTextToNumber(fieldText(index)) <= percent) break;
            ++index;
        }
    }
    return index + 1;
}

ResultSummary summarizeResult(std::span<const std::uint32_t> wrongCounts)
{
    ResultSummary summary;
    summary.entries = static_cast<std::uint32_t>(wrongCounts.size());
    for (const std::uint32_t wrong : wrongCounts) {
        if (wrong > 0) {
            ++summary.wrongEntries;
            summary.repeatErrors += wrong - 1;
        }
    }
    return summary;
}

std::uint32_t successQuota(const ResultSummary& summary)
{
    if (summary.entries == 0) return 0;
    const std::uint64_t rightAtOnce = summary.entries - summary.wrongEntries;
    return static_cast<std::uint32_t>(rightAtOnce * kPercent / summary.entries);
}

ResultReport composeReport(const ResultSummary& summary, std::uint32_t grade, bool repetitionPass)
{
    ResultReport report;
    report.title = format("Ergebnis: Note %u", grade);
    report.text = format("Gesamtübung:\r%u Aufgaben mit %u Fehlern. (Erfolgsquote = %u%%)",
                         summary.entries, summary.wrongEntries, successQuota(summary));
    if (repetitionPass) {
        report.text += format("\r\rSchwerpunkt: %u Aufgaben mit %u Fehlern.", summary.wrongEntries,
                              summary.repeatErrors);
        if (summary.repeatErrors > 1) report.text += "\r\rEs wird eine weitere Übung empfohlen!";
    }
    return report;
}
