#include "lesson_document.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

namespace {

using namespace std::string_literals;

const std::string kTwoPairs = "vtfile\0Bank\0bench\0Haus\0house\0"s;

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

TEST(LessonDocument, LoadTellsWhatHappenedAndTakesTheFileOnlyWhenRead)
{
    struct Case {
        const char* name;
        std::optional<std::string> content; // none: no file
        std::uint64_t maxEntries;
        LessonReadResult result;
        std::uint32_t entries;
    };
    const Case cases[] = {
        {"read", kTwoPairs, 100, LessonReadResult::Read, 2},
        {"not_opened", std::nullopt, 100, LessonReadResult::NotOpened, 0},
        {"wrong_format", "Bank;bench\n", 100, LessonReadResult::WrongFormat, 0},
        {"too_large", kTwoPairs, 1, LessonReadResult::TooLarge, 0},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir.file("a.lsn");
        if (c.content) writeFile(path, *c.content);
        LessonDocument doc(dir.path().string());
        doc.setReadLimits({c.maxEntries});
        EXPECT_EQ(doc.load(path, "A.LSN"), c.result) << c.name;
        EXPECT_EQ(doc.chain().entryCount(), c.entries) << c.name;
        const bool read = c.result == LessonReadResult::Read;
        EXPECT_EQ(doc.path(), read ? path : "") << c.name;
        EXPECT_EQ(doc.displayName(), read ? "A.LSN" : "") << c.name;
        EXPECT_FALSE(doc.unsaved()) << c.name;
    }
}

// Each flow starts from a loaded, changed lesson "a.lsn" (or a new one with an entry).
TEST(LessonDocument, SaveWritesToItsOwnFileOrTellsWhyNot)
{
    struct Case {
        const char* name;
        bool loaded;
        std::function<SaveResult(LessonDocument&, const TempDir&)> act;
        SaveResult result;
        const char* pathAfter; // file name in the folder, "" for none
        bool unsavedAfter;
        std::string ownFileAfter; // what a.lsn holds after the flow
    };
    const std::string changed = kTwoPairs + "Tag\0day\0"s;
    const std::string theirs = "vtfile\0theirs\0x\0"s;
    auto changeOnDisk = [&theirs](const TempDir& dir) {
        const std::string path = dir.file("a.lsn");
        writeFile(path, theirs);
        std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) +
                                                   std::chrono::seconds(5));
    };
    const Case cases[] = {
        {"own_file",
         true,
         [](LessonDocument& d, const TempDir&) { return d.save(); },
         {SaveStatus::Written},
         "a.lsn",
         false,
         changed},
        {"no_name",
         false,
         [](LessonDocument& d, const TempDir&) { return d.save(); },
         {SaveStatus::NoName},
         "",
         true,
         ""},
        {"changed_on_disk",
         true,
         [&](LessonDocument& d, const TempDir& dir) {
             changeOnDisk(dir);
             return d.save();
         },
         {SaveStatus::ChangedOnDisk},
         "a.lsn",
         true,
         theirs},
        {"changed_on_disk_overwritten",
         true,
         [&](LessonDocument& d, const TempDir& dir) {
             changeOnDisk(dir);
             return d.save(true);
         },
         {SaveStatus::Written},
         "a.lsn",
         false,
         changed},
        {"save_as",
         false,
         [](LessonDocument& d, const TempDir& dir) { return d.saveAs(dir.file("b.lsn"), "B"); },
         {SaveStatus::Written},
         "b.lsn",
         false,
         ""},
        {"save_as_fails_keeps_the_old_name",
         true,
         [](LessonDocument& d, const TempDir& dir) {
             return d.saveAs(dir.file("none/b.lsn"), "B");
         },
         {SaveStatus::WriteFailed, ENOENT},
         "a.lsn",
         true,
         kTwoPairs},
        {"export_is_a_copy",
         true,
         [](LessonDocument& d, const TempDir& dir) { return d.exportTable(dir.file("t.csv")); },
         {SaveStatus::Written},
         "a.lsn",
         true,
         kTwoPairs},
    };
    for (const Case& c : cases) {
        TempDir dir;
        LessonDocument doc(dir.path().string());
        if (c.loaded) {
            writeFile(dir.file("a.lsn"), kTwoPairs);
            ASSERT_EQ(doc.load(dir.file("a.lsn"), "A"), LessonReadResult::Read) << c.name;
        } else {
            doc.chain().append("Bank", "bench");
        }
        doc.chain().append("Tag", "day");
        doc.setUnsaved(true);
        EXPECT_EQ(c.act(doc, dir), c.result) << c.name;
        EXPECT_EQ(doc.path(), *c.pathAfter ? dir.file(c.pathAfter) : "") << c.name;
        EXPECT_EQ(doc.unsaved(), c.unsavedAfter) << c.name;
        EXPECT_EQ(readBytes(dir.file("a.lsn")), c.ownFileAfter) << c.name;
        if (c.result.status == SaveStatus::Written && !c.unsavedAfter) {
            EXPECT_EQ(doc.save(), SaveResult{SaveStatus::Written}) << c.name << ": own file again";
        }
    }
}

TEST(LessonDocument, RecoveryFileIsKeptOnlyWhileTheLessonIsUnsaved)
{
    struct Case {
        const char* name;
        std::function<void(LessonDocument&, const TempDir&)> after; // what follows the keeping
        bool fileStays;
    };
    const Case cases[] = {
        {"nothing_more", [](LessonDocument&, const TempDir&) {}, true},
        {"kept_again", [](LessonDocument& d, const TempDir&) { d.keepForRecovery(); }, true},
        {"saved", [](LessonDocument& d, const TempDir& t) { d.saveAs(t.file("a.lsn"), "A"); },
         false},
        {"closed", [](LessonDocument& d, const TempDir&) { d.close(); }, false},
        {"answered_no_then_ended",
         [](LessonDocument& d, const TempDir&) {
             d.setUnsaved(false);
             EXPECT_EQ(d.keepForRecovery(), SaveResult{SaveStatus::NotNeeded});
         },
         false},
    };
    for (const Case& c : cases) {
        TempDir dir;
        LessonDocument doc(dir.path().string());
        doc.chain().append("Bank", "bench");
        doc.setUnsaved(true);
        ASSERT_EQ(doc.keepForRecovery(), SaveResult{SaveStatus::Written}) << c.name;
        const std::string kept = recoveryFileName(0, dir.path().string());
        EXPECT_EQ(readBytes(kept), "vtfile\0Bank\0bench\0"s) << c.name;
        c.after(doc, dir);
        EXPECT_EQ(std::filesystem::exists(kept), c.fileStays) << c.name;
    }
}

TEST(LessonDocument, ClosedLessonIsNewAndAnImportedTableBelongsToNoFile)
{
    TempDir dir;
    writeFile(dir.file("a.lsn"), kTwoPairs);
    writeFile(dir.file("t.csv"), "Tag;day\n");
    LessonDocument doc(dir.path().string());
    ASSERT_EQ(doc.load(dir.file("a.lsn"), "A"), LessonReadResult::Read);
    doc.setUnsaved(true);
    doc.close();
    EXPECT_TRUE(doc.chain().empty());
    EXPECT_EQ(doc.path(), "");
    EXPECT_FALSE(doc.unsaved());
    EXPECT_EQ(doc.save(), SaveResult{SaveStatus::NotNeeded}) << "nothing to save in a new lesson";
    EXPECT_FALSE(doc.importTable(dir.file("missing.csv")));
    EXPECT_FALSE(doc.unsaved());
    ASSERT_TRUE(doc.importTable(dir.file("t.csv")));
    EXPECT_EQ(doc.chain().entryCount(), 1u);
    EXPECT_TRUE(doc.unsaved());
    EXPECT_EQ(doc.save(), SaveResult{SaveStatus::NoName});
}

} // namespace
