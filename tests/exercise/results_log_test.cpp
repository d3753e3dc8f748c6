#include "results_log.h"
#include "fifo_guard.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <time.h>

namespace {

using namespace std::string_literals;

std::tm utc(std::int64_t t)
{
    const auto tt = static_cast<std::time_t>(t);
    std::tm out{};
    gmtime_r(&tt, &out);
    return out;
}

ResultRecord sample(std::uint32_t entries = 12, const std::string& name = "Rudarudn1")
{
    // 2025-12-06 13:05 UTC, 3 min 7 s, case on, punctuation off, order on, default thresholds.
    return {1765026300, 187, name, {true, false, true}, {90, 80, 66, 50, 20}, 2, entries, 3};
}

TEST(ResultsTable, ExampleInLocalTimeByteForByte)
{
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1); // 14:05 on 6 December
    tzset();
    const auto local = [](std::int64_t t) {
        const auto tt = static_cast<std::time_t>(t);
        std::tm out{};
        localtime_r(&tt, &out);
        return out;
    };
    ResultsLog log;
    log.append(sample());
    const ResultsLogView view = resultsLogView(log, local);
    const std::string rule = std::string(68, '-') + "\r";
    EXPECT_FALSE(view.notice);
    EXPECT_EQ(view.title, "Übungsprotokoll");
    EXPECT_EQ(view.text,
              "            Dauer  --Anzahl--      ab a,b a,b\r"
              "Datum  Zeit mmm:ss Begr. Fehl NOTE AB a b b,a Notenschlüssel Lektion\r" +
                  rule +
                  " 6.12. 14:05  3:07   12     3   2   x  -   x  90 80 66 50 20 Rudarudn1\r" +
                  rule);
}

TEST(ResultsTable, LongExerciseWidensTheMinutesAndThresholdsPrintUnsigned)
{
    ResultRecord r = sample();
    r.duration = 1000 * 60 + 5;
    r.thresholds[0] = 0xFFFFFFFBu;
    EXPECT_EQ(resultsTableRow(r, utc(r.startTime)),
              " 6.12. 13:051000:05   12     3   2   x  -   x 4294967291 80 66 50 20 Rudarudn1\r");
}

struct CellsCase {
    const char* name;
    std::uint32_t duration;
    CompareOptions options;
    std::vector<std::string> cells;
};

class ResultsCells : public ::testing::TestWithParam<CellsCase> {};

// One cell per column, without the padding the text table has.
TEST_P(ResultsCells, OnePerColumnAsSpoken)
{
    ResultRecord r = sample();
    r.duration = GetParam().duration;
    r.options = GetParam().options;
    const std::vector<std::string> cells = resultsTableCells(r, utc(r.startTime));
    EXPECT_EQ(cells.size(), std::size(kResultsTableColumns));
    EXPECT_EQ(cells, GetParam().cells);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ResultsCells,
    ::testing::Values(CellsCase{"sample",
                                187,
                                {true, false, true},
                                {"6.12.", "13:05", "3:07", "12", "3", "2", "ja", "nein", "ja",
                                 "90 80 66 50 20", "Rudarudn1"}},
                      CellsCase{"long_all_off",
                                60005,
                                {false, false, false},
                                {"6.12.", "13:05", "1000:05", "12", "3", "2", "nein", "nein",
                                 "nein", "90 80 66 50 20", "Rudarudn1"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ResultsTable, ViewHoldsTheCellsOfEachRecordOldestFirst)
{
    ResultsLog log;
    log.append(sample(12, "A"));
    log.append(sample(7, "B"));
    const ResultsLogView view = resultsLogView(log, utc);
    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.rows[0].back(), "A");
    EXPECT_EQ(view.rows[1][3], "7");
}

// The record keeps the lesson name's Windows-1252 bytes; the table shows their letters.
TEST(ResultsTable, LessonNameBytesShowAsTheirLetters)
{
    ResultRecord r = sample();
    r.lessonName = "Franz\xF6sisch \x80";
    EXPECT_TRUE(resultsTableRow(r, utc(r.startTime)).ends_with(" Französisch €\r"));
}

TEST(ResultsTable, EmptyLogShowsTheNotice)
{
    const ResultsLogView view = resultsLogView(ResultsLog(), utc);
    EXPECT_TRUE(view.notice);
    EXPECT_EQ(view.title, "Übungsergebnis");
    EXPECT_EQ(view.text, "Kein aktuelles Ergebnis verfügbar!");
}

// The start time field holds 32 bits written from the calendar time; a time after January 2038
// has the top bit set and is read back as the unsigned count it was written as (until 2106).
struct StartTimeCase {
    const char* name;
    std::uint32_t bits;
    const char* row; // the row's date, time and duration, UTC
};

class ResultsTableStartTime : public ::testing::TestWithParam<StartTimeCase> {};

TEST_P(ResultsTableStartTime, RowShowsTheDateTheBitsWereWrittenFor)
{
    ResultsLog written;
    ResultRecord r = sample();
    r.startTime = GetParam().bits;
    written.append(r);
    const ResultsLog log = ResultsLog::fromBytes(written.bytes());
    EXPECT_EQ(written.bytes().substr(0, 4),
              std::string({static_cast<char>(GetParam().bits & 0xFF),
                           static_cast<char>((GetParam().bits >> 8) & 0xFF),
                           static_cast<char>((GetParam().bits >> 16) & 0xFF),
                           static_cast<char>(GetParam().bits >> 24)}));
    const std::string text = resultsLogView(log, utc).text;
    EXPECT_NE(text.find(std::string("\r") + GetParam().row + "   12 "), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    AroundTwoToThe31, ResultsTableStartTime,
    ::testing::Values(StartTimeCase{"last_signed_second", 0x7FFFFFFFu, "19. 1.  3:14  3:07"},
                      StartTimeCase{"first_after_the_signed_range", 0x80000000u,
                                    "19. 1.  3:14  3:07"},
                      StartTimeCase{"a_result_of_2040", 2218960800u, "25. 4. 10:00  3:07"},
                      StartTimeCase{"last_unsigned_second", 0xFFFFFFFFu, " 7. 2.  6:28  3:07"},
                      StartTimeCase{"the_epoch", 0u, " 1. 1.  0:00  3:07"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ResultsLog, TwentyFirstRecordPushesOutTheOldest)
{
    ResultsLog log;
    for (std::uint32_t i = 1; i <= 21; ++i)
        log.append(sample(i, "L" + std::to_string(i)));
    EXPECT_EQ(log.usedSlots(), kResultSlots);
    EXPECT_EQ(log.record(0), sample(2, "L2"));
    EXPECT_EQ(log.record(19), sample(21, "L21"));
    const std::string text = resultsLogView(log, utc).text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 3 + 20 + 1);
    EXPECT_EQ(text.find(" L1\r"), std::string::npos);
}

TEST(ResultsLog, RecordLayout)
{
    ResultRecord r = sample();
    r.startTime = 0xFFFFFFFBu;
    r.duration = 0x01020304;
    ResultsLog log;
    log.append(r);
    EXPECT_EQ(log.record(0), r);
    const std::string_view b = log.bytes();
    EXPECT_EQ(b.substr(0, 36), "\xFB\xFF\xFF\xFF\x04\x03\x02\x01Rudarudn1"s +
                                   std::string(16, '\0') + "\x01\x00\x01"s);
    EXPECT_EQ(b.substr(36, 4), "\x5A\0\0\0"s);
    EXPECT_EQ(b.substr(56, 12), "\x02\0\0\0\x0C\0\0\0\x03\0\0\0"s);
    EXPECT_EQ(b.substr(68), std::string(kResultsLogBytes - 68, '\0'));
}

TEST(ResultsLog, UnterminatedNameStaysInsideItsField)
{
    ResultsLog one;
    one.append(sample());
    std::string image(one.bytes());
    image.replace(8, 25, std::string(25, 'N'));
    EXPECT_EQ(ResultsLog::fromBytes(image).record(0).lessonName, std::string(25, 'N'));
}

class ResultsLogFile : public ::testing::TestWithParam<std::pair<std::size_t, std::size_t>> {};

TEST_P(ResultsLogFile, ReadsOnlyAWholeImage)
{
    const auto [size, usedSlots] = GetParam();
    TempDir dir;
    const std::string path = dir.file(kResultsLogFileName);
    ResultsLog full;
    full.append(sample());
    std::string bytes(full.bytes());
    bytes.resize(size, '\x7F');
    std::ofstream(path, std::ios::binary) << bytes;

    ResultsLog log = ResultsLog::load(path);
    EXPECT_EQ(log.usedSlots(), usedSlots);
    log.append(sample(5));
    ASSERT_TRUE(log.save(path));
    EXPECT_EQ(std::filesystem::file_size(path), kResultsLogBytes);
    EXPECT_EQ(ResultsLog::load(path).record(usedSlots), sample(5));
}

// File size -> slots read: a short file is an empty log, a long one is read from its start.
INSTANTIATE_TEST_SUITE_P(Sizes, ResultsLogFile,
                         ::testing::Values(std::pair<std::size_t, std::size_t>{0, 0},
                                           std::pair<std::size_t, std::size_t>{1359, 0},
                                           std::pair<std::size_t, std::size_t>{1360, 1},
                                           std::pair<std::size_t, std::size_t>{1361, 1}),
                         [](const auto& info) {
                             return std::to_string(info.param.first) + "_bytes";
                         });

TEST(ResultsLogFile, MissingFileIsEmptyAndNotCreated)
{
    TempDir dir;
    EXPECT_EQ(ResultsLog::load(dir.file(kResultsLogFileName)).usedSlots(), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.file(kResultsLogFileName)));
}

TEST(ResultsLogFile, FifoUnderTheNameIsAnEmptyLogAndStaysAsItIs)
{
    TempDir dir;
    FifoGuard fifo(dir.file(kResultsLogFileName));
    ASSERT_TRUE(fifo.made());
    ResultsLog log;
    log.append(sample());
    EXPECT_TRUE(fifo.readsWithoutWaiting([&] {
        EXPECT_EQ(ResultsLog::load(fifo.path()).usedSlots(), 0u);
        EXPECT_FALSE(log.save(fifo.path()));
    }));
    EXPECT_TRUE(fifo.stillFifo());
}

TEST(ResultsLogFile, FailedWriteLeavesTheOldLog)
{
    TempDir dir;
    const std::string path = dir.file(kResultsLogFileName);
    ResultsLog log;
    log.append(sample());
    ASSERT_TRUE(log.save(path));
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    log.append(sample(5));
    EXPECT_FALSE(log.save(path));
    EXPECT_EQ(ResultsLog::load(path).usedSlots(), 1u);
}

TEST(LessonName, IsTheNamePartCutToItsLast24Characters)
{
    const std::pair<std::string, std::string> cases[] = {
        {"/home/ute/Rudarudn1.lsn", "Rudarudn1"},
        {"C:\\KAZ\\RUDARUDN1.LSN", "RUDARUDN1"},
        {"/a.b/wort", "wort"},
        {"franz.kap1.lsn", "franz.kap1"},
        {"/x/abcdefghijklmnopqrstuvwxyz1234.lsn", "ghijklmnopqrstuvwxyz1234"},
        {"", "<NEU>"}};
    for (const auto& [path, name] : cases)
        EXPECT_EQ(lessonNameFromPath(path), name) << path;
}

} // namespace
