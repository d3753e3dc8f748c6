#pragma once

#include <cstddef>
#include <string>

// How a term is tidied before it is stored or compared: the same for a typed entry, a typed
// answer and a term read from a table. Texts are Windows-1252 bytes.

// The term fields hold at most 78 characters; normalizeTerm never makes a text longer than that.
inline constexpr std::size_t kMaxFieldChars = 78;

// Rewrites a term in place. Pass 1: runs of bytes 1..32 become one blank, leading and trailing
// ones go. Pass 2: the marks , . ; ? ! : lose a blank in front of them and get one behind them
// (only while the text is shorter than 78 characters). The text is cut at a zero byte first.
// The result is never longer than max(78, length of the input).
void normalizeTerm(std::string& term);
