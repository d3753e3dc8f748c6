#include "entry_chain.h"
#include "lesson_file.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;
using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs pairsOf(const EntryChain& chain)
{
    Pairs out;
    for (const strWort* e = chain.firstEntry(); e != nullptr; e = e->next)
        out.emplace_back(e->term1, e->term2);
    return out;
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

const std::string kTwoEntries =
    "\x76\x74\x66\x69\x6C\x65\x00\x48\x61\x75\x73\x00\x68\x6F\x75\x73\x65\x00"
    "\x42\x61\x75\x6D\x00\x74\x72\x65\x65\x00"s;

struct ReadCase {
    const char* name;
    std::string bytes;
    LessonReadResult result;
    Pairs pairs;
    friend std::ostream& operator<<(std::ostream& os, const ReadCase& c) { return os << c.name; }
};

class LessonRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(LessonRead, GivesResultAndPairs)
{
    const ReadCase& c = GetParam();
    EntryChain chain;
    EXPECT_EQ(readLessonBytes(c.bytes, chain), c.result);
    EXPECT_EQ(pairsOf(chain), c.pairs);
    EXPECT_EQ(chain.currentEntry, nullptr);
}

const std::string k78(78, 'a');

INSTANTIATE_TEST_SUITE_P(
    Cases, LessonRead,
    ::testing::Values(
        ReadCase{"two_entries",
                 kTwoEntries,
                 LessonReadResult::Read,
                 {{"Haus", "house"}, {"Baum", "tree"}}},
        ReadCase{"magic_only", "vtfile\0"s, LessonReadResult::Read, {}},
        ReadCase{"empty_file", "", LessonReadResult::WrongFormat, {}},
        ReadCase{"magic_in_capitals", "VTFILE\0a\0b\0"s, LessonReadResult::WrongFormat, {}},
        ReadCase{"first_five_letters", "vtfil\0a\0b\0"s, LessonReadResult::WrongFormat, {}},
        ReadCase{"magic_and_a_letter", "vtfilex\0a\0b\0"s, LessonReadResult::WrongFormat, {}},
        ReadCase{"magic_without_zero_at_end", "vtfile", LessonReadResult::WrongFormat, {}},
        ReadCase{"trailing_lone_first_term_dropped",
                 "vtfile\0a\0b\0c\0"s,
                 LessonReadResult::Read,
                 {{"a", "b"}}},
        ReadCase{"trailing_first_term_without_zero_dropped",
                 "vtfile\0a\0b\0c"s,
                 LessonReadResult::Read,
                 {{"a", "b"}}},
        ReadCase{"last_term_without_zero_kept",
                 "vtfile\0a\0b\0c\0d"s,
                 LessonReadResult::Read,
                 {{"a", "b"}, {"c", "d"}}},
        ReadCase{
            "three_zero_bytes_one_empty_pair", "vtfile\0\0\0"s, LessonReadResult::Read, {{"", ""}}},
        ReadCase{"umlauts_kept_as_bytes",
                 "vtfile\0\xC4hre\0ear\0"s,
                 LessonReadResult::Read,
                 {{"\xC4hre", "ear"}}},
        ReadCase{"term_of_78_bytes_kept_whole",
                 "vtfile\0"s + k78 + "\0b\0"s,
                 LessonReadResult::Read,
                 {{k78, "b"}}},
        ReadCase{"overlong_term_cut_and_pairs_stay_aligned",
                 "vtfile\0"s + k78 + "tail\0b\0c\0d\0"s,
                 LessonReadResult::Read,
                 {{k78, "b"}, {"c", "d"}}}),
    [](const auto& info) { return std::string(info.param.name); });

class RecordingListener : public LessonReadListener {
public:
    std::vector<std::string> events;
    void beforePairs() override { events.push_back("before"); }
    void pairRead(strWort& e) override { events.push_back(e.term1 + "/" + e.term2); }
    void afterPairs() override { events.push_back("after"); }
};

TEST(LessonFile, ListenerHearsEachPairAfterItWasAppended)
{
    EntryChain chain;
    RecordingListener listener;
    ASSERT_EQ(readLessonBytes(kTwoEntries, chain, &listener), LessonReadResult::Read);
    EXPECT_EQ(listener.events,
              (std::vector<std::string>{"before", "Haus/house", "Baum/tree", "after"}));

    RecordingListener wrong;
    EXPECT_EQ(readLessonBytes("nope\0"s, chain, &wrong), LessonReadResult::WrongFormat);
    EXPECT_TRUE(wrong.events.empty());
}

TEST(LessonFile, ReadAppendsToWhatTheChainHolds)
{
    EntryChain chain;
    chain.append("x", "y");
    ASSERT_EQ(readLessonBytes(kTwoEntries, chain), LessonReadResult::Read);
    EXPECT_EQ(pairsOf(chain), (Pairs{{"x", "y"}, {"Haus", "house"}, {"Baum", "tree"}}));
}

TEST(LessonFile, WriterProducesTheDocumentedBytes)
{
    EntryChain chain;
    EXPECT_EQ(lessonBytes(chain), "vtfile\0"s);
    chain.append("Haus", "house");
    chain.append("Baum", "tree");
    EXPECT_EQ(lessonBytes(chain), kTwoEntries);
}

TEST(LessonFile, MissingFileDoesNotOpen)
{
    TempDir dir;
    EntryChain chain;
    EXPECT_EQ(readLessonFile(dir.file("none.lsn"), chain), LessonReadResult::NotOpened);
}

Pairs sampleLesson(std::size_t n)
{
    Pairs out;
    const std::string umlauts = "\xE4\xF6\xFC\xDF\xC4\xD6\xDC";
    for (std::size_t i = 0; i < n; ++i) {
        std::string first = "Wort " + std::to_string(i % 997) + umlauts.substr(0, i % 8);
        std::string second = i % 13 == 0 ? std::string() : "word " + std::to_string(i);
        out.emplace_back(std::move(first), std::move(second));
    }
    return out;
}

TEST(LessonFile, WhatTheWriterWroteReadsBackUnchanged)
{
    TempDir dir;
    for (std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{100000}}) {
        EntryChain written;
        const Pairs pairs = sampleLesson(n);
        for (const auto& [a, b] : pairs)
            written.append(a, b);
        const std::string path = dir.file("round.lsn");
        ASSERT_EQ(writeLessonFile(path, written), LessonWriteResult::Written);

        EntryChain read;
        ASSERT_EQ(readLessonFile(path, read), LessonReadResult::Read) << n;
        EXPECT_EQ(pairsOf(read), pairs) << n << " entries";
        EXPECT_EQ(readBytes(path), lessonBytes(written));
    }
}

TEST(LessonFile, FailedWriteReportsAndKeepsTheOldFile)
{
    TempDir dir;
    EntryChain chain;
    chain.append("neu", "new");
    EXPECT_EQ(writeLessonFile(dir.file("missing-folder/x.lsn"), chain),
              LessonWriteResult::NotOpened);
    EXPECT_EQ(writeLessonFile("", chain), LessonWriteResult::NotOpened);
    EXPECT_EQ(writeLessonFile(dir.path().string(), chain), LessonWriteResult::NotOpened)
        << "a folder is no lesson file";
}

} // namespace
