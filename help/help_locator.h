#pragma once

#include <filesystem>
#include <optional>
#include <vector>

// Where the viewer looks for the help file named on its command line. The trainer names the
// file relative to its own working folder, where the user rarely keeps it, so a relative name
// is tried, in this order:
//   1. relative to the working folder,
//   2. beside the viewer's executable (the build folder),
//   3. in the installed data folder, found from the executable's folder by the path the build
//      was configured with (../share/kaz-trainer/ by default).
// An absolute name is the only candidate.

std::vector<std::filesystem::path> helpFileCandidates(const std::filesystem::path& given,
                                                      const std::filesystem::path& workingDir,
                                                      const std::filesystem::path& executableDir);

// The first candidate that is an existing regular file (or a link to one), made absolute and
// free of "." and ".." parts.
std::optional<std::filesystem::path> locateHelpFile(const std::filesystem::path& given,
                                                    const std::filesystem::path& workingDir,
                                                    const std::filesystem::path& executableDir);
