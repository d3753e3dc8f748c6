// The sample lessons as the trainer reads them: entry counts, term sizes, encoding, tidiness.
#include "entry_chain.h"
#include "lesson_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct SampleCase {
    const char* file;
    std::uint32_t entries;
    // One entry with bytes beyond ASCII, as Windows-1252 bytes.
    const char* first;
    const char* second;
    friend std::ostream& operator<<(std::ostream& os, const SampleCase& c) { return os << c.file; }
};

class SampleLesson : public ::testing::TestWithParam<SampleCase> {};

bool holds(const EntryChain& chain, const std::string& first, const std::string& second)
{
    for (const strWort* e = chain.firstEntry(); e != nullptr; e = e->next) {
        if (e->term1 == first && e->term2 == second) return true;
    }
    return false;
}

// What the trainer's tidying leaves alone: single inner blanks, no blank at either end or
// before one of ", . ; ? ! :", and a blank after each of them unless it ends the term. A stored
// term that breaks this could never be typed so that it matches exactly.
std::string untidyPart(const std::string& term)
{
    const std::string marks = ",.;?!:";
    for (std::size_t i = 0; i < term.size(); ++i) {
        const auto c = static_cast<unsigned char>(term[i]);
        if (c >= 1 && c < 32) return "control character";
        if (c == ' ' && (i == 0 || i + 1 == term.size() || term[i + 1] == ' '))
            return "blank at an end or doubled";
        if (marks.find(term[i]) != std::string::npos) {
            if (i > 0 && term[i - 1] == ' ') return "blank before a mark";
            if (i + 1 < term.size() && term[i + 1] != ' ') return "no blank after a mark";
        }
    }
    return {};
}

TEST_P(SampleLesson, ReadsWithItsEntriesWithinTheFieldSize)
{
    const SampleCase& c = GetParam();
    EntryChain chain;
    ASSERT_EQ(readLessonFile(std::string(KAZ_SOURCE_DIR "/resources/lessons/") + c.file, chain),
              LessonReadResult::Read);
    EXPECT_EQ(chain.entryCount(), c.entries);
    EXPECT_TRUE(holds(chain, c.first, c.second)) << "encoded as Windows-1252";
    for (const strWort* e = chain.firstEntry(); e != nullptr; e = e->next) {
        for (const std::string* term : {&e->term1, &e->term2}) {
            EXPECT_FALSE(term->empty());
            EXPECT_LE(term->size(), kMaxTermBytes) << *term;
            EXPECT_EQ(untidyPart(*term), "") << *term;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleLesson,
                         ::testing::Values(SampleCase{"ENGLISCH.LSN", 159, "der Fu\xDF", "foot"},
                                           SampleCase{"FRANZOES.LSN", 151, "die Schwester",
                                                      "la s\x9C"
                                                      "ur"},
                                           SampleCase{"LATEIN.LSN", 144, "der K\xF6nig",
                                                      "rex, regis m"}),
                         [](const auto& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

} // namespace
