#include "qt_platform.h"
#include "translations.h"

#include "temp_dir.h"

#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSoundEffect>
#include <QTest>
#include <QTimer>
#include <QTranslator>

namespace {

using Buttons = Platform::Buttons;
using Icon = Platform::Icon;

constexpr int kPollIntervalMs = 10;
constexpr int kPollAttempts = 500;

// Calls drive(dialog) once a modal dialog of type T is the active modal widget. Used right
// before the call that runs the dialog's own event loop. If none appears, every modal
// widget is closed so the test fails instead of hanging.
template <typename T>
void whenModal(std::function<void(T*)> drive)
{
    auto attempt = std::make_shared<std::function<void(int)>>();
    *attempt = [drive, attempt](int left) {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog->isVisible()) {
            drive(dialog);
            return;
        }
        if (left == 0) {
            ADD_FAILURE() << "no modal dialog of the expected kind appeared";
            while (QWidget* modal = QApplication::activeModalWidget())
                modal->hide();
            return;
        }
        QTimer::singleShot(kPollIntervalMs, [attempt, left] { (*attempt)(left - 1); });
    };
    QTimer::singleShot(0, [attempt] { (*attempt)(kPollAttempts); });
}

QString plain(QString buttonText)
{
    return buttonText.remove(QLatin1Char('&'));
}

// --- message boxes ---------------------------------------------------------------------

enum class Act { Enter, Escape, CloseBox, ClickNo };

struct BoxRow {
    const char* name;
    Buttons buttons;
    Act act;
    bool staysOpen; // the act must leave the box open; "No" is clicked afterwards
    int expected;
};

void perform(QMessageBox* box, Act act)
{
    switch (act) {
    case Act::Enter: QTest::keyClick(box, Qt::Key_Return); break;
    case Act::Escape: QTest::keyClick(box, Qt::Key_Escape); break;
    case Act::CloseBox: box->close(); break;
    case Act::ClickNo: box->button(QMessageBox::No)->click(); break;
    }
}

class MessageBoxAnswers : public ::testing::TestWithParam<BoxRow> {};

TEST_P(MessageBoxAnswers, ReturnTheOldSystemsValues)
{
    const BoxRow& row = GetParam();
    QtPlatform platform;
    bool openAfterAct = false;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        perform(box, row.act);
        openAfterAct = box->isVisible();
        if (openAfterAct)
            perform(box, Act::ClickNo);
    });
    EXPECT_EQ(platform.messageBox(nullptr, QStringLiteral("Text"), QStringLiteral("Titel"),
                                  row.buttons, Icon::Exclamation),
              row.expected);
    EXPECT_EQ(openAfterAct, row.staysOpen);
}

INSTANTIATE_TEST_SUITE_P(Table, MessageBoxAnswers,
    ::testing::Values(
        BoxRow{"ok_enter", Buttons::Ok, Act::Enter, false, Platform::IdOk},
        BoxRow{"ok_escape", Buttons::Ok, Act::Escape, false, Platform::IdOk},
        BoxRow{"ok_close_box", Buttons::Ok, Act::CloseBox, false, Platform::IdOk},
        BoxRow{"yes_no_cancel_enter_takes_yes", Buttons::YesNoCancel, Act::Enter, false,
               Platform::IdYes},
        BoxRow{"yes_no_cancel_escape", Buttons::YesNoCancel, Act::Escape, false,
               Platform::IdCancel},
        BoxRow{"yes_no_cancel_close_box", Buttons::YesNoCancel, Act::CloseBox, false,
               Platform::IdCancel},
        BoxRow{"yes_no_cancel_no", Buttons::YesNoCancel, Act::ClickNo, false, Platform::IdNo},
        BoxRow{"yes_no_enter_takes_yes", Buttons::YesNo, Act::Enter, false, Platform::IdYes},
        BoxRow{"yes_no_no", Buttons::YesNo, Act::ClickNo, false, Platform::IdNo},
        BoxRow{"yes_no_escape_does_nothing", Buttons::YesNo, Act::Escape, true, Platform::IdNo},
        BoxRow{"yes_no_close_box_does_nothing", Buttons::YesNo, Act::CloseBox, true,
               Platform::IdNo}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QtPlatformMessageBox, IsModalOwnedAndShowsItsTextLiterally)
{
    QtPlatform platform;
    QWidget owner;
    owner.show();
    const QString text = QStringLiteral("Datei /tmp/<b>A</b>.LSN nicht gefunden");
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString shownText, caption;
    Qt::TextFormat format = Qt::AutoText;
    bool modal = false;
    QWidget* parent = nullptr;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        icon = box->icon();
        shownText = box->text();
        format = box->textFormat();
        caption = box->windowTitle();
        modal = box->windowModality() != Qt::NonModal;
        parent = box->parentWidget();
        box->button(QMessageBox::Ok)->click();
    });
    platform.messageBox(&owner, text, QStringLiteral("Dateifehler"), Buttons::Ok,
                        Icon::Exclamation);
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(shownText, text);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(caption, QStringLiteral("Dateifehler"));
    EXPECT_TRUE(modal);
    EXPECT_EQ(parent, &owner);

    whenModal<QMessageBox>([&](QMessageBox* box) {
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    platform.messageBox(&owner, text, QStringLiteral("Übungsmodus"), Buttons::Ok,
                        Icon::Information);
    EXPECT_EQ(icon, QMessageBox::Information);
}

TEST(QtPlatformMessageBox, AnOwnerDestroyedWhileItRunsDoesNotGoAhead)
{
    QtPlatform platform;
    auto* owner = new QWidget;
    owner->show();
    whenModal<QMessageBox>([&](QMessageBox*) { delete owner; });
    EXPECT_EQ(platform.messageBox(owner, QStringLiteral("Übung abbrechen?"),
                                  QStringLiteral("ÜBUNG"), Buttons::YesNo, Icon::Exclamation),
              Platform::IdNo);
}

// Installs Qt's German texts for one test.
class GermanTexts {
public:
    GermanTexts() : translator_(loadQtGermanTranslation())
    {
        if (translator_)
            QApplication::installTranslator(translator_.get());
    }
    ~GermanTexts()
    {
        if (translator_)
            QApplication::removeTranslator(translator_.get());
    }
    bool loaded() const { return translator_ != nullptr; }

private:
    std::unique_ptr<QTranslator> translator_;
};

TEST(QtPlatformGerman, MessageBoxButtonsReadJaNeinAbbrechenOk)
{
    GermanTexts german;
    ASSERT_TRUE(german.loaded()) << "qtbase_de.qm missing (package qt6-translations-l10n)";
    QtPlatform platform;
    QStringList texts;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        for (auto which : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
            texts << plain(box->button(which)->text());
        box->button(QMessageBox::Cancel)->click();
    });
    platform.messageBox(nullptr, QStringLiteral("Soll diese Lektion gespeichert werden?"),
                        QStringLiteral("Aktuelle Lektion"), Buttons::YesNoCancel,
                        Icon::Exclamation);
    EXPECT_EQ(texts, (QStringList{"Ja", "Nein", "Abbrechen"}));

    QString ok;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        ok = plain(box->button(QMessageBox::Ok)->text());
        box->button(QMessageBox::Ok)->click();
    });
    platform.messageBox(nullptr, QStringLiteral("x"), QStringLiteral("y"), Buttons::Ok,
                        Icon::Exclamation);
    EXPECT_EQ(ok, QStringLiteral("OK"));
}

// --- file dialogs ----------------------------------------------------------------------

// What the dialog's Open or Save button does (QFileDialog::accept is protected).
void confirm(QFileDialog* dialog)
{
    static_cast<QDialog*>(dialog)->accept();
}

void touch(const std::string& path)
{
    std::ofstream(path) << "vtfile";
}

Platform::FileDialogSpec lessonSpec(const TempDir& dir)
{
    return {QStringLiteral("Lektion"), QString::fromStdString(dir.path().string()), QString(),
            QStringLiteral("Lektion (*.lsn)"), QStringLiteral("lsn")};
}

TEST(QtPlatformFileDialog, OpenIsQtsOwnDialogWithFilterAndSuffix)
{
    TempDir dir;
    QtPlatform platform;
    bool ownDialog = false;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptSave;
    QStringList filters;
    QString suffix, folder;
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        ownDialog = dialog->testOption(QFileDialog::DontUseNativeDialog);
        mode = dialog->acceptMode();
        filters = dialog->nameFilters();
        suffix = dialog->defaultSuffix();
        folder = dialog->directory().absolutePath();
        dialog->selectFile(QStringLiteral("vokabeln"));
        confirm(dialog);
    });
    const QString chosen = platform.openFileName(nullptr, lessonSpec(dir));
    EXPECT_TRUE(ownDialog);
    EXPECT_EQ(mode, QFileDialog::AcceptOpen);
    EXPECT_EQ(filters, QStringList{QStringLiteral("Lektion (*.lsn)")});
    EXPECT_EQ(suffix, QStringLiteral("lsn"));
    EXPECT_EQ(QDir(folder), QDir(QString::fromStdString(dir.path().string())));
    // A name that does not exist is handed back (with the suffix): the caller reports it.
    EXPECT_EQ(chosen, QString::fromStdString(dir.file("vokabeln.lsn")));
}

TEST(QtPlatformFileDialog, CancelGivesAnEmptyName)
{
    TempDir dir;
    touch(dir.file("a.lsn"));
    QtPlatform platform;
    whenModal<QFileDialog>([](QFileDialog* dialog) {
        dialog->selectFile(QStringLiteral("a.lsn"));
        dialog->reject();
    });
    EXPECT_TRUE(platform.openFileName(nullptr, lessonSpec(dir)).isEmpty());
}

TEST(QtPlatformFileDialog, SaveAsksBeforeOverwriting)
{
    TempDir dir;
    touch(dir.file("alt.lsn"));
    QtPlatform platform;
    bool asked = false;
    bool stillOpenAfterNo = false;
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        // The question comes up inside accept(); "No" keeps the file dialog open.
        whenModal<QMessageBox>([&](QMessageBox* question) {
            asked = true;
            question->button(QMessageBox::No)->click();
        });
        dialog->selectFile(QStringLiteral("alt.lsn"));
        confirm(dialog);
        stillOpenAfterNo = dialog->isVisible();
        whenModal<QMessageBox>([](QMessageBox* question) {
            question->button(QMessageBox::Yes)->click();
        });
        confirm(dialog);
    });
    const QString chosen = platform.saveFileName(nullptr, lessonSpec(dir));
    EXPECT_TRUE(asked);
    EXPECT_TRUE(stillOpenAfterNo);
    EXPECT_EQ(chosen, QString::fromStdString(dir.file("alt.lsn")));
}

TEST(QtPlatformFileDialog, SaveAddsTheSuffixAndSpeaksGerman)
{
    GermanTexts german;
    ASSERT_TRUE(german.loaded());
    TempDir dir;
    QtPlatform platform;
    QStringList buttonTexts;
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        for (QAbstractButton* b : dialog->findChild<QDialogButtonBox*>()->buttons())
            buttonTexts << plain(b->text());
        dialog->selectFile(QStringLiteral("neu"));
        confirm(dialog);
    });
    const QString chosen = platform.saveFileName(nullptr, lessonSpec(dir));
    EXPECT_EQ(chosen, QString::fromStdString(dir.file("neu.lsn")));
    EXPECT_TRUE(buttonTexts.contains(QStringLiteral("Speichern"))) << buttonTexts.join(',').toStdString();
    EXPECT_TRUE(buttonTexts.contains(QStringLiteral("Abbrechen")));
}

// --- sounds ----------------------------------------------------------------------------

// A valid, silent 8-bit mono wave file of a few samples.
void writeWave(const std::string& path)
{
    const unsigned char wave[] = {
        'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
        1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0,
        'd', 'a', 't', 'a', 4, 0, 0, 0, 128, 128, 128, 128};
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(wave), sizeof wave);
}

// Makes a temporary folder the working directory for one test.
class InTempWorkingDir {
public:
    InTempWorkingDir() : previous_(QDir::currentPath())
    {
        QDir::setCurrent(QString::fromStdString(dir_.path().string()));
    }
    ~InTempWorkingDir() { QDir::setCurrent(previous_); }
    QString file(const char* name) const { return QString::fromStdString(dir_.file(name)); }
    void wave(const char* name) const { writeWave(dir_.file(name)); }

private:
    TempDir dir_;
    QString previous_;
};

TEST(QtPlatformSound, FindsFilesInTheWorkingDirectoryIgnoringCase)
{
    InTempWorkingDir cwd;
    cwd.wave("OK1.WAV");
    cwd.wave("no2.wav");
    EXPECT_EQ(QtPlatform::soundSource(QStringLiteral("OK1.WAV")),
              QUrl::fromLocalFile(cwd.file("OK1.WAV")));
    EXPECT_EQ(QtPlatform::soundSource(QStringLiteral("NO2.WAV")),
              QUrl::fromLocalFile(cwd.file("no2.wav")));
    EXPECT_TRUE(QtPlatform::soundSource(QStringLiteral("OK3.WAV")).isEmpty());
    EXPECT_TRUE(QtPlatform::soundSource(QString()).isEmpty());
}

TEST(QtPlatformSound, StartsTheSoundSystemOnlyForASoundThatExists)
{
    InTempWorkingDir cwd;
    cwd.wave("OK1.WAV");
    cwd.wave("NO1.WAV");
    QtPlatform platform;
    EXPECT_EQ(platform.soundEffect(), nullptr);
    platform.playSound(QStringLiteral("NO3.WAV"));
    EXPECT_EQ(platform.soundEffect(), nullptr);

    platform.playSound(QStringLiteral("OK1.WAV"));
    ASSERT_NE(platform.soundEffect(), nullptr);
    EXPECT_EQ(platform.soundEffect()->source(), QUrl::fromLocalFile(cwd.file("OK1.WAV")));
    const QSoundEffect* effect = platform.soundEffect();
    platform.playSound(QStringLiteral("NO1.WAV"));
    EXPECT_EQ(platform.soundEffect(), effect) << "one effect serves every sound";
    EXPECT_EQ(platform.soundEffect()->source(), QUrl::fromLocalFile(cwd.file("NO1.WAV")));
}

// --- help viewer -----------------------------------------------------------------------

TEST(QtPlatformHelp, StartsTheViewerWithTheCommandsArguments)
{
    TempDir dir;
    const std::string viewer = dir.file("kaz-help");
    const std::string record = dir.file("args");
    {
        std::ofstream script(viewer);
        script << "#!/bin/sh\nprintf '%s|' \"$@\" > '" << record << ".part'\nmv '" << record
               << ".part' '" << record << "'\n";
    }
    QFile::setPermissions(QString::fromStdString(viewer),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QtPlatform platform(QString::fromStdString(viewer));
    const QString recordPath = QString::fromStdString(record);
    const auto recorded = [&] {
        QFile f(recordPath);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    };

    platform.winHelp(QStringLiteral("DODADIZE.HLP"), Platform::HelpCommand::ForceFile, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(recordPath); }, 10000));
    EXPECT_EQ(recorded(), QStringLiteral("--force-file|DODADIZE.HLP|"));
    QFile::remove(recordPath);

    platform.winHelp(QStringLiteral("DODADIZE.HLP"), Platform::HelpCommand::Context, 259);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(recordPath); }, 10000));
    EXPECT_EQ(recorded(), QStringLiteral("--context|259|DODADIZE.HLP|"));
}

} // namespace
