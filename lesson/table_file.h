#pragma once

#include "lesson_file.h"

#include <cstddef>
#include <optional>
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
// - the first two columns are the two terms, further columns are ignored, rows whose two terms
//   are empty are skipped; every term is tidied by normalizeTerm as a typed term is.
// A row whose terms a lesson cannot hold (a line break, a character Windows-1252 lacks, a
// missing term, a term over kMaxTermBytes) is refused and listed with its number and reason.

enum class TableEncoding { Utf8, Utf8Bom, Utf16Le, Utf16Be, Windows1252 };

struct RefusedRow {
    std::size_t row;    // 1-based, as the spreadsheet numbers it; a "sep=" line is not counted
    std::string reason; // German, UTF-8
};

struct TableReadReport {
    TableEncoding encoding = TableEncoding::Utf8;
    char separator = ';';
    std::size_t rowsTaken = 0;
    std::vector<RefusedRow> refused; // in row order
};

// Appends every row that can be stored to the chain, in file order, telling the listener as
// the lesson reader does (beforePairs, pairRead per entry, afterPairs).
TableReadReport readTableBytes(std::string_view bytes, EntryChain& chain,
                               LessonReadListener* listener = nullptr);
// The same from a file; nothing when it cannot be opened or read.
std::optional<TableReadReport> readTableFile(const std::string& path, EntryChain& chain,
                                             LessonReadListener* listener = nullptr);

// The lesson as a CSV file that spreadsheet programs open in German and English settings:
// UTF-8 with byte-order mark, semicolons, RFC 4180 quoting, CRLF after every row.
std::string tableBytes(const EntryChain& chain);
// Written through replaceFileContents: a failed write leaves the old file as it was.
LessonWriteResult writeTableFile(const std::string& path, const EntryChain& chain);

// Whether a file name names a table by its extension (.csv, .tsv, .txt in any case).
bool isTableFileName(std::string_view path);
// Whether a file named without a choice of type (on the command line) is read as a table: a
// table's name, unless the file begins with a lesson's magic field, as a lesson is known by
// that whatever its name.
bool opensAsTable(const std::string& path);

// What the user is told after reading: how many rows were taken and, for the first
// kListedRefusals refused ones, their numbers and reasons, then how many more. German, UTF-8,
// lines separated by '\n'.
inline constexpr std::size_t kListedRefusals = 10;
std::string tableReportText(const TableReadReport& report);
