// The main window: start-up state, title and status line, paging, visibility, colours,
// tooltips and closing.
#include "dialog_fixture.h"

#include "led_line.h"
#include "led_window.h"
#include "tool_tips.h"

#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>

namespace {

using namespace std::string_literals;

const QString kCaption = QStringLiteral(" KAZ-TRAINER 1.0   ");

TEST_F(DialogTest, StartsAsAnEmptyNewLessonCentredOnTheScreen)
{
    EXPECT_EQ(frame->windowTitle(), kCaption + "Lektion: NEU");
    EXPECT_EQ(status(), QStringLiteral("Lektion enthält keine Aufgaben"));
    EXPECT_EQ(dia->size(), QSize(636, 383));
    EXPECT_EQ(frame->size(), QSize(636, 383));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(frame->pos(), QPoint((screen.width() - 636) / 2, (screen.height() - 383) / 2));
    EXPECT_EQ(listColumn(0), QStringList{" < NEU >"});
    EXPECT_EQ(selectedRow(IdList1), 0);
    EXPECT_TRUE(entryLine(dia)->IsRunning());
    EXPECT_TRUE(dia->exerciseView().clock()->IsClock());
    EXPECT_FALSE(dia->exerciseView().gradeDigit()->isVisible());
    EXPECT_FALSE(dia->exerciseView().answerLine()->isVisible());
}

// The lists' fixed font: the smallest pixel size whose advance comes nearest 8 px, as a search
// of every size from 10 to 16 px finds it.
TEST_F(DialogTest, ListFontIsTheFixedFontNearestEightPixelsAdvance)
{
    QFont font = listBox(dia, IdList1)->font();
    int best = 0, bestError = 1000;
    for (int px = 10; px <= 16; ++px) {
        font.setPixelSize(px);
        const int error = std::abs(QFontMetrics(font).horizontalAdvance(QLatin1Char('M')) - 8);
        if (error < bestError) {
            best = px;
            bestError = error;
        }
    }
    EXPECT_EQ(listBox(dia, IdList1)->font().pixelSize(), best);
    EXPECT_EQ(listBox(dia, IdList2)->font().pixelSize(), best);
    EXPECT_TRUE(QFontInfo(font).fixedPitch());
}

TEST_F(DialogTest, ThresholdFieldsAndOptionsStartFromTheSettingsFile)
{
    frame.reset();
    config->anyOrder = 1;
    config->ignoreCase = 0;
    config->ignorePunctuation = 5;
    config->thresholds = {95, 85, 70, 55, 25};
    makeWindow();
    EXPECT_TRUE(dia->button(IdAnyOrder)->On());
    EXPECT_TRUE(dia->button(IdIgnorePunctuation)->On());
    EXPECT_FALSE(dia->button(IdIgnoreCase)->On());
    QStringList shown;
    for (int i = 0; i < 5; ++i)
        shown << thresholdField(dia, i)->text();
    EXPECT_EQ(shown, (QStringList{"95", "85", "70", "55", "25"}));
    // An untouched button keeps the byte it was given.
    dia->applyEdit();
    EXPECT_EQ(config->ignorePunctuation, 5);
}

// Which of the three buttons at the top left shows, and the status line, per state.
TEST_F(DialogTest, TopLeftButtonAndStatusFollowTheLesson)
{
    auto topLeft = [this] {
        return QString("%1%2%3").arg(visible(IdLoad) ? "load " : "",
                                     visible(IdNewLesson) ? "new " : "",
                                     visible(IdAbort) ? "abort" : "");
    };
    EXPECT_EQ(topLeft(), "load ");
    EXPECT_FALSE(visible(IdNormalQuery));

    addEntry("Haus", "house");
    EXPECT_EQ(topLeft(), "new ");
    EXPECT_EQ(status(), QStringLiteral("Lektion enthält 1 Aufgaben (ungesichert)"));
    EXPECT_TRUE(visible(IdNormalQuery) && visible(IdReversedQuery) && visible(IdMixedQuery));
    EXPECT_TRUE(visible(IdSave));
    EXPECT_TRUE(dia->button(IdSave)->IsBlinking());
    EXPECT_EQ(dia->button(IdSave)->BlinkPeriod(), 800);

    platform.messageAnswers.push_back(Platform::IdNo); // do not save first
    dia->command(IdNormalQuery);
    EXPECT_TRUE(platform.saveDialogs.empty());
    EXPECT_EQ(topLeft(), "abort");
    EXPECT_FALSE(listBox(dia, IdList1)->isVisible());
    EXPECT_TRUE(dia->exerciseView().gradeDigit()->isVisible());
    EXPECT_TRUE(dia->exerciseView().answerLine()->isVisible());
    EXPECT_FALSE(visible(IdSave));
    EXPECT_FALSE(dia->button(IdSave)->IsBlinking());
    EXPECT_EQ(status(), QStringLiteral("ÜBUNG: 1. Aufgabe"));
}

TEST_F(DialogTest, DeletingTheLastEntryOfALoadedLessonLeavesTheLoadButton)
{
    load(writeLesson("one.lsn", "vtfile\0Haus\0house\0"s));
    dia->command(IdPageForward);
    clear(IdTerm2);
    platform.messageAnswers.push_back(Platform::IdYes);
    key(IdTerm2, Qt::Key_Return);
    EXPECT_TRUE(dia->document().chain().empty());
    // Deleting the only entry clears `unsaved`: nothing is left to lose.
    EXPECT_EQ(status(), QStringLiteral("Lektion enthält keine Aufgaben"));
    EXPECT_TRUE(visible(IdLoad));
    EXPECT_FALSE(visible(IdNewLesson));
    EXPECT_TRUE(entryLine(dia)->IsRunning());
}

struct PageCase {
    const char* name;
    int entries;
    std::vector<Qt::Key> keys;
    const char* shownFirstTerm; // "" = the new, empty entry
    friend std::ostream& operator<<(std::ostream& os, const PageCase& c) { return os << c.name; }
};

class Paging : public DialogTest, public ::testing::WithParamInterface<PageCase> {};

TEST_P(Paging, CyclesThroughTheNewEntryPosition)
{
    const PageCase& c = GetParam();
    for (int i = 0; i < c.entries; ++i)
        addEntry(QString("w%1").arg(i), QString("t%1").arg(i));
    for (Qt::Key k : c.keys)
        key(IdTerm1, k);
    EXPECT_EQ(fieldText(IdTerm1), QString::fromLatin1(c.shownFirstTerm));
    if (*c.shownFirstTerm == '\0') {
        EXPECT_EQ(dia->document().chain().currentEntry, nullptr);
        EXPECT_EQ(selectedRow(IdList1), 0);
        EXPECT_EQ(selectedRow(IdList2), 0);
    } else {
        EXPECT_EQ(fieldText(IdTerm2), QString(c.shownFirstTerm).replace('w', 't'));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Paging,
    ::testing::Values(
        PageCase{"empty_forward", 0, {Qt::Key_Down, Qt::Key_Down}, ""},
        PageCase{"empty_back", 0, {Qt::Key_Up}, ""},
        PageCase{"forward_to_first", 3, {Qt::Key_Down}, "w0"},
        PageCase{
            "forward_past_last", 3, {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down}, ""},
        PageCase{"forward_around",
                 3,
                 {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down},
                 "w0"},
        PageCase{"back_to_last", 3, {Qt::Key_Up}, "w2"},
        PageCase{"back_past_first", 3, {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up}, ""},
        PageCase{
            "back_around", 3, {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up}, "w2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogTest, PageButtonsPageLikeTheArrowKeys)
{
    addEntry("a", "1");
    addEntry("b", "2");
    dia->button(IdPageBack)->click();
    EXPECT_EQ(fieldText(IdTerm1), "b");
    dia->button(IdPageForward)->click();
    EXPECT_EQ(fieldText(IdTerm1), "");
}

TEST_F(DialogTest, EntriesWithTheSameFirstTermSelectTheirOwnRows)
{
    load(writeLesson("dup.lsn", "vtfile\0Bank\0bench\0Zug\0train\0Bank\0bank\0"s));
    EXPECT_EQ(listColumn(1), (QStringList{" < NEU >", "bench", "bank", "train"}));
    key(IdTerm1, Qt::Key_Down);
    EXPECT_EQ(fieldText(IdTerm2), "bench");
    EXPECT_EQ(selectedRow(IdList1), 1);
    key(IdTerm1, Qt::Key_Down);
    key(IdTerm1, Qt::Key_Down);
    EXPECT_EQ(fieldText(IdTerm2), "bank");
    EXPECT_EQ(selectedRow(IdList1), 2);
    EXPECT_EQ(selectedRow(IdList2), 2);
}

TEST_F(DialogTest, ReversedExerciseShowsTheSecondTermAndMarksD)
{
    addEntry("Haus", "house");
    dia->command(IdReversedQuery);
    EXPECT_EQ(fieldText(IdTerm1), "house");
    EXPECT_EQ(fieldText(IdTerm2), "");
    EXPECT_EQ(dia->document().chain().firstEntry()->direction, 'D');
    EXPECT_TRUE(field(IdTerm1)->isReadOnly());
    EXPECT_EQ(dia->focusWidget(), field(IdTerm2));
}

TEST_F(DialogTest, StatusLineAndTermFieldsShowColouredTextOnBlack)
{
    load(writeLesson("one.lsn", "vtfile\0MMMMMMMM\0WWWWWWWW\0"s));
    key(IdTerm1, Qt::Key_Down);
    struct Probe {
        QWidget* widget;
        QColor text;
    };
    const Probe probes[] = {{statusLine(dia), QColor(255, 255, 0)},
                            {field(IdTerm1), QColor(0, 255, 0)},
                            {field(IdTerm2), QColor(255, 0, 0)}};
    for (const Probe& p : probes) {
        const QImage image = p.widget->grab().toImage();
        int text = 0;
        int black = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                text += c == p.text;
                black += c == QColor(Qt::black);
            }
        EXPECT_GT(black, image.width() * image.height() / 3)
            << p.widget->objectName().toStdString();
        EXPECT_GT(text, 20) << p.widget->objectName().toStdString();
    }
}

TEST_F(DialogTest, EveryControlHasItsTooltipButTheStatusLineAndLists)
{
    ToolTips* tips = toolTips(dia);
    // The table's 21, the progress picture's button and the two reading-aloud buttons.
    EXPECT_EQ(tips->toolCount(), 24);
    EXPECT_EQ(tips->text(dia->button(IdLearningChart)),
              QStringLiteral("Lernstand-Grafik: Fächer der Lektion und letzte Noten"));
    EXPECT_EQ(tips->text(dia->button(IdSave)),
              QStringLiteral("Geänderte Begriffe in Datei schreiben"));
    EXPECT_EQ(tips->text(thresholdField(dia, 0)), QStringLiteral("Ab diesem %-Satz Note 1"));
    EXPECT_EQ(tips->text(thresholdField(dia, 4)), QStringLiteral("Ab diesem %-Satz Note 5"));
    EXPECT_EQ(tips->text(field(IdTerm2)), QStringLiteral("2. Begriff"));
    EXPECT_EQ(tips->text(dia->button(IdAnyOrder)),
              QStringLiteral("Reihenfolge der durch Komma getrennten Begriffe ist egal"));
    EXPECT_TRUE(tips->text(statusLine(dia)).isEmpty());
    EXPECT_TRUE(tips->text(listBox(dia, IdList1)).isEmpty());
    EXPECT_TRUE(tips->text(listBox(dia, IdList2)).isEmpty());
}

// The progress picture's button stands beside the results button whenever that one does, and
// opens the picture (here without its module: the trainer says so).
TEST_F(DialogTest, LearningChartButtonBesideTheResultsButtonAtAllTimes)
{
    myBMPButton* chart = dia->button(IdLearningChart);
    myBMPButton* results = dia->button(IdResultsLog);
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->accessibleName(), QStringLiteral("Lernstand-Grafik"));
    EXPECT_EQ(chart->geometry(), QRect(416, 289, 40, 38));
    EXPECT_EQ(chart->geometry().top(), results->geometry().top());
    EXPECT_GT(chart->geometry().left(), results->geometry().right());
    const auto shownWithResults = [&] {
        return chart->isVisibleTo(dia) && results->isVisibleTo(dia);
    };
    EXPECT_TRUE(shownWithResults()) << "empty lesson";
    addEntry("Haus", "house");
    EXPECT_TRUE(shownWithResults()) << "editing";
    dia->command(IdNormalQuery);
    ASSERT_TRUE(dia->exercise().running());
    EXPECT_TRUE(shownWithResults()) << "exercise";
    dia->exercise().endExercise(false);

    const std::size_t before = platform.messages.size();
    QTest::mouseClick(chart, Qt::LeftButton);
    ASSERT_EQ(platform.messages.size(), before + 1);
    EXPECT_EQ(platform.messages.back().text,
              QStringLiteral("Die Lernstand-Grafik ist nicht installiert."));
}

TEST_F(DialogTest, DoubleClickOnAButtonIsTwoClicks)
{
    addEntry("a", "1");
    addEntry("b", "2");
    myBMPButton* back = dia->button(IdPageBack);
    QSignalSpy clicks(back, &QAbstractButton::clicked);
    // A user's double click: press, release, then a double-click event in place of the
    // second press, and its release.
    QTest::mouseClick(back, Qt::LeftButton);
    QTest::mouseDClick(back, Qt::LeftButton);
    QTest::mouseRelease(back, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 2);
    // Two pages back from the new entry: b, then a.
    EXPECT_EQ(fieldText(IdTerm1), "a");
}

TEST_F(DialogTest, EscapeAndTheCloseBoxAskAboutAnUnsavedLessonAndCancelKeepsRunning)
{
    addEntry("Haus", "house");
    platform.messageAnswers.push_back(Platform::IdCancel);
    key(IdTerm1, Qt::Key_Escape);
    platform.messageAnswers.push_back(Platform::IdCancel);
    EXPECT_FALSE(frame->close());
    ASSERT_EQ(platform.messages.size(), 2u);
    for (const auto& m : platform.messages) {
        EXPECT_EQ(m.text, QStringLiteral("Soll diese Lektion gespeichert werden?"));
        EXPECT_EQ(m.caption, QStringLiteral("Aktuelle Lektion"));
        EXPECT_EQ(m.buttons, Platform::Buttons::YesNoCancel);
    }
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(dia->document().chain().entryCount(), 1u);
    // The table's 21, the progress picture's button, the due button and the reading-aloud
    // buttons.
    EXPECT_EQ(toolTips(dia)->toolCount(), 25);

    platform.messageAnswers.push_back(Platform::IdNo);
    EXPECT_TRUE(frame->close());
    EXPECT_TRUE(dia->document().chain().empty());
    EXPECT_EQ(toolTips(dia)->toolCount(), 0) << "the tooltips go with the window";
}

TEST_F(DialogTest, EscapeClosesTheWindowWhenTheLessonMayGo)
{
    QSignalSpy closing(dia, &RudarudDia::closeRequested);
    key(IdTerm1, Qt::Key_Escape);
    EXPECT_EQ(closing.count(), 1);
    EXPECT_FALSE(frame->isVisible());
    EXPECT_TRUE(platform.messages.empty()) << "an empty lesson is closed without a question";
}

TEST_F(DialogTest, HelpButtonOpensTheHelpFile)
{
    dia->command(IdHelp);
    ASSERT_EQ(platform.helpCalls.size(), 1u);
    EXPECT_EQ(platform.helpCalls[0].file, "DODADIZE.HLP");
    EXPECT_EQ(platform.helpCalls[0].command, Platform::HelpCommand::ForceFile);
}

TEST_F(DialogTest, SecondListScrollsWithTheFirst)
{
    std::string bytes = "vtfile\0"s;
    for (int i = 0; i < 200; ++i)
        bytes += "w" + std::to_string(1000 + i) + '\0' + "t" + std::to_string(i) + '\0';
    load(writeLesson("many.lsn", bytes));
    listBox(dia, IdList1)->verticalScrollBar()->setValue(57);
    EXPECT_EQ(listBox(dia, IdList2)->verticalScrollBar()->value(), 57);
    EXPECT_EQ(listBox(dia, IdList2)->indexAt(QPoint(2, 2)).row(),
              listBox(dia, IdList1)->indexAt(QPoint(2, 2)).row());
}

} // namespace
