// Whole exercises over a lesson of 100,000 entries: the time of every single answer that draws
// the next question (checkAnswer, which runs nextQuestion), reported as median and maximum.
// The call that ends the exercise also writes the report and the results log; it is reported
// on its own. On a busy machine a single call can include being preempted; the 99.9th
// percentile shows the calls without that. For comparison, the first pass as the literal chain
// walk would pick it.
#include "config.h"
#include "entry_chain.h"
#include "exercise_run.h"
#include "query_mode.h"
#include "temp_dir.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <unordered_set>
#include <vector>

namespace {

constexpr std::uint32_t kEntries = 100000;
constexpr std::uint32_t kSeed = 1765029900;

// A dialog that shows nothing.
class SilentWindow : public ExerciseWindow {
public:
    CompareOptions optionStates() const override { return {}; }
    std::string thresholdFieldText(std::size_t index) const override
    {
        return std::to_string(kDefaultThresholds.at(index));
    }
    std::string shownLessonPathCp1252() const override { return "bench.lsn"; }
    bool lessonUnsaved() const override { return false; }
    std::int64_t calendarTime() const override { return 1000; }
    std::uint32_t questionSeed() override { return kSeed; }
    bool messageBox(const std::string&, const std::string&, MessageKind) override { return true; }
    bool saveLesson() override { return true; }
    void startBlink(OptionButton, std::uint32_t) override {}
    void setOptionsLocked(bool) override {}
    void stopOptionBlink() override {}
    void resetEntryLine() override {}
    void showEntryLineSegment(std::uint32_t, std::uint32_t) override {}
    void showEntryLineRatio(std::uint32_t, std::uint32_t) override {}
    void restoreEntryLine(std::uint32_t) override {}
    void showAnswerLineRatio(std::uint32_t, std::uint32_t) override {}
    void showGrade(std::uint32_t) override {}
    void startElapsedClock() override {}
    void startWallClock() override {}
    void setQuestionReadOnly(bool) override {}
    void showQuestion(const std::string&) override {}
    void showEntry(strWort*) override {}
    void showStatus(const std::string&) override {}
    void clearStatusLine() override {}
    void playSound(const std::string&) override {}
    void messageBeep() override {}
    void startAnswerFeedback(const std::string&) override {}
    void stopAnswerFeedback() override {}
    void showReport(const std::string&, const std::string&) override {}
    void showStoreFailure(const std::string&, const std::string&) override {}
};

void fillLesson(EntryChain& chain)
{
    for (std::uint32_t i = 0; i < kEntries; ++i)
        chain.append("Begriff " + std::to_string(i), "term " + std::to_string(i));
}

using Clock = std::chrono::steady_clock;

double microseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

void reportTimes(benchmark::State& state, std::vector<double>& times, double finishing)
{
    std::sort(times.begin(), times.end());
    state.counters["questions"] = static_cast<double>(times.size());
    state.counters["median_us"] = times[times.size() / 2];
    state.counters["p999_us"] = times[times.size() * 999 / 1000];
    state.counters["max_us"] = times.back();
    state.counters["finish_us"] = finishing;
}

// One exercise; every tenth entry (when wrongEvery is 10) is answered wrong when first asked.
void runExercise(benchmark::State& state, std::uint32_t wrongEvery)
{
    TempDir dir;
    EntryChain chain;
    fillLesson(chain);
    std::unordered_set<const strWort*> wrongOnce;
    std::uint32_t i = 0;
    for (const strWort* e = chain.firstEntry(); e != nullptr; e = e->next, ++i)
        if (wrongEvery != 0 && i % wrongEvery == 3) wrongOnce.insert(e);

    SilentWindow window;
    ExerciseRun run(chain, window, dir.file("DODADIZE.KAZ"));
    std::vector<double> times;
    double finishing = 0;
    for (auto _ : state) {
        times.clear();
        run.startExercise(QueryMode::ModeNormal, 0);
        while (run.running()) {
            const strWort* e = chain.currentEntry;
            const bool wrong = e->wrongCount == 0 && e->rightCount == 0 && wrongOnce.count(e) != 0;
            if (wrong) run.checkAnswer("falsch"); // draws nothing: the confirmation below does
            const std::string& answer = wrong ? std::string() : expectedTerm(*e);
            const auto t0 = Clock::now();
            run.checkAnswer(answer);
            const double us = microseconds(Clock::now() - t0);
            if (run.running())
                times.push_back(us);
            else
                finishing = us;
        }
    }
    reportTimes(state, times, finishing);
}

void BM_ExerciseAllRight(benchmark::State& state)
{
    runExercise(state, 0);
}
BENCHMARK(BM_ExerciseAllRight)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExerciseTenPercentWrong(benchmark::State& state)
{
    runExercise(state, 10);
}
BENCHMARK(BM_ExerciseTenPercentWrong)->Unit(benchmark::kMillisecond)->Iterations(3);

// The first pass picked by walking the chain: from the head r-1 steps, then on to an entry not
// asked yet. Shows what the position sets save; answers are all right.
void BM_FirstPassByChainWalk(benchmark::State& state)
{
    EntryChain chain;
    fillLesson(chain);
    std::vector<double> times;
    for (auto _ : state) {
        times.clear();
        for (strWort* e = chain.firstEntry(); e != nullptr; e = e->next)
            e->rightCount = 0;
        std::uint32_t seed = kSeed;
        for (std::uint32_t draw = 0; draw < kEntries; ++draw) {
            const auto t0 = Clock::now();
            seed = seed * 22695477u + 1u;
            const std::uint32_t r = ((seed >> 12) & 0x7FFFu) % kEntries;
            strWort* e = chain.firstEntry();
            for (std::uint32_t k = 1; k < r; ++k)
                e = e->next;
            while (e->rightCount != 0)
                e = e->next != nullptr ? e->next : chain.firstEntry();
            ++e->rightCount;
            times.push_back(microseconds(Clock::now() - t0));
        }
    }
    reportTimes(state, times, 0);
}
BENCHMARK(BM_FirstPassByChainWalk)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
