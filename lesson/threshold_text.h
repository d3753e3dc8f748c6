#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Grade thresholds travel between the settings record (unsigned 32-bit) and the small
// threshold fields (at most 3 characters) as decimal text.

inline constexpr std::size_t kThresholdTextChars = 3;
inline constexpr std::uint32_t kThresholdLimit = 100;

// Decimal conversion: leading white space, an optional sign, then digits up to the first
// non-digit; no digits give 0; a minus sign negates (modulo 2^32, as the record stores it).
std::uint32_t thresholdTextToNumber(std::string_view text);

// The shortest decimal text of a stored value read as a signed 32-bit number ("-5", "100").
std::string thresholdNumberText(std::uint32_t value);

// Taking over a threshold field the user changed: its first 3 characters are converted; a
// value above 100 taken as unsigned (so every negative one too) becomes 100. Returns the stored
// value and the text the field then shows.
struct ThresholdField {
    std::uint32_t value;
    std::string text;
};
ThresholdField clampThresholdField(std::string_view fieldText);

// True when the value's decimal text fits the 3 characters of a threshold field
// (-99 up to 999 as a signed number).
bool thresholdFitsField(std::uint32_t value);
