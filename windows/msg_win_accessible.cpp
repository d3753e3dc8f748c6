#include "msg_win_accessible.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QPointer>

#include <utility>
#include <vector>

#include "msg_win.h"

namespace {

// The window's text as a static text without a widget of its own.
class MsgTextAccessible : public QAccessibleInterface, public QAccessibleTextInterface {
public:
    explicit MsgTextAccessible(MSGWin* window) : window_(window) {}

    bool isValid() const override { return !window_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return window_ ? window_->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override
    {
        return window_ ? QAccessible::queryAccessibleInterface(window_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && window_ ? window_->shownText() : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        return window_ ? QRect(window_->mapToGlobal(QPoint(0, 0)), window_->size()) : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.readOnly = true;
        s.invisible = !window_ || !window_->isVisible();
        s.multiLine = window_ && window_->lines().size() > 1;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface*>(this)
                                                  : nullptr;
    }

    // Text interface: nothing can be selected, the caret stays at the start.
    void selection(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        return window_ ? window_->shownText().mid(startOffset, endOffset - startOffset) : QString();
    }
    int characterCount() const override
    {
        return window_ ? static_cast<int>(window_->shownText().size()) : 0;
    }
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }
    void scrollToSubstring(int, int) override {}

    // Screen rectangle of the character at offset; a line break is an empty box at the end of
    // its line.
    QRect characterRect(int offset) const override
    {
        if (!window_ || offset < 0) return {};
        const QFontMetrics metrics(window_->textFont());
        const QStringList& lines = window_->lines();
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString& line = lines[i];
            if (offset <= line.size()) {
                const int x = kMsgTextLeft + metrics.horizontalAdvance(line.left(offset));
                const int width =
                    offset < line.size() ? metrics.horizontalAdvance(line[offset]) : 0;
                const QRect box(x, static_cast<int>(i) * window_->lineHeight(), width,
                                window_->lineHeight());
                return box.translated(window_->mapToGlobal(QPoint(0, 0)));
            }
            offset -= static_cast<int>(line.size()) + 1;
        }
        return {};
    }

    // The offset of the character under a screen point; -1 where there is none.
    int offsetAtPoint(const QPoint& point) const override
    {
        if (!window_) return -1;
        const QPoint at = window_->mapFromGlobal(point);
        const QStringList& lines = window_->lines();
        const int lineIndex = at.y() >= 0 ? at.y() / window_->lineHeight() : -1;
        if (lineIndex < 0 || lineIndex >= lines.size()) return -1;
        int offset = 0;
        for (int i = 0; i < lineIndex; ++i)
            offset += static_cast<int>(lines[i].size()) + 1;
        const QFontMetrics metrics(window_->textFont());
        const QString& line = lines[lineIndex];
        for (int column = 0; column < line.size(); ++column) {
            if (at.x() < kMsgTextLeft + metrics.horizontalAdvance(line.left(column + 1)))
                return at.x() >= kMsgTextLeft ? offset + column : -1;
        }
        return -1;
    }

private:
    QPointer<MSGWin> window_;
};

// The window's text as a table (MSGWin::setTable): its cells, headers first, as children.
class MsgTableAccessible;

class MsgCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    // row -1: the column's header.
    MsgCellAccessible(MsgTableAccessible* table, MSGWin* window, int row, int column)
        : table_(table), window_(window), row_(row), column_(column)
    {}

    bool isValid() const override { return !window_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return window_ ? window_->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !window_) return {};
        if (row_ < 0) return window_->tableColumns().value(column_);
        return window_->tableRows().value(row_).value(column_);
    }
    void setText(QAccessible::Text, const QString&) override {}
    // The line the row is drawn on (the header: the line above the rule), in its whole width.
    QRect rect() const override
    {
        if (!window_) return {};
        const int line =
            row_ < 0 ? window_->tableFirstLine() - 2 : window_->tableFirstLine() + row_;
        return QRect(window_->mapToGlobal(QPoint(0, line * window_->lineHeight())),
                     QSize(window_->width(), window_->lineHeight()));
    }
    QAccessible::Role role() const override
    {
        return row_ < 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.readOnly = true;
        s.invisible = !window_ || !window_->isVisible();
        s.focusable = row_ >= 0;
        s.focused = row_ >= 0 && window_ && window_->isActiveWindow() &&
                    window_->currentRow() == row_ && window_->currentColumn() == column_;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_ < 0 ? 0 : row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override;

private:
    MsgTableAccessible* table_;
    QPointer<MSGWin> window_;
    int row_;
    int column_;
};

class MsgTableAccessible : public QAccessibleInterface, public QAccessibleTableInterface {
public:
    explicit MsgTableAccessible(MSGWin* window) : window_(window) {}
    ~MsgTableAccessible() override
    {
        for (const QAccessible::Id id : std::as_const(cells_))
            if (id != 0) QAccessible::deleteAccessibleInterface(id);
    }

    int columns() const { return window_ ? static_cast<int>(window_->tableColumns().size()) : 0; }
    int rows() const { return window_ ? static_cast<int>(window_->tableRows().size()) : 0; }

    // Child i: the headers first, then the cells row by row.
    QAccessibleInterface* cell(int row, int column) const
    {
        if (column < 0 || column >= columns() || row < -1 || row >= rows()) return nullptr;
        const auto index = static_cast<std::size_t>((row + 1) * columns() + column);
        if (cells_.size() <= index) cells_.resize(index + 1, 0);
        if (cells_[index] == 0)
            cells_[index] = QAccessible::registerAccessibleInterface(new MsgCellAccessible(
                const_cast<MsgTableAccessible*>(this), window_.data(), row, column));
        return QAccessible::accessibleInterface(cells_[index]);
    }

    bool isValid() const override { return !window_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return window_ ? window_->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override
    {
        return window_ ? QAccessible::queryAccessibleInterface(window_.data()) : nullptr;
    }
    QAccessibleInterface* child(int index) const override
    {
        return columns() > 0 ? cell(index / columns() - 1, index % columns()) : nullptr;
    }
    int childCount() const override { return columns() * (rows() + 1); }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (std::size_t i = 0; i < cells_.size(); ++i)
            if (cells_[i] != 0 && QAccessible::accessibleInterface(cells_[i]) == child)
                return static_cast<int>(i);
        return -1;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && window_ ? window_->windowTitle() : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        return window_ ? QRect(window_->mapToGlobal(QPoint(0, 0)), window_->size()) : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::Table; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.readOnly = true;
        s.invisible = !window_ || !window_->isVisible();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface*>(this)
                                                   : nullptr;
    }

    // Table interface: nothing can be selected.
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override
    {
        return row >= 0 ? cell(row, column) : nullptr;
    }
    int selectedCellCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    QString columnDescription(int column) const override
    {
        return window_ ? window_->tableColumns().value(column) : QString();
    }
    QString rowDescription(int) const override { return {}; }
    int columnCount() const override { return columns(); }
    int rowCount() const override { return rows(); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    QPointer<MSGWin> window_;
    mutable std::vector<QAccessible::Id> cells_;
};

QAccessibleInterface* MsgCellAccessible::parent() const
{
    return table_;
}

QList<QAccessibleInterface*> MsgCellAccessible::columnHeaderCells() const
{
    if (row_ < 0) return {};
    return {table_->cell(-1, column_)};
}

QAccessibleInterface* MsgCellAccessible::table() const
{
    return table_;
}

class MsgWinAccessible : public QAccessibleWidget {
public:
    explicit MsgWinAccessible(MSGWin* window) : QAccessibleWidget(window, QAccessible::Dialog) {}
    ~MsgWinAccessible() override
    {
        if (textId_ != 0) QAccessible::deleteAccessibleInterface(textId_);
        if (tableId_ != 0) QAccessible::deleteAccessibleInterface(tableId_);
    }

    // The text first, the table when there is one, then the widgets a caller put into the
    // window (a button, say).
    int ownChildren() const
    {
        return static_cast<const MSGWin*>(widget())->tableColumns().isEmpty() ? 1 : 2;
    }
    int childCount() const override { return ownChildren() + QAccessibleWidget::childCount(); }
    QAccessibleInterface* child(int index) const override
    {
        auto* window = static_cast<MSGWin*>(widget());
        if (index >= ownChildren()) return QAccessibleWidget::child(index - ownChildren());
        if (index == 1) {
            if (tableId_ == 0)
                tableId_ = QAccessible::registerAccessibleInterface(new MsgTableAccessible(window));
            return QAccessible::accessibleInterface(tableId_);
        }
        if (textId_ == 0)
            textId_ = QAccessible::registerAccessibleInterface(new MsgTextAccessible(window));
        return QAccessible::accessibleInterface(textId_);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (textId_ != 0 && child == QAccessible::accessibleInterface(textId_)) return 0;
        if (tableId_ != 0 && child == QAccessible::accessibleInterface(tableId_)) return 1;
        const int index = QAccessibleWidget::indexOfChild(child);
        return index < 0 ? -1 : index + ownChildren();
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        if (QAccessibleInterface* widget = QAccessibleWidget::childAt(x, y)) return widget;
        return rect().contains(x, y) ? child(0) : nullptr;
    }

private:
    mutable QAccessible::Id textId_ = 0;
    mutable QAccessible::Id tableId_ = 0;
};

QAccessibleInterface* msgWinAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("MSGWin")) {
        if (auto* window = qobject_cast<MSGWin*>(object)) return new MsgWinAccessible(window);
    }
    return nullptr;
}

} // namespace

void installMsgWinAccessible()
{
    static const bool installed = [] {
        QAccessible::installFactory(&msgWinAccessible);
        return true;
    }();
    (void)installed;
}

void tellCurrentCell(MSGWin* window)
{
    QAccessibleInterface* dialog = QAccessible::queryAccessibleInterface(window);
    if (dialog == nullptr || dialog->childCount() < 2) return;
    QAccessibleInterface* table = dialog->child(1);
    QAccessibleTableInterface* cells = table ? table->tableInterface() : nullptr;
    QAccessibleInterface* cell =
        cells ? cells->cellAt(window->currentRow(), window->currentColumn()) : nullptr;
    if (cell == nullptr) return;
    QAccessibleEvent focus(cell, QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
}
