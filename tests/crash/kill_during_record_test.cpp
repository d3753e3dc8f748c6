// A trainer killed with SIGKILL while it records answers (or opens the record) leaves a record
// that opens undamaged and holds every answer it reported; only the one under way may be
// missing.
#include "kill_child.h"
#include "learning_record.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <random>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kKills = 100;
constexpr auto kTimeBudget = std::chrono::seconds(120);
// Kills fall within this many times a fresh child's time to its first answer.
constexpr int kKillWindowFirstAnswers = 4;
constexpr AskedDirection kFirst = AskedDirection::FirstTermShown;

TEST(KillDuringRecord, RecordOpensAndHoldsEveryAnswerButTheLast)
{
    TempDir dir;
    const std::string path = dir.file(kLearningRecordFileName);
    int child = 0; // answer a of a child is the entry "k<child>-<a>"
    auto entry = [&child](std::size_t a) {
        return "k" + std::to_string(child) + "-" + std::to_string(a);
    };
    const SaveVersion recordNext = [&, answer = std::size_t{0},
                                    record = std::shared_ptr<LearningRecord>()](bool) mutable {
        if (!record) { // first step, in the child: a connection of its own
            record = std::make_shared<LearningRecord>();
            if (record->open(path, 0) != RecordStatus::Ok) return false;
        }
        return record->recordAnswer({entry(answer++), "x"}, kFirst, true, true, 0) ==
               RecordStatus::Ok;
    };

    std::vector<Clock::duration> firstAnswer;
    for (; child < 5; ++child) {
        Writer writer(recordNext);
        const auto t0 = Clock::now();
        ASSERT_TRUE(writer.started() && writer.waitForFirstSave());
        firstAnswer.push_back(Clock::now() - t0);
    }
    std::sort(firstAnswer.begin(), firstAnswer.end());
    const auto window = firstAnswer[2] * kKillWindowFirstAnswers;
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("random seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<long long> delay(
        0, std::chrono::duration_cast<std::chrono::nanoseconds>(window).count());

    std::vector<std::string> reported;
    int kills = 0;
    int underWayKept = 0; // kills after which the answer under way was in the record already
    for (const auto deadline = Clock::now() + kTimeBudget;
         kills < kKills && Clock::now() < deadline; ++child, ++kills) {
        std::size_t confirmed = 0;
        {
            Writer writer(recordNext);
            ASSERT_TRUE(writer.started());
            sleepFor(std::chrono::nanoseconds(delay(random)));
            ASSERT_TRUE(WIFSIGNALED(writer.kill())) << "the child ended by itself";
            confirmed = writer.drainReports();
        }
        LearningRecord record;
        ASSERT_EQ(record.open(path, 0), RecordStatus::Ok) << "after kill " << kills;
        ASSERT_EQ(record.movedAsidePath(), "") << "after kill " << kills;
        for (std::size_t a = 0; a < confirmed; ++a) {
            reported.push_back(entry(a));
            ASSERT_TRUE(record.state({reported.back(), "x"}, kFirst).asked) << reported.back();
        }
        underWayKept += record.state({entry(confirmed), "x"}, kFirst).asked;
        EXPECT_FALSE(record.state({entry(confirmed + 1), "x"}, kFirst).asked);
    }

    // No answer got lost to a later kill.
    LearningRecord record;
    ASSERT_EQ(record.open(path, 0), RecordStatus::Ok);
    std::vector<TermPair> lesson;
    for (const std::string& name : reported)
        lesson.push_back({name, "x"});
    EXPECT_EQ(record.boxCounts(lesson)[0][1], reported.size());

    std::cout << "[ kills    ] " << kills << " kills, " << reported.size()
              << " answers reported, the answer under way kept " << underWayKept
              << "x, kill window "
              << std::chrono::duration_cast<std::chrono::microseconds>(window).count() << " us\n";
    EXPECT_GE(kills, 50);
    EXPECT_GT(reported.size(), 0u) << "kills also fell on answers";
}

} // namespace
