#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class EntryChain;
class strWort;

// Lesson file: the magic field "vtfile\0", then per entry the first and the second term, each
// ended by one zero byte. Windows-1252 bytes, no header, count or trailer.

inline constexpr std::string_view kLessonMagic = "vtfile";
// The term fields hold 78 characters; longer fields from foreign files are cut to this.
inline constexpr std::size_t kMaxTermBytes = 78;

enum class LessonReadResult { NotOpened, WrongFormat, Read };
enum class LessonWriteResult { NotOpened, Written };

// Lets the caller follow a read: beforePairs once the magic is accepted, pairRead after each
// entry was appended, afterPairs when reading stopped (also after a read error).
class LessonReadListener {
public:
    virtual ~LessonReadListener() = default;
    virtual void beforePairs() {}
    virtual void pairRead(strWort& /*entry*/) {}
    virtual void afterPairs() {}
};

// Appends every pair of the file to the chain, in file order. A trailing first term without a
// second term is dropped; a last term without its zero byte is kept. A field longer than
// kMaxTermBytes keeps its first kMaxTermBytes bytes and reading goes on after its zero byte,
// so the pairs that follow stay aligned. Errors after the magic end the read silently.
LessonReadResult readLessonFile(const std::string& path, EntryChain& chain,
                                LessonReadListener* listener = nullptr);
LessonReadResult readLessonBytes(std::string_view bytes, EntryChain& chain,
                                 LessonReadListener* listener = nullptr);

// Writes the chain from firstEntry to lastEntry. The old file stays intact unless the whole new
// content was written (see replaceFileContents).
LessonWriteResult writeLessonFile(const std::string& path, const EntryChain& chain);
std::string lessonBytes(const EntryChain& chain);
