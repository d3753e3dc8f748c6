#pragma once

#include "box_rule.h"

#include <cstdint>
#include <limits>
#include <vector>

// From an entry's answer history (one direction) to what the learner sees of it: its box, when
// it was last asked and the day it is due. Plain functions, no storage, no clock.
//
// The answers are taken in time order. Only an entry's first asking in a drill moves it; the
// repetition pass and a second first asking in the same drill (a pair that stands twice in a
// lesson) count as answers but move nothing. The start may be a state taken over from a record
// that kept only boxes (an older trainer's): the answers then go on from it.

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
    BoxState box;
    // The time of the latest answer applied; an answer older than this needs the whole history
    // again (stateFromHistory).
    std::int64_t lastTime = std::numeric_limits<std::int64_t>::min();
    std::uint64_t lastDrill = 0; // the drill of the latest answer that moved the entry
    bool movedInDrill = false;   // lastDrill is set
};

// The state after one more answer, no older than state.lastTime.
HistoryState applyToHistory(HistoryState state, const HistoryAnswer& answer);

// The state of a whole history: `start` (a default state, or one taken over), then `answers`
// in time order (ties in the order given).
HistoryState stateFromHistory(const HistoryState& start, std::vector<HistoryAnswer> answers);

// A state taken over from a record that kept only the box: nothing of it is lost or asked
// sooner than it was due.
HistoryState takenOverState(const BoxState& box);
