#include "help_loader.h"

#include "help_locator.h"
#include "help_pages.h"
#include "regular_file.h"

namespace fs = std::filesystem;

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
    // A FIFO or device swapped in after the search is refused here, not waited on.
    const RegularRead read = readRegularFile(*found, kMaxHelpFileBytes, bytes);
    if (read == RegularRead::NotRegular || read == RegularRead::Failed) {
        loaded.status = LoadedHelp::Status::Unreadable;
        loaded.messagePage = fileUnreadablePage(found->string());
        return loaded;
    }
    HelpParseResult parsed = read == RegularRead::TooLarge
                                 ? HelpParseResult{std::nullopt, kHelpFileTooLarge, 0}
                                 : parseHelpText(bytes);
    if (!parsed.document) {
        loaded.status = LoadedHelp::Status::Broken;
        loaded.messagePage = brokenFilePage(found->string(), parsed.error, parsed.errorLine);
        return loaded;
    }
    loaded.status = LoadedHelp::Status::Ok;
    loaded.document = std::move(*parsed.document);
    return loaded;
}
