#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// How a lesson is laid out on paper, without the drawing: rows onto pages, and the order of a
// test sheet's questions. The PDF writer (app/paper_lesson) measures and draws.

// A page's rows: [first, first + count) of the rows laid out.
struct PaperPage {
    std::size_t first;
    std::size_t count;
    bool operator==(const PaperPage&) const = default;
};

// Fills pages in order with rows of the given heights (in lines, at least 1 each), each page
// holding linesPerPage lines (at least 1); a row is never split, and a row taller than a page
// stands on a page of its own. No rows: no pages.
std::vector<PaperPage> paginate(std::span<const int> rowLines, int linesPerPage);

// The order of a test sheet's questions: the indices 0 .. count-1 shuffled, the same for the
// same seed.
std::vector<std::size_t> testSheetOrder(std::size_t count, std::uint64_t seed);
