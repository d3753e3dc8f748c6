#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <QString>

class EntryChain;
class ExerciseRun;
class LearningKeeper;
class QWidget;
class ToolTips;
struct PlannedQuestion;

// The due drill: the questions of the current lesson the learning record names as due today,
// each in its due direction, through the same drill as the other three query buttons.
class DueDrill {
public:
    DueDrill(QWidget& window, LearningKeeper& learning, EntryChain& chain, ExerciseRun& run);

    // "Fällige Abfrage: N fällig" (an entry due in both directions counts twice).
    static QString label(std::size_t due);

    // The button's tooltip and accessible name. Before the record is open (it opens after the
    // first frame) the name carries no count, so start-up never waits for the file.
    void refresh(QWidget* button, ToolTips* tips);

    // Starts the drill of the questions due now; with none, says so once and starts nothing.
    // The drill's own random draw gives the order.
    void start(std::int64_t startTime);

    // The due questions of the chain, in chain order, an entry's first-term direction before
    // its second.
    std::vector<PlannedQuestion> dueQuestions();

private:
    QWidget& window_;
    LearningKeeper& learning_;
    EntryChain& chain_;
    ExerciseRun& run_;
};
