#include "recovery_file.h"
#include "safe_file.h"
#include "file_bytes.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace {

namespace fs = std::filesystem;

// A name someone else holds stays as it was; only a free name is written.
TEST(SafeFile, NewFileOnlyUnderAFreeName)
{
    struct Case {
        const char* name;
        std::function<void(const TempDir&, const std::string& path)> plant;
        bool written;
    };
    const Case cases[] = {
        {"free", [](auto&, auto&) {}, true},
        {"a_file", [](auto&, auto& p) { writeFile(p, "theirs"); }, false},
        {"a_file_link", [](auto& d, auto& p) { fs::create_symlink(d.file("other"), p); }, false},
        {"a_dangling_link", [](auto& d, auto& p) { fs::create_symlink(d.file("none"), p); }, false},
        {"a_folder", [](auto&, auto& p) { fs::create_directory(p); }, false},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeFile(dir.file("other"), "precious");
        const std::string path = dir.file("DODADIZE.RCV");
        c.plant(dir, path);
        errno = 0;
        EXPECT_EQ(createFileContents(path, "lesson"), c.written) << c.name;
        if (c.written)
            EXPECT_EQ(readBytes(path), "lesson") << c.name;
        else
            EXPECT_EQ(errno, EEXIST) << c.name;
        EXPECT_EQ(readBytes(dir.file("other")), "precious") << c.name;
        EXPECT_FALSE(fs::exists(dir.file("none"))) << c.name;
    }
}

// Trainers ended one after the other each keep their lesson; each rewrites and removes its own
// file only.
TEST(RecoveryFile, EachTrainerKeepsItsOwn)
{
    TempDir dir;
    const std::string folder = dir.path().string();
    RecoveryFile a(folder);
    RecoveryFile b(folder);
    ASSERT_TRUE(a.keep("a1"));
    ASSERT_TRUE(b.keep("b1"));
    ASSERT_TRUE(a.keep("a2")); // the session ends it a second time
    EXPECT_EQ(readBytes(recoveryFileName(0, folder)), "a2");
    EXPECT_EQ(readBytes(recoveryFileName(1, folder)), "b1");
    EXPECT_EQ(recoveryFileName(1, folder), folder + "/DODADIZE.RC2");
    EXPECT_EQ(waitingRecoveryFiles(folder),
              (std::vector<std::string>{recoveryFileName(0, folder), recoveryFileName(1, folder)}));

    // A third trainer offered and removed a's file, and another one kept its lesson there.
    fs::remove(recoveryFileName(0, folder));
    RecoveryFile c(folder);
    ASSERT_TRUE(c.keep("c1"));
    a.drop();
    EXPECT_EQ(readBytes(recoveryFileName(0, folder)), "c1");
    ASSERT_TRUE(b.keep("b2"));
    EXPECT_EQ(readBytes(recoveryFileName(1, folder)), "b2");
    b.drop();
    EXPECT_FALSE(fs::exists(recoveryFileName(1, folder)));
}

} // namespace
