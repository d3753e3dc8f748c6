#pragma once

#include "help_file.h"

#include <filesystem>
#include <string>

// Finds and reads the help file for the viewer. Every outcome leaves something to show: the
// document, or a message page saying what went wrong.
struct LoadedHelp {
    enum class Status { Ok, NotFound, Unreadable, Broken };

    Status status = Status::NotFound;
    // The file that was read (Ok, Unreadable, Broken); for NotFound the first place looked at.
    // One viewer serves one such path.
    std::filesystem::path path;
    HelpDocument document;   // Ok only
    std::string messagePage; // HTML for every status but Ok
};

LoadedHelp loadHelp(const std::filesystem::path& given, const std::filesystem::path& workingDir,
                    const std::filesystem::path& executableDir);
