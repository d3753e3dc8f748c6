#include "pair_rows.h"

#include "page_memory.h"
#include "term_sort_key.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

namespace {

constexpr std::size_t kLargePageBytes = 2 * 1024 * 1024;

} // namespace

void PagesRelease::operator()(char* pages) const noexcept
{
    unmapPages(pages, bytes, kLargePageBytes);
}

namespace {

// bytes of memory by pages, aligned for and asked to take large pages; null when there is none.
PairRows::Pages largePages(std::size_t bytes)
{
    char* const memory = static_cast<char*>(mapPages(bytes, kLargePageBytes));
    if (memory == nullptr) return {};
    adviseLargePages(memory, bytes);
    return PairRows::Pages(memory, PagesRelease{bytes});
}

} // namespace

void PairRows::reserve(std::size_t rows, std::size_t textBytes)
{
    rows_.reserve(rows);
    if (textBytes < kLargePageBytes || pages_ || !blocks_.empty()) return;
    // Whole blocks, one more for the ends of blocks that texts do not fill; only what texts
    // fill is ever touched. A large page serves each aligned 2 MB the mapping covers whole.
    pages_ = largePages((textBytes / kBlockBytes + 2) * kBlockBytes);
    pageBlocksUsed_ = 0;
}

char* PairRows::newBlock()
{
    if (pages_ && (pageBlocksUsed_ + 1) * kBlockBytes <= pages_.get_deleter().bytes)
        return pages_.get() + kBlockBytes * pageBlocksUsed_++;
    // Not zeroed: a page of the block is touched only once texts fill it.
    heapBlocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockBytes));
    return heapBlocks_.back().get();
}

void PairRows::clear()
{
    rows_ = {};
    resetTexts();
}

void PairRows::resetTexts()
{
    blocks_.clear();
    blocks_.shrink_to_fit();
    heapBlocks_.clear();
    heapBlocks_.shrink_to_fit();
    pages_.reset();
    pageBlocksUsed_ = 0;
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
        blocks_.push_back(newBlock());
        blockUsed_ = 0;
    }
    char* const to = blocks_.back() + blockUsed_;
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
    const std::vector<char*> old = std::move(blocks_);
    const std::vector<std::unique_ptr<char[]>> oldHeapBlocks = std::move(heapBlocks_);
    const Pages oldPages = std::move(pages_);
    resetTexts();
    for (Row& row : rows_) {
        const char* const from = old[row.at / kBlockBytes] + row.at % kBlockBytes;
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

namespace {

// A large lesson's sort keys are built, and its rows sorted, in two halves at once, one on a
// helper thread, and the halves merged: the second processor is otherwise idle while a lesson
// loads. Below this many rows the thread would cost more than it saves.
constexpr std::size_t kTwoThreadRows = 16384;

// Runs work(1) on a helper thread while work(0) runs on this one (both here when no thread can
// be started); returns when both are done, with the exception of either.
template <typename Work> void inTwoHalves(const Work& work)
{
    std::exception_ptr helperFailed;
    std::thread helper;
    try {
        helper = std::thread([&work, &helperFailed] {
            try {
                work(1);
            } catch (...) {
                helperFailed = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        work(1);
    }
    try {
        work(0);
    } catch (...) {
        if (helper.joinable()) helper.join();
        throw;
    }
    if (helper.joinable()) helper.join();
    if (helperFailed) std::rethrow_exception(helperFailed);
}

// Room for n sort items: in large pages for a large lesson (a fault per 4 KB of fresh memory
// would cost about as much as the sort itself), given back with the buffer.
class SortItems {
public:
    explicit SortItems(std::size_t n)
    {
        if (const std::size_t itemBytes = n * sizeof(SortItem); itemBytes >= kLargePageBytes / 2) {
            pages_ =
                largePages((itemBytes + kLargePageBytes - 1) / kLargePageBytes * kLargePageBytes);
            if (pages_) {
                std::uninitialized_default_construct_n(reinterpret_cast<SortItem*>(pages_.get()),
                                                       n);
                items_ = std::launder(reinterpret_cast<SortItem*>(pages_.get()));
                return;
            }
        }
        heap_.resize(n);
        items_ = heap_.data();
    }
    SortItem* get() const { return items_; }

private:
    std::vector<SortItem> heap_;
    PairRows::Pages pages_;
    SortItem* items_ = nullptr;
};

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
    const SortItems buffer(n);
    SortItem* items = buffer.get();
    const bool twoThreads = n >= kTwoThreadRows;
    const std::size_t halfEnd[2] = {twoThreads ? n / 2 : n, n};
    const auto halfBegin = [&halfEnd](int half) { return half == 0 ? 0 : halfEnd[0]; };
    // Items of one half from the beginning `skip`; the least beginning a key there shares with
    // the first one (skip when all share it) goes to leastShared[half].
    std::size_t leastShared[2] = {shared, shared};
    const auto build = [&](int half, std::size_t skip) {
        std::string k;
        std::size_t least = skip;
        for (std::size_t i = halfBegin(half); i < halfEnd[half]; ++i) {
            k.clear();
            appendTermSortKey(first(rows[i]), k);
            least = sharedWith(k, least);
            items[i] = sortItem(k, skip, static_cast<std::uint32_t>(i));
        }
        leastShared[half] = least;
    };
    // Most comparisons end with the 8 bytes; a and b: room for keys built again.
    const auto lessByKey = [this, rows](std::string& a, std::string& b) {
        return [this, rows, &a, &b](const SortItem& x, const SortItem& y) {
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
        };
    };
    const auto sortHalf = [&](int half) {
        std::string a, b;
        std::sort(items + halfBegin(half), items + halfEnd[half], lessByKey(a, b));
    };
    const auto buildHalves = [&](std::size_t skip) {
        if (twoThreads)
            inTwoHalves([&build, skip](int half) { build(half, skip); });
        else
            build(0, skip);
        return std::min(leastShared[0], leastShared[1]);
    };
    if (const std::size_t least = buildHalves(shared); least < shared) buildHalves(least);
    if (!twoThreads) {
        sortHalf(0);
    } else {
        inTwoHalves(sortHalf);
        const SortItems merged(n);
        std::string a, b;
        std::merge(items, items + halfEnd[0], items + halfEnd[0], items + n, merged.get(),
                   lessByKey(a, b));
        std::copy(merged.get(), merged.get() + n, items);
    }
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
