#include "lesson_list_model.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <random>
#include <string>
#include <vector>

namespace {

using Column = std::vector<std::string>;

Column column(const LessonListModel& m, int col)
{
    Column out;
    for (int r = 0; r < m.rowCount(); ++r)
        out.emplace_back(col == 0 ? m.firstText(r) : m.secondText(r));
    return out;
}

TEST(LessonListModel, NewEntryRowStaysOnTopWhateverSortsFirst)
{
    LessonListModel m;
    m.addNewEntryRow();
    m.addPair("!Ausruf", "exclamation");
    m.addPair(" ahead", "blank");
    m.addPair("Baum", "tree");
    EXPECT_EQ(m.firstText(0), LessonListModel::kNewEntryText);
    EXPECT_EQ(m.secondText(0), LessonListModel::kNewEntryText);
    EXPECT_EQ(m.addNewEntryRow(), 0);
    EXPECT_EQ(m.rowCount(), 4) << "the new-entry row exists once";
    EXPECT_EQ(m.data(m.index(0, 1), Qt::DisplayRole).toString(), QStringLiteral(" < NEU >"));
}

TEST(LessonListModel, SortsGermanCaseInsensitiveAndKeepsPairsTogether)
{
    LessonListModel m;
    m.addNewEntryRow();
    EXPECT_EQ(m.addPair("Zug", "train"), 1);
    EXPECT_EQ(m.addPair("apfel", "apple"), 1);
    EXPECT_EQ(m.addPair("\xC4hre", "ear"), 1) << "an umlaut sorts as its base letter";
    EXPECT_EQ(m.addPair("Baum", "tree"), 3);
    EXPECT_EQ(column(m, 0), (Column{" < NEU >", "\xC4hre", "apfel", "Baum", "Zug"}));
    EXPECT_EQ(column(m, 1), (Column{" < NEU >", "ear", "apple", "tree", "train"}));
    EXPECT_EQ(m.data(m.index(1, 0), Qt::DisplayRole).toString(), QStringLiteral("\u00c4hre"));
}

TEST(LessonListModel, EqualFirstTermsGoAfterTheExistingOnes)
{
    LessonListModel m;
    m.addNewEntryRow();
    m.addPair("Bank", "bench");
    EXPECT_EQ(m.addPair("bank", "bank (money)"), 2);
    EXPECT_EQ(m.addPair("Bank", "shoal"), 3);
    EXPECT_EQ(column(m, 1), (Column{" < NEU >", "bench", "bank (money)", "shoal"}));
}

TEST(LessonListModel, BulkAddGivesTheSameRowsAsOneByOne)
{
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {"Bank", "1"}, {"apfel", "2"}, {"bank", "3"}, {"Zug", "4"}, {"Bank", "5"}, {"\xE4", "6"}};
    LessonListModel single;
    single.addNewEntryRow();
    single.addPair("Bank", "0");
    for (const auto& [a, b] : pairs)
        single.addPair(a, b);

    LessonListModel bulk;
    bulk.addNewEntryRow();
    bulk.addPair("Bank", "0");
    QSignalSpy reset(&bulk, &QAbstractItemModel::modelReset);
    auto next = pairs.begin();
    bulk.addPairs(pairs.size(), [&next] {
        const auto& [first, second] = *next++;
        return std::pair<std::string_view, std::string_view>{first, second};
    });
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(column(bulk, 0), column(single, 0));
    EXPECT_EQ(column(bulk, 1), column(single, 1));
}

// Thousands of pairs with many equal keys (case and accents differ, or nothing does), added in
// bulk to an empty list and to one that holds rows already: the same rows in the same order as
// one insertion after another.
TEST(LessonListModel, LargeBulkAddGivesTheSameRowsAsOneByOne)
{
    std::mt19937 random(7);
    // Short terms, and long ones that share their beginning and differ only far behind it.
    const std::vector<std::vector<std::string>> stemSets = {
        {"bank", "Bank", "B\xC4NK", "baum", "", " ", "Zug", "\xE4"},
        {"die Hausaufgabe ", "die Hausaufgabe  ", "die Hausaufgaben", "Die hausaufgabe ",
         "die Hausaufg\xE4"
         "be ",
         "die Hausaufgabe", "die Hausaufgabe\xDF", "die Hausaufgabe!"}};
    const std::vector<std::string>* stems = &stemSets[0];
    const auto makePairs = [&](int n) {
        std::vector<std::pair<std::string, std::string>> pairs;
        for (int i = 0; i < n; ++i)
            pairs.emplace_back((*stems)[random() % 8] + std::to_string(random() % 40),
                               std::to_string(i));
        return pairs;
    };
    for (const auto& stemSet : stemSets)
        for (const int existing : {0, 1, 300}) {
            stems = &stemSet;
            const auto before = makePairs(existing);
            const auto added = makePairs(5000);
            LessonListModel single;
            LessonListModel bulk;
            for (LessonListModel* m : {&single, &bulk}) {
                m->addNewEntryRow();
                for (const auto& [a, b] : before)
                    m->addPair(a, b);
            }
            for (const auto& [a, b] : added)
                single.addPair(a, b);
            auto next = added.begin();
            bulk.addPairs(added.size(), [&next] {
                const auto& [first, second] = *next++;
                return std::pair<std::string_view, std::string_view>{first, second};
            });
            EXPECT_EQ(column(bulk, 0), column(single, 0))
                << existing << " rows before, " << stemSet[0];
            EXPECT_EQ(column(bulk, 1), column(single, 1))
                << existing << " rows before, " << stemSet[0];
        }
}

// Rows sorted beforehand and handed over give the rows that adding them one by one gives: into
// the lists of a new lesson (their storage is taken) and into lists with rows (merged). One row
// shares less of its beginning with the others than the rows the sort looks at first.
TEST(LessonListModel, SortedRowsGiveTheSameRowsAsOneByOne)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    for (int i = 0; i < 1000; ++i)
        pairs.emplace_back("die Hausaufgabe " + std::to_string((i * 7919) % 1000),
                           std::to_string(i));
    pairs[5].first = "die Hausarbeit";
    for (const int existing : {0, 3}) {
        LessonListModel single;
        LessonListModel sorted;
        for (LessonListModel* m : {&single, &sorted}) {
            m->addNewEntryRow();
            for (int i = 0; i < existing; ++i)
                m->addPair(pairs[static_cast<std::size_t>(i) * 100].first, "before");
        }
        PairRows rows;
        for (const auto& [a, b] : pairs) {
            single.addPair(a, b);
            rows.append(a, b);
        }
        rows.sortFrom(0);
        sorted.addSortedRows(std::move(rows));
        EXPECT_EQ(column(sorted, 0), column(single, 0)) << existing << " rows before";
        EXPECT_EQ(column(sorted, 1), column(single, 1)) << existing << " rows before";
    }
}

// Texts of a large lesson, over many blocks, read back as stored, also after removals made the
// texts be rewritten elsewhere.
TEST(PairRows, TextsKeepTheirBytesAcrossBlocks)
{
    PairRows rows;
    const auto text = [](std::size_t i, char side) {
        return std::string(1, side) + std::to_string(i * 2654435761u) + "-Begriff";
    };
    constexpr std::size_t kRows = 200000; // about 4 MB of texts
    for (std::size_t i = 0; i < kRows; ++i)
        rows.append(text(i, 'a'), text(i, 'b'));
    while (rows.size() > kRows * 2 / 5)
        rows.erase(rows.size() - 1);
    bool intact = true;
    for (std::size_t i = 0; i < rows.size() && intact; ++i)
        intact = rows.first(i) == text(i, 'a') && rows.second(i) == text(i, 'b');
    EXPECT_TRUE(intact);
}

// Rows removed by the thousand (their texts dropped and, once they outweigh the rest, the
// texts rewritten) leave the other rows' texts as they were, also for rows added later.
TEST(LessonListModel, RemovingManyRowsKeepsTheOthersTexts)
{
    LessonListModel m;
    m.addNewEntryRow();
    std::vector<std::pair<std::string, std::string>> kept;
    const auto pair = [](int i) {
        return std::pair{"Wort " + std::to_string(10000 + i) + std::string(40, 'a'),
                         "word " + std::to_string(i) + std::string(i % 60, 'b')};
    };
    for (int i = 0; i < 3000; ++i)
        m.addPair(pair(i).first, pair(i).second);
    for (int i = 0; i < 3000; ++i) {
        if (i % 3 == 0)
            kept.push_back(pair(i));
        else
            m.removeRowAt(m.findFirst(pair(i).first));
    }
    for (int i = 3000; i < 3100; ++i) {
        m.addPair(pair(i).first, pair(i).second);
        kept.push_back(pair(i));
    }
    ASSERT_EQ(m.rowCount(), static_cast<int>(kept.size()) + 1);
    EXPECT_EQ(m.firstText(0), LessonListModel::kNewEntryText);
    for (std::size_t k = 0; k < kept.size(); ++k) {
        EXPECT_EQ(m.firstText(static_cast<int>(k) + 1), kept[k].first) << k;
        EXPECT_EQ(m.secondText(static_cast<int>(k) + 1), kept[k].second) << k;
    }
}

TEST(LessonListModel, TextBeyondItsLimitIsCut)
{
    LessonListModel m;
    const std::string longText(LessonListModel::kMaxTextBytes + 10, 'x');
    EXPECT_EQ(m.addPair(longText, "kurz"), 0);
    EXPECT_EQ(m.firstText(0), longText.substr(0, LessonListModel::kMaxTextBytes));
    EXPECT_EQ(m.secondText(0), "kurz");
}

// Row of an entry when first terms repeat: each duplicate finds its own row.
struct RowCase {
    const char* name;
    const char* first;
    const char* second;
    int row;
    friend std::ostream& operator<<(std::ostream& os, const RowCase& c) { return os << c.name; }
};

class LessonListRows : public ::testing::TestWithParam<RowCase> {};

TEST_P(LessonListRows, FindsTheEntrysOwnRow)
{
    LessonListModel m;
    m.addNewEntryRow();
    m.addPair("Bank", "bench"); // row 1
    m.addPair("Zug", "bench");  // row 2, then 4
    m.addPair("Bank", "bank");  // row 2
    m.addPair("Baum", "tree");  // row 3
    const RowCase& c = GetParam();
    EXPECT_EQ(m.rowOfEntry(c.first, c.second), c.row);
}

INSTANTIATE_TEST_SUITE_P(Cases, LessonListRows,
                         ::testing::Values(RowCase{"unique_first_term", "Baum", "tree", 3},
                                           // "bench" recurs further down, but not beside a "Bank".
                                           RowCase{"first_of_duplicates", "Bank", "bench", 1},
                                           RowCase{"second_of_duplicates", "Bank", "bank", 2},
                                           RowCase{"second_term_elsewhere_only", "Zug", "bench", 4},
                                           RowCase{"case_differs", "bank", "bank", -1},
                                           RowCase{"unknown", "Haus", "house", -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LessonListModel, RemovalTakesTheLargerOfTheFirstMatches)
{
    LessonListModel m;
    m.addNewEntryRow();
    m.addPair("Bank", "bench"); // 1
    m.addPair("Bank", "bank");  // 2
    m.addPair("Zug", "train");  // 3
    EXPECT_EQ(m.rowToRemove("Bank", "bank"), 2);
    EXPECT_EQ(m.rowToRemove("Bank", "bench"), 1);
    EXPECT_EQ(m.rowToRemove("Haus", "train"), 3);
    EXPECT_EQ(m.rowToRemove("Haus", "house"), -1);
    m.removeRowAt(2);
    EXPECT_EQ(column(m, 1), (Column{" < NEU >", "bench", "train"}));
    m.removeRowAt(-1);
    m.removeRowAt(99);
    EXPECT_EQ(m.rowCount(), 3);
}

} // namespace
