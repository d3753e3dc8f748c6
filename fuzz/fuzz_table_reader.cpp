// The table reader on arbitrary bytes: never crashes or overruns; every entry it makes fits a
// lesson; refused rows come in row order with a reason; the report is valid UTF-8; and what it
// took writes out as a table that reads back to the same lesson.
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
    std::size_t previousRow = 0;
    for (const RefusedRow& r : report.refused) {
        if (r.row <= previousRow || r.reason.empty()) std::abort();
        previousRow = r.row;
    }
    if (!isValidUtf8(tableReportText(report))) std::abort();

    EntryChain again;
    const TableReadReport back = readTableBytes(tableBytes(chain), again);
    if (!back.refused.empty() || back.separator != ';' || lessonBytes(again) != lessonBytes(chain))
        std::abort();
    return 0;
}
