#include "box_rule.h"

#include <algorithm>
#include <ctime>

namespace {

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar (Howard Hinnant's
// days_from_civil); month 1 .. 12.
std::int64_t daysFromCivil(std::int64_t year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const int shiftedMonth = month > 2 ? month - 3 : month + 9;
    const std::int64_t dayOfYear = (153 * shiftedMonth + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

} // namespace

std::int64_t localDayNumber(std::int64_t time)
{
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm local{};
    if (::localtime_r(&t, &local) == nullptr) // out of the C library's range: count UTC days
        return time >= 0 ? time / 86400 : (time - 86399) / 86400;
    return daysFromCivil(local.tm_year + 1900LL, local.tm_mon + 1, local.tm_mday);
}

int daysUntilDue(int box)
{
    return 1 << (std::clamp(box, kFirstBox, kLastBox) - kFirstBox);
}

BoxState applyAnswer(BoxState state, bool right, bool firstAsking, std::int64_t time)
{
    if (right)
        ++state.rightCount;
    else
        ++state.wrongCount;
    if (!firstAsking) return state;
    state.box =
        right ? std::min(std::clamp(state.box, kFirstBox, kLastBox) + 1, kLastBox) : kFirstBox;
    state.asked = true;
    state.lastAsked = time;
    state.dueDay = localDayNumber(time) + daysUntilDue(state.box);
    return state;
}

bool isDue(const BoxState& state, std::int64_t now)
{
    return isDueOnDay(state, localDayNumber(now));
}
