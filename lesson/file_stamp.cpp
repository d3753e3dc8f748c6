#include "file_stamp.h"

#include <cerrno>
#include <functional>
#include <string_view>

#ifdef _WIN32
#include <filesystem>
#include <fstream>
#include <sstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
namespace fs = std::filesystem;

bool readWhole(const std::string& path, std::string& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    out = std::move(bytes).str();
    return true;
}

// Size and time from the file system; Windows has no inode to compare.
bool statInto(const std::string& path, FileStamp& stamp)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
    stamp.size = fs::file_size(path, ec);
    stamp.modifiedNs =
        static_cast<std::int64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                      fs::last_write_time(path, ec).time_since_epoch())
                                      .count());
    return !ec;
}
#else

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

// Reads a regular file whole, never blocking on a FIFO that took its name meanwhile.
bool readWhole(const std::string& path, std::string& out)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    out.clear();
    if (ok) out.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[64 * 1024];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            ok = errno == EINTR;
            continue;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ok;
}
#endif

} // namespace

FileStamp stampFile(const std::string& path)
{
    FileStamp stamp;
    std::string content;
    if (!statInto(path, stamp) || !readWhole(path, content)) return {};
    stamp.size = content.size();
    stamp.contentHash = std::hash<std::string_view>{}(content);
    stamp.known = true;
    return stamp;
}

bool changedSince(const FileStamp& then, const std::string& path)
{
    FileStamp now;
    if (!then.known || !statInto(path, now)) return false;
    if (now.size == then.size && now.modifiedNs == then.modifiedNs && now.device == then.device &&
        now.inode == then.inode)
        return false;
    std::string content;
    if (!readWhole(path, content)) return true; // there but unreadable now: ask, not overwrite
    return content.size() != then.size ||
           std::hash<std::string_view>{}(content) != then.contentHash;
}
