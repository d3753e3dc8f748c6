#include "pair_rows.h"

#include "term_sort_key.h"

#include <algorithm>
#include <cstdint>
#include <memory>

void PairRows::clear()
{
    rows_ = {};
    resetTexts();
}

void PairRows::resetTexts()
{
    blocks_.clear();
    blocks_.shrink_to_fit();
    blockUsed_ = kBlockBytes;
    liveBytes_ = 0;
    droppedBytes_ = 0;
}

void PairRows::insert(std::size_t at, std::string_view first, std::string_view second)
{
    const Row row = store(first, second);
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), row);
}

void PairRows::erase(std::size_t at)
{
    const Row removed = rows_[at];
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(at));
    release(removed);
}

std::size_t PairRows::upperBound(std::size_t from, const std::string& key) const
{
    const auto at =
        std::upper_bound(rows_.begin() + static_cast<std::ptrdiff_t>(from), rows_.end(), key,
                         [this](const std::string& k, Row r) { return k < termSortKey(first(r)); });
    return static_cast<std::size_t>(at - rows_.begin());
}

PairRows::Row PairRows::store(std::string_view first, std::string_view second)
{
    first = first.substr(0, kMaxTextBytes);
    second = second.substr(0, kMaxTextBytes);
    const std::size_t bytes = first.size() + second.size();
    if (blocks_.empty() || kBlockBytes - blockUsed_ < bytes) {
        // Not zeroed: a page of the block is touched only once texts fill it.
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockBytes));
        blockUsed_ = 0;
    }
    char* const to = blocks_.back().get() + blockUsed_;
    first.copy(to, first.size());
    second.copy(to + first.size(), second.size());
    const Row row{(blocks_.size() - 1) * kBlockBytes + blockUsed_, first.size(), second.size()};
    blockUsed_ += bytes;
    liveBytes_ += bytes;
    return row;
}

void PairRows::release(Row row)
{
    const std::size_t bytes = row.firstSize + row.secondSize;
    liveBytes_ -= bytes;
    droppedBytes_ += bytes;
    // Rewriting costs as much as the texts there are, so it comes once as many were dropped.
    if (droppedBytes_ > kBlockBytes && droppedBytes_ > liveBytes_) compactTexts();
}

void PairRows::compactTexts()
{
    // The old texts stay where they are until every row has its copy.
    const std::vector<std::unique_ptr<char[]>> old = std::move(blocks_);
    resetTexts();
    for (Row& row : rows_) {
        const char* const from = old[row.at / kBlockBytes].get() + row.at % kBlockBytes;
        row = store({from, row.firstSize}, {from + row.firstSize, row.secondSize});
    }
}

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

void PairRows::sortFrom(std::size_t from)
{
    const std::size_t n = rows_.size() - from;
    if (n < 2) return;
    Row* const rows = rows_.data() + from;
    // The beginning all keys share, guessed from a sample of rows and lowered where a row
    // shares less; each key is built once, unless the guess proves too long, when the items
    // are made again.
    std::string firstKey;
    appendTermSortKey(first(rows[0]), firstKey);
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
        appendTermSortKey(first(rows[k]), key);
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
            appendTermSortKey(first(rows[i]), k);
            least = sharedWith(k, least);
            items[i] = sortItem(k, skip, static_cast<std::uint32_t>(i));
        }
        return least;
    };
    if (const std::size_t least = build(shared); least < shared) build(least);
    // Most comparisons end with the 8 bytes; a and b: room for keys built again.
    std::string a, b;
    std::sort(items, items + n, [this, rows, &a, &b](const SortItem& x, const SortItem& y) {
        if (x.high != y.high) return x.high < y.high;
        if (x.low != y.low) return x.low < y.low;
        if (!x.whole || !y.whole) {
            a.clear();
            appendTermSortKey(first(rows[x.row]), a);
            b.clear();
            appendTermSortKey(first(rows[y.row]), b);
            if (const int c = a.compare(b); c != 0) return c < 0;
        }
        return x.row < y.row;
    });
    // items[j].row is the row that belongs at j. Moving each row once along the permutation's
    // cycles needs no second array of rows; a settled position gets items[j].row == j.
    for (std::size_t start = 0; start < n; ++start) {
        if (items[start].row == start) continue;
        const Row held = rows[start];
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

int PairRows::findFirst(std::string_view text) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (first(rows_[i]) == text) return static_cast<int>(i);
    return -1;
}

int PairRows::findSecond(std::string_view text) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (second(rows_[i]) == text) return static_cast<int>(i);
    return -1;
}
