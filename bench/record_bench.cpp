// The learning record at 100,000 entries, both directions asked (200,000 rows): one answer
// recorded (one transaction, flushed to disk), the due count, the due questions and the box
// counts of a 100,000-entry lesson, and opening the record with its integrity check, alone and
// with the first count, which reads the whole record into memory.
#include "learning_record.h"
#include "temp_dir.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 100000;
constexpr std::int64_t kDrill = 1765209600; // all entries asked at this time
constexpr std::int64_t kDay = 24 * 60 * 60;

struct BigRecord {
    TempDir dir;
    std::string path = dir.file(kLearningRecordFileName);
    std::vector<std::string> first, second;
    std::vector<TermPair> lesson;

    BigRecord()
    {
        for (int i = 0; i < kEntries; ++i) {
            first.push_back("Begriff Nummer " + std::to_string(i));
            second.push_back("term number " + std::to_string(i));
        }
        for (int i = 0; i < kEntries; ++i)
            lesson.push_back({first[i], second[i]});
        // Filled in memory-backed storage, where a flush costs nothing, then copied to disk.
        const fs::path shm = fs::exists("/dev/shm") ? fs::path("/dev/shm") : dir.path();
        const fs::path filled = shm / ("kaz-bench-" + std::to_string(std::random_device{}()));
        {
            LearningRecord record;
            record.open(filled.string(), kDrill);
            for (int i = 0; i < kEntries; ++i)
                for (const auto d :
                     {AskedDirection::FirstTermShown, AskedDirection::SecondTermShown})
                    record.recordAnswer(lesson[i], d, i % 4 != 0, true, kDrill);
        }
        fs::copy_file(filled, path);
        fs::remove(filled);
    }
};

BigRecord& bigRecord()
{
    static BigRecord big;
    return big;
}

void BM_RecordAnswer(benchmark::State& state)
{
    BigRecord& big = bigRecord();
    LearningRecord record;
    if (record.open(big.path, kDrill) != RecordStatus::Ok) state.SkipWithError("open failed");
    std::mt19937 random(7);
    std::uniform_int_distribution<int> entry(0, kEntries - 1);
    for (auto _ : state) {
        const int i = entry(random);
        if (record.recordAnswer(big.lesson[i], AskedDirection::FirstTermShown, i % 2 == 0, true,
                                kDrill + kDay) != RecordStatus::Ok)
            state.SkipWithError("answer not recorded");
    }
}
BENCHMARK(BM_RecordAnswer)->Unit(benchmark::kMillisecond);

// Measures one query of the opened record. On the next day a quarter of the entries (the
// wrong ones) are due, both ways.
template <typename Query> void measureQuery(benchmark::State& state, Query query)
{
    BigRecord& big = bigRecord();
    LearningRecord record;
    if (record.open(big.path, kDrill) != RecordStatus::Ok) state.SkipWithError("open failed");
    for (auto _ : state)
        benchmark::DoNotOptimize(query(record, big.lesson));
}

void BM_DueCount(benchmark::State& state)
{
    measureQuery(state, [](LearningRecord& r, const auto& lesson) {
        return r.dueCount(lesson, kDrill + kDay);
    });
}
BENCHMARK(BM_DueCount)->Unit(benchmark::kMillisecond);

void BM_DueItems(benchmark::State& state)
{
    measureQuery(state, [](LearningRecord& r, const auto& lesson) {
        return r.dueItems(lesson, kDrill + kDay);
    });
}
BENCHMARK(BM_DueItems)->Unit(benchmark::kMillisecond);

void BM_BoxCounts(benchmark::State& state)
{
    measureQuery(state, [](LearningRecord& r, const auto& lesson) { return r.boxCounts(lesson); });
}
BENCHMARK(BM_BoxCounts)->Unit(benchmark::kMillisecond);

// Opening includes the quick integrity check of the whole file.
void BM_OpenRecord(benchmark::State& state)
{
    BigRecord& big = bigRecord();
    for (auto _ : state) {
        LearningRecord record;
        if (record.open(big.path, kDrill) != RecordStatus::Ok) state.SkipWithError("open failed");
    }
}
BENCHMARK(BM_OpenRecord)->Unit(benchmark::kMillisecond);

// What a trainer pays once after opening: the first count reads the whole record.
void BM_OpenAndFirstDueCount(benchmark::State& state)
{
    BigRecord& big = bigRecord();
    for (auto _ : state) {
        LearningRecord record;
        record.open(big.path, kDrill);
        benchmark::DoNotOptimize(record.dueCount(big.lesson, kDrill + kDay));
    }
}
BENCHMARK(BM_OpenAndFirstDueCount)->Unit(benchmark::kMillisecond);

} // namespace
