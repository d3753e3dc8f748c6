#include "lesson_file.h"

#include "entry_chain.h"
#include "safe_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

// Source of bytes in chunks: a whole buffer at once, or a file read piece by piece.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Returns the next chunk; an empty chunk means end of input (or a read error).
    virtual std::string_view nextChunk() = 0;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::string_view nextChunk() override
    {
        std::string_view chunk = bytes_;
        bytes_ = {};
        return chunk;
    }

private:
    std::string_view bytes_;
};

class FileSource : public ByteSource {
public:
    FileSource(std::FILE* file, std::size_t chunkBytes)
        : file_(file), buffer_(std::max<std::size_t>(chunkBytes, 1))
    {}
    std::string_view nextChunk() override
    {
        const std::size_t got = std::fread(buffer_.data(), 1, buffer_.size(), file_);
        return {buffer_.data(), got};
    }

private:
    std::FILE* file_;
    std::vector<char> buffer_;
};

// Splits the input into zero-ended fields.
class FieldReader {
public:
    explicit FieldReader(ByteSource& source) : source_(source) {}

    // Reads one field into text (at most kMaxTermBytes bytes kept). Returns the number of bytes
    // consumed, the zero byte included; 0 means the input had ended.
    std::size_t readField(std::string& text)
    {
        text.clear();
        std::size_t consumed = 0;
        for (;;) {
            if (chunk_.empty()) {
                chunk_ = source_.nextChunk();
                if (chunk_.empty()) return consumed;
            }
            const void* zero = std::memchr(chunk_.data(), 0, chunk_.size());
            const std::size_t len =
                zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - chunk_.data())
                     : chunk_.size();
            if (text.size() < kMaxTermBytes)
                text.append(chunk_.data(), std::min(len, kMaxTermBytes - text.size()));
            consumed += len;
            if (zero) {
                chunk_.remove_prefix(len + 1);
                return consumed + 1;
            }
            chunk_ = {};
        }
    }

private:
    ByteSource& source_;
    std::string_view chunk_;
};

LessonReadResult readFrom(ByteSource& source, EntryChain& chain, LessonReadListener* listener,
                          std::uint64_t maxEntries)
{
    FieldReader reader(source);
    std::string first;
    std::string second;
    const std::size_t magicBytes = reader.readField(first);
    if (magicBytes != kLessonMagic.size() + 1 || first != kLessonMagic)
        return LessonReadResult::WrongFormat;

    if (listener) listener->beforePairs();
    strWort* const lastBefore = chain.lastEntry();
    const std::uint64_t room = std::min<std::uint64_t>(
        maxEntries, std::numeric_limits<std::uint32_t>::max() - chain.entryCount());
    std::uint64_t appended = 0;
    bool fits = true;
    try {
        for (;;) {
            if (reader.readField(first) == 0) break;
            if (reader.readField(second) == 0) break;
            if (appended == room) {
                fits = false;
                break;
            }
            strWort* entry = chain.append(first, second);
            ++appended;
            if (listener) listener->pairRead(*entry);
        }
    } catch (const std::bad_alloc&) {
        fits = false;
    }
    if (!fits) {
        // Deleting frees memory and allocates none, so this works when memory ran out.
        while (chain.lastEntry() != lastBefore)
            chain.deleteLast();
        chain.currentEntry = nullptr; // as the appends had left it
        if (listener) listener->readAbandoned();
        return LessonReadResult::TooLarge;
    }
    if (listener) listener->afterPairs();
    return LessonReadResult::Read;
}

// Bytes of memory this process can get: physical memory, less where a resource limit is lower.
std::uint64_t obtainableMemoryBytes()
{
    std::uint64_t bytes = std::numeric_limits<std::uint64_t>::max();
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageBytes = ::sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageBytes > 0)
        bytes = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageBytes);
    for (const int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        rlimit limit{};
        if (::getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
            bytes = std::min<std::uint64_t>(bytes, limit.rlim_cur);
    }
    return bytes;
}

} // namespace

std::uint64_t lessonEntryLimit()
{
    return std::min<std::uint64_t>(obtainableMemoryBytes() / kEntryBudgetBytes,
                                   std::numeric_limits<std::uint32_t>::max());
}

LessonReadResult readLessonFile(const std::string& path, EntryChain& chain,
                                LessonReadListener* listener, const LessonReadLimits& limits)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(openFileForReading(path), &std::fclose);
    if (!file) return LessonReadResult::NotOpened;
    try {
        FileSource source(file.get(), limits.chunkBytes);
        return readFrom(source, chain, listener, limits.maxEntries);
    } catch (const std::bad_alloc&) {
        return LessonReadResult::TooLarge; // out of memory before the first pair
    }
}

LessonReadResult readLessonBytes(std::string_view bytes, EntryChain& chain,
                                 LessonReadListener* listener, const LessonReadLimits& limits)
{
    MemorySource source(bytes);
    try {
        return readFrom(source, chain, listener, limits.maxEntries);
    } catch (const std::bad_alloc&) {
        return LessonReadResult::TooLarge; // out of memory before the first pair
    }
}

std::string lessonBytes(const EntryChain& chain)
{
    std::size_t size = kLessonMagic.size() + 1;
    for (const strWort* e = chain.firstEntry(); e != nullptr; e = e->next)
        size += e->term1.size() + e->term2.size() + 2;
    std::string out;
    out.reserve(size);
    out.append(kLessonMagic).push_back('\0');
    for (const strWort* e = chain.firstEntry(); e != nullptr; e = e->next) {
        out.append(e->term1).push_back('\0');
        out.append(e->term2).push_back('\0');
    }
    return out;
}

LessonWriteResult writeLessonFile(const std::string& path, const EntryChain& chain)
{
    return replaceFileContents(path, lessonBytes(chain)) ? LessonWriteResult::Written
                                                         : LessonWriteResult::NotOpened;
}
