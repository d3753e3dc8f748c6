// The learning record on disk: the box rule through a lesson, and every fault reported as a
// value with one notice, the drill's answers kept where the file allows.
#include "learning_record.h"
#include "temp_dir.h"
#include "tz_guard.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
constexpr AskedDirection kFirst = AskedDirection::FirstTermShown;
constexpr AskedDirection kSecond = AskedDirection::SecondTermShown;

std::vector<TermPair> pairsOf(const std::vector<std::pair<std::string, std::string>>& terms)
{
    std::vector<TermPair> pairs;
    for (const auto& [a, b] : terms)
        pairs.push_back({a, b});
    return pairs;
}

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// A lesson of four entries, a normal drill with one wrong answer; then one and two days on.
TEST(LearningRecord, KeepsBoxesAndDueDaysOfALessonAcrossSessions)
{
    TzGuard berlin("Europe/Berlin");
    TempDir dir;
    const std::string path = dir.file(kLearningRecordFileName);
    const std::vector<std::pair<std::string, std::string>> terms = {
        {"Haus", "house"}, {"Baum", "tree"}, {"K\xE4se", "cheese"}, {"Hund", "dog"}};
    const auto lesson = pairsOf(terms);
    const std::int64_t drill = localTime("2026-12-08 17:00:00");
    {
        LearningRecord record;
        ASSERT_EQ(record.open(path, drill), RecordStatus::Ok);
        EXPECT_EQ(record.dueCount(lesson, drill), 8u) << "never asked: due at once, both ways";
        for (std::size_t i = 0; i < lesson.size(); ++i)
            EXPECT_EQ(record.recordAnswer(lesson[i], kFirst, i != 2, true, drill + 10 * int(i)),
                      RecordStatus::Ok);
        // The repetition pass: K\xE4se right twice.
        for (int k = 0; k < 2; ++k)
            EXPECT_EQ(record.recordAnswer(lesson[2], kFirst, true, false, drill + 60 + k),
                      RecordStatus::Ok);
        EXPECT_EQ(record.takeNotice(), "");
    }
    LearningRecord record;
    ASSERT_EQ(record.open(path, drill), RecordStatus::Ok);
    const BoxState kaese = record.state(lesson[2], kFirst);
    EXPECT_EQ(kaese.box, 1);
    EXPECT_EQ(kaese.rightCount, 2u);
    EXPECT_EQ(kaese.wrongCount, 1u);
    EXPECT_EQ(record.state(lesson[0], kFirst).box, 2);
    EXPECT_FALSE(record.state(lesson[0], kSecond).asked);

    struct Day {
        const char* at;
        std::vector<DueItem> due;
    };
    const std::vector<DueItem> allSecond = {{0, kSecond}, {1, kSecond}, {2, kSecond}, {3, kSecond}};
    const Day days[] = {
        {"2026-12-08 23:59:59", allSecond},
        {"2026-12-09 00:00:00",
         {{0, kSecond}, {1, kSecond}, {2, kFirst}, {2, kSecond}, {3, kSecond}}},
        {"2026-12-10 00:00:00",
         {{0, kFirst},
          {0, kSecond},
          {1, kFirst},
          {1, kSecond},
          {2, kFirst},
          {2, kSecond},
          {3, kFirst},
          {3, kSecond}}},
    };
    for (const Day& day : days) {
        EXPECT_EQ(record.dueItems(lesson, localTime(day.at)), day.due) << day.at;
        EXPECT_EQ(record.dueCount(lesson, localTime(day.at)), day.due.size()) << day.at;
    }
    BoxCounts expected{};
    expected[0] = {1, 3, 0, 0, 0};
    expected[1] = {4, 0, 0, 0, 0};
    EXPECT_EQ(record.boxCounts(lesson), expected);
}

TEST(LearningRecord, EntriesAreKnownByBothTermsBytes)
{
    TempDir dir;
    LearningRecord record;
    ASSERT_EQ(record.open(dir.file(kLearningRecordFileName), 0), RecordStatus::Ok);
    const std::string a = "ab", b = "c";
    ASSERT_EQ(record.recordAnswer({a, b}, kFirst, true, true, 100000), RecordStatus::Ok);
    EXPECT_EQ(record.state({"ab", "c"}, kFirst).box, 2);
    EXPECT_FALSE(record.state({"a", "bc"}, kFirst).asked);
    EXPECT_FALSE(record.state({"AB", "c"}, kFirst).asked);
    EXPECT_EQ(record.dueCount(pairsOf({{"a", "bc"}, {"ab", "c"}, {"ab", "c"}}), 100000), 4u)
        << "a duplicate entry counts as often as the lesson holds it";
}

// Counts read after a second trainer wrote show its answers, and this trainer's own answers
// show at once.
TEST(LearningRecord, CountsFollowTheAnswersOfBothTrainers)
{
    TempDir dir;
    const std::string path = dir.file(kLearningRecordFileName);
    const auto lesson = pairsOf({{"Haus", "house"}, {"Baum", "tree"}});
    LearningRecord mine, other;
    ASSERT_EQ(mine.open(path, 0), RecordStatus::Ok);
    ASSERT_EQ(other.open(path, 0), RecordStatus::Ok);
    const std::int64_t now = 1765209600;
    EXPECT_EQ(mine.dueCount(lesson, now), 4u);
    ASSERT_EQ(other.recordAnswer(lesson[0], kFirst, true, true, now), RecordStatus::Ok);
    EXPECT_EQ(mine.dueCount(lesson, now), 3u);
    ASSERT_EQ(mine.recordAnswer(lesson[1], kSecond, true, true, now), RecordStatus::Ok);
    EXPECT_EQ(mine.dueCount(lesson, now), 2u);
    EXPECT_EQ(mine.boxCounts(lesson)[1][1], 1u);
    EXPECT_EQ(other.dueCount(lesson, now), 2u);
}

// --- faults -------------------------------------------------------------------------------

struct Fault {
    const char* name;
    // Prepares the folder (and may hold a second connection until the test ends).
    std::function<void(const std::string& path, std::vector<std::function<void()>>& release)>
        arrange;
    RecordOptions options;
    RecordStatus openStatus;
    RecordStatus answerStatus;
    bool movedAside;
    bool goesAway; // the fault is gone once `release` has run
    friend void PrintTo(const Fault& f, std::ostream* os) { *os << f.name; }
};

void writeGarbage(const std::string& path, std::vector<std::function<void()>>&)
{
    std::ofstream(path, std::ios::binary) << std::string(5000, 'x');
}

// A record with answers, then its second page (the table's root) overwritten.
void damagePage(const std::string& path)
{
    {
        LearningRecord record;
        record.open(path, 0);
        for (int i = 0; i < 50; ++i)
            record.recordAnswer({"w" + std::to_string(i), "t"}, kFirst, true, true, 1000);
    }
    std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(4096 + 10);
    f << std::string(200, '\x7F');
}

// A second trainer's connection in the middle of a write transaction.
void holdWriteLock(const std::string& path, std::vector<std::function<void()>>& release)
{
    {
        LearningRecord first;
        first.open(path, 0);
    }
    sqlite3* other = nullptr;
    sqlite3_open(path.c_str(), &other);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE; UPDATE card SET box = box;", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    release.push_back([other] {
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(other);
    });
}

// A record whose schema this trainer does not know yet.
void writeNewerSchema(const std::string& path, std::vector<std::function<void()>>&)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE card(x); PRAGMA user_version = 2;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

class RecordFault : public ::testing::TestWithParam<Fault> {};

TEST_P(RecordFault, IsReportedOnceAndTheDrillGoesOn)
{
    const Fault& f = GetParam();
    TempDir dir;
    const std::string path = dir.file(kLearningRecordFileName);
    std::vector<std::function<void()>> release;
    f.arrange(path, release);
    const std::string before = fs::exists(path) ? readBytes(path) : "";

    LearningRecord record;
    EXPECT_EQ(record.open(path, localTime("2026-12-08 17:15:00"), f.options), f.openStatus);
    EXPECT_EQ(record.recordAnswer({"Haus", "house"}, kFirst, true, true, 2000), f.answerStatus);
    EXPECT_EQ(record.recordAnswer({"Baum", "tree"}, kSecond, false, true, 2001), f.answerStatus);
    const std::string notice = record.takeNotice();
    EXPECT_NE(notice, "");
    EXPECT_EQ(record.takeNotice(), "") << "one notice only";
    // Reading never throws or stops: without the answers, everything is due.
    EXPECT_GE(record.dueCount(pairsOf({{"Haus", "house"}}), 2002), 1u);

    if (f.movedAside) {
        ASSERT_NE(record.movedAsidePath(), "");
        EXPECT_EQ(readBytes(record.movedAsidePath()), before) << "the damaged file is kept";
        EXPECT_NE(notice.find(fs::path(record.movedAsidePath()).filename().string()),
                  std::string::npos)
            << notice;
        EXPECT_EQ(fs::path(record.movedAsidePath())
                      .filename()
                      .string()
                      .rfind("LERNSTAND.DB.beschaedigt-", 0),
                  0u);
    } else {
        EXPECT_EQ(record.movedAsidePath(), "");
    }
    if (f.answerStatus == RecordStatus::Ok) return;
    EXPECT_EQ(record.pendingAnswers(), 2u);
    if (f.openStatus == RecordStatus::Failed) {
        EXPECT_EQ(readBytes(path), before) << "a record the trainer cannot read is left alone";
    }
    // Once the fault is gone, the answers that waited go in with the next one.
    for (auto& r : release)
        r();
    if (f.goesAway) {
        EXPECT_EQ(record.recordAnswer({"Hund", "dog"}, kFirst, true, true, 2002), RecordStatus::Ok);
        EXPECT_EQ(record.pendingAnswers(), 0u);
        EXPECT_EQ(record.state({"Haus", "house"}, kFirst).box, 2);
        EXPECT_EQ(record.state({"Baum", "tree"}, kSecond).wrongCount, 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, RecordFault,
    ::testing::Values(
        // name, arrange, options, open, answers, moved aside, goes away
        Fault{"not_a_database", writeGarbage, {}, RecordStatus::Ok, RecordStatus::Ok, true, true},
        Fault{"damaged_page",
              [](const std::string& p, auto&) { damagePage(p); },
              {},
              RecordStatus::Ok,
              RecordStatus::Ok,
              true,
              true},
        Fault{"folder_missing",
              [](const std::string& p, auto&) { fs::remove(fs::path(p).parent_path()); },
              {},
              RecordStatus::Unavailable,
              RecordStatus::Unavailable,
              false,
              false},
        Fault{"a_folder_by_that_name",
              [](const std::string& p, auto& release) {
                  fs::create_directory(p);
                  release.push_back([p] { fs::remove(p); });
              },
              {},
              RecordStatus::Unavailable,
              RecordStatus::Unavailable,
              false,
              true},
        Fault{"locked_by_a_second_trainer",
              holdWriteLock,
              {50, 0},
              RecordStatus::Ok,
              RecordStatus::Locked,
              false,
              true},
        // The file may not grow past one page: the same fault as a full disk.
        Fault{"disk_full",
              [](const std::string&, auto&) {},
              {1000, 1},
              RecordStatus::DiskFull,
              RecordStatus::DiskFull,
              false,
              false},
        Fault{"written_by_a_newer_trainer",
              writeNewerSchema,
              {},
              RecordStatus::Failed,
              RecordStatus::Failed,
              false,
              false}),
    [](const auto& info) { return std::string(info.param.name); });

// Two trainers on one record, each with its own connection, answering as fast as they can:
// an answer that waited longer than the busy timeout goes in with a later one, so both keep
// every answer.
TEST(LearningRecord, TwoTrainersAtOnceBothKeepEveryAnswer)
{
    TempDir dir;
    const std::string path = dir.file(kLearningRecordFileName);
    constexpr int kAnswers = 300;
    auto trainer = [&](const std::string& prefix, int& failures) {
        LearningRecord record;
        if (record.open(path, 0) != RecordStatus::Ok) ++failures;
        for (int i = 0; i < kAnswers; ++i)
            if (record.recordAnswer({prefix + std::to_string(i), "x"}, kFirst, true, true, 5000) !=
                RecordStatus::Ok)
                ++failures;
    };
    int failuresA = 0, failuresB = 0;
    std::thread a(trainer, "a", std::ref(failuresA));
    std::thread b(trainer, "b", std::ref(failuresB));
    a.join();
    b.join();
    std::cout << "[ waits    ] answers that had to wait: " << failuresA + failuresB << "\n";
    LearningRecord record;
    ASSERT_EQ(record.open(path, 0), RecordStatus::Ok);
    std::vector<std::pair<std::string, std::string>> terms;
    for (int i = 0; i < kAnswers; ++i) {
        terms.push_back({"a" + std::to_string(i), "x"});
        terms.push_back({"b" + std::to_string(i), "x"});
    }
    const auto lesson = pairsOf(terms);
    EXPECT_EQ(record.boxCounts(lesson)[0][1], 2u * kAnswers);
}

} // namespace
