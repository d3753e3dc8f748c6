#pragma once

#include "config.h"
#include "exercise_view.h"
#include "lesson_document.h"
#include "lesson_lists.h"
#include "platform.h"
#include "qt_rgb.h"
#include "settings_controls.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

enum class PaperKind; // paper_lesson.h

class AnswerRecorder;
class DueDrill;
class LEDWindow;
class RecordSession;
class QLabel;
class QLineEdit;
class QListView;
class ReadAloud;
class ToolTips;
class my3DText;
class myBMPButton;
class myLEDLine;

// Control ids of the main dialog.
enum ControlId : int {
    IdOk = 1,
    IdCancel = 2,
    IdTerm1 = 101,
    IdTerm2 = 102,
    IdPageBack = 103,
    IdPageForward = 104,
    IdNewLesson = 105,
    IdAbort = 106,
    IdLoad = 107,
    IdSave = 108,
    IdNormalQuery = 109,
    IdMixedQuery = 110,
    IdReversedQuery = 111,
    IdHelp = 112,
    IdStatus = 113,
    IdList1 = 114,
    IdList2 = 115,
    IdThreshold5 = 116,
    IdThreshold4 = 117,
    IdThreshold3 = 118,
    IdThreshold2 = 119,
    IdThreshold1 = 120,
    IdAnyOrder = 121,
    IdIgnorePunctuation = 122,
    IdIgnoreCase = 123,
    IdResultsLog = 124,
    IdDueQuery = 125,
    IdLearningChart = 126,
    IdSpeak = 127,     // "Vorlesen"
    IdReadAloud = 128, // the option "Fragen vorlesen"
};

inline constexpr const char* kProgramCaption = " KAZ-TRAINER 1.0   ";
inline constexpr const char* kHelpFile = "DODADIZE.HLP";
// Where an unsaved lesson is kept when the session ends without a question (lesson format);
// a trainer ended while this one's file waits takes the next name (recovery_file.h).
inline constexpr const char* kRecoveryFileName = "DODADIZE.RCV";

// A field's text as Windows-1252 bytes (the field takes no other characters).
std::string fieldText(const QLineEdit* field);

// The main dialog: the lesson editor and the exercise in one window of 636 x 383 px (dialog
// 100, 318 x 180 dialog units at base units 8 x 17). It owns the lesson document, the
// controls, the transfer buffer and the exercise view, which runs the exercise; it asks the
// document to read and write and chooses what the user is told or asked about the result. All
// work runs in its handlers on the GUI thread; handlers that change the lesson end with
// updateStatus.
//
// Lesson text is Windows-1252 bytes in the chain; it becomes a QString only in the widgets.
class RudarudDia : public QWidget, public ExerciseHost, private LessonReadListener {
    Q_OBJECT
public:
    explicit RudarudDia(Config& config, QWidget* parent = nullptr);
    ~RudarudDia() override;

    RudarudDia(const RudarudDia&) = delete;
    RudarudDia& operator=(const RudarudDia&) = delete;

    // --- lesson view ---------------------------------------------------------------------
    void showEntry(strWort* entry) override;
    void showQuestion(const std::string& question) override;
    void pageForward();
    void pageBack();
    void showPagedEntry();
    // The title and which controls show; while editing also the status line, which during an
    // exercise is the exercise view's.
    void updateStatus() override;

    // --- entry editing -------------------------------------------------------------------
    // Takes the settings from their controls, and outside an exercise what the user typed into
    // the term fields as an added, changed or deleted entry. False when the edit is incomplete.
    bool applyEdit();

    // --- lesson commands -----------------------------------------------------------------
    bool closeLesson();
    void loadLesson();
    // Loads a file as the open dialog would have chosen it (a lesson given on the command line).
    // path is the file name's bytes as the system takes them, which need not be UTF-8.
    void loadLessonFile(const std::string& path);
    // Reads a spreadsheet table into the (empty) lesson as the open dialog's table filter
    // does: the lesson gets no file name and is unsaved; one message box tells which rows
    // were taken and which not.
    void importTableFile(const std::string& path);
    // The same for another trainer's file (KVTML, Pauker, Anki or Quizlet text), as the open
    // dialog's type "Andere Vokabelprogramme" reads it.
    void importForeignFile(const std::string& path);
    bool saveLesson() override;
    // The lesson as a PDF word list or test sheet under path (chosen: the name as the dialog
    // gave it), a copy that leaves the lesson's file and unsaved state as they are.
    SaveResult printLesson(const std::string& path, const QString& chosen, PaperKind kind);

    // The close request of the window (close box, system menu, Escape): true when the lesson
    // was closed and the window may go. Removes the tooltips then.
    bool closeQuery();

    // The session ends (logout, a signal) and nothing may be asked: the options and thresholds
    // go to the settings file now, an unsaved lesson to this trainer's recovery file, and a
    // recovery file it wrote before that the lesson no longer needs is removed. The window
    // stays. What could not be kept is said on standard error.
    void keepSessionState();
    // The session has ended the program: its state is kept, and a question still open gets
    // no answer (offerRecovery leaves its file).
    void endSession();
    // At start: the recovery files left by ended sessions are offered one by one; Yes reads
    // one as an unsaved lesson without a name, and the rest wait for a later start. A file
    // is removed once answered; one whose question the session ended stays. True when
    // restored.
    bool offerRecovery();

    // --- what tests and the screenshot tool look at ----------------------------------------
    // The controls themselves are reached by object name: "field<id>", "list<id>",
    // "status<id>", "entryLine"; the buttons by id.
    LessonDocument& document() { return doc_; }
    ExerciseRun& exercise() { return exerciseView_->run(); }
    myBMPButton* button(int id) const;
    // Any control of the dialog's template by id: button, field or list; null for others.
    QWidget* control(int id) const;
    ExerciseView& exerciseView() { return *exerciseView_; }
    RecordSession& recordSession() { return *recordSession_; }
    // The progress picture of the lesson (the "Lernstand-Grafik" button); null without its
    // module.
    QWidget* showProgressChart();
    ReadAloud& readAloud() { return *readAloud_; }
    LessonListModel& listModel() { return lists_.model(); }
    bool unsaved() const override { return doc_.unsaved(); }
    std::string shownLessonPathCp1252() const override;
    QString windowTitleText() const;

    // The command table: what a command id does (buttons, OK and Cancel).
    void command(int id);

signals:
    // The dialog agreed to close; the frame window closes with it.
    void closeRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // LessonReadListener: rows are collected while reading and put in the lists at once.
    void beforePairs() override;
    void pairRead(strWort& entry) override;
    void afterPairs() override;
    void readAbandoned() override;

    struct Fonts;
    void createControls(const Fonts& fonts);
    // Each returns the controls it made that the settings show.
    std::array<QLineEdit*, kThresholdCount> createFields(const Fonts& fonts);
    std::array<myBMPButton*, kOptionCount> createButtons();
    void createDisplays(const Fonts& fonts);
    // updateStatus as if the lesson held count entries (the count running down on close).
    void showState(std::uint32_t count);
    void startExerciseCommand(QueryMode mode);
    // A lesson chosen from the due button's list (no lesson loaded): loaded, its due drill begun.
    void startDueLesson(const std::string& path);
    // A row the user picked in a list: the entry it shows, once the edit is applied.
    void rowPicked(QListView* list);
    int exclaim(const QString& text, const QString& caption, Platform::Buttons buttons);

    LessonDocument doc_;
    SettingsControls settings_; // the option buttons and threshold fields, and the transfer buffer

    QLineEdit* term1_ = nullptr;
    QLineEdit* term2_ = nullptr;
    QLabel* status_ = nullptr;
    LessonLists lists_;
    bool sessionEnded_ = false; // the session ended the program: nothing more is answered
    std::map<int, myBMPButton*> buttons_;
    myLEDLine* entryLine_ = nullptr;
    my3DText* label_ = nullptr;
    ToolTips* toolTips_ = nullptr;

    std::unique_ptr<ExerciseView> exerciseView_; // made with the controls
    RecordSession* recordSession_ = nullptr;     // a child, made with the exercise view
    DueDrill* dueDrill_ = nullptr;               // a child, made with the exercise view
    ReadAloud* readAloud_ = nullptr;             // a child, made with the exercise view

    std::unique_ptr<AnswerRecorder> answerRecorder_; // the drill's answers into the record
};
