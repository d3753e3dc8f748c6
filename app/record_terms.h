#pragma once

#include "entry_chain.h"
#include "learning_record.h"
#include "query_mode.h"

#include <vector>

// How the drill's words meet the learning record's: an entry is known to the record by its two
// terms' bytes, and the drill's direction mark ('E', 'D') is the record's AskedDirection.

// The chain's entries as the record knows them, in chain order; valid while the chain is
// unchanged.
inline std::vector<TermPair> lessonTerms(const EntryChain& chain)
{
    std::vector<TermPair> terms;
    terms.reserve(chain.entryCount());
    for (const strWort* e = chain.firstEntry(); e != nullptr; e = e->next)
        terms.push_back(TermPair{e->term1, e->term2});
    return terms;
}

// The record's direction of a drill's direction mark (kFirstTermShown, kSecondTermShown).
inline AskedDirection askedDirection(char shown)
{
    return shown == kSecondTermShown ? AskedDirection::SecondTermShown
                                     : AskedDirection::FirstTermShown;
}

// The drill's direction mark of a record's direction.
inline char shownTerm(AskedDirection direction)
{
    return direction == AskedDirection::SecondTermShown ? kSecondTermShown : kFirstTermShown;
}
