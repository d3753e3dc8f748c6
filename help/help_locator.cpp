#include "help_locator.h"

namespace fs = std::filesystem;

namespace {

// From the installed executable's folder to the installed data folder.
constexpr const char* kDataFromExecutable = KAZ_DATA_FROM_BIN;

} // namespace

std::vector<fs::path> helpFileCandidates(const fs::path& given, const fs::path& workingDir,
                                         const fs::path& executableDir)
{
    if (given.empty()) return {};
    if (given.is_absolute()) return {given.lexically_normal()};
    return {
        (workingDir / given).lexically_normal(),
        (executableDir / given).lexically_normal(),
        (executableDir / kDataFromExecutable / given).lexically_normal(),
    };
}

std::optional<fs::path> locateHelpFile(const fs::path& given, const fs::path& workingDir,
                                       const fs::path& executableDir)
{
    for (const fs::path& candidate : helpFileCandidates(given, workingDir, executableDir)) {
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec))
            return fs::absolute(candidate, ec).lexically_normal();
    }
    return std::nullopt;
}
