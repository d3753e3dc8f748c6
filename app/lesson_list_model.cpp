#include "lesson_list_model.h"

#include "cp1252.h"
#include "term_sort_key.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

const std::string LessonListModel::kNewEntryText = " < NEU >";

LessonListModel::LessonListModel(QObject* parent) : QAbstractTableModel(parent) {}

int LessonListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int LessonListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant LessonListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    const Row row = rows_[static_cast<std::size_t>(index.row())];
    return fromCp1252(index.column() == 0 ? first(row) : second(row));
}

void LessonListModel::clear()
{
    beginResetModel();
    rows_ = {};
    blocks_.clear();
    blocks_.shrink_to_fit();
    blockUsed_ = kBlockBytes;
    liveBytes_ = 0;
    droppedBytes_ = 0;
    hasNewEntryRow_ = false;
    endResetModel();
}

LessonListModel::Row LessonListModel::store(std::string_view first, std::string_view second)
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

void LessonListModel::release(Row row)
{
    const std::size_t bytes = row.firstSize + row.secondSize;
    liveBytes_ -= bytes;
    droppedBytes_ += bytes;
    // Rewriting costs as much as the texts there are, so it comes once as many were dropped.
    if (droppedBytes_ > kBlockBytes && droppedBytes_ > liveBytes_) compactTexts();
}

void LessonListModel::compactTexts()
{
    const std::vector<std::unique_ptr<char[]>> old = std::move(blocks_);
    blocks_.clear();
    blocks_.shrink_to_fit();
    blockUsed_ = kBlockBytes;
    liveBytes_ = 0;
    droppedBytes_ = 0;
    for (Row& row : rows_) {
        const char* const from = old[row.at / kBlockBytes].get() + row.at % kBlockBytes;
        row = store({from, row.firstSize}, {from + row.firstSize, row.secondSize});
    }
}

int LessonListModel::addNewEntryRow()
{
    if (!hasNewEntryRow_) {
        beginInsertRows({}, 0, 0);
        rows_.insert(rows_.begin(), store(kNewEntryText, kNewEntryText));
        hasNewEntryRow_ = true;
        endInsertRows();
    }
    return 0;
}

int LessonListModel::sortedInsertRow(const std::string& key) const
{
    const auto begin = rows_.begin() + static_cast<std::ptrdiff_t>(sortedBegin());
    const auto at = std::upper_bound(begin, rows_.end(), key, [this](const std::string& k, Row r) {
        return k < termSortKey(first(r));
    });
    return static_cast<int>(at - rows_.begin());
}

int LessonListModel::addPair(std::string_view first, std::string_view second)
{
    const int row = sortedInsertRow(termSortKey(first.substr(0, kMaxTextBytes)));
    const Row stored = store(first, second);
    beginInsertRows({}, row, row);
    rows_.insert(rows_.begin() + row, stored);
    endInsertRows();
    return row;
}

void LessonListModel::addPairs(std::size_t count, const PairSource& nextPair)
{
    if (count == 0) return;
    beginResetModel();
    rows_.reserve(rows_.size() + count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto [first, second] = nextPair();
        rows_.push_back(store(first, second));
    }

    // The rows there were are sorted and come first among equals, as with one insertion after
    // another; sorting them again with the new ones, by key and then position, keeps that.
    sortRowsFrom(sortedBegin());

    endResetModel();
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

void LessonListModel::sortRowsFrom(std::size_t from)
{
    const std::size_t n = rows_.size() - from;
    if (n < 2) return;
    Row* const rows = rows_.data() + from;
    // The beginning all keys share.
    std::string key;
    std::string firstKey;
    appendTermSortKey(first(rows[0]), firstKey);
    std::size_t shared = firstKey.size();
    for (std::size_t k = 1; k < n && shared > 0; ++k) {
        key.clear();
        appendTermSortKey(first(rows[k]), key);
        shared = static_cast<std::size_t>(
            std::mismatch(firstKey.begin(),
                          firstKey.begin() +
                              static_cast<std::ptrdiff_t>(std::min(shared, key.size())),
                          key.begin())
                .first -
            firstKey.begin());
    }
    std::vector<SortItem> items;
    items.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        key.clear();
        appendTermSortKey(first(rows[k]), key);
        items.push_back(sortItem(key, shared, static_cast<std::uint32_t>(k)));
    }
    std::string otherKey;
    std::sort(items.begin(), items.end(), [&](const SortItem& a, const SortItem& b) {
        if (a.high != b.high) return a.high < b.high;
        if (a.low != b.low) return a.low < b.low;
        if (!a.whole || !b.whole) {
            key.clear();
            appendTermSortKey(first(rows[a.row]), key);
            otherKey.clear();
            appendTermSortKey(first(rows[b.row]), otherKey);
            const int c = key.compare(otherKey);
            if (c != 0) return c < 0;
        }
        return a.row < b.row;
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

void LessonListModel::removeRowAt(int row)
{
    if (row < 0 || row >= rowCount()) return;
    beginRemoveRows({}, row, row);
    const Row removed = rows_[static_cast<std::size_t>(row)];
    rows_.erase(rows_.begin() + row);
    if (row == 0) hasNewEntryRow_ = false;
    release(removed);
    endRemoveRows();
}

int LessonListModel::findFirst(std::string_view text) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (first(rows_[i]) == text) return static_cast<int>(i);
    return -1;
}

int LessonListModel::findSecond(std::string_view text) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (second(rows_[i]) == text) return static_cast<int>(i);
    return -1;
}

int LessonListModel::rowOfEntry(std::string_view first, std::string_view second) const
{
    const int r1 = findFirst(first);
    if (r1 < 0) return -1;
    const int n = rowCount();
    int r2 = -1;
    for (int k = 1; k <= n; ++k) {
        const int row = (r1 + k) % n;
        if (this->second(rows_[static_cast<std::size_t>(row)]) == second) {
            r2 = row;
            break;
        }
    }
    if (r1 < r2 && this->first(rows_[static_cast<std::size_t>(r2)]) == first) return r2;
    return r1;
}

int LessonListModel::rowToRemove(std::string_view first, std::string_view second) const
{
    return std::max(findFirst(first), findSecond(second));
}
