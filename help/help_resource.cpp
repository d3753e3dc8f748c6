#include "help_resource.h"

#include "regular_file.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace {

bool startsWithParent(const fs::path& relative)
{
    return !relative.empty() && *relative.begin() == "..";
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
    std::string bytes;
    fs::path realPath;
    if (readRegularFile(*path, kMaxHelpResourceBytes, bytes, &realPath) != RegularRead::Ok)
        return std::nullopt;
    // A link inside the folder may lead anywhere: what was opened must lie inside too.
    const fs::path inside = realPath.lexically_relative(realFolder);
    if (inside.empty() || startsWithParent(inside)) return std::nullopt;
    return bytes;
}
