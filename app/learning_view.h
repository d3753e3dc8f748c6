#pragma once

#include "due_drill.h"
#include "learning_record.h"

#include <cstdint>
#include <memory>
#include <vector>

#include <QObject>

class EntryChain;
class ExerciseRun;
class ExerciseView;
class QWidget;
struct AnswerEvent;

// The trainer's side of the learning record: opens "LERNSTAND.DB" in the working folder once
// (after the first frame, or before the first answer should a drill come sooner; opening
// creates no file), hands it every answer of every drill through the run's answer observer,
// and shows the record's notices in message boxes: what was done to files at opening (a
// damaged file moved aside, a conflict copy merged), and a fault when it first keeps an answer
// out, never before. A fault never stops the drill: the notice is shown from the event loop
// after the answer was judged. When the trainer closes, the answers still waiting get one
// last try; how many are lost is said. A child of the window.
class LearningKeeper : public QObject {
public:
    LearningKeeper(QWidget& window, EntryChain& chain, ExerciseView& view);
    ~LearningKeeper() override;

    // Opens the record unless it was opened before; cheap after the first call.
    void open();
    // The trainer closes: the waiting answers are tried once more; those that still cannot be
    // written are said in a message box (`window`) or on standard error.
    void finish(bool window);
    bool opened() const { return opened_; }
    // The record, opened on first use.
    LearningRecord& record();

    // The chain's entries as the record knows them (their terms' bytes), in chain order.
    std::vector<TermPair> lessonTerms() const;

    DueDrill& dueDrill() { return dueDrill_; }

    // The progress picture of the current lesson and the results log (the main window's
    // "Lernstand-Grafik" button).
    QWidget* showChart();

    // Seconds since the epoch, UTC, by the platform's clock.
    static std::int64_t now();

private:
    void answered(const AnswerEvent& event);
    void showNoticeLater();

    QWidget& window_;
    EntryChain& chain_;
    ExerciseRun& run_;
    LearningRecord record_;
    DrillId drill_ = 0; // the drill the answers belong to
    bool opened_ = false;
    bool noticeQueued_ = false;
    DueDrill dueDrill_;
};
