#include "msg_win.h"

#include <algorithm>

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

#include "msg_win_accessible.h"

namespace {

// Dialog type: Qt gives a window its owner's window as transient parent either way, but under
// X11 writes WM_TRANSIENT_FOR only for a dialog. Without a time-out it keeps the buttons Qt
// gives a plain window, so the frame hints stay as they were.
Qt::WindowFlags styleFor(bool timed)
{
    if (timed) return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    return Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint | Qt::WindowFullscreenButtonHint;
}

MsgOwnerRect ownerRect(const QWidget* owner)
{
    QRect r;
    if (owner != nullptr)
        r = owner->window()->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        r = screen->geometry();
    return {r.left(), r.top(), r.width(), r.height()};
}

} // namespace

MSGWin::MSGWin(QWidget* owner, const QString& title, const QString& text, const QFont& font,
               const QColor& textColor, int timeoutMs)
    : QWidget(owner, styleFor(timeoutMs >= 0)), font_(font), textColor_(textColor),
      countDown_(timeoutMs)
{
    installMsgWinAccessible();
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);

    const QFontMetrics metrics(font_);
    for (const std::u16string& line : splitMessageLines(text.toStdU16String())) {
        lines_ << QString::fromStdU16String(line);
        widestLine_ = std::max(widestLine_, metrics.horizontalAdvance(lines_.back()));
    }
    lineHeight_ = metrics.height();

    const MsgGeometry g = messageWindowGeometry(widestLine_, lineHeight_,
                                                static_cast<int>(lines_.size()), ownerRect(owner));
    if (countDown_.running())
        setFixedSize(g.clientWidth, g.clientHeight);
    else
        resize(g.clientWidth, g.clientHeight);
    move(g.x, g.y);
    show();
    if (countDown_.running())
        timer_.start(kTickMs, this);
    else
        activateWindow(); // also where no window manager gives a new window the keyboard
}

void MSGWin::setTable(const QStringList& columns, const QList<QStringList>& rows, int firstLine)
{
    columns_ = columns;
    rows_ = rows;
    firstTableLine_ = firstLine;
}

namespace {

bool movesInTable(int key)
{
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left ||
           key == Qt::Key_Right || key == Qt::Key_Home || key == Qt::Key_End;
}

} // namespace

void MSGWin::childEvent(QChildEvent* event)
{
    if (event->added() && event->child()->isWidgetType()) event->child()->installEventFilter(this);
    QWidget::childEvent(event);
}

bool MSGWin::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && !columns_.isEmpty() &&
        movesInTable(static_cast<QKeyEvent*>(event)->key())) {
        keyPressEvent(static_cast<QKeyEvent*>(event));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MSGWin::keyPressEvent(QKeyEvent* event)
{
    const bool closing = event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
                         event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space;
    const int lastRow = static_cast<int>(rows_.size()) - 1;
    const int lastColumn = static_cast<int>(columns_.size()) - 1;
    if (lastRow >= 0 && lastColumn >= 0) {
        int row = currentRow_, column = currentColumn_;
        switch (event->key()) {
        case Qt::Key_Down:
            row = std::min(row + 1, lastRow);
            break;
        case Qt::Key_Up:
            row = std::max(row - 1, 0);
            break;
        case Qt::Key_Right:
            column = std::min(column + 1, lastColumn);
            row = std::max(row, 0);
            break;
        case Qt::Key_Left:
            column = std::max(column - 1, 0);
            row = std::max(row, 0);
            break;
        case Qt::Key_Home:
            row = 0;
            break;
        case Qt::Key_End:
            row = lastRow;
            break;
        default:
            break;
        }
        if (row != currentRow_ || column != currentColumn_) {
            currentRow_ = row;
            currentColumn_ = column;
            tellCurrentCell(this);
            return;
        }
    }
    if (closing && !countDown_.running() &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MSGWin::closeEvent(QCloseEvent* event)
{
    // The keyboard goes back to the owner's window, as a window manager does for a transient
    // window; without one it would fall to no window.
    if (isActiveWindow() && parentWidget() != nullptr && parentWidget()->window()->isVisible())
        parentWidget()->window()->activateWindow();
    QWidget::closeEvent(event);
}

void MSGWin::tick()
{
    if (!countDown_.running()) return;
    if (countDown_.tick()) {
        timer_.stop();
        // Closing deletes this window; let the current event finish first.
        QMetaObject::invokeMethod(
            this, [this] { close(); }, Qt::QueuedConnection);
        return;
    }
    setWindowTitle(QString::fromStdString(countDown_.caption()));
}

void MSGWin::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == timer_.timerId())
        tick();
    else
        QWidget::timerEvent(event);
}

void MSGWin::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setFont(font_);
    painter.setPen(textColor_);
    const int ascent = QFontMetrics(font_).ascent();
    for (int i = 0; i < lines_.size(); ++i)
        painter.drawText(QPoint(kMsgTextLeft, i * lineHeight_ + ascent), lines_[i]);
}
