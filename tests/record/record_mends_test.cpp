// The learning record against what a learner's folder may do to it: a fault at the first open
// that is gone before the trainer closes, a file with objects planted in it, a link in its
// place, the file deleted or replaced while a trainer runs, side files copied away or brought
// in from elsewhere, a lock held through a drill. Every answer the learner gave is kept or said
// to be lost; nothing outside the record is written; a notice in German, once.
#include "learning_record.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace {

namespace fs = std::filesystem;
constexpr AskedDirection kFirst = AskedDirection::FirstTermShown;
const std::vector<TermPair> kLesson = {{"Haus", "house"}, {"Baum", "tree"}, {"Hund", "dog"}};

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// One SQL statement's first integer on a plain connection of the test's own.
std::int64_t sqlValue(const std::string& path, const char* sql)
{
    sqlite3* db = nullptr;
    std::int64_t value = -1;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            value = sqlite3_column_int64(s, 0);
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return value;
}

// Which of the lesson's entries the record at `path` knows as asked (first-term direction).
std::vector<bool> askedEntries(const std::string& path)
{
    LearningRecord record;
    record.open(path, 0);
    std::vector<bool> asked;
    for (const TermPair& e : kLesson)
        asked.push_back(record.state(e, kFirst).asked);
    return asked;
}

void exec(const std::string& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

void oneAnswer(const std::string& path, TermPair entry)
{
    LearningRecord record;
    ASSERT_EQ(record.open(path, 0), RecordStatus::Ok);
    ASSERT_EQ(record.recordAnswer(entry, kFirst, true, true, 1000), RecordStatus::Ok);
}

// A fault the first open meets, gone before the trainer closes: every answer goes in at close.
struct FirstOpenFault {
    const char* name;
    // Makes the fault; returns what takes it away.
    std::function<std::function<void()>(const std::string& path, RecordOptions& options)> arrange;
};

class FaultGoneBeforeClose : public ::testing::TestWithParam<FirstOpenFault> {};

TEST_P(FaultGoneBeforeClose, KeepsEveryAnswer)
{
    TempDir dir;
    const std::string path = dir.file(kLearningRecordFileName);
    RecordOptions options;
    options.busyTimeoutMs = 50;
    const std::function<void()> clear = GetParam().arrange(path, options);
    {
        LearningRecord record;
        record.open(path, 0, options);
        for (const TermPair& e : kLesson)
            EXPECT_NE(record.recordAnswer(e, kFirst, true, true, 2000), RecordStatus::Ok);
        EXPECT_NE(record.takeNotice(), "") << "said when the first answer is not kept";
        EXPECT_EQ(record.pendingAnswers(), kLesson.size());
        clear();
        options.maxPageCount = 0;
        record.setOptions(options);
    } // the trainer closes
    EXPECT_EQ(askedEntries(path), std::vector<bool>(kLesson.size(), true));
}

INSTANTIATE_TEST_SUITE_P(
    Record, FaultGoneBeforeClose,
    ::testing::Values(
        FirstOpenFault{"a_folder_in_its_place",
                       [](const std::string& path, RecordOptions&) -> std::function<void()> {
                           fs::create_directory(path);
                           return [path] { fs::remove(path); };
                       }},
        // Another program holds the file locked, reading blocked too, through the drill.
        FirstOpenFault{"locked_at_the_first_open",
                       [](const std::string& path, RecordOptions&) -> std::function<void()> {
                           sqlite3* db = nullptr;
                           sqlite3_open(path.c_str(), &db);
                           sqlite3_exec(db, "PRAGMA journal_mode = DELETE; BEGIN EXCLUSIVE;",
                                        nullptr, nullptr, nullptr);
                           return [db] {
                               sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
                               sqlite3_close(db);
                           };
                       }},
        // The file may not grow: as a full disk; room is made before the close.
        FirstOpenFault{"disk_full_then_freed",
                       [](const std::string&, RecordOptions& options) -> std::function<void()> {
                           options.maxPageCount = 1;
                           return [] {};
                       }},
        FirstOpenFault{"a_dangling_link_then_removed",
                       [](const std::string& path, RecordOptions&) -> std::function<void()> {
                           fs::create_symlink(path + ".elsewhere", path);
                           return [path] { fs::remove(path); };
                       }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LearningRecord, SaysHowManyAnswersItCouldNotKeepAtClose)
{
    TempDir dir;
    const std::string path = dir.file(kLearningRecordFileName);
    fs::create_directory(path);
    LearningRecord record;
    record.open(path, 0);
    for (const TermPair& e : kLesson)
        record.recordAnswer(e, kFirst, true, true, 2000);
    EXPECT_NE(record.takeNotice(), "");
    EXPECT_EQ(record.finish(), kLesson.size());
    const std::string notice = record.takeNotice();
    EXPECT_EQ(notice.rfind("3 Antworten konnten nicht in den Lernstand geschrieben werden", 0), 0u)
        << notice;
}

// A record with objects of its own planted in it: moved aside like a damaged one, the drill
// runs, its answers kept in a new record, nothing planted runs.
struct Planted {
    const char* name;
    const char* sql; // run on a record holding one answer ("Katze")
};

class PlantedRecord : public ::testing::TestWithParam<Planted> {};

TEST_P(PlantedRecord, IsMovedAsideAndNothingOfItRuns)
{
    TempDir dir;
    const std::string path = dir.file(kLearningRecordFileName);
    oneAnswer(path, {"Katze", "cat"});
    exec(path, GetParam().sql);
    const std::string planted = readBytes(path);

    LearningRecord record;
    ASSERT_EQ(record.open(path, 0), RecordStatus::Ok);
    for (const TermPair& e : kLesson)
        EXPECT_EQ(record.recordAnswer(e, kFirst, true, true, 2000), RecordStatus::Ok);
    const std::string notice = record.takeNotice();
    EXPECT_NE(notice.find("LERNSTAND.DB.beschaedigt-"), std::string::npos) << notice;
    EXPECT_EQ(record.takeNotice(), "") << "one notice";
    ASSERT_FALSE(record.movedAsidePath().empty());
    EXPECT_EQ(readBytes(record.movedAsidePath()), planted) << "kept as it was";
    for (const TermPair& e : kLesson)
        EXPECT_TRUE(record.state(e, kFirst).asked) << e.first;
    record.finish();
    EXPECT_LT(fs::file_size(path), 1u << 20);
    EXPECT_EQ(sqlValue(path, "SELECT count(*) FROM sqlite_schema WHERE type IN "
                             "('trigger', 'view') OR name = 'big'"),
              0);
}

INSTANTIATE_TEST_SUITE_P(
    Record, PlantedRecord,
    ::testing::Values(
        // Either table the trainer writes: the history erased at every answer.
        Planted{"trigger_that_erases",
                "CREATE TABLE IF NOT EXISTS answer(x); CREATE TRIGGER wipe AFTER INSERT ON "
                "answer BEGIN DELETE FROM answer; DELETE FROM card; END; CREATE TRIGGER wipe2 "
                "AFTER INSERT ON card BEGIN DELETE FROM card; END;"},
        Planted{"trigger_that_grows_the_file",
                "CREATE TABLE big(b); CREATE TABLE IF NOT EXISTS answer(x); CREATE TRIGGER grow "
                "AFTER INSERT ON answer BEGIN INSERT INTO big VALUES (zeroblob(20000000)); END; "
                "CREATE TRIGGER grow2 AFTER INSERT ON card BEGIN INSERT INTO big VALUES "
                "(zeroblob(20000000)); END;"},
        Planted{"view", "CREATE VIEW seen AS SELECT * FROM card;"},
        Planted{"table_of_its_own", "CREATE TABLE extra(x); INSERT INTO extra VALUES (1);"}),
    [](const auto& info) { return std::string(info.param.name); });

// A link in the record's place is not followed: the outside file is neither written nor made.
struct LinkCase {
    const char* name;
    bool targetExists;
};

class LinkInPlace : public ::testing::TestWithParam<LinkCase> {};

TEST_P(LinkInPlace, IsNotWrittenThrough)
{
    TempDir dir, outside;
    const std::string path = dir.file(kLearningRecordFileName);
    const std::string target = outside.file("fremd.db");
    if (GetParam().targetExists) oneAnswer(target, {"Katze", "cat"});
    const std::string before = GetParam().targetExists ? readBytes(target) : "";
    fs::create_symlink(target, path);
    {
        LearningRecord record;
        record.open(path, 0);
        for (const TermPair& e : kLesson)
            EXPECT_EQ(record.recordAnswer(e, kFirst, true, true, 2000), RecordStatus::Unavailable);
        const std::string notice = record.takeNotice();
        EXPECT_NE(notice.find("Verknüpfung"), std::string::npos) << notice;
        EXPECT_EQ(record.finish(), kLesson.size());
    }
    std::vector<std::string> files;
    for (const auto& f : fs::directory_iterator(outside.path()))
        files.push_back(f.path().filename().string());
    EXPECT_EQ(files, GetParam().targetExists ? std::vector<std::string>{"fremd.db"}
                                             : std::vector<std::string>{});
    if (GetParam().targetExists) {
        EXPECT_EQ(readBytes(target), before);
    }
    EXPECT_TRUE(fs::is_symlink(path));
}

INSTANTIATE_TEST_SUITE_P(Record, LinkInPlace,
                         ::testing::Values(LinkCase{"link", true},
                                           LinkCase{"dangling_link", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The file deleted, or replaced by another record, while a trainer runs: the session's answers
// are in what lies there afterwards, with the other record's.
struct ChangeCase {
    const char* name;
    bool replace;
};

class ChangedWhileRunning : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(ChangedWhileRunning, LosesNoAnswerOfTheSession)
{
    TempDir dir, other;
    const std::string path = dir.file(kLearningRecordFileName);
    const std::string replacement = other.file(kLearningRecordFileName);
    oneAnswer(replacement, {"Katze", "cat"});
    {
        LearningRecord record;
        ASSERT_EQ(record.open(path, 0), RecordStatus::Ok);
        ASSERT_EQ(record.recordAnswer(kLesson[0], kFirst, true, true, 2000), RecordStatus::Ok);
        ASSERT_EQ(record.recordAnswer(kLesson[1], kFirst, true, true, 2001), RecordStatus::Ok);
        if (GetParam().replace)
            fs::rename(replacement, path);
        else
            fs::remove(path);
        EXPECT_EQ(record.recordAnswer(kLesson[2], kFirst, true, true, 2002), RecordStatus::Ok);
        const std::string notice = record.takeNotice();
        EXPECT_NE(notice.find("gelöscht oder ersetzt"), std::string::npos) << notice;
    }
    EXPECT_EQ(askedEntries(path), std::vector<bool>(kLesson.size(), true));
    EXPECT_EQ(sqlValue(path, "SELECT count(*) FROM answer"), GetParam().replace ? 4 : 3);
    LearningRecord record;
    record.open(path, 0);
    EXPECT_EQ(record.state({"Katze", "cat"}, kFirst).asked, GetParam().replace);
}

INSTANTIATE_TEST_SUITE_P(Record, ChangedWhileRunning,
                         ::testing::Values(ChangeCase{"deleted", false},
                                           ChangeCase{"replaced", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// What a sync tool or a backup copies while a trainer has the record open: the main file alone
// holds every answer given.
TEST(LearningRecord, MainFileAloneHoldsEveryAnswerWhileATrainerRuns)
{
    TempDir dir, copy;
    const std::string path = dir.file(kLearningRecordFileName);
    LearningRecord record;
    ASSERT_EQ(record.open(path, 0), RecordStatus::Ok);
    for (int i = 0; i < 12; ++i)
        ASSERT_EQ(
            record.recordAnswer({"w" + std::to_string(i), "x"}, kFirst, i % 3 != 0, true, 2000 + i),
            RecordStatus::Ok);
    fs::copy_file(path, copy.file(kLearningRecordFileName));
    EXPECT_EQ(sqlValue(copy.file(kLearningRecordFileName), "SELECT count(*) FROM answer"), 12);
    record.finish();
    std::vector<std::string> files;
    for (const auto& f : fs::directory_iterator(dir.path()))
        files.push_back(f.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>{kLearningRecordFileName}) << "no side files at rest";
}

// A side file from elsewhere (another copy of the record, an older moment of this one) that
// arrives beside the record at rest is never applied over its answers.
struct SideFileCase {
    const char* name;
    bool sameRecord; // an older moment of this record; else another record's
};

class ForeignSideFile : public ::testing::TestWithParam<SideFileCase> {};

TEST_P(ForeignSideFile, IsMovedAsideNotApplied)
{
    TempDir dir, elsewhere, snapshot;
    const std::string path = dir.file(kLearningRecordFileName);
    const std::string source =
        GetParam().sameRecord ? path : elsewhere.file(kLearningRecordFileName);
    if (!GetParam().sameRecord) oneAnswer(path, kLesson[0]);
    {
        // A running trainer's side file, taken away while it writes.
        LearningRecord record;
        record.open(source, 0);
        for (int i = 0; i < 30; ++i)
            record.recordAnswer({"alt" + std::to_string(i), "x"}, kFirst, true, true, 1000 + i);
        ASSERT_TRUE(fs::exists(source + "-wal"));
        fs::copy_file(source + "-wal", snapshot.file("wal"));
    }
    for (int i = 0; i < 30; ++i) // newer answers, the record at rest
        oneAnswer(path, {"neu" + std::to_string(i), "x"});
    const std::int64_t answers = sqlValue(path, "SELECT count(*) FROM answer");
    fs::copy_file(snapshot.file("wal"), path + "-wal", fs::copy_options::overwrite_existing);

    LearningRecord record;
    ASSERT_EQ(record.open(path, 5000), RecordStatus::Ok);
    const std::string notice = record.takeNotice();
    EXPECT_NE(notice.find("LERNSTAND.DB-wal"), std::string::npos) << notice;
    EXPECT_EQ(record.takeNotice(), "");
    EXPECT_TRUE(record.state({"neu29", "x"}, kFirst).asked);
    record.finish();
    EXPECT_EQ(sqlValue(path, "SELECT count(*) FROM answer"), answers);
    EXPECT_EQ(LearningRecord().open(path, 6000), RecordStatus::Ok);
    EXPECT_FALSE(fs::exists(path + ".beschaedigt-"
                                   "19700101-013320"))
        << "whole";
    bool aside = false;
    for (const auto& f : fs::directory_iterator(dir.path()))
        aside = aside || f.path().filename().string().rfind("LERNSTAND.DB-wal.fremd-", 0) == 0;
    EXPECT_TRUE(aside);
}

INSTANTIATE_TEST_SUITE_P(Record, ForeignSideFile,
                         ::testing::Values(SideFileCase{"older_moment_of_this_record", true},
                                           SideFileCase{"another_record", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A trainer killed after answers leaves its side file; the next start applies it (it is ours)
// and says nothing.
TEST(LearningRecord, OwnSideFileOfAKilledTrainerIsApplied)
{
    TempDir dir;
    const std::string path = dir.file(kLearningRecordFileName);
    oneAnswer(path, kLesson[0]);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto* record = new LearningRecord; // never destroyed: the process ends as if killed
        record->open(path, 0);
        record->recordAnswer(kLesson[1], kFirst, true, true, 2000);
        record->recordAnswer(kLesson[2], kFirst, true, true, 2001);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(fs::exists(path + "-wal"));
    LearningRecord record;
    ASSERT_EQ(record.open(path, 0), RecordStatus::Ok);
    EXPECT_EQ(record.takeNotice(), "");
    for (const TermPair& e : kLesson)
        EXPECT_TRUE(record.state(e, kFirst).asked) << e.first;
}

// A kill while the file was being made leaves it empty: an empty record, nothing moved aside.
TEST(LearningRecord, FileLeftEmptyByAKillIsAnEmptyRecord)
{
    TempDir dir;
    const std::string path = dir.file(kLearningRecordFileName);
    std::ofstream(path, std::ios::binary).close();
    LearningRecord record;
    ASSERT_EQ(record.open(path, 0), RecordStatus::Ok);
    EXPECT_EQ(record.dueCount(kLesson, 0), 2 * kLesson.size());
    record.recordAnswer(kLesson[0], kFirst, true, true, 1000);
    record.finish();
    EXPECT_EQ(record.takeNotice(), "");
    EXPECT_EQ(sqlValue(path, "SELECT count(*) FROM answer"), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// During a lock every answer but the first waits only briefly; the notice is German, SQLite's
// English words are left for standard error.
TEST(LearningRecord, LockedRecordDelaysOnlyTheFirstAnswer)
{
    TempDir dir;
    const std::string path = dir.file(kLearningRecordFileName);
    sqlite3* holder = nullptr;
    sqlite3_open(path.c_str(), &holder);
    sqlite3_exec(holder, "PRAGMA journal_mode = DELETE; BEGIN EXCLUSIVE;", nullptr, nullptr,
                 nullptr);
    RecordOptions options;
    options.busyTimeoutMs = 1000;
    LearningRecord record;
    record.open(path, 0, options);
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(record.recordAnswer({"w" + std::to_string(i), "x"}, kFirst, true, true, 2000),
                  RecordStatus::Locked);
    const auto waited = std::chrono::steady_clock::now() - t0;
    // The short waits come to 1.5 s; six full ones to 6 s. The bound between leaves room for a
    // busy machine.
    EXPECT_LT(waited, std::chrono::milliseconds(3500)) << "each answer waited in full";
    const std::string notice = record.takeNotice();
    EXPECT_EQ(notice, "Der Lernstand wird nicht geführt: ein zweiter Trainer hält die Datei "
                      "gesperrt. Die Übung läuft weiter.");
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
}

// A start that answers nothing leaves no file.
TEST(LearningRecord, CreatesNoFileUntilThereIsAnAnswer)
{
    TempDir dir;
    const std::string path = dir.file(kLearningRecordFileName);
    {
        LearningRecord record;
        EXPECT_EQ(record.open(path, 0), RecordStatus::Ok);
        EXPECT_EQ(record.dueCount(kLesson, 0), 2 * kLesson.size());
        EXPECT_EQ(record.takeNotice(), "");
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

} // namespace
