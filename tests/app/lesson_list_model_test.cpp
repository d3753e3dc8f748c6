#include "lesson_list_model.h"

#include "entry_chain.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <random>
#include <string>
#include <vector>

namespace {

using Column = std::vector<std::string>;
using Pairs = std::vector<std::pair<std::string, std::string>>;

// The entries of pairs, appended to chain.
std::vector<strWort*> append(EntryChain& chain, const Pairs& pairs)
{
    std::vector<strWort*> entries;
    for (const auto& [first, second] : pairs)
        entries.push_back(chain.append(first, second));
    return entries;
}

Column column(const LessonListModel& m, int col)
{
    Column out;
    for (int r = 0; r < m.rowCount(); ++r)
        out.emplace_back(col == 0 ? m.firstText(r) : m.secondText(r));
    return out;
}

TEST(LessonListModel, NewEntryRowStaysOnTopWhateverSortsFirst)
{
    EntryChain chain;
    LessonListModel m;
    m.addNewEntryRow();
    for (strWort* e :
         append(chain, {{"!Ausruf", "exclamation"}, {" ahead", "blank"}, {"Baum", "tree"}}))
        m.addEntry(e);
    EXPECT_EQ(m.entryAt(0), nullptr);
    EXPECT_EQ(m.firstText(0), LessonListModel::kNewEntryText);
    EXPECT_EQ(m.secondText(0), LessonListModel::kNewEntryText);
    EXPECT_EQ(m.addNewEntryRow(), 0);
    EXPECT_EQ(m.rowCount(), 4) << "the new-entry row exists once";
    EXPECT_EQ(m.data(m.index(0, 1), Qt::DisplayRole).toString(), QStringLiteral(" < NEU >"));
}

TEST(LessonListModel, SortsGermanCaseInsensitiveAndKeepsPairsTogether)
{
    EntryChain chain;
    LessonListModel m;
    m.addNewEntryRow();
    EXPECT_EQ(m.addEntry(chain.append("Zug", "train")), 1);
    EXPECT_EQ(m.addEntry(chain.append("apfel", "apple")), 1);
    EXPECT_EQ(m.addEntry(chain.append("\xC4hre", "ear")), 1)
        << "an umlaut sorts as its base letter";
    EXPECT_EQ(m.addEntry(chain.append("Baum", "tree")), 3);
    EXPECT_EQ(column(m, 0), (Column{" < NEU >", "\xC4hre", "apfel", "Baum", "Zug"}));
    EXPECT_EQ(column(m, 1), (Column{" < NEU >", "ear", "apple", "tree", "train"}));
    EXPECT_EQ(m.data(m.index(1, 0), Qt::DisplayRole).toString(), QStringLiteral("\u00c4hre"));
}

TEST(LessonListModel, EqualFirstTermsGoAfterTheExistingOnes)
{
    EntryChain chain;
    LessonListModel m;
    m.addNewEntryRow();
    m.addEntry(chain.append("Bank", "bench"));
    EXPECT_EQ(m.addEntry(chain.append("bank", "bank (money)")), 2);
    EXPECT_EQ(m.addEntry(chain.append("Bank", "shoal")), 3);
    EXPECT_EQ(column(m, 1), (Column{" < NEU >", "bench", "bank (money)", "shoal"}));
}

TEST(LessonListModel, BulkAddGivesTheSameRowsAsOneByOne)
{
    EntryChain chain;
    const std::vector<strWort*> entries = append(
        chain,
        {{"Bank", "1"}, {"apfel", "2"}, {"bank", "3"}, {"Zug", "4"}, {"Bank", "5"}, {"\xE4", "6"}});
    strWort* const before = chain.append("Bank", "0");
    LessonListModel single;
    single.addNewEntryRow();
    single.addEntry(before);
    for (strWort* e : entries)
        single.addEntry(e);

    LessonListModel bulk;
    bulk.addNewEntryRow();
    bulk.addEntry(before);
    QSignalSpy reset(&bulk, &QAbstractItemModel::modelReset);
    bulk.addEntries(entries);
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
    EntryChain chain;
    const auto makeEntries = [&](int n) {
        Pairs pairs;
        for (int i = 0; i < n; ++i)
            pairs.emplace_back((*stems)[random() % 8] + std::to_string(random() % 40),
                               std::to_string(i));
        return append(chain, pairs);
    };
    for (const auto& stemSet : stemSets)
        for (const int existing : {0, 1, 300}) {
            stems = &stemSet;
            const auto before = makeEntries(existing);
            const auto added = makeEntries(5000);
            LessonListModel single;
            LessonListModel bulk;
            for (LessonListModel* m : {&single, &bulk}) {
                m->addNewEntryRow();
                for (strWort* e : before)
                    m->addEntry(e);
            }
            for (strWort* e : added)
                single.addEntry(e);
            bulk.addEntries(added);
            EXPECT_EQ(column(bulk, 0), column(single, 0))
                << existing << " rows before, " << stemSet[0];
            EXPECT_EQ(column(bulk, 1), column(single, 1))
                << existing << " rows before, " << stemSet[0];
        }
}

// Entries whose first terms share a long beginning, one of them less of it than the entries
// the sort looks at first, added at once to the lists of a new lesson and to lists with rows:
// the rows that adding them one by one gives.
TEST(LessonListModel, EntriesSharingABeginningGiveTheSameRowsAsOneByOne)
{
    Pairs pairs;
    for (int i = 0; i < 1000; ++i)
        pairs.emplace_back("die Hausaufgabe " + std::to_string((i * 7919) % 1000),
                           std::to_string(i));
    pairs[5].first = "die Hausarbeit";
    EntryChain chain;
    const std::vector<strWort*> entries = append(chain, pairs);
    for (const int existing : {0, 3}) {
        LessonListModel single;
        LessonListModel bulk;
        for (LessonListModel* m : {&single, &bulk}) {
            m->addNewEntryRow();
            for (int i = 0; i < existing; ++i)
                m->addEntry(entries[static_cast<std::size_t>(i) * 100]);
        }
        for (strWort* e : entries)
            single.addEntry(e);
        bulk.addEntries(entries);
        EXPECT_EQ(column(bulk, 0), column(single, 0)) << existing << " rows before";
        EXPECT_EQ(column(bulk, 1), column(single, 1)) << existing << " rows before";
    }
}

// Entries with equal terms, added one by one and all at once: each row leads to its own entry
// and each entry to its own row, also after another entry with the same texts is removed.
struct EqualEntriesCase {
    const char* name;
    bool atOnce;
    int removed; // the entry whose row is removed, in chain order; -1 none
    friend std::ostream& operator<<(std::ostream& os, const EqualEntriesCase& c)
    {
        return os << c.name;
    }
};

class EqualEntries : public ::testing::TestWithParam<EqualEntriesCase> {};

TEST_P(EqualEntries, EachRowIsItsOwnEntry)
{
    const EqualEntriesCase& c = GetParam();
    EntryChain chain;
    std::vector<strWort*> entries = append(chain, {{"Bank", "bench"},
                                                   {"Zug", "bench"},
                                                   {"Bank", "bank"},
                                                   {"Baum", "tree"},
                                                   {"bank", "bench"}});
    entries.push_back(chain.append("Bank", "bench"));
    LessonListModel m;
    m.addNewEntryRow();
    if (c.atOnce)
        m.addEntries(entries);
    else
        for (strWort* e : entries)
            m.addEntry(e);
    std::vector<strWort*> expected = {nullptr,    entries[0], entries[2], entries[4],
                                      entries[5], entries[3], entries[1]};
    if (c.removed >= 0) {
        const strWort* gone = entries[static_cast<std::size_t>(c.removed)];
        m.removeRowAt(m.rowOf(gone));
        std::erase(expected, gone);
        EXPECT_EQ(m.rowOf(gone), -1);
    }
    ASSERT_EQ(m.rowCount(), static_cast<int>(expected.size()));
    for (int row = 0; row < m.rowCount(); ++row) {
        EXPECT_EQ(m.entryAt(row), expected[static_cast<std::size_t>(row)]) << "row " << row;
        EXPECT_EQ(m.rowOf(expected[static_cast<std::size_t>(row)]), row > 0 ? row : -1);
    }
    EXPECT_EQ(m.entryAt(m.rowCount()), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EqualEntries,
    ::testing::Values(EqualEntriesCase{"one_by_one", false, -1},
                      EqualEntriesCase{"at_once", true, -1},
                      EqualEntriesCase{"last_of_equal_pairs_removed", false, 5},
                      EqualEntriesCase{"first_of_equal_pairs_removed", true, 0},
                      EqualEntriesCase{"equal_first_term_removed", false, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LessonListModel, RemovingARowOutsideTheListsChangesNothing)
{
    EntryChain chain;
    LessonListModel m;
    m.addNewEntryRow();
    m.addEntry(chain.append("Zug", "train"));
    m.removeRowAt(-1);
    m.removeRowAt(99);
    EXPECT_EQ(column(m, 1), (Column{" < NEU >", "train"}));
    m.removeRowAt(0);
    EXPECT_EQ(column(m, 1), (Column{"train"}));
    EXPECT_EQ(m.addNewEntryRow(), 0) << "the new-entry row can come back";
}

} // namespace
