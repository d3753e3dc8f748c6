#include "first_term_order.h"

#include "entry_chain.h"
#include "term_sort_key.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

namespace {

// One row to sort: 8 bytes of its key, read as a number, from the first byte in which the keys
// of all rows can differ (so that a beginning they share, such as an article, does not use the
// 8 bytes up), and its position. Most comparisons end with these 12 bytes, which lie together
// in memory; only where the 8 bytes are equal and do not hold both keys whole are the two
// keys built again. The keys themselves are never held: that would be memory for all of them.
struct SortItem {
    std::uint32_t high;
    std::uint32_t low;
    std::uint32_t row : 31;
    std::uint32_t whole : 1; // the 8 bytes hold the rest of the key, padded with zero bytes
};
static_assert(sizeof(SortItem) == 12);

constexpr std::size_t kPrefixBytes = 8;

// A key holds exactly one zero byte, the level separator: so two keys that both end within
// their 8 bytes are equal when those 8 bytes, padded with zero bytes, are equal (one key
// longer than the other would need a second zero byte to match the other's padding).
SortItem sortItem(std::string_view key, std::size_t from, std::uint32_t row)
{
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < kPrefixBytes; ++i) {
        const std::size_t at = from + i;
        prefix = prefix << 8 | (at < key.size() ? static_cast<unsigned char>(key[at]) : 0u);
    }
    return {static_cast<std::uint32_t>(prefix >> 32), static_cast<std::uint32_t>(prefix), row,
            key.size() <= from + kPrefixBytes};
}

} // namespace

void sortByFirstTerm(std::span<strWort*> entries)
{
    const std::size_t n = entries.size();
    if (n < 2) return;
    strWort** const rows = entries.data();
    // The beginning all keys share, guessed from a sample of rows and lowered where a row
    // shares less; each key is built once, unless the guess proves too long, when the items
    // are made again.
    std::string firstKey;
    appendTermSortKey(rows[0]->term1, firstKey);
    const auto sharedWith = [&firstKey](const std::string& other, std::size_t upTo) {
        const auto end =
            firstKey.begin() + static_cast<std::ptrdiff_t>(std::min(upTo, other.size()));
        return static_cast<std::size_t>(std::mismatch(firstKey.begin(), end, other.begin()).first -
                                        firstKey.begin());
    };
    std::size_t shared = firstKey.size();
    std::string key;
    constexpr std::size_t kSampleRows = 64;
    for (std::size_t k = n - 1; k > 0 && shared > 0; k -= std::min(k, n / kSampleRows + 1)) {
        key.clear();
        appendTermSortKey(rows[k]->term1, key);
        shared = sharedWith(key, shared);
    }
    const auto buffer = std::make_unique_for_overwrite<SortItem[]>(n);
    SortItem* const items = buffer.get();
    // Items from the beginning `skip`; returns the least beginning a key shares with the first
    // one (skip when all share it).
    const auto build = [&](std::size_t skip) {
        std::string k;
        std::size_t least = skip;
        for (std::size_t i = 0; i < n; ++i) {
            k.clear();
            appendTermSortKey(rows[i]->term1, k);
            least = sharedWith(k, least);
            items[i] = sortItem(k, skip, static_cast<std::uint32_t>(i));
        }
        return least;
    };
    if (const std::size_t least = build(shared); least < shared) build(least);
    // Most comparisons end with the 8 bytes; a and b: room for keys built again.
    std::string a, b;
    std::sort(items, items + n, [rows, &a, &b](const SortItem& x, const SortItem& y) {
        if (x.high != y.high) return x.high < y.high;
        if (x.low != y.low) return x.low < y.low;
        if (!x.whole || !y.whole) {
            a.clear();
            appendTermSortKey(rows[x.row]->term1, a);
            b.clear();
            appendTermSortKey(rows[y.row]->term1, b);
            if (const int c = a.compare(b); c != 0) return c < 0;
        }
        return x.row < y.row;
    });
    // items[j].row is the row that belongs at j. Moving each row once along the permutation's
    // cycles needs no second array of rows; a settled position gets items[j].row == j.
    for (std::size_t start = 0; start < n; ++start) {
        if (items[start].row == start) continue;
        strWort* const held = rows[start];
        std::size_t j = start;
        while (items[j].row != start) {
            const std::size_t source = items[j].row;
            rows[j] = rows[source];
            items[j].row = static_cast<std::uint32_t>(j) & 0x7FFFFFFFu;
            j = source;
        }
        rows[j] = held;
        items[j].row = static_cast<std::uint32_t>(j) & 0x7FFFFFFFu;
    }
}
