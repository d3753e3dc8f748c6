#include "spoken_term.h"

#include "entry_chain.h"
#include "query_mode.h"

std::size_t questionSide(const strWort& entry)
{
    return entry.direction == kSecondTermShown ? 1 : 0;
}

SpokenTerm spokenTerm(const SpokenTermState& state)
{
    if (state.exercising) {
        if (state.current == nullptr) return {};
        if (state.correctionShown)
            return {expectedTerm(*state.current), answerSide(*state.current)};
        return {questionTerm(*state.current), questionSide(*state.current)};
    }
    const std::size_t side = state.lastField == 1 ? 1 : 0;
    return {state.fieldTexts[side], side};
}
