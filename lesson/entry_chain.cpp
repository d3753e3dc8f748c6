#include "entry_chain.h"

#include "block_pool.h"

#include <algorithm>
#include <limits>
#include <new>

// The address sanitizer watches each heap allocation on its own; a pool would hide from it
// what it is there to find.
#if defined(__SANITIZE_ADDRESS__)
#define KAZ_POOLED_ENTRIES 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KAZ_POOLED_ENTRIES 0
#endif
#endif
#ifndef KAZ_POOLED_ENTRIES
#define KAZ_POOLED_ENTRIES 1
#endif

namespace {

// Never destroyed: an entry may outlive every other static object.
BlockPool& entryPool()
{
    static BlockPool* const pool = new BlockPool(sizeof(strWort));
    return *pool;
}

bool pooled(std::size_t bytes)
{
    return KAZ_POOLED_ENTRIES && bytes == sizeof(strWort);
}

} // namespace

void* strWort::operator new(std::size_t bytes)
{
    return pooled(bytes) ? entryPool().allocate() : ::operator new(bytes);
}

void strWort::operator delete(void* entry, std::size_t bytes) noexcept
{
    if (pooled(bytes))
        entryPool().deallocate(entry);
    else
        ::operator delete(entry);
}

strWort::strWort(EntryChain& chain, std::string_view first, std::string_view second)
    : prev(chain.lastEntry_), term1(first), term2(second), chain_(chain)
{
    if (prev == nullptr)
        chain_.firstEntry_ = this;
    else
        prev->next = this;
    chain_.lastEntry_ = this;
    chain_.currentEntry = nullptr;
    ++chain_.entryCount_;
}

strWort::~strWort()
{
    --chain_.entryCount_;
    if (next == nullptr) {
        chain_.currentEntry = prev;
        chain_.lastEntry_ = prev;
        if (prev == nullptr)
            chain_.firstEntry_ = nullptr;
        else
            prev->next = nullptr;
    } else if (prev == nullptr) {
        chain_.currentEntry = next;
        chain_.firstEntry_ = next;
        next->prev = nullptr;
    } else {
        chain_.currentEntry = next;
        prev->next = next;
        next->prev = prev;
    }
}

void EntryChain::forecastEntries(std::uint64_t entries)
{
    if (KAZ_POOLED_ENTRIES)
        entryPool().expect(static_cast<std::size_t>(
            std::min<std::uint64_t>(entries, std::numeric_limits<std::size_t>::max())));
}

void EntryChain::dropEntryForecast()
{
    if (KAZ_POOLED_ENTRIES) entryPool().dropExpectation();
}

EntryChain::~EntryChain()
{
    while (lastEntry_ != nullptr)
        deleteLast();
}

strWort* EntryChain::append(std::string_view first, std::string_view second)
{
    return new strWort(*this, first, second);
}

void EntryChain::deleteLast()
{
    delete lastEntry_;
}
