#pragma once

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
// A large lesson's rows are most of the window's memory, so a row is 8 bytes and its texts
// lie back to back in blocks; the sort keys exist only while rows are being sorted. A text
// keeps at most kMaxTextBytes bytes (terms have at most 78).
class LessonListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static const std::string kNewEntryText; // " < NEU >"
    static constexpr std::size_t kMaxTextBytes = 255;

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
    void removeRowAt(int row);

    // The texts of a row; valid until the rows change.
    std::string_view firstText(int row) const
    {
        return first(rows_[static_cast<std::size_t>(row)]);
    }
    std::string_view secondText(int row) const
    {
        return second(rows_[static_cast<std::size_t>(row)]);
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
    // Where a row's texts lie: the first text at byte `at` of the blocks (block number times
    // kBlockBytes plus the offset in it), the second text right behind it.
    struct Row {
        std::uint64_t at : 48;
        std::uint64_t firstSize : 8;
        std::uint64_t secondSize : 8;
    };
    static_assert(sizeof(Row) == 8);
    // Text bytes per block; the two texts of a row never straddle two blocks.
    static constexpr std::size_t kBlockBytes = 64 * 1024;

    std::string_view first(Row row) const
    {
        return {blocks_[row.at / kBlockBytes].get() + row.at % kBlockBytes, row.firstSize};
    }
    std::string_view second(Row row) const
    {
        return {blocks_[row.at / kBlockBytes].get() + row.at % kBlockBytes + row.firstSize,
                row.secondSize};
    }
    // Copies a pair's texts into the blocks and returns the row that shows them.
    Row store(std::string_view first, std::string_view second);
    // Drops a row's texts; once dropped texts outweigh the rest, the blocks are rewritten.
    void release(Row row);
    void compactTexts();

    std::size_t sortedBegin() const { return hasNewEntryRow_ ? 1 : 0; }
    // First sorted position after every row whose key is <= key.
    int sortedInsertRow(const std::string& key) const;
    // Sorts rows [from, end) by the keys of their first texts, equal keys keeping their order.
    void sortRowsFrom(std::size_t from);

    std::vector<Row> rows_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t blockUsed_ = kBlockBytes; // bytes used in the last block; full when there is none
    std::size_t liveBytes_ = 0;           // text bytes of the rows there are
    std::size_t droppedBytes_ = 0;        // text bytes of rows removed since the last rewrite
    bool hasNewEntryRow_ = false;
};
