#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The rows of the lesson lists without the window: each row two texts (Windows-1252 bytes),
// the first term and the second. Plain data: a lesson being read collects its rows here as its
// entries arrive, sorts them once and hands them to the list model.
//
// A large lesson's rows are most of the window's memory, so a row is 8 bytes and its texts lie
// back to back in blocks; sort keys exist only while rows are being sorted. A text keeps at
// most kMaxTextBytes bytes (terms have at most 78).
class PairRows {
public:
    static constexpr std::size_t kMaxTextBytes = 255;

    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    std::string_view first(std::size_t row) const { return first(rows_[row]); }
    std::string_view second(std::size_t row) const { return second(rows_[row]); }

    void clear();
    void reserve(std::size_t rows) { rows_.reserve(rows); }
    // Copies the texts into a new row at `at` (0..size()).
    void insert(std::size_t at, std::string_view first, std::string_view second);
    void append(std::string_view first, std::string_view second) { insert(size(), first, second); }
    void erase(std::size_t at);

    // Rows [from, size()) by the keys of their first texts (termSortKey: German dictionary
    // order, case ignored); rows with equal keys keep their order.
    void sortFrom(std::size_t from);
    // First position in [from, size()) whose first text's key is greater than key; the rows
    // there must be sorted.
    std::size_t upperBound(std::size_t from, const std::string& key) const;

    // First row from the top whose first (or second) text equals text exactly; -1 if none.
    int findFirst(std::string_view text) const;
    int findSecond(std::string_view text) const;

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

    const char* text(Row row) const
    {
        return blocks_[row.at / kBlockBytes].get() + row.at % kBlockBytes;
    }
    std::string_view first(Row row) const { return {text(row), row.firstSize}; }
    std::string_view second(Row row) const { return {text(row) + row.firstSize, row.secondSize}; }
    // Copies a pair's texts into the blocks and returns the row that shows them.
    Row store(std::string_view first, std::string_view second);
    // Drops a row's texts; once dropped texts outweigh the rest, the blocks are rewritten.
    void release(Row row);
    void compactTexts();
    // No texts and no memory for them.
    void resetTexts();

    std::vector<Row> rows_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t blockUsed_ = kBlockBytes; // bytes used in the last block; full when there is none
    std::size_t liveBytes_ = 0;           // text bytes of the rows there are
    std::size_t droppedBytes_ = 0;        // text bytes of rows removed since the last rewrite
};
