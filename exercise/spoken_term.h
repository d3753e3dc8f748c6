#pragma once

#include <cstddef>
#include <string>

class strWort;

// What "Vorlesen" reads, and in which side's language: the term of the field the cursor was in
// last while editing; during a drill the question, and while the correct term flashes after a
// wrong answer, that term.
struct SpokenTermState {
    bool exercising = false;
    bool correctionShown = false;     // the correct term flashes after a wrong answer
    const strWort* current = nullptr; // the entry asked (its direction mark tells the side shown)
    std::size_t lastField = 0;        // editing: 0 the first-term field, 1 the second
    std::string fieldTexts[2];        // editing: the fields' texts, Windows-1252
};

struct SpokenTerm {
    std::string text;     // Windows-1252; empty: nothing to speak
    std::size_t side = 0; // 0 the lesson's first side, 1 its second
};

SpokenTerm spokenTerm(const SpokenTermState& state);
// The side a drill's question is shown in and the side of the term it asks for.
std::size_t questionSide(const strWort& entry);
inline std::size_t answerSide(const strWort& entry)
{
    return 1 - questionSide(entry);
}
