#include "regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

RegularRead readRegularFile(const fs::path& path, std::size_t maxBytes, std::string& bytes,
                            fs::path* realPath)
{
    bytes.clear();
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) return RegularRead::Failed;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return RegularRead::Failed;
    if (!S_ISREG(info.st_mode)) return RegularRead::NotRegular;
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) return RegularRead::TooLarge;
    if (realPath != nullptr) {
        std::error_code ec;
        *realPath = fs::read_symlink("/proc/self/fd/" + std::to_string(fd.get()), ec);
        if (ec) *realPath = fs::canonical(path, ec);
        if (ec) return RegularRead::Failed;
    }
    // The size may change while reading: one byte more than allowed tells that it grew.
    bytes.resize(maxBytes + 1);
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            bytes.clear();
            return RegularRead::Failed;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    if (got > maxBytes) {
        bytes.clear();
        return RegularRead::TooLarge;
    }
    return RegularRead::Ok;
}
