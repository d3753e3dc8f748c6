#include "config.h"
#include "fifo_guard.h"
#include "file_bytes.h"
#include "temp_dir.h"
#include "threshold_text.h"
#include "vok_trans_buf.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using namespace std::string_literals;

const std::string kDefaultFile =
    "\x00\x00\x00\x5A\x00\x00\x00\x50\x00\x00\x00\x42\x00\x00\x00\x32\x00\x00\x00\x14\x00\x00\x00"s;

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(Settings, FirstStartUsesDefaultsAndWritesThe23DefaultBytes)
{
    TempDir dir;
    const std::string path = dir.file("DODADIZE.CFG");
    {
        Config config(path);
        EXPECT_FALSE(std::filesystem::exists(path)) << "reading never creates the file";
        EXPECT_EQ(config.ignoreCase, 0);
        EXPECT_EQ(config.ignorePunctuation, 0);
        EXPECT_EQ(config.anyOrder, 0);
        EXPECT_EQ(config.thresholds, kDefaultThresholds);
    }
    EXPECT_EQ(readBytes(path), kDefaultFile);
}

struct FileCase {
    const char* name;
    std::string bytes;
    std::uint8_t ignoreCase, ignorePunctuation, anyOrder;
    std::array<std::uint32_t, 5> thresholds;
    friend std::ostream& operator<<(std::ostream& os, const FileCase& c) { return os << c.name; }
};

class SettingsRead : public ::testing::TestWithParam<FileCase> {};

TEST_P(SettingsRead, TakesTheRecordOrTheDefaults)
{
    const FileCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.file("DODADIZE.CFG");
    writeBytes(path, c.bytes);
    Config config(path);
    EXPECT_EQ(config.ignoreCase, c.ignoreCase);
    EXPECT_EQ(config.ignorePunctuation, c.ignorePunctuation);
    EXPECT_EQ(config.anyOrder, c.anyOrder);
    EXPECT_EQ(config.thresholds, c.thresholds);
}

const std::string kCustom =
    "\x01\x00\x07\x64\x00\x00\x00\x4B\x00\x00\x00\x00\x00\x00\x00\x9D\xFF\xFF\xFF\xE7\x03\x00\x00"s;

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsRead,
    ::testing::Values(
        FileCase{
            "exact_record", kCustom, 1, 0, 7, {100, 75, 0, static_cast<std::uint32_t>(-99), 999}},
        FileCase{"longer_file_uses_first_23_bytes",
                 kCustom + "junk",
                 1,
                 0,
                 7,
                 {100, 75, 0, static_cast<std::uint32_t>(-99), 999}},
        FileCase{"22_bytes_give_defaults", kCustom.substr(0, 22), 0, 0, 0, {90, 80, 66, 50, 20}},
        FileCase{"empty_file_gives_defaults", "", 0, 0, 0, {90, 80, 66, 50, 20}},
        // A value whose text does not fit the 3-character field is read as 100.
        FileCase{"thresholds_outside_field_become_100",
                 "\x00\x01\x00\xE8\x03\x00\x00\x9C\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x00\x00\x01\x00"
                 "\x65\x00\x00\x00"s,
                 0,
                 1,
                 0,
                 {100, 100, static_cast<std::uint32_t>(-1), 100, 101}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Settings, ToggledOptionsAndThresholdsSurviveARestart)
{
    TempDir dir;
    const std::string path = dir.file("DODADIZE.CFG");
    {
        Config config(path);
        config.anyOrder = 1;
        config.thresholds[0] = 95;
    }
    Config again(path);
    EXPECT_EQ(again.anyOrder, 1);
    EXPECT_EQ(again.ignoreCase, 0);
    EXPECT_EQ(again.thresholds[0], 95u);
    EXPECT_EQ(readBytes(path).size(), kConfigRecordBytes);
}

// The settings are read before any window shows: a FIFO under the name must neither block the
// start (a plain open waits for a writer) nor be replaced on the way out.
TEST(Settings, FifoUnderTheNameGivesTheDefaultsAndStaysAsItIs)
{
    TempDir dir;
    FifoGuard fifo(dir.file("DODADIZE.CFG"));
    ASSERT_TRUE(fifo.made());
    EXPECT_TRUE(fifo.readsWithoutWaiting([&] {
        Config config(fifo.path());
        EXPECT_EQ(config.toBytes(), Config(dir.file("missing")).toBytes());
        EXPECT_FALSE(config.save());
    }));
    EXPECT_TRUE(fifo.stillFifo());
}

TEST(Settings, UnwritableFolderIsSilent)
{
    TempDir dir;
    Config config(dir.file("no-such-folder/DODADIZE.CFG"));
    EXPECT_FALSE(config.save());
}

struct NumberCase {
    const char* name;
    const char* text;
    std::int32_t value;
    friend std::ostream& operator<<(std::ostream& os, const NumberCase& c) { return os << c.name; }
};

class ThresholdNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ThresholdNumber, ConvertsLikeTheDecimalRule)
{
    EXPECT_EQ(static_cast<std::int32_t>(thresholdTextToNumber(GetParam().text)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ThresholdNumber,
    ::testing::Values(NumberCase{"plain", "90", 90}, NumberCase{"leading_blanks", "  \t7", 7},
                      NumberCase{"plus_sign", "+12", 12}, NumberCase{"minus_sign", "-5", -5},
                      NumberCase{"stops_at_non_digit", "12a4", 12},
                      NumberCase{"letters_give_zero", "abc", 0}, NumberCase{"empty", "", 0},
                      NumberCase{"sign_alone", "-", 0},
                      NumberCase{"blank_after_sign_stops", "- 5", 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct FieldCase {
    const char* name;
    const char* typed;
    std::uint32_t stored;
    const char* shown;
    friend std::ostream& operator<<(std::ostream& os, const FieldCase& c) { return os << c.name; }
};

class ThresholdField : public ::testing::TestWithParam<FieldCase> {};

TEST_P(ThresholdField, ClampsAsTheFieldIsTakenOver)
{
    const auto result = clampThresholdField(GetParam().typed);
    EXPECT_EQ(result.value, GetParam().stored);
    EXPECT_EQ(result.text, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ThresholdField,
    ::testing::Values(FieldCase{"in_range", "75", 75, "75"},
                      FieldCase{"hundred", "100", 100, "100"},
                      FieldCase{"above_hundred", "150", 100, "100"},
                      FieldCase{"negative", "-5", 100, "100"}, FieldCase{"letter", "x", 0, "0"},
                      FieldCase{"nothing", "", 0, "0"},
                      FieldCase{"only_first_three_characters", "1234", 100, "100"},
                      FieldCase{"leading_zeros", "007", 7, "7"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VokTransBuf, CarriesThresholdTextsFromAndBackToTheRecordWithoutLimit)
{
    TempDir dir;
    Config config(dir.file("DODADIZE.CFG"));
    config.thresholds = {90, 80, 66, static_cast<std::uint32_t>(-7), 20};
    {
        VokTransBuf buf(config);
        EXPECT_EQ(VokTransBuf::text(buf.thresholdText[0]), "90");
        EXPECT_EQ(VokTransBuf::text(buf.thresholdText[3]), "-7");
        EXPECT_EQ(VokTransBuf::text(buf.term1Text), "");
        VokTransBuf::setText(buf.thresholdText[1], "999");
        VokTransBuf::setText(buf.thresholdText[2], "zz");
        VokTransBuf::setText(buf.term2Text, std::string(100, 'q'));
        EXPECT_EQ(VokTransBuf::text(buf.term2Text).size(), kMaxTermBytes);
    }
    EXPECT_EQ(config.thresholds,
              (std::array<std::uint32_t, 5>{90, 999, 0, static_cast<std::uint32_t>(-7), 20}));
}

} // namespace
