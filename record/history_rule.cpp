#include "history_rule.h"

#include <algorithm>

int boxOfInterval(int days)
{
    int box = kFirstBox;
    while (box < kLastBox && days >= daysUntilDue(box + 1))
        ++box;
    return box;
}

HistoryState applyToHistory(HistoryState state, const HistoryAnswer& answer, double retention)
{
    state.lastTime = std::max(state.lastTime, answer.time);
    if (answer.right)
        ++state.box.rightCount;
    else
        ++state.box.wrongCount;
    const bool moves = answer.firstAsking && !(state.movedInDrill && answer.drill != 0 &&
                                               answer.drill == state.lastDrill);
    if (!moves) return state;
    state.lastDrill = answer.drill;
    state.movedInDrill = true;

    const fsrs::Rating rating = answer.right ? fsrs::Rating::Good : fsrs::Rating::Again;
    const std::int64_t day = localDayNumber(answer.time);
    state.memory =
        state.box.asked
            ? fsrs::next(state.memory,
                         static_cast<double>(std::max<std::int64_t>(day - state.lastDay, 0)),
                         rating)
            : fsrs::initial(rating);
    const int interval = fsrs::intervalDays(state.memory.stability, retention);
    state.box.box = boxOfInterval(interval);
    state.box.asked = true;
    state.box.lastAsked = answer.time;
    state.box.dueDay = day + interval;
    state.lastDay = day;
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
    if (!box.asked) return state;
    state.lastTime = box.lastAsked;
    state.lastDay = localDayNumber(box.lastAsked);
    const fsrs::Rating like = box.box <= 1   ? fsrs::Rating::Again
                              : box.box == 2 ? fsrs::Rating::Hard
                                             : fsrs::Rating::Good;
    state.memory =
        fsrs::Memory{static_cast<double>(daysUntilDue(box.box)), fsrs::initial(like).difficulty};
    return state;
}
