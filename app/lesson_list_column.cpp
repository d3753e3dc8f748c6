#include "lesson_list_column.h"

LessonListColumn::LessonListColumn(QAbstractItemModel* rows, int column, QObject* parent)
    : QIdentityProxyModel(parent), column_(column)
{
    setSourceModel(rows);
}

int LessonListColumn::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1;
}

QModelIndex LessonListColumn::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || column != 0 || row < 0 || row >= rowCount()) return {};
    return createIndex(row, 0);
}

QModelIndex LessonListColumn::mapToSource(const QModelIndex& proxyIndex) const
{
    if (!proxyIndex.isValid() || sourceModel() == nullptr) return {};
    return sourceModel()->index(proxyIndex.row(), column_);
}

QModelIndex LessonListColumn::mapFromSource(const QModelIndex& sourceIndex) const
{
    if (!sourceIndex.isValid() || sourceIndex.column() != column_) return {};
    return createIndex(sourceIndex.row(), 0);
}
