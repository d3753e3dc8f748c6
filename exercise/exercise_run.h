#pragma once

#include "exercise_window.h"
#include "position_set.h"
#include "query_mode.h"
#include "results_log.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class EntryChain;
class strWort;

// One question of a planned drill: an entry of the chain and the term shown
// (kFirstTermShown or kSecondTermShown).
struct PlannedQuestion {
    strWort* entry;
    char direction;
};

// One answer as the drill judged it, handed to the answer observer (the learning record).
struct AnswerEvent {
    const strWort& entry;
    char direction; // kFirstTermShown or kSecondTermShown: the term that was shown
    bool right;
    bool firstAsking; // false for the repetition pass
};
using AnswerObserver = std::function<void(const AnswerEvent&)>;

// The exercise as a state machine without a window: it asks every entry of the lesson once in
// an order drawn by the question generator, then repeats the wrongly answered entries until
// each has two right answers, grades the result, reports it and appends it to the results log.
// Every visible effect goes to the ExerciseWindow, in the order the window has to show it.
//
// The dialog owns one ExerciseRun for its whole life (mixedToggle lives on between exercises)
// and calls startExercise for a query button, checkAnswer for the Enter key / OK command,
// stopFeedback when Enter is pressed or the lesson is closed, and endExercise(true) for the
// abort button. The engine never reads the clock: the start time and the seed come with
// startExercise, the end time from ExerciseWindow::calendarTime.
//
// While an exercise runs the chain must not change: the run keeps the entries' positions.
// Picking a question costs O(log n), not a walk along the chain; the order is the one the
// walk would give.
class ExerciseRun {
public:
    // resultsLogPath: the log's file path, named as it stands in the UTF-8 notice that it could
    // not be written (the program's own "DODADIZE.KAZ" in the working folder).
    ExerciseRun(EntryChain& chain, ExerciseWindow& window,
                std::string resultsLogPath = kResultsLogFileName);

    ExerciseRun(const ExerciseRun&) = delete;
    ExerciseRun& operator=(const ExerciseRun&) = delete;

    // Begins an exercise in ModeNormal, ModeReversed or ModeMixed and shows the first question.
    // startTime: calendar seconds (UTC) for the log record; seed: localTimeSeed of the local time.
    // Returns false and does nothing while an exercise runs, for ModeEdit, or for an empty lesson.
    bool startExercise(QueryMode mode, std::int64_t startTime);

    // Begins a due drill (ModeDue) of exactly these questions, each in its own direction: the
    // same drill as startExercise, its first pass in random order over the questions, where an
    // entry's two directions stand next to each other in `questions` the second is asked right
    // after the first. Grade, report and log record count questions, not lesson entries.
    // Returns false and does nothing while an exercise runs or for an empty list; every entry
    // must belong to the chain.
    bool startPlanned(std::vector<PlannedQuestion> questions, std::int64_t startTime);

    // Ends the running exercise, asking first when `ask` is set. Returns false when nothing ran
    // or the user chose to go on. An exercise ended this way leaves no report and no record.
    bool endExercise(bool ask);

    // Draws and shows the next question, or finishes the exercise when none is left.
    void nextQuestion();

    // The user confirmed `typed` (the answer field's text, not yet normalised). After a wrong
    // answer the next confirmation only moves on to the next question.
    void checkAnswer(std::string_view typed);

    // Ends the wrong-answer flashing if it runs (the Enter key, closing the lesson).
    void stopFeedback();

    // A click on an option button: allowed outside an exercise; during one the refusal is
    // shown and false returned (the button keeps its state).
    bool optionChangeAllowed();

    // Called once per judged answer, before the drill shows anything of it; empty: nobody
    // listens. The observer must not change the chain or call back into the run.
    void setAnswerObserver(AnswerObserver observer) { answerObserver_ = std::move(observer); }

    // The status line during an exercise; empty while editing.
    std::string statusText() const;

    QueryMode queryMode() const { return mode_; }
    bool running() const { return mode_ != QueryMode::ModeEdit; }
    bool answerPending() const { return answerPending_; }
    bool feedbackRunning() const { return feedbackRunning_; }
    std::uint32_t asked() const { return asked_; }
    std::uint32_t right() const { return right_; }
    std::uint32_t wrong() const { return wrong_; }
    std::uint32_t seed() const { return seed_; }

private:
    std::uint32_t questionCount() const { return static_cast<std::uint32_t>(questions_.size()); }
    void firstPassQuestion(std::uint32_t draw);
    void endOfFirstPass();
    void repetitionQuestion();
    void begin(QueryMode mode, std::int64_t startTime);
    std::size_t partnerNotAsked(std::size_t index) const;
    void ask(std::size_t index);
    void firstQuestion();
    void updateMarks(std::size_t index);
    void showGrade(std::uint32_t asked, std::uint32_t right);
    void finish();
    void reportResult();

    EntryChain& chain_;
    ExerciseWindow& window_;
    std::string resultsLogPath_;
    AnswerObserver answerObserver_;

    QueryMode mode_ = QueryMode::ModeEdit;
    bool answerPending_ = false;
    bool feedbackRunning_ = false;
    char mixedToggle_ = '\0'; // neither mark before the first mixed exercise
    std::int64_t startTime_ = 0;
    std::uint32_t seed_ = 0;
    std::uint32_t grade_ = 0;
    std::uint32_t asked_ = 0;
    std::uint32_t right_ = 0;
    std::uint32_t wrong_ = 0;
    std::uint32_t passRight_ = 0;
    std::uint32_t passWrong_ = 0;
    std::uint32_t draws_ = 0; // first-pass draws; entry count + 1 once the first pass is over

    // One question of the running drill: its entry, the term shown (kDirectionUnset until the
    // mode decides it at the first asking) and its right and wrong answers in this drill. An
    // entry stands once per question, so in a due drill it may stand twice.
    struct Question {
        strWort* entry;
        char direction;
        std::uint32_t right = 0;
        std::uint32_t wrong = 0;
    };

    // The questions in chain order (or in the plan's order), taken at the start, and the
    // positions of the asked ones.
    static constexpr std::size_t kNone = PositionSet::npos;
    std::vector<Question> questions_;
    std::size_t current_ = kNone;
    std::size_t previous_ = kNone;
    bool firstAsking_ = false; // the current question belongs to the first pass
    PositionSet notAsked_;     // right == 0 and wrong == 0
    PositionSet due_;          // wrong > 0 and right < 2
    std::uint32_t questionsWithErrors_ = 0;
};
