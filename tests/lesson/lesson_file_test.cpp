#include "entry_chain.h"
#include "lesson_file.h"
#include "file_bytes.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>
#include <sstream>
#include <utility>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define KAZ_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KAZ_ADDRESS_SANITIZER 1
#endif
#endif

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

// The file is read in chunks: a field or a zero byte split over chunks reads as in one piece.
TEST_P(LessonRead, FileReadInChunksOfAnySizeGivesTheSame)
{
    const ReadCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.file("l.lsn");
    std::ofstream(path, std::ios::binary) << c.bytes;
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{5}, std::size_t{79},
                                    LessonReadLimits{}.chunkBytes}) {
        EntryChain chain;
        LessonReadLimits limits;
        limits.chunkBytes = chunk;
        EXPECT_EQ(readLessonFile(path, chain, nullptr, limits), c.result) << chunk;
        EXPECT_EQ(pairsOf(chain), c.pairs) << chunk;
    }
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
    void readAbandoned() override { events.push_back("abandoned"); }
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

// Zero bytes after the magic are empty pairs, one per two bytes: a small file can hold more
// entries than memory. Up to the entry limit they are read; beyond it the read is abandoned and
// the chain keeps exactly what it held before.
struct ZerosCase {
    const char* name;
    std::size_t zeroBytes;
    std::uint64_t maxEntries;
    LessonReadResult result;
    std::uint32_t emptyPairs; // read after the entry that was there before
    friend std::ostream& operator<<(std::ostream& os, const ZerosCase& c) { return os << c.name; }
};

class ZerosAfterTheMagic : public ::testing::TestWithParam<ZerosCase> {};

TEST_P(ZerosAfterTheMagic, ReadUpToTheLimitOrAbandoned)
{
    const ZerosCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.file("nullen.lsn");
    std::ofstream(path, std::ios::binary) << "vtfile\0"s + std::string(c.zeroBytes, '\0');
    EntryChain chain;
    strWort* before = chain.append("x", "y");
    RecordingListener listener;
    LessonReadLimits limits;
    limits.maxEntries = c.maxEntries;
    limits.chunkBytes = 4096;
    EXPECT_EQ(readLessonFile(path, chain, &listener, limits), c.result);
    ASSERT_EQ(chain.entryCount(), 1u + c.emptyPairs);
    EXPECT_EQ(chain.firstEntry(), before);
    EXPECT_EQ(chain.currentEntry, nullptr);
    if (c.result == LessonReadResult::Read) {
        EXPECT_EQ(listener.events.back(), "after");
        for (const strWort* e = before->next; e != nullptr; e = e->next)
            ASSERT_TRUE(e->term1.empty() && e->term2.empty());
    } else {
        EXPECT_EQ(chain.lastEntry(), before);
        EXPECT_EQ(listener.events.back(), "abandoned");
        EXPECT_EQ(std::count(listener.events.begin(), listener.events.end(), "after"), 0);
    }
}

constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Cases, ZerosAfterTheMagic,
    ::testing::Values(
        ZerosCase{"many_empty_pairs_within_the_limit", 400000, kNoLimit, LessonReadResult::Read,
                  200000},
        ZerosCase{"exactly_as_many_pairs_as_the_limit", 2000, 1000, LessonReadResult::Read, 1000},
        ZerosCase{"one_pair_beyond_the_limit", 2002, 1000, LessonReadResult::TooLarge, 0},
        ZerosCase{"far_beyond_the_limit", 400000, 1000, LessonReadResult::TooLarge, 0},
        ZerosCase{"magic_alone_under_a_limit_of_none", 0, 0, LessonReadResult::Read, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Memory that runs out while entries are made: the read is abandoned like one beyond the limit.
class OutOfMemoryAt : public RecordingListener {
public:
    explicit OutOfMemoryAt(std::size_t pair) : pair_(pair) {}
    void pairRead(strWort& e) override
    {
        RecordingListener::pairRead(e);
        if (++pairs_ == pair_) throw std::bad_alloc();
    }

private:
    std::size_t pair_;
    std::size_t pairs_ = 0;
};

TEST(LessonFile, MemoryRunningOutAbandonsTheReadAndKeepsWhatWasThere)
{
    EntryChain chain;
    chain.append("x", "y");
    OutOfMemoryAt listener(2);
    EXPECT_EQ(readLessonBytes(kTwoEntries, chain, &listener), LessonReadResult::TooLarge);
    EXPECT_EQ(pairsOf(chain), (Pairs{{"x", "y"}}));
    EXPECT_EQ(listener.events,
              (std::vector<std::string>{"before", "Haus/house", "Baum/tree", "abandoned"}));
}

// The real thing in a child process with a 256 MB address space: a file of 32 MB of zero bytes
// (16 million empty pairs) ends as TooLarge, by the entry limit the address space gives, or,
// with the limit lifted, by std::bad_alloc; the process goes on either way.
TEST(LessonFile, FileBeyondTheAddressSpaceIsRefusedWithoutAborting)
{
#ifdef KAZ_ADDRESS_SANITIZER
    GTEST_SKIP() << "the address sanitizer needs an unlimited address space";
#endif
    TempDir dir;
    const std::string path = dir.file("nullen.lsn");
    {
        std::ofstream out(path, std::ios::binary);
        out << "vtfile\0"s;
    }
    std::filesystem::resize_file(path, 7 + (std::uintmax_t{32} << 20)); // sparse: fast to make
    for (const bool limitLifted : {false, true}) {
        SCOPED_TRACE(limitLifted ? "limit lifted" : "limit from the address space");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            rlimit limit{};
            limit.rlim_cur = limit.rlim_max = rlim_t{256} << 20;
            if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(2);
            EntryChain chain;
            LessonReadLimits limits;
            if (limitLifted) limits.maxEntries = kNoLimit;
            const LessonReadResult result = readLessonFile(path, chain, nullptr, limits);
            ::_exit(result == LessonReadResult::TooLarge && chain.empty() ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "the reader died of signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
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
