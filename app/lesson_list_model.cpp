#include "lesson_list_model.h"

#include <algorithm>

const QString LessonListModel::kNewEntryText = QStringLiteral(" < NEU >");

LessonListModel::LessonListModel(QObject* parent)
    : QAbstractTableModel(parent), collator_(QLocale(QLocale::German, QLocale::Germany))
{
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

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
    return index.column() == 0 ? row.first : row.second;
}

void LessonListModel::clear()
{
    beginResetModel();
    rows_.clear();
    endResetModel();
}

bool LessonListModel::hasNewEntryRow() const
{
    return !rows_.empty() && rows_.front().first == kNewEntryText &&
           rows_.front().second == kNewEntryText;
}

int LessonListModel::addNewEntryRow()
{
    if (!hasNewEntryRow()) {
        beginInsertRows({}, 0, 0);
        rows_.insert(rows_.begin(), Row{kNewEntryText, kNewEntryText});
        endInsertRows();
    }
    return 0;
}

int LessonListModel::sortedInsertRow(const QString& first) const
{
    const auto begin = rows_.begin() + (hasNewEntryRow() ? 1 : 0);
    const auto at = std::upper_bound(begin, rows_.end(), first, [this](const QString& t, const Row& r) {
        return collator_.compare(t, r.first) < 0;
    });
    return static_cast<int>(at - rows_.begin());
}

int LessonListModel::addPair(const QString& first, const QString& second)
{
    const int row = sortedInsertRow(first);
    beginInsertRows({}, row, row);
    rows_.insert(rows_.begin() + row, Row{first, second});
    endInsertRows();
    return row;
}

void LessonListModel::addPairs(std::vector<std::pair<QString, QString>> pairs)
{
    if (pairs.empty())
        return;
    auto less = [this](const Row& a, const Row& b) { return collator_.compare(a.first, b.first) < 0; };
    std::vector<Row> added;
    added.reserve(pairs.size());
    for (auto& [first, second] : pairs)
        added.push_back(Row{std::move(first), std::move(second)});
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

int LessonListModel::findFirst(const QString& text) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].first == text)
            return static_cast<int>(i);
    return -1;
}

int LessonListModel::findSecond(const QString& text) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].second == text)
            return static_cast<int>(i);
    return -1;
}

int LessonListModel::rowOfEntry(const QString& first, const QString& second) const
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

int LessonListModel::rowToRemove(const QString& first, const QString& second) const
{
    return std::max(findFirst(first), findSecond(second));
}
