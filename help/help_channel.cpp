#include "help_channel.h"

#include <cerrno>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr mode_t kPrivateMode = 0700;

} // namespace

std::string privateFolderProblem(const fs::path& path, uid_t uid)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return path.string() + ": cannot be examined";
    if (S_ISLNK(info.st_mode)) return path.string() + ": is a symbolic link";
    if (!S_ISDIR(info.st_mode)) return path.string() + ": is not a folder";
    if (info.st_uid != uid) return path.string() + ": belongs to another user";
    if ((info.st_mode & 07777) != kPrivateMode) return path.string() + ": others may enter it";
    return {};
}

ChannelFolder helpChannelFolder(const char* runtimeDir, const fs::path& fallbackBase, uid_t uid)
{
    if (runtimeDir != nullptr && *runtimeDir != '\0') {
        const fs::path runtime(runtimeDir);
        if (runtime.is_absolute() && privateFolderProblem(runtime, uid).empty())
            return {runtime, {}};
    }
    const fs::path own = fallbackBase / ("kaz-help-" + std::to_string(uid));
    // Made by us: the mode must not depend on the umask. Made before: it must pass the check.
    if (::mkdir(own.c_str(), kPrivateMode) == 0)
        ::chmod(own.c_str(), kPrivateMode);
    else if (errno != EEXIST)
        return {{}, own.string() + ": cannot be made"};
    if (std::string problem = privateFolderProblem(own, uid); !problem.empty())
        return {{}, std::move(problem)};
    return {own, {}};
}

std::string displayIdentity(const char* x11Display, const char* waylandDisplay)
{
    return std::string("x11=") + (x11Display != nullptr ? x11Display : "") +
           " wayland=" + (waylandDisplay != nullptr ? waylandDisplay : "");
}

std::optional<uid_t> socketPeerUid(int fd)
{
#ifdef SO_PEERCRED
    ucred credentials{};
    socklen_t size = sizeof(credentials);
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
        size != sizeof(credentials))
        return std::nullopt;
    return credentials.uid;
#else
    uid_t uid = 0;
    gid_t gid = 0;
    if (::getpeereid(fd, &uid, &gid) != 0) return std::nullopt;
    return uid;
#endif
}
