// The readers of other trainers' files on arbitrary bytes (KVTML and Pauker XML, gzip, Anki and
// Quizlet text): never crash, overrun or hang; every entry taken fits a lesson; the counts add
// up; the report is valid UTF-8. The limits are small, so that a bomb that unpacks or expands
// is cut off at once.
#include "entry_chain.h"
#include "foreign_file.h"
#include "lesson_file.h"
#include "windows1252.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    LessonReadLimits limits;
    limits.maxEntries = 2000;
    EntryChain chain;
    chain.append("alt", "old");
    const ForeignReadReport report = readForeignBytes(bytes, chain, nullptr, limits);
    const TableReadReport& t = report.table;
    if (t.rowsTaken + 1 != chain.entryCount()) std::abort();
    if (t.result != LessonReadResult::Read && chain.entryCount() != 1) std::abort();
    if (t.result == LessonReadResult::WrongFormat && report.reason.empty()) std::abort();
    if (t.result == LessonReadResult::Read && t.rowsTaken + t.refusedRows != report.pairsInFile)
        std::abort();
    for (const strWort* e = chain.firstEntry()->next; e != nullptr; e = e->next) {
        for (const std::string* term : {&e->term1, &e->term2}) {
            if (term->empty() || term->size() > kMaxTermBytes ||
                term->find('\0') != std::string::npos)
                std::abort();
        }
    }
    if (t.refused.size() > kListedRefusals || t.refusedRows < t.refused.size() ||
        t.tidied.size() > kListedRefusals || t.tidiedCells < t.tidied.size())
        std::abort();
    if (!isValidUtf8(foreignReportText(report)) || !isValidUtf8(report.reason)) std::abort();
    return 0;
}
