#include "table_convert.h"

#include "entry_chain.h"
#include "foreign_file.h"
#include "lesson_file.h"
#include "table_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>
#include <system_error>

namespace {

bool isCsvName(const std::string& path)
{
    if (!isTableFileName(path)) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".csv";
}

// Whether both names lead to one file (the same device and inode, through links too). The
// writer replaces the output: the input's rows that were not taken would be lost.
bool sameFile(const std::string& in, const std::string& out)
{
    std::error_code error;
    return std::filesystem::equivalent(in, out, error);
}

// A report's lines on err, each naming the input.
void listLines(const std::string& in, const std::string& text, std::ostream& err)
{
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t end = std::min(text.find('\n', from), text.size());
        err << in << ": " << std::string_view(text).substr(from, end - from) << "\n";
        from = end + 1;
    }
}

// The window's report of refused rows and tidied cells.
void listReport(const std::string& in, const TableReadReport& report, std::ostream& err)
{
    if (report.refusedRows == 0 && report.tidiedCells == 0) return;
    listLines(in, tableReportText(report), err);
}

// The input read into the chain; false when nothing can be written from it (told on err, but
// for an input with nothing to take).
// refused: whether rows were refused. What was refused and tidied is listed on err.
bool readInput(const std::string& in, EntryChain& chain, std::ostream& err, bool& refused)
{
    refused = false;
    if (opensAsForeign(in)) {
        // The count of entries taken is always told: an import from another program is the one
        // a script checks against the file it gave.
        const ForeignReadReport report = readForeignFile(in, chain);
        switch (report.table.result) {
        case LessonReadResult::NotOpened:
            err << "Datei " << in << " nicht gefunden\n";
            return false;
        case LessonReadResult::WrongFormat:
            err << "Datei " << in << " nicht im korrekten Format! " << report.reason << "\n";
            return false;
        case LessonReadResult::TooLarge:
            err << "Datei " << in << " ist zu groß für den Arbeitsspeicher! " << foreignLimitText()
                << "\n";
            return false;
        case LessonReadResult::Read:
            break;
        }
        listLines(in, foreignReportText(report), err);
        refused = report.table.refusedRows > 0;
    } else if (opensAsTable(in)) {
        const TableReadReport report = readTableFile(in, chain);
        if (report.result == LessonReadResult::NotOpened) {
            err << "Datei " << in << " nicht gefunden\n";
            return false;
        }
        if (report.result == LessonReadResult::TooLarge) {
            err << "Datei " << in << " ist zu groß für den Arbeitsspeicher! " << tableLimitText()
                << "\n";
            return false;
        }
        listReport(in, report, err);
        refused = report.refusedRows > 0;
    } else {
        switch (readLessonFile(in, chain)) {
        case LessonReadResult::NotOpened:
            err << "Datei " << in << " nicht gefunden\n";
            return false;
        case LessonReadResult::WrongFormat:
            err << "Datei " << in << " nicht im korrekten Format!\n";
            return false;
        case LessonReadResult::TooLarge:
            err << "Datei " << in << " ist zu groß für den Arbeitsspeicher!\n";
            return false;
        case LessonReadResult::Read:
            break;
        }
    }
    return !chain.empty();
}

} // namespace

int readConvertInput(const std::string& in, const std::string& out, EntryChain& chain,
                     std::ostream& err)
{
    if (sameFile(in, out)) {
        err << in << " und " << out << " sind dieselbe Datei\n";
        return kConvertFailed;
    }
    bool refused = false;
    if (!readInput(in, chain, err, refused)) {
        // An empty output would only hide that nothing could be taken.
        if (chain.empty()) err << in << ": nichts zu übernehmen, " << out << " nicht geschrieben\n";
        return kConvertFailed;
    }
    return refused ? kConvertRowsRefused : kConvertAllTaken;
}

int convertLessonFile(const std::string& in, const std::string& out, std::ostream& err)
{
    if (isTableFileName(out) && !isCsvName(out)) {
        err << "Tabellen werden als .csv geschrieben, nicht als " << out << "\n";
        return kConvertFailed;
    }
    EntryChain chain;
    const int status = readConvertInput(in, out, chain, err);
    if (status == kConvertFailed) return status;
    const LessonWriteResult written =
        isTableFileName(out) ? writeTableFile(out, chain) : writeLessonFile(out, chain);
    if (written != LessonWriteResult::Written) {
        err << "Datei " << out << " kann nicht geschrieben werden!\n";
        return kConvertFailed;
    }
    return status;
}
