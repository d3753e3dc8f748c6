#pragma once

#include <cstddef>

// Blocks of one size, carved from slabs of kSlabBytes that are aligned to their own size, so
// that a block's slab is found from its address. Each block costs its size and nothing more
// (the general heap adds 8 to 16 bytes to each allocation, and rounds it up). The first slab's
// pages are touched only as blocks are handed out, so a small pool holds little memory. Every
// further slab (see expect) is one large page where the system has them (a slab is the size of
// one): filling a large lesson then costs a page fault per slab rather than one per 4 KB, which is
// most of the cost of reading it into a fresh process. A slab whose last block is freed is kept
// as a spare, up to kSpareSlabs of them, and goes back to the system beyond that: a lesson
// closed and the next one read reuse pages already present. For one thread.
class BlockPool {
public:
    static constexpr std::size_t kSlabBytes = 2 * 1024 * 1024;
    static constexpr std::size_t kSpareSlabs = 8;

    // blockBytes: at least 1 and at most what a slab holds besides its header; blocks are
    // aligned as the default operator new aligns.
    explicit BlockPool(std::size_t blockBytes);
    ~BlockPool(); // every block must have been freed
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;

    // A block of blockBytes; throws std::bad_alloc when no slab can be had.
    void* allocate();
    // How many more blocks are expected soon (a lesson being read): a new slab then takes a
    // large page when it will be filled (the first one too), and only then, as most of a page
    // left empty would stay so. Without an expectation every slab after the first takes one.
    void expect(std::size_t blocks)
    {
        expected_ = blocks;
        expecting_ = true;
    }
    void dropExpectation() { expecting_ = false; }
    // Slabs that were asked for a large page (whether the system gave one or not).
    std::size_t largePageRequests() const { return largePageRequests_; }
    // Takes back a block that allocate gave.
    void deallocate(void* block) noexcept;

    std::size_t blocksPerSlab() const { return blocksPerSlab_; }
    // Slabs holding blocks, and empty ones kept.
    std::size_t slabCount() const { return slabCount_; }
    std::size_t spareCount() const { return spareCount_; }

private:
    struct Slab;
    static const std::size_t kHeaderBytes; // a slab's header, rounded up to the alignment
    Slab* newSlab();
    void prepare(Slab* slab, std::size_t end) noexcept;
    static constexpr std::size_t kPrepareBytes = 64 * 1024;
    void unlink(Slab* slab) noexcept;
    void pushFront(Slab* slab) noexcept;

    std::size_t blockBytes_;
    std::size_t blocksPerSlab_;
    Slab* available_ = nullptr; // slabs with a free or never used block
    std::size_t slabCount_ = 0;
    Slab* spares_ = nullptr; // linked by next
    std::size_t spareCount_ = 0;
    std::size_t expected_ = 0; // blocks still expected, while expecting_
    bool expecting_ = false;
    std::size_t largePageRequests_ = 0;
};
