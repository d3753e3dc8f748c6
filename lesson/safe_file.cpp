#include "safe_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The path that is really written: the destination of a symbolic link, else the path itself.
fs::path resolveTarget(const std::string& path)
{
    std::error_code ec;
    fs::path target(path);
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) return resolved;
    }
    return target;
}

bool writeAll(int fd, std::string_view bytes)
{
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A temporary file for target in its folder, made by mkstemp and locked (flock) for as long as
// it is open: the lock tells a later writer that this one is alive. Returns the descriptor and
// sets path, or -1.
int createLockedTemporary(const fs::path& folder, const std::string& name, std::string& path)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        path = (folder.empty() ? fs::path(".") : folder) / ("." + name + ".XXXXXX");
        const int fd = ::mkstemp(path.data());
        if (fd < 0) return -1;
        int locked = 0;
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        // Where the file system has no locks, no other writer can lock the file either, and
        // so none removes it.
        if (locked != 0) return fd;
        // Between mkstemp and flock another writer may take the file for abandoned and
        // remove it; then the name no longer leads to this file, and a new one is made.
        struct stat own {};
        struct stat named {};
        if (::fstat(fd, &own) == 0 && ::stat(path.c_str(), &named) == 0 && sameFile(own, named))
            return fd;
        ::close(fd);
    }
    return -1;
}

bool isAlphanumeric(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Removes what writers killed in the middle of a save of target left behind: files named as
// createLockedTemporary names them that no live writer holds locked. Nothing else is touched.
void removeAbandonedTemporaries(const fs::path& folder, const std::string& name)
{
    const std::string prefix = "." + name + ".";
    constexpr std::size_t kRandomChars = 6; // the XXXXXX of the mkstemp template
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end;
         !ec && it != end; it.increment(ec)) {
        const std::string file = it->path().filename().string();
        if (file.size() != prefix.size() + kRandomChars ||
            file.compare(0, prefix.size(), prefix) != 0 ||
            !std::all_of(file.end() - kRandomChars, file.end(), isAlphanumeric))
            continue;
        const std::string path = it->path().string();
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        // Locked means a writer is alive; a name that leads elsewhere by now is left alone.
        struct stat locked {};
        struct stat named {};
        if (::fstat(fd, &locked) == 0 && S_ISREG(locked.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.c_str(), &named) == 0 &&
            sameFile(locked, named))
            ::unlink(path.c_str());
        ::close(fd);
    }
}

void syncFolder(const fs::path& folder)
{
    int dfd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd); // makes the rename itself durable; a failure here changes nothing visible
        ::close(dfd);
    }
}

// The permission bits a new file gets: what the umask leaves of rw-rw-rw-.
mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes bytes into a new temporary file beside target, with mode, flushed to the disk. Returns
// its descriptor, still open and so locked, and sets temporary; -1 with errno on failure, and
// then no temporary file is left.
int writeTemporary(const fs::path& target, std::string_view bytes, mode_t mode,
                   std::string& temporary)
{
    const int fd =
        createLockedTemporary(target.parent_path(), target.filename().string(), temporary);
    if (fd < 0) return -1;
    // fsync reports the write errors a later close could.
    if (writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0) return fd;
    const int error = errno; // what failed, before the clean-up can overwrite it
    ::unlink(temporary.c_str());
    ::close(fd);
    errno = error;
    return -1;
}

// Gives the written temporary file the target's name by `place`, then closes it; false with
// errno when placing failed, and then the temporary file is gone.
template <typename Place>
bool placeTemporary(int fd, const std::string& temporary, const fs::path& target, Place place)
{
    const bool ok = place(temporary, target);
    const int error = errno;
    if (!ok) ::unlink(temporary.c_str());
    ::close(fd);
    if (!ok) {
        errno = error;
        return false;
    }
    syncFolder(target.parent_path());
    removeAbandonedTemporaries(target.parent_path(), target.filename().string());
    return true;
}

} // namespace

bool replaceFileContents(const std::string& path, std::string_view bytes, LinkTarget links)
{
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    const fs::path target = links == LinkTarget::Follow ? resolveTarget(path) : fs::path(path);

    // A link that is replaced counts as no file: what it leads to is someone else's.
    struct stat old {};
    const bool exists = (links == LinkTarget::Follow ? ::stat(target.c_str(), &old)
                                                     : ::lstat(target.c_str(), &old)) == 0 &&
                        !S_ISLNK(old.st_mode);
    mode_t mode = newFileMode();
    if (exists) {
        if (!S_ISREG(old.st_mode)) {
            errno = S_ISDIR(old.st_mode) ? EISDIR : EINVAL;
            return false;
        }
        if ((old.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) {
            errno = EACCES;
            return false;
        }
        mode = old.st_mode & 07777;
    }

    std::string temporary;
    const int fd = writeTemporary(target, bytes, mode, temporary);
    if (fd < 0) return false;
    // rename replaces a link at the target's name, never what it leads to.
    return placeTemporary(fd, temporary, target, [](const std::string& from, const fs::path& to) {
        return ::rename(from.c_str(), to.c_str()) == 0;
    });
}

bool createFileContents(const std::string& path, std::string_view bytes)
{
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    const fs::path target(path);
    std::string temporary;
    const int fd = writeTemporary(target, bytes, newFileMode(), temporary);
    if (fd < 0) return false;
    return placeTemporary(fd, temporary, target, [](const std::string& from, const fs::path& to) {
        // link() fails with EEXIST for any name that is taken, a link included, and is atomic.
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            return true;
        }
        if (errno == EEXIST) return false;
        // A file system without hard links: the name is claimed by an exclusive create, then
        // the written file takes its place.
        const int claim =
            ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (claim < 0) return false;
        ::close(claim);
        if (::rename(from.c_str(), to.c_str()) == 0) return true;
        const int error = errno;
        ::unlink(to.c_str());
        errno = error;
        return false;
    });
}

std::string writeFailureText(int error)
{
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return "Der Datenträger ist voll.";
    case EFBIG:
        return "Die Datei wäre zu groß.";
    case EACCES:
    case EPERM:
        return "Keine Schreibberechtigung.";
    case EROFS:
        return "Der Datenträger ist schreibgeschützt.";
    case ENOENT:
    case ENOTDIR:
        return "Der Ordner ist nicht vorhanden.";
    case EISDIR:
    case EINVAL:
        return "Der Name gehört keiner gewöhnlichen Datei.";
    case EIO:
        return "Der Datenträger meldet einen Schreibfehler.";
    case ENAMETOOLONG:
        return "Der Name ist zu lang.";
    case EEXIST:
        return "Eine Datei dieses Namens ist schon vorhanden.";
    default:
        return "Fehler " + std::to_string(error) + ".";
    }
}

std::FILE* openFileForReading(const std::string& path)
{
    // O_NONBLOCK makes opening a FIFO return at once; for a regular file it is cleared again
    // before reading, so it reads as usual. A device keeps it and never waits for input.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    const int flags = ::fcntl(fd, F_GETFL);
    const bool ok = ::fstat(fd, &st) == 0 && flags >= 0 &&
                    (S_ISCHR(st.st_mode) ||
                     (S_ISREG(st.st_mode) && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0));
    if (!ok) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) ::close(fd);
    return file;
}

bool readFilePrefix(const std::string& path, std::size_t maxBytes, std::string& out)
{
    out.clear();
    std::FILE* f = openFileForReading(path);
    if (f == nullptr) return false;
    out.resize(maxBytes);
    const std::size_t got = std::fread(out.data(), 1, maxBytes, f);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    out.resize(got);
    return !failed;
}
