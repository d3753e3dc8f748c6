#pragma once

#include <span>

class strWort;

// The order of the lesson lists without the window: entries by their first terms (termSortKey:
// German dictionary order, case ignored); entries whose keys are equal keep their order. A
// lesson being read collects its entries as they arrive and sorts them here once.
//
// Each key is built once, for an 8-byte sort item; the keys themselves are not held (a key is up
// to five times its term), so only where those bytes tie are two keys built again. Fewer than
// 2^31 entries.
void sortByFirstTerm(std::span<strWort*> entries);
