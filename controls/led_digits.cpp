#include "led_digits.h"

#include <algorithm>

int clampLedDigitCount(int requested)
{
    return std::clamp(requested, 1, kMaxLedDigits);
}

std::vector<int> counterFaces(std::int64_t value, int digitCount)
{
    std::uint64_t v =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::vector<int> faces(static_cast<std::size_t>(clampLedDigitCount(digitCount)));
    for (int& face : faces) {
        face = static_cast<int>(v % 10);
        v /= 10;
    }
    return faces;
}

std::vector<int> clockFaces(const ClockTime& time, int digitCount)
{
    constexpr int kSecondsAt = 0, kFirstColonAt = 2, kMinutesAt = 3, kSecondColonAt = 5,
                  kHoursAt = 6;
    std::vector<int> faces(static_cast<std::size_t>(clampLedDigitCount(digitCount)));
    int w = 0;
    for (int i = 0; i < static_cast<int>(faces.size()); ++i) {
        if (i == kSecondsAt)
            w = time.seconds;
        else if (i == kMinutesAt)
            w = time.minutes;
        else if (i == kHoursAt)
            w = time.hours;
        if (i == kFirstColonAt || i == kSecondColonAt) {
            faces[static_cast<std::size_t>(i)] = kColonFace;
            continue;
        }
        faces[static_cast<std::size_t>(i)] = w % 10;
        w /= 10;
    }
    return faces;
}

ClockTime utcClockTime(std::int64_t calendarSeconds)
{
    constexpr std::int64_t kDay = 24 * 60 * 60;
    std::int64_t s = calendarSeconds % kDay;
    if (s < 0) s += kDay;
    return {static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60), static_cast<int>(s % 60)};
}
