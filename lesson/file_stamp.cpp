#include "file_stamp.h"

#include "safe_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A 64-bit hash of bytes that arrive in pieces: 8-byte words, each xor-ed in and multiplied by
// an odd constant, so that a change to any one word changes the result; the length ends it.
// The same bytes give the same value however they are split.
class ContentHash {
public:
    void add(std::string_view bytes)
    {
        size_ += bytes.size();
        while (!bytes.empty()) {
            const std::size_t take = std::min(bytes.size(), sizeof word_ - pending_);
            std::memcpy(reinterpret_cast<char*>(&word_) + pending_, bytes.data(), take);
            pending_ += take;
            bytes.remove_prefix(take);
            if (pending_ == sizeof word_) mix();
        }
    }
    std::uint64_t size() const { return size_; }
    std::uint64_t value()
    {
        if (pending_ > 0) mix();
        word_ = size_;
        mix();
        return hash_;
    }

private:
    void mix()
    {
        hash_ = (hash_ ^ word_) * 0x100000001b3u;
        hash_ ^= hash_ >> 29;
        word_ = 0;
        pending_ = 0;
    }
    std::uint64_t hash_ = 0xcbf29ce484222325u;
    std::uint64_t word_ = 0;
    std::size_t pending_ = 0;
    std::uint64_t size_ = 0;
};

// Whether the name itself is a symbolic link, and what it names; false when nothing has it.
bool linkInto(const std::string& path, FileStamp& stamp)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    stamp.link = S_ISLNK(st.st_mode);
    stamp.linkTarget.clear();
    if (stamp.link) {
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0) return false;
        target.resize(static_cast<std::size_t>(n));
        stamp.linkTarget = std::move(target);
    }
    return true;
}

bool statInto(const std::string& path, FileStamp& stamp)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 +
                       static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    stamp.device = static_cast<std::uint64_t>(st.st_dev);
    stamp.inode = static_cast<std::uint64_t>(st.st_ino);
    return true;
}

// Reads the file through piece by piece; a large lesson's content is never held whole.
bool hashContent(const std::string& path, ContentHash& hash)
{
    std::FILE* file = openFileForReading(path);
    if (file == nullptr) return false;
    char buffer[64 * 1024];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        hash.add({buffer, n});
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

} // namespace

FileStamp stampFile(const std::string& path)
{
    FileStamp stamp;
    ContentHash content;
    if (!linkInto(path, stamp) || !statInto(path, stamp) || !hashContent(path, content)) return {};
    stamp.size = content.size();
    stamp.contentHash = content.value();
    stamp.known = true;
    return stamp;
}

bool changedSince(const FileStamp& then, const std::string& path)
{
    FileStamp now;
    if (!then.known || !linkInto(path, now)) return false;
    if (now.link != then.link || now.linkTarget != then.linkTarget) return true;
    if (!statInto(path, now)) return false;
    if (now.size == then.size && now.modifiedNs == then.modifiedNs && now.device == then.device &&
        now.inode == then.inode)
        return false;
    ContentHash content;
    if (!hashContent(path, content)) return true; // there but unreadable now: ask, not overwrite
    return content.size() != then.size || content.value() != then.contentHash;
}
