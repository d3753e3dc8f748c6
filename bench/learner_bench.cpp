// A simulated learner over a year, drilled by the fixed table (1, 2, 4, 8, 16 days) and by the
// record's FSRS-6 rule: how many questions each costs a word and how well the words are known.
//
// The learner forgets by a model of its own, not FSRS's: recall after t days is exp(-t / h), h a
// word's memory strength in days. A word is new on the day it comes in (recall 1 in 2, from
// the lesson list); a right answer multiplies h by the word's own growth (1.6 to 3.2, harder
// words grow slower) and more so the harder the recall was, a wrong one drops h to 30 % (at
// least a day) and the repetition pass asks it twice more. 20 new words a day for 50 days, the
// due words asked every day, for 365 days. Counters: questions per word (first askings and
// repetitions), recall at the first askings, and the mean recall of all words over all days.
// "same recall": FSRS with the wanted recall set so that its mean recall is the fixed table's.
#include "history_rule.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

namespace {

constexpr int kWords = 1000;
constexpr int kNewPerDay = 20;
constexpr int kDays = 365;
constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kStart = 1767268800; // 2026-01-01 12:00 UTC

struct Outcome {
    double questionsPerWord = 0;
    double recallAtAsking = 0;
    double meanRecall = 0;
};

// One year; `fsrs` false: the fixed table.
Outcome simulate(bool fsrs, double retention)
{
    std::mt19937 random(2026);
    std::uniform_real_distribution<double> uniform(0, 1);
    struct Word {
        double growth = 2;
        double strength = 0; // days; 0: never seen
        std::int64_t lastDay = 0;
        HistoryState state;
    };
    std::vector<Word> words(kWords);
    for (Word& w : words)
        w.growth = 1.6 + 1.6 * uniform(random);
    long questions = 0, askings = 0, rightAskings = 0;
    double recallSum = 0;
    long recallDays = 0;
    for (int day = 0; day < kDays; ++day) {
        const std::int64_t now = kStart + day * kDay;
        const int introduced = std::min(kWords, (day + 1) * kNewPerDay);
        for (int i = 0; i < introduced; ++i) {
            Word& w = words[static_cast<std::size_t>(i)];
            const double p = w.strength == 0
                                 ? 0.5
                                 : std::exp(-static_cast<double>(day - w.lastDay) / w.strength);
            if (w.strength > 0) {
                recallSum += p;
                ++recallDays;
            }
            if (w.state.box.asked && !isDueOnDay(w.state.box, localDayNumber(now))) continue;
            const bool right = uniform(random) < p;
            ++questions;
            if (w.strength > 0) {
                ++askings;
                rightAskings += right;
            }
            const HistoryAnswer answer{now, right, true, static_cast<std::uint64_t>(day + 1)};
            if (fsrs) {
                w.state = applyToHistory(w.state, answer, retention);
            } else {
                w.state.box = applyAnswer(w.state.box, right, true, now);
            }
            if (w.strength == 0)
                w.strength = 1;
            else if (right)
                w.strength *= w.growth * (1.0 + (1.0 - p));
            else
                w.strength = std::max(1.0, w.strength * 0.3);
            if (!right) questions += 2; // the repetition pass: right twice
            w.lastDay = day;
        }
    }
    return Outcome{static_cast<double>(questions) / kWords,
                   askings == 0 ? 0 : static_cast<double>(rightAskings) / askings,
                   recallDays == 0 ? 0 : recallSum / static_cast<double>(recallDays)};
}

// Calendar days in UTC, whatever the machine's zone.
struct Utc {
    Utc()
    {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
};

void report(benchmark::State& state, const Outcome& o)
{
    state.counters["questions_per_word"] = o.questionsPerWord;
    state.counters["recall_at_asking"] = o.recallAtAsking;
    state.counters["mean_recall"] = o.meanRecall;
}

void BM_YearWithFixedTable(benchmark::State& state)
{
    const Utc utc;
    Outcome o;
    for (auto _ : state)
        o = simulate(false, 0);
    report(state, o);
}
BENCHMARK(BM_YearWithFixedTable)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_YearWithFsrs90(benchmark::State& state)
{
    const Utc utc;
    Outcome o;
    for (auto _ : state)
        o = simulate(true, kDesiredRetention);
    report(state, o);
}
BENCHMARK(BM_YearWithFsrs90)->Unit(benchmark::kMillisecond)->Iterations(1);

// FSRS at the fixed table's mean recall: the wanted recall found by bisection.
void BM_YearWithFsrsAtTheSameRecall(benchmark::State& state)
{
    const Utc utc;
    Outcome o;
    double retention = kDesiredRetention;
    for (auto _ : state) {
        const double target = simulate(false, 0).meanRecall;
        double low = 0.70, high = 0.99;
        for (int i = 0; i < 20; ++i) {
            retention = (low + high) / 2;
            (simulate(true, retention).meanRecall < target ? low : high) = retention;
        }
        o = simulate(true, high);
        retention = high;
    }
    report(state, o);
    state.counters["wanted_recall"] = retention;
}
BENCHMARK(BM_YearWithFsrsAtTheSameRecall)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
