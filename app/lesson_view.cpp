// The lesson view of the main dialog: one entry in the term fields, paging through the chain,
// and the title, status line and control visibility that follow the state.
#include "rudarud_dia.h"

#include "read_aloud.h"

#include "due_drill.h"

#include "bmp_button.h"
#include "control_accessibles.h"
#include "cp1252.h"
#include "led_line.h"
#include "led_window.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>

namespace {

constexpr int kSaveBlinkPeriodMs = 800;

} // namespace

void RudarudDia::showEntry(strWort* entry)
{
    VokTransBuf& buffer = settings_.buffer();
    if (entry == nullptr) {
        VokTransBuf::setText(buffer.term1Text, "");
        VokTransBuf::setText(buffer.term2Text, "");
        term1_->setFocus();
        lists_.select(0);
        term1_->setText(QString());
        term2_->setText(QString());
        return;
    }
    const QueryMode mode = exercise().queryMode();
    if (mode == QueryMode::ModeEdit) {
        VokTransBuf::setText(buffer.term1Text, entry->term1);
        VokTransBuf::setText(buffer.term2Text, entry->term2);
        lists_.select(lists_.model().rowOf(entry));
        term1_->setFocus();
    } else {
        // The exercise has given the entry its direction before it asks it.
        VokTransBuf::setText(buffer.term1Text, questionTerm(*entry));
        VokTransBuf::setText(buffer.term2Text, "");
        term2_->setFocus();
    }
    term1_->setText(fromCp1252(VokTransBuf::text(buffer.term1Text)));
    term2_->setText(fromCp1252(VokTransBuf::text(buffer.term2Text)));
}

void RudarudDia::showQuestion(const std::string& question)
{
    VokTransBuf& buffer = settings_.buffer();
    VokTransBuf::setText(buffer.term1Text, question);
    VokTransBuf::setText(buffer.term2Text, "");
    term2_->setFocus();
    term1_->setText(fromCp1252(VokTransBuf::text(buffer.term1Text)));
    term2_->setText(QString());
}

void RudarudDia::pageForward()
{
    if (!applyEdit()) return;
    EntryChain& chain = doc_.chain();
    chain.currentEntry = chain.currentEntry ? chain.currentEntry->next : chain.firstEntry();
    showPagedEntry();
}

void RudarudDia::pageBack()
{
    if (!applyEdit()) return;
    EntryChain& chain = doc_.chain();
    chain.currentEntry = chain.currentEntry ? chain.currentEntry->prev : chain.lastEntry();
    showPagedEntry();
}

// A screen reader reads a field's new text only where its caret moves, which it does not when
// the new term is as long as the old one: the term paged to is told in any case, and the first
// field's own text events are not, else the term is heard twice ("Haus. Haus").
void RudarudDia::showPagedEntry()
{
    const strWort* entry = doc_.chain().currentEntry;
    muteTextEvents(term1_, true);
    showEntry(doc_.chain().currentEntry);
    muteTextEvents(term1_, false);
    exerciseView_->announce(entry ? fromCp1252(entry->term1) : QStringLiteral("< NEU >"));
}

QString RudarudDia::windowTitleText() const
{
    return QString::fromLatin1(kProgramCaption) + QStringLiteral("Lektion: ") +
           (doc_.displayName().empty() ? QStringLiteral("NEU")
                                       : QString::fromStdString(doc_.displayName()));
}

void RudarudDia::updateStatus()
{
    showState(doc_.chain().entryCount());
}

void RudarudDia::showState(std::uint32_t count)
{
    auto show = [this](std::initializer_list<int> ids, bool visible) {
        for (int id : ids)
            button(id)->setVisible(visible);
    };
    show({IdHelp, IdResultsLog, IdLearningChart}, true);
    readAloud_->refresh();
    window()->setWindowTitle(windowTitleText());

    const bool exercising = exercise().running();
    exerciseView_->showExerciseDisplays(exercising);
    if (exercising) {
        lists_.setVisible(false);
        show({IdLoad, IdPageForward, IdPageBack, IdNewLesson, IdSave}, false);
        button(IdSave)->StopBlink();
        show({IdNormalQuery, IdReversedQuery, IdMixedQuery, IdDueQuery}, false);
        show({IdAbort}, true);
    } else {
        lists_.setVisible(true);
        const QString tasks =
            count > 0 ? QStringLiteral("%1 Aufgaben").arg(count) : QStringLiteral("keine Aufgaben");
        if (count > 0) {
            dueDrill_->refresh(button(IdDueQuery), toolTips_);
            show({IdLoad, IdAbort}, false);
            show({IdNormalQuery, IdReversedQuery, IdMixedQuery, IdDueQuery, IdPageForward,
                  IdPageBack, IdNewLesson},
                 true);
            show({IdSave}, doc_.unsaved());
            if (doc_.unsaved())
                button(IdSave)->StartBlink(kSaveBlinkPeriodMs);
            else
                button(IdSave)->StopBlink();
        } else {
            show({IdPageForward, IdPageBack, IdNewLesson, IdSave}, false);
            button(IdSave)->StopBlink();
            show({IdNormalQuery, IdReversedQuery, IdMixedQuery, IdDueQuery, IdAbort}, false);
            show({IdLoad}, true);
            show({IdDueQuery}, dueDrill_->refreshLessons(button(IdDueQuery), toolTips_));
        }
        entryLine_->setAccessibleName(tasks);
        const QString status = QStringLiteral("Lektion enthält ") + tasks +
                               (doc_.unsaved() ? QStringLiteral(" (ungesichert)") : QString());
        // A change is told to a screen reader: the status line shows what an edit did. (Its
        // first text, as the window is made, is no change.)
        if (status != status_->text() && !status_->text().isEmpty())
            exerciseView_->announce(status);
        status_->setText(status);
    }
}
