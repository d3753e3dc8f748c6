#pragma once

#include <cstdint>
#include <string>

class strWort;

// What the main dialog is doing: editing the lesson, or running an exercise in one direction.
enum class QueryMode : std::uint32_t {
    ModeEdit = 0,
    ModeNormal = 1,
    ModeReversed = 2,
    ModeMixed = 3,
    ModeDue = 4 // the questions and their directions are given (ExerciseRun::startPlanned)
};

// An entry's direction mark.
inline constexpr char kDirectionUnset = ' ';
inline constexpr char kFirstTermShown = 'E';  // the first term is shown, the second asked
inline constexpr char kSecondTermShown = 'D'; // the second term is shown, the first asked

// Gives an entry its direction for being asked in `mode`: normal always 'E', reversed always
// 'D'. In mixed mode a marked entry keeps its mark; a fresh one gets the opposite of
// mixedToggle ('D' after 'E', else 'E'), and mixedToggle takes that value. The caller keeps
// mixedToggle across exercises, so the alternation goes on from one exercise to the next.
// Editing mode and the due drill (which gives each question its direction) change nothing.
void assignDirection(strWort& entry, QueryMode mode, char& mixedToggle);

// The term shown as the question and the term expected as the answer, by the entry's mark.
const std::string& questionTerm(const strWort& entry);
const std::string& expectedTerm(const strWort& entry);
