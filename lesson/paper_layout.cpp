#include "paper_layout.h"

#include <algorithm>
#include <numeric>
#include <random>

std::vector<PaperPage> paginate(std::span<const int> rowLines, int linesPerPage)
{
    const int room = std::max(linesPerPage, 1);
    std::vector<PaperPage> pages;
    int used = 0;
    for (std::size_t row = 0; row < rowLines.size(); ++row) {
        const int lines = std::max(rowLines[row], 1);
        if (pages.empty() || used + lines > room) {
            pages.push_back({row, 0});
            used = 0;
        }
        ++pages.back().count;
        used += lines;
    }
    return pages;
}

std::vector<std::size_t> testSheetOrder(std::size_t count, std::uint64_t seed)
{
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::mt19937_64 random(seed);
    // Fisher-Yates by hand: std::shuffle's order differs between standard libraries.
    for (std::size_t i = count; i > 1; --i) {
        const std::size_t j = static_cast<std::size_t>(random() % i);
        std::swap(order[i - 1], order[j]);
    }
    return order;
}
