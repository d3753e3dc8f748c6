#include "qt_platform.h"
#include "translations.h"

#include "fifo_guard.h"
#include "temp_dir.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

namespace {

using Buttons = Platform::Buttons;
using Icon = Platform::Icon;

// Calls drive(dialog) once a modal dialog of type T is up; set it before the call that runs
// the dialog. If none comes, the modal widgets are hidden so the test fails, not hangs.
template <typename T> void whenModal(std::function<void(T*)> drive, int attemptsLeft = 500)
{
    QTimer::singleShot(attemptsLeft == 500 ? 0 : 10, [drive, attemptsLeft] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget()))
            return drive(dialog);
        if (attemptsLeft > 0) return whenModal<T>(drive, attemptsLeft - 1);
        ADD_FAILURE() << "no modal dialog of the expected kind";
        while (QWidget* modal = QApplication::activeModalWidget())
            modal->hide();
    });
}

enum class Act { Enter, Escape, CloseBox, ClickNo };

void perform(QMessageBox* box, Act act)
{
    switch (act) {
    case Act::Enter:
        QTest::keyClick(box, Qt::Key_Return);
        break;
    case Act::Escape:
        QTest::keyClick(box, Qt::Key_Escape);
        break;
    case Act::CloseBox:
        box->close();
        break;
    case Act::ClickNo:
        box->button(QMessageBox::No)->click();
        break;
    }
}

struct BoxRow {
    const char* name;
    Buttons buttons;
    Act act;
    bool staysOpen; // the act must do nothing; "No" is clicked afterwards
    int expected;
};

class MessageBoxAnswers : public ::testing::TestWithParam<BoxRow> {};

TEST_P(MessageBoxAnswers, ReturnTheOldSystemsValues)
{
    const BoxRow& row = GetParam();
    QtPlatform platform;
    bool openAfterAct = false;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        perform(box, row.act);
        openAfterAct = box->isVisible();
        if (openAfterAct) perform(box, Act::ClickNo);
    });
    EXPECT_EQ(platform.messageBox(nullptr, "Text", "Titel", row.buttons, Icon::Exclamation),
              row.expected);
    EXPECT_EQ(openAfterAct, row.staysOpen);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MessageBoxAnswers,
    ::testing::Values(
        BoxRow{"ok_enter", Buttons::Ok, Act::Enter, false, Platform::IdOk},
        BoxRow{"ok_escape", Buttons::Ok, Act::Escape, false, Platform::IdOk},
        BoxRow{"ok_close_box", Buttons::Ok, Act::CloseBox, false, Platform::IdOk},
        BoxRow{"ync_enter_takes_yes", Buttons::YesNoCancel, Act::Enter, false, Platform::IdYes},
        BoxRow{"ync_escape", Buttons::YesNoCancel, Act::Escape, false, Platform::IdCancel},
        BoxRow{"ync_close_box", Buttons::YesNoCancel, Act::CloseBox, false, Platform::IdCancel},
        BoxRow{"ync_no", Buttons::YesNoCancel, Act::ClickNo, false, Platform::IdNo},
        BoxRow{"yes_no_enter_takes_yes", Buttons::YesNo, Act::Enter, false, Platform::IdYes},
        BoxRow{"yes_no_escape_does_nothing", Buttons::YesNo, Act::Escape, true, Platform::IdNo},
        BoxRow{"yes_no_close_box_does_nothing", Buttons::YesNo, Act::CloseBox, true,
               Platform::IdNo}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QtPlatformMessageBox, ModalOwnedGermanAndLiteral)
{
    auto translator = loadQtGermanTranslation();
    ASSERT_NE(translator, nullptr) << "qtbase_de.qm missing (package qt6-translations-l10n)";
    QApplication::installTranslator(translator.get());
    QtPlatform platform;
    QWidget owner;
    const QString text = QStringLiteral("Datei /tmp/<b>A</b>.LSN nicht gefunden");
    QStringList seen;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        seen << box->text() << box->windowTitle();
        for (auto which : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
            seen << box->button(which)->text().remove('&');
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        EXPECT_NE(box->windowModality(), Qt::NonModal);
        EXPECT_EQ(box->parentWidget(), &owner);
        box->button(QMessageBox::Cancel)->click();
    });
    platform.messageBox(&owner, text, "Übungsmodus", Buttons::YesNoCancel, Icon::Information);
    QApplication::removeTranslator(translator.get());
    EXPECT_EQ(seen, (QStringList{text, "Übungsmodus", "Ja", "Nein", "Abbrechen"}));
}

TEST(QtPlatformMessageBox, AnOwnerDestroyedMeanwhileMeansNo)
{
    QtPlatform platform;
    auto* owner = new QWidget;
    owner->show();
    whenModal<QMessageBox>([&](QMessageBox*) { delete owner; });
    EXPECT_EQ(
        platform.messageBox(owner, "Übung abbrechen?", "ÜBUNG", Buttons::YesNo, Icon::Exclamation),
        Platform::IdNo);
}

// What the dialog's Open or Save button does (QFileDialog::accept is protected).
void confirm(QFileDialog* dialog, const QString& name)
{
    dialog->selectFile(name);
    static_cast<QDialog*>(dialog)->accept();
}

Platform::FileDialogOptions lessonSpec(const TempDir& dir)
{
    return {"Lektion", QString::fromStdString(dir.path().string()), {}, "Lektion (*.lsn)", "lsn"};
}

TEST(QtPlatformFileDialog, OpenIsQtsOwnWithFilterAndSuffix)
{
    TempDir dir;
    QtPlatform platform;
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog->nameFilters(), QStringList{"Lektion (*.lsn)"});
        EXPECT_EQ(dialog->directory(), QDir(QString::fromStdString(dir.path().string())));
        confirm(dialog, "vokabeln");
    });
    // A name that does not exist comes back with the suffix; the caller reports it.
    EXPECT_EQ(platform.openFileName(nullptr, lessonSpec(dir)),
              QString::fromStdString(dir.file("vokabeln.lsn")));
}

TEST(QtPlatformFileDialog, ChosenFilterComesBackAndLendsItsExtension)
{
    TempDir dir;
    QtPlatform platform;
    Platform::FileDialogOptions options = lessonSpec(dir);
    options.filter = "Lektion (*.lsn);;Tabelle (*.csv)";
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->nameFilters(), (QStringList{"Lektion (*.lsn)", "Tabelle (*.csv)"}));
        EXPECT_EQ(dialog->selectedNameFilter(), "Lektion (*.lsn)");
        EXPECT_EQ(dialog->defaultSuffix(), "lsn");
        // What a person's choice in the file-type box does.
        auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
        ASSERT_NE(types, nullptr);
        types->setCurrentIndex(1);
        emit types->activated(1);
        emit types->textActivated(types->itemText(1));
        EXPECT_EQ(dialog->defaultSuffix(), "csv");
        confirm(dialog, "liste");
    });
    QString chosen;
    EXPECT_EQ(platform.saveFileName(nullptr, options, &chosen),
              QString::fromStdString(dir.file("liste.csv")));
    EXPECT_EQ(chosen, "Tabelle (*.csv)");
}

TEST(QtPlatformFileDialog, SaveAsksBeforeOverwriting)
{
    TempDir dir;
    std::ofstream(dir.file("alt.lsn")) << "vtfile";
    QtPlatform platform;
    bool stillOpenAfterNo = false;
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        whenModal<QMessageBox>([](QMessageBox* q) { q->button(QMessageBox::No)->click(); });
        confirm(dialog, "alt.lsn");
        stillOpenAfterNo = dialog->isVisible();
        whenModal<QMessageBox>([](QMessageBox* q) { q->button(QMessageBox::Yes)->click(); });
        confirm(dialog, "alt.lsn");
    });
    EXPECT_EQ(platform.saveFileName(nullptr, lessonSpec(dir)),
              QString::fromStdString(dir.file("alt.lsn")));
    EXPECT_TRUE(stillOpenAfterNo);
}

// A valid, silent 8-bit mono wave file.
void writeWave(const std::string& path)
{
    const unsigned char wave[] = {'R',  'I',  'F', 'F', 40,   0,    0, 0, 'W', 'A', 'V', 'E',
                                  'f',  'm',  't', ' ', 16,   0,    0, 0, 1,   0,   1,   0,
                                  0x40, 0x1F, 0,   0,   0x40, 0x1F, 0, 0, 1,   0,   8,   0,
                                  'd',  'a',  't', 'a', 4,    0,    0, 0, 128, 128, 128, 128};
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(wave), sizeof wave);
}

TEST(QtPlatformSound, FindsTheFileCaseBlindAndStartsSoundOnlyForOne)
{
    TempDir dir;
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.path().string()));
    writeWave(dir.file("OK1.WAV"));
    writeWave(dir.file("no2.wav"));
    const QUrl ok1 = QUrl::fromLocalFile(QString::fromStdString(dir.file("OK1.WAV")));
    const QUrl no2 = QUrl::fromLocalFile(QString::fromStdString(dir.file("no2.wav")));
    QtPlatform platform({}, QStringLiteral(KAZ_SOUND_MODULE));
    platform.playSound("OK3.WAV");
    EXPECT_EQ(platform.soundPlayer(), nullptr) << "no sound system for a missing file";
    platform.playSound("OK1.WAV");
    ASSERT_NE(platform.soundPlayer(), nullptr);
    EXPECT_EQ(platform.soundPlayer()->source(), ok1);
    platform.playSound("NO2.WAV");
    EXPECT_EQ(platform.soundPlayer()->source(), no2);
    QDir::setCurrent(before);
}

// Which folder a cue comes from: the working folder, then the installed cues, exactly named or
// case-blind in each; no resource is linked here, so "none" is an empty URL.
TEST(QtPlatformSound, WorkingFolderThenInstalledFolder)
{
    enum class From { Work, Installed, None };
    struct Row {
        const char* name;
        const char* asked;
        const char* inWork;      // file written to the working folder, "" = none
        const char* inInstalled; // file written to the installed folder, "" = none
        From from;
        const char* file;
    };
    const Row rows[] = {
        {"working_folder_wins", "OK1.WAV", "OK1.WAV", "OK1.WAV", From::Work, "OK1.WAV"},
        {"case_blind_in_working_wins", "OK1.WAV", "ok1.wav", "OK1.WAV", From::Work, "ok1.wav"},
        {"installed_when_working_has_none", "NO2.WAV", "", "NO2.WAV", From::Installed, "NO2.WAV"},
        {"installed_case_blind", "NO3.WAV", "", "no3.wav", From::Installed, "no3.wav"},
        {"a_path_names_one_place", "sub/OK2.WAV", "", "OK2.WAV", From::None, ""},
        {"nowhere", "OK3.WAV", "OK1.WAV", "OK1.WAV", From::None, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir work;
        TempDir installed;
        const QString before = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(work.path().string()));
        if (*row.inWork != '\0') writeWave(work.file(row.inWork));
        if (*row.inInstalled != '\0') writeWave(installed.file(row.inInstalled));
        const QUrl got = QtPlatform::soundSource(QString::fromLatin1(row.asked),
                                                 QString::fromStdString(installed.path().string()));
        QDir::setCurrent(before);
        switch (row.from) {
        case From::Work:
            EXPECT_EQ(got, QUrl::fromLocalFile(QString::fromStdString(work.file(row.file))));
            break;
        case From::Installed:
            EXPECT_EQ(got, QUrl::fromLocalFile(QString::fromStdString(installed.file(row.file))));
            break;
        case From::None:
            EXPECT_TRUE(got.isEmpty()) << got.toString().toStdString();
            break;
        }
    }
}

TEST(QtPlatformSound, WithoutTheModuleStaysSilent)
{
    TempDir dir;
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.path().string()));
    writeWave(dir.file("OK1.WAV"));
    QtPlatform platform({}, QString::fromStdString(dir.file("no-such-module.so")));
    platform.playSound("OK1.WAV");
    platform.playSound("OK1.WAV");
    EXPECT_EQ(platform.soundPlayer(), nullptr);
    QDir::setCurrent(before);
}

// A module is loaded only from a regular file: a FIFO in its place (which a plain open waits
// on for a writer) is refused at once, as are a folder, a missing file and a file that is no
// library.
enum class ModuleFile { Fifo, Folder, Missing, NotALibrary, Library };

struct ModuleCase {
    const char* name;
    ModuleFile file;
    bool resolves;
};

class QtPlatformModule : public ::testing::TestWithParam<ModuleCase> {};

TEST_P(QtPlatformModule, LoadsOnlyARegularLibrary)
{
    TempDir dir;
    std::string path = dir.file("libkaz-probe.so");
    const char* symbol = "qVersion";
    std::unique_ptr<FifoGuard> fifo;
    switch (GetParam().file) {
    case ModuleFile::Fifo:
        fifo = std::make_unique<FifoGuard>(path);
        ASSERT_TRUE(fifo->made());
        break;
    case ModuleFile::Folder:
        std::filesystem::create_directory(path);
        break;
    case ModuleFile::Missing:
        break;
    case ModuleFile::NotALibrary:
        std::ofstream(path) << "qVersion\n";
        break;
    case ModuleFile::Library: {
        Dl_info info{};
        ASSERT_NE(dladdr(reinterpret_cast<void*>(&qVersion), &info), 0);
        path = info.dli_fname; // Qt's core library, a regular shared library
        break;
    }
    }
    QFunctionPointer function = nullptr;
    const auto load = [&] {
        function = QtPlatform::libraryFunction(QString::fromStdString(path), symbol);
    };
    if (fifo)
        EXPECT_TRUE(fifo->readsWithoutWaiting(load)) << "waited on the FIFO";
    else
        load();
    EXPECT_EQ(function != nullptr, GetParam().resolves);
}

INSTANTIATE_TEST_SUITE_P(Files, QtPlatformModule,
                         ::testing::Values(ModuleCase{"fifo", ModuleFile::Fifo, false},
                                           ModuleCase{"folder", ModuleFile::Folder, false},
                                           ModuleCase{"missing", ModuleFile::Missing, false},
                                           ModuleCase{"not_a_library", ModuleFile::NotALibrary,
                                                      false},
                                           ModuleCase{"library", ModuleFile::Library, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(QtPlatformSound, AFifoInTheModulesPlaceStaysSilent)
{
    TempDir dir;
    FifoGuard fifo(dir.file("libkaz-sound.so"));
    ASSERT_TRUE(fifo.made());
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.path().string()));
    writeWave(dir.file("OK1.WAV"));
    QtPlatform platform({}, QString::fromStdString(fifo.path()));
    EXPECT_TRUE(fifo.readsWithoutWaiting([&] { platform.playSound("OK1.WAV"); }));
    EXPECT_EQ(platform.soundPlayer(), nullptr);
    QDir::setCurrent(before);
}

TEST(QtPlatformHelp, StartsTheViewerWithTheCommandsArguments)
{
    TempDir dir;
    const std::string viewer = dir.file("kaz-help");
    const QString record = QString::fromStdString(dir.file("args"));
    std::ofstream(viewer) << "#!/bin/sh\nprintf '%s|' \"$@\" > '" << dir.file("part") << "'\nmv '"
                          << dir.file("part") << "' '" << dir.file("args") << "'\n";
    QFile::setPermissions(QString::fromStdString(viewer), QFile::ReadOwner | QFile::ExeOwner);
    QtPlatform platform(QString::fromStdString(viewer));
    const auto recorded = [&] {
        QFile f(record);
        if (!QTest::qWaitFor([&] { return f.exists(); }, 10000) || !f.open(QIODevice::ReadOnly))
            return QString();
        const QString args = QString::fromUtf8(f.readAll());
        f.remove();
        return args;
    };
    platform.winHelp("DODADIZE.HLP", Platform::HelpCommand::ForceFile, 0);
    EXPECT_EQ(recorded(), QStringLiteral("--force-file|DODADIZE.HLP|"));
    platform.winHelp("DODADIZE.HLP", Platform::HelpCommand::ForceFileBeside, 0);
    EXPECT_EQ(recorded(), QStringLiteral("--beside|DODADIZE.HLP|"));
    platform.winHelp("DODADIZE.HLP", Platform::HelpCommand::Context, 259);
    EXPECT_EQ(recorded(), QStringLiteral("--context|259|DODADIZE.HLP|"));
}

} // namespace
