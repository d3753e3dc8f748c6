#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <sys/types.h>

// The place of the help channel (the viewers' local socket and its lock file). It lies in a
// folder that only this user can enter, so another account can neither take the name first nor
// listen to the requests. Every check here works on what it is given, so tests can pass their
// own folders and users.

struct ChannelFolder {
    std::filesystem::path path; // empty when no safe folder could be found or made
    std::string problem;        // English, for the terminal; empty when path is set
};

// Empty when path is a real folder (not a link) owned by uid with mode 0700; else what is wrong.
std::string privateFolderProblem(const std::filesystem::path& path, uid_t uid);

// The runtime folder (XDG_RUNTIME_DIR) when it is set, absolute and private to uid; otherwise
// fallbackBase/kaz-help-<uid>, made with mode 0700 when missing and then checked the same way.
// A fallback folder that someone else made, or that is a link, is refused.
ChannelFolder helpChannelFolder(const char* runtimeDir, const std::filesystem::path& fallbackBase,
                                uid_t uid);

// The display the viewer's window would appear on ("x11=:0 wayland=wayland-0"), part of the
// channel's name: a trainer on a second display must get a window on its own display.
std::string displayIdentity(const char* x11Display, const char* waylandDisplay);

// The user at the other end of a connected local socket; nothing when the system cannot tell.
std::optional<uid_t> socketPeerUid(int fd);
