// The learning record at 100,000 entries with a year of history (each entry asked four times
// each way, 800,000 answers): one answer recorded (one transaction and its checkpoint), the due
// count of a 2,000-entry and of the 100,000-entry lesson, the due questions and the box counts,
// and opening the record with its integrity check, alone and with the first count: of the whole
// record (read in one pass over every answer) and of the 2,000-entry lesson the window shows
// first (its entries read each from their own rows, or, for comparison, every answer).
#include "learning_record.h"
#include "temp_dir.h"

#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 100000;
constexpr int kAnswersEachWay = 4;          // spread over the year before kDrill
constexpr std::int64_t kDrill = 1765209600; // the last answers were given at this time
constexpr std::int64_t kDay = 24 * 60 * 60;
constexpr std::size_t kSmallLesson = 2000;

struct BigRecord {
    TempDir dir;
    std::string path = dir.file(kLearningRecordFileName);
    std::vector<std::string> first, second;
    std::vector<TermPair> lesson, small;

    BigRecord()
    {
        for (int i = 0; i < kEntries; ++i) {
            first.push_back("Begriff Nummer " + std::to_string(i));
            second.push_back("term number " + std::to_string(i));
        }
        for (int i = 0; i < kEntries; ++i)
            lesson.push_back({first[i], second[i]});
        small.assign(lesson.begin(), lesson.begin() + kSmallLesson);
        // The record made by the trainer, its year of history put in in one transaction, in
        // memory-backed storage, then copied to disk.
        const fs::path shm = fs::exists("/dev/shm") ? fs::path("/dev/shm") : dir.path();
        const fs::path filled = shm / ("kaz-bench-" + std::to_string(std::random_device{}()));
        {
            LearningRecord record;
            record.open(filled.string(), kDrill);
            record.recordAnswer({"Anfang", "start"}, AskedDirection::FirstTermShown, true, true,
                                kDrill - 400 * kDay);
        }
        sqlite3* db = nullptr;
        sqlite3_open(filled.c_str(), &db);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO answer (id, time, term1, term2, direction, right, "
                           "first_asking, drill, computer) VALUES (randomblob(16), ?1, ?2, ?3, "
                           "?4, ?5, 1, ?6, 'bench')",
                           -1, &insert, nullptr);
        std::mt19937 random(35);
        for (int k = 0; k < kAnswersEachWay; ++k)
            for (int i = 0; i < kEntries; ++i)
                for (int d = 0; d < 2; ++d) {
                    const std::int64_t when =
                        kDrill - (kAnswersEachWay - 1 - k) * 90 * kDay - (i % 1000) * 60;
                    sqlite3_bind_int64(insert, 1, when);
                    sqlite3_bind_blob(insert, 2, first[i].data(), int(first[i].size()),
                                      SQLITE_STATIC);
                    sqlite3_bind_blob(insert, 3, second[i].data(), int(second[i].size()),
                                      SQLITE_STATIC);
                    sqlite3_bind_int(insert, 4, d);
                    sqlite3_bind_int(insert, 5, random() % 4 != 0);
                    sqlite3_bind_int64(insert, 6, k + 1);
                    sqlite3_step(insert);
                    sqlite3_reset(insert);
                }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
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
    // As in the trainer: the due count has read the history before the drill's answers.
    benchmark::DoNotOptimize(record.dueCount(big.small, kDrill + kDay));
    std::mt19937 random(7);
    std::uniform_int_distribution<int> entry(0, kEntries - 1);
    for (auto _ : state) {
        const int i = entry(random);
        if (record.recordAnswer(big.lesson[i], AskedDirection::FirstTermShown, i % 2 == 0, true,
                                kDrill + kDay, 99) != RecordStatus::Ok)
            state.SkipWithError("answer not recorded");
    }
}
BENCHMARK(BM_RecordAnswer)->Unit(benchmark::kMillisecond);

// Measures one query of the opened record over the whole 100,000-entry lesson.
template <typename Query> void measureQuery(benchmark::State& state, Query query)
{
    BigRecord& big = bigRecord();
    LearningRecord record;
    if (record.open(big.path, kDrill) != RecordStatus::Ok) state.SkipWithError("open failed");
    benchmark::DoNotOptimize(record.dueCount(big.lesson, kDrill)); // reads the history once
    for (auto _ : state)
        benchmark::DoNotOptimize(query(record, big.lesson));
}

// The due count of a 2,000-entry lesson, as the due button shows it.
void BM_DueCount(benchmark::State& state)
{
    BigRecord& big = bigRecord();
    LearningRecord record;
    if (record.open(big.path, kDrill) != RecordStatus::Ok) state.SkipWithError("open failed");
    benchmark::DoNotOptimize(record.dueCount(big.small, kDrill)); // reads the history once
    for (auto _ : state)
        benchmark::DoNotOptimize(record.dueCount(big.small, kDrill + kDay));
}
BENCHMARK(BM_DueCount)->Unit(benchmark::kMillisecond);

void BM_DueCountWholeRecord(benchmark::State& state)
{
    measureQuery(state, [](LearningRecord& r, const auto& lesson) {
        return r.dueCount(lesson, kDrill + kDay);
    });
}
BENCHMARK(BM_DueCountWholeRecord)->Unit(benchmark::kMillisecond);

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

// What a trainer pays once after opening: the first count reads the whole history.
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

// The first due count after the record was opened (the opening not timed), for the 2,000-entry
// lesson: state.range(0) is RecordOptions::entriesReadOneByOne (0: every answer is read first).
void BM_FirstDueCount(benchmark::State& state)
{
    BigRecord& big = bigRecord();
    RecordOptions options;
    options.entriesReadOneByOne = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        LearningRecord record;
        record.open(big.path, kDrill, options);
        state.ResumeTiming();
        benchmark::DoNotOptimize(record.dueCount(big.small, kDrill + kDay));
    }
}
BENCHMARK(BM_FirstDueCount)
    ->ArgName("entriesReadOneByOne")
    ->Arg(0)
    ->Arg(RecordOptions{}.entriesReadOneByOne)
    ->Unit(benchmark::kMillisecond);

} // namespace
