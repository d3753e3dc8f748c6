#pragma once

#include <cstddef>

// Memory taken from the system by pages, for the large blocks of a lesson in memory.

// `bytes` (a multiple of the page size) aligned to `align` (a power of two, at least a page);
// null when there is none. Where the system maps memory itself the mapping is exactly these
// bytes, so that advice given for them covers nothing else.
void* mapPages(std::size_t bytes, std::size_t align);
void unmapPages(void* memory, std::size_t bytes, std::size_t align) noexcept;
// Asks for large pages (2 MB) for the memory, before it is first written: where a large page
// fits, one fault then brings in 2 MB instead of 4 KB. False where the system has none.
bool adviseLargePages(void* memory, std::size_t bytes) noexcept;
