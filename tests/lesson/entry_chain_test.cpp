#include "entry_chain.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Walks the chain both ways and checks every invariant; returns the first terms in order.
std::vector<std::string> checkedTerms(const EntryChain& chain)
{
    std::vector<std::string> forward;
    const strWort* prev = nullptr;
    for (const strWort* e = chain.firstEntry(); e != nullptr; e = e->next) {
        EXPECT_EQ(e->prev, prev);
        forward.push_back(e->term1);
        prev = e;
    }
    EXPECT_EQ(prev, chain.lastEntry());
    EXPECT_EQ(forward.size(), chain.entryCount());
    EXPECT_EQ(chain.firstEntry() == nullptr, chain.lastEntry() == nullptr);
    EXPECT_EQ(chain.firstEntry() == nullptr, chain.entryCount() == 0);
    std::size_t back = 0;
    for (const strWort* e = chain.lastEntry(); e != nullptr; e = e->prev)
        ++back;
    EXPECT_EQ(back, forward.size());
    if (chain.currentEntry != nullptr) {
        bool found = false;
        for (const strWort* e = chain.firstEntry(); e != nullptr; e = e->next)
            found = found || e == chain.currentEntry;
        EXPECT_TRUE(found) << "currentEntry is not in the chain";
    }
    return forward;
}

using Terms = std::vector<std::string>;

strWort* nth(EntryChain& chain, int n)
{
    strWort* e = chain.firstEntry();
    while (n-- > 0)
        e = e->next;
    return e;
}

TEST(EntryChain, AppendKeepsOrderCopiesTermsAndLeavesNothingCurrent)
{
    EntryChain chain;
    std::string first = "Haus";
    strWort* a = chain.append(first, "house");
    first = "changed";
    EXPECT_EQ(a->term1, "Haus");
    EXPECT_EQ(chain.firstEntry(), a);
    EXPECT_EQ(chain.currentEntry, nullptr);

    chain.currentEntry = a;
    strWort* b = chain.append("Baum", "tree");
    EXPECT_EQ(chain.currentEntry, nullptr) << "an append never makes an entry current";
    EXPECT_EQ(chain.lastEntry(), b);
    EXPECT_EQ(b->direction, ' ');
    EXPECT_EQ(b->rightCount, 0u);
    EXPECT_EQ(b->wrongCount, 0u);
    EXPECT_EQ(checkedTerms(chain), (Terms{"Haus", "Baum"}));
}

TEST(EntryChain, EmptyTermsAndRepeatedPairsAreStored)
{
    EntryChain chain;
    chain.append("", "");
    chain.append("a", "b");
    chain.append("a", "b");
    EXPECT_EQ(checkedTerms(chain), (Terms{"", "a", "a"}));
}

// Which entry becomes current after a deletion, whatever was current before.
struct DeleteCase {
    const char* name;
    int count;                // entries 0..count-1 named "0", "1", ...
    int deleted;              // index of the deleted entry
    int currentBefore;        // -1: none
    const char* currentAfter; // first term, or nullptr for none
    Terms remaining;
    friend std::ostream& operator<<(std::ostream& os, const DeleteCase& c) { return os << c.name; }
};

class EntryChainDelete : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(EntryChainDelete, MovesCurrentEntryAndKeepsInvariants)
{
    const DeleteCase& c = GetParam();
    EntryChain chain;
    for (int i = 0; i < c.count; ++i)
        chain.append(std::to_string(i), "x");
    chain.currentEntry = c.currentBefore < 0 ? nullptr : nth(chain, c.currentBefore);
    delete nth(chain, c.deleted);
    EXPECT_EQ(checkedTerms(chain), c.remaining);
    if (c.currentAfter == nullptr) {
        EXPECT_EQ(chain.currentEntry, nullptr);
    } else {
        ASSERT_NE(chain.currentEntry, nullptr);
        EXPECT_EQ(chain.currentEntry->term1, c.currentAfter);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EntryChainDelete,
    ::testing::Values(DeleteCase{"only_entry", 1, 0, 0, nullptr, {}},
                      DeleteCase{"last_of_three", 3, 2, -1, "1", {"0", "1"}},
                      DeleteCase{"first_of_three", 3, 0, 2, "1", {"1", "2"}},
                      DeleteCase{"middle_while_other_current", 3, 1, 0, "2", {"0", "2"}},
                      DeleteCase{"middle_while_none_current", 4, 2, -1, "3", {"0", "1", "3"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EntryChain, DeletingFromTheEndEmptiesTheChain)
{
    EntryChain chain;
    for (int i = 0; i < 5; ++i)
        chain.append(std::to_string(i), "");
    for (int left = 4; left >= 0; --left) {
        chain.deleteLast();
        EXPECT_EQ(chain.entryCount(), static_cast<std::uint32_t>(left));
        checkedTerms(chain);
        if (left > 0) {
            EXPECT_EQ(chain.currentEntry, chain.lastEntry());
        }
    }
    EXPECT_EQ(chain.currentEntry, nullptr);
    chain.deleteLast(); // nothing to delete: no effect
    EXPECT_EQ(chain.entryCount(), 0u);
}

} // namespace
