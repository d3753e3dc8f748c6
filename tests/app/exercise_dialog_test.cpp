// Whole exercises in the real dialog: typing answers, Enter, sounds, the flashing correction,
// repetition, abort, report, results log and its table.
#include "dialog_fixture.h"

#include "led_window.h"
#include "msg_win.h"
#include "results_log.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <filesystem>
#include <map>

namespace {

using namespace std::string_literals;

std::vector<MSGWin*> messageWindows()
{
    std::vector<MSGWin*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = dynamic_cast<MSGWin*>(w); m && m->isVisible()) out.push_back(m);
    return out;
}

class ExerciseDialog : public DialogTest {
protected:
    ~ExerciseDialog() override
    {
        for (MSGWin* m : messageWindows())
            delete m;
    }
    // Starts an exercise; the lesson is saved or not as `save` says if it asks.
    void start(int queryButton)
    {
        if (dia->unsaved()) platform.messageAnswers.push_back(Platform::IdNo);
        dia->command(queryButton);
    }
    void answer(const QString& text)
    {
        type(IdTerm2, text);
        key(IdTerm2, Qt::Key_Return);
    }
    // The right answer for the question shown, from the lesson's pairs.
    QString rightAnswer() const
    {
        const strWort* e = dia->document().chain().currentEntry;
        return fromCp1252(e->direction == 'D' ? e->term1 : e->term2);
    }
    ResultsLog log() const { return ResultsLog::load(dir.file("DODADIZE.KAZ")); }
};

TEST_F(ExerciseDialog, OneEntryRightAtOnce)
{
    addEntry("Haus", "house");
    start(IdNormalQuery);
    EXPECT_EQ(fieldText(IdTerm1), "Haus");
    answer("house");

    ASSERT_EQ(platform.messages.size(), 2u); // the save question, then the congratulation
    EXPECT_EQ(platform.messages[1].text, QStringLiteral("Glückwunsch! Alles richtig!"));
    EXPECT_EQ(platform.messages[1].caption, QStringLiteral("GLÜCKWUNSCH!"));
    ASSERT_EQ(messageWindows().size(), 1u);
    EXPECT_EQ(messageWindows()[0]->windowTitle(), QStringLiteral("Ergebnis: Note 1"));
    ASSERT_EQ(platform.sounds.size(), 1u);
    EXPECT_TRUE(QRegularExpression("^OK[123]\\.WAV$").match(platform.sounds[0]).hasMatch());
    EXPECT_EQ(platform.beeps, 0);

    const ResultsLog results = log();
    ASSERT_EQ(results.usedSlots(), 1u);
    const ResultRecord r = results.record(0);
    EXPECT_EQ(r.startTime, platform.now);
    EXPECT_EQ(r.duration, 0);
    EXPECT_EQ(r.lessonName, "<NEU>");
    EXPECT_EQ(r.grade, 1u);
    EXPECT_EQ(r.entryCount, 1u);
    EXPECT_EQ(r.wrongEntries, 0u);
    EXPECT_EQ(r.thresholds, (std::array<std::uint32_t, 5>{90, 80, 66, 50, 20}));
    EXPECT_EQ(readBytes(dir.file("DODADIZE.KAZ")).size(), 1360u);

    EXPECT_FALSE(dia->exercise().running());
    EXPECT_TRUE(visible(IdNewLesson));
    EXPECT_FALSE(field(IdTerm1)->isReadOnly());
    EXPECT_FALSE(dia->button(IdAnyOrder)->Locked());
}

TEST_F(ExerciseDialog, WrongThenRightTwice)
{
    addEntry("Haus", "house");
    start(IdNormalQuery);
    answer("mouse");
    EXPECT_EQ(status(), QStringLiteral("1 .   F E H L E R !"));
    EXPECT_EQ(platform.beeps, 1);
    ASSERT_EQ(platform.sounds.size(), 1u);
    EXPECT_TRUE(platform.sounds[0].startsWith("NO"));
    EXPECT_TRUE(dia->exerciseView().feedbackRunning());
    EXPECT_TRUE(field(IdTerm2)->isReadOnly());
    EXPECT_EQ(fieldText(IdTerm2), "house") << "the correct term is shown first";
    EXPECT_EQ(dia->exerciseView().answerColour(), QColor(0, 255, 0));

    key(IdTerm2, Qt::Key_Return); // leaves the wrong answer: the repetition asks it again
    EXPECT_FALSE(dia->exerciseView().feedbackRunning());
    EXPECT_FALSE(field(IdTerm2)->isReadOnly());
    EXPECT_EQ(dia->exerciseView().answerColour(), QColor(255, 0, 0));
    EXPECT_EQ(status(), QStringLiteral("ÜBUNG: 2. Aufgabe (Schwerpunkte)"));
    EXPECT_EQ(fieldText(IdTerm2), "");
    answer("house");
    EXPECT_TRUE(dia->exercise().running());
    answer("house");
    EXPECT_FALSE(dia->exercise().running());
    ASSERT_EQ(messageWindows().size(), 1u);
    EXPECT_EQ(messageWindows()[0]->windowTitle(), QStringLiteral("Ergebnis: Note 6"));
    EXPECT_EQ(platform.messages.size(), 1u) << "no congratulation after a repetition";
    EXPECT_EQ(log().record(0).wrongEntries, 1u);
}

TEST_F(ExerciseDialog, TwoEntriesFirstWrongIsAskedAgainTwice)
{
    addEntry("Haus", "house");
    addEntry("Baum", "tree");
    start(IdNormalQuery);
    const QString first = fieldText(IdTerm1);
    answer("falsch");
    key(IdTerm2, Qt::Key_Return);
    EXPECT_NE(fieldText(IdTerm1), first);
    EXPECT_EQ(status(), QStringLiteral("ÜBUNG: 2. Aufgabe (0 OK, 1 Fehler)"));
    answer(rightAnswer());
    EXPECT_EQ(fieldText(IdTerm1), first) << "the only due entry comes again at once";
    answer(rightAnswer());
    EXPECT_EQ(fieldText(IdTerm1), first);
    answer(rightAnswer());
    EXPECT_FALSE(dia->exercise().running());
    EXPECT_EQ(dia->exercise().asked(), 4u);
}

TEST_F(ExerciseDialog, StatusAfterOneRightAnswer)
{
    addEntry("Haus", "house");
    addEntry("Baum", "tree");
    start(IdNormalQuery);
    EXPECT_EQ(status(), QStringLiteral("ÜBUNG: 1. Aufgabe"));
    answer(rightAnswer());
    EXPECT_EQ(status(), QStringLiteral("ÜBUNG: 2. Aufgabe (1 OK, 0 Fehler)"));
}

TEST_F(ExerciseDialog, MixedModeAlternatesAcrossExercises)
{
    addEntry("eins", "one");
    addEntry("zwei", "two");
    addEntry("drei", "three");
    std::string marks;
    start(IdMixedQuery);
    while (dia->exercise().running()) {
        marks += dia->document().chain().currentEntry->direction;
        answer(rightAnswer());
    }
    EXPECT_EQ(marks, "EDE");
    start(IdMixedQuery);
    EXPECT_EQ(dia->document().chain().currentEntry->direction, 'D');
    EXPECT_EQ(fieldText(IdTerm1), fromCp1252(dia->document().chain().currentEntry->term2));
}

TEST_F(ExerciseDialog, FlashingAlternatesUntilOneEnterBringsTheNextQuestion)
{
    addEntry("Haus", "house");
    addEntry("Baum", "tree");
    start(IdNormalQuery);
    const QString expected = rightAnswer();
    answer("falsch");
    EXPECT_EQ(fieldText(IdTerm2), expected);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fieldText(IdTerm2) == "falsch"; }, 3000));
    EXPECT_EQ(dia->exerciseView().answerColour(), QColor(255, 0, 0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return fieldText(IdTerm2) == expected; }, 3000));

    key(IdTerm2, Qt::Key_Return);
    EXPECT_FALSE(dia->exerciseView().feedbackRunning());
    EXPECT_EQ(dia->exercise().asked(), 2u) << "one Enter stops the flashing and moves on";
    EXPECT_EQ(fieldText(IdTerm2), "");
}

// Closing the lesson while the correction flashes first stops it and lets the window show that
// for two seconds; without the flashing the lesson closes at once.
class ClosingDuringAnExercise : public ExerciseDialog,
                                public ::testing::WithParamInterface<bool> {};

TEST_P(ClosingDuringAnExercise, PausesOnlyAfterTheFlashing)
{
    const bool flashing = GetParam();
    addEntry("Haus", "house");
    addEntry("Baum", "tree");
    start(IdNormalQuery);
    if (flashing) answer("falsch");
    ASSERT_EQ(dia->exerciseView().feedbackRunning(), flashing);
    platform.messageAnswers.push_back(Platform::IdNo); // do not save
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(dia->closeLesson());
    const qint64 ms = clock.elapsed();
    EXPECT_FALSE(dia->exerciseView().feedbackRunning());
    if (flashing)
        EXPECT_GE(ms, 2000);
    else
        EXPECT_LT(ms, 2000);
}

INSTANTIATE_TEST_SUITE_P(Cases, ClosingDuringAnExercise, ::testing::Values(true, false),
                         [](const auto& info) {
                             return std::string(info.param ? "flashing" : "answering");
                         });

TEST_F(ExerciseDialog, EmptyAnswerChangesNothing)
{
    addEntry("Haus", "house");
    start(IdNormalQuery);
    const QString before = status();
    key(IdTerm2, Qt::Key_Return);
    type(IdTerm2, "   ");
    key(IdTerm2, Qt::Key_Return);
    EXPECT_EQ(status(), before);
    EXPECT_TRUE(platform.sounds.empty());
    EXPECT_EQ(dia->exercise().asked(), 1u);
    EXPECT_TRUE(dia->exercise().running());
}

TEST_F(ExerciseDialog, OptionsCannotBeSwitchedDuringAnExercise)
{
    addEntry("Haus", "house");
    start(IdNormalQuery);
    const std::size_t before = platform.messages.size();
    QTest::mouseClick(dia->button(IdIgnoreCase), Qt::LeftButton);
    ASSERT_EQ(platform.messages.size(), before + 1);
    EXPECT_EQ(platform.messages.back().text,
              QStringLiteral("Umschalten im Übungsmodus nicht zulässig!"));
    EXPECT_EQ(platform.messages.back().caption, QStringLiteral("Übungsmodus"));
    EXPECT_EQ(platform.messages.back().icon, Platform::Icon::Information);
    EXPECT_FALSE(dia->button(IdIgnoreCase)->On());
}

TEST_F(ExerciseDialog, IgnoreCaseOptionAcceptsAndBlinks)
{
    addEntry("Haus", "house");
    QTest::mouseClick(dia->button(IdIgnoreCase), Qt::LeftButton);
    ASSERT_TRUE(dia->button(IdIgnoreCase)->On());
    start(IdNormalQuery);
    answer("HOUSE");
    EXPECT_FALSE(dia->exercise().running()) << "accepted thanks to the option";
    EXPECT_EQ(log().record(0).wrongEntries, 0u);
    EXPECT_TRUE(log().record(0).options.ignoreCase);
}

// The option that made (or would have made) the difference blinks, and no other.
TEST_F(ExerciseDialog, TheOptionThatMadeTheDifferenceBlinks)
{
    struct Case {
        const char* name;
        int option;
        bool switchedOn;
        const char* expected;
        const char* typed;
    };
    const Case cases[] = {
        {"case", IdIgnoreCase, false, "house", "HOUSE"},
        {"punctuation", IdIgnorePunctuation, false, "z.B.", "z B"},
        {"order", IdAnyOrder, true, "rot, blau", "rot"},
    };
    for (const Case& c : cases) {
        if (c.switchedOn) QTest::mouseClick(dia->button(c.option), Qt::LeftButton);
        addEntry("Haus", c.expected);
        start(IdNormalQuery);
        answer(QString::fromLatin1(c.typed));
        for (int id : {IdIgnoreCase, IdIgnorePunctuation, IdAnyOrder})
            EXPECT_EQ(dia->button(id)->IsBlinking(), id == c.option) << c.name << " " << id;
        dia->exercise().endExercise(false);
        platform.messageAnswers.push_back(Platform::IdNo);
        dia->closeLesson();
        if (c.switchedOn) QTest::mouseClick(dia->button(c.option), Qt::LeftButton);
    }
}

TEST_F(ExerciseDialog, AbortAsksAndLeavesNoReportOrRecord)
{
    addEntry("Haus", "house");
    addEntry("Baum", "tree");
    start(IdNormalQuery);
    platform.messageAnswers.push_back(Platform::IdNo);
    dia->command(IdAbort);
    EXPECT_EQ(platform.messages.back().text, QStringLiteral("Übung abbrechen?"));
    EXPECT_EQ(platform.messages.back().caption, QStringLiteral("ÜBUNG"));
    EXPECT_TRUE(dia->exercise().running());

    platform.messageAnswers.push_back(Platform::IdYes);
    dia->command(IdAbort);
    EXPECT_FALSE(dia->exercise().running());
    EXPECT_TRUE(messageWindows().empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file("DODADIZE.KAZ")));
    EXPECT_TRUE(listBox(dia, IdList1)->isVisible());
    EXPECT_TRUE(dia->exerciseView().clock()->IsClock());
}

TEST_F(ExerciseDialog, AResultThatCannotBeStoredIsReportedInRed)
{
    std::filesystem::create_directory(dir.file("DODADIZE.KAZ")); // no file can take its name
    addEntry("Haus", "house");
    start(IdNormalQuery);
    answer("house");
    std::map<QString, MSGWin*> shown;
    for (MSGWin* m : messageWindows())
        shown[m->windowTitle()] = m;
    ASSERT_EQ(shown.size(), 2u);
    ASSERT_TRUE(shown.count(QStringLiteral("Ergebnis: Note 1"))) << "the report is unchanged";
    MSGWin* failure = shown[QStringLiteral("Ergebnis nicht gespeichert")];
    ASSERT_NE(failure, nullptr);
    EXPECT_EQ(failure->lines(),
              (QStringList{QStringLiteral("Das Ergebnis konnte nicht in DODADIZE.KAZ gespeichert "
                                          "werden:"),
                           QStringLiteral("Der Name gehört keiner gewöhnlichen Datei.")}));
    EXPECT_EQ(failure->textColor(), QColor(Qt::red));
    EXPECT_EQ(failure->remainingSeconds(), 0) << "it stays until closed";
}

TEST_F(ExerciseDialog, ResultsLogButtonShowsTheTableOrTheNotice)
{
    dia->command(IdResultsLog);
    ASSERT_EQ(messageWindows().size(), 1u);
    MSGWin* notice = messageWindows()[0];
    EXPECT_EQ(notice->lines(), QStringList{QStringLiteral("Kein aktuelles Ergebnis verfügbar!")});
    notice->tick();
    EXPECT_EQ(notice->windowTitle(), QStringLiteral("Timeout:1"));
    notice->tick();
    EXPECT_TRUE(QTest::qWaitFor([] { return messageWindows().empty(); }, 1000))
        << "the notice closes itself after two seconds";

    addEntry("Haus", "house");
    for (int i = 0; i < 3; ++i) {
        start(IdNormalQuery);
        answer(i == 1 ? QStringLiteral("falsch") : QStringLiteral("house"));
        while (dia->exercise().running())
            answer("house");
        for (MSGWin* m : messageWindows())
            delete m;
        platform.now += 3600;
    }
    dia->command(IdResultsLog);
    ASSERT_EQ(messageWindows().size(), 1u);
    const QStringList lines = messageWindows()[0]->lines();
    const QStringList rows = lines.filter(QStringLiteral("<NEU>"));
    ASSERT_EQ(rows.size(), 3);
    // Oldest first; the second exercise had an error in the first pass.
    EXPECT_NE(rows[0], rows[1]);
    EXPECT_EQ(messageWindows()[0]->remainingSeconds(), 0) << "the table stays until closed";
}

TEST_F(ExerciseDialog, SavingOnTheWayOutKeepsTheTermsNotTheTypedAnswer)
{
    addEntry("Haus", "house");
    start(IdNormalQuery);
    type(IdTerm2, "Maus");
    const std::string path = dir.file("aus.lsn");
    platform.messageAnswers.push_back(Platform::IdYes); // save before closing
    platform.saveAnswers.push_back(QString::fromStdString(path));
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(readBytes(path), "vtfile\0Haus\0house\0"s);
    for (const auto& m : platform.messages)
        EXPECT_NE(m.caption, QStringLiteral("Ändern?"));
}

TEST_F(ExerciseDialog, ClockCountsTheExerciseAndTellsTimeAgain)
{
    addEntry("Haus", "house");
    start(IdNormalQuery);
    platform.now += 65;
    dia->exerciseView().clock()->Tick();
    // Elapsed 00:01:05 on 8 digits, rightmost first: 5 0 : 1 0 : 0 0
    EXPECT_EQ(dia->exerciseView().clock()->ShownFace(0), 5);
    EXPECT_EQ(dia->exerciseView().clock()->ShownFace(1), 0);
    EXPECT_EQ(dia->exerciseView().clock()->ShownFace(3), 1);
    answer("house");
    platform.now = 1733493900 + 3 * 3600 + 7 * 60; // 17:12:00 UTC
    dia->exerciseView().clock()->Tick();
    EXPECT_EQ(dia->exerciseView().clock()->ShownFace(7), 1);
    EXPECT_EQ(dia->exerciseView().clock()->ShownFace(6), 7);
}

} // namespace
