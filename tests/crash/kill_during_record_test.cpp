// A trainer killed with SIGKILL while it records answers must leave a learning record that
// opens at the next start (not moved aside as damaged) and holds every answer recorded before
// the kill; only the answer being written at the moment of the kill may be missing. A child
// process records one answer after another, each for an entry of its own, and reports every
// answer recorded by one byte on a pipe; it is killed at random moments, which fall on the
// opening (creating the file, recovering the journal, the integrity check) as well as on the
// writes.
#include "kill_child.h"
#include "learning_record.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kKills = 100;
constexpr int kMinimumKills = 50;
constexpr auto kTimeBudget = std::chrono::seconds(120);
constexpr int kCalibrationRuns = 5;
// Kills fall within this many times a fresh child's time to its first answer: about a quarter
// land in the opening (creating, recovering, checking the file) and the rest on answers.
constexpr int kKillWindowFirstAnswers = 4;
constexpr std::int64_t kAnswerTime = 1765209600;

std::string entryName(int child, std::size_t answer)
{
    return "k" + std::to_string(child) + "-" + std::to_string(answer);
}

TEST(KillDuringRecord, RecordOpensAndHoldsEveryAnswerButTheLast)
{
    TempDir dir;
    const std::string path = dir.file(kLearningRecordFileName);
    int child = 0; // the entries of the current child are named after it
    const SaveVersion recordNext = [&, answer = std::size_t{0},
                                    record = std::shared_ptr<LearningRecord>()](bool) mutable {
        if (!record) { // first step, in the child: one connection of its own
            record = std::make_shared<LearningRecord>();
            if (record->open(path, kAnswerTime) != RecordStatus::Ok) return false;
        }
        const std::string name = entryName(child, answer++);
        return record->recordAnswer({name, "x"}, AskedDirection::FirstTermShown, answer % 3 != 0,
                                    true, kAnswerTime) == RecordStatus::Ok;
    };

    std::vector<Clock::duration> firstAnswerTimes;
    for (int i = 0; i < kCalibrationRuns; ++i, ++child) {
        Writer writer(recordNext);
        const auto t0 = Clock::now();
        ASSERT_TRUE(writer.started() && writer.waitForFirstSave());
        firstAnswerTimes.push_back(Clock::now() - t0);
    }
    std::nth_element(firstAnswerTimes.begin(), firstAnswerTimes.begin() + kCalibrationRuns / 2,
                     firstAnswerTimes.end());
    const auto window = firstAnswerTimes[kCalibrationRuns / 2] * kKillWindowFirstAnswers;

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("random seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<long long> delay(
        0, std::chrono::duration_cast<std::chrono::nanoseconds>(window).count());

    // Every answer a child reported, and the one it may have been writing when killed.
    std::vector<std::string> reported;
    int kills = 0;
    int unreportedKept = 0; // kills after which the answer under way was in the record already
    std::size_t answers = 0;
    const auto deadline = Clock::now() + kTimeBudget;
    for (; kills < kKills && Clock::now() < deadline; ++child) {
        std::size_t confirmed = 0;
        {
            Writer writer(recordNext);
            ASSERT_TRUE(writer.started());
            sleepFor(std::chrono::nanoseconds(delay(random)));
            const int status = writer.kill();
            ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself: an answer failed";
            confirmed = writer.drainReports();
        }
        ++kills;
        answers += confirmed;

        LearningRecord record;
        ASSERT_EQ(record.open(path, kAnswerTime), RecordStatus::Ok) << "after kill " << kills;
        ASSERT_EQ(record.movedAsidePath(), "") << "after kill " << kills;
        for (std::size_t a = 0; a < confirmed; ++a) {
            reported.push_back(entryName(child, a));
            ASSERT_TRUE(record.state({reported.back(), "x"}, AskedDirection::FirstTermShown).asked)
                << reported.back() << " was recorded before kill " << kills;
        }
        unreportedKept +=
            record.state({entryName(child, confirmed), "x"}, AskedDirection::FirstTermShown).asked;
        EXPECT_FALSE(
            record.state({entryName(child, confirmed + 1), "x"}, AskedDirection::FirstTermShown)
                .asked)
            << "more answers than the child got to";
    }

    // The answers of all children are still there at the end, none lost to a later kill.
    LearningRecord record;
    ASSERT_EQ(record.open(path, kAnswerTime), RecordStatus::Ok);
    std::vector<TermPair> lesson;
    for (const std::string& name : reported)
        lesson.push_back({name, "x"});
    const BoxCounts counts = record.boxCounts(lesson);
    EXPECT_EQ(counts[0][0] + counts[0][1], reported.size());
    EXPECT_EQ(counts[0][0], static_cast<std::uint32_t>(std::count_if(
                                reported.begin(), reported.end(),
                                [](const std::string& n) {
                                    return std::stoul(n.substr(n.find('-') + 1)) % 3 == 2;
                                })))
        << "the wrong answers are in box 1";

    std::cout << "[ kills    ] " << kills << " kills, " << answers
              << " answers reported, the answer under way kept " << unreportedKept
              << "x, kill window "
              << std::chrono::duration_cast<std::chrono::microseconds>(window).count() << " us\n";
    EXPECT_GE(kills, kMinimumKills);
    EXPECT_GT(answers, 0u) << "the kills also fell on answers";
}

} // namespace
