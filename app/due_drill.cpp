#include "due_drill.h"

#include "entry_chain.h"
#include "exercise_run.h"
#include "learning_view.h"
#include "platform.h"
#include "query_mode.h"
#include "tool_tips.h"

#include <QWidget>

namespace {

const QString kCaption = QStringLiteral("Fällige Abfrage");

} // namespace

DueDrill::DueDrill(QWidget& window, LearningKeeper& learning, EntryChain& chain, ExerciseRun& run)
    : window_(window), learning_(learning), chain_(chain), run_(run)
{}

QString DueDrill::label(std::size_t due)
{
    return QStringLiteral("%1: %2 fällig").arg(kCaption).arg(due);
}

void DueDrill::refresh(QWidget* button, ToolTips* tips)
{
    if (button == nullptr) return;
    const QString text =
        learning_.opened()
            ? label(learning_.record().dueCount(learning_.lessonTerms(), LearningKeeper::now()))
            : kCaption;
    if (button->accessibleName() == text) return;
    button->setAccessibleName(text);
    button->setAccessibleDescription(text);
    if (tips != nullptr) tips->addTool(button, text);
}

std::vector<PlannedQuestion> DueDrill::dueQuestions()
{
    std::vector<strWort*> entries;
    entries.reserve(chain_.entryCount());
    for (strWort* e = chain_.firstEntry(); e != nullptr; e = e->next)
        entries.push_back(e);
    std::vector<PlannedQuestion> questions;
    for (const DueItem& item :
         learning_.record().dueItems(learning_.lessonTerms(), LearningKeeper::now())) {
        if (item.index >= entries.size()) continue;
        questions.push_back(
            PlannedQuestion{entries[item.index], item.direction == AskedDirection::SecondTermShown
                                                     ? kSecondTermShown
                                                     : kFirstTermShown});
    }
    return questions;
}

void DueDrill::start(std::int64_t startTime)
{
    if (run_.running() || chain_.entryCount() == 0) return;
    std::vector<PlannedQuestion> questions = dueQuestions();
    if (questions.empty()) {
        Platform::instance().messageBox(&window_, QStringLiteral("Heute ist nichts fällig."),
                                        kCaption, Platform::Buttons::Ok,
                                        Platform::Icon::Information);
        return;
    }
    run_.startPlanned(std::move(questions), startTime);
}
