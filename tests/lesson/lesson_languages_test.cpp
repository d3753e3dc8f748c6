// The languages of a lesson's sides: the store beside the lessons, the sample lessons, the guess.
#include "lesson_languages.h"

#include "file_bytes.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

namespace {

using namespace std::string_literals;

TEST(LessonLanguageStore, KeepsLanguagesAndTheOptionAcrossSaveAndLoad)
{
    TempDir dir;
    LessonLanguageStore store(dir.file("SPRACHEN.TXT"));
    EXPECT_TRUE(store.load()) << "a missing file is an empty store";
    EXPECT_TRUE(store.keep("/home/l/SPANISCH.LSN", {"de", "es"}));
    EXPECT_TRUE(store.keep("/home/l/neu.lsn", {"fr", ""}));
    store.setReadAloud(true);
    ASSERT_TRUE(store.save());

    LessonLanguageStore again(dir.file("SPRACHEN.TXT"));
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.find("/home/l/SPANISCH.LSN"), (SideLanguages{"de", "es"}));
    EXPECT_EQ(again.find("/home/l/neu.lsn"), (SideLanguages{"fr", ""}));
    EXPECT_EQ(again.find("/home/l/other.lsn"), (SideLanguages{"", ""}));
    EXPECT_TRUE(again.readAloud());
}

TEST(LessonLanguageStore, AChangedLessonIsKeptOnceAsTheMostRecent)
{
    LessonLanguageStore store("unused");
    store.keep("/a.lsn", {"de", "en"});
    store.keep("/b.lsn", {"de", "fr"});
    EXPECT_TRUE(store.keep("/a.lsn", {"de", "la"}));
    EXPECT_FALSE(store.keep("/a.lsn", {"de", "la"})) << "nothing changed";
    EXPECT_EQ(store.size(), 2u);
    EXPECT_EQ(store.toBytes(),
              "KAZ-TRAINER Sprachen 1\nvorlesen\t0\nde\tfr\t/b.lsn\nde\tla\t/a.lsn\n");
}

TEST(LessonLanguageStore, KeepsTheNewestLessonsOnly)
{
    LessonLanguageStore store("unused");
    for (std::size_t i = 0; i < LessonLanguageStore::kMaxLessons + 3; ++i)
        store.keep("/l" + std::to_string(i) + ".lsn", {"de", "en"});
    EXPECT_EQ(store.size(), LessonLanguageStore::kMaxLessons);
    EXPECT_EQ(store.find("/l0.lsn")[1], "");
    EXPECT_EQ(store.find("/l3.lsn")[1], "en");
}

TEST(LessonLanguageStore, PathsItCannotWriteAreNotKept)
{
    LessonLanguageStore store("unused");
    EXPECT_FALSE(store.keep("", {"de", "en"}));
    EXPECT_FALSE(store.keep("/a\tb.lsn", {"de", "en"}));
    EXPECT_FALSE(store.keep("/a\nb.lsn", {"de", "en"}));
    EXPECT_FALSE(store.keep("/nothing.lsn", {"", ""}));
    EXPECT_EQ(store.size(), 0u);
}

struct StrangeFile {
    const char* name;
    std::string bytes;
    std::size_t kept;
    bool readAloud;
};

class StrangeStoreFile : public ::testing::TestWithParam<StrangeFile> {};

TEST_P(StrangeStoreFile, IsReadAsFarAsItFits)
{
    LessonLanguageStore store("unused");
    store.fromBytes(GetParam().bytes);
    EXPECT_EQ(store.size(), GetParam().kept);
    EXPECT_EQ(store.readAloud(), GetParam().readAloud);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StrangeStoreFile,
    ::testing::Values(
        StrangeFile{"empty", "", 0, false},
        StrangeFile{"another_file", "vtfile\0der Mensch\0human"s, 0, false},
        StrangeFile{"newer_version", "KAZ-TRAINER Sprachen 2\nvorlesen\t1\nde\ten\t/a\n", 0, false},
        StrangeFile{"crlf_lines", "KAZ-TRAINER Sprachen 1\r\nvorlesen\t1\r\nde\ten\t/a\r\n", 1,
                    true},
        StrangeFile{"unknown_code_left_out", "KAZ-TRAINER Sprachen 1\nde\txx\t/a\nde\ten\t/b\n", 1,
                    false},
        StrangeFile{"short_lines_left_out", "KAZ-TRAINER Sprachen 1\nde\n\nde\ten\n\t\t\n", 0,
                    false},
        StrangeFile{"binary_rest", "KAZ-TRAINER Sprachen 1\nde\ten\t/a\n\xFF\x00\x01\t"s, 1, false},
        StrangeFile{"no_end_of_line", "KAZ-TRAINER Sprachen 1\nde\tla\t/a", 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LessonLanguageStore, AFolderInPlaceOfTheFileGivesAnEmptyStoreAndFalse)
{
    TempDir dir;
    std::filesystem::create_directory(dir.file("SPRACHEN.TXT"));
    LessonLanguageStore store(dir.file("SPRACHEN.TXT"));
    EXPECT_FALSE(store.load());
    EXPECT_EQ(store.size(), 0u);
    EXPECT_FALSE(store.save());
}

TEST(LessonLanguageStore, ALinkInPlaceOfTheFileIsReplacedNotWrittenThrough)
{
    TempDir dir;
    std::ofstream(dir.file("victim")) << "keep me";
    std::filesystem::create_symlink(dir.file("victim"), dir.file("SPRACHEN.TXT"));
    LessonLanguageStore store(dir.file("SPRACHEN.TXT"));
    store.keep("/a.lsn", {"de", "en"});
    ASSERT_TRUE(store.save());
    EXPECT_EQ(readBytes(dir.file("victim")), "keep me");
    EXPECT_FALSE(std::filesystem::is_symlink(dir.file("SPRACHEN.TXT")));
}

struct SampleCase {
    const char* path;
    std::optional<SideLanguages> languages;
};

class SampleLessons : public ::testing::TestWithParam<SampleCase> {};

TEST_P(SampleLessons, AreKnownByName)
{
    EXPECT_EQ(sampleLessonLanguages(GetParam().path), GetParam().languages);
}

INSTANTIATE_TEST_SUITE_P(Cases, SampleLessons,
                         ::testing::Values(SampleCase{"/home/l/KAZ-TRAINER/ENGLISCH.LSN",
                                                      SideLanguages{"de", "en"}},
                                           SampleCase{"franzoes.lsn", SideLanguages{"de", "fr"}},
                                           SampleCase{"/x/Latein.Lsn", SideLanguages{"de", "la"}},
                                           SampleCase{"/ENGLISCH.LSN/other.lsn", std::nullopt},
                                           SampleCase{"/x/ENGLISCH2.LSN", std::nullopt}),
                         [](const auto& info) { return "case_" + std::to_string(info.index); });

struct GuessCase {
    const char* name;
    std::size_t side;
    const char* path;
    std::vector<std::string> terms;
    const char* expected;
};

class LanguageGuess : public ::testing::TestWithParam<GuessCase> {};

TEST_P(LanguageGuess, FromNameAndLetters)
{
    const GuessCase& c = GetParam();
    EXPECT_EQ(guessLanguage(c.side, c.path, c.terms), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LanguageGuess,
    ::testing::Values(
        GuessCase{"first_side_german", 0, "/a/VOKABELN.LSN", {"Haus", "Baum"}, "de"},
        GuessCase{"second_side_by_name", 1, "/a/SPANISCH.LSN", {"casa"}, "es"},
        GuessCase{"second_side_italian_by_name", 1, "/a/italienisch_3.lsn", {"casa"}, "it"},
        GuessCase{"second_side_spanish_by_letter", 1, "/a/x.lsn", {"el ni\xF1o"}, "es"},
        GuessCase{"second_side_french_by_letter", 1, "/a/x.lsn", {"le gar\xE7on"}, "fr"},
        GuessCase{"second_side_danish_by_letter",
                  1,
                  "/a/x.lsn",
                  {"k\xF8"
                   "benhavn"},
                  "da"},
        GuessCase{"german_letters_do_not_make_the_second_side_german",
                  1,
                  "/a/x.lsn",
                  {"M\xFC"
                   "nchen"},
                  "en"},
        GuessCase{"first_side_french_by_letter",
                  0,
                  "/a/x.lsn",
                  {"\x9C"
                   "uf"},
                  "fr"},
        GuessCase{"second_side_default_english", 1, "", {}, "en"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LanguageNames, CodesOfTheSpeechServiceAndTheirGermanNames)
{
    EXPECT_EQ(languageCode("en-GB"), "en");
    EXPECT_EQ(languageCode("pt_BR"), "pt");
    EXPECT_EQ(languageCode("FR"), "fr");
    EXPECT_EQ(languageCode("no"), "nb");
    EXPECT_EQ(languageName("la"), "Latein");
    EXPECT_EQ(languageName("fr"), "Franz\xC3\xB6sisch");
    EXPECT_EQ(languageName("xx"), "xx");
    EXPECT_EQ(std::string(lessonLanguages().front().code), "de");
}

} // namespace
