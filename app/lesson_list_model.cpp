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
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    return fromCp1252(index.column() == 0 ? row.first : row.second);
}

void LessonListModel::clear()
{
    beginResetModel();
    rows_.clear();
    endResetModel();
}

bool LessonListModel::hasNewEntryRow() const
{
    return !rows_.empty() && rows_.front().key.empty();
}

int LessonListModel::addNewEntryRow()
{
    if (!hasNewEntryRow()) {
        beginInsertRows({}, 0, 0);
        rows_.insert(rows_.begin(), Row{kNewEntryText, kNewEntryText, {}});
        endInsertRows();
    }
    return 0;
}

int LessonListModel::sortedInsertRow(const std::string& key) const
{
    const auto begin = rows_.begin() + (hasNewEntryRow() ? 1 : 0);
    const auto at = std::upper_bound(begin, rows_.end(), key,
                                     [](const std::string& k, const Row& r) { return k < r.key; });
    return static_cast<int>(at - rows_.begin());
}

int LessonListModel::addPair(std::string first, std::string second)
{
    std::string key = termSortKey(first);
    const int row = sortedInsertRow(key);
    beginInsertRows({}, row, row);
    rows_.insert(rows_.begin() + row, Row{std::move(first), std::move(second), std::move(key)});
    endInsertRows();
    return row;
}

void LessonListModel::addPairs(std::size_t count, const PairSource& nextPair)
{
    if (count == 0) return;
    beginResetModel();
    const std::size_t oldSize = rows_.size();
    rows_.reserve(oldSize + count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto [first, second] = nextPair();
        rows_.push_back(Row{std::string(first), std::string(second), termSortKey(first)});
    }
    sortRowsFrom(oldSize);
    // Existing rows come first among equals, as with one insertion after another.
    const auto sortedBegin = rows_.begin() + (hasNewEntryRow() ? 1 : 0);
    const auto middle = rows_.begin() + static_cast<std::ptrdiff_t>(oldSize);
    if (sortedBegin < middle)
        std::inplace_merge(sortedBegin, middle, rows_.end(),
                           [](const Row& a, const Row& b) { return a.key < b.key; });
    endResetModel();
}

void LessonListModel::sortRowsFrom(std::size_t from)
{
    // Sorting row indices and then moving each row once along the permutation's cycles needs
    // no second array of rows, which for a large lesson is the bulk of its memory.
    const std::size_t n = rows_.size() - from;
    Row* const rows = rows_.data() + from;
    std::vector<std::uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [rows](std::uint32_t a, std::uint32_t b) {
        const int c = rows[a].key.compare(rows[b].key);
        return c < 0 || (c == 0 && a < b);
    });
    // order[j] is the row that belongs at j; a settled position gets order[j] == j.
    for (std::size_t start = 0; start < n; ++start) {
        if (order[start] == start) continue;
        Row held = std::move(rows[start]);
        std::size_t j = start;
        while (order[j] != start) {
            const std::size_t source = order[j];
            rows[j] = std::move(rows[source]);
            order[j] = static_cast<std::uint32_t>(j);
            j = source;
        }
        rows[j] = std::move(held);
        order[j] = static_cast<std::uint32_t>(j);
    }
}

void LessonListModel::removeRowAt(int row)
{
    if (row < 0 || row >= rowCount()) return;
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

int LessonListModel::findFirst(std::string_view text) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].first == text) return static_cast<int>(i);
    return -1;
}

int LessonListModel::findSecond(std::string_view text) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].second == text) return static_cast<int>(i);
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
        if (rows_[static_cast<std::size_t>(row)].second == second) {
            r2 = row;
            break;
        }
    }
    if (r1 < r2 && rows_[static_cast<std::size_t>(r2)].first == first) return r2;
    return r1;
}

int LessonListModel::rowToRemove(std::string_view first, std::string_view second) const
{
    return std::max(findFirst(first), findSecond(second));
}
