#include "table_convert.h"

#include "entry_chain.h"
#include "lesson_file.h"
#include "table_file.h"

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

void listRefusedRows(const std::string& in, const TableReadReport& report, std::ostream& err)
{
    if (report.refused.empty()) return;
    for (const RefusedRow& r : report.refused)
        err << in << ": Zeile " << r.row << ": " << r.reason << "\n";
    err << report.refused.size() << (report.refused.size() == 1 ? " Zeile" : " Zeilen")
        << " nicht übernommen, " << report.rowsTaken << " übernommen.\n";
}

} // namespace

int convertLessonFile(const std::string& in, const std::string& out, std::ostream& err)
{
    if (isTableFileName(out) && !isCsvName(out)) {
        err << "Tabellen werden als .csv geschrieben, nicht als " << out << "\n";
        return kConvertFailed;
    }
    if (sameFile(in, out)) {
        err << in << " und " << out << " sind dieselbe Datei\n";
        return kConvertFailed;
    }
    EntryChain chain;
    TableReadReport report;
    if (opensAsTable(in)) {
        std::optional<TableReadReport> read = readTableFile(in, chain);
        if (!read) {
            err << "Datei " << in << " nicht gefunden\n";
            return kConvertFailed;
        }
        report = std::move(*read);
    } else {
        switch (readLessonFile(in, chain)) {
        case LessonReadResult::NotOpened:
            err << "Datei " << in << " nicht gefunden\n";
            return kConvertFailed;
        case LessonReadResult::WrongFormat:
            err << "Datei " << in << " nicht im korrekten Format!\n";
            return kConvertFailed;
        case LessonReadResult::TooLarge:
            err << "Datei " << in << " ist zu gro\xC3\x9F f\xC3\xBCr den Arbeitsspeicher!\n";
            return kConvertFailed;
        case LessonReadResult::Read:
            break;
        }
    }

    // An empty output would only hide that nothing could be taken.
    if (chain.empty()) {
        listRefusedRows(in, report, err);
        err << in << ": nichts zu übernehmen, " << out << " nicht geschrieben\n";
        return kConvertFailed;
    }
    const LessonWriteResult written =
        isTableFileName(out) ? writeTableFile(out, chain) : writeLessonFile(out, chain);
    if (written != LessonWriteResult::Written) {
        err << "Datei " << out << " kann nicht geschrieben werden!\n";
        return kConvertFailed;
    }
    listRefusedRows(in, report, err);
    return report.refused.empty() ? kConvertAllTaken : kConvertRowsRefused;
}
