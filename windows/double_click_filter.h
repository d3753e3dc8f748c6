#pragma once

#include <QObject>

// Makes a left double click arrive as a second plain press: installed on a widget (an edit
// field, a button), it replaces the left double-click event, which Qt delivers in place of
// the second press, by that press. The widget then sees press, release, press, release: an
// edit field selects no word, a button is pressed twice. Right and middle double clicks pass
// unchanged.
class DoubleClickAsPress : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
