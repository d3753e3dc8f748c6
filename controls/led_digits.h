#pragma once

#include <cstdint>
#include <vector>

// Turning a counter value or a time of day into LED digit faces. Face indices 0 to 9 are the
// digits, kColonFace the colon; index 0 of every result is the rightmost digit.

inline constexpr int kColonFace = 10;
inline constexpr int kFaceCount = 11;
inline constexpr int kMaxLedDigits = 10;

// The hours, minutes and seconds a clock shows.
struct ClockTime {
    int hours = 0;   // 0 to 23
    int minutes = 0; // 0 to 59
    int seconds = 0; // 0 to 59

    friend bool operator==(const ClockTime&, const ClockTime&) = default;
};

// The number of digit positions for a request: more than 10 gives 10, less than 1 gives 1.
int clampLedDigitCount(int requested);

// All positions show a digit: leading zeros appear, and a value longer than the row shows its
// lowest digits. A negative value shows the digits of its magnitude.
std::vector<int> counterFaces(std::int64_t value, int digitCount);

// HH:MM:SS from the right: seconds at positions 0-1, colons at 2 and 5, minutes at 3-4, hours
// at 6-7; positions 8 and 9 show the higher digits of the hours (always 0). Fewer positions
// show only the lower part (5 give MM:SS).
std::vector<int> clockFaces(const ClockTime& time, int digitCount);

// Calendar seconds broken down as UTC, without any time-zone adjustment. Used both for a time
// of day and for an elapsed time (hours past 23 start again at 0).
ClockTime utcClockTime(std::int64_t calendarSeconds);
