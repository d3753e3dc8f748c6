// The lesson reader on arbitrary bytes: never crashes, never overruns, keeps its promises.
#include "entry_chain.h"
#include "lesson_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    EntryChain chain;
    const LessonReadResult result = readLessonBytes(bytes, chain);
    if (result != LessonReadResult::Read && chain.entryCount() != 0) std::abort();
    std::uint32_t count = 0;
    for (const strWort* e = chain.firstEntry(); e != nullptr; e = e->next, ++count) {
        if (e->term1.size() > kMaxTermBytes || e->term2.size() > kMaxTermBytes) std::abort();
        if (e->term1.find('\0') != std::string::npos || e->term2.find('\0') != std::string::npos)
            std::abort();
    }
    if (count != chain.entryCount()) std::abort();
    // Whatever was read writes back to bytes that read as the same pairs.
    if (result == LessonReadResult::Read) {
        EntryChain again;
        if (readLessonBytes(lessonBytes(chain), again) != LessonReadResult::Read ||
            again.entryCount() != chain.entryCount())
            std::abort();
        for (const strWort *a = chain.firstEntry(), *b = again.firstEntry(); a != nullptr;
             a = a->next, b = b->next)
            if (a->term1 != b->term1 || a->term2 != b->term2) std::abort();
    }
    return 0;
}
