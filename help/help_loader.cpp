#include "help_loader.h"

#include "help_locator.h"
#include "help_pages.h"

#include <fstream>

namespace fs = std::filesystem;

namespace {

// Reads at most one byte more than a help file may hold, so that the parser can refuse an
// oversized file without this reading all of it.
bool readHead(const fs::path& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.resize(kMaxHelpFileBytes + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return false;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return true;
}

} // namespace

LoadedHelp loadHelp(const fs::path& given, const fs::path& workingDir,
                    const fs::path& executableDir)
{
    LoadedHelp loaded;
    const auto found = locateHelpFile(given, workingDir, executableDir);
    if (!found) {
        const auto candidates = helpFileCandidates(given, workingDir, executableDir);
        std::vector<std::string> tried;
        for (const fs::path& candidate : candidates)
            tried.push_back(candidate.string());
        loaded.status = LoadedHelp::Status::NotFound;
        if (!candidates.empty()) loaded.path = candidates.front();
        loaded.messagePage = fileNotFoundPage(given.string(), tried);
        return loaded;
    }

    loaded.path = *found;
    std::string bytes;
    if (!readHead(*found, bytes)) {
        loaded.status = LoadedHelp::Status::Unreadable;
        loaded.messagePage = fileUnreadablePage(found->string());
        return loaded;
    }
    HelpParseResult parsed = parseHelpText(bytes);
    if (!parsed.document) {
        loaded.status = LoadedHelp::Status::Broken;
        loaded.messagePage = brokenFilePage(found->string(), parsed.error, parsed.errorLine);
        return loaded;
    }
    loaded.status = LoadedHelp::Status::Ok;
    loaded.document = std::move(*parsed.document);
    return loaded;
}
