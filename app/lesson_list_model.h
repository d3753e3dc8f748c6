#pragma once

#include "pair_rows.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The rows of the two lesson list boxes: column 0 (first terms) is what the first list shows,
// column 1 (second terms) what the second list shows, so row k of both lists is one entry.
// Texts are the terms' Windows-1252 bytes; they become QStrings only for the rows on screen.
//
// Row 0 is always the new-entry row " < NEU >" when present: it is pinned at the top rather
// than sorted, so no term can sort in front of it. The other rows are kept sorted by their
// first term (termSortKey: German dictionary order, case ignored); a row whose first term
// sorts equal to existing rows goes after them. Lookups by text are exact byte comparisons.
//
// The rows themselves are PairRows; a text keeps at most kMaxTextBytes bytes.
class LessonListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static const std::string kNewEntryText; // " < NEU >"
    static constexpr std::size_t kMaxTextBytes = PairRows::kMaxTextBytes;

    explicit LessonListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Removes every row, the new-entry row included.
    void clear();
    // Puts the new-entry row at the top (once). Returns its row, 0.
    int addNewEntryRow();
    // Inserts a pair at its sorted place and returns that row.
    int addPair(std::string_view first, std::string_view second);
    // Many pairs at once, as reading a lesson adds them: the result is the same as adding each
    // with addPair in order, but sorted once, in O(n log n), with one model reset. nextPair is
    // called count times and gives the pairs in order; its texts are copied.
    using PairSource = std::function<std::pair<std::string_view, std::string_view>()>;
    void addPairs(std::size_t count, const PairSource& nextPair);
    // The same for rows built and sorted beforehand (PairRows::sortFrom(0)), as if their pairs
    // were added in row order; takes their storage when only the new-entry row is here.
    void addSortedRows(PairRows&& sorted);
    void removeRowAt(int row);

    // The texts of a row; valid until the rows change.
    std::string_view firstText(int row) const { return rows_.first(static_cast<std::size_t>(row)); }
    std::string_view secondText(int row) const
    {
        return rows_.second(static_cast<std::size_t>(row));
    }

    // First row from the top whose first (or second) text equals text exactly; -1 if none.
    int findFirst(std::string_view text) const;
    int findSecond(std::string_view text) const;

    // The row that shows an entry with these terms, where duplicates of the first term pair up
    // row by row: r1 = first row with the first term; r2 = first row after r1 (wrapping to the
    // top) with the second term; r2 when r1 < r2 and r2 also has the first term, else r1.
    int rowOfEntry(std::string_view first, std::string_view second) const;
    // The row that removing a pair deletes: the larger of the first matches of either term.
    int rowToRemove(std::string_view first, std::string_view second) const;

private:
    std::size_t sortedBegin() const { return hasNewEntryRow_ ? 1 : 0; }

    PairRows rows_;
    bool hasNewEntryRow_ = false;
};
