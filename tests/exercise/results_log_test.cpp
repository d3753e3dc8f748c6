#include "results_log.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <time.h>

namespace {

using namespace std::string_literals;

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Broken-down time of a calendar time as UTC shows it: a fixed zone for table tests.
std::tm utc(std::int64_t t)
{
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm out{};
    gmtime_r(&tt, &out);
    return out;
}

ResultRecord sampleRecord(std::uint32_t entries, const std::string& name = "Rudarudn1")
{
    ResultRecord r;
    r.startTime = 1765026300; // 2025-12-06 13:05 UTC
    r.duration = 3 * 60 + 7;
    r.lessonName = name;
    r.options = {true, false, true};
    r.thresholds = {90, 80, 66, 50, 20};
    r.grade = 2;
    r.entryCount = entries;
    r.wrongEntries = 3;
    return r;
}

const std::string kHeader = "            Dauer  --Anzahl--      ab a,b a,b\r"
                            "Datum  Zeit mmm:ss Begr. Fehl NOTE AB a b b,a Notenschl\xFC"
                            "ssel Lektion\r";
const std::string kRule = std::string(68, '-') + "\r";

// Pins the process's time zone for one test and restores it afterwards.
class PinnedZone {
public:
    explicit PinnedZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        hadOld_ = std::getenv("TZ") != nullptr;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~PinnedZone()
    {
        if (hadOld_)
            setenv("TZ", old_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::string old_;
    bool hadOld_ = false;
};

TEST(ResultsTable, ExampleRowByteForByteInLocalTime)
{
    PinnedZone zone("CET-1CEST,M3.5.0,M10.5.0/3"); // 14:05 local on 6 December
    const auto localTime = [](std::int64_t t) {
        const std::time_t tt = static_cast<std::time_t>(t);
        std::tm out{};
        localtime_r(&tt, &out);
        return out;
    };
    ResultsLog log;
    log.append(sampleRecord(12));
    const ResultsLogView view = resultsLogView(log, localTime);
    EXPECT_FALSE(view.notice);
    EXPECT_EQ(view.title, "\xDC"
                          "bungsprotokoll");
    EXPECT_EQ(view.text, kHeader + kRule +
                             " 6.12. 14:05  3:07   12     3   2   x  -   x  90 80 66 50 20 "
                             "Rudarudn1\r" +
                             kRule);
}

struct RowCase {
    const char* name;
    std::int32_t duration;
    std::uint32_t threshold1;
    std::string expectedStart; // the row up to the thresholds
    std::string thresholds;
};

class ResultsTableRow : public ::testing::TestWithParam<RowCase> {};

TEST_P(ResultsTableRow, FormatsEachPiece)
{
    const RowCase& c = GetParam();
    ResultRecord r = sampleRecord(12);
    r.duration = c.duration;
    r.thresholds[0] = c.threshold1;
    const std::string row = resultsTableRow(r, utc(r.startTime));
    EXPECT_EQ(row, c.expectedStart + "   12     3   2   x  -   x " + c.thresholds + " Rudarudn1\r");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResultsTableRow,
    ::testing::Values(
        RowCase{"short_exercise", 59, 90, " 6.12. 13:05  0:59", " 90 80 66 50 20"},
        RowCase{"over_999_minutes_widens", 1000 * 60 + 5, 90, " 6.12. 13:051000:05",
                " 90 80 66 50 20"},
        RowCase{"negative_threshold_prints_unsigned", 187, 0xFFFFFFFBu, " 6.12. 13:05  3:07",
                "4294967291 80 66 50 20"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ResultsTable, EmptyLogShowsTheNotice)
{
    const ResultsLogView view = resultsLogView(ResultsLog(), utc);
    EXPECT_TRUE(view.notice);
    EXPECT_EQ(view.title, "\xDC"
                          "bungsergebnis");
    EXPECT_EQ(view.text, "Kein aktuelles Ergebnis verf\xFC"
                         "gbar!");
}

TEST(ResultsTable, StopsAtTheFirstEmptySlot)
{
    ResultsLog two;
    two.append(sampleRecord(12, "eins"));
    two.append(sampleRecord(12, "zwei"));
    // Slot 1 emptied by hand, slot 2 used: only slot 0 is listed.
    std::string image(two.bytes());
    image.replace(2 * kResultRecordBytes, kResultRecordBytes, image.substr(0, kResultRecordBytes));
    image.replace(kResultRecordBytes + 60, 4, std::string(4, '\0'));
    const ResultsLog log = ResultsLog::fromBytes(image);
    EXPECT_EQ(log.usedSlots(), 1u);
    const std::string text = resultsLogView(log, utc).text;
    EXPECT_NE(text.find(" eins\r"), std::string::npos);
    EXPECT_EQ(text.find(" zwei\r"), std::string::npos);
}

TEST(ResultsLog, TwentyFirstRecordPushesOutTheOldest)
{
    ResultsLog log;
    for (std::uint32_t i = 1; i <= 21; ++i)
        log.append(sampleRecord(i, "L" + std::to_string(i)));
    EXPECT_EQ(log.usedSlots(), kResultSlots);
    EXPECT_EQ(log.record(0).lessonName, "L2");
    EXPECT_EQ(log.record(0).entryCount, 2u);
    EXPECT_EQ(log.record(19).lessonName, "L21");
    const std::string text = resultsLogView(log, utc).text;
    std::size_t lines = 0;
    for (const char c : text)
        lines += c == '\r';
    EXPECT_EQ(lines, 3 + 20 + 1u);
    EXPECT_EQ(text.find(" L1\r"), std::string::npos);
}

TEST(ResultsLog, RecordRoundTripsThroughTheFileLayout)
{
    ResultRecord r = sampleRecord(12);
    r.startTime = -5;
    r.duration = 0x01020304;
    r.thresholds = {0xFFFFFFFFu, 1, 2, 3, 4};
    ResultsLog log;
    log.append(r);
    EXPECT_EQ(log.record(0), r);
    const std::string_view b = log.bytes();
    ASSERT_EQ(b.size(), kResultsLogBytes);
    EXPECT_EQ(b.substr(0, 8), "\xFB\xFF\xFF\xFF\x04\x03\x02\x01"s);
    EXPECT_EQ(b.substr(8, 25), "Rudarudn1"s + std::string(16, '\0'));
    EXPECT_EQ(b.substr(33, 3), "\x01\x00\x01"s);
    EXPECT_EQ(b.substr(56, 12), "\x02\0\0\0\x0C\0\0\0\x03\0\0\0"s);
    EXPECT_EQ(b.substr(kResultRecordBytes), std::string(kResultsLogBytes - kResultRecordBytes, '\0'));
}

TEST(ResultsLog, UnterminatedNameStaysInsideItsField)
{
    ResultsLog one;
    one.append(sampleRecord(12));
    std::string image(one.bytes());
    image.replace(8, 25, std::string(25, 'N')); // no zero byte in the name field
    const ResultRecord r = ResultsLog::fromBytes(image).record(0);
    EXPECT_EQ(r.lessonName, std::string(25, 'N'));
    EXPECT_TRUE(r.options.ignoreCase);
}

struct SizeCase {
    const char* name;
    std::size_t size;
    std::size_t usedSlots;
};

class ResultsLogFile : public ::testing::TestWithParam<SizeCase> {};

TEST_P(ResultsLogFile, ReadsOnlyAWholeImage)
{
    TempDir dir;
    const std::string path = dir.file(kResultsLogFileName);
    ResultsLog full;
    full.append(sampleRecord(12));
    std::string bytes(full.bytes());
    bytes.resize(GetParam().size, '\x7F');
    writeBytes(path, bytes);

    ResultsLog log = ResultsLog::load(path);
    EXPECT_EQ(log.usedSlots(), GetParam().usedSlots);
    log.append(sampleRecord(5));
    ASSERT_TRUE(log.save(path));
    const std::string after = readBytes(path);
    EXPECT_EQ(after.size(), kResultsLogBytes);
    EXPECT_EQ(ResultsLog::fromBytes(after).usedSlots(), GetParam().usedSlots + 1);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ResultsLogFile,
                         ::testing::Values(SizeCase{"empty_file", 0, 0},
                                           SizeCase{"one_byte_short_is_empty", 1359, 0},
                                           SizeCase{"exact", 1360, 1},
                                           SizeCase{"one_byte_long_reads_1360", 1361, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ResultsLogFile, MissingFileIsEmptyAndNotCreated)
{
    TempDir dir;
    const std::string path = dir.file(kResultsLogFileName);
    EXPECT_EQ(ResultsLog::load(path).usedSlots(), 0u);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(resultsLogView(ResultsLog::load(path), utc).notice);
}

TEST(ResultsLogFile, FailedWriteLeavesTheOldLog)
{
    TempDir dir;
    const std::string path = dir.file(kResultsLogFileName);
    ResultsLog log;
    log.append(sampleRecord(12));
    ASSERT_TRUE(log.save(path));
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read);
    log.append(sampleRecord(5));
    EXPECT_FALSE(log.save(path));
    EXPECT_EQ(ResultsLog::load(path).usedSlots(), 1u);
}

struct NameCase {
    const char* name;
    std::string path;
    std::string expected;
};

class LessonName : public ::testing::TestWithParam<NameCase> {};

TEST_P(LessonName, IsTheNamePartCutToItsLast24Characters)
{
    EXPECT_EQ(lessonNameFromPath(GetParam().path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LessonName,
    ::testing::Values(
        NameCase{"plain_file", "Rudarudn1.lsn", "Rudarudn1"},
        NameCase{"posix_folders", "/home/ute/lektionen/Rudarudn1.lsn", "Rudarudn1"},
        NameCase{"drive_and_backslashes", "C:\\KAZ\\RUDARUDN1.LSN", "RUDARUDN1"},
        NameCase{"drive_without_folder", "C:RUDARUDN1.LSN", "RUDARUDN1"},
        NameCase{"dot_in_a_folder_is_no_extension", "/a.b/wort", "wort"},
        NameCase{"only_the_last_extension_goes", "/x/franz.kap1.lsn", "franz.kap1"},
        NameCase{"thirty_characters_keep_the_last_24", "/x/abcdefghijklmnopqrstuvwxyz1234.lsn",
                 "ghijklmnopqrstuvwxyz1234"},
        NameCase{"never_saved", "", "<NEU>"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
