#pragma once

#include <string>
#include <string_view>

// The order of the lesson's list boxes: a German dictionary order of Windows-1252 terms that
// ignores upper and lower case. Compared level by level:
//   1. base letters, with umlauts and accented letters as their base letter (ä = a, ß = ss,
//      æ = ae), digits before letters, blanks and punctuation before digits;
//   2. accents: a plain letter before the same letter with an accent ("Ahre" < "Ähre");
//   3. hyphens and apostrophes, which the first two levels skip ("Ecke" < "E-Mail" as if
//      "EMail"): a term without them first ("coop" < "co-op"), else compared character by
//      character, a letter, digit or symbol before an apostrophe before a hyphen ("coo-p" <
//      "co-op" < "co--op").
// Two terms that differ only in case are equal.
//
// termSortKey turns a term into bytes whose plain byte comparison (std::string's operator<)
// is that order, so a list of n terms sorts with n key computations and cheap comparisons.
// The bytes are the first level, a zero byte, then the second level unless it holds no accent
// and no third follows, then the third level for a term with a hyphen or apostrophe.
std::string termSortKey(std::string_view term);
// The same key appended to key, which keeps what it held: many keys back to back in one
// buffer, without an allocation per key. A key has at most 5 * term.size() + 1 bytes.
void appendTermSortKey(std::string_view term, std::string& key);
