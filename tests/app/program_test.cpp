// The program from start to exit: help calls, the settings file, a lesson named on the
// command line.
#include "dialog_fixture.h"

#include <QTimer>

namespace {

using namespace std::string_literals;

// Runs the program; `whileRunning` acts on the running main window, then closes it.
class ProgramTest : public ::testing::Test {
protected:
    ProgramTest() : previous_(QDir::currentPath())
    {
        QDir::setCurrent(QString::fromStdString(dir.path().string()));
    }
    ~ProgramTest() override
    {
        EXPECT_EQ(platform.unusedAnswers(), 0u) << "answers queued for questions never asked";
        QDir::setCurrent(previous_);
    }

    // args are the command-line arguments' bytes, as main() passes them on.
    int run(const std::vector<std::string>& args,
            const std::function<void(MainFrame*)>& whileRunning)
    {
        QTimer::singleShot(0, [&] {
            MainFrame* frame = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* f = qobject_cast<MainFrame*>(w)) frame = f;
            EXPECT_NE(frame, nullptr);
            if (frame == nullptr) {
                QApplication::exit(1);
                return;
            }
            // A lesson argument is read once the window is up.
            if (!args.empty())
                (void)QTest::qWaitFor(
                    [&] { return frame->dialog()->document().chain().entryCount() > 0; }, 2000);
            whileRunning(frame);
            frame->close();
        });
        return runProgram(config, args);
    }

    TempDir dir;
    FakePlatform platform;
    Config config{dir.file("DODADIZE.CFG")};

private:
    QString previous_;
};

TEST_F(ProgramTest, OpensTheHelpFileAtStartAndTwiceAtExit)
{
    bool openedWhileRunning = false;
    EXPECT_EQ(run({},
                  [&](MainFrame*) {
                      openedWhileRunning =
                          QTest::qWaitFor([&] { return platform.helpCalls.size() == 1u; }, 2000);
                  }),
              0);
    EXPECT_TRUE(openedWhileRunning);
    ASSERT_EQ(platform.helpCalls.size(), 3u);
    // The viewer's start would compete with the window's first frame: it comes after it.
    EXPECT_TRUE(platform.helpCalls[0].windowExposed);
    for (const auto& call : platform.helpCalls)
        EXPECT_EQ(call.file, "DODADIZE.HLP");
    EXPECT_EQ(platform.helpCalls[0].command, Platform::HelpCommand::ForceFileBeside);
    EXPECT_EQ(platform.helpCalls[1].command, Platform::HelpCommand::ForceFile);
    EXPECT_EQ(platform.helpCalls[2].command, Platform::HelpCommand::Context);
    EXPECT_EQ(platform.helpCalls[2].data, 259u);
}

// The help viewer's window would come up over a question of the start: it waits for the answer.
TEST_F(ProgramTest, HelpOpensAfterTheRecoveryQuestion)
{
    std::ofstream(dir.file("DODADIZE.RCV"), std::ios::binary) << "vtfile\0Haus\0house\0"s;
    std::size_t helpCallsWhileAsked = 0;
    platform.whileAsking = [&] {
        platform.whileAsking = nullptr;
        // Far longer than the viewer's delay after the first frame, as a person takes.
        (void)QTest::qWaitFor([&] { return !platform.helpCalls.empty(); }, 20 * kHelpViewerDelayMs);
        helpCallsWhileAsked = platform.helpCalls.size();
    };
    platform.messageAnswers.push_back(Platform::IdNo);
    run({}, [&](MainFrame*) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return platform.helpCalls.size() == 1u; }, 2000));
    });
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_TRUE(platform.messages[0].text.startsWith("Ungesicherte Lektion vom "));
    EXPECT_EQ(helpCallsWhileAsked, 0u);
}

TEST_F(ProgramTest, WindowGetsItsIconOnceShown)
{
    bool hadIcon = false;
    run({}, [&](MainFrame* frame) {
        hadIcon = QTest::qWaitFor([&] { return !frame->windowIcon().isNull(); }, 2000);
    });
    EXPECT_TRUE(hadIcon);
}

TEST_F(ProgramTest, LessonOnTheCommandLineIsLoadedAsFromTheOpenDialog)
{
    const std::string path = dir.file("englisch.lsn");
    std::ofstream(path, std::ios::binary) << "vtfile\0Haus\0house\0Baum\0tree\0"s;
    QString title;
    std::uint32_t entries = 0;
    run({path}, [&](MainFrame* frame) {
        title = frame->windowTitle();
        entries = frame->dialog()->document().chain().entryCount();
    });
    EXPECT_EQ(entries, 2u);
    EXPECT_EQ(title, " KAZ-TRAINER 1.0   Lektion: " + QString::fromStdString(path).toUpper());
    EXPECT_TRUE(platform.openDialogs.empty());
}

TEST_F(ProgramTest, MissingLessonOnTheCommandLineIsReportedLikeFromTheDialog)
{
    const std::string path = dir.file("fehlt.lsn");
    run({path}, [&](MainFrame*) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !platform.messages.empty(); }, 1000));
    });
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "Datei " + QString::fromStdString(path).toUpper() + " nicht gefunden");
}

// Names from old systems are Windows-1252 bytes, which are not UTF-8: the file is opened under
// its bytes as given, and its name shows with the letter those bytes meant.
TEST_F(ProgramTest, LessonNamedInBytesThatAreNotUtf8IsLoadedAndNamed)
{
    const std::string folder = dir.file("\xC4ltere");
    std::filesystem::create_directory(folder);
    const std::string path = folder + "/Franz\xF6sisch.lsn";
    std::ofstream(path, std::ios::binary) << "vtfile\0Haus\0maison\0"s;
    QString title;
    std::uint32_t entries = 0;
    run({path}, [&](MainFrame* frame) {
        title = frame->windowTitle();
        entries = frame->dialog()->document().chain().entryCount();
    });
    EXPECT_EQ(entries, 1u);
    EXPECT_TRUE(platform.messages.empty());
    const QString shown = QString::fromStdString(dir.path().string()).toUpper() +
                          QStringLiteral("/\u00C4LTERE/FRANZ\u00F6SISCH.LSN");
    EXPECT_EQ(title, " KAZ-TRAINER 1.0   Lektion: " + shown);
}

TEST_F(ProgramTest, TableOnTheCommandLineIsImportedAsFromTheOpenDialog)
{
    const std::string path = dir.file("liste.CSV");
    std::ofstream(path, std::ios::binary) << "Haus;house\r\nBaum;tree\r\n";
    QString title;
    std::uint32_t entries = 0;
    bool unsaved = false;
    run({path}, [&](MainFrame* frame) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !platform.messages.empty(); }, 2000));
        title = frame->windowTitle();
        entries = frame->dialog()->document().chain().entryCount();
        unsaved = frame->dialog()->unsaved();
        platform.messageAnswers.push_back(Platform::IdNo); // closing: do not save
    });
    EXPECT_EQ(entries, 2u);
    EXPECT_TRUE(unsaved);
    EXPECT_EQ(title, " KAZ-TRAINER 1.0   Lektion: NEU");
    ASSERT_GE(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "2 Zeilen übernommen.");
    EXPECT_TRUE(platform.openDialogs.empty());
}

} // namespace
