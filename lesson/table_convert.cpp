#include "table_convert.h"

#include "entry_chain.h"
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

// The window's report of refused rows and tidied cells, each line naming the input.
void listReport(const std::string& in, const TableReadReport& report, std::ostream& err)
{
    if (report.refusedRows == 0 && report.tidiedCells == 0) return;
    const std::string text = tableReportText(report);
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t end = std::min(text.find('\n', from), text.size());
        err << in << ": " << std::string_view(text).substr(from, end - from) << "\n";
        from = end + 1;
    }
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
        report = readTableFile(in, chain);
        if (report.result == LessonReadResult::NotOpened) {
            err << "Datei " << in << " nicht gefunden\n";
            return kConvertFailed;
        }
        if (report.result == LessonReadResult::TooLarge) {
            err << "Datei " << in << " ist zu groß für den Arbeitsspeicher! " << tableLimitText()
                << "\n";
            return kConvertFailed;
        }
    } else {
        switch (readLessonFile(in, chain)) {
        case LessonReadResult::NotOpened:
            err << "Datei " << in << " nicht gefunden\n";
            return kConvertFailed;
        case LessonReadResult::WrongFormat:
            err << "Datei " << in << " nicht im korrekten Format!\n";
            return kConvertFailed;
        case LessonReadResult::TooLarge:
            err << "Datei " << in << " ist zu groß für den Arbeitsspeicher!\n";
            return kConvertFailed;
        case LessonReadResult::Read:
            break;
        }
    }

    // An empty output would only hide that nothing could be taken.
    if (chain.empty()) {
        listReport(in, report, err);
        err << in << ": nichts zu übernehmen, " << out << " nicht geschrieben\n";
        return kConvertFailed;
    }
    const LessonWriteResult written =
        isTableFileName(out) ? writeTableFile(out, chain) : writeLessonFile(out, chain);
    if (written != LessonWriteResult::Written) {
        err << "Datei " << out << " kann nicht geschrieben werden!\n";
        return kConvertFailed;
    }
    listReport(in, report, err);
    return report.refusedRows == 0 ? kConvertAllTaken : kConvertRowsRefused;
}
