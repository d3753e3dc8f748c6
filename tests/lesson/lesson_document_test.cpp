#include "lesson_document.h"
#include "file_bytes.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace {

using namespace std::string_literals;

const std::string kTwoPairs = "vtfile\0Bank\0bench\0Haus\0house\0"s;
const std::string kChanged = kTwoPairs + "Tag\0day\0"s;       // the two pairs and one typed
const std::string kTheirs = "vtfile\0theirs\0x\0"s;           // someone else's file
const std::string kKept = "vtfile\0Bank\0bench\0Tag\0day\0"s; // a new lesson with two pairs

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

// Each flow starts from a changed lesson: "a.lsn" loaded and a pair typed, or a new one.
TEST(LessonDocument, SaveWritesToItsOwnFileOrTellsWhyNot)
{
    enum class Act { Save, Overwrite, SaveAs, SaveAsNowhere, Export };
    struct Case {
        const char* name;
        bool loaded;
        bool changedOnDisk;
        Act act;
        SaveResult result;
        const char* fileAfter; // the lesson's file then, "" for none
        bool unsavedAfter;
        std::string aAfter; // what a.lsn holds then
    };
    const Case cases[] = {
        {"own_file", true, false, Act::Save, {SaveStatus::Written}, "a.lsn", false, kChanged},
        {"no_name", false, false, Act::Save, {SaveStatus::NoName}, "", true, ""},
        {"changed_on_disk",
         true,
         true,
         Act::Save,
         {SaveStatus::ChangedOnDisk},
         "a.lsn",
         true,
         kTheirs},
        {"changed_on_disk_overwritten",
         true,
         true,
         Act::Overwrite,
         {SaveStatus::Written},
         "a.lsn",
         false,
         kChanged},
        {"save_as", false, false, Act::SaveAs, {SaveStatus::Written}, "b.lsn", false, ""},
        {"failed_save_as_keeps_the_old_name",
         true,
         false,
         Act::SaveAsNowhere,
         {SaveStatus::WriteFailed, ENOENT},
         "a.lsn",
         true,
         kTwoPairs},
        {"export_is_a_copy",
         true,
         false,
         Act::Export,
         {SaveStatus::Written},
         "a.lsn",
         true,
         kTwoPairs},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string a = dir.file("a.lsn");
        LessonDocument doc(dir.path().string());
        if (c.loaded) {
            writeFile(a, kTwoPairs);
            ASSERT_EQ(doc.load(a, "A"), LessonReadResult::Read) << c.name;
        } else {
            doc.chain().append("Bank", "bench");
        }
        doc.chain().append("Tag", "day");
        doc.setUnsaved(true);
        if (c.changedOnDisk) {
            writeFile(a, kTheirs);
            std::filesystem::last_write_time(a, std::filesystem::last_write_time(a) +
                                                    std::chrono::seconds(5));
        }
        const SaveResult result = c.act == Act::Save        ? doc.save()
                                  : c.act == Act::Overwrite ? doc.save(true)
                                  : c.act == Act::SaveAs    ? doc.saveAs(dir.file("b.lsn"), "B")
                                  : c.act == Act::Export    ? doc.exportTable(dir.file("t.csv"))
                                                         : doc.saveAs(dir.file("none/b.lsn"), "B");
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(doc.path(), *c.fileAfter ? dir.file(c.fileAfter) : "") << c.name;
        EXPECT_EQ(doc.unsaved(), c.unsavedAfter) << c.name;
        EXPECT_EQ(readBytes(a), c.aAfter) << c.name;
        if (!c.unsavedAfter) {
            EXPECT_EQ(doc.save(), SaveResult{SaveStatus::Written}) << c.name << ": own file again";
        }
    }
}

TEST(LessonDocument, RecoveryFileIsKeptOnlyWhileTheLessonIsUnsaved)
{
    enum class Then { Nothing, KeepAgain, Save, Close, AnsweredNo };
    const std::pair<Then, bool> cases[] = {
        {Then::Nothing, true}, {Then::KeepAgain, true},   {Then::Save, false},
        {Then::Close, false},  {Then::AnsweredNo, false},
    };
    for (const auto& [then, fileStays] : cases) {
        TempDir dir;
        LessonDocument doc(dir.path().string());
        doc.chain().append("Bank", "bench");
        doc.chain().append("Tag", "day");
        doc.setUnsaved(true);
        ASSERT_EQ(doc.keepForRecovery(), SaveResult{SaveStatus::Written});
        const std::string kept = recoveryFileName(0, dir.path().string());
        EXPECT_EQ(readBytes(kept), kKept);
        if (then == Then::KeepAgain) doc.keepForRecovery();
        if (then == Then::Save) doc.saveAs(dir.file("a.lsn"), "A");
        if (then == Then::Close) doc.close();
        if (then == Then::AnsweredNo) {
            doc.setUnsaved(false);
            EXPECT_EQ(doc.keepForRecovery().status, SaveStatus::NotNeeded);
        }
        EXPECT_EQ(std::filesystem::exists(kept), fileStays) << static_cast<int>(then);
    }
}

TEST(LessonDocument, ClosedLessonIsNewAndAnImportedTableBelongsToNoFile)
{
    TempDir dir;
    writeFile(dir.file("a.lsn"), kTwoPairs);
    writeFile(dir.file("t.csv"), "Tag;day\n");
    LessonDocument doc(dir.path().string());
    ASSERT_EQ(doc.load(dir.file("a.lsn"), "A"), LessonReadResult::Read);
    while (!doc.chain().empty())
        doc.chain().deleteLast();
    EXPECT_EQ(doc.save().status, SaveStatus::Written) << "a lesson emptied by editing is written";
    EXPECT_EQ(readBytes(dir.file("a.lsn")), "vtfile\0"s);
    doc.setUnsaved(true);
    doc.close();
    EXPECT_TRUE(doc.chain().empty());
    EXPECT_EQ(doc.path(), "");
    EXPECT_FALSE(doc.unsaved());
    EXPECT_EQ(doc.save().status, SaveStatus::NoName);
    EXPECT_EQ(doc.importTable(dir.file("missing.csv")).result, LessonReadResult::NotOpened);
    EXPECT_FALSE(doc.unsaved());
    ASSERT_EQ(doc.importTable(dir.file("t.csv")).result, LessonReadResult::Read);
    EXPECT_EQ(doc.chain().entryCount(), 1u);
    EXPECT_TRUE(doc.unsaved());
    EXPECT_EQ(doc.save().status, SaveStatus::NoName);
}

} // namespace
