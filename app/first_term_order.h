#pragma once

#include <span>

class strWort;

// The order of the lesson lists without the window: entries by their first terms (termSortKey:
// German dictionary order, case ignored); entries whose keys are equal keep their order. A
// lesson being read collects its entries as they arrive and sorts them here once.
//
// Each key is built once and held while the entries sort (a key is at most five times its term
// and one byte).
void sortByFirstTerm(std::span<strWort*> entries);
