#include "table_convert.h"

#include "entry_chain.h"
#include "lesson_file.h"
#include "table_file.h"

#include <cctype>
#include <ostream>

namespace {

bool isCsvName(const std::string& path)
{
    if (!isTableFileName(path)) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".csv";
}

} // namespace

int convertLessonFile(const std::string& in, const std::string& out, std::ostream& err)
{
    if (isTableFileName(out) && !isCsvName(out)) {
        err << "Tabellen werden als .csv geschrieben, nicht als " << out << "\n";
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

    const LessonWriteResult written =
        isTableFileName(out) ? writeTableFile(out, chain) : writeLessonFile(out, chain);
    if (written != LessonWriteResult::Written) {
        err << "Datei " << out << " kann nicht geschrieben werden!\n";
        return kConvertFailed;
    }
    if (report.refused.empty()) return kConvertAllTaken;
    for (const RefusedRow& r : report.refused)
        err << in << ": Zeile " << r.row << ": " << r.reason << "\n";
    err << report.refused.size() << (report.refused.size() == 1 ? " Zeile" : " Zeilen")
        << " nicht übernommen, " << report.rowsTaken << " übernommen.\n";
    return kConvertRowsRefused;
}
