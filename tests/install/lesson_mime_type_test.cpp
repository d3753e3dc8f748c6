// The lesson file type that the installed tree declares (packaging/kaz-trainer.xml), seen the
// way a desktop sees it: Qt's QMimeDatabase reads the same shared-mime-info data as the file
// managers do. A lesson must be known by its leading "vtfile\0" whatever the file is called,
// and by the extension .lsn in either case; anything else must not be taken for one.
#include <gtest/gtest.h>

#include <string_view>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace std::string_view_literals;
using namespace Qt::StringLiterals;

namespace {

constexpr auto kLessonType = "application/x-kaz-lesson"_L1;

// A data folder that knows the lesson type and nothing else installed on this machine: set as
// XDG_DATA_HOME and XDG_DATA_DIRS before the first QMimeDatabase is made. With shared-mime-info
// installed the package is compiled by update-mime-database, as on an installed system, and Qt
// reads the compiled cache; without it Qt reads the package XML itself.
class MimeDataFolder : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_TRUE(data_.isValid());
        const QString mime = data_.filePath(QStringLiteral("mime"));
        const QString packages = mime + QStringLiteral("/packages");
        ASSERT_TRUE(QDir().mkpath(packages));
        ASSERT_TRUE(QFile::copy(QStringLiteral(KAZ_SOURCE_DIR "/packaging/kaz-trainer.xml"),
                                packages + QStringLiteral("/kaz-trainer.xml")));

        updater_ = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
        if (!updater_.isEmpty()) {
            QProcess update;
            update.start(updater_, {mime});
            ASSERT_TRUE(update.waitForFinished(60000)) << "update-mime-database did not finish";
            ASSERT_EQ(update.exitStatus(), QProcess::NormalExit);
            ASSERT_EQ(update.exitCode(), 0) << update.readAllStandardError().toStdString();
            ASSERT_TRUE(QFile::exists(mime + QStringLiteral("/mime.cache")));
        }
        qputenv("XDG_DATA_HOME", QFile::encodeName(data_.path()));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(data_.path()));
    }

    static bool compiled() { return !updater_.isEmpty(); }
    static QString mimeFolder() { return data_.filePath(QStringLiteral("mime")); }

private:
    static inline QTemporaryDir data_;
    static inline QString updater_;
};

[[maybe_unused]] const auto* const kMimeData =
    ::testing::AddGlobalTestEnvironment(new MimeDataFolder);

struct FileCase {
    const char* name;
    const char* fileName;
    std::string_view content;
    QMimeDatabase::MatchMode mode;
    bool isLesson;
    friend std::ostream& operator<<(std::ostream& os, const FileCase& c) { return os << c.name; }
};

constexpr auto kLessonBytes = "vtfile\0die Rose\0rosa, rosae f.\0"sv;

const FileCase kFileCases[] = {
    {"magic_under_a_foreign_extension", "lektion.dat", kLessonBytes, QMimeDatabase::MatchContent,
     true},
    {"magic_alone_is_an_empty_lesson", "leer", "vtfile\0"sv, QMimeDatabase::MatchContent, true},
    {"magic_without_extension_default_lookup", "ENGLISCH", kLessonBytes,
     QMimeDatabase::MatchDefault, true},
    {"lower_case_extension", "rose.lsn", ""sv, QMimeDatabase::MatchExtension, true},
    {"upper_case_extension", "LATEIN.LSN", ""sv, QMimeDatabase::MatchExtension, true},
    {"magic_needs_its_zero_byte", "notiz.dat", "vtfiles sind Lektionen\n"sv,
     QMimeDatabase::MatchContent, false},
    {"magic_only_at_the_start", "notiz.dat", " vtfile\0"sv, QMimeDatabase::MatchContent, false},
    {"magic_is_lower_case", "notiz.dat", "VTFILE\0"sv, QMimeDatabase::MatchContent, false},
    {"other_extension", "rose.lst", ""sv, QMimeDatabase::MatchExtension, false},
};

class LessonFileType : public ::testing::TestWithParam<FileCase> {
protected:
    QTemporaryDir files_;
};

QString writeFile(const QTemporaryDir& folder, const char* name, std::string_view content)
{
    const QString path = folder.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(content.data(), static_cast<qint64>(content.size())) !=
            static_cast<qint64>(content.size()))
        ADD_FAILURE() << "cannot write " << path.toStdString();
    return path;
}

TEST_P(LessonFileType, IsLessonExactlyWhenExpected)
{
    const FileCase& c = GetParam();
    ASSERT_TRUE(files_.isValid());
    const QString path = writeFile(files_, c.fileName, c.content);
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, c.mode);
    EXPECT_EQ(type.name() == kLessonType, c.isLesson)
        << "found " << type.name().toStdString() << " (database "
        << (MimeDataFolder::compiled() ? "compiled" : "read from the package XML") << ")";
}

INSTANTIATE_TEST_SUITE_P(Files, LessonFileType, ::testing::ValuesIn(kFileCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The sample lessons that are installed with the trainer, renamed so that only their bytes
// can tell what they are.
TEST(LessonFileTypeSamples, SampleLessonsAreKnownByTheirContent)
{
    QTemporaryDir files;
    ASSERT_TRUE(files.isValid());
    const QDir lessons(QStringLiteral(KAZ_SOURCE_DIR "/resources/lessons"));
    const QStringList names = lessons.entryList({QStringLiteral("*.LSN")}, QDir::Files);
    ASSERT_EQ(names.size(), 3);
    for (const QString& name : names) {
        const QString copy = files.filePath(QFileInfo(name).completeBaseName() + ".bin"_L1);
        ASSERT_TRUE(QFile::copy(lessons.filePath(name), copy));
        EXPECT_EQ(QMimeDatabase().mimeTypeForFile(copy, QMimeDatabase::MatchContent).name(),
                  kLessonType)
            << name.toStdString();
    }
}

// What a file manager shows for a lesson, and the extension a save dialog offers.
TEST(LessonFileTypeSamples, TypeCarriesTheTrainerIconAndExtension)
{
    const QMimeType type = QMimeDatabase().mimeTypeForName(kLessonType);
    ASSERT_TRUE(type.isValid());
    EXPECT_EQ(type.iconName(), "kaz-trainer"_L1);
    EXPECT_TRUE(type.globPatterns().contains("*.lsn"_L1))
        << type.globPatterns().join(' ').toStdString();
    EXPECT_EQ(type.preferredSuffix(), "lsn"_L1);
}

// update-mime-database writes one file per type it took from the packages.
TEST(LessonFileTypeSamples, CompiledDatabaseHoldsTheType)
{
    if (!MimeDataFolder::compiled())
        GTEST_SKIP() << "update-mime-database not found (package shared-mime-info)";
    QFile compiled(MimeDataFolder::mimeFolder() + "/application/x-kaz-lesson.xml"_L1);
    ASSERT_TRUE(compiled.open(QIODevice::ReadOnly));
    EXPECT_TRUE(compiled.readAll().contains("KAZ-TRAINER"));
}

} // namespace
