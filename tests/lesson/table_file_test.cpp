#include "entry_chain.h"
#include "lesson_file.h"
#include "table_convert.h"
#include "table_file.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;
using Pairs = std::vector<std::pair<std::string, std::string>>;
using Refusals = std::vector<std::pair<std::size_t, std::string>>;

Pairs pairsOf(const EntryChain& chain)
{
    Pairs out;
    for (const strWort* e = chain.firstEntry(); e != nullptr; e = e->next)
        out.emplace_back(e->term1, e->term2);
    return out;
}

Refusals refusalsOf(const TableReadReport& report)
{
    Refusals out;
    for (const RefusedRow& r : report.refused)
        out.emplace_back(r.row, r.reason);
    return out;
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// UTF-16 of ASCII or BMP text given as UTF-16 code units.
std::string utf16(const std::u16string& text, bool bigEndian)
{
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char hi = static_cast<char>(unit >> 8);
        const char lo = static_cast<char>(unit & 0xFF);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

struct ReadCase {
    const char* name;
    std::string bytes;
    TableEncoding encoding;
    char separator;
    Pairs pairs;
    Refusals refused;
};

class TableRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(TableRead, TakesStorableRowsAndListsTheOthers)
{
    const ReadCase& c = GetParam();
    EntryChain chain;
    const TableReadReport report = readTableBytes(c.bytes, chain);
    EXPECT_EQ(report.encoding, c.encoding);
    EXPECT_EQ(report.separator, c.separator);
    EXPECT_EQ(pairsOf(chain), c.pairs);
    EXPECT_EQ(report.rowsTaken, c.pairs.size());
    EXPECT_EQ(refusalsOf(report), c.refused);
}

const std::string kCyrillicRefused =
    "Zeichen \xE2\x80\x9E\xD0\x9A\xE2\x80\x9C (U+041A) kann in einer Lektion nicht stehen";
const std::string kEmojiRefused =
    "Zeichen \xE2\x80\x9E\xF0\x9F\x98\x80\xE2\x80\x9C (U+1F600) kann in einer Lektion nicht stehen";
const std::string kBrokenRefused = "Zeichen (U+FFFD) kann in einer Lektion nicht stehen";

INSTANTIATE_TEST_SUITE_P(
    Files, TableRead,
    ::testing::Values(
        ReadCase{"german_spreadsheet_semicolons_windows1252_sep_line",
                 "sep=;\r\nDeutsch;Englisch\r\nM\xE4"
                 "dchen;girl\r\n\x80uro;euro;Spalte C\r\n",
                 TableEncoding::Windows1252,
                 ';',
                 {{"Deutsch", "Englisch"},
                  {"M\xE4"
                   "dchen",
                   "girl"},
                  {"\x80uro", "euro"}},
                 {}},
        ReadCase{"english_spreadsheet_commas_utf8_bom",
                 "\xEF\xBB\xBFhouse,Haus\r\n\"one, two\",\"eins, zwei\"\r\nStra\xC3\x9F"
                 "e,street\r\n",
                 TableEncoding::Utf8Bom,
                 ',',
                 {{"house", "Haus"},
                  {"one, two", "eins, zwei"},
                  {"Stra\xDF"
                   "e",
                   "street"}},
                 {}},
        ReadCase{"tab_separated_utf8_without_bom",
                 "Haus\thouse, home\nBaum\ttree; plant\n",
                 TableEncoding::Utf8,
                 '\t',
                 {{"Haus", "house, home"}, {"Baum", "tree; plant"}},
                 {}},
        ReadCase{"quoted_separators_and_doubled_quotes",
                 "\"a;b\";\"sagte \"\"ja\"\"\"\n \"quoted after blank\";x\n",
                 TableEncoding::Utf8,
                 ';',
                 {{"a; b", "sagte \"ja\""}, {"quoted after blank", "x"}},
                 {}},
        ReadCase{"utf16_little_endian",
                 utf16(u"Stra\u00DFe;street\r\n\u20AC;euro\r\n", false),
                 TableEncoding::Utf16Le,
                 ';',
                 Pairs{{"Stra\xDF"
                        "e",
                        "street"},
                       {"\x80", "euro"}},
                 {}},
        ReadCase{"utf16_big_endian_with_a_lone_surrogate",
                 utf16(u"a\tb\n\xD800x\ty\nc\td\n", true),
                 TableEncoding::Utf16Be,
                 '\t',
                 {{"a", "b"}, {"c", "d"}},
                 {{2, kBrokenRefused}}},
        ReadCase{"emoji_and_cyrillic_rows_refused_and_listed",
                 "Haus;house\n\xD0\x9A\xD0\xBE\xD1\x82;cat\nsmile;\xF0\x9F\x98\x80\nBaum;tree\n",
                 TableEncoding::Utf8,
                 ';',
                 {{"Haus", "house"}, {"Baum", "tree"}},
                 {{2, kCyrillicRefused}, {3, kEmojiRefused}}},
        ReadCase{"empty_lines_skipped_but_counted",
                 "a;b\r\n\r\n;\r\n  ;  \r\nc;d",
                 TableEncoding::Utf8,
                 ';',
                 {{"a", "b"}, {"c", "d"}},
                 {}},
        ReadCase{"missing_terms",
                 "Haus;\nBaum\n;tree\nok;ok\n",
                 TableEncoding::Utf8,
                 ';',
                 {{"ok", "ok"}},
                 {{1, "zweiter Begriff fehlt"},
                  {2, "zweiter Begriff fehlt"},
                  {3, "erster Begriff fehlt"}}},
        ReadCase{"term_over_78_bytes_after_normalising",
                 std::string(78, 'x') + ";  " + std::string(78, 'y') + "  \n" +
                     std::string(79, 'x') + ";y\n",
                 TableEncoding::Utf8,
                 ';',
                 {{std::string(78, 'x'), std::string(78, 'y')}},
                 {{2, "erster Begriff länger als 78 Zeichen (79)"}}},
        ReadCase{
            "line_break_inside_quotes_is_one_row",
            "\"zwei\nZeilen\";x\nBaum;\"tree\r\n\"\nHaus;house;\"Notiz\nzweizeilig\"\n",
            TableEncoding::Utf8,
            ';',
            {{"Haus", "house"}},
            {{1, "erster Begriff mit Zeilenumbruch"}, {2, "zweiter Begriff mit Zeilenumbruch"}}},
        ReadCase{"unclosed_quote_at_the_end",
                 "Haus;house\n\"offen;x\nBaum;tree\n",
                 TableEncoding::Utf8,
                 ';',
                 {{"Haus", "house"}},
                 {{2, "Anführungszeichen nicht geschlossen"}}},
        ReadCase{"semicolon_wins_over_commas_inside_terms",
                 "gehen, ging;to go, went\nHaus;house\n",
                 TableEncoding::Utf8,
                 ';',
                 {{"gehen, ging", "to go, went"}, {"Haus", "house"}},
                 {}},
        ReadCase{"terms_tidied_like_typed_ones",
                 "  Haus \x01 im  Dorf ;house,big\n",
                 TableEncoding::Utf8,
                 ';',
                 {{"Haus im Dorf", "house, big"}},
                 {}},
        ReadCase{"sep_line_overrides_what_the_lines_suggest",
                 "SEP=,\na;b,c\n",
                 TableEncoding::Utf8,
                 ',',
                 {{"a; b", "c"}},
                 {}},
        ReadCase{"old_mac_line_ends",
                 "a\tb\rc\td\r",
                 TableEncoding::Utf8,
                 '\t',
                 {{"a", "b"}, {"c", "d"}},
                 {}},
        ReadCase{"broken_utf8_behind_a_bom",
                 "\xEF\xBB\xBF"
                 "a;b\nM\xE4"
                 "dchen;girl\n",
                 TableEncoding::Utf8Bom,
                 ';',
                 {{"a", "b"}},
                 {{2, kBrokenRefused}}},
        ReadCase{"zero_byte_refused", "a;b\nx\0y;z\n"s, TableEncoding::Utf8, ';', Pairs{{"a", "b"}},
                 Refusals{{2, "Zeichen (U+0000) kann in einer Lektion nicht stehen"}}},
        ReadCase{"no_separator_at_all",
                 "Haus\nBaum\n",
                 TableEncoding::Utf8,
                 ';',
                 {},
                 Refusals{{1, "zweiter Begriff fehlt"}, {2, "zweiter Begriff fehlt"}}},
        ReadCase{"empty_file", "", TableEncoding::Utf8, ';', {}, {}}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

class CountingListener : public LessonReadListener {
public:
    void beforePairs() override { ++before; }
    void pairRead(strWort&) override { ++pairs; }
    void afterPairs() override { ++after; }
    int before = 0;
    std::size_t pairs = 0;
    int after = 0;
};

TEST(TableReadLarge, HundredThousandRowsKeepTheirNumbers)
{
    std::string csv = "sep=;\r\n";
    for (int i = 1; i <= 100000; ++i)
        csv += i == 50000 ? "\xD0\x96;x\r\n"s
                          : "Begriff " + std::to_string(i) + ";term " + std::to_string(i) + "\r\n";
    EntryChain chain;
    CountingListener listener;
    const TableReadReport report = readTableBytes(csv, chain, &listener);
    EXPECT_EQ(report.rowsTaken, 99999u);
    EXPECT_EQ(chain.entryCount(), 99999u);
    ASSERT_EQ(report.refused.size(), 1u);
    EXPECT_EQ(report.refused[0].row, 50000u);
    EXPECT_EQ(chain.lastEntry()->term1, "Begriff 100000");
    EXPECT_EQ(listener.before, 1);
    EXPECT_EQ(listener.pairs, 99999u);
    EXPECT_EQ(listener.after, 1);
}

TEST(TableWrite, Utf8BomSemicolonsQuotingAndCrlf)
{
    EntryChain chain;
    chain.append("Haus; Hof", "sagte \"ja\"");
    chain.append("M\xE4"
                 "dchen",
                 "5 \x80");
    chain.append("sep=", "eins, zwei");
    chain.append("Tab\tim Begriff", " Rand ");
    EXPECT_EQ(tableBytes(chain), "\xEF\xBB\xBF\"Haus; Hof\";\"sagte \"\"ja\"\"\"\r\n"
                                 "M\xC3\xA4"
                                 "dchen;5 \xE2\x82\xAC\r\n"
                                 "\"sep=\";eins, zwei\r\n"
                                 "\"Tab\tim Begriff\";\" Rand \"\r\n");
}

TEST(TableRoundTrip, TabsInEveryRowOfAForeignLessonDoNotTakeOverAsSeparator)
{
    EntryChain chain;
    chain.append("a\tb", "c");
    chain.append("d\te", "f");
    EntryChain back;
    const TableReadReport report = readTableBytes(tableBytes(chain), back);
    EXPECT_EQ(report.separator, ';');
    EXPECT_EQ(pairsOf(back), (Pairs{{"a b", "c"}, {"d e", "f"}}));
}

TEST(TableRoundTrip, LessonToTableToLessonGivesTheSameBytes)
{
    EntryChain chain;
    const Pairs pairs = {{"Haus; Hof", "house; yard"},
                         {"sagte \"ja\"", "said \"yes\""},
                         {"\"", "Anf\xFChrungszeichen"},
                         {"eins, zwei, drei", "one, two, three"},
                         {"M\xE4"
                          "dchen, \xD6l, \xDF",
                          "girl, oil, sharp s"},
                         {"5 \x80", "f\xFCnf Euro"},
                         {"sep=", "x"},
                         {std::string(78, 'z'), "lang"}};
    for (const auto& [first, second] : pairs)
        chain.append(first, second);

    EntryChain back;
    const TableReadReport report = readTableBytes(tableBytes(chain), back);
    EXPECT_TRUE(report.refused.empty());
    EXPECT_EQ(lessonBytes(back), lessonBytes(chain));
}

TEST(TableReport, ListsTheFirstTenRefusalsThenACount)
{
    TableReadReport report;
    report.rowsTaken = 1;
    EXPECT_EQ(tableReportText(report), "1 Zeile übernommen.");
    for (std::size_t row = 1; row <= 12; ++row)
        report.refused.push_back({row * 2, "zweiter Begriff fehlt"});
    std::string expected = "1 Zeile übernommen.\n12 Zeilen nicht übernommen:";
    for (std::size_t row = 1; row <= 10; ++row)
        expected += "\nZeile " + std::to_string(row * 2) + ": zweiter Begriff fehlt";
    expected += "\nund 2 weitere.";
    EXPECT_EQ(tableReportText(report), expected);
}

TEST(TableFileName, TablesByExtension)
{
    for (const char* name : {"liste.csv", "a/b.TSV", "x.Txt", "/tmp/v.lsn.csv"})
        EXPECT_TRUE(isTableFileName(name)) << name;
    for (const char* name : {"liste.lsn", "csv", "a.csv/b", "x.csvx", ".cs", "tabelle.xlsx"})
        EXPECT_FALSE(isTableFileName(name)) << name;
}

struct ConvertCase {
    const char* name;
    const char* input;
    std::string inputBytes;
    const char* output;
    int status;
    std::string outputBytes; // empty: no file written
    std::string errContains;
};

class Convert : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(Convert, WritesByExtensionAndReportsRefusedRows)
{
    const ConvertCase& c = GetParam();
    TempDir dir;
    if (!c.inputBytes.empty()) std::ofstream(dir.file(c.input), std::ios::binary) << c.inputBytes;
    std::ostringstream err;
    EXPECT_EQ(convertLessonFile(dir.file(c.input), dir.file(c.output), err), c.status);
    if (c.outputBytes.empty()) {
        EXPECT_FALSE(std::filesystem::exists(dir.file(c.output)));
    } else {
        EXPECT_EQ(readBytes(dir.file(c.output)), c.outputBytes);
    }
    EXPECT_NE(err.str().find(c.errContains), std::string::npos) << err.str();
    if (c.status == kConvertAllTaken) {
        EXPECT_EQ(err.str(), "");
    }
}

const std::string kHausLesson = "vtfile\0Haus\0house\0Baum\0tree\0"s;

INSTANTIATE_TEST_SUITE_P(
    Files, Convert,
    ::testing::Values(ConvertCase{"table_to_lesson", "l.csv", "Haus;house\nBaum;tree\n", "l.lsn",
                                  kConvertAllTaken, kHausLesson, ""},
                      ConvertCase{"lesson_to_table", "l.lsn", kHausLesson, "l.CSV",
                                  kConvertAllTaken, "\xEF\xBB\xBFHaus;house\r\nBaum;tree\r\n", ""},
                      ConvertCase{"refused_row_written_anyway_and_listed", "l.txt",
                                  "Haus;house\n\xD0\x96;x\nBaum;tree\n", "l.lsn",
                                  kConvertRowsRefused, kHausLesson, "l.txt: Zeile 2: Zeichen"},
                      ConvertCase{"lesson_known_by_its_magic_whatever_its_name", "l.txt",
                                  kHausLesson, "l.csv", kConvertAllTaken,
                                  "\xEF\xBB\xBFHaus;house\r\nBaum;tree\r\n", ""},
                      ConvertCase{"missing_input", "nichts.lsn", "", "l.csv", kConvertFailed, "",
                                  "nichts.lsn nicht gefunden"},
                      ConvertCase{"lesson_in_wrong_format", "l.lsn", "kein Format", "l.csv",
                                  kConvertFailed, "", "nicht im korrekten Format!"},
                      ConvertCase{"tables_only_as_csv", "l.lsn", kHausLesson, "l.tsv",
                                  kConvertFailed, "", "als .csv"},
                      ConvertCase{"unwritable_output", "l.lsn", kHausLesson, "kein/ordner.csv",
                                  kConvertFailed, "", "kann nicht geschrieben werden!"}),
    [](const ::testing::TestParamInfo<ConvertCase>& info) { return std::string(info.param.name); });

} // namespace
