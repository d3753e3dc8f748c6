#include "help_channel.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

mode_t modeOf(const fs::path& path)
{
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode & 07777;
}

void makeFolder(const fs::path& path, mode_t mode)
{
    fs::create_directory(path);
    ::chmod(path.c_str(), mode);
}

struct FolderCase {
    const char* name;
    // Prepares the runtime folder and the fallback base below root; gives XDG_RUNTIME_DIR.
    std::function<std::string(const fs::path& root)> prepare;
    const char* chosen; // below root; "" when the channel must be refused
    const char* problemPart = "";
};

TEST(HelpChannelFolder, RuntimeFolderOrOwnPrivateFolderOrNone)
{
    const uid_t us = ::getuid();
    const std::string own = "base/kaz-help-" + std::to_string(us);
    const FolderCase cases[] = {
        {"private_runtime_folder",
         [](const fs::path& root) {
             makeFolder(root / "run", 0700);
             return (root / "run").string();
         },
         "run"},
        {"no_runtime_folder", [](const fs::path&) { return std::string(); }, own.c_str()},
        {"runtime_folder_open_to_others",
         [](const fs::path& root) {
             makeFolder(root / "run", 0755);
             return (root / "run").string();
         },
         own.c_str()},
        {"relative_runtime_folder", [](const fs::path&) { return std::string("run"); },
         own.c_str()},
        {"runtime_folder_is_a_link",
         [](const fs::path& root) {
             makeFolder(root / "run", 0700);
             fs::create_directory_symlink(root / "run", root / "link");
             return (root / "link").string();
         },
         own.c_str()},
        {"missing_runtime_folder", [](const fs::path& root) { return (root / "gone").string(); },
         own.c_str()},
        {"own_folder_already_there",
         [own](const fs::path& root) {
             makeFolder(root / own, 0700);
             return std::string();
         },
         own.c_str()},
        {"own_folder_made_open_to_others",
         [own](const fs::path& root) {
             makeFolder(root / own, 0777);
             return std::string();
         },
         "", "others may enter"},
        {"own_folder_is_a_link",
         [own](const fs::path& root) {
             makeFolder(root / "elsewhere", 0700);
             fs::create_directory_symlink(root / "elsewhere", root / own);
             return std::string();
         },
         "", "symbolic link"},
        {"own_folder_is_a_file",
         [own](const fs::path& root) {
             std::ofstream(root / own) << "x";
             return std::string();
         },
         "", "not a folder"},
        {"no_base_folder",
         [](const fs::path& root) {
             fs::remove(root / "base");
             return std::string();
         },
         "", "cannot be made"},
    };
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir tmp;
        makeFolder(tmp.path() / "base", 0755);
        const std::string runtime = c.prepare(tmp.path());
        const ChannelFolder folder =
            helpChannelFolder(runtime.empty() ? nullptr : runtime.c_str(), tmp.path() / "base", us);
        if (*c.chosen == '\0') {
            EXPECT_TRUE(folder.path.empty()) << folder.path;
            EXPECT_NE(folder.problem.find(c.problemPart), std::string::npos) << folder.problem;
            continue;
        }
        EXPECT_EQ(folder.path, tmp.path() / c.chosen) << folder.problem;
        EXPECT_TRUE(folder.problem.empty());
        EXPECT_EQ(modeOf(folder.path), 0700u);
    }
}

TEST(HelpChannelFolder, FolderOfAnotherUserIsRefused)
{
    const TempDir tmp;
    makeFolder(tmp.path() / "run", 0700);
    const uid_t other = ::getuid() + 1;
    EXPECT_NE(privateFolderProblem(tmp.path() / "run", other).find("another user"),
              std::string::npos);
    // Neither the runtime folder nor our own folder belongs to that user.
    const ChannelFolder folder = helpChannelFolder((tmp.path() / "run").c_str(), tmp.path(), other);
    EXPECT_TRUE(folder.path.empty());
}

TEST(HelpChannel, DisplayIdentityTellsDisplaysApart)
{
    EXPECT_EQ(displayIdentity(":0", nullptr), displayIdentity(":0", ""));
    EXPECT_NE(displayIdentity(":0", nullptr), displayIdentity(":1", nullptr));
    EXPECT_NE(displayIdentity(":0", nullptr), displayIdentity(":0", "wayland-0"));
    EXPECT_NE(displayIdentity(nullptr, ":0"), displayIdentity(":0", nullptr));
}

TEST(HelpChannel, PeerOfALocalSocketIsThisUser)
{
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    EXPECT_EQ(socketPeerUid(pair[0]), ::getuid());
    ::close(pair[0]);
    ::close(pair[1]);
    EXPECT_EQ(socketPeerUid(-1), std::nullopt);
}

} // namespace
