#include "lesson_list_model.h"

#include "cp1252.h"
#include "term_sort_key.h"

#include <algorithm>
#include <cstdint>
#include <limits>
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

// The order of rows [0, n) by their keys, equal keys by position: order[j] is the row that
// belongs at j. keys holds the keys back to back, key k from keyAt[k] to keyAt[k + 1].
template <typename Offset>
std::vector<std::uint32_t> orderByKeys(std::size_t n,
                                       const std::function<std::string_view(std::size_t)>& text,
                                       std::size_t keyBytesAtMost)
{
    std::string keys;
    keys.reserve(keyBytesAtMost); // only the bytes written are memory the process holds
    std::vector<Offset> keyAt(n + 1);
    for (std::size_t k = 0; k < n; ++k) {
        keyAt[k] = static_cast<Offset>(keys.size());
        appendTermSortKey(text(k), keys);
    }
    keyAt[n] = static_cast<Offset>(keys.size());

    std::vector<std::uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    const char* const data = keys.data();
    std::sort(order.begin(), order.end(), [data, &keyAt](std::uint32_t a, std::uint32_t b) {
        const std::string_view ka(data + keyAt[a], keyAt[a + 1] - keyAt[a]);
        const std::string_view kb(data + keyAt[b], keyAt[b + 1] - keyAt[b]);
        const int c = ka.compare(kb);
        return c < 0 || (c == 0 && a < b);
    });

    return order;
}

} // namespace

void LessonListModel::sortRowsFrom(std::size_t from)
{
    const std::size_t n = rows_.size() - from;
    Row* const rows = rows_.data() + from;
    std::size_t keyBytesAtMost = 0;
    for (std::size_t k = 0; k < n; ++k)
        keyBytesAtMost += 4 * rows[k].firstSize + 1;
    const auto text = [this, rows](std::size_t k) { return first(rows[k]); };
    std::vector<std::uint32_t> order = keyBytesAtMost <= std::numeric_limits<std::uint32_t>::max()
                                           ? orderByKeys<std::uint32_t>(n, text, keyBytesAtMost)
                                           : orderByKeys<std::uint64_t>(n, text, keyBytesAtMost);
    // Moving each row once along the permutation's cycles needs no second array of rows.
    for (std::size_t start = 0; start < n; ++start) {
        if (order[start] == start) continue;
        const Row held = rows[start];
        std::size_t j = start;
        while (order[j] != start) {
            const std::size_t source = order[j];
            rows[j] = rows[source];
            order[j] = static_cast<std::uint32_t>(j);
            j = source;
        }
        rows[j] = held;
        order[j] = static_cast<std::uint32_t>(j);
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
