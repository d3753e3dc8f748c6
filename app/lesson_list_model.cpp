#include "lesson_list_model.h"

#include "cp1252.h"
#include "term_sort_key.h"

#include <algorithm>

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
    const auto row = static_cast<std::size_t>(index.row());
    return fromCp1252(index.column() == 0 ? rows_.first(row) : rows_.second(row));
}

void LessonListModel::clear()
{
    beginResetModel();
    rows_.clear();
    hasNewEntryRow_ = false;
    endResetModel();
}

int LessonListModel::addNewEntryRow()
{
    if (!hasNewEntryRow_) {
        beginInsertRows({}, 0, 0);
        rows_.insert(0, kNewEntryText, kNewEntryText);
        hasNewEntryRow_ = true;
        endInsertRows();
    }
    return 0;
}

int LessonListModel::addPair(std::string_view first, std::string_view second)
{
    const auto row = static_cast<int>(
        rows_.upperBound(sortedBegin(), termSortKey(first.substr(0, kMaxTextBytes))));
    beginInsertRows({}, row, row);
    rows_.insert(static_cast<std::size_t>(row), first, second);
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
        rows_.append(first, second);
    }
    // The rows there were are sorted and come first among equals, as with one insertion after
    // another; sorting them again with the new ones, by key and then position, keeps that.
    rows_.sortFrom(sortedBegin());
    endResetModel();
}

void LessonListModel::addSortedRows(PairRows&& sorted)
{
    if (sorted.empty()) return;
    if (rows_.size() > sortedBegin()) {
        // Rows of their own here: the two sets are merged as addPairs merges.
        std::size_t next = 0;
        addPairs(sorted.size(), [&] {
            const std::pair<std::string_view, std::string_view> pair{sorted.first(next),
                                                                     sorted.second(next)};
            ++next;
            return pair;
        });
        sorted.clear();
        return;
    }
    beginResetModel();
    if (hasNewEntryRow_) sorted.insert(0, kNewEntryText, kNewEntryText);
    rows_ = std::move(sorted);
    sorted.clear();
    endResetModel();
}

void LessonListModel::removeRowAt(int row)
{
    if (row < 0 || row >= rowCount()) return;
    beginRemoveRows({}, row, row);
    rows_.erase(static_cast<std::size_t>(row));
    if (row == 0) hasNewEntryRow_ = false;
    endRemoveRows();
}

int LessonListModel::findFirst(std::string_view text) const
{
    return rows_.findFirst(text);
}

int LessonListModel::findSecond(std::string_view text) const
{
    return rows_.findSecond(text);
}

int LessonListModel::rowOfEntry(std::string_view first, std::string_view second) const
{
    const int r1 = findFirst(first);
    if (r1 < 0) return -1;
    const int n = rowCount();
    int r2 = -1;
    for (int k = 1; k <= n; ++k) {
        const int row = (r1 + k) % n;
        if (rows_.second(static_cast<std::size_t>(row)) == second) {
            r2 = row;
            break;
        }
    }
    if (r1 < r2 && rows_.first(static_cast<std::size_t>(r2)) == first) return r2;
    return r1;
}

int LessonListModel::rowToRemove(std::string_view first, std::string_view second) const
{
    return std::max(findFirst(first), findSecond(second));
}
