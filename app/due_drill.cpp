#include "due_drill.h"

#include "box_rule.h"
#include "entry_chain.h"
#include "exercise_run.h"
#include "platform.h"
#include "query_mode.h"
#include "record_session.h"
#include "record_terms.h"
#include "tool_tips.h"

#include <filesystem>

#include <QFile>
#include <QStringList>
#include <QWidget>

namespace {

const QString kCaption = QStringLiteral("Fällige Abfrage");
constexpr std::size_t kMostLessonsListed = 20;

} // namespace

DueDrill::DueDrill(QWidget& window, RecordSession& session, EntryChain& chain, ExerciseRun& run)
    : QObject(&window), window_(window), session_(session), chain_(chain), run_(run)
{}

QString DueDrill::label(std::size_t due)
{
    return QStringLiteral("%1: %2 fällig").arg(kCaption).arg(due);
}

QString DueDrill::lessonsLabel(std::size_t lessons)
{
    return QStringLiteral("%1: %2 %3 fällig")
        .arg(kCaption)
        .arg(lessons)
        .arg(lessons == 1 ? QStringLiteral("Lektion") : QStringLiteral("Lektionen"));
}

QString DueDrill::lessonItem(const DueLesson& lesson)
{
    const std::filesystem::path path(lesson.path);
    return QStringLiteral("%1: %2 fällig (in %3)")
        .arg(QFile::decodeName(QByteArray::fromStdString(path.filename().string())))
        .arg(lesson.due)
        .arg(QFile::decodeName(QByteArray::fromStdString(path.parent_path().string())));
}

void DueDrill::setName(QWidget* button, ToolTips* tips, const QString& text)
{
    if (button == nullptr || button->accessibleName() == text) return;
    button->setAccessibleName(text);
    button->setAccessibleDescription(text);
    if (tips != nullptr) tips->addTool(button, text);
}

void DueDrill::refresh(QWidget* button, ToolTips* tips)
{
    lessons_.reset(); // a drill of this lesson changes what is due
    setName(button, tips,
            session_.opened()
                ? label(session_.record().dueCount(lessonTerms(chain_), RecordSession::now()))
                : kCaption);
}

bool DueDrill::refreshLessons(QWidget* button, ToolTips* tips)
{
    if (!session_.opened()) return false; // start-up does not wait for the record
    const std::int64_t now = RecordSession::now();
    if (!lessons_ || lessonsDay_ != localDayNumber(now)) {
        lessons_ = dueLessons(session_.record(), now, kMostLessonsListed);
        lessonsDay_ = localDayNumber(now);
    }
    if (lessons_->empty()) return false;
    setName(button, tips, lessonsLabel(lessons_->size()));
    return true;
}

std::vector<PlannedQuestion> DueDrill::dueQuestions()
{
    std::vector<strWort*> entries;
    entries.reserve(chain_.entryCount());
    for (strWort* e = chain_.firstEntry(); e != nullptr; e = e->next)
        entries.push_back(e);
    std::vector<PlannedQuestion> questions;
    for (const DueItem& item :
         session_.record().dueItems(lessonTerms(chain_), RecordSession::now())) {
        if (item.index >= entries.size()) continue;
        questions.push_back(PlannedQuestion{entries[item.index], shownTerm(item.direction)});
    }
    return questions;
}

void DueDrill::start(std::int64_t startTime)
{
    if (run_.running()) return;
    if (chain_.entryCount() == 0) {
        chooseLesson();
        return;
    }
    std::vector<PlannedQuestion> questions = dueQuestions();
    if (questions.empty()) {
        Platform::instance().messageBox(&window_, QStringLiteral("Heute ist nichts fällig."),
                                        kCaption, Platform::Buttons::Ok,
                                        Platform::Icon::Information);
        return;
    }
    run_.startPlanned(std::move(questions), startTime);
}

void DueDrill::chooseLesson()
{
    if (!lessons_ || lessons_->empty()) return; // the button shows only with a list
    QStringList items;
    for (const DueLesson& lesson : *lessons_)
        items << lessonItem(lesson);
    const int chosen = Platform::instance().chooseItem(
        &window_, kCaption, QStringLiteral("Welche Lektion soll abgefragt werden?"), items, 0);
    if (chosen < 0 || chosen >= static_cast<int>(lessons_->size())) return;
    const std::string path = (*lessons_)[static_cast<std::size_t>(chosen)].path;
    lessons_.reset(); // read again should the file no longer load
    emit lessonChosen(path);
}
