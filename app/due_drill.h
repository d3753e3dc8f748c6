#pragma once

#include "due_lessons.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QObject>
#include <QString>

class EntryChain;
class ExerciseRun;
class QWidget;
class RecordSession;
class ToolTips;
struct PlannedQuestion;

// Today's work, behind the "Fällige Abfrage" button. With a lesson loaded: the drill of the
// questions the learning record names as due today, each in its due direction, through the same
// drill as the other three query buttons. With none: the lessons whose files hold something
// due, listed by file with their due counts; the one chosen is announced (lessonChosen) for
// the window to load, which then starts its due drill.
class DueDrill : public QObject {
    Q_OBJECT
public:
    DueDrill(QWidget& window, RecordSession& session, EntryChain& chain, ExerciseRun& run);

    // "Fällige Abfrage: N fällig" (an entry due in both directions counts twice).
    static QString label(std::size_t due);
    // "Fällige Abfrage: N Lektionen fällig" (with no lesson loaded).
    static QString lessonsLabel(std::size_t lessons);
    // One lesson of the list: "ENGLISCH.LSN: 5 fällig (in /home/anna/Englisch)".
    static QString lessonItem(const DueLesson& lesson);

    // The button's tooltip and accessible name for the loaded lesson. Before the record is
    // open (it opens after the first frame) the name carries no count, so start-up never
    // waits for the file.
    void refresh(QWidget* button, ToolTips* tips);
    // With no lesson loaded: whether any lesson has something due (the button shows then), its
    // name saying how many. The lesson files are read once a day, and again after a lesson was
    // loaded.
    bool refreshLessons(QWidget* button, ToolTips* tips);

    // With a lesson loaded, starts the drill of the questions due now; with none due, says so
    // once and starts nothing. Without a lesson, offers the lessons with something due. The
    // drill's own random draw gives the order.
    void start(std::int64_t startTime);

    // The due questions of the chain, in chain order, an entry's first-term direction before
    // its second.
    std::vector<PlannedQuestion> dueQuestions();

signals:
    // A lesson of the list was chosen (its file's path bytes).
    void lessonChosen(const std::string& path);

private:
    void setName(QWidget* button, ToolTips* tips, const QString& text);
    void chooseLesson();

    QWidget& window_;
    RecordSession& session_;
    EntryChain& chain_;
    ExerciseRun& run_;
    std::optional<std::vector<DueLesson>> lessons_; // of the day lessonsDay_
    std::int64_t lessonsDay_ = 0;
};
