#pragma once

#include "learning_record.h"

#include <cstdint>

#include <QObject>

class QWidget;

// The window's hold on the learning record "LERNSTAND.DB" in the working folder: opened once
// (after the first frame, or before the first answer should a drill come sooner; opening
// creates no file), its notices shown in message boxes from the event loop (what was done to
// files at opening, a fault when it first keeps an answer out, never before; a drill is never
// stopped by one), and at close one last try for the answers still waiting, with what is lost
// said. A child of the window.
class RecordSession : public QObject {
public:
    explicit RecordSession(QWidget& window);

    // Opens the record unless it was opened before; cheap after the first call.
    void open();
    bool opened() const { return opened_; }
    // The record, opened on first use.
    LearningRecord& record();

    // The record may have a notice now (after an answer, say): shown from the event loop, as
    // the caller may be inside the drill's step, where no window may open.
    void showNoticeLater();

    // The trainer closes: the waiting answers are tried once more; those that still cannot be
    // written are said in a message box (`window`) or on standard error.
    void finish(bool window);

    // Seconds since the epoch, UTC, by the platform's clock.
    static std::int64_t now();

private:
    QWidget& window_;
    LearningRecord record_;
    bool opened_ = false;
    bool noticeQueued_ = false;
};
