#pragma once

#include "box_rule.h"
#include "fsrs.h"

#include <cstdint>
#include <limits>
#include <vector>

// From an entry's answer history (one direction) to what the learner sees of it: when it was
// last asked, the day it is due and its box. Plain functions, no storage, no clock.
//
// The answers are taken in time order and scheduled by FSRS-6 (fsrs.h) with its default
// parameters, for 90 % recall: an answer right at the entry's first asking in a drill counts as
// "Good", a wrong one as "Again"; the days between two answers are local calendar days (a
// second drill the same day is FSRS's same-day case). The repetition pass and a second first
// asking in the same drill (a pair that stands twice in a lesson) count as answers but move
// nothing. An entry is due `intervalDays` after the day of its last counted answer; a new entry
// answered wrong is due the next day, one answered right in two days, and the interval grows
// with every right answer after it.
//
// The box is what the progress picture shows of the interval, in the steps of the fixed table
// the trainer used before (box_rule.h): box 1 below 2 days, box 2 from 2, box 3 from 4, box 4
// from 8 and box 5 from 16 days. A start taken over from a record that kept only boxes goes on
// from its box (see takenOverState).

// One answer as the history keeps it.
struct HistoryAnswer {
    std::int64_t time = 0; // seconds since the epoch, UTC
    bool right = false;
    bool firstAsking = true;
    std::uint64_t drill = 0; // the same for every answer of one drill; 0: unknown
    friend bool operator==(const HistoryAnswer&, const HistoryAnswer&) = default;
};

// The derived state of one entry in one direction.
struct HistoryState {
    BoxState box;             // box, asked, last asked, day due, right and wrong counts
    fsrs::Memory memory{};    // meaningful when box.asked
    std::int64_t lastDay = 0; // localDayNumber of the last counted answer
    // The time of the latest answer applied; an answer older than this needs the whole history
    // again (stateFromHistory).
    std::int64_t lastTime = std::numeric_limits<std::int64_t>::min();
    std::uint64_t lastDrill = 0; // the drill of the latest answer that moved the entry
    bool movedInDrill = false;   // lastDrill is set
};

// The box that shows an interval of `days`.
int boxOfInterval(int days);

inline constexpr double kDesiredRetention = 0.9;

// The state after one more answer, no older than state.lastTime; intervals for recall of
// `retention` (the record always uses 90 %; other values are for comparisons).
HistoryState applyToHistory(HistoryState state, const HistoryAnswer& answer,
                            double retention = kDesiredRetention);

// The state of a whole history: `start` (a default state, or one taken over), then `answers`
// in time order (ties in the order given).
HistoryState stateFromHistory(const HistoryState& start, std::vector<HistoryAnswer> answers);

// A state taken over from a record that kept only the box: due when it was (nothing asked
// sooner), its memory that of the box's interval (stability = 1, 2, 4, 8 or 16 days, so recall
// is 90 % on the day due) with the difficulty of a first answer "Again" in box 1, "Hard" in
// box 2 and "Good" above.
HistoryState takenOverState(const BoxState& box);
