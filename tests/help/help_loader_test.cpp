#include "help_loader.h"
#include "help_locator.h"
#include "help_pages.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

const char* const kGoodHelp = "KAZ-HILFE 1\n@topic 1 Inhalt\n<p>da</p>\n";

void writeFile(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A program folder bin/ with the working folder work/ beside it.
class HelpFileSearch : public ::testing::Test {
protected:
    fs::path work() const { return tmp_.path() / "work"; }
    fs::path bin() const { return tmp_.path() / "bin"; }
    fs::path share() const { return tmp_.path() / "share" / "kaz-trainer"; }
    LoadedHelp load(const fs::path& given) const { return loadHelp(given, work(), bin()); }

    void SetUp() override
    {
        fs::create_directories(work());
        fs::create_directories(bin());
    }

    TempDir tmp_;
};

TEST_F(HelpFileSearch, TriesWorkingFolderThenProgramFolderThenShare)
{
    struct Case {
        const char* name;
        bool inWork, inBin, inShare;
        int expected; // 0 work, 1 bin, 2 share, -1 none
    };
    const Case cases[] = {
        {"only_in_working_folder", true, false, false, 0},
        {"only_beside_program", false, true, false, 1},
        {"only_in_share", false, false, true, 2},
        {"working_folder_wins", true, true, true, 0},
        {"program_folder_before_share", false, true, true, 1},
        {"nowhere", false, false, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir tmp;
        const fs::path dirs[] = {tmp.path() / "work", tmp.path() / "bin",
                                 tmp.path() / "share" / "kaz-trainer"};
        fs::create_directories(dirs[0]);
        fs::create_directories(dirs[1]);
        const bool present[] = {c.inWork, c.inBin, c.inShare};
        for (int i = 0; i < 3; ++i) {
            if (present[i]) writeFile(dirs[i] / "DODADIZE.HLP", kGoodHelp);
        }
        const auto found = locateHelpFile("DODADIZE.HLP", dirs[0], dirs[1]);
        if (c.expected < 0) {
            EXPECT_FALSE(found.has_value());
        } else {
            ASSERT_TRUE(found.has_value());
            EXPECT_EQ(*found, (dirs[c.expected] / "DODADIZE.HLP").lexically_normal());
        }
    }
}

TEST_F(HelpFileSearch, AbsoluteNameIsTheOnlyCandidate)
{
    writeFile(bin() / "DODADIZE.HLP", kGoodHelp);
    const fs::path absent = tmp_.path() / "elsewhere" / "DODADIZE.HLP";
    EXPECT_EQ(helpFileCandidates(absent, work(), bin()), std::vector<fs::path>{absent});
    EXPECT_FALSE(locateHelpFile(absent, work(), bin()).has_value());
}

TEST_F(HelpFileSearch, FolderOfThatNameIsNoFile)
{
    fs::create_directories(work() / "DODADIZE.HLP");
    writeFile(bin() / "DODADIZE.HLP", kGoodHelp);
    EXPECT_EQ(locateHelpFile("DODADIZE.HLP", work(), bin()), bin() / "DODADIZE.HLP");
}

TEST_F(HelpFileSearch, LoadsAGoodFile)
{
    writeFile(work() / "DODADIZE.HLP", kGoodHelp);
    const LoadedHelp loaded = load("DODADIZE.HLP");
    ASSERT_EQ(loaded.status, LoadedHelp::Status::Ok) << loaded.messagePage;
    EXPECT_EQ(loaded.path, work() / "DODADIZE.HLP");
    ASSERT_EQ(loaded.document.topics.size(), 1u);
    EXPECT_EQ(loaded.document.topics[0].body, "<p>da</p>");
    EXPECT_TRUE(loaded.messagePage.empty());
}

TEST_F(HelpFileSearch, MissingFileGivesAPageNamingItAndWhereItWasSought)
{
    const LoadedHelp loaded = load("DODADIZE.HLP");
    EXPECT_EQ(loaded.status, LoadedHelp::Status::NotFound);
    EXPECT_EQ(loaded.path, work() / "DODADIZE.HLP") << "keyed to where it was sought first";
    EXPECT_NE(loaded.messagePage.find("Hilfedatei „DODADIZE.HLP“ nicht gefunden"),
              std::string::npos)
        << loaded.messagePage;
    for (const fs::path& place : helpFileCandidates("DODADIZE.HLP", work(), bin()))
        EXPECT_NE(loaded.messagePage.find(place.string()), std::string::npos) << place;
}

TEST_F(HelpFileSearch, BrokenFileGivesAPageWithTheReasonAndLine)
{
    writeFile(work() / "DODADIZE.HLP", "KAZ-HILFE 1\n@topic 1 A\n@topik 2 B\n");
    const LoadedHelp loaded = load("DODADIZE.HLP");
    EXPECT_EQ(loaded.status, LoadedHelp::Status::Broken);
    EXPECT_EQ(loaded.path, work() / "DODADIZE.HLP");
    EXPECT_NE(loaded.messagePage.find("beschädigt"), std::string::npos);
    EXPECT_NE(loaded.messagePage.find("(Zeile 3)"), std::string::npos) << loaded.messagePage;
    EXPECT_NE(loaded.messagePage.find("@topik"), std::string::npos);
}

TEST_F(HelpFileSearch, BinaryFileIsBrokenNotFatal)
{
    writeFile(work() / "DODADIZE.HLP", std::string("vtfile\0\xFF\x01\x02", 10));
    EXPECT_EQ(load("DODADIZE.HLP").status, LoadedHelp::Status::Broken);
}

TEST(HelpPages, EscapeWhatComesFromOutside)
{
    EXPECT_EQ(htmlEscape(R"(<a href="x">&</a>)"), "&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;");
    const std::string missing = fileNotFoundPage("<b>.HLP", {"/x/<b>.HLP"});
    EXPECT_EQ(missing.find("<b>"), std::string::npos) << missing;
    EXPECT_NE(missing.find("&lt;b&gt;.HLP"), std::string::npos);
    const std::string broken = brokenFilePage("/p/a&b.HLP", "Fehler <x>", 0);
    EXPECT_NE(broken.find("a&amp;b.HLP"), std::string::npos);
    EXPECT_NE(broken.find("Fehler &lt;x&gt;"), std::string::npos);
    EXPECT_EQ(broken.find("Zeile"), std::string::npos) << "line 0 means the whole file";
}

} // namespace
