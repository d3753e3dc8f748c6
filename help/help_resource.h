#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// What a topic may load besides its text (images, style sheets): files in the help file's own
// folder or below it, named relative to it, regular and small. Anything else (an absolute
// path, "..", a link leading out, a device or FIFO, another URL scheme) loads nothing, so a help
// file cannot make the viewer wait, read without end, or show another file of the user's.

inline constexpr std::size_t kMaxHelpResourceBytes = 1024 * 1024;

// The file that a relative reference names inside folder; nothing when it would lie outside.
std::optional<std::filesystem::path> helpResourcePath(std::string_view reference,
                                                      const std::filesystem::path& folder);

// The bytes of the resource a reference names; nothing when it may not or cannot be loaded.
std::optional<std::string> loadHelpResource(std::string_view reference,
                                            const std::filesystem::path& folder);
