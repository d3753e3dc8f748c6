#pragma once

#include "due_drill.h"
#include "learning_record.h"

#include <cstdint>
#include <memory>
#include <vector>

#include <QObject>

class EntryChain;
class ExerciseView;
class QWidget;
struct AnswerEvent;

// The trainer's side of the learning record: opens "LERNSTAND.DB" in the working folder once
// (after the first frame, or before the first answer should a drill come sooner), hands it
// every answer of every drill through the run's answer observer, and shows the record's one
// notice in a message box when it reports a fault. A fault never stops the drill: the notice
// is shown from the event loop after the answer was judged. A child of the window.
class LearningKeeper : public QObject {
public:
    LearningKeeper(QWidget& window, EntryChain& chain, ExerciseView& view);
    ~LearningKeeper() override;

    // Opens the record unless it was opened before; cheap after the first call.
    void open();
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
    LearningRecord record_;
    bool opened_ = false;
    bool noticeQueued_ = false;
    DueDrill dueDrill_;
};
