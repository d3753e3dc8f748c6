#include "block_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Blocks handed out and taken back in several orders: each block is writable on its own and
// aligned, every slab is empty once its blocks are back, and empty slabs are kept as spares up
// to their limit and used again before any new one.
struct PoolCase {
    const char* name;
    std::size_t blockBytes;
    double slabs; // blocks allocated, in slabs' worth
    enum { LastFirst, FirstFirst, EveryOtherFirst } order;
};

class BlockPoolCases : public ::testing::TestWithParam<PoolCase> {};

TEST_P(BlockPoolCases, BlocksAreSeparateAndSlabsGoBack)
{
    const PoolCase& c = GetParam();
    BlockPool pool(c.blockBytes);
    const auto n = static_cast<std::size_t>(c.slabs * static_cast<double>(pool.blocksPerSlab()));
    std::vector<unsigned char*> blocks;
    for (std::size_t i = 0; i < n; ++i) {
        auto* b = static_cast<unsigned char*>(pool.allocate());
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(b) % __STDCPP_DEFAULT_NEW_ALIGNMENT__, 0u);
        std::memset(b, static_cast<int>(i & 0xFF), c.blockBytes);
        blocks.push_back(b);
    }
    const std::size_t slabsNeeded = (n + pool.blocksPerSlab() - 1) / pool.blocksPerSlab();
    EXPECT_EQ(pool.slabCount(), slabsNeeded);
    for (std::size_t i = 0; i < n; ++i)
        ASSERT_EQ(blocks[i][c.blockBytes - 1], i & 0xFF) << "block " << i << " was overwritten";

    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[i] = i;
    if (c.order == PoolCase::LastFirst) std::reverse(order.begin(), order.end());
    if (c.order == PoolCase::EveryOtherFirst)
        std::stable_partition(order.begin(), order.end(), [](std::size_t i) { return i % 2; });
    for (std::size_t k = 0; k < n; ++k) {
        pool.deallocate(blocks[order[k]]);
        if (k + 1 == n / 2) {
            // Blocks or slabs freed meanwhile are used again before any new slab is taken.
            const std::size_t slabs = pool.slabCount() + pool.spareCount();
            void* again = pool.allocate();
            EXPECT_EQ(pool.slabCount() + pool.spareCount(), slabs);
            pool.deallocate(again);
        }
    }
    EXPECT_EQ(pool.slabCount(), 0u);
    EXPECT_EQ(pool.spareCount(), std::min(slabsNeeded, BlockPool::kSpareSlabs));
    std::vector<void*> again(n);
    for (void*& b : again)
        b = pool.allocate();
    EXPECT_EQ(pool.spareCount(), 0u) << "spares are taken before new slabs";
    EXPECT_EQ(pool.slabCount(), slabsNeeded);
    for (void* b : again)
        pool.deallocate(b);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BlockPoolCases,
    ::testing::Values(PoolCase{"entry_sized_last_first", 112, 3.5, PoolCase::LastFirst},
                      PoolCase{"entry_sized_first_first", 112, 3.5, PoolCase::FirstFirst},
                      PoolCase{"entry_sized_every_other", 112, 3.5, PoolCase::EveryOtherFirst},
                      PoolCase{"exactly_full_slabs", 112, 2.0, PoolCase::EveryOtherFirst},
                      PoolCase{"tiny_blocks", 1, 1.5, PoolCase::FirstFirst},
                      PoolCase{"large_blocks", 20000, 4.0, PoolCase::EveryOtherFirst},
                      PoolCase{"more_slabs_than_spares", 20000, 20.0, PoolCase::LastFirst}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

// With blocks expected, the slabs they will fill ask for a large page, the first one too, and
// the last one of a read stays small, as its page would stay mostly empty. Without an
// expectation (or after it is dropped) every slab after the first asks.
TEST(BlockPool, LargePagesOnlyForSlabsThatWillFill)
{
    const struct {
        double expectedSlabs; // < 0: no expectation
        double allocatedSlabs;
        std::size_t largeRequests;
    } cases[] = {{-1, 3.5, 3}, {3.5, 3.5, 3}, {4.0, 3.5, 4}, {0.5, 3.5, 0}, {-1, 0.5, 0}};
    for (const auto& c : cases) {
        BlockPool pool(112);
        const auto slabs = [&](double n) {
            return static_cast<std::size_t>(n * static_cast<double>(pool.blocksPerSlab()));
        };
        if (c.expectedSlabs >= 0) pool.expect(slabs(c.expectedSlabs));
        std::vector<void*> blocks(slabs(c.allocatedSlabs));
        for (void*& b : blocks)
            b = pool.allocate();
        EXPECT_EQ(pool.largePageRequests(), c.largeRequests)
            << c.expectedSlabs << " slabs expected, " << c.allocatedSlabs << " allocated";
        pool.dropExpectation();
        blocks.push_back(pool.allocate()); // still in the last slab
        for (std::size_t i = 0; i < pool.blocksPerSlab(); ++i)
            blocks.push_back(pool.allocate());
        EXPECT_EQ(pool.largePageRequests(),
                  c.largeRequests + (blocks.size() > pool.blocksPerSlab() ? 1 : 0))
            << "a slab made without an expectation asks";
        for (void* b : blocks)
            pool.deallocate(b);
    }
}

} // namespace
