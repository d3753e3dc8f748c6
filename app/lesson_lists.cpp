#include "lesson_lists.h"

#include "control_accessibles.h"

#include <QListView>
#include <QScrollBar>

namespace {

// The selected row is shown as the fourth visible one.
constexpr int kRowsAboveSelection = 3;

} // namespace

void LessonLists::makeViews(QWidget* parent, const QFont& font,
                            std::function<void(QListView*)> picked)
{
    picked_ = std::move(picked);
    for (std::size_t i = 0; i < views_.size(); ++i) {
        auto* l = new QListView(parent);
        l->setModel(i == 0 ? &firstTerms_ : &secondTerms_);
        l->setFont(font);
        l->setUniformItemSizes(true);
        l->setSelectionMode(QAbstractItemView::SingleSelection);
        l->setEditTriggers(QAbstractItemView::NoEditTriggers);
        l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        l->setTextElideMode(Qt::ElideNone);
        l->setLayoutMode(QListView::Batched);
        l->setBatchSize(200);
        // A mouse press makes the row current before it selects it; the row is picked once
        // it is selected, whichever way that happened (mouse, keys in the list, program).
        QObject::connect(l->selectionModel(), &QItemSelectionModel::selectionChanged, &connections_,
                         [this, l] {
                             if (!syncing_) picked_(l);
                         });
        currentRowOnlyWithFocus(l);
        views_[i] = l;
    }
    QListView* const first = views_[0];
    QListView* const second = views_[1];
    second->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The second terms scroll with the first ones; only the first list has a scroll bar.
    // Whatever scrolls the second list on its own (wheel, keys, a drag) is undone as soon as
    // the program is idle, so its rows stay beside their partners.
    QObject::connect(first->verticalScrollBar(), &QScrollBar::valueChanged,
                     second->verticalScrollBar(), &QScrollBar::setValue);
    QObject::connect(
        second->verticalScrollBar(), &QScrollBar::valueChanged, &connections_,
        [first, second] {
            second->verticalScrollBar()->setValue(first->verticalScrollBar()->value());
        },
        Qt::QueuedConnection);
}

void LessonLists::setVisible(bool visible)
{
    for (QListView* l : views_)
        l->setVisible(visible);
}

void LessonLists::add(strWort* entry)
{
    const Sync sync(syncing_);
    select(entry == nullptr ? model_.addNewEntryRow() : model_.addEntry(entry));
}

void LessonLists::remove(const strWort* entry)
{
    const Sync sync(syncing_);
    model_.removeRowAt(model_.rowOf(entry));
}

void LessonLists::select(int row)
{
    const Sync sync(syncing_);
    for (QListView* l : views_) {
        if (row < 0 || row >= model_.rowCount()) {
            l->clearSelection();
            continue;
        }
        const QModelIndex index = l->model()->index(row, 0);
        // Only the view with the focus gets a current row: a view tells assistive technology
        // its new current row as focused, focus or not, and a screen reader would then follow
        // the list while the keys go to a field.
        if (l->hasFocus())
            l->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        else
            l->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
        if (row >= kRowsAboveSelection)
            l->scrollTo(l->model()->index(row - kRowsAboveSelection, 0),
                        QAbstractItemView::PositionAtTop);
        else
            l->scrollTo(index);
    }
}

void LessonLists::clear()
{
    const Sync sync(syncing_);
    model_.clear();
}

std::size_t LessonLists::addCollected()
{
    const std::size_t count = collected_.size();
    {
        const Sync sync(syncing_);
        model_.addEntries(collected_);
    }
    collected_ = {};
    return count;
}
