#pragma once

#include "config.h"
#include "exercise_run.h"
#include "exercise_window.h"
#include "led_window.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QTimer>

class EntryChain;
class QLabel;
class QLineEdit;
class QWidget;
class SpokenNotice;
class myBMPButton;
class myLEDLine;

// The main dialog's controls an exercise uses, all children of the dialog, which made them.
struct ExerciseControls {
    QLineEdit* question = nullptr; // field 101
    QLineEdit* answer = nullptr;   // field 102
    std::array<QLineEdit*, kThresholdCount> thresholds{};
    std::array<myBMPButton*, 3> options{}; // ignore case, ignore ". ; ,", any order
    myLEDLine* entryLine = nullptr;        // shared with editing, where it counts the entries
    QLabel* status = nullptr;
};

// The fonts of the message windows an exercise opens.
struct ExerciseFonts {
    QFont notice; // the red notice that no results are stored
    QFont report; // the final report
    QFont table;  // the fixed-pitch results table
};

// What an exercise needs of the lesson and of the window it runs in.
class ExerciseHost {
public:
    virtual ~ExerciseHost() = default;
    // The lesson's file as the title names it, in Windows-1252 (ExerciseWindow's); empty for a
    // new lesson.
    virtual std::string shownLessonPathCp1252() const = 0;
    virtual bool unsaved() const = 0;
    // True when the lesson was written to its file.
    virtual bool saveLesson() = 0;
    virtual void showEntry(strWort* entry) = 0;
    // An exercise's question into the first field; the second emptied and focused.
    virtual void showQuestion(const std::string& question) = 0;
    // The title and which controls show.
    virtual void updateStatus() = 0;
};

// What an exercise shows in the main dialog: it owns the exercise engine and implements its
// window with the dialog's controls, plus the displays only an exercise uses (the clock, the
// grade digit, the answer line), the wrong-answer flashing and the results-log window.
// What belongs to the lesson (showing an entry, saving, the title and the editing status)
// it leaves to the host. Its displays and message windows are children of window.
class ExerciseView : public ExerciseWindow {
public:
    ExerciseView(QWidget& window, ExerciseHost& host, EntryChain& chain,
                 const ExerciseControls& controls, ExerciseFonts fonts);
    ~ExerciseView() override;

    ExerciseView(const ExerciseView&) = delete;
    ExerciseView& operator=(const ExerciseView&) = delete;

    ExerciseRun& run() { return run_; }
    const ExerciseRun& run() const { return run_; }

    // The grade digit and the answer line show only during an exercise.
    void showExerciseDisplays(bool shown);
    // The results-log button: the table of the last results, or the notice.
    void showResultsLog();
    // Tells a screen reader part, with whatever else the same step says (editing: the term
    // paged to, the changed status line).
    void announce(const QString& part) { speak(part, false); }
    // One part of what a step of the drill tells: German text, or (term not empty) a term of
    // the lesson with its side (0 first, 1 second): the question, and the correct term after
    // a wrong answer.
    struct SpokenPart {
        QString text;
        std::string term;
        std::size_t side = 0;
        bool operator==(const SpokenPart&) const = default;
    };
    // The parts of each step, in order, while terms are read aloud. Returns true when it spoke
    // them all itself (a screen reader listens): the notice then stays silent, since a screen
    // reader and the trainer speaking through the same service in turn cannot be kept in order.
    // False: the notice tells the text parts.
    std::function<bool(const std::vector<SpokenPart>& parts)> onStepShown;
    // True while those terms are read aloud: the notice then says "Frage:" or "Lösung:" alone
    // and the term follows in its own language, heard once.
    std::function<bool()> termsReadAloud;

    LEDWindow* clock() const { return clock_; }
    LEDWindow* gradeDigit() const { return gradeDigit_; }
    myLEDLine* answerLine() const { return answerLine_; }
    QColor answerColour() const { return answerColour_; }
    bool feedbackRunning() const { return feedbackTimer_.isActive(); }

    // ExerciseWindow
    CompareOptions optionStates() const override;
    std::string thresholdFieldText(std::size_t index) const override;
    std::string shownLessonPathCp1252() const override;
    bool lessonUnsaved() const override;
    std::int64_t calendarTime() const override;
    std::uint32_t questionSeed() override;
    bool messageBox(const std::string& text, const std::string& caption, MessageKind kind) override;
    bool saveLesson() override;
    void setOptionsLocked(bool locked) override;
    void stopOptionBlink() override;
    void resetEntryLine() override;
    void showEntryLineSegment(std::uint32_t drawn, std::uint32_t total) override;
    void showEntryLineRatio(std::uint32_t right, std::uint32_t wrong) override;
    void restoreEntryLine(std::uint32_t entryCount) override;
    void showAnswerLineRatio(std::uint32_t right, std::uint32_t wrong) override;
    void showGrade(std::uint32_t grade) override;
    void startElapsedClock() override;
    void startWallClock() override;
    void setQuestionReadOnly(bool readOnly) override;
    void showQuestion(const std::string& question) override;
    void showEntry(strWort* entry) override;
    void showStatus(const std::string& text) override;
    void clearStatusLine() override;
    void playSound(const std::string& fileName) override;
    void messageBeep() override;
    void startAnswerFeedback(const std::string& expected) override;
    void stopAnswerFeedback() override;
    void showReport(const std::string& title, const std::string& text) override;
    void showStoreFailure(const std::string& title, const std::string& text) override;
    void startBlink(OptionButton button, std::uint32_t periodMs) override;

private:
    void replaceClock(LEDWindow::Mode mode);
    void speak(const QString& part, bool ofTheDrill = true);
    // Assistive technology hears each term field by the side of the entry it holds: in a
    // reversed question the answer field is the "1. Begriff". False: as in editing.
    void nameTermFields(bool reversed);
    void speakStep();
    void flashStep();
    void setAnswerColour(const QColor& colour);

    QWidget& window_;
    ExerciseHost& host_;
    ExerciseControls controls_;
    ExerciseFonts fonts_;
    LEDWindow* clock_ = nullptr;
    LEDWindow* gradeDigit_ = nullptr;
    myLEDLine* answerLine_ = nullptr;

    // Wrong-answer feedback: odd phases show the expected term in green for 1.5 s, even phases
    // the typed answer in red for 0.5 s.
    QColor answerColour_;
    QTimer feedbackTimer_;
    std::string feedbackExpected_;
    std::string feedbackTyped_;
    int feedbackPhase_ = 0;

    // What a screen reader is told: the parts of one step of the exercise (verdict, correct
    // term, question, status, report), said as one notice once the step is done, since each
    // message cuts off the one before.
    EntryChain& chain_;
    QStringList spoken_;
    std::vector<SpokenPart> parts_; // the same step with its terms, for onStepShown
    bool drillStep_ = false;        // a part of the step comes from the drill, not from editing
    // The names and descriptions of the question and the answer field as editing has them.
    std::array<std::pair<QString, QString>, 2> termNames_;
    bool termNamesKept_ = false;
    QTimer spokenTimer_;
    SpokenNotice* notice_ = nullptr;

    ExerciseRun run_; // last: it may call back into the view while the view is whole
};
