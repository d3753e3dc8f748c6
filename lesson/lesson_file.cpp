#include "lesson_file.h"

#include "entry_chain.h"
#include "safe_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

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
    explicit FileSource(std::FILE* file) : file_(file), buffer_(kChunkBytes) {}
    std::string_view nextChunk() override
    {
        const std::size_t got = std::fread(buffer_.data(), 1, buffer_.size(), file_);
        return {buffer_.data(), got};
    }

private:
    static constexpr std::size_t kChunkBytes = 256 * 1024;
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

LessonReadResult readFrom(ByteSource& source, EntryChain& chain, LessonReadListener* listener)
{
    FieldReader reader(source);
    std::string first;
    std::string second;
    const std::size_t magicBytes = reader.readField(first);
    if (magicBytes != kLessonMagic.size() + 1 || first != kLessonMagic)
        return LessonReadResult::WrongFormat;

    if (listener) listener->beforePairs();
    while (reader.readField(first) > 0 && reader.readField(second) > 0) {
        strWort* entry = chain.append(first, second);
        if (listener) listener->pairRead(*entry);
    }
    if (listener) listener->afterPairs();
    return LessonReadResult::Read;
}

} // namespace

LessonReadResult readLessonFile(const std::string& path, EntryChain& chain,
                                LessonReadListener* listener)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) return LessonReadResult::NotOpened;
    FileSource source(file.get());
    return readFrom(source, chain, listener);
}

LessonReadResult readLessonBytes(std::string_view bytes, EntryChain& chain,
                                 LessonReadListener* listener)
{
    MemorySource source(bytes);
    return readFrom(source, chain, listener);
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
