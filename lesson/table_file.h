#pragma once

#include "lesson_file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class EntryChain;

// Word lists from and to spreadsheet programs (CSV and TSV files).
//
// Reading takes what such programs actually write and never drops a row without saying so:
// - encoding: UTF-8 with or without byte-order mark, UTF-16 LE or BE with byte-order mark,
//   anything else (not valid UTF-8) as Windows-1252;
// - separator: a first line "sep=X" sets it and is no data; otherwise tab, semicolon or comma,
//   whichever occurs outside quotes on most of the first lines (ties in that order);
// - RFC 4180 quoting: quoted separators, doubled quotes; a record may span lines inside quotes;
//   a quote never closed refuses the line it opened on, and reading goes on on the next line;
// - a cell that is the formula ="text" (as the export writes terms a spreadsheet would take
//   for a formula, and as spreadsheets keep leading zeros) is read as that text;
// - the first two columns are the two terms, further columns are ignored, rows whose two terms
//   are empty are skipped; every term is tidied by normalizeTerm as a typed term is, and each
//   cell of a taken row that this changed is reported.
// A row whose terms a lesson cannot hold (a line break, a character Windows-1252 lacks, a
// missing term, a term over kMaxTermBytes) is refused and listed with its number and reason.
// A table may have as many rows as a lesson may have entries (LessonReadLimits), and
// kMaxTableEntries at most; with more, or with more bytes than that many entries could fill
// (kTableBytesPerEntry each), it is refused as a whole: TooLarge, and the chain keeps what it
// held.

enum class TableEncoding { Utf8, Utf8Bom, Utf16Le, Utf16Be, Windows1252 };

// The most rows a table may have (taken, refused and empty ones alike), whatever memory allows:
// the window is busy while a table is read, for about 2 to 8 seconds at this many (with
// accessibility on), against 20 to 30 at the 25 million a large machine's memory would allow.
inline constexpr std::uint64_t kMaxTableEntries = 2'000'000;
// Bytes of table an entry may stand for: beyond tableEntryLimit times this, a table is refused
// before it is read on. A row of two short terms takes about 20; the rest leaves room for
// further columns.
inline constexpr std::uint64_t kTableBytesPerEntry = 64;
// Listed in the report (and in tableReportText) of each kind; the others are only counted.
inline constexpr std::size_t kListedRefusals = 10;

struct RefusedRow {
    std::size_t row;    // 1-based, as the spreadsheet numbers it; a "sep=" line is not counted
    std::string reason; // German, UTF-8
};

// A cell that tidying changed: as the table held it, and as the lesson keeps it (UTF-8).
struct TidiedCell {
    std::size_t row;
    std::string before;
    std::string after;
};

struct TableReadReport {
    // NotOpened (readTableFile only), TooLarge (nothing appended) or Read.
    LessonReadResult result = LessonReadResult::Read;
    TableEncoding encoding = TableEncoding::Utf8;
    char separator = ';';
    std::size_t rowsTaken = 0;
    std::size_t refusedRows = 0;
    std::vector<RefusedRow> refused; // the first kListedRefusals, in row order
    std::size_t tidiedCells = 0;
    std::vector<TidiedCell> tidied; // the first kListedRefusals, in file order
};

// Appends every row that can be stored to the chain, in file order, telling the listener as
// the lesson reader does (beforePairs, pairRead per entry, then afterPairs, or readAbandoned
// when the table proved too large).
TableReadReport readTableBytes(std::string_view bytes, EntryChain& chain,
                               LessonReadListener* listener = nullptr,
                               const LessonReadLimits& limits = {});
// Two terms as another program's file held them (UTF-8), and where: the number its report
// gives (an entry's, a card's or a line's).
struct ImportedPair {
    std::size_t place;
    std::array<std::string, 2> terms;
};
// Takes the pairs in order by the rules of a table's rows: tidied, judged, refused with a
// reason or appended (the terms are moved out); a pair whose two terms are empty is refused.
// More pairs than tableEntryLimit, or memory running out, is TooLarge with nothing appended.
// The report counts pairs as rows, each by its place.
TableReadReport appendTermPairs(std::span<ImportedPair> pairs, EntryChain& chain,
                                LessonReadListener* listener = nullptr,
                                const LessonReadLimits& limits = {});
// The bytes of a file to import (a table or another trainer's file), read whole into bytes
// through openFileForReading (a FIFO or a folder is NotOpened without waiting, as is a read
// error). TooLarge: more than maxBytes (a device that never ends is read one chunk past the
// limit), or memory ran out. Read otherwise.
LessonReadResult readImportFile(const std::string& path, std::uint64_t maxBytes,
                                std::string& bytes);
// The rows one table may have under the limits: the lessons' entry limit, at most
// kMaxTableEntries.
std::uint64_t tableEntryLimit(const LessonReadLimits& limits);
// The same from a file, opened as a lesson file is (a FIFO or a folder is NotOpened without
// waiting); a device that never ends is read no further than the byte limit.
TableReadReport readTableFile(const std::string& path, EntryChain& chain,
                              LessonReadListener* listener = nullptr,
                              const LessonReadLimits& limits = {});

// The lesson as a CSV file that spreadsheet programs open in German and English settings:
// UTF-8 with byte-order mark, semicolons, RFC 4180 quoting, CRLF after every row. A term that
// begins with = + - @ or a tab or line break, which spreadsheets would evaluate, is written as
// the formula ="term", which shows the term itself; the reader takes it back.
std::string tableBytes(const EntryChain& chain);
// Written through replaceFileContents: a failed write leaves the old file as it was.
LessonWriteResult writeTableFile(const std::string& path, const EntryChain& chain);

// Whether a file name names a table by its extension (.csv, .tsv, .txt in any case).
bool isTableFileName(std::string_view path);
// Whether a file named without a choice of type (on the command line) is read as a table: a
// table's name, unless the file begins with a lesson's magic field, as a lesson is known by
// that whatever its name.
bool opensAsTable(const std::string& path);

// What the user is told after reading: how many rows were taken; the listed refused rows with
// their numbers and reasons, then how many more; the listed tidied cells as row, before and
// after, then how many more. German, UTF-8, lines separated by '\n'.
std::string tableReportText(const TableReadReport& report);
// Why a table was refused as TooLarge, after the lessons' "zu groß" message: the row limit.
std::string tableLimitText(const LessonReadLimits& limits = {});
