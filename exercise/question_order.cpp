#include "question_order.h"

#include <cstdint>

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days from 1970-01-01 to the given proleptic Gregorian date (month 1..12).
constexpr std::int64_t daysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day)
{
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

static_assert(daysFromCivil(1970, 1, 1) == 0);
static_assert(daysFromCivil(2000, 3, 1) == 11017);

} // namespace

std::uint32_t localTimeSeed(const std::tm& local)
{
    std::int64_t year = std::int64_t{local.tm_year} + 1900 + local.tm_mon / 12;
    std::int64_t month = local.tm_mon % 12;
    if (month < 0) {
        month += 12;
        --year;
    }
    const std::int64_t seconds =
        (daysFromCivil(year, month + 1, 1) + local.tm_mday - 1) * kSecondsPerDay +
        std::int64_t{local.tm_hour} * 3600 + std::int64_t{local.tm_min} * 60 + local.tm_sec;
    return static_cast<std::uint32_t>(seconds);
}
