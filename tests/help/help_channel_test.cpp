#include "help_channel.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

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

enum class Runtime { Unset, Private, OpenToOthers, LinkToPrivate, Relative };
enum class Own { Missing, Private, OpenToOthers, LinkToPrivate, NoBase };
enum class Chosen { Runtime, Own, None };

struct FolderCase {
    const char* name;
    Runtime runtime;
    Own own;
    Chosen chosen;
    const char* problemPart = "";
};

TEST(HelpChannelFolder, RuntimeFolderOrOwnPrivateFolderOrNone)
{
    const FolderCase cases[] = {
        {"private_runtime_folder", Runtime::Private, Own::Missing, Chosen::Runtime},
        {"no_runtime_folder", Runtime::Unset, Own::Missing, Chosen::Own},
        {"runtime_folder_open_to_others", Runtime::OpenToOthers, Own::Missing, Chosen::Own},
        {"runtime_folder_is_a_link", Runtime::LinkToPrivate, Own::Missing, Chosen::Own},
        {"relative_runtime_folder", Runtime::Relative, Own::Missing, Chosen::Own},
        {"own_folder_already_there", Runtime::Unset, Own::Private, Chosen::Own},
        {"own_folder_open_to_others", Runtime::Unset, Own::OpenToOthers, Chosen::None,
         "others may enter"},
        {"own_folder_is_a_link", Runtime::Unset, Own::LinkToPrivate, Chosen::None, "link"},
        {"own_folder_cannot_be_made", Runtime::Unset, Own::NoBase, Chosen::None, "made"},
    };
    const uid_t us = ::getuid();
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir tmp;
        const fs::path run = tmp.path() / "run";
        const fs::path base = tmp.path() / "base";
        const fs::path own = base / ("kaz-help-" + std::to_string(us));
        makeFolder(tmp.path() / "elsewhere", 0700);
        if (c.own != Own::NoBase) makeFolder(base, 0755);
        if (c.own == Own::Private || c.own == Own::OpenToOthers)
            makeFolder(own, c.own == Own::Private ? 0700 : 0777);
        if (c.own == Own::LinkToPrivate)
            fs::create_directory_symlink(tmp.path() / "elsewhere", own);
        std::string runtime;
        if (c.runtime == Runtime::Private || c.runtime == Runtime::OpenToOthers) {
            makeFolder(run, c.runtime == Runtime::Private ? 0700 : 0755);
            runtime = run.string();
        } else if (c.runtime == Runtime::LinkToPrivate) {
            fs::create_directory_symlink(tmp.path() / "elsewhere", run);
            runtime = run.string();
        } else if (c.runtime == Runtime::Relative) {
            runtime = "elsewhere";
        }

        const ChannelFolder folder =
            helpChannelFolder(runtime.empty() ? nullptr : runtime.c_str(), base, us);
        if (c.chosen == Chosen::None) {
            EXPECT_TRUE(folder.path.empty()) << folder.path;
            EXPECT_NE(folder.problem.find(c.problemPart), std::string::npos) << folder.problem;
            continue;
        }
        EXPECT_EQ(folder.path, c.chosen == Chosen::Runtime ? run : own) << folder.problem;
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
