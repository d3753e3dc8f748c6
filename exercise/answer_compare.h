#pragma once

#include "term_text.h"

#include <cstdint>
#include <string>
#include <string_view>

// The judgement of an answer against the stored term (typed terms are tidied by
// normalizeTerm first).
//
// Texts are Windows-1252 bytes. A term ends at its first zero byte, as the old zero-ended
// buffers did; equality is byte equality. Nothing here keeps state between calls.

// Blink period of an option button that made (or would have made) the difference, in ms.
inline constexpr std::uint32_t kOptionBlinkPeriodMs = 250;

// The three option buttons, in their order from top to bottom.
enum class OptionButton : int { IgnoreCase, IgnorePunctuation, AnyOrder };

// The comparison options as the option buttons' On states show them.
struct CompareOptions {
    bool ignoreCase = false;
    bool ignorePunctuation = false; // the marks ". ; ," count as blanks
    bool anyOrder = false;          // comma-separated items compare as sets
    bool operator==(const CompareOptions&) const = default;
};

// Receives the visual hints of answersMatch. Every StartBlink the comparison asks for arrives
// here, in order; a button already blinking goes on blinking.
class CompareFeedback {
public:
    virtual ~CompareFeedback() = default;
    virtual void startBlink(OptionButton button, std::uint32_t periodMs) = 0;
};

// Upper-cases the 26 letters a-z only; every other byte (umlauts included) stays as it is.
constexpr char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// True when the typed answer (already normalised) counts as the expected term under the options.
// Runs, in this order: exact equality (ends at once), the case step, the order step (only with
// anyOrder), the punctuation step; each later step may turn the result to true, none back.
// The case and punctuation steps hint at their buttons whether or not the option is on.
bool answersMatch(std::string_view expected, std::string_view typed, const CompareOptions& options,
                  CompareFeedback& feedback);
