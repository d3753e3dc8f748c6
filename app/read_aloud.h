#pragma once

#include "exercise_view.h"
#include "lesson_languages.h"

#include <cstddef>
#include <functional>
#include <string>

#include <QObject>
#include <QString>
#include <QStringList>

class EntryChain;
class QLineEdit;
class QWidget;
class ToolTips;
class myBMPButton;

// Reading terms aloud, each in the language of its side of the lesson: the "Vorlesen" button
// (Ctrl+L) and the option "Fragen vorlesen", which speaks every question of a drill and the
// correct term after a wrong answer. A child of the main dialog, which tells it when a lesson
// was opened, saved under a new name or closed, and calls refresh from updateStatus.
//
// The languages of a lesson are kept in the working folder (lesson_languages.h) by the
// lesson's file; a lesson read from a table keeps them by the table's file until it is saved
// as a lesson. The sample lessons come set. A side without a language is asked for once, the
// first time one of its terms is to be spoken, from the languages the speech service has
// voices for; Ctrl+Shift+L asks for both again. Speech goes through Platform::speak; the first
// fault is told once in a message box from the event loop, and nothing else changes.
class ReadAloud : public QObject {
public:
    ReadAloud(QWidget& window, EntryChain& chain, ExerciseView& view, QLineEdit* term1,
              QLineEdit* term2, std::string storeFile = kLessonLanguagesFileName);
    ~ReadAloud() override;

    myBMPButton* speakButton() const { return speakButton_; }
    myBMPButton* optionButton() const { return optionButton_; }
    // Tooltips and what assistive technology hears of the two buttons.
    void describe(ToolTips& tips);

    // The dialog's lesson: read from path (a lesson or a table), written under the new name
    // path, or closed (an empty, new lesson follows).
    void lessonOpened(const std::string& path);
    // A table read as a new lesson: its first side is German unless kept otherwise.
    void tableRead(const std::string& path);
    void lessonSavedAs(const std::string& path);
    void lessonClosed();
    // Which of the buttons show.
    void refresh();

    // "Vorlesen": the term of the field the cursor was in last, during a drill the question
    // or, while it flashes, the correct term.
    void speakNow();
    // Asks for the languages of both sides again, the current ones preselected.
    void chooseLanguages();

    const SideLanguages& languages() const { return languages_; }
    bool questionsReadAloud() const { return store_.readAloud(); }
    void setQuestionsReadAloud(bool on);
    bool faultShown() const { return faultShown_; }
    // Whether a screen reader hears the drill (by default: assistive technology is active).
    // Then, with "Fragen vorlesen" on, each step of a drill is spoken here as a whole, its
    // verdict, question and status in German and its term in the side's language, one after
    // the other on one connection, and the step's notice stays silent: the screen reader's
    // speech and ours would otherwise reach the service in no fixed order.
    std::function<bool()> screenReaderListening;

private:
    void say(const std::string& term, std::size_t side);
    bool sayStep(const std::vector<ExerciseView::SpokenPart>& parts);
    // The side's language, asking the learner when it has none; empty when there is none.
    std::string languageFor(std::size_t side);
    bool askLanguage(std::size_t side);
    const QStringList& serviceLanguages(int waitMs);
    void keep();
    void fault(const QString& reason);
    std::string lessonKey(const std::string& path) const;

    QWidget& window_;
    EntryChain& chain_;
    ExerciseView& view_;
    QLineEdit* terms_[2];
    std::size_t lastField_ = 0;
    myBMPButton* speakButton_ = nullptr;
    myBMPButton* optionButton_ = nullptr;

    LessonLanguageStore store_;
    std::string key_; // the lesson's file, absolute; empty for a new lesson
    std::string path_;
    SideLanguages languages_{"de", ""};
    bool declined_[2] = {false, false}; // the learner cancelled the question for this lesson
    bool voicesKnown_ = false;
    bool voicesAsked_ = false;
    QStringList voices_;
    bool faultShown_ = false;
};
