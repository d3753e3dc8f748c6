#pragma once

#include <QIdentityProxyModel>

// One column of the lesson's rows as a list of its own: what one list box shows. Both list
// boxes share the rows (LessonListModel), yet each must present exactly one item per row, to
// the view and to assistive technology alike; a list view on the two-column model would expose
// the hidden column as a second, invisible item per row.
class LessonListColumn : public QIdentityProxyModel {
    Q_OBJECT
public:
    LessonListColumn(QAbstractItemModel* rows, int column, QObject* parent = nullptr);

    int columnCount(const QModelIndex& parent = {}) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;

private:
    int column_;
};
