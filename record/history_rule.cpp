#include "history_rule.h"

#include <algorithm>

HistoryState applyToHistory(HistoryState state, const HistoryAnswer& answer)
{
    const bool moves = answer.firstAsking && !(state.movedInDrill && answer.drill != 0 &&
                                               answer.drill == state.lastDrill);
    state.box = applyAnswer(state.box, answer.right, moves, answer.time);
    if (moves) {
        state.lastDrill = answer.drill;
        state.movedInDrill = true;
    }
    state.lastTime = std::max(state.lastTime, answer.time);
    return state;
}

HistoryState stateFromHistory(const HistoryState& start, std::vector<HistoryAnswer> answers)
{
    std::stable_sort(
        answers.begin(), answers.end(),
        [](const HistoryAnswer& a, const HistoryAnswer& b) { return a.time < b.time; });
    HistoryState state = start;
    for (const HistoryAnswer& a : answers)
        state = applyToHistory(state, a);
    return state;
}

HistoryState takenOverState(const BoxState& box)
{
    HistoryState state;
    state.box = box;
    if (box.asked) state.lastTime = box.lastAsked;
    return state;
}
