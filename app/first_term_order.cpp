#include "first_term_order.h"

#include "entry_chain.h"
#include "term_sort_key.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

void sortByFirstTerm(std::span<strWort*> entries)
{
    // The keys back to back in one buffer: a string of its own per key makes the sort of
    // 100,000 entries twice as slow (the rows it moves are larger).
    std::string keys;
    std::vector<std::size_t> ends;
    ends.reserve(entries.size());
    for (const strWort* e : entries) {
        appendTermSortKey(e->term1, keys);
        ends.push_back(keys.size());
    }
    struct Row {
        std::string_view key;
        strWort* entry;
    };
    std::vector<Row> rows;
    rows.reserve(entries.size());
    for (std::size_t i = 0, begin = 0; i < entries.size(); begin = ends[i++])
        rows.push_back({std::string_view(keys).substr(begin, ends[i] - begin), entries[i]});
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return a.key < b.key; });
    for (std::size_t i = 0; i < rows.size(); ++i)
        entries[i] = rows[i].entry;
}
