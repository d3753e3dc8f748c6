#include "control_accessibles.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QEvent>
#include <QItemSelectionModel>

#include "bmp_button.h"
#include "led_line.h"
#include "led_window.h"
#include "text_3d.h"

namespace {

class BmpButtonAccessible : public QAccessibleWidget {
public:
    explicit BmpButtonAccessible(myBMPButton* button)
        : QAccessibleWidget(button, button->Toggles() ? QAccessible::CheckBox : QAccessible::Button)
    {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            const QString name = widget()->accessibleName();
            return name.isEmpty() ? button()->Label() : name;
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = button()->isDown();
        if (button()->Toggles()) {
            s.checkable = true;
            s.checked = button()->On();
        }
        return s;
    }

    QStringList actionNames() const override
    {
        QStringList names;
        if (widget()->isEnabled()) {
            if (button()->Toggles()) names << toggleAction();
            names << pressAction();
        }
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& name) override
    {
        const bool click = name == pressAction() || (button()->Toggles() && name == toggleAction());
        if (!click) {
            QAccessibleWidget::doAction(name);
            return;
        }
        if (!widget()->isEnabled()) return;
        // As a click: the press takes the focus (which a toggle needs to flip), the release
        // follows from a timer, so the client's request returns before the dialog reacts.
        if (widget()->focusPolicy() & Qt::ClickFocus) widget()->setFocus(Qt::OtherFocusReason);
        button()->animateClick();
    }

private:
    myBMPButton* button() const { return static_cast<myBMPButton*>(widget()); }
};

class LedWindowAccessible : public QAccessibleWidget {
public:
    explicit LedWindowAccessible(LEDWindow* window)
        : QAccessibleWidget(window, QAccessible::StaticText)
    {}

    QString text(QAccessible::Text t) const override
    {
        // What the digits show, after the window's own name when it has one ("Note 2").
        if (t == QAccessible::Name) {
            const QString shown = static_cast<const LEDWindow*>(widget())->ShownText();
            const QString name = widget()->accessibleName();
            return name.isEmpty() ? shown : name + QLatin1Char(' ') + shown;
        }
        return QAccessibleWidget::text(t);
    }

    // The digits are pictures of the text above, not objects of their own.
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
};

class Text3DAccessible : public QAccessibleWidget {
public:
    explicit Text3DAccessible(my3DText* label) : QAccessibleWidget(label, QAccessible::StaticText)
    {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            const QString name = widget()->accessibleName();
            return name.isEmpty() ? static_cast<const my3DText*>(widget())->Text() : name;
        }
        return QAccessibleWidget::text(t);
    }
};

// A text field as Qt presents it, except that its text attributes come in one run over the
// whole text: Qt's line edit reports empty runs, and Orca, which reads a field's line in
// attribute runs, then leaves out its last character ("9" for "90", "zwe" for "zwei").
// Everything else is Qt's own line-edit interface, which the accessibility cache owns.
class WholeRunLineEdit : public QAccessibleInterface, public QAccessibleTextInterface {
public:
    explicit WholeRunLineEdit(QAccessibleInterface* qt) : qt_(qt), text_(qt->textInterface()) {}

    // QAccessibleInterface
    bool isValid() const override { return qt_->isValid(); }
    QObject* object() const override { return qt_->object(); }
    QWindow* window() const override { return qt_->window(); }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override
    {
        return qt_->relations(match);
    }
    QAccessibleInterface* focusChild() const override { return qt_->focusChild(); }
    QAccessibleInterface* childAt(int x, int y) const override { return qt_->childAt(x, y); }
    QAccessibleInterface* parent() const override { return qt_->parent(); }
    QAccessibleInterface* child(int index) const override { return qt_->child(index); }
    int childCount() const override { return qt_->childCount(); }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return qt_->indexOfChild(child);
    }
    QString text(QAccessible::Text t) const override { return qt_->text(t); }
    void setText(QAccessible::Text t, const QString& text) override { qt_->setText(t, text); }
    QRect rect() const override { return qt_->rect(); }
    QAccessible::Role role() const override { return qt_->role(); }
    QAccessible::State state() const override { return qt_->state(); }
    QColor foregroundColor() const override { return qt_->foregroundColor(); }
    QColor backgroundColor() const override { return qt_->backgroundColor(); }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return qt_->interface_cast(type);
    }

    // QAccessibleTextInterface
    void selection(int index, int* start, int* end) const override
    {
        text_->selection(index, start, end);
    }
    int selectionCount() const override { return text_->selectionCount(); }
    void addSelection(int start, int end) override { text_->addSelection(start, end); }
    void removeSelection(int index) override { text_->removeSelection(index); }
    void setSelection(int index, int start, int end) override
    {
        text_->setSelection(index, start, end);
    }
    int cursorPosition() const override { return text_->cursorPosition(); }
    void setCursorPosition(int position) override { text_->setCursorPosition(position); }
    QString text(int start, int end) const override { return text_->text(start, end); }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                             int* end) const override
    {
        return text_->textBeforeOffset(offset, type, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                            int* end) const override
    {
        return text_->textAfterOffset(offset, type, start, end);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                         int* end) const override
    {
        return text_->textAtOffset(offset, type, start, end);
    }
    int characterCount() const override { return text_->characterCount(); }
    QRect characterRect(int offset) const override { return text_->characterRect(offset); }
    int offsetAtPoint(const QPoint& point) const override { return text_->offsetAtPoint(point); }
    void scrollToSubstring(int start, int end) override { text_->scrollToSubstring(start, end); }
    QString attributes(int offset, int* start, int* end) const override
    {
        // A field has one font and colour throughout.
        const QString none = text_->attributes(offset, start, end);
        *start = 0;
        *end = text_->characterCount();
        return none;
    }

private:
    QAccessibleInterface* qt_;
    QAccessibleTextInterface* text_;
};

// Qt's own interface for a line edit, made by asking again while this factory steps aside.
QAccessibleInterface* wholeRunLineEdit(QObject* object)
{
    static bool asking = false;
    if (asking) return nullptr;
    asking = true;
    QAccessibleInterface* qt = QAccessible::queryAccessibleInterface(object);
    asking = false;
    if (qt == nullptr || qt->textInterface() == nullptr) return nullptr;
    return new WholeRunLineEdit(qt);
}

constexpr const char* kStatusLineProperty = "kazStatusLine";

class StatusLineAccessible : public QAccessibleWidget {
public:
    explicit StatusLineAccessible(QWidget* label) : QAccessibleWidget(label, QAccessible::StatusBar)
    {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) return widget()->property("text").toString();
        return QAccessibleWidget::text(t);
    }
};

// Asked with each class name of the object's class chain, most derived first.
QAccessibleInterface* controlAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("myBMPButton")) {
        if (auto* button = qobject_cast<myBMPButton*>(object))
            return new BmpButtonAccessible(button);
    } else if (className == QLatin1String("LEDWindow")) {
        if (auto* window = qobject_cast<LEDWindow*>(object)) return new LedWindowAccessible(window);
    } else if (className == QLatin1String("myLEDLine")) {
        if (auto* line = qobject_cast<myLEDLine*>(object))
            return new QAccessibleWidget(line, QAccessible::StaticText);
    } else if (className == QLatin1String("SpokenNotice")) {
        if (auto* notice = qobject_cast<SpokenNotice*>(object))
            return new QAccessibleWidget(notice, QAccessible::Notification);
    } else if (className == QLatin1String("QLabel")) {
        if (object->isWidgetType() && object->property(kStatusLineProperty).toBool())
            return new StatusLineAccessible(static_cast<QWidget*>(object));
    } else if (className == QLatin1String("QLineEdit")) {
        return wholeRunLineEdit(object);
    } else if (className == QLatin1String("QWidget")) {
        // A plain widget that is a window of its own (the main window) is a frame to assistive
        // technology, not a filler, so a screen reader speaks its title when it is activated.
        if (object->isWidgetType() && static_cast<QWidget*>(object)->isWindow())
            return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    } else if (className == QLatin1String("my3DText")) {
        if (auto* label = qobject_cast<my3DText*>(object)) return new Text3DAccessible(label);
    }
    return nullptr;
}

class CurrentRowFollowsFocus : public QObject {
public:
    explicit CurrentRowFollowsFocus(QAbstractItemView* view) : QObject(view), view_(view) {}

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn) {
            // After the view's own focus event, so that the row's is the last one told.
            QMetaObject::invokeMethod(
                this, [this] { restoreCurrent(); }, Qt::QueuedConnection);
        } else if (event->type() == QEvent::FocusOut) {
            dropCurrent();
        }
        return false;
    }

    // The selected row becomes current again (the view's own focus handling may have made
    // its first row current already), and is told as focused after the view itself.
    void restoreCurrent()
    {
        const QModelIndexList rows = view_->selectionModel()->selectedRows();
        if (!view_->hasFocus() || rows.isEmpty()) return;
        if (view_->currentIndex() != rows.first())
            view_->selectionModel()->setCurrentIndex(rows.first(), QItemSelectionModel::NoUpdate);
        QAccessibleEvent focus(view_, QAccessible::Focus);
        focus.setChild(rows.first().row());
        QAccessible::updateAccessibility(&focus);
    }

    // The program selects rows by making them current; without the focus that is undone.
    void dropCurrent()
    {
        if (!view_->hasFocus() && view_->currentIndex().isValid())
            view_->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }

private:
    QAbstractItemView* view_;
};

} // namespace

void currentRowOnlyWithFocus(QAbstractItemView* view)
{
    auto* follower = new CurrentRowFollowsFocus(view);
    view->installEventFilter(follower);
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged, follower,
                     [follower] { follower->dropCurrent(); });
    follower->dropCurrent();
}

namespace {

QList<QObject*>& mutedFields()
{
    static QList<QObject*> fields;
    return fields;
}

bool isTextEvent(QAccessible::Event type)
{
    switch (type) {
    case QAccessible::TextInserted:
    case QAccessible::TextRemoved:
    case QAccessible::TextUpdated:
    case QAccessible::TextCaretMoved:
    case QAccessible::TextSelectionChanged:
    case QAccessible::TextAttributeChanged:
    case QAccessible::TextColumnChanged:
    case QAccessible::ValueChanged:
        return true;
    default:
        return false;
    }
}

QAccessible::UpdateHandler& handlerBefore()
{
    static QAccessible::UpdateHandler handler = nullptr;
    return handler;
}

// Installed while a field is muted. Every other event goes on to the handler that was there
// before, or takes Qt's own way, which Qt goes only without a handler, so this one steps aside.
QList<QObject*>& quietFocusFields()
{
    static QList<QObject*> fields;
    return fields;
}

void filterMutedFields(QAccessibleEvent* event)
{
    if (isTextEvent(event->type()) && mutedFields().contains(event->object())) return;
    if (event->type() == QAccessible::Focus && quietFocusFields().contains(event->object())) return;
    if (QAccessible::UpdateHandler before = handlerBefore()) {
        before(event);
        return;
    }
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&filterMutedFields);
}

} // namespace

void muteTextEvents(QObject* field, bool muted)
{
    QList<QObject*>& fields = mutedFields();
    const bool wasEmpty = fields.isEmpty();
    if (muted && !fields.contains(field))
        fields.append(field);
    else if (!muted)
        fields.removeAll(field);
    if (wasEmpty && !fields.isEmpty())
        handlerBefore() = QAccessible::installUpdateHandler(&filterMutedFields);
    if (!wasEmpty && fields.isEmpty()) QAccessible::installUpdateHandler(handlerBefore());
}

void quietFocusOnce(QObject* field)
{
    if (quietFocusFields().contains(field)) return;
    quietFocusFields().append(field);
    muteTextEvents(field, true); // installs the filter
    QMetaObject::invokeMethod(
        field,
        [field] {
            quietFocusFields().removeAll(field);
            muteTextEvents(field, false);
        },
        Qt::QueuedConnection);
}

namespace {

class QuietSelection : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Muted while the field handles the event, which selects its text (Tab) or drops the
        // selection; a field muted for longer (the flashing) stays so.
        if ((event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) &&
            !mutedFields().contains(watched)) {
            muteTextEvents(watched, true);
            QMetaObject::invokeMethod(
                this, [watched] { muteTextEvents(watched, false); }, Qt::QueuedConnection);
        }
        return false;
    }
};

} // namespace

void quietSelectionOnFocusChange(QWidget* field)
{
    field->installEventFilter(new QuietSelection(field));
}

void presentAsStatusLine(QWidget* label)
{
    installControlAccessibles();
    label->setProperty(kStatusLineProperty, true);
}

void installControlAccessibles()
{
    static const bool installed = [] {
        QAccessible::installFactory(&controlAccessible);
        return true;
    }();
    (void)installed;
}

SpokenNotice::SpokenNotice(QWidget* parent) : QWidget(parent)
{
    installControlAccessibles();
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 0, 0);
}

void SpokenNotice::say(const QString& text)
{
    setAccessibleName(text);
    QAccessibleEvent event(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&event);
}
