#pragma once

#include <span>

class strWort;

// The order of the lesson lists without the window: entries by their first terms (termSortKey:
// German dictionary order, case ignored); entries whose keys are equal keep their order. A
// lesson being read collects its entries as they arrive and sorts them here once.
//
// Each key is built once (a key is up to five times its term, so the keys of a large lesson are
// not held); n must stay below 2^31.
void sortByFirstTerm(std::span<strWort*> entries);
