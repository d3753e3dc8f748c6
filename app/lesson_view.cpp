// The lesson view of the main dialog: one entry in the term fields, paging through the chain,
// and the title, status line and control visibility that follow the state.
#include "rudarud_dia.h"

#include "learning_view.h"

#include "bmp_button.h"
#include "cp1252.h"
#include "led_line.h"
#include "led_window.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>

namespace {

constexpr int kSaveBlinkPeriodMs = 800;
// The selected row is shown as the fourth visible one.
constexpr int kRowsAboveSelection = 3;

} // namespace

void RudarudDia::showEntry(strWort* entry)
{
    if (entry == nullptr) {
        VokTransBuf::setText(transferBuf_->term1Text, "");
        VokTransBuf::setText(transferBuf_->term2Text, "");
        term1_->setFocus();
        selectListRow(0);
        term1_->setText(QString());
        term2_->setText(QString());
        return;
    }
    const QueryMode mode = exercise().queryMode();
    if (mode == QueryMode::ModeEdit) {
        VokTransBuf::setText(transferBuf_->term1Text, entry->term1);
        VokTransBuf::setText(transferBuf_->term2Text, entry->term2);
        selectListRow(model_.rowOf(entry));
        term1_->setFocus();
    } else {
        // The exercise has given the entry its direction before it asks it.
        VokTransBuf::setText(transferBuf_->term1Text, questionTerm(*entry));
        VokTransBuf::setText(transferBuf_->term2Text, "");
        term2_->setFocus();
    }
    term1_->setText(fromCp1252(VokTransBuf::text(transferBuf_->term1Text)));
    term2_->setText(fromCp1252(VokTransBuf::text(transferBuf_->term2Text)));
}

void RudarudDia::showQuestion(const std::string& question)
{
    VokTransBuf::setText(transferBuf_->term1Text, question);
    VokTransBuf::setText(transferBuf_->term2Text, "");
    term2_->setFocus();
    term1_->setText(fromCp1252(VokTransBuf::text(transferBuf_->term1Text)));
    term2_->setText(QString());
}

void RudarudDia::selectListRow(int row)
{
    const SelectionSync sync(syncingSelection_);
    for (QListView* l : {list1_, list2_}) {
        if (row < 0 || row >= model_.rowCount()) {
            l->clearSelection();
            continue;
        }
        const QModelIndex index = l->model()->index(row, 0);
        l->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        if (row >= kRowsAboveSelection)
            l->scrollTo(l->model()->index(row - kRowsAboveSelection, 0),
                        QAbstractItemView::PositionAtTop);
        else
            l->scrollTo(index);
    }
}

void RudarudDia::pageForward()
{
    if (!applyEdit()) return;
    chain_.currentEntry = chain_.currentEntry ? chain_.currentEntry->next : chain_.firstEntry();
    showEntry(chain_.currentEntry);
}

void RudarudDia::pageBack()
{
    if (!applyEdit()) return;
    chain_.currentEntry = chain_.currentEntry ? chain_.currentEntry->prev : chain_.lastEntry();
    showEntry(chain_.currentEntry);
}

QString RudarudDia::windowTitleText() const
{
    return QString::fromLatin1(kProgramCaption) + QStringLiteral("Lektion: ") +
           (doc_.displayName().empty() ? QStringLiteral("NEU")
                                       : QString::fromStdString(doc_.displayName()));
}

void RudarudDia::updateStatus()
{
    auto show = [this](std::initializer_list<int> ids, bool visible) {
        for (int id : ids)
            button(id)->setVisible(visible);
    };
    show({IdHelp, IdResultsLog}, true);
    window()->setWindowTitle(windowTitleText());

    const bool exercising = exercise().running();
    exerciseView_->showExerciseDisplays(exercising);
    if (exercising) {
        list1_->hide();
        list2_->hide();
        show({IdLoad, IdPageForward, IdPageBack, IdNewLesson, IdSave}, false);
        button(IdSave)->StopBlink();
        show({IdNormalQuery, IdReversedQuery, IdMixedQuery, IdDueQuery}, false);
        show({IdAbort}, true);
    } else {
        list1_->show();
        list2_->show();
        QString text = QStringLiteral("Lektion enthält ");
        if (chain_.entryCount() > 0) {
            text += QStringLiteral("%1 Aufgaben").arg(chain_.entryCount());
            learning_->dueDrill().refresh(button(IdDueQuery), toolTips_);
            show({IdLoad, IdAbort}, false);
            show({IdNormalQuery, IdReversedQuery, IdMixedQuery, IdDueQuery, IdPageForward,
                  IdPageBack, IdNewLesson},
                 true);
            if (doc_.unsaved()) {
                show({IdSave}, true);
                button(IdSave)->StartBlink(kSaveBlinkPeriodMs);
            } else {
                show({IdSave}, false);
                button(IdSave)->StopBlink();
            }
        } else {
            text += QStringLiteral("keine Aufgaben");
            show({IdPageForward, IdPageBack, IdNewLesson, IdSave}, false);
            button(IdSave)->StopBlink();
            show({IdNormalQuery, IdReversedQuery, IdMixedQuery, IdDueQuery, IdAbort}, false);
            show({IdLoad}, true);
        }
        if (doc_.unsaved()) text += QStringLiteral(" (ungesichert)");
        entryLine_->setAccessibleName(chain_.entryCount() > 0
                                          ? QStringLiteral("%1 Aufgaben").arg(chain_.entryCount())
                                          : QStringLiteral("keine Aufgaben"));
        status_->setText(text);
    }
}

void RudarudDia::refreshStatus()
{
    updateStatus();
    // Repaint now; what the user types meanwhile waits for the main loop.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
