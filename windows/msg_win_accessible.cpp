#include "msg_win_accessible.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QPointer>

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

class MsgWinAccessible : public QAccessibleWidget {
public:
    explicit MsgWinAccessible(MSGWin* window) : QAccessibleWidget(window, QAccessible::Dialog) {}
    ~MsgWinAccessible() override
    {
        if (textId_ != 0) QAccessible::deleteAccessibleInterface(textId_);
    }

    // The text first, then the widgets a caller put into the window (a button, say).
    int childCount() const override { return 1 + QAccessibleWidget::childCount(); }
    QAccessibleInterface* child(int index) const override
    {
        if (index != 0) return QAccessibleWidget::child(index - 1);
        if (textId_ == 0)
            textId_ = QAccessible::registerAccessibleInterface(
                new MsgTextAccessible(static_cast<MSGWin*>(widget())));
        return QAccessible::accessibleInterface(textId_);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (textId_ != 0 && child == QAccessible::accessibleInterface(textId_)) return 0;
        const int index = QAccessibleWidget::indexOfChild(child);
        return index < 0 ? -1 : index + 1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        if (QAccessibleInterface* widget = QAccessibleWidget::childAt(x, y)) return widget;
        return rect().contains(x, y) ? child(0) : nullptr;
    }

private:
    mutable QAccessible::Id textId_ = 0;
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
