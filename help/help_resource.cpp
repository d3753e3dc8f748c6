#include "help_resource.h"

#include "regular_file.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace {

bool startsWithParent(const fs::path& relative)
{
    return !relative.empty() && *relative.begin() == "..";
}

// Both paths canonical (links resolved): path is realFolder or lies below it.
bool liesInside(const fs::path& path, const fs::path& realFolder)
{
    const fs::path inside = path.lexically_relative(realFolder);
    return !inside.empty() && !startsWithParent(inside);
}

} // namespace

std::optional<fs::path> helpResourcePath(std::string_view reference, const fs::path& folder)
{
    if (reference.empty() || folder.empty() || reference.front() == '/') return std::nullopt;
    if (std::find(reference.begin(), reference.end(), '\0') != reference.end()) return std::nullopt;
    const fs::path relative = fs::path(reference).lexically_normal();
    if (relative.empty() || relative == "." || relative.is_absolute() || startsWithParent(relative))
        return std::nullopt;
    return folder / relative;
}

std::optional<std::string> loadHelpResource(std::string_view reference, const fs::path& folder)
{
    const auto path = helpResourcePath(reference, folder);
    if (!path) return std::nullopt;
    std::error_code ec;
    const fs::path realFolder = fs::canonical(folder, ec);
    if (ec) return std::nullopt;
    // Links are followed before anything is opened, so a name leading out of the folder opens
    // nothing there: no device elsewhere sees even an open.
    const fs::path target = fs::canonical(*path, ec);
    if (ec || !liesInside(target, realFolder)) return std::nullopt;
    std::string bytes;
    fs::path realPath;
    if (readRegularFile(target, kMaxHelpResourceBytes, bytes, &realPath) != RegularRead::Ok)
        return std::nullopt;
    // A link swapped in after the check may lead anywhere: what was opened must lie inside too.
    if (!liesInside(realPath, realFolder)) return std::nullopt;
    return bytes;
}
