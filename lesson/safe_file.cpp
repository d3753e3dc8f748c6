#include "safe_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

#ifndef _WIN32
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
#endif

} // namespace

#ifndef _WIN32
bool replaceFileContents(const std::string& path, std::string_view bytes)
{
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    const fs::path target = resolveTarget(path);

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    mode_t mode = 0;
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
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    const fs::path folder = target.parent_path();
    const std::string name = target.filename().string();
    std::string temporary;
    const int fd = createLockedTemporary(folder, name, temporary);
    if (fd < 0) return false;

    // The file stays open, and so locked, until it has its new name. fsync reports the write
    // errors a later close could.
    bool ok = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    if (ok) ok = ::rename(temporary.c_str(), target.c_str()) == 0;
    const int error = errno; // what failed, before the clean-up can overwrite it
    if (!ok) ::unlink(temporary.c_str());
    ::close(fd);
    if (!ok) {
        errno = error;
        return false;
    }
    syncFolder(folder);
    removeAbandonedTemporaries(folder, name);
    return true;
}
#else
bool replaceFileContents(const std::string& path, std::string_view bytes)
{
    if (path.empty()) return false;
    const fs::path target = resolveTarget(path);
    std::error_code ec;
    if (fs::exists(target, ec) &&
        (fs::status(target, ec).permissions() & fs::perms::owner_write) == fs::perms::none) {
        errno = EACCES;
        return false;
    }
    fs::path temp = target;
    temp += ".tmp~";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}
#endif

std::string writeFailureText(int error)
{
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return "Der Datentr\xE4ger ist voll.";
    case EFBIG:
        return "Die Datei w\xE4re zu gro\xDF.";
    case EACCES:
    case EPERM:
        return "Keine Schreibberechtigung.";
    case EROFS:
        return "Der Datentr\xE4ger ist schreibgesch\xFCtzt.";
    case ENOENT:
    case ENOTDIR:
        return "Der Ordner ist nicht vorhanden.";
    case EISDIR:
    case EINVAL:
        return "Der Name geh\xF6rt keiner gew\xF6hnlichen Datei.";
    case EIO:
        return "Der Datentr\xE4ger meldet einen Schreibfehler.";
    default:
        return "Fehler " + std::to_string(error) + ".";
    }
}

#ifndef _WIN32
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
#else
std::FILE* openFileForReading(const std::string& path)
{
    std::error_code ec;
    if (fs::is_directory(fs::path(path), ec)) return nullptr;
    return std::fopen(path.c_str(), "rb");
}
#endif

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
