#pragma once

#include "answer_compare.h"

#include <cstddef>
#include <cstdint>
#include <string>

class strWort;

// The question whether to save the lesson first, asked before an exercise starts and before a
// lesson with changes is emptied (UTF-8, as every interface text).
inline constexpr const char* kSaveLessonQuestion = "Soll diese Lektion gespeichert werden?";
inline constexpr const char* kSaveLessonCaption = "Aktuelle Lektion";

// How a message box looks and which buttons it offers.
enum class MessageKind {
    OkExclamation,   // OK button, exclamation icon
    OkInformation,   // OK button, information icon
    YesNoExclamation // Yes and No buttons, exclamation icon
};

// Everything an exercise needs of the main dialog. ExerciseRun calls these in the order in which
// the window must show the effects; the dialog implements them with its controls and the
// platform layer, a test with a recording fake. Texts of the interface (messages, status line,
// reports) are UTF-8; the lesson's own texts (a question, an expected answer, threshold
// fields) are Windows-1252 bytes, as the lesson holds them. The dialog converts them where a
// widget shows them. A text of the interface handed over in Windows-1252 because a file stores
// it so says Cp1252 in its name. Counts are unsigned 32-bit.
//
// startBlink (from CompareFeedback) makes an option button blink with the given period in ms.
class ExerciseWindow : public CompareFeedback {
public:
    // --- what the exercise reads from the dialog ---------------------------------------------
    // The three option buttons' On states, read at every comparison and for the log record.
    virtual CompareOptions optionStates() const = 0;
    // The current text of threshold field `index` (0 = grade 1, ..., 4 = grade 5).
    virtual std::string thresholdFieldText(std::size_t index) const = 0;
    // The lesson's file as the title names it (the path shown, in capitals after a read), in
    // Windows-1252 as the results log stores the name; empty when it was never read or saved.
    // For the name only: not the path the file is opened by.
    virtual std::string shownLessonPathCp1252() const = 0;
    // True when the lesson has changes that were not saved.
    virtual bool lessonUnsaved() const = 0;
    // Calendar time now, seconds since 1970-01-01 00:00 UTC (the end time of an exercise).
    virtual std::int64_t calendarTime() const = 0;
    // The seed of the question order: localTimeSeed of the local date and time now. Asked
    // once per exercise, after the question whether to save, however long that took.
    virtual std::uint32_t questionSeed() = 0;

    // --- what the exercise does to the dialog ------------------------------------------------
    // A modal message box; true for Yes (and for OK).
    virtual bool messageBox(const std::string& text, const std::string& caption,
                            MessageKind kind) = 0;
    // The save command of the lesson; reports its own failures.
    virtual bool saveLesson() = 0;

    // Option buttons: Locked on or off; StopBlink on all three.
    virtual void setOptionsLocked(bool locked) = 0;
    virtual void stopOptionBlink() = 0;

    // LED line 1 (the entry line): Reset to the off colour; ShowSegment(drawn, total, green);
    // ShowRatio(right, wrong, green, red); Reset and one StepForward per entry (editing look).
    virtual void resetEntryLine() = 0;
    virtual void showEntryLineSegment(std::uint32_t drawn, std::uint32_t total) = 0;
    virtual void showEntryLineRatio(std::uint32_t right, std::uint32_t wrong) = 0;
    virtual void restoreEntryLine(std::uint32_t entryCount) = 0;
    // LED line 2 (answers): ShowRatio(right, wrong, green, red).
    virtual void showAnswerLineRatio(std::uint32_t right, std::uint32_t wrong) = 0;
    // LED window 2, the grade digit: SetValue(grade), 1 .. 6.
    virtual void showGrade(std::uint32_t grade) = 0;
    // LED window 1: a new clock counting from zero, or a new wall clock with the time now.
    virtual void startElapsedClock() = 0;
    virtual void startWallClock() = 0;

    // The question field (101) read-only during an exercise.
    virtual void setQuestionReadOnly(bool readOnly) = 0;
    // Exercise mode: the question into field 101, field 102 emptied and focused.
    virtual void showQuestion(const std::string& question) = 0;
    // Editing mode again: the lesson view's showEntry for the entry (null = the new entry).
    virtual void showEntry(strWort* entry) = 0;
    // The status line during an exercise (ExerciseRun::statusText()); empty once the exercise
    // is over, when the title, status line and controls of editing come back.
    virtual void showStatus(const std::string& text) = 0;
    // Empties the status line.
    virtual void clearStatusLine() = 0;

    // Asynchronous playback of a wave file by name ("OK1.WAV"); failures pass silently.
    virtual void playSound(const std::string& fileName) = 0;
    // The simple system beep.
    virtual void messageBeep() = 0;

    // Wrong-answer feedback: flash `expected` in green (about 1.5 s) and the field's own typed
    // text in red (about 0.5 s) alternately in the read-only answer field, caret hidden, until
    // stopAnswerFeedback, which makes the field writable, red and shows the caret again.
    virtual void startAnswerFeedback(const std::string& expected) = 0;
    virtual void stopAnswerFeedback() = 0;

    // The final report in a message window: medium font, black text, no time-out.
    virtual void showReport(const std::string& title, const std::string& text) = 0;
    // A message window in front of the report, red text, no time-out: the result could not be
    // stored in the results log.
    virtual void showStoreFailure(const std::string& title, const std::string& text) = 0;
};
