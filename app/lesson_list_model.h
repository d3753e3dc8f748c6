#pragma once

#include <QAbstractTableModel>

#include <string>
#include <string_view>
#include <vector>

class strWort;

// The rows of the two lesson list boxes: column 0 (first terms) is what the first list shows,
// column 1 (second terms) what the second list shows, so row k of both lists is one entry.
// A row is the entry itself: the texts are the entry's terms (Windows-1252 bytes), read from
// the chain when a row is shown, and a row leads to its own entry also where other entries
// have the same terms. An entry must keep its row only while it lives: it is removed before
// the entry is deleted, and before its first term changes.
//
// Row 0 is always the new-entry row " < NEU >" when present: it is pinned at the top rather
// than sorted, so no term can sort in front of it. The other rows are kept sorted by their
// first term (sortByFirstTerm: German dictionary order, case ignored); a row whose first term
// sorts equal to existing rows goes after them.
class LessonListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static const std::string kNewEntryText; // " < NEU >"

    explicit LessonListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Removes every row, the new-entry row included.
    void clear();
    // Puts the new-entry row at the top (once). Returns its row, 0.
    int addNewEntryRow();
    // Inserts an entry's row at its sorted place and returns that row.
    int addEntry(strWort* entry);
    // Many entries at once, as reading a lesson adds them: the result is the same as adding
    // each with addEntry in order, but sorted once, in O(n log n), with one model reset.
    void addEntries(const std::vector<strWort*>& entries);
    void removeRowAt(int row);

    // The entry a row shows; null for the new-entry row and for rows there are not.
    strWort* entryAt(int row) const;
    // The row that shows an entry; -1 if none does.
    int rowOf(const strWort* entry) const;
    // The texts of a row; valid until the entry changes.
    std::string_view firstText(int row) const;
    std::string_view secondText(int row) const;

private:
    std::size_t sortedBegin() const { return hasNewEntryRow_ ? 1 : 0; }

    std::vector<strWort*> rows_; // row 0 null when it is the new-entry row
    bool hasNewEntryRow_ = false;
};
