#include "entry_chain.h"
#include "lesson_file.h"
#include "table_convert.h"
#include "table_file.h"
#include "file_bytes.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <tuple>
#include <utility>

#include <sys/stat.h>
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
        ReadCase{"unclosed_quote_refuses_its_line_only",
                 "Haus;house\n\"offen;x\nBaum;tree\nAst;branch",
                 TableEncoding::Utf8,
                 ';',
                 {{"Haus", "house"}, {"Baum", "tree"}, {"Ast", "branch"}},
                 {{2, "Anführungszeichen nicht geschlossen"}}},
        ReadCase{"unclosed_quote_in_the_second_term_after_a_two_line_first",
                 "\"zwei\nZeilen\";\"offen\nBaum;tree\n",
                 TableEncoding::Utf8,
                 ';',
                 {{"Baum", "tree"}},
                 {{1, "Anführungszeichen nicht geschlossen"}}},
        ReadCase{"formula_guard_undone_as_the_spreadsheet_shows_it",
                 "\"=\"\"=1+1\"\"\";\"=\"\"-heit\"\"\"\n=\"0123\";\"=\"\"a\"\"\"\"b\"\"\"\n"
                 "=1+1;=\"x\" & \"y\"\n",
                 TableEncoding::Utf8,
                 ';',
                 {{"=1+1", "-heit"}, {"0123", "a\"b"}, {"=1+1", "=\"x\" & \"y\""}},
                 {}},
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
    void readAbandoned() override { ++abandoned; }
    int before = 0;
    int abandoned = 0;
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
    for (std::size_t row = 1; row <= 10; ++row)
        report.refused.push_back({row * 2, "zweiter Begriff fehlt"});
    report.refusedRows = 12;
    std::string expected = "1 Zeile übernommen.\n12 Zeilen nicht übernommen:";
    for (std::size_t row = 1; row <= 10; ++row)
        expected += "\nZeile " + std::to_string(row * 2) + ": zweiter Begriff fehlt";
    expected += "\nund 2 weitere.";
    EXPECT_EQ(tableReportText(report), expected);

    report.tidied.push_back({3, "3,5 kg", "3, 5 kg"});
    report.tidiedCells = 1;
    EXPECT_EQ(tableReportText(report), expected + "\n1 Zelle bereinigt, wie getippte Begriffe:"
                                                  "\nZeile 3: „3,5 kg“ → „3, 5 kg“");
}

using Tidied = std::vector<std::tuple<std::size_t, std::string, std::string>>;

struct TidyCase {
    const char* name;
    std::string bytes;
    std::size_t cells;
    Tidied listed;
};

class TableTidy : public ::testing::TestWithParam<TidyCase> {};

// Every cell of a taken row that tidying changed is told of: its row, the text as the
// spreadsheet held it and the term the lesson keeps (UTF-8); refused rows are listed as such.
TEST_P(TableTidy, ListsTheCellsTidyingChanged)
{
    const TidyCase& c = GetParam();
    EntryChain chain;
    const TableReadReport report = readTableBytes(c.bytes, chain);
    Tidied listed;
    for (const TidiedCell& t : report.tidied)
        listed.emplace_back(t.row, t.before, t.after);
    EXPECT_EQ(report.tidiedCells, c.cells);
    EXPECT_EQ(listed, c.listed);
}

Tidied manyTidied(std::size_t count)
{
    Tidied out;
    for (std::size_t row = 1; row <= count; ++row)
        out.emplace_back(row, "a,b", "a, b");
    return out;
}

std::string repeated(std::string_view line, std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; ++i)
        out += line;
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Files, TableTidy,
    ::testing::Values(
        TidyCase{"marks_blanks_and_control_characters",
                 "3,5 kg;www.duden.de\n  Leerzeichen  ;01.02.2024\nok;ok\nTab\001da;x\n",
                 5,
                 {{1, "3,5 kg", "3, 5 kg"},
                  {1, "www.duden.de", "www. duden. de"},
                  {2, "  Leerzeichen  ", "Leerzeichen"},
                  {2, "01.02.2024", "01. 02. 2024"},
                  {4, "Tab\001da", "Tab da"}}},
        TidyCase{"windows1252_cell_shown_in_utf8",
                 "M\xE4rz ;march\n",
                 1,
                 {{1, "M\xC3\xA4rz ", "M\xC3\xA4rz"}}},
        TidyCase{"refused_and_empty_rows_are_not_tidied_rows", "a,b;\n  ;  \n", 0, {}},
        TidyCase{"first_ten_listed_then_counted", repeated("a,b;x\n", 12), 12, manyTidied(10)}),
    [](const ::testing::TestParamInfo<TidyCase>& info) { return std::string(info.param.name); });

TEST(TableWrite, FormulaLikeTermsOpenAsTheirTextAndReadBackByteExact)
{
    // A spreadsheet evaluates a cell that begins with = (and some also + - @ or a blank-like
    // character) as a formula; the formula ="…" shows the text itself.
    const Pairs pairs = {{"=HYPERLINK(\"x\"; \"klick\")", "=1+1"},
                         {"=-2+3", "@SUMME(A1)"},
                         {"-heit", "+49 30"},
                         {"=cmd|' /C calc'!A0", "\tTab"},
                         {"\r", "ohne=Formel"}};
    EntryChain chain;
    for (const auto& [first, second] : pairs)
        chain.append(first, second);
    EXPECT_EQ(tableBytes(chain),
              "\xEF\xBB\xBF\"=\"\"=HYPERLINK(\"\"\"\"x\"\"\"\"; \"\"\"\"klick\"\"\"\")\"\"\";"
              "\"=\"\"=1+1\"\"\"\r\n"
              "\"=\"\"=-2+3\"\"\";\"=\"\"@SUMME(A1)\"\"\"\r\n"
              "\"=\"\"-heit\"\"\";\"=\"\"+49 30\"\"\"\r\n"
              "\"=\"\"=cmd|' /C calc'!A0\"\"\";\"=\"\"\tTab\"\"\"\r\n"
              "\"=\"\"\r\"\"\";ohne=Formel\r\n");
    // The terms a lesson made by typing can hold come back byte for byte.
    EntryChain tidy;
    for (std::size_t i = 0; i < 3; ++i)
        tidy.append(pairs[i].first, pairs[i].second);
    EntryChain back;
    const TableReadReport report = readTableBytes(tableBytes(tidy), back);
    EXPECT_EQ(report.refusedRows + report.tidiedCells, 0u);
    EXPECT_EQ(lessonBytes(back), lessonBytes(tidy));
}

// Tables have the lessons' entry limit; a table over it, or one whose bytes alone would not
// fit, is refused as a whole and leaves the lesson as it was.
struct LimitCase {
    const char* name;
    std::string bytes;
    std::uint64_t maxEntries;
    LessonReadResult result;
    std::size_t taken;
};

class TableLimit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(TableLimit, OverTheEntryLimitNothingIsAppended)
{
    const LimitCase& c = GetParam();
    EntryChain chain;
    chain.append("schon", "da");
    CountingListener listener;
    LessonReadLimits limits;
    limits.maxEntries = c.maxEntries;
    const TableReadReport report = readTableBytes(c.bytes, chain, &listener, limits);
    EXPECT_EQ(report.result, c.result);
    EXPECT_EQ(report.rowsTaken, c.taken);
    EXPECT_EQ(chain.entryCount(), c.taken + 1);
    EXPECT_EQ(chain.firstEntry()->term1, "schon");
    EXPECT_EQ(listener.abandoned, c.result == LessonReadResult::TooLarge ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TableLimit,
    ::testing::Values(
        LimitCase{"at_the_limit", repeated("a;b\n", 1000), 1000, LessonReadResult::Read, 1000},
        LimitCase{"one_row_beyond", repeated("a;b\n", 1001), 1000, LessonReadResult::TooLarge, 0},
        LimitCase{"refused_rows_count_as_rows", repeated("a\n", 1001), 1000,
                  LessonReadResult::TooLarge, 0},
        LimitCase{"tables_stop_where_memory_would_allow_more", repeated("a;b\n", 2'000'001),
                  std::numeric_limits<std::uint64_t>::max(), LessonReadResult::TooLarge, 0},
        LimitCase{"bytes_beyond_what_the_limit_can_hold", std::string(1000 * 64 + 1, ' '), 1000,
                  LessonReadResult::TooLarge, 0}),
    [](const ::testing::TestParamInfo<LimitCase>& info) { return std::string(info.param.name); });

TEST(TableReadLarge, RefusalsAreCountedButOnlyTheListedOnesKept)
{
    EntryChain chain;
    const TableReadReport report = readTableBytes(repeated("Haus\n", 100000), chain);
    EXPECT_EQ(report.refusedRows, 100000u);
    EXPECT_EQ(report.refused.size(), kListedRefusals);
}

// Files that never end or never get a writer: refused at once, not waited on or read on.
TEST(TableReadFile, FifoAndEndlessDevicesAreRefused)
{
    TempDir dir;
    const std::string fifo = dir.file("x.csv");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EntryChain chain;
    EXPECT_EQ(readTableFile(fifo, chain).result, LessonReadResult::NotOpened);
    std::ostringstream err;
    EXPECT_EQ(convertLessonFile(fifo, dir.file("x.lsn"), err), kConvertFailed);
    EXPECT_NE(err.str().find("nicht gefunden"), std::string::npos) << err.str();

    LessonReadLimits limits;
    limits.maxEntries = 1000;
    std::filesystem::create_symlink("/dev/zero", dir.file("zero.csv"));
    EXPECT_EQ(readTableFile(dir.file("zero.csv"), chain, nullptr, limits).result,
              LessonReadResult::TooLarge);
    EXPECT_TRUE(chain.empty());
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
    if (c.errContains.empty()) {
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
                      ConvertCase{"tidied_cells_listed", "l.csv", "Haus ;house\nBaum;tree\n",
                                  "l.lsn", kConvertAllTaken, kHausLesson,
                                  "l.csv: Zeile 1: „Haus “ → „Haus“"},
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
