#include "file_stamp.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Moves the file's modification time one second on, as a later write would.
void laterTime(const std::string& path)
{
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    timespec times[2] = {st.st_atim, st.st_mtim};
    times[1].tv_sec += 1;
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

struct Change {
    const char* name;
    std::function<void(const TempDir&, const std::string& path)> act;
    bool changed;
};

class FileStampCase : public ::testing::TestWithParam<Change> {};

TEST_P(FileStampCase, TellsSomeoneElsesChange)
{
    TempDir dir;
    const std::string path = dir.file("a.lsn");
    writeFile(path, std::string("vtfile\0a\0b\0", 11));
    const FileStamp stamp = stampFile(path);
    ASSERT_TRUE(stamp.known);
    GetParam().act(dir, path);
    EXPECT_EQ(changedSince(stamp, path), GetParam().changed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileStampCase,
    ::testing::Values(
        Change{"untouched", [](const TempDir&, const std::string&) {}, false},
        Change{"only_touched", [](const TempDir&, const std::string& p) { laterTime(p); }, false},
        Change{"same_bytes_written_again_by_rename",
               [](const TempDir& d, const std::string& p) {
                   writeFile(d.file("b"), std::string("vtfile\0a\0b\0", 11));
                   fs::rename(d.file("b"), p);
                   laterTime(p);
               },
               false},
        Change{"other_bytes_of_the_same_size",
               [](const TempDir&, const std::string& p) {
                   writeFile(p, std::string("vtfile\0x\0y\0", 11));
                   laterTime(p);
               },
               true},
        Change{"an_entry_added",
               [](const TempDir&, const std::string& p) {
                   writeFile(p, std::string("vtfile\0a\0b\0c\0d\0", 15));
               },
               true},
        // A save would then write to another file than the one read, whatever it holds.
        Change{"a_link_to_the_same_bytes_elsewhere_now",
               [](const TempDir& d, const std::string& p) {
                   fs::rename(p, d.file("elsewhere"));
                   fs::create_symlink(d.file("elsewhere"), p);
               },
               true},
        Change{"a_link_that_leads_nowhere_now",
               [](const TempDir& d, const std::string& p) {
                   fs::remove(p);
                   fs::create_symlink(d.file("nowhere"), p);
               },
               true},
        Change{"removed", [](const TempDir&, const std::string& p) { fs::remove(p); }, false},
        Change{"a_folder_now",
               [](const TempDir&, const std::string& p) {
                   fs::remove(p);
                   fs::create_directory(p);
               },
               false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileStamp, NothingReadIsNoChange)
{
    TempDir dir;
    const std::string path = dir.file("a.lsn");
    EXPECT_FALSE(stampFile(path).known) << "missing";
    writeFile(path, "x");
    EXPECT_FALSE(changedSince(FileStamp{}, path));
    ::mkfifo(dir.file("fifo").c_str(), 0600);
    EXPECT_FALSE(stampFile(dir.file("fifo")).known) << "a FIFO is no file and does not block";
}

// A file read in many pieces, rewritten with its time moved on: a changed byte anywhere counts,
// the same bytes again do not.
TEST(FileStamp, LargeFileIsComparedToItsLastByte)
{
    TempDir dir;
    const std::string path = dir.file("gross.lsn");
    const std::string before = "vtfile" + std::string(1, '\0') + std::string(300000, 'x');
    struct Case {
        const char* name;
        std::size_t at; // the byte changed; none when past the end
        bool changed;
    };
    for (const Case& c : {Case{"same_bytes", before.size(), false},
                          Case{"byte_far_behind_the_first_piece", 200001, true},
                          Case{"last_byte", before.size() - 1, true}}) {
        writeFile(path, before);
        const FileStamp stamp = stampFile(path);
        std::string after = before;
        if (c.at < after.size()) after[c.at] = 'y';
        writeFile(path, after);
        laterTime(path);
        EXPECT_EQ(changedSince(stamp, path), c.changed) << c.name;
    }
}

} // namespace
