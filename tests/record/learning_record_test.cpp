// The learning record on disk: the box rule through a lesson across sessions, counts that
// follow a second trainer, and every fault reported as a value with one notice, the answers
// kept where the file allows.
#include "file_bytes.h"
#include "learning_record.h"
#include "temp_dir.h"
#include "tz_guard.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace {

namespace fs = std::filesystem;
constexpr AskedDirection kFirst = AskedDirection::FirstTermShown;
constexpr AskedDirection kSecond = AskedDirection::SecondTermShown;

// A lesson of four entries, a normal drill with one wrong answer; then one and two days on.
TEST(LearningRecord, KeepsBoxesAndDueDaysOfALessonAcrossSessions)
{
    TzGuard berlin("Europe/Berlin");
    TempDir dir;
    const std::string path = dir.file(kLearningRecordFileName);
    const std::vector<TermPair> lesson = {
        {"Haus", "house"}, {"Baum", "tree"}, {"K\xE4se", "cheese"}, {"Hund", "dog"}};
    const std::int64_t drill = localTime("2026-12-08 17:00:00");
    {
        LearningRecord record;
        ASSERT_EQ(record.open(path, drill), RecordStatus::Ok);
        EXPECT_EQ(record.dueCount(lesson, drill), 8u) << "never asked: due at once, both ways";
        for (std::size_t i = 0; i < lesson.size(); ++i)
            EXPECT_EQ(record.recordAnswer(lesson[i], kFirst, i != 2, true, drill),
                      RecordStatus::Ok);
        for (int k = 0; k < 2; ++k) // the repetition pass
            EXPECT_EQ(record.recordAnswer(lesson[2], kFirst, true, false, drill), RecordStatus::Ok);
        EXPECT_EQ(record.takeNotice(), "");
    }
    LearningRecord record;
    ASSERT_EQ(record.open(path, drill), RecordStatus::Ok);
    const BoxState kaese = record.state(lesson[2], kFirst);
    EXPECT_EQ(std::make_tuple(kaese.box, kaese.rightCount, kaese.wrongCount),
              std::make_tuple(1, 2u, 1u));
    EXPECT_FALSE(record.state({"Haus", "houses"}, kFirst).asked) << "known by both terms";

    const std::vector<std::pair<const char*, std::vector<DueItem>>> days = {
        {"2026-12-08 23:59:59", {{0, kSecond}, {1, kSecond}, {2, kSecond}, {3, kSecond}}},
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
          {3, kSecond}}}};
    for (const auto& [at, due] : days) {
        EXPECT_EQ(record.dueItems(lesson, localTime(at)), due) << at;
        EXPECT_EQ(record.dueCount(lesson, localTime(at)), due.size()) << at;
    }
    EXPECT_EQ(record.boxCounts(lesson), (BoxCounts{{{1, 3, 0, 0, 0}, {4, 0, 0, 0, 0}}}));
}

// Counts read after a second trainer wrote show its answers, and one's own at once.
TEST(LearningRecord, CountsFollowTheAnswersOfBothTrainers)
{
    TempDir dir;
    const std::vector<TermPair> lesson = {{"Haus", "house"}, {"Baum", "tree"}};
    LearningRecord mine, other;
    ASSERT_EQ(mine.open(dir.file(kLearningRecordFileName), 0), RecordStatus::Ok);
    ASSERT_EQ(other.open(dir.file(kLearningRecordFileName), 0), RecordStatus::Ok);
    EXPECT_EQ(mine.dueCount(lesson, 0), 4u);
    ASSERT_EQ(other.recordAnswer(lesson[0], kFirst, true, true, 0), RecordStatus::Ok);
    EXPECT_EQ(mine.dueCount(lesson, 0), 3u);
    ASSERT_EQ(mine.recordAnswer(lesson[1], kSecond, true, true, 0), RecordStatus::Ok);
    EXPECT_EQ(mine.dueCount(lesson, 0), 2u);
    EXPECT_EQ(other.dueCount(lesson, 0), 2u);
}

using Release = std::vector<std::function<void()>>;

struct Fault {
    const char* name;
    std::function<void(const std::string& path, Release& release)> arrange;
    RecordOptions options;
    RecordStatus openStatus;
    RecordStatus answerStatus;
    bool movedAside;
    bool goesAway; // the fault is gone once `release` has run
    friend void PrintTo(const Fault& f, std::ostream* os) { *os << f.name; }
};

void writeGarbage(const std::string& path, Release&)
{
    std::ofstream(path, std::ios::binary) << std::string(5000, 'x');
}

// A record with answers, then the answers' root page overwritten.
void damagePage(const std::string& path, Release&)
{
    {
        LearningRecord record;
        record.open(path, 0);
        for (int i = 0; i < 50; ++i)
            record.recordAnswer({"w" + std::to_string(i), "t"}, kFirst, true, true, 1000);
    }
    std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(2 * 4096 + 10);
    f << std::string(200, '\x7F');
}

void sqlOnRecord(const std::string& path, const char* sql, Release& release)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    release.push_back([db] {
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    });
}

void nothing(const std::string&, Release&) {}

void aFolder(const std::string& path, Release& release)
{
    fs::create_directory(path);
    release.push_back([path] { fs::remove(path); });
}

// A record with one answer (the file is made with the first answer to keep).
void aRecord(const std::string& path)
{
    LearningRecord record;
    record.open(path, 0);
    record.recordAnswer({"Katze", "cat"}, kFirst, true, true, 1000);
}

// A second trainer's connection in the middle of a write transaction.
void lockedByOther(const std::string& path, Release& release)
{
    aRecord(path);
    sqlOnRecord(path, "BEGIN EXCLUSIVE; UPDATE card SET box = box;", release);
}

void newerSchema(const std::string& path, Release& release)
{
    sqlOnRecord(path, "CREATE TABLE card(x); PRAGMA user_version = 4;", release);
}

class RecordFault : public ::testing::TestWithParam<Fault> {};

TEST_P(RecordFault, IsReportedOnceAndTheDrillGoesOn)
{
    const Fault& f = GetParam();
    TempDir dir;
    const std::string path = dir.file(kLearningRecordFileName);
    Release release;
    f.arrange(path, release);
    const std::string before = fs::exists(path) ? readBytes(path) : "";

    LearningRecord record;
    EXPECT_EQ(record.open(path, localTime("2026-12-08 17:15:00"), f.options), f.openStatus);
    EXPECT_EQ(record.recordAnswer({"Haus", "house"}, kFirst, true, true, 2000), f.answerStatus);
    EXPECT_EQ(record.recordAnswer({"Baum", "tree"}, kSecond, false, true, 2001), f.answerStatus);
    const std::string notice = record.takeNotice();
    EXPECT_NE(notice, "");
    EXPECT_EQ(record.takeNotice(), "") << "one notice only";
    EXPECT_GE(record.dueCount({{"Haus", "house"}}, 2002), 1u);

    const std::string aside = fs::path(record.movedAsidePath()).filename().string();
    EXPECT_EQ(aside.rfind("LERNSTAND.DB.beschaedigt-", 0) == 0, f.movedAside) << aside;
    if (f.movedAside) {
        EXPECT_EQ(readBytes(record.movedAsidePath()), before) << "the damaged file is kept";
        EXPECT_NE(notice.find(aside), std::string::npos) << notice;
    }
    if (f.answerStatus == RecordStatus::Ok) return;
    EXPECT_EQ(record.pendingAnswers(), 2u);
    if (f.openStatus == RecordStatus::Failed) {
        EXPECT_EQ(readBytes(path), before) << "a record the trainer cannot read is left alone";
    }
    for (auto& r : release)
        r();
    if (!f.goesAway) return;
    // The answers that waited go in with the next one.
    EXPECT_EQ(record.recordAnswer({"Hund", "dog"}, kFirst, true, true, 2002), RecordStatus::Ok);
    EXPECT_EQ(record.pendingAnswers(), 0u);
    EXPECT_EQ(record.state({"Baum", "tree"}, kSecond).wrongCount, 1u);
}

using S = RecordStatus;

INSTANTIATE_TEST_SUITE_P(
    Files, RecordFault,
    ::testing::Values(
        // name, arrange, options, open, answers, moved aside, goes away
        Fault{"not_a_database", writeGarbage, {}, S::Ok, S::Ok, true, true},
        Fault{"damaged_page", damagePage, {}, S::Ok, S::Ok, true, true},
        Fault{"a_folder_by_that_name", aFolder, {}, S::Unavailable, S::Unavailable, false, true},
        // At rest the file has a rollback journal: a writer's lock keeps readers out too.
        Fault{"locked_by_another_trainer",
              lockedByOther,
              {50, 0, {}},
              S::Locked,
              S::Locked,
              false,
              true},
        // The file may not grow past one page: the same fault as a full disk. Opening a
        // missing file creates nothing, so only the answers meet it.
        Fault{"disk_full", nothing, {1000, 1, {}}, S::Ok, S::DiskFull, false, false},
        Fault{"written_by_a_newer_trainer", newerSchema, {}, S::Failed, S::Failed, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
