#include "page_memory.h"

#include <cstdint>
#include <new>

#ifndef _WIN32
#include <sys/mman.h>
#endif

void* mapPages(std::size_t bytes, std::size_t align)
{
#if defined(_WIN32)
    return ::operator new(bytes, std::align_val_t(align), std::nothrow);
#else
    void* mapped =
        ::mmap(nullptr, bytes + align, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + align - 1) & ~static_cast<std::uintptr_t>(align - 1);
    if (aligned > start) ::munmap(mapped, aligned - start);
    if (aligned + bytes < start + bytes + align)
        ::munmap(reinterpret_cast<void*>(aligned + bytes), start + align - aligned);
    return reinterpret_cast<void*>(aligned);
#endif
}

void unmapPages(void* memory, std::size_t bytes, [[maybe_unused]] std::size_t align) noexcept
{
#if defined(_WIN32)
    ::operator delete(memory, std::align_val_t(align));
#else
    ::munmap(memory, bytes);
#endif
}

bool adviseLargePages([[maybe_unused]] void* memory, [[maybe_unused]] std::size_t bytes) noexcept
{
#if defined(MADV_HUGEPAGE)
    return ::madvise(memory, bytes, MADV_HUGEPAGE) == 0;
#else
    return false;
#endif
}
