#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include <QByteArray>
#include <QDate>
#include <QString>

class EntryChain;

// A lesson on paper, as PDF (A4, Qt's PDF writer, the fonts embedded):
// - the word list: both terms in two columns, sorted by the first term as the lists show them;
// - the test sheet: the first term of each entry in random order, numbered, with a line to
//   write the answer beside it, and from a new page on the answers under the same numbers.
// Every page names the lesson and the date at the top and counts the pages at the bottom.
// A term too wide for its column wraps within it; nothing is cut.
enum class PaperKind { WordList, TestSheet };

struct PaperHeading {
    QString lessonName; // as the title shows it
    QDate date;
};

QByteArray lessonPdf(const EntryChain& chain, PaperKind kind, const PaperHeading& heading,
                     std::uint64_t seed = 0);
// Written through replaceFileContents: a failed write leaves the old file as it was (errno
// tells why).
bool writeLessonPdf(const std::string& path, const EntryChain& chain, PaperKind kind,
                    const PaperHeading& heading, std::uint64_t seed = 0);

// "--convert IN OUT.pdf": IN read as --convert reads it, written as the word list, the lesson
// named after IN's file, dated today. Exit status as convertLessonFile's.
int convertToPdf(const std::string& in, const std::string& out, std::ostream& err);
// Whether a name ends in .pdf (any case).
bool isPdfFileName(const std::string& path);
