#include "position_set.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

// Random inserts and erases; every answer checked against std::set. Sizes around the word
// and level boundaries (64, 4096, 262144 positions).
class PositionSetModel : public ::testing::TestWithParam<std::size_t> {};

TEST_P(PositionSetModel, NextMatchesAnOrderedSet)
{
    const std::size_t size = GetParam();
    for (const bool full : {false, true}) {
        PositionSet set(size, full);
        std::set<std::size_t> model;
        for (std::size_t i = 0; full && i < size; ++i)
            model.insert(i);
        std::mt19937 rng(static_cast<unsigned>(size * 2 + full));
        std::uniform_int_distribution<std::size_t> pos(0, size + 2);
        for (int step = 0; step < 4000; ++step) {
            const std::size_t p = pos(rng);
            if (rng() % 2 == 0 && p < size)
                set.insert(p), model.insert(p);
            else
                set.erase(p), model.erase(p);
            const std::size_t from = pos(rng);
            const auto it = model.lower_bound(from);
            const std::size_t next = it != model.end() ? *it : PositionSet::npos;
            ASSERT_EQ(set.next(from), next) << "from " << from;
            ASSERT_EQ(set.nextCyclic(from), next != PositionSet::npos ? next
                                            : model.empty()           ? PositionSet::npos
                                                                      : *model.begin());
            ASSERT_EQ(set.count(), model.size());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PositionSetModel, ::testing::Values(0, 1, 64, 65, 4097, 262145));

} // namespace
