#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class EntryChain;
class strWort;

// Lesson file: the magic field "vtfile\0", then per entry the first and the second term, each
// ended by one zero byte. Windows-1252 bytes, no header, count or trailer.

inline constexpr std::string_view kLessonMagic = "vtfile";
// The term fields hold 78 characters; longer fields from foreign files are cut to this.
inline constexpr std::size_t kMaxTermBytes = 78;

// NotOpened: no such file, no right to read it, or not a regular file (a FIFO, a device or a
// folder is refused without waiting). TooLarge: the entries would not fit in memory (see
// LessonReadLimits); the read was abandoned and the chain holds what it held before.
enum class LessonReadResult { NotOpened, WrongFormat, TooLarge, Read };
enum class LessonWriteResult { NotOpened, Written };

// Lets the caller follow a read: beforePairs once the magic is accepted, pairRead after each
// entry was appended, then afterPairs when reading stopped (also after a read error), or
// readAbandoned when the lesson proved too large: the entries told of are deleted by then.
class LessonReadListener {
public:
    virtual ~LessonReadListener() = default;
    virtual void beforePairs() {}
    virtual void pairRead(strWort& /*entry*/) {}
    virtual void afterPairs() {}
    virtual void readAbandoned() {}
};

// Memory a lesson entry is allowed (bytes) when the entry limit is worked out: an entry of short
// terms costs the chain 128 bytes of heap and the window's lists about as much again; the rest is
// room for longer terms and for the program around them.
inline constexpr std::uint64_t kEntryBudgetBytes = 512;

// The most entries a lesson may have: the memory this process can get (the least of the
// physical memory and its address-space and data-size limits) divided by kEntryBudgetBytes,
// and never more than the chain can count. A file of zero bytes after the magic holds one
// empty pair per two bytes, so a small file could otherwise ask for more than there is.
std::uint64_t lessonEntryLimit();

// Bounds of one read. The defaults are the program's; tests and fuzzing set small ones.
struct LessonReadLimits {
    // Entries one read may append. A file with more is abandoned as TooLarge, as is one whose
    // entries cannot be allocated (std::bad_alloc), so that a read never aborts the program.
    std::uint64_t maxEntries = lessonEntryLimit();
    // Bytes taken from the file at a time (at least 1).
    std::size_t chunkBytes = 256 * 1024;
};

// Appends every pair of the file to the chain, in file order. A trailing first term without a
// second term is dropped; a last term without its zero byte is kept. A field longer than
// kMaxTermBytes keeps its first kMaxTermBytes bytes and reading goes on after its zero byte,
// so the pairs that follow stay aligned. Errors after the magic end the read silently.
// path is the file name's bytes as the system takes them (no conversion).
LessonReadResult readLessonFile(const std::string& path, EntryChain& chain,
                                LessonReadListener* listener = nullptr,
                                const LessonReadLimits& limits = {});
LessonReadResult readLessonBytes(std::string_view bytes, EntryChain& chain,
                                 LessonReadListener* listener = nullptr,
                                 const LessonReadLimits& limits = {});

// Writes the chain from firstEntry to lastEntry. The old file stays intact unless the whole new
// content was written (see replaceFileContents).
LessonWriteResult writeLessonFile(const std::string& path, const EntryChain& chain);
std::string lessonBytes(const EntryChain& chain);
