#pragma once

#include "msg_layout.h"

#include <QBasicTimer>
#include <QColor>
#include <QFont>
#include <QStringList>
#include <QWidget>

// A small top-level window that shows a text of one or more lines (carriage return = line
// break) in the caller's font and colour, sized to the text and centred over its owner's
// window. The constructor shows it; the caller creates it with new and forgets it: it is
// deleted when it closes, at the latest with its owner. With a time-out it has a title bar
// but no close box or sizing border, counts the seconds down in its caption and closes
// itself; without one it is an ordinary window that the user closes, with the close box or
// with Escape, Enter or Space; it takes the keyboard when it shows, so that a screen reader
// reads it at once, and hands it back to its owner's window when it closes.
//
// The window belongs to its owner's window: it is a dialog-type window whose transient parent
// is the owner's window (WM_TRANSIENT_FOR under X11), so it stays in front of the owner and has
// no task-bar entry of its own. Assistive technology sees a dialog named by the title with one
// static text, the whole text (lines joined by "\n", spaces kept); see msg_win_accessible.h.
class MSGWin : public QWidget {
    Q_OBJECT
public:
    // owner: the window it belongs to and is centred over (the main window); null centres
    // it on the primary screen. timeoutMs: negative for none.
    MSGWin(QWidget* owner, const QString& title, const QString& text, const QFont& font,
           const QColor& textColor, int timeoutMs);

    // One second of the count-down; normally called by the window's own 1 s timer.
    void tick();

    int remainingSeconds() const { return countDown_.remaining(); }
    const QStringList& lines() const { return lines_; }
    // The text as shown: the lines joined by "\n" (a blank line is its one blank).
    QString shownText() const { return lines_.join(u'\n'); }
    const QFont& textFont() const { return font_; }
    const QColor& textColor() const { return textColor_; }
    int widestLine() const { return widestLine_; } // px
    int lineHeight() const { return lineHeight_; } // px

    // The text is also a table: assistive technology then finds, after the text, a table with
    // these column names and one row of cells per record, whose row r is drawn on the line
    // firstLine + r. What the window shows stays as it is.
    void setTable(const QStringList& columns, const QList<QStringList>& rows, int firstLine);
    const QStringList& tableColumns() const { return columns_; }
    const QList<QStringList>& tableRows() const { return rows_; }
    int tableFirstLine() const { return firstTableLine_; }
    // The cell the arrow keys have reached (Up and Down between the rows, Left and Right
    // between the columns, Home and End to the first and last row), which assistive technology
    // is told as focused; the row is -1 until the first key.
    int currentRow() const { return currentRow_; }
    int currentColumn() const { return currentColumn_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The arrow keys move in the table also while a button the caller added has the focus.
    void childEvent(QChildEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    static constexpr int kTickMs = 1000;

    QFont font_;
    QColor textColor_;
    MsgCountDown countDown_;
    QStringList lines_;
    int widestLine_ = 0;
    int lineHeight_ = 0;
    QBasicTimer timer_;
    QStringList columns_;
    QList<QStringList> rows_;
    int firstTableLine_ = 0;
    int currentRow_ = -1;
    int currentColumn_ = 0;
};
