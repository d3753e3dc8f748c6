#pragma once

#include <cstdint>

// Boxes and calendar days of the learning record, without storage and without a clock: every
// time comes in as a parameter. Five boxes; an entry never asked in a direction stands in box 1
// and is due at once.
//
// applyAnswer is the fixed table the trainer scheduled by before it kept every answer: a right
// answer at an entry's first asking in a drill moves it up one box (at most 5), a wrong one puts
// it back in box 1, answers of the repetition pass move nothing, and an entry is due 1, 2, 4, 8
// or 16 days (box 1 to 5) after the day it was last asked. The record schedules by its history
// now (history_rule.h); the table still gives a taken-over box its interval and the benchmark
// its comparison, and the boxes name the intervals the progress picture shows.
//
// Days are whole days of the local calendar (the TZ in force), not spans of 86,400 seconds:
// an entry asked late in the evening before a daylight-saving change is due the next calendar
// day all the same.

inline constexpr int kFirstBox = 1;
inline constexpr int kLastBox = 5;
inline constexpr int kBoxCount = kLastBox - kFirstBox + 1;

// The local calendar day of a time: days since 1970-01-01 of the date the local clock shows at
// `time` (seconds since the epoch, UTC). Consecutive dates give consecutive numbers, whatever
// length the day had.
std::int64_t localDayNumber(std::int64_t time);

// Days from the day last asked to the day due, for box 1 to 5 (1, 2, 4, 8, 16).
int daysUntilDue(int box);

// One entry in one direction, as the record keeps it.
struct BoxState {
    int box = kFirstBox;
    bool asked = false;           // false: never asked in this direction, due at once
    std::int64_t lastAsked = 0;   // seconds since the epoch, UTC; meaningful when asked
    std::int64_t dueDay = 0;      // localDayNumber of the day due; meaningful when asked
    std::uint32_t rightCount = 0; // all answers, first askings and repetitions
    std::uint32_t wrongCount = 0;
};

// The state after one answer given at `time`. A first asking sets the box, the time last asked
// and the day due; a repetition only counts the answer.
BoxState applyAnswer(BoxState state, bool right, bool firstAsking, std::int64_t time);

// Whether the entry is due on the local day of `now`.
bool isDue(const BoxState& state, std::int64_t now);
inline bool isDueOnDay(const BoxState& state, std::int64_t today)
{
    return !state.asked || state.dueDay <= today;
}
