#pragma once

// How the display controls present themselves to assistive technology (Qt accessibility, which
// Linux hands on to AT-SPI). Each control's constructor calls installControlAccessibles(); the
// first call registers the interface factory, the later ones cost a flag test. The interfaces
// are made only when a client asks, and compute what they answer at that moment.
//
//   myBMPButton  role Button, or CheckBox for a toggle (checkable, checked = On()); pressed
//                while held. Name: accessibleName(), else the burnt-in label. Description:
//                accessibleDescription(). Actions: Press (and Toggle for a toggle), which focus
//                the button and click it as the mouse would, and SetFocus.
//   LEDWindow    role StaticText. Name: the digits as shown (ShownText(), "20:31:07", "2").
//                Description: accessibleDescription(). No children (the digit windows are
//                hidden from the tree).
//   myLEDLine    role StaticText. Name: accessibleName(), which the owner keeps up to date.
//   my3DText     role StaticText. Name: accessibleName(), else the caption (Text()).
//   QWidget      a plain one that is a window (the main window): role Window, a frame.
void installControlAccessibles();

#include <QWidget>

class QAbstractItemView;

// Only the control with the keyboard focus reports the focused state: Qt's item views report
// their current row as focused whether or not the view has the focus, which makes a screen
// reader announce the wrong control. The view keeps a current row only while it has the focus
// (the selection stays as it is, and so does the picture: an unfocused view draws no focus
// frame); on getting the focus the selected row becomes current again and is announced.
void currentRowOnlyWithFocus(QAbstractItemView* view);

// While muted, the text events of a field (text changed, caret moved, selection changed) are
// not handed on to assistive technology: the field changes what it shows for the eyes alone (the
// wrong-answer flashing), which a screen reader would otherwise read at every change. Everything
// else of the field, and every other control, is told as before.
void muteTextEvents(QObject* field, bool muted);

// Until the event loop turns, the field's focus (and text) events are not told: the field takes
// the keyboard on the way to a window that tells what matters itself (the drill's report
// after the last answer), and a screen reader would read the field's term once more.
void quietFocusOnce(QObject* field);

// The field's selection, made as the field gets the focus by Tab and dropped as it loses it, is
// not told: a screen reader would say "three selected" before the field itself, which it then
// reads with its selection ("2. Begriff text. three selected."), and "Text unselected" for the
// field the user has just left.
void quietSelectionOnFocusChange(QWidget* field);

// The label is the window's status line to assistive technology (role StatusBar, named by
// its text), which a screen reader's command for the status bar reads out.
void presentAsStatusLine(QWidget* label);

// A message for screen readers alone: a zero-sized child that draws nothing and takes no focus,
// which assistive technology sees as a notification (role Notification, name = the message).
// say() makes the text its name and announces it as appearing: Orca speaks a notification that
// appears, wherever the keyboard focus is, and the focus stays where it was.
class SpokenNotice : public QWidget {
    Q_OBJECT
public:
    explicit SpokenNotice(QWidget* parent);
    void say(const QString& text);
};
