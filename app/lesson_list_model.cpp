#include "lesson_list_model.h"

#include "cp1252.h"
#include "term_sort_key.h"

#include <algorithm>
#include <iterator>

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
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
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

void LessonListModel::addPairs(std::vector<std::pair<std::string, std::string>> pairs)
{
    if (pairs.empty())
        return;
    auto less = [](const Row& a, const Row& b) { return a.key < b.key; };
    std::vector<Row> added;
    added.reserve(pairs.size());
    for (auto& [first, second] : pairs) {
        std::string key = termSortKey(first);
        added.push_back(Row{std::move(first), std::move(second), std::move(key)});
    }
    std::stable_sort(added.begin(), added.end(), less);

    beginResetModel();
    const std::size_t oldSize = rows_.size();
    rows_.reserve(oldSize + added.size());
    std::move(added.begin(), added.end(), std::back_inserter(rows_));
    // Existing rows come first among equals, as with one insertion after another.
    const auto sortedBegin = rows_.begin() + (hasNewEntryRow() ? 1 : 0);
    std::inplace_merge(sortedBegin, rows_.begin() + static_cast<std::ptrdiff_t>(oldSize),
                       rows_.end(), less);
    endResetModel();
}

void LessonListModel::removeRowAt(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

int LessonListModel::findFirst(std::string_view text) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].first == text)
            return static_cast<int>(i);
    return -1;
}

int LessonListModel::findSecond(std::string_view text) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].second == text)
            return static_cast<int>(i);
    return -1;
}

int LessonListModel::rowOfEntry(std::string_view first, std::string_view second) const
{
    const int r1 = findFirst(first);
    if (r1 < 0)
        return -1;
    const int n = rowCount();
    int r2 = -1;
    for (int k = 1; k <= n; ++k) {
        const int row = (r1 + k) % n;
        if (rows_[static_cast<std::size_t>(row)].second == second) {
            r2 = row;
            break;
        }
    }
    if (r1 < r2 && rows_[static_cast<std::size_t>(r2)].first == first)
        return r2;
    return r1;
}

int LessonListModel::rowToRemove(std::string_view first, std::string_view second) const
{
    return std::max(findFirst(first), findSecond(second));
}
