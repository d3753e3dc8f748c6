#include "query_mode.h"

#include "entry_chain.h"

void assignDirection(strWort& entry, QueryMode mode, char& mixedToggle)
{
    switch (mode) {
    case QueryMode::ModeEdit:
    case QueryMode::ModeDue:
        return;
    case QueryMode::ModeNormal:
        entry.direction = kFirstTermShown;
        return;
    case QueryMode::ModeReversed:
        entry.direction = kSecondTermShown;
        return;
    case QueryMode::ModeMixed:
        if (entry.direction == kFirstTermShown || entry.direction == kSecondTermShown) return;
        mixedToggle = mixedToggle == kFirstTermShown ? kSecondTermShown : kFirstTermShown;
        entry.direction = mixedToggle;
        return;
    }
}

const std::string& questionTerm(const strWort& entry)
{
    return entry.direction == kSecondTermShown ? entry.term2 : entry.term1;
}

const std::string& expectedTerm(const strWort& entry)
{
    return entry.direction == kSecondTermShown ? entry.term1 : entry.term2;
}
