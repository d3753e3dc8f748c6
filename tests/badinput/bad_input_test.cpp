// Input the trainer cannot store, and files, paths and disks that misbehave, in the real dialog:
// characters outside Windows-1252 typed, composed or pasted into the term fields; a huge lesson
// file of random bytes; a file with more entries than memory; special files and names that are
// not UTF-8 in place of a lesson; paths of thousands of characters; saves that cannot be written.
#include "dialog_fixture.h"
#include "fifo_guard.h"

#include "answer_compare.h"
#include "platform.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <random>

#include <sys/mount.h>
#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr int kMaxTermChars = 78;

// --- characters a field must refuse -------------------------------------------------------

enum class Via { Keys, InputMethod, Paste };

struct InputCase {
    const char* name;
    Via via;
    bool overSelection; // the field's text is selected when the input arrives
    QString input;
    QString expected; // the field afterwards; it held "Haus" before
};

void PrintTo(const InputCase& c, std::ostream* os)
{
    *os << c.name;
}

class RefusedInput : public DialogTest, public ::testing::WithParamInterface<InputCase> {
protected:
    // One key event per character, as a keyboard layout delivers it (an emoji is one event
    // with a surrogate pair as its text).
    void typeCharacters(QLineEdit* f, const QString& text)
    {
        for (const char32_t cp : text.toUcs4()) {
            const QString one = QString::fromUcs4(&cp, 1);
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, one);
            QApplication::sendEvent(f, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, one);
            QApplication::sendEvent(f, &release);
        }
    }
    void compose(QLineEdit* f, const QString& text)
    {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(f, &commit);
    }
    void paste(QLineEdit* f, const QString& text)
    {
        QApplication::clipboard()->setText(text);
        QTest::keyClick(f, Qt::Key_V, Qt::ControlModifier);
    }
};

TEST_P(RefusedInput, FieldKeepsWhatItHeldAndStoresOnlyWhatFits)
{
    const InputCase& c = GetParam();
    for (const int id : {IdTerm1, IdTerm2}) {
        SCOPED_TRACE(id == IdTerm1 ? "first-term field" : "second-term field");
        QLineEdit* f = field(id);
        type(id, "Haus");
        if (c.overSelection) f->selectAll();
        switch (c.via) {
        case Via::Keys:
            typeCharacters(f, c.input);
            break;
        case Via::InputMethod:
            compose(f, c.input);
            break;
        case Via::Paste:
            paste(f, c.input);
            break;
        }
        EXPECT_EQ(f->text(), c.expected);
    }
    key(IdTerm1, Qt::Key_Return);
    key(IdTerm2, Qt::Key_Return);
    const std::string stored = toCp1252(c.expected);
    ASSERT_EQ(dia->document().chain().entryCount(), 1u);
    EXPECT_EQ(dia->document().chain().firstEntry()->term1, stored);
    EXPECT_EQ(dia->document().chain().firstEntry()->term2, stored);
    EXPECT_EQ(dia->document().chain().firstEntry()->term1.find('?'), std::string::npos)
        << "no character may be stored as a question mark";
    EXPECT_TRUE(platform.messages.empty());
}

const QString kHaus = QStringLiteral("Haus");

INSTANTIATE_TEST_SUITE_P(
    BadInput, RefusedInput,
    ::testing::Values(
        InputCase{"typed_cyrillic", Via::Keys, false, QStringLiteral("Жук"), kHaus},
        InputCase{"typed_chinese", Via::Keys, false, QStringLiteral("漢字"), kHaus},
        InputCase{"typed_emoji", Via::Keys, false, QStringLiteral("😀"), kHaus},
        InputCase{"typed_mixed_keeps_what_fits", Via::Keys, false, QStringLiteral("aЖ€bœ"),
                  QStringLiteral("Hausa€bœ")},
        InputCase{"typed_over_selection", Via::Keys, true, QStringLiteral("Ж"), kHaus},
        InputCase{"typed_western_european", Via::Keys, false, QStringLiteral(" Grüße €‰"),
                  QStringLiteral("Haus Grüße €‰")},
        InputCase{"composed_greek", Via::InputMethod, false, QStringLiteral("λόγος"), kHaus},
        InputCase{"composed_umlaut", Via::InputMethod, false, QStringLiteral("ä"),
                  QStringLiteral("Hausä")},
        InputCase{"pasted_cyrillic", Via::Paste, false, QStringLiteral("Жук"), kHaus},
        InputCase{"pasted_mixed_is_refused_whole", Via::Paste, false, QStringLiteral("Baum Ж"),
                  kHaus},
        InputCase{"pasted_emoji_over_selection", Via::Paste, true, QStringLiteral("😀"), kHaus},
        InputCase{"pasted_line_break", Via::Paste, false, QStringLiteral("a\nb"), kHaus},
        InputCase{"pasted_tab", Via::Paste, false, QStringLiteral("a\tb"), kHaus},
        InputCase{"pasted_western_european", Via::Paste, false, QStringLiteral(" Straße"),
                  QStringLiteral("Haus Straße")},
        InputCase{"pasted_overlong_is_cut_to_the_field", Via::Paste, false, QString(100, u'x'),
                  kHaus + QString(kMaxTermChars - 4, u'x')}),
    [](const ::testing::TestParamInfo<InputCase>& info) { return std::string(info.param.name); });

// A term from a foreign file may hold a control character, which typing cannot bring in. The
// field must still refuse what it cannot store, or a typed character would end up as "?".
TEST_F(DialogTest, TermWithAControlByteFromAFileStillRefusesWhatCannotBeStored)
{
    load(writeLesson("fremd.lsn", "vtfile\0Tab\tStop\0zwei\0"s));
    key(IdTerm1, Qt::Key_Down);
    QLineEdit* f = field(IdTerm1);
    ASSERT_EQ(f->text(), QStringLiteral("Tab\tStop"));
    f->setFocus();
    f->end(false);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("Ж"));
    QApplication::sendEvent(f, &press);
    EXPECT_EQ(f->text(), QStringLiteral("Tab\tStop")) << "typed character outside Windows-1252";
    QApplication::clipboard()->setText(QStringLiteral("x\ny"));
    QTest::keyClick(f, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f->text(), QStringLiteral("Tab\tStop")) << "pasted line break";
    QTest::keyClicks(f, "p");
    EXPECT_EQ(f->text(), QStringLiteral("Tab\tStopp")) << "what fits is still taken";

    platform.messageAnswers.push_back(Platform::IdYes); // "Soll dieser Eintrag geändert werden?"
    key(IdTerm1, Qt::Key_Return);
    key(IdTerm2, Qt::Key_Return);
    std::string expected = "Tab\tStopp";
    normalizeTerm(expected);
    ASSERT_EQ(dia->document().chain().entryCount(), 1u);
    EXPECT_EQ(dia->document().chain().firstEntry()->term1, expected);
    EXPECT_EQ(dia->document().chain().firstEntry()->term1.find('?'), std::string::npos);
}

// --- a huge file of random bytes ------------------------------------------------------------

// The pairs a lesson reader must produce for bytes after the magic: fields end at zero bytes,
// a last field may lack its zero byte, a field keeps its first 78 bytes, an odd field at the
// end is dropped.
std::vector<std::pair<std::string, std::string>> expectedPairs(std::string_view body)
{
    std::vector<std::string> fields;
    std::size_t at = 0;
    while (at < body.size()) {
        std::size_t zero = body.find('\0', at);
        if (zero == std::string_view::npos) zero = body.size();
        fields.emplace_back(body.substr(at, std::min<std::size_t>(zero - at, kMaxTermChars)));
        at = zero + 1;
    }
    std::vector<std::pair<std::string, std::string>> pairs;
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2)
        pairs.emplace_back(std::move(fields[i]), std::move(fields[i + 1]));
    return pairs;
}

TEST_F(DialogTest, FiftyMegabytesOfRandomBytesLoadWithoutHangOrOverlongTerms)
{
    constexpr std::size_t kBodyBytes = 50u << 20;
    constexpr qint64 kLoadLimitMs = 60000; // a hang, not a slow machine
    std::string body(kBodyBytes, '\0');
    std::mt19937_64 random(20241206);
    for (std::size_t i = 0; i < kBodyBytes; i += 8) {
        const std::uint64_t r = random();
        std::memcpy(&body[i], &r, std::min<std::size_t>(8, kBodyBytes - i));
    }
    const std::string path = writeLesson("zufall.lsn", "vtfile\0"s + body);
    const auto expected = expectedPairs(body);
    body = {};

    QElapsedTimer clock;
    clock.start();
    load(path);
    EXPECT_LT(clock.elapsed(), kLoadLimitMs);

    EXPECT_TRUE(platform.messages.empty());
    ASSERT_EQ(dia->document().chain().entryCount(), expected.size());
    std::size_t i = 0;
    std::size_t longest = 0;
    for (const strWort* e = dia->document().chain().firstEntry(); e; e = e->next, ++i) {
        longest = std::max({longest, e->term1.size(), e->term2.size()});
        if (e->term1 != expected[i].first || e->term2 != expected[i].second) {
            ADD_FAILURE() << "entry " << i << " differs from the file";
            break;
        }
    }
    EXPECT_LE(longest, static_cast<std::size_t>(kMaxTermChars));
    EXPECT_EQ(dia->listModel().rowCount(), static_cast<int>(expected.size()) + 1);
    EXPECT_TRUE(frame->windowTitle().endsWith(QString::fromStdString(path).toUpper()));
    EXPECT_FALSE(dia->unsaved());

    // Any byte shows in the fields and reads back as the same byte.
    key(IdTerm1, Qt::Key_Down);
    ASSERT_EQ(dia->document().chain().currentEntry, dia->document().chain().firstEntry());
    EXPECT_EQ(toCp1252(fieldText(IdTerm1)), expected[0].first);
    EXPECT_EQ(toCp1252(fieldText(IdTerm2)), expected[0].second);

    dia->command(IdNewLesson);
    EXPECT_TRUE(dia->document().chain().empty());
    EXPECT_TRUE(platform.messages.empty()) << "an unchanged lesson closes without a question";
}

// --- more entries than memory, special files, names that are not UTF-8 ---------------------

// Zero bytes after the magic are empty pairs; beyond the entry limit (small here, the memory
// there is in the program) the lesson is refused like one of the wrong format.
TEST_F(DialogTest, LessonWithMoreEntriesThanMemoryIsRefusedAndLeavesAnEmptyLesson)
{
    LessonReadLimits limits;
    limits.maxEntries = 1000;
    dia->document().setReadLimits(limits);
    const std::string bytes = "vtfile\0"s + std::string(4000, '\0');
    const std::string path = writeLesson("nullen.lsn", bytes);
    load(path);

    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Datei " + QString::fromStdString(path).toUpper() +
                                             " ist zu gro\u00DF f\u00FCr den Arbeitsspeicher!");
    EXPECT_EQ(platform.messages[0].caption, QStringLiteral("Dateifehler"));
    EXPECT_TRUE(dia->document().chain().empty());
    EXPECT_EQ(dia->listModel().rowCount(), 1) << "only the new entry's row";
    EXPECT_TRUE(listBox(dia, IdList1)->isVisible());
    EXPECT_TRUE(listBox(dia, IdList2)->isVisible());
    EXPECT_EQ(frame->windowTitle(), QString::fromLatin1(kProgramCaption) + "Lektion: NEU");
    EXPECT_FALSE(dia->unsaved());
    EXPECT_EQ(readBytes(path), bytes) << "nothing written";

    // The next lesson loads as usual.
    load(writeLesson("klein.lsn", "vtfile\0Haus\0house\0"s));
    EXPECT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(dia->document().chain().entryCount(), 1u);
    EXPECT_EQ(dia->listModel().rowCount(), 2);
}

// A FIFO or a folder named as the lesson is no file to read: the window tells so at once
// instead of waiting for a writer.
TEST_F(DialogTest, SpecialFileAsTheLessonIsNotFoundAndTheWindowStaysFree)
{
    FifoGuard fifo(dir.file("fifo.lsn"));
    ASSERT_TRUE(fifo.made());
    fs::create_directory(dir.file("ordner.lsn"));
    fs::create_symlink(fifo.path(), dir.file("verweis.lsn"));
    for (const std::string& path : {fifo.path(), dir.file("verweis.lsn"), dir.file("ordner.lsn")}) {
        SCOPED_TRACE(path);
        platform.messages.clear();
        EXPECT_TRUE(fifo.readsWithoutWaiting([&] { load(path); }));
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].text,
                  "Datei " + QString::fromStdString(path).toUpper() + " nicht gefunden");
        EXPECT_TRUE(dia->document().chain().empty());
        EXPECT_EQ(frame->windowTitle(), QString::fromLatin1(kProgramCaption) + "Lektion: NEU");
    }
    EXPECT_TRUE(fifo.stillFifo());
    // A device is read as a file: /dev/zero has no magic.
    platform.messages.clear();
    load("/dev/zero");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Datei /DEV/ZERO nicht im korrekten Format!");
}

// A name from an old system, in Windows-1252 bytes: read and written under exactly those bytes.
TEST_F(DialogTest, LessonNamedInBytesThatAreNotUtf8IsSavedUnderTheSameName)
{
    const std::string path = writeLesson("Franz\xF6sisch.lsn", "vtfile\0Haus\0maison\0"s);
    dia->loadLessonFile(path);
    ASSERT_EQ(dia->document().chain().entryCount(), 1u);
    EXPECT_TRUE(frame->windowTitle().endsWith(QStringLiteral("/FRANZ\u00F6SISCH.LSN")));
    addEntry("Baum", "arbre");
    dia->command(IdSave);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_TRUE(platform.saveDialogs.empty());
    EXPECT_EQ(readBytes(path), "vtfile\0Haus\0maison\0Baum\0arbre\0"s);
    for (const auto& e : fs::directory_iterator(dir.path()))
        EXPECT_TRUE(e.path().filename() == "Franz\xF6sisch.lsn" ||
                    e.path().filename() == "DODADIZE.CFG")
            << "written beside it: " << e.path().filename();
}

// --- very long paths ------------------------------------------------------------------------

// A path of exactly `length` characters under `base`: folders of 200 characters, then a file
// name that makes up the rest.
std::string pathOfLength(const fs::path& base, std::size_t length, const std::string& suffix)
{
    std::string path = base.string();
    char letter = 'a';
    while (length - path.size() > 200 + 1 + 20) {
        path += '/' + std::string(200, letter);
        letter = letter == 'z' ? 'a' : static_cast<char>(letter + 1);
    }
    path += '/';
    path += std::string(length - path.size() - suffix.size(), 'n') + suffix;
    return path;
}

constexpr std::size_t kLongPath = 4000;
constexpr std::size_t kBeyondPathMax = 5000;
const QString kCaption = QString::fromLatin1(kProgramCaption) + QStringLiteral("Lektion: ");

class LongPath : public DialogTest {
protected:
    std::string makePath(std::size_t length)
    {
        const std::string path = pathOfLength(dir.path(), length, ".lsn");
        EXPECT_EQ(path.size(), length);
        if (length < kBeyondPathMax) fs::create_directories(fs::path(path).parent_path());
        return path;
    }
};

TEST_F(LongPath, LoadedLessonIsNamedWholeInTheTitle)
{
    const std::string path = makePath(kLongPath);
    std::ofstream(path, std::ios::binary) << "vtfile\0Haus\0house\0"s;
    load(path);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(dia->document().chain().entryCount(), 1u);
    EXPECT_EQ(frame->windowTitle(), kCaption + QString::fromStdString(path).toUpper());
}

TEST_F(LongPath, WrongFormatNamesThePathWhole)
{
    const std::string path = makePath(kLongPath);
    std::ofstream(path, std::ios::binary) << "VTFILE\0Haus\0house\0"s;
    load(path);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "Datei " + QString::fromStdString(path).toUpper() + " nicht im korrekten Format!");
    EXPECT_EQ(frame->windowTitle(), kCaption + "NEU");
}

TEST_F(LongPath, MissingFileNamesThePathWholeUpToAndBeyondTheSystemLimit)
{
    for (const std::size_t length : {kLongPath, kBeyondPathMax}) {
        SCOPED_TRACE(length);
        platform.messages.clear();
        const std::string path = makePath(length) + "x"; // not there
        load(path);
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].text,
                  "Datei " + QString::fromStdString(path).toUpper() + " nicht gefunden");
        EXPECT_EQ(platform.messages[0].text.size(), static_cast<qsizetype>(length + 1 + 21));
        EXPECT_EQ(frame->windowTitle(), kCaption + "NEU");
    }
}

TEST_F(LongPath, NewLessonIsSavedAndNamedWhole)
{
    const std::string path = makePath(kLongPath);
    addEntry("Haus", "house");
    platform.saveAnswers.push_back(QString::fromStdString(path));
    dia->command(IdSave);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_FALSE(dia->unsaved());
    EXPECT_EQ(readBytes(path), "vtfile\0Haus\0house\0"s);
    EXPECT_EQ(frame->windowTitle(), kCaption + QString::fromStdString(path));
}

TEST_F(LongPath, PathBeyondTheSystemLimitCannotBeSavedAndKeepsTheLesson)
{
    const std::string path = makePath(kBeyondPathMax);
    addEntry("Haus", "house");
    platform.saveAnswers.push_back(QString::fromStdString(path));
    dia->command(IdSave);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              QStringLiteral("Datei kann nicht geschrieben werden!\nDer Name ist zu lang."));
    EXPECT_EQ(platform.messages[0].caption, QStringLiteral("Schreibfehler!"));
    EXPECT_TRUE(dia->unsaved());
    EXPECT_EQ(dia->document().chain().entryCount(), 1u);
}

// --- saves that cannot be written -----------------------------------------------------------

// While it lives, no file of this process may grow beyond `bytes`; a write beyond fails with
// EFBIG instead of killing the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return active_; }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
    bool active_ = false;
};

// A small file system of its own (needs the right to mount), unmounted on destruction.
class SmallFileSystem {
public:
    SmallFileSystem(const fs::path& at, const char* size) : at_(at)
    {
        fs::create_directories(at_);
        mounted_ = ::mount("tmpfs", at_.c_str(), "tmpfs", 0, ("size="s + size).c_str()) == 0;
    }
    ~SmallFileSystem()
    {
        if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    bool mounted() const { return mounted_; }

private:
    fs::path at_;
    bool mounted_ = false;
};

enum class Obstacle { ReadOnlyFile, MissingFolder, FolderInTheWay, FileSizeLimit, FullDisk };

struct SaveCase {
    const char* name;
    Obstacle obstacle;
    const char* reason; // the message's second line
};

void PrintTo(const SaveCase& c, std::ostream* os)
{
    *os << c.name;
}

constexpr std::uint32_t kOldEntries = 1200;

// About 22 KB: larger than the file size limit, and on the small file system the old file, a
// filler and a new copy of the lesson do not fit together.
std::string oldLessonBytes()
{
    std::string bytes = "vtfile\0"s;
    for (std::uint32_t i = 0; i < kOldEntries; ++i)
        bytes += "Wort " + std::to_string(i) + '\0' + "word " + std::to_string(i) + '\0';
    return bytes;
}
constexpr rlim_t kSizeLimit = 16 * 1024;
constexpr const char* kSmallDisk = "64k";
constexpr std::size_t kFillerBytes = 30 * 1024;

class FailedSave : public DialogTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(FailedSave, ReportsTheErrorKeepsTheOldFileAndTheUnsavedLesson)
{
    const Obstacle obstacle = GetParam().obstacle;
    const fs::path folder = dir.path() / "lektionen";
    std::unique_ptr<SmallFileSystem> disk;
    if (obstacle == Obstacle::FullDisk) {
        disk = std::make_unique<SmallFileSystem>(folder, kSmallDisk);
        if (!disk->mounted()) GTEST_SKIP() << "mounting a small file system is not permitted here";
    } else if (obstacle != Obstacle::MissingFolder) {
        fs::create_directories(folder);
    }
    const fs::path target = folder / "alt.lsn";
    const std::string oldBytes = oldLessonBytes();
    const bool existingFile = obstacle == Obstacle::ReadOnlyFile ||
                              obstacle == Obstacle::FileSizeLimit || obstacle == Obstacle::FullDisk;
    if (existingFile) {
        std::ofstream(target, std::ios::binary) << oldBytes;
        load(target.string());
        ASSERT_EQ(dia->document().chain().entryCount(), kOldEntries);
    }
    if (obstacle == Obstacle::ReadOnlyFile)
        fs::permissions(target,
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (obstacle == Obstacle::FolderInTheWay) fs::create_directory(target);
    if (obstacle == Obstacle::FullDisk)
        std::ofstream(folder / "fueller", std::ios::binary) << std::string(kFillerBytes, 'f');

    addEntry("Neu", "new");
    if (!existingFile) platform.saveAnswers.push_back(QString::fromStdString(target.string()));
    const QString titleBefore = frame->windowTitle();
    {
        std::unique_ptr<FileSizeLimit> limit;
        if (obstacle == Obstacle::FileSizeLimit) {
            limit = std::make_unique<FileSizeLimit>(kSizeLimit);
            ASSERT_TRUE(limit->active());
        }
        dia->command(IdSave);
    }

    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "Datei kann nicht geschrieben werden!\n" + QString::fromUtf8(GetParam().reason));
    EXPECT_EQ(platform.messages[0].caption, QStringLiteral("Schreibfehler!"));
    EXPECT_TRUE(dia->unsaved());
    EXPECT_TRUE(status().endsWith(QStringLiteral(" (ungesichert)")));
    EXPECT_EQ(titleBefore, frame->windowTitle()) << "a new lesson stays new";
    if (existingFile) {
        EXPECT_EQ(readBytes(target.string()), oldBytes);
    }
    if (fs::exists(folder)) {
        for (const auto& e : fs::directory_iterator(folder)) {
            const std::string name = e.path().filename().string();
            EXPECT_TRUE(name == "alt.lsn" || name == "fueller") << "left behind: " << name;
        }
    }

    // Once the obstacle is gone, the lesson kept in the window saves in full.
    switch (obstacle) {
    case Obstacle::ReadOnlyFile:
        fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
        break;
    case Obstacle::MissingFolder:
        fs::create_directories(folder);
        break;
    case Obstacle::FolderInTheWay:
        fs::remove(target);
        break;
    case Obstacle::FileSizeLimit:
        break;
    case Obstacle::FullDisk:
        fs::remove(folder / "fueller");
        break;
    }
    // A new lesson is asked for its place again.
    if (!existingFile) platform.saveAnswers.push_back(QString::fromStdString(target.string()));
    dia->command(IdSave);
    EXPECT_EQ(platform.messages.size(), 1u) << "the second save succeeds";
    EXPECT_EQ(platform.saveDialogs.size(), existingFile ? 0u : 2u);
    EXPECT_FALSE(dia->unsaved());
    const std::string expected = (existingFile ? oldBytes : "vtfile\0"s) + "Neu\0new\0"s;
    EXPECT_EQ(readBytes(target.string()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, FailedSave,
    ::testing::Values(
        SaveCase{"read_only_file", Obstacle::ReadOnlyFile, "Keine Schreibberechtigung."},
        SaveCase{"missing_folder", Obstacle::MissingFolder, "Der Ordner ist nicht vorhanden."},
        SaveCase{"folder_in_the_way", Obstacle::FolderInTheWay,
                 "Der Name gehört keiner gewöhnlichen Datei."},
        SaveCase{"file_size_limit", Obstacle::FileSizeLimit, "Die Datei wäre zu groß."},
        SaveCase{"full_disk", Obstacle::FullDisk, "Der Datenträger ist voll."}),
    [](const ::testing::TestParamInfo<SaveCase>& info) { return std::string(info.param.name); });

// Settings that cannot be written when the window closes are not lost without a word; the
// reason is named. A file that holds them already needs no write.
TEST_F(DialogTest, SettingsNotWrittenAtCloseAreReported)
{
    struct Case {
        const char* name;
        bool fullDisk; // else a read-only settings file
        bool changed;
        const char* reason;
    };
    for (const Case& c : {Case{"unchanged_read_only", false, false, nullptr},
                          Case{"read_only", false, true, "Keine Schreibberechtigung."},
                          Case{"full_disk", true, true, "Der Datentr\xC3\xA4ger ist voll."}}) {
        frame.reset();
        const fs::path folder = dir.path() / c.name;
        std::unique_ptr<SmallFileSystem> disk;
        if (c.fullDisk) {
            disk = std::make_unique<SmallFileSystem>(folder, "4k");
            if (!disk->mounted()) {
                std::cout << "[  SKIPPED ] " << c.name << ": mounting is not permitted here\n";
                continue;
            }
        }
        fs::create_directories(folder);
        const std::string path = (folder / "DODADIZE.CFG").string();
        Config(path).save();
        if (c.fullDisk)
            std::ofstream(folder / "fueller", std::ios::binary) << std::string(kFillerBytes, 'f');
        else
            fs::permissions(path, fs::perms::owner_read);
        config = std::make_unique<Config>(path);
        makeWindow();
        platform.messages.clear();
        if (c.changed) QTest::mouseClick(dia->button(IdIgnoreCase), Qt::LeftButton);
        EXPECT_TRUE(dia->closeQuery());
        if (!c.reason) {
            EXPECT_TRUE(platform.messages.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(platform.messages.size(), 1u) << c.name;
        EXPECT_EQ(platform.messages[0].text,
                  "Die geänderten Einstellungen konnten nicht in " + QString::fromStdString(path) +
                      " gespeichert werden.\n" + QString::fromUtf8(c.reason));
        EXPECT_EQ(platform.messages[0].caption, "Schreibfehler!");
        frame.reset(); // before the small file system goes
    }
}

} // namespace
