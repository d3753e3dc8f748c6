// Entry editing in the main dialog: what the user typed into the term fields becomes an added,
// changed or deleted entry when it is applied (Enter, paging, picking a row, an exercise start,
// saving); the two list boxes follow the chain.
#include "rudarud_dia.h"

#include "answer_compare.h"
#include "cp1252.h"
#include "led_line.h"
#include "platform.h"

#include <QLineEdit>
#include <QListView>

namespace {

const QString kIncompleteText = QStringLiteral("Es wurde kein zweites Wort eingegeben");
const QString kIncompleteCaption = QStringLiteral("Begriff fehlt");
const QString kDeleteText = QStringLiteral("Soll dieser Eintrag gelöscht werden?");
const QString kDeleteCaption = QStringLiteral("Löschen?");
const QString kChangeText = QStringLiteral("Soll dieser Eintrag geändert werden?");
const QString kChangeCaption = QStringLiteral("Ändern?");

} // namespace

int RudarudDia::exclaim(const QString& text, const QString& caption, Platform::Buttons buttons)
{
    return Platform::instance().messageBox(this, text, caption, buttons,
                                           Platform::Icon::Exclamation);
}

bool RudarudDia::applyEdit()
{
    settings_.take();
    // During an exercise the fields hold a question and an answer, not an edited entry: saving
    // on the way out must not turn a typed answer into the entry's term.
    if (exercise().running()) return true;
    const bool modified1 = term1_->isModified();
    const bool modified2 = term2_->isModified();
    if (!modified1 && !modified2) return true;
    doc_.setUnsaved(true);

    std::string first = fieldText(term1_);
    std::string second = fieldText(term2_);
    if (modified1) normalizeTerm(first);
    if (modified2) normalizeTerm(second);

    EntryChain& chain = doc_.chain();
    strWort* entry = chain.currentEntry;
    if (entry == nullptr) {
        if (!first.empty() && !second.empty()) {
            strWort* const added = chain.append(first, second);
            entryLine_->StepForward();
            lists_.add(added);
        } else if (first.empty() && second.empty()) {
            if (chain.empty()) doc_.setUnsaved(false);
        } else {
            exclaim(kIncompleteText, kIncompleteCaption, Platform::Buttons::Ok);
            // The typed term is dropped if the user now leaves the entry.
            (first.empty() ? term2_ : term1_)->setModified(false);
            return false;
        }
    } else if (first.empty() || second.empty()) {
        if (exclaim(kDeleteText, kDeleteCaption, Platform::Buttons::YesNo) == Platform::IdYes) {
            lists_.remove(entry);
            delete entry; // moves currentEntry on
            entryLine_->StepBack();
            if (chain.empty()) {
                doc_.setUnsaved(false);
                entryLine_->StartRunning();
            }
        }
    } else if (exclaim(kChangeText, kChangeCaption, Platform::Buttons::YesNo) == Platform::IdYes) {
        // Out of the lists while it changes: its new first term may sort elsewhere.
        lists_.remove(entry);
        entry->term1 = first;
        entry->term2 = second;
        lists_.add(entry);
    }
    showEntry(chain.currentEntry);
    updateStatus();
    return true;
}

void RudarudDia::rowPicked(QListView* list)
{
    if (exercise().running()) return;
    if (!applyEdit()) return;
    // applyEdit may itself have moved the selection: read it afterwards.
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    if (selected.isEmpty()) return;
    EntryChain& chain = doc_.chain();
    chain.currentEntry = lists_.model().entryAt(selected.first().row()); // row 0: new entry, null
    showEntry(chain.currentEntry);
}
