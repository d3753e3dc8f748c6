#include "lesson_list_model.h"

#include "cp1252.h"
#include "entry_chain.h"
#include "first_term_order.h"
#include "term_sort_key.h"

#include <algorithm>
#include <span>

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
    return fromCp1252(index.column() == 0 ? firstText(index.row()) : secondText(index.row()));
}

void LessonListModel::clear()
{
    beginResetModel();
    rows_ = {};
    hasNewEntryRow_ = false;
    endResetModel();
}

int LessonListModel::addNewEntryRow()
{
    if (!hasNewEntryRow_) {
        beginInsertRows({}, 0, 0);
        rows_.insert(rows_.begin(), nullptr);
        hasNewEntryRow_ = true;
        endInsertRows();
    }
    return 0;
}

int LessonListModel::addEntry(strWort* entry)
{
    const std::string key = termSortKey(entry->term1);
    const auto at = std::upper_bound(
        rows_.begin() + static_cast<std::ptrdiff_t>(sortedBegin()), rows_.end(), key,
        [](const std::string& k, const strWort* row) { return k < termSortKey(row->term1); });
    const auto row = static_cast<int>(at - rows_.begin());
    beginInsertRows({}, row, row);
    rows_.insert(at, entry);
    endInsertRows();
    return row;
}

void LessonListModel::addEntries(const std::vector<strWort*>& entries)
{
    if (entries.empty()) return;
    beginResetModel();
    rows_.insert(rows_.end(), entries.begin(), entries.end());
    // The rows there were are sorted and come first among equals, as with one insertion after
    // another; sorting them again with the new ones, keeping the order of equals, keeps that.
    sortByFirstTerm(std::span(rows_).subspan(sortedBegin()));
    endResetModel();
}

void LessonListModel::removeRowAt(int row)
{
    if (row < 0 || row >= rowCount()) return;
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    if (row == 0) hasNewEntryRow_ = false;
    endRemoveRows();
}

strWort* LessonListModel::entryAt(int row) const
{
    return row >= 0 && row < rowCount() ? rows_[static_cast<std::size_t>(row)] : nullptr;
}

int LessonListModel::rowOf(const strWort* entry) const
{
    if (entry == nullptr) return -1;
    const auto at = std::find(rows_.begin(), rows_.end(), entry);
    return at == rows_.end() ? -1 : static_cast<int>(at - rows_.begin());
}

std::string_view LessonListModel::firstText(int row) const
{
    const strWort* entry = entryAt(row);
    return entry != nullptr ? entry->term1 : kNewEntryText;
}

std::string_view LessonListModel::secondText(int row) const
{
    const strWort* entry = entryAt(row);
    return entry != nullptr ? entry->term2 : kNewEntryText;
}
