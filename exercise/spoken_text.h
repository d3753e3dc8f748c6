#pragma once

#include <string>
#include <string_view>

// A display text as a screen reader should say it (UTF-8 in and out, as every interface text;
// bytes that are no UTF-8 are kept and count as no letter). Letters spread out
// with single spaces for looks ("1 .   F E H L E R !"), maybe after a count, are closed up
// into words, capitals among them written as a word ("1. Fehler!"); two or more spaces become one.
// Any other text keeps its words as they are ("ÜBUNG: 2. Aufgabe (1 OK, 0 Fehler)").
std::string spokenText(std::string_view shown);
