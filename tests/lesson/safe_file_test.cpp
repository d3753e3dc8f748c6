#include "file_bytes.h"
#include "safe_file.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <csignal>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::size_t filesIn(const fs::path& folder)
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder))
        ++n;
    return n;
}

TEST(SafeFile, ReplacesContentAndLeavesNoTemporaryFile)
{
    TempDir dir;
    const std::string path = dir.file("a.lsn");
    ASSERT_TRUE(replaceFileContents(path, "old content"));
    ASSERT_TRUE(replaceFileContents(path, "new"));
    EXPECT_EQ(readBytes(path), "new");
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST(SafeFile, KeepsPermissionBitsOfTheReplacedFile)
{
    TempDir dir;
    const std::string path = dir.file("a.lsn");
    ASSERT_TRUE(replaceFileContents(path, "x"));
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(replaceFileContents(path, "y"));
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(SafeFile, ReadOnlyFileIsRefusedAndKept)
{
    TempDir dir;
    const std::string path = dir.file("a.lsn");
    ASSERT_TRUE(replaceFileContents(path, "precious"));
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(replaceFileContents(path, "overwritten"));
    EXPECT_EQ(readBytes(path), "precious");
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST(SafeFile, ReadOnlyFolderFailsAndKeepsTheOldFile)
{
    if (::geteuid() == 0) GTEST_SKIP() << "a privileged user may write into any folder";
    TempDir dir;
    const std::string path = dir.file("a.lsn");
    ASSERT_TRUE(replaceFileContents(path, "precious"));
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(replaceFileContents(path, "overwritten"));
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(readBytes(path), "precious");
}

TEST(SafeFile, SymbolicLinkStaysAndItsTargetIsReplaced)
{
    TempDir dir;
    const std::string target = dir.file("real.lsn");
    const std::string link = dir.file("link.lsn");
    ASSERT_TRUE(replaceFileContents(target, "old"));
    fs::create_symlink(target, link);
    ASSERT_TRUE(replaceFileContents(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readBytes(target), "new");
}

TEST(SafeFile, TargetThatIsAFolderIsRefused)
{
    TempDir dir;
    const std::string folder = dir.file("sub");
    fs::create_directory(folder);
    EXPECT_FALSE(replaceFileContents(folder, "x"));
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST(SafeFile, WriteCutShortByAFileSizeLimitKeepsTheOldFile)
{
    // A child process with a 1000-byte file size limit stands in for a full disk: its write
    // of 5000 bytes fails part way, after the temporary file already holds some of them.
    TempDir dir;
    const std::string path = dir.file("a.lsn");
    ASSERT_TRUE(replaceFileContents(path, "precious"));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const bool written = replaceFileContents(path, std::string(5000, 'n'));
        ::_exit(written ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the cut-short write must report failure";
    EXPECT_EQ(readBytes(path), "precious");
    EXPECT_EQ(filesIn(dir.path()), 1u) << "no temporary file is left behind";
}

// What a save removes beside its target: only temporary files of earlier saves of that target
// whose writer is gone. A writer that is alive holds its temporary file locked.
TEST(SafeFile, SaveRemovesOnlyTemporaryFilesThatKilledWritersLeft)
{
    TempDir dir;
    const fs::path folder = dir.path();
    auto makeFile = [&](const std::string& name) {
        std::ofstream(folder / name) << "part of an earlier save";
    };
    struct Leftover {
        const char* name;
        bool removed;
    };
    const Leftover leftovers[] = {
        {".a.lsn.Ab3xYz", true},   // abandoned
        {".a.lsn.000000", true},   // abandoned
        {".a.lsn.Held01", false},  // its writer is alive (locked below)
        {".b.lsn.Ab3xYz", false},  // another file's
        {".a.lsn.Ab3xY", false},   // not a temporary name: too short
        {".a.lsn.Ab3xYz1", false}, // too long
        {".a.lsn.Ab3-Yz", false},  // not what mkstemp makes
        {"a.lsn.Ab3xYz", false},   // not hidden
        {".A.LSN.Ab3xYz", false},  // another file's where case counts
    };
    for (const Leftover& l : leftovers)
        makeFile(l.name);
    fs::create_directory(folder / ".a.lsn.Folder");
    fs::create_symlink(folder / "b.lsn", folder / ".a.lsn.Linked");
    const int held = ::open((folder / ".a.lsn.Held01").c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    ASSERT_TRUE(replaceFileContents((folder / "a.lsn").string(), "new"));
    ::close(held);

    for (const Leftover& l : leftovers)
        EXPECT_EQ(fs::exists(folder / l.name), !l.removed) << l.name;
    EXPECT_TRUE(fs::is_directory(folder / ".a.lsn.Folder"));
    EXPECT_TRUE(fs::is_symlink(folder / ".a.lsn.Linked"));
    EXPECT_EQ(readBytes(folder / "a.lsn"), "new");
}

TEST(SafeFile, ReadPrefixReadsAtMostTheAskedBytes)
{
    TempDir dir;
    const std::string path = dir.file("f");
    ASSERT_TRUE(replaceFileContents(path, "0123456789"));
    std::string out;
    ASSERT_TRUE(readFilePrefix(path, 4, out));
    EXPECT_EQ(out, "0123");
    ASSERT_TRUE(readFilePrefix(path, 100, out));
    EXPECT_EQ(out, "0123456789");
    EXPECT_FALSE(readFilePrefix(dir.file("missing"), 4, out));
    EXPECT_FALSE(readFilePrefix(dir.path().string(), 4, out)) << "a folder cannot be read";
}

} // namespace
