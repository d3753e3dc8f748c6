#include "led_digits.h"

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

namespace {

// Faces as read on the display, left to right: digits, and ':' for the colon.
std::string shown(const std::vector<int>& faces)
{
    std::string text;
    for (auto it = faces.rbegin(); it != faces.rend(); ++it)
        text += *it == kColonFace ? ':' : static_cast<char>('0' + *it);
    return text;
}

struct CounterRow {
    const char* name;
    std::int64_t value;
    int digits;
    const char* expected;
};

class CounterFaces : public testing::TestWithParam<CounterRow> {};

TEST_P(CounterFaces, ShowsLowestDigitsWithLeadingZeros)
{
    const CounterRow& row = GetParam();
    EXPECT_EQ(shown(counterFaces(row.value, row.digits)), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CounterFaces,
    testing::Values(CounterRow{"eight_digits_1234", 1234, 8, "00001234"},
                    CounterRow{"nine_digit_value_on_eight", 123456789, 8, "23456789"},
                    CounterRow{"one_digit_6", 6, 1, "6"}, CounterRow{"one_digit_10", 10, 1, "0"},
                    CounterRow{"zero_on_three", 0, 3, "000"},
                    CounterRow{"twelve_requested_gives_ten", 42, 12, "0000000042"},
                    CounterRow{"negative_shows_magnitude", -42, 3, "042"},
                    CounterRow{"most_negative_does_not_overflow", INT64_MIN, 4, "5808"}),
    [](const testing::TestParamInfo<CounterRow>& info) { return info.param.name; });

struct ClockRow {
    const char* name;
    ClockTime time;
    int digits;
    const char* expected;
};

class ClockFaces : public testing::TestWithParam<ClockRow> {};

TEST_P(ClockFaces, ShowsTwoDigitsPerPartWithColons)
{
    const ClockRow& row = GetParam();
    EXPECT_EQ(shown(clockFaces(row.time, row.digits)), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ClockFaces,
    testing::Values(ClockRow{"eight_digits", {9, 5, 3}, 8, "09:05:03"},
                    ClockRow{"five_digits_minutes_seconds", {1, 2, 5}, 5, "02:05"},
                    ClockRow{"two_digits_seconds_only", {23, 59, 58}, 2, "58"},
                    ClockRow{"ten_digits_pad_the_hours", {23, 59, 58}, 10, "0023:59:58"},
                    ClockRow{"midnight", {0, 0, 0}, 8, "00:00:00"}),
    [](const testing::TestParamInfo<ClockRow>& info) { return info.param.name; });

struct UtcRow {
    const char* name;
    std::int64_t seconds;
    ClockTime expected;
};

class UtcClockTime : public testing::TestWithParam<UtcRow> {};

TEST_P(UtcClockTime, BreaksDownWithoutTimeZone)
{
    EXPECT_EQ(utcClockTime(GetParam().seconds), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, UtcClockTime,
                         testing::Values(UtcRow{"elapsed_3725_seconds", 3725, {1, 2, 5}},
                                         UtcRow{"elapsed_25_hours_wraps", 25 * 3600, {1, 0, 0}},
                                         UtcRow{"calendar_time", 1733493900, {14, 5, 0}},
                                         UtcRow{"before_1970", -1, {23, 59, 59}}),
                         [](const testing::TestParamInfo<UtcRow>& info) {
                             return info.param.name;
                         });

TEST(LedDigitCount, KeepsToOneToTen)
{
    EXPECT_EQ(clampLedDigitCount(12), 10);
    EXPECT_EQ(clampLedDigitCount(8), 8);
    EXPECT_EQ(clampLedDigitCount(0), 1);
}

} // namespace
