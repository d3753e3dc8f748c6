// Reading and writing a lesson of 100,000 entries (about 2 MB), through the real files.
#include "entry_chain.h"
#include "lesson_file.h"
#include "temp_dir.h"
#include "term_sort_key.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int kEntries = 100000;

void fillLesson(EntryChain& chain)
{
    for (int i = 0; i < kEntries; ++i)
        chain.append("Begriff Nummer " + std::to_string(i), "term number " + std::to_string(i));
}

void BM_WriteLesson(benchmark::State& state)
{
    TempDir dir;
    EntryChain chain;
    fillLesson(chain);
    const std::string path = dir.file("big.lsn");
    for (auto _ : state) {
        if (writeLessonFile(path, chain) != LessonWriteResult::Written)
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(lessonBytes(chain).size()));
}
BENCHMARK(BM_WriteLesson)->Unit(benchmark::kMillisecond);

void BM_ReadLesson(benchmark::State& state)
{
    TempDir dir;
    const std::string path = dir.file("big.lsn");
    {
        EntryChain chain;
        fillLesson(chain);
        writeLessonFile(path, chain);
    }
    for (auto _ : state) {
        EntryChain chain;
        if (readLessonFile(path, chain) != LessonReadResult::Read || chain.entryCount() != kEntries)
            state.SkipWithError("read failed");
        state.PauseTiming(); // emptying the chain belongs to closing, not to reading
        while (!chain.empty())
            chain.deleteLast();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReadLesson)->Unit(benchmark::kMillisecond);

// The list sort keys of 100,000 first terms, each built once as a lesson load does: German
// words, half with an umlaut or ß, one in four with a hyphen or an apostrophe.
void BM_TermSortKeys(benchmark::State& state)
{
    const char* const words[] = {"Apfelbaum",
                                 "\xC4hre",
                                 "E-Mail",
                                 "Stra\xDF"
                                 "e",
                                 "geht's",
                                 "Haust\xFCr",
                                 "Kaffee",
                                 "\xD6lkanne"};
    std::vector<std::string> terms;
    for (int i = 0; i < kEntries; ++i)
        terms.push_back(std::string(words[i % 8]) + " Nummer " + std::to_string(i));
    std::string keys;
    for (auto _ : state) {
        keys.clear();
        for (const std::string& term : terms)
            appendTermSortKey(term, keys);
        benchmark::DoNotOptimize(keys.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kEntries);
}
BENCHMARK(BM_TermSortKeys)->Unit(benchmark::kMillisecond);

} // namespace
