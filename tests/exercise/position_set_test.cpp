#include "position_set.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

// The set's answers against std::set under random inserts and erases.
class PositionSetModel : public ::testing::TestWithParam<std::size_t> {};

TEST_P(PositionSetModel, NextMatchesAnOrderedSet)
{
    const std::size_t size = GetParam();
    for (const bool full : {false, true}) {
        PositionSet set(size, full);
        std::set<std::size_t> model;
        if (full)
            for (std::size_t i = 0; i < size; ++i)
                model.insert(i);
        std::mt19937 rng(static_cast<unsigned>(size) * 2 + full);
        std::uniform_int_distribution<std::size_t> pos(0, size + 2);
        for (int step = 0; step < 4000; ++step) {
            const std::size_t p = pos(rng);
            if (rng() % 2 == 0) {
                set.insert(p);
                if (p < size)
                    model.insert(p);
            } else {
                set.erase(p);
                model.erase(p);
            }
            const std::size_t from = pos(rng);
            const auto it = model.lower_bound(from);
            const std::size_t expectedNext = it == model.end() ? PositionSet::npos : *it;
            ASSERT_EQ(set.next(from), expectedNext) << "from " << from << " step " << step;
            const std::size_t expectedCyclic =
                expectedNext != PositionSet::npos ? expectedNext
                : model.empty()                   ? PositionSet::npos
                                                  : *model.begin();
            ASSERT_EQ(set.nextCyclic(from), expectedCyclic);
            ASSERT_EQ(set.count(), model.size());
            ASSERT_EQ(set.contains(p), model.count(p) == 1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PositionSetModel,
                         ::testing::Values(0, 1, 63, 64, 65, 4096, 4097, 262145));

TEST(PositionSet, FullSetEmptiesInOrder)
{
    PositionSet set(70000, true);
    for (std::size_t i = 0; i < 70000; ++i) {
        ASSERT_EQ(set.next(0), i);
        set.erase(i);
    }
    EXPECT_TRUE(set.empty());
    EXPECT_EQ(set.nextCyclic(5), PositionSet::npos);
}

} // namespace
