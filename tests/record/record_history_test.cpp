// The answer history: a record of the earlier schema taken over without losing or re-asking
// anything, and conflict copies of a sync tool merged by answer id.
#include "learning_record.h"
#include "temp_dir.h"
#include "tz_guard.h"
#include "windows1252.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
constexpr AskedDirection kFirst = AskedDirection::FirstTermShown;
constexpr AskedDirection kSecond = AskedDirection::SecondTermShown;

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

void exec(const std::string& path, const std::string& sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// The record as the earlier trainer wrote it: one row per entry and direction.
const char* const kEarlierRecord = R"(PRAGMA journal_mode = WAL;
CREATE TABLE card(
    term1 BLOB NOT NULL,
    term2 BLOB NOT NULL,
    direction INTEGER NOT NULL CHECK (direction IN (0, 1)),
    pair_key INTEGER NOT NULL,
    box INTEGER NOT NULL CHECK (box BETWEEN 1 AND 5),
    last_asked INTEGER,
    due_day INTEGER,
    right_count INTEGER NOT NULL DEFAULT 0,
    wrong_count INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (term1, term2, direction)
) WITHOUT ROWID;
PRAGMA user_version = 1;
)";

TEST(RecordHistory, TakesOverTheEarlierSchemaLosingNothingAskingNothingTwice)
{
    TzGuard berlin("Europe/Berlin");
    TempDir dir;
    const std::string path = dir.file(kLearningRecordFileName);
    const std::int64_t asked = localTime("2026-12-01 10:00:00");
    const std::int64_t askedDay = localDayNumber(asked);
    // Haus: box 4 (due in 8 days), Baum: box 1 (due the next day), Hund: asked the other way.
    exec(path,
         std::string(kEarlierRecord) +
             "INSERT INTO card VALUES (CAST('Haus' AS BLOB), CAST('house' AS BLOB), 0, 1, 4, " +
             std::to_string(asked) + ", " + std::to_string(askedDay + 8) +
             ", 3, 0), (CAST('Baum' AS BLOB), CAST('tree' AS BLOB), 0, 2, 1, " +
             std::to_string(asked) + ", " + std::to_string(askedDay + 1) +
             ", 0, 2), (CAST('Hund' AS BLOB), CAST('dog' AS BLOB), 1, 3, 2, " +
             std::to_string(asked) + ", " + std::to_string(askedDay + 2) + ", 1, 0);");
    const std::vector<TermPair> lesson = {{"Haus", "house"}, {"Baum", "tree"}, {"Hund", "dog"}};
    const std::int64_t dec5 = localTime("2026-12-05 12:00:00");
    const std::vector<DueItem> dueOnDec5 = {
        {0, kSecond}, {1, kFirst}, {1, kSecond}, {2, kFirst}, {2, kSecond}};

    LearningRecord record;
    ASSERT_EQ(record.open(path, dec5), RecordStatus::Ok);
    EXPECT_EQ(record.dueItems(lesson, dec5), dueOnDec5) << "read as it was";
    EXPECT_EQ(sqlValue(path, "PRAGMA user_version"), 1) << "opening writes nothing";
    const BoxState haus = record.state(lesson[0], kFirst);
    EXPECT_EQ(std::make_tuple(haus.box, haus.rightCount, haus.dueDay),
              std::make_tuple(4, 3u, askedDay + 8));

    ASSERT_EQ(record.recordAnswer(lesson[1], kFirst, true, true, dec5, 1), RecordStatus::Ok);
    // From box 1 (a day, difficulty of "Again"), right four days on: seven days, box 3.
    const BoxState baum = record.state(lesson[1], kFirst);
    EXPECT_EQ(std::make_tuple(baum.box, baum.dueDay), std::make_tuple(3, localDayNumber(dec5) + 7))
        << "goes on from the box taken over";
    record.finish();
    EXPECT_EQ(sqlValue(path, "PRAGMA user_version"), 3);
    EXPECT_EQ(sqlValue(path, "SELECT count(*) FROM card"), 3) << "the boxes stay";
    EXPECT_EQ(sqlValue(path, "SELECT count(*) FROM answer"), 1);

    LearningRecord again;
    ASSERT_EQ(again.open(path, dec5), RecordStatus::Ok);
    EXPECT_EQ(again.dueItems(lesson, dec5),
              (std::vector<DueItem>{{0, kSecond}, {1, kSecond}, {2, kFirst}, {2, kSecond}}));
    EXPECT_EQ(again.takeNotice(), "");
}

// The answer table of version 2, as that trainer created it.
const char* const kVersion2Answers = R"(CREATE TABLE answer(
    id BLOB NOT NULL UNIQUE,
    time INTEGER NOT NULL,
    term1 BLOB NOT NULL,
    term2 BLOB NOT NULL,
    direction INTEGER NOT NULL CHECK (direction IN (0, 1)),
    right INTEGER NOT NULL CHECK (right IN (0, 1)),
    first_asking INTEGER NOT NULL CHECK (first_asking IN (0, 1)),
    drill INTEGER NOT NULL,
    computer TEXT NOT NULL
);
CREATE INDEX answer_by_entry ON answer(term1, term2, direction, time);
INSERT INTO answer VALUES (x'00112233445566778899aabbccddeeff', 50, CAST('Haus' AS BLOB),
    CAST('house' AS BLOB), 0, 1, 1, 7, 'schule');
PRAGMA user_version = 2;
)";

TEST(RecordHistory, KeepsTheLessonFilesOfItsAnswersTakenOverAndMerged)
{
    TempDir dir, other;
    const std::string path = dir.file(kLearningRecordFileName);
    exec(path, std::string(kEarlierRecord) + kVersion2Answers);
    const std::string theirs = other.file(kLearningRecordFileName);
    {
        LearningRecord home; // the other computer's copy, of today's schema
        home.open(theirs, 0);
        home.setLesson("/lektionen/C.lsn");
        home.recordAnswer({"Hund", "dog"}, kFirst, true, true, 400, 3);
        home.setLesson("/lektionen/A.lsn");
        home.recordAnswer({"Baum", "tree"}, kFirst, true, true, 500, 3);
    }

    LearningRecord record;
    ASSERT_EQ(record.open(path, 100), RecordStatus::Ok) << "version 2 is taken over";
    EXPECT_EQ(record.lessonFiles(), std::vector<std::string>{}) << "it named no lessons";
    record.setLesson("/lektionen/A.lsn");
    record.recordAnswer({"Haus", "house"}, kFirst, true, true, 100, 1);
    record.setLesson("/lektionen/B.lsn");
    record.recordAnswer({"Haus", "house"}, kSecond, true, true, 200, 1);
    record.setLesson({}); // a lesson of no file (a table read in)
    record.recordAnswer({"Haus", "house"}, kSecond, true, false, 300, 1);
    EXPECT_EQ(record.lessonFiles(),
              (std::vector<std::string>{"/lektionen/B.lsn", "/lektionen/A.lsn"}))
        << "the latest answered first";
    record.finish();
    EXPECT_EQ(sqlValue(path, "PRAGMA user_version"), 3);
    EXPECT_EQ(sqlValue(path, "SELECT count(*) FROM answer"), 4) << "the earlier answer stays";

    fs::rename(theirs, dir.file("LERNSTAND.sync-conflict-20261208-101500-ABCDEFG.DB"));
    LearningRecord merged;
    ASSERT_EQ(merged.open(path, 1000), RecordStatus::Ok);
    EXPECT_EQ(
        merged.lessonFiles(),
        (std::vector<std::string>{"/lektionen/A.lsn", "/lektionen/C.lsn", "/lektionen/B.lsn"}))
        << "the copy's lessons, each at its latest answer of both";
}

// The state of an entry is the same whether it was read on its own, with every answer at
// once, or caught up with answer by answer: boxes taken over, a second trainer's answers (one
// of them older than the entry's latest), this trainer's own.
class SummaryReading : public ::testing::TestWithParam<std::size_t> {};

TEST_P(SummaryReading, GivesTheStateOfTheWholeHistory)
{
    TzGuard berlin("Europe/Berlin");
    TempDir dir;
    const std::string path = dir.file(kLearningRecordFileName);
    const std::int64_t day = 24 * 60 * 60, t0 = localTime("2026-12-01 10:00:00");
    exec(path, std::string(kEarlierRecord) +
                   "INSERT INTO card VALUES (CAST('Haus' AS BLOB), CAST('house' AS BLOB), 0, 1, "
                   "4, " +
                   std::to_string(t0) + ", " + std::to_string(localDayNumber(t0) + 8) + ", 3, 0);");
    const std::vector<TermPair> lesson = {{"Haus", "house"}, {"Baum", "tree"}, {"Hund", "dog"}};
    RecordOptions reading;
    reading.entriesReadOneByOne = GetParam();
    LearningRecord other, record;
    other.open(path, t0);
    other.recordAnswer(lesson[1], kFirst, false, true, t0, 1);
    ASSERT_EQ(record.open(path, t0, reading), RecordStatus::Ok);
    EXPECT_EQ(record.dueCount({lesson[1]}, t0 + day), 2u) << "Baum only: the others unread";
    other.recordAnswer(lesson[1], kFirst, true, true, t0 + 3 * day, 2);
    other.recordAnswer(lesson[1], kFirst, true, true, t0 + 2 * day, 3); // a clock behind
    other.recordAnswer(lesson[1], kFirst, true, true, t0 + 5 * day, 6);
    other.recordAnswer(lesson[2], kSecond, true, true, t0 + 3 * day, 2);
    record.recordAnswer(lesson[0], kFirst, true, true, t0 + 4 * day, 4);
    record.recordAnswer(lesson[1], kSecond, false, true, t0 + 4 * day, 4);
    record.recordAnswer(lesson[1], kSecond, true, false, t0 + 4 * day, 4);
    other.recordAnswer(lesson[1], kSecond, true, true, t0 + 5 * day, 5);

    LearningRecord fresh;
    ASSERT_EQ(fresh.open(path, t0, reading), RecordStatus::Ok);
    for (const TermPair& entry : lesson)
        for (const AskedDirection d : {kFirst, kSecond}) {
            const BoxState a = record.state(entry, d), b = fresh.state(entry, d);
            EXPECT_EQ(std::make_tuple(a.box, a.asked, a.dueDay, a.rightCount, a.wrongCount),
                      std::make_tuple(b.box, b.asked, b.dueDay, b.rightCount, b.wrongCount))
                << entry.first << " " << static_cast<int>(d);
        }
    EXPECT_EQ(record.state(lesson[1], kSecond).rightCount, 2u) << "every answer once";
    EXPECT_EQ(record.state(lesson[0], kFirst).rightCount, 4u) << "the box taken over, then one";
    EXPECT_EQ(record.dueItems(lesson, t0 + 6 * day), fresh.dueItems(lesson, t0 + 6 * day));
}

INSTANTIATE_TEST_SUITE_P(Record, SummaryReading, ::testing::Values(0u, 100000u),
                         [](const auto& info) {
                             return info.param == 0 ? "every_answer_at_once" : "entry_by_entry";
                         });

// Two computers each drilled on their own copy; the sync tool left one as a conflict copy.
struct CopyName {
    const char* tool;
    const char* name;
    bool merged;
};

class ConflictCopy : public ::testing::TestWithParam<CopyName> {};

TEST_P(ConflictCopy, IsMergedByAnswerIdOnce)
{
    TempDir dir, other;
    const std::string path = dir.file(kLearningRecordFileName);
    const std::string theirs = other.file(kLearningRecordFileName);
    {
        LearningRecord shared; // drilled before the two copies parted
        shared.open(path, 0);
        shared.recordAnswer({"Haus", "house"}, kFirst, true, true, 1000, 1);
        shared.recordAnswer({"Baum", "tree"}, kFirst, false, true, 1001, 1);
    }
    fs::copy_file(path, theirs);
    {
        LearningRecord school;
        school.open(path, 0);
        school.recordAnswer({"Baum", "tree"}, kFirst, true, true, 90000, 2);
    }
    {
        LearningRecord home;
        home.open(theirs, 0);
        home.recordAnswer({"Hund", "dog"}, kSecond, true, true, 90500, 3);
        home.recordAnswer({"Baum", "tree"}, kSecond, true, true, 90501, 3);
    }
    const std::string copy = dir.file(GetParam().name);
    fs::rename(theirs, copy);

    LearningRecord record;
    ASSERT_EQ(record.open(path, 100000), RecordStatus::Ok);
    const std::string notice = record.takeNotice();
    EXPECT_EQ(notice.find("Konfliktkopie") != std::string::npos, GetParam().merged) << notice;
    EXPECT_EQ(record.takeNotice(), "") << "said once";
    EXPECT_EQ(record.state({"Hund", "dog"}, kSecond).asked, GetParam().merged);
    EXPECT_EQ(record.state({"Baum", "tree"}, kFirst).box, 2) << "wrong, then right: box 2";
    record.finish();
    EXPECT_EQ(sqlValue(path, "SELECT count(*) FROM answer"), GetParam().merged ? 5 : 3)
        << "every answer of both, none twice";
    EXPECT_EQ(fs::exists(copy), !GetParam().merged);
    if (!GetParam().merged) return;
    EXPECT_NE(notice.find("2 Antworten"), std::string::npos) << notice;
    EXPECT_NE(notice.find(GetParam().name), std::string::npos) << notice;
    EXPECT_TRUE(isValidUtf8(notice)) << "a computer's name with umlauts is shown as it is";
    bool aside = false;
    for (const auto& f : fs::directory_iterator(dir.path()))
        aside = aside || f.path().filename().string().rfind(
                             std::string(GetParam().name) + ".zusammengefuehrt-", 0) == 0;
    EXPECT_TRUE(aside);
    LearningRecord later; // the copy is not merged a second time
    later.open(path, 100001);
    EXPECT_EQ(later.takeNotice(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Record, ConflictCopy,
    ::testing::Values(
        CopyName{"syncthing", "LERNSTAND.sync-conflict-20261208-101500-ABCDEFG.DB", true},
        CopyName{"nextcloud", "LERNSTAND (conflicted copy 2026-12-08 101500).DB", true},
        CopyName{"dropbox", "LERNSTAND (Anna's conflicted copy 2026-12-08).DB", true},
        CopyName{"dropbox_de", "LERNSTAND (Jürgens in Konflikt stehende Kopie 2026-12-08).DB",
                 true},
        CopyName{"not_a_conflict", "LERNSTAND-alt.DB", false}),
    [](const auto& info) { return std::string(info.param.tool); });

} // namespace
