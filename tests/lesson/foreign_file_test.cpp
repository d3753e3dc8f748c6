#include "foreign_file.h"

#include "entry_chain.h"
#include "table_convert.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <zlib.h>

using namespace std::string_literals;

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>; // Windows-1252 bytes

Pairs entries(const EntryChain& chain)
{
    Pairs out;
    for (const strWort* e = chain.firstEntry(); e != nullptr; e = e->next)
        out.emplace_back(e->term1, e->term2);
    return out;
}

std::string gzip(std::string_view bytes)
{
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&z, bytes.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

const std::string kKvtmlHead = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE kvtml PUBLIC "kvtml2.dtd" "http://edu.kde.org/kvtml/kvtml2.dtd">
<kvtml version="2.0">
  <identifiers>
    <identifier id="0"><name>Deutsch</name><locale>de</locale></identifier>
    <identifier id="1"><name>Englisch</name><locale>en</locale></identifier>
  </identifiers>
)";

std::string kvtmlEntry(int id, const std::string& first, const std::string& second,
                       const std::string& third = {})
{
    std::string out = "<entry id=\"" + std::to_string(id) + "\">";
    if (!first.empty()) out += "<translation id=\"0\"><text>" + first + "</text></translation>";
    if (!second.empty())
        out += "<translation id=\"1\"><comment>nicht dies</comment><text>" + second +
               "</text></translation>";
    if (!third.empty()) out += "<translation id=\"2\"><text>" + third + "</text></translation>";
    return out + "</entry>\n";
}

struct ForeignCase {
    const char* name;
    std::string bytes;
    ForeignFormat format;
    Pairs taken;
    std::size_t refused;
    std::string reportContains; // a line of the report, UTF-8
};

class ForeignRead : public ::testing::TestWithParam<ForeignCase> {};

TEST_P(ForeignRead, TakesWhatALessonHoldsAndSaysWhatNot)
{
    const ForeignCase& c = GetParam();
    EXPECT_EQ(detectForeignFormat(c.bytes), c.format);
    EntryChain chain;
    const ForeignReadReport report = readForeignBytes(c.bytes, chain);
    ASSERT_EQ(report.table.result, LessonReadResult::Read) << report.reason;
    EXPECT_EQ(entries(chain), c.taken);
    EXPECT_EQ(report.table.rowsTaken, c.taken.size());
    EXPECT_EQ(report.table.refusedRows, c.refused);
    const std::string text = foreignReportText(report);
    EXPECT_NE(text.find(c.reportContains), std::string::npos) << text;
}

const std::string kPauker = R"(<?xml version="1.0" encoding="UTF-8"?>
<!--This is a lesson file for Pauker (http://pauker.sourceforge.net)-->
<Lesson LessonFormat="1.7">
  <Description>Französisch</Description>
  <Batch>
    <Card>
      <FrontSide Orientation="LTR" RepeatByTyping="false"><Text>la maison</Text><Font Family="Dialog" Size="12"/></FrontSide>
      <ReverseSide Orientation="LTR" RepeatByTyping="false"><Text>das Haus</Text></ReverseSide>
    </Card>
  </Batch>
  <Batch>
    <Card><FrontSide>l'arbre</FrontSide><ReverseSide>der Baum</ReverseSide></Card>
    <Card><FrontSide><Text>seul</Text></FrontSide><ReverseSide><Text></Text></ReverseSide></Card>
  </Batch>
</Lesson>
)";

INSTANTIATE_TEST_SUITE_P(
    Formats, ForeignRead,
    ::testing::Values(
        ForeignCase{"kvtml_two_languages_in_lesson_order",
                    kKvtmlHead + "<entries>" + kvtmlEntry(0, "Haus", "house") +
                        kvtmlEntry(1, "Baum", "tree") + kvtmlEntry(2, "Mädchen", "girl") +
                        "</entries><lessons><container><name>B</name><entry id=\"2\"/>"
                        "<container><name>B1</name><entry id=\"1\"/></container></container>"
                        "</lessons></kvtml>",
                    ForeignFormat::Kvtml,
                    {{"M\xE4"
                      "dchen",
                      "girl"},
                     {"Baum", "tree"},
                     {"Haus", "house"}},
                    0,
                    "3 Einträge übernommen."},
        ForeignCase{"kvtml_more_translations_take_the_first_two_and_say_so_once",
                    kKvtmlHead + "<entries>" + kvtmlEntry(0, "Haus", "house", "maison") +
                        kvtmlEntry(1, "Baum", "tree", "arbre") + "</entries></kvtml>",
                    ForeignFormat::Kvtml,
                    {{"Haus", "house"}, {"Baum", "tree"}},
                    0,
                    "2 Einträge mit mehr als zwei Sprachen: die ersten beiden übernommen."},
        ForeignCase{"kvtml_missing_side_cyrillic_and_long_terms_refused_by_entry",
                    kKvtmlHead + "<entries>" + kvtmlEntry(0, "Haus", "") +
                        kvtmlEntry(1, "кот", "cat") + kvtmlEntry(2, std::string(79, 'a'), "x") +
                        kvtmlEntry(3, "Baum", "tree") + "</entries></kvtml>",
                    ForeignFormat::Kvtml,
                    {{"Baum", "tree"}},
                    3,
                    "Eintrag 3: erster Begriff länger als 78 Zeichen (79)"},
        ForeignCase{"kvtml_text_tidied_and_listed",
                    kKvtmlHead + "<entries>" + kvtmlEntry(0, "\n  Haus ,  Hof\n", "house") +
                        "</entries></kvtml>",
                    ForeignFormat::Kvtml,
                    {{"Haus, Hof", "house"}},
                    0,
                    "Eintrag 1: „\n  Haus ,  Hof\n“ → „Haus, Hof“"},
        ForeignCase{"kvtml_translation_outside_an_entry_is_no_entry",
                    kKvtmlHead +
                        "<entries><entr0 id=\"0\"><translation id=\"0\"><text>x"
                        "</text></translation></entr0>" +
                        kvtmlEntry(1, "Baum", "tree") + "</entries></kvtml>",
                    ForeignFormat::Kvtml,
                    {{"Baum", "tree"}},
                    0,
                    "1 Eintrag übernommen."},
        ForeignCase{"kvtml_version_1",
                    "<?xml version=\"1.0\"?>\n<!DOCTYPE kvtml SYSTEM \"kvoctrain.dtd\">\n"
                    "<kvtml encoding=\"UTF-8\">\n<e><o>Hund</o><t>dog</t></e>\n"
                    "<e><o>Katze</o><t></t></e>\n</kvtml>\n",
                    ForeignFormat::Kvtml,
                    {{"Hund", "dog"}},
                    1,
                    "Eintrag 2: zweiter Begriff fehlt"},
        ForeignCase{"kvtml_windows_1252_encoding",
                    "<?xml version=\"1.0\" encoding=\"windows-1252\"?><kvtml version=\"2.0\">"
                    "<entries><entry id=\"0\"><translation id=\"0\"><text>\x80 und \xDF</text>"
                    "</translation><translation id=\"1\"><text>euro</text></translation>"
                    "</entry></entries></kvtml>",
                    ForeignFormat::Kvtml,
                    {{"\x80 und \xDF", "euro"}},
                    0,
                    "1 Eintrag übernommen."},
        ForeignCase{"pauker_text_elements_and_old_plain_sides",
                    kPauker,
                    ForeignFormat::Pauker,
                    {{"la maison", "das Haus"}, {"l'arbre", "der Baum"}},
                    1,
                    "Karte 3: zweiter Begriff fehlt"},
        ForeignCase{"pauker_packed",
                    gzip(kPauker),
                    ForeignFormat::Pauker,
                    {{"la maison", "das Haus"}, {"l'arbre", "der Baum"}},
                    1,
                    "2 Einträge übernommen."},
        ForeignCase{"anki_headers_html_sound_and_picture",
                    "#separator:tab\n#html:true\n#notetype column:1\n#deck column:2\n"
                    "#tags column:5\n"
                    "Basic\tFranz\xC3\xB6sisch\t<b>la</b> maison\tdas&nbsp;Haus [sound:haus.mp3]"
                    "\tt1\n"
                    "Basic\tFranz\xC3\xB6sisch\tl&#39;arbre<br>vert\t<img src=\"b.jpg\">der Baum"
                    "\t\n"
                    "Basic\tF\t\"zwei\tZeilen\nhier\"\t&lt;M&auml;dchen&gt;\t\n"
                    "Basic\tF\t<img src=\"nur.jpg\">\tBild\t\n",
                    ForeignFormat::Text,
                    {{"la maison", "das Haus"},
                     {"l'arbre vert", "der Baum"},
                     {"zwei Zeilen hier", "<M\xE4"
                                          "dchen>"}},
                    1,
                    "3 Ton- und Bildverweise ausgelassen."},
        ForeignCase{"anki_refusal_names_the_line",
                    "#separator:Semicolon\n#html:false\n#columns:Front;Back\n"
                    "Haus;house\nBaum\nMädchen;<b>girl</b>\n",
                    ForeignFormat::Text,
                    {{"Haus", "house"},
                     {"M\xE4"
                      "dchen",
                      "<b>girl</b>"}},
                    1,
                    "Zeile 5: zweiter Begriff fehlt"},
        ForeignCase{"anki_quote_never_closed_is_a_character_of_its_line",
                    "#separator:tab\n\"zwei\nZeilen\"\t\"offen\nBaum\n",
                    ForeignFormat::Text,
                    {{"zwei Zeilen", "\"offen"}},
                    1,
                    "Zeile 4: zweiter Begriff fehlt"},
        ForeignCase{"quizlet_term_tab_definition_per_line",
                    "Haus\thouse\r\n\"ja\" sagen\tto say \"yes\"\r\n\r\nBaum\ttree, wood\r\n",
                    ForeignFormat::Text,
                    {{"Haus", "house"}, {"\"ja\" sagen", "to say \"yes\""}, {"Baum", "tree, wood"}},
                    0,
                    "3 Einträge übernommen."}),
    [](const ::testing::TestParamInfo<ForeignCase>& info) { return std::string(info.param.name); });

struct RefusedCase {
    const char* name;
    std::string bytes;
    LessonReadResult result;
    std::string reasonContains;
};

class ForeignRefused : public ::testing::TestWithParam<RefusedCase> {};

// Hostile or broken files are refused as a whole, quickly, with the chain as it was.
TEST_P(ForeignRefused, AsAWholeWithTheChainUntouched)
{
    const RefusedCase& c = GetParam();
    EntryChain chain;
    chain.append("alt", "old");
    const ForeignReadReport report = readForeignBytes(c.bytes, chain);
    EXPECT_EQ(report.table.result, c.result);
    EXPECT_NE(report.reason.find(c.reasonContains), std::string::npos) << report.reason;
    EXPECT_EQ(entries(chain), (Pairs{{"alt", "old"}}));
}

std::string laughs()
{
    std::string dtd = "<?xml version=\"1.0\"?><!DOCTYPE kvtml [<!ENTITY l0 \"ha\">";
    for (int i = 1; i < 10; ++i)
        dtd += "<!ENTITY l" + std::to_string(i) + " \"" + [&] {
            std::string refs;
            for (int k = 0; k < 10; ++k)
                refs += "&l" + std::to_string(i - 1) + ";";
            return refs;
        }() + "\">";
    return dtd + "]><kvtml><entries><entry id=\"0\"><translation id=\"0\"><text>&l9;</text>"
                 "</translation></entry></entries></kvtml>";
}

std::string deepNesting(std::size_t depth)
{
    std::string out = "<kvtml>";
    for (std::size_t i = 0; i < depth; ++i)
        out += "<a>";
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ForeignRefused,
    ::testing::Values(RefusedCase{"entities_that_expand", laughs(), LessonReadResult::WrongFormat,
                                  "vereinbart Entitäten"},
                      RefusedCase{"external_entity",
                                  "<?xml version=\"1.0\"?><!DOCTYPE kvtml [<!ENTITY x SYSTEM "
                                  "\"file:///etc/passwd\">]><kvtml>&x;</kvtml>",
                                  LessonReadResult::WrongFormat, "vereinbart Entitäten"},
                      RefusedCase{"deep_nesting", deepNesting(1'000'000),
                                  LessonReadResult::WrongFormat, "tiefer als 64 Ebenen"},
                      RefusedCase{"not_well_formed", kKvtmlHead + "<entries><entry>",
                                  LessonReadResult::WrongFormat, "XML-Fehler"},
                      RefusedCase{"other_xml_root", "<?xml version=\"1.0\"?><html><body/></html>",
                                  LessonReadResult::WrongFormat, "kein KVTML"},
                      RefusedCase{"broken_gzip", "\x1F\x8B\x08\x00garbage"s,
                                  LessonReadResult::WrongFormat, "gzip"},
                      RefusedCase{"packed_text_is_no_pauker", gzip("Haus\thouse\n"),
                                  LessonReadResult::WrongFormat, "keine Pauker-Lektion"}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

// Gzip members one after another, each of a mebibyte of blanks: small on disk, and far more
// than the limit once unpacked.
std::string gzipBomb(std::size_t mebibytes)
{
    const std::string member = gzip(std::string(1 << 20, ' '));
    std::string out;
    out.reserve(member.size() * mebibytes);
    for (std::size_t i = 0; i < mebibytes; ++i)
        out += member;
    return out;
}

TEST(ForeignLimits, AGzipBombIsUnpackedNoFurtherThanTheLimit)
{
    const std::string bomb = gzipBomb(2048); // 2 GiB unpacked
    EntryChain chain;
    LessonReadLimits limits;
    limits.maxEntries = 1000; // 256,000 bytes of XML at most
    const ForeignReadReport report = readForeignBytes(bomb, chain, nullptr, limits);
    EXPECT_EQ(report.table.result, LessonReadResult::TooLarge);
    EXPECT_TRUE(chain.empty());
}

TEST(ForeignLimits, MoreEntriesThanTheLimitRefusedAsAWhole)
{
    std::string file = kKvtmlHead + "<entries>";
    for (int i = 0; i < 11; ++i)
        file += kvtmlEntry(i, "a" + std::to_string(i), "b");
    file += "</entries></kvtml>";
    LessonReadLimits limits;
    limits.maxEntries = 10;
    EntryChain chain;
    EXPECT_EQ(readForeignBytes(file, chain, nullptr, limits).table.result,
              LessonReadResult::TooLarge);
    EXPECT_TRUE(chain.empty());
    limits.maxEntries = 11;
    EXPECT_EQ(readForeignBytes(file, chain, nullptr, limits).table.result, LessonReadResult::Read);
    EXPECT_EQ(chain.entryCount(), 11u);
}

class ForeignFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() /
               ("kaz-foreign-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string write(const std::string& name, const std::string& bytes)
    {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::filesystem::path dir_;
};

TEST_F(ForeignFiles, CommandLineNamesOrAnkiHeadersTellAForeignFile)
{
    EXPECT_TRUE(opensAsForeign(write("a.KVTML", "")));
    EXPECT_TRUE(opensAsForeign(write("a.pau.gz", "")));
    EXPECT_TRUE(opensAsForeign(write("a.pau", "")));
    EXPECT_TRUE(opensAsForeign(write("anki.txt", "#separator:tab\nHaus\thouse\n")));
    EXPECT_TRUE(opensAsForeign(write("anki2.txt", "\xEF\xBB\xBF#html:true\nHaus\thouse\n")));
    EXPECT_FALSE(opensAsForeign(write("table.txt", "Haus;house\n")));
    EXPECT_FALSE(opensAsForeign(write("comment.txt", "#Kommentar\n")));
    EXPECT_FALSE(opensAsForeign(write("l.lsn", "")));
    EXPECT_FALSE(opensAsForeign(write("lektion.kvtml", "vtfile\0Haus\0house\0"s)));
    EXPECT_TRUE(opensAsForeign((dir_ / "fehlt.kvtml").string()));
}

TEST_F(ForeignFiles, AFifoIsNotOpenedAndDoesNotBlock)
{
    const std::string fifo = (dir_ / "f.kvtml").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EntryChain chain;
    EXPECT_EQ(readForeignFile(fifo, chain).table.result, LessonReadResult::NotOpened);
}

TEST_F(ForeignFiles, ConvertTellsTheCountAndRefusals)
{
    const std::string in =
        write("l.kvtml", kKvtmlHead + "<entries>" + kvtmlEntry(0, "Haus", "house") +
                             kvtmlEntry(1, "Baum", "") + "</entries></kvtml>");
    const std::string out = (dir_ / "l.lsn").string();
    std::ostringstream err;
    EXPECT_EQ(convertLessonFile(in, out, err), kConvertRowsRefused);
    EXPECT_EQ(err.str(), in + ": 1 Eintrag übernommen.\n" + in + ": 1 Eintrag nicht übernommen:\n" +
                             in + ": Eintrag 2: zweiter Begriff fehlt\n");
    std::ifstream lesson(out, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(lesson), {}), "vtfile\0Haus\0house\0"s);

    std::ostringstream hostile;
    EXPECT_EQ(convertLessonFile(write("h.kvtml", laughs()), (dir_ / "h.lsn").string(), hostile),
              kConvertFailed);
    EXPECT_NE(hostile.str().find("nicht im korrekten Format! Zeile 1: Die Datei vereinbart"),
              std::string::npos)
        << hostile.str();
    EXPECT_FALSE(std::filesystem::exists(dir_ / "h.lsn"));
}

} // namespace
