// The table reader on arbitrary bytes: never crashes or overruns; every entry it makes fits a
// lesson; refused rows come in row order with a reason; the report is valid UTF-8; and what it
// took writes out as a table that reads back to the same entries (terms a spreadsheet would
// take for formulas included).
#include "answer_compare.h"
#include "entry_chain.h"
#include "lesson_file.h"
#include "table_file.h"
#include "windows1252.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    EntryChain chain;
    const TableReadReport report = readTableBytes(bytes, chain);
    if (report.rowsTaken != chain.entryCount()) std::abort();
    for (const strWort* e = chain.firstEntry(); e != nullptr; e = e->next) {
        for (const std::string* term : {&e->term1, &e->term2}) {
            if (term->empty() || term->size() > kMaxTermBytes ||
                term->find('\0') != std::string::npos)
                std::abort();
        }
    }
    if (report.result != LessonReadResult::Read || report.refused.size() > kListedRefusals ||
        report.refusedRows < report.refused.size() || report.tidied.size() > kListedRefusals ||
        report.tidiedCells < report.tidied.size())
        std::abort();
    std::size_t previousRow = 0;
    for (const RefusedRow& r : report.refused) {
        if (r.row <= previousRow || r.reason.empty()) std::abort();
        previousRow = r.row;
    }
    if (!isValidUtf8(tableReportText(report))) std::abort();

    // Reading back tidies every term once more; normalizeTerm is not quite idempotent near
    // 78 bytes (blanks dropped before later marks make room for ones after earlier marks), so
    // the terms come back as that second tidying makes them, and nothing else changes.
    EntryChain again;
    const TableReadReport back = readTableBytes(tableBytes(chain), again);
    if (!back.refused.empty() || back.separator != ';' || again.entryCount() != chain.entryCount())
        std::abort();
    for (const strWort *a = chain.firstEntry(), *b = again.firstEntry(); a != nullptr;
         a = a->next, b = b->next) {
        std::string first = a->term1;
        std::string second = a->term2;
        normalizeTerm(first);
        normalizeTerm(second);
        if (b->term1 != first || b->term2 != second) std::abort();
    }
    return 0;
}
