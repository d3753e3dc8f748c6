#include "recovery_file.h"

#include "safe_file.h"

#include <cerrno>
#include <cstdio>

#include <sys/stat.h>

namespace {

// True when name is a regular file, not a link; sets what tells it from another file of the
// same name later: its number and device (which a removed file's successor may get again),
// size and time of writing.
bool regularFile(const std::string& name, RecoveryFile::Identity& identity)
{
    identity = {};
    struct stat st {};
    if (::lstat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    identity = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                static_cast<std::uint64_t>(st.st_size),
                static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    return true;
}

} // namespace

std::string recoveryFileName(std::size_t n, const std::string& folder)
{
    std::string name = n == 0 ? "DODADIZE.RCV" : "DODADIZE.RC" + std::to_string(n + 1);
    return folder.empty() ? name : folder + "/" + name;
}

using Identity = RecoveryFile::Identity;

std::vector<std::string> waitingRecoveryFiles(const std::string& folder)
{
    std::vector<std::string> names;
    for (std::size_t n = 0; n < kRecoveryNames; ++n) {
        const std::string name = recoveryFileName(n, folder);
        Identity identity;
        if (regularFile(name, identity)) names.push_back(name);
    }
    return names;
}

bool RecoveryFile::stillOwn() const
{
    Identity now;
    return !name_.empty() && regularFile(name_, now) && now == identity_;
}

bool RecoveryFile::remember(const std::string& name)
{
    name_ = name;
    // Should the file be gone already, it was written all the same; a later drop misses it.
    regularFile(name, identity_);
    return true;
}

bool RecoveryFile::keep(std::string_view bytes)
{
    // Its own file is replaced as a file: were a link put in its place, what that leads to
    // stays untouched.
    if (stillOwn())
        return replaceFileContents(name_, bytes, LinkTarget::Replace) && remember(name_);
    for (std::size_t n = 0; n < kRecoveryNames; ++n) {
        const std::string name = recoveryFileName(n, folder_);
        if (createFileContents(name, bytes)) return remember(name);
        if (errno != EEXIST) return false;
    }
    errno = EEXIST;
    return false;
}

void RecoveryFile::drop()
{
    if (stillOwn()) std::remove(name_.c_str());
    name_.clear();
}
