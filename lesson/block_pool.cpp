#include "block_pool.h"

#include "page_memory.h"

#include <algorithm>
#include <cstdint>
#include <new>

#ifndef _WIN32
#include <sys/mman.h>
#endif

namespace {

constexpr std::size_t kAlign = __STDCPP_DEFAULT_NEW_ALIGNMENT__;

constexpr std::size_t roundUp(std::size_t n, std::size_t to)
{
    return (n + to - 1) / to * to;
}

} // namespace

// The header at the start of each slab; blocks follow it.
struct BlockPool::Slab {
    Slab* prev = nullptr;
    Slab* next = nullptr;
    void* freeList = nullptr; // freed blocks, each holding the next one's address
    std::size_t used = 0;     // blocks handed out and not freed
    std::size_t carved = 0;   // blocks ever handed out from the untouched rest
    std::size_t prepared = 0; // bytes from the slab's start whose pages are made present
};

const std::size_t BlockPool::kHeaderBytes = roundUp(sizeof(Slab), kAlign);

BlockPool::BlockPool(std::size_t blockBytes)
    : blockBytes_(roundUp(blockBytes < sizeof(void*) ? sizeof(void*) : blockBytes, kAlign)),
      blocksPerSlab_((kSlabBytes - kHeaderBytes) / blockBytes_)
{}

BlockPool::~BlockPool()
{
    while (available_ != nullptr) {
        Slab* slab = available_;
        unlink(slab);
        unmapPages(slab, kSlabBytes, kSlabBytes);
    }
    while (spares_ != nullptr) {
        Slab* slab = spares_;
        spares_ = slab->next;
        unmapPages(slab, kSlabBytes, kSlabBytes);
    }
}

void BlockPool::unlink(Slab* slab) noexcept
{
    if (slab->prev != nullptr) slab->prev->next = slab->next;
    if (slab->next != nullptr) slab->next->prev = slab->prev;
    if (available_ == slab) available_ = slab->next;
    slab->prev = slab->next = nullptr;
}

void BlockPool::pushFront(Slab* slab) noexcept
{
    slab->prev = nullptr;
    slab->next = available_;
    if (available_ != nullptr) available_->prev = slab;
    available_ = slab;
}

BlockPool::Slab* BlockPool::newSlab()
{
    ++slabCount_;
    if (spares_ != nullptr) {
        Slab* slab = spares_;
        spares_ = slab->next;
        slab->next = nullptr;
        --spareCount_;
        return slab; // its pages are still present
    }
    void* memory = mapPages(kSlabBytes, kSlabBytes);
    if (memory == nullptr) {
        --slabCount_;
        throw std::bad_alloc();
    }
    bool largePage = false;
    // Where blocks are expected, for a slab they will fill; otherwise once the pool outgrows
    // its first slab, as one large page would be most of what a small lesson holds.
    if (expecting_ ? expected_ >= blocksPerSlab_ : slabCount_ > 1) {
        ++largePageRequests_;
        // The advice comes before the first write, which would otherwise bring in a small
        // page; refused, the pages come in one by one.
        largePage = adviseLargePages(memory, kSlabBytes);
    }
    auto* slab = new (memory) Slab;
    if (largePage) slab->prepared = kSlabBytes;
    return slab;
}

void BlockPool::prepare(Slab* slab, std::size_t end) noexcept
{
    // Pages are made present a stretch at a time, as blocks are carved: one call instead of a
    // page fault per page, which where faults are dear (virtual machines) halves their cost.
    // Only pages the next blocks take are touched, so the memory held is the same.
    const std::size_t to =
        std::min(kSlabBytes, (end + kPrepareBytes - 1) / kPrepareBytes * kPrepareBytes);
#if defined(MADV_POPULATE_WRITE)
    // Without it (an older kernel) the pages come one fault at a time, as they always did.
    (void)::madvise(reinterpret_cast<char*>(slab) + slab->prepared, to - slab->prepared,
                    MADV_POPULATE_WRITE);
#endif
    slab->prepared = to;
}

void* BlockPool::allocate()
{
    if (available_ == nullptr) pushFront(newSlab());
    if (expected_ > 0) --expected_;
    Slab* slab = available_;
    void* block;
    if (slab->freeList != nullptr) {
        block = slab->freeList;
        slab->freeList = *static_cast<void**>(block);
    } else {
        block = reinterpret_cast<char*>(slab) + kHeaderBytes + slab->carved * blockBytes_;
        ++slab->carved;
        const std::size_t end = kHeaderBytes + slab->carved * blockBytes_;
        if (end > slab->prepared) prepare(slab, end);
    }
    ++slab->used;
    if (slab->freeList == nullptr && slab->carved == blocksPerSlab_) unlink(slab); // full
    return block;
}

void BlockPool::deallocate(void* block) noexcept
{
    auto* slab = reinterpret_cast<Slab*>(reinterpret_cast<std::uintptr_t>(block) &
                                         ~static_cast<std::uintptr_t>(kSlabBytes - 1));
    const bool wasFull = slab->freeList == nullptr && slab->carved == blocksPerSlab_;
    *static_cast<void**>(block) = slab->freeList;
    slab->freeList = block;
    --slab->used;
    if (slab->used == 0) {
        if (!wasFull) unlink(slab);
        --slabCount_;
        if (spareCount_ < kSpareSlabs) {
            slab->freeList = nullptr;
            slab->carved = 0;
            slab->next = spares_;
            spares_ = slab;
            ++spareCount_;
        } else {
            slab->~Slab();
            unmapPages(slab, kSlabBytes, kSlabBytes);
        }
    } else if (wasFull) {
        pushFront(slab);
    }
}
