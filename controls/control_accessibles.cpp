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
