// The results log on arbitrary bytes: reading, listing and appending never crash or overrun,
// and the image keeps its 1360 bytes and its record layout.
#include "results_log.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

namespace {

std::tm utc(std::int64_t t)
{
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm out{};
    gmtime_r(&tt, &out);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ResultsLog log = ResultsLog::fromBytes(bytes);
    if (log.bytes().size() != kResultsLogBytes) std::abort();
    if (size < kResultsLogBytes ? log.bytes() != std::string(kResultsLogBytes, '\0')
                                : log.bytes() != bytes.substr(0, kResultsLogBytes))
        std::abort();

    const std::size_t used = log.usedSlots();
    std::size_t breaksInNames = 0; // a damaged file may hold carriage returns in names
    for (std::size_t slot = 0; slot < kResultSlots; ++slot) {
        const std::string name = log.record(slot).lessonName;
        if (name.size() > kLessonNameChars + 1) std::abort();
        for (const char c : name)
            breaksInNames += slot < used && c == '\r';
    }

    // Three header lines, one line per used slot, the closing rule.
    const ResultsLogView view = resultsLogView(log, utc);
    std::size_t lines = 0;
    for (const char c : view.text)
        lines += c == '\r';
    if (view.notice != (used == 0) || (!view.notice && lines != used + 4 + breaksInNames))
        std::abort();

    ResultRecord r;
    r.startTime = used > 0 ? log.record(0).startTime : 0;
    r.duration = 61;
    r.lessonName = "fuzz";
    r.grade = 3;
    r.entryCount = 7;
    r.wrongEntries = 2;
    const std::size_t expectedSlot = used < kResultSlots ? used : kResultSlots - 1;
    const std::size_t usedAfter = used < kResultSlots ? used + 1 : kResultSlots;
    log.append(r);
    if (log.record(expectedSlot) != r || ResultsLog::fromBytes(log.bytes()).usedSlots() < usedAfter)
        std::abort();
    return 0;
}
