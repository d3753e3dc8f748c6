#pragma once

#include "lesson_file.h"
#include "table_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class EntryChain;

// Word lists from other vocabulary programs, taken by the rules of a spreadsheet table
// (appendTermPairs): every pair a lesson can hold is appended, every other one is refused with
// its place and reason, every tidied term is listed, and a file over the limits is refused as a
// whole (TooLarge, nothing appended).
//
// - KVTML (KDE's trainers; version 2 and the older version 1): the first two languages of the
//   file (its first two identifiers, else the translations 0 and 1) of each entry; entries in
//   the order of the file's lessons, lessons nested as they are nested, then the entries that
//   no lesson holds. An entry with more translations gives its first two and is counted.
//   Place: the entry's position in the file ("Eintrag").
// - Pauker (.pau.gz, .pau): front and reverse side of each card of every batch, in file order.
//   Place: the card's position ("Karte").
// - Text as Anki exports notes and Quizlet a set: one note a line, its fields separated by a tab
//   (or what a "#separator:" header line names). Anki's header lines are honoured: the
//   separator, "#html:true" (tags dropped, line-breaking tags a blank, character references
//   decoded), and the guid, notetype, deck and tags columns left out; with a header, fields may
//   be quoted as in CSV. Sound references ([sound:…]) and pictures (<img>) are left out and
//   counted. Place: the line a note begins on ("Zeile").
//
// XML is read with expat, which never loads anything from outside the file: a file that
// declares entities, nests deeper than kMaxXmlDepth or is not well-formed is refused as
// WrongFormat with the reason.

enum class ForeignFormat { None, Kvtml, Pauker, Text };

// Elements nested deeper than this are no word list's; the file is refused.
inline constexpr int kMaxXmlDepth = 64;
// Bytes of such a file (after unpacking) an entry may stand for: XML spends about 150 on one.
inline constexpr std::uint64_t kForeignBytesPerEntry = 256;

struct ForeignReadReport {
    ForeignFormat format = ForeignFormat::None;
    // result: NotOpened, TooLarge (nothing appended), WrongFormat (nothing appended, reason
    // says why) or Read; its refused and tidied rows are the pairs by their place.
    TableReadReport table;
    std::string reason;               // German, UTF-8; for WrongFormat
    std::size_t pairsInFile = 0;      // entries, cards or notes the file holds
    std::size_t moreTranslations = 0; // KVTML entries with more than two translations
    bool readAsWindows1252 = false;   // the XML said UTF-8 but was none
    std::size_t mediaLeftOut = 0;     // sound and picture references left out of terms
};

// The format of a file's bytes: gzip (Pauker), XML with a <kvtml> or <Lesson> root, else Text.
ForeignFormat detectForeignFormat(std::string_view bytes);
ForeignReadReport readForeignBytes(std::string_view bytes, EntryChain& chain,
                                   LessonReadListener* listener = nullptr,
                                   const LessonReadLimits& limits = {});
// From a file, through the safe open; a gzip file is unpacked no further than the byte limit
// (a file that unpacks to more is TooLarge).
ForeignReadReport readForeignFile(const std::string& path, EntryChain& chain,
                                  LessonReadListener* listener = nullptr,
                                  const LessonReadLimits& limits = {});
// The bytes such a file may have, unpacked, under the limits.
std::uint64_t foreignByteLimit(const LessonReadLimits& limits = {});

// Why such a file was refused as TooLarge, after the lessons' "zu groß" message: the limits.
std::string foreignLimitText(const LessonReadLimits& limits = {});

// Whether a name on the command line names such a file: .kvtml, .pau, .pau.gz (any case), or a
// .txt file that begins with an Anki header line ("#separator:", "#html:", "#columns:", ...).
bool opensAsForeign(const std::string& path);

// What the user is told after reading: entries taken, the refused ones listed by place and
// reason, the tidied terms as before and after, and what was left out. German, UTF-8, lines
// separated by '\n'.
std::string foreignReportText(const ForeignReadReport& report);
