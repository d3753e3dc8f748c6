// Entry editing and the lesson commands (new, load, save) in the real dialog.
#include "dialog_fixture.h"

#include "led_line.h"

#include <QScrollBar>

#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;
using Pairs = std::vector<std::pair<std::string, std::string>>;

int litCells(myLEDLine* line)
{
    int lit = 0;
    for (unsigned i = 0; i < line->CellCount(); ++i)
        lit += line->CellColour(i) != kLedOff;
    return lit;
}

TEST_F(DialogTest, EnterTwiceAddsAnEntryAtTheEndInSortedRows)
{
    addEntry("Zug", "train");
    const int litBefore = litCells(entryLine(dia));
    addEntry("Haus", "house");
    EXPECT_EQ(chainPairs(), (Pairs{{"Zug", "train"}, {"Haus", "house"}}));
    EXPECT_EQ(listColumn(0), (QStringList{" < NEU >", "Haus", "Zug"}));
    EXPECT_EQ(listColumn(1), (QStringList{" < NEU >", "house", "train"}));
    EXPECT_EQ(fieldText(IdTerm1), "");
    EXPECT_EQ(fieldText(IdTerm2), "");
    EXPECT_EQ(dia->document().chain().currentEntry, nullptr);
    EXPECT_EQ(litCells(entryLine(dia)), litBefore + 1);
    EXPECT_TRUE(status().endsWith(QStringLiteral(" (ungesichert)")));
    EXPECT_TRUE(dia->unsaved());
}

TEST_F(DialogTest, EnterInTheFirstFieldOnlyMovesOn)
{
    type(IdTerm1, "Haus");
    key(IdTerm1, Qt::Key_Return);
    EXPECT_TRUE(dia->document().chain().empty());
    EXPECT_EQ(dia->focusWidget(), field(IdTerm2));
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(DialogTest, TypedTermsAreNormalised)
{
    addEntry("  Haus ,Hof ", "house,yard");
    EXPECT_EQ(chainPairs(), (Pairs{{"Haus, Hof", "house, yard"}}));
}

TEST_F(DialogTest, LoneFirstTermIsRefusedAndDroppedByPaging)
{
    addEntry("Haus", "house");
    type(IdTerm1, "Baum");
    key(IdTerm1, Qt::Key_Return);
    key(IdTerm2, Qt::Key_Return);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, QStringLiteral("Es wurde kein zweites Wort eingegeben"));
    EXPECT_EQ(platform.messages[0].caption, QStringLiteral("Begriff fehlt"));
    EXPECT_EQ(platform.messages[0].buttons, Platform::Buttons::Ok);
    EXPECT_EQ(fieldText(IdTerm1), "Baum") << "the typed text stays in the field";
    EXPECT_EQ(dia->document().chain().entryCount(), 1u);

    key(IdTerm2, Qt::Key_Down);
    EXPECT_EQ(fieldText(IdTerm1), "Haus") << "paging goes on and drops the lone term";
    EXPECT_EQ(dia->document().chain().entryCount(), 1u);
    EXPECT_EQ(platform.messages.size(), 1u);
}

struct DeleteCase {
    const char* name;
    int answer;
    Pairs remaining;
    const char* shownAfter;
    friend std::ostream& operator<<(std::ostream& os, const DeleteCase& c) { return os << c.name; }
};

class EmptyingAField : public DialogTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(EmptyingAField, AsksBeforeDeleting)
{
    addEntry("a", "1");
    addEntry("b", "2");
    addEntry("c", "3");
    key(IdTerm1, Qt::Key_Down);
    key(IdTerm1, Qt::Key_Down); // shows b
    clear(IdTerm2);
    platform.messageAnswers.push_back(GetParam().answer);
    key(IdTerm2, Qt::Key_Return);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, QStringLiteral("Soll dieser Eintrag gelöscht werden?"));
    EXPECT_EQ(platform.messages[0].caption, QStringLiteral("Löschen?"));
    EXPECT_EQ(platform.messages[0].buttons, Platform::Buttons::YesNo);
    EXPECT_EQ(chainPairs(), GetParam().remaining);
    EXPECT_EQ(fieldText(IdTerm1), GetParam().shownAfter);
    EXPECT_TRUE(dia->unsaved()) << "stays set even when the deletion was declined";
}

INSTANTIATE_TEST_SUITE_P(Cases, EmptyingAField,
                         ::testing::Values(DeleteCase{"yes_deletes_and_shows_the_next",
                                                      Platform::IdYes,
                                                      {{"a", "1"}, {"c", "3"}},
                                                      "c"},
                                           DeleteCase{"no_restores_the_stored_terms",
                                                      Platform::IdNo,
                                                      {{"a", "1"}, {"b", "2"}, {"c", "3"}},
                                                      "b"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogTest, ChangeIsAskedEvenForTheSameText)
{
    addEntry("Haus", "house");
    key(IdTerm1, Qt::Key_Down);
    clear(IdTerm1);
    type(IdTerm1, "Haus");
    platform.messageAnswers.push_back(Platform::IdYes);
    key(IdTerm2, Qt::Key_Return);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, QStringLiteral("Soll dieser Eintrag geändert werden?"));
    EXPECT_EQ(platform.messages[0].caption, QStringLiteral("Ändern?"));

    clear(IdTerm2);
    type(IdTerm2, "home");
    platform.messageAnswers.push_back(Platform::IdYes);
    key(IdTerm2, Qt::Key_Return);
    EXPECT_EQ(chainPairs(), (Pairs{{"Haus", "home"}}));
    EXPECT_EQ(listColumn(1), (QStringList{" < NEU >", "home"}));

    clear(IdTerm2);
    type(IdTerm2, "building");
    platform.messageAnswers.push_back(Platform::IdNo);
    key(IdTerm2, Qt::Key_Return);
    EXPECT_EQ(chainPairs(), (Pairs{{"Haus", "home"}}));
    EXPECT_EQ(fieldText(IdTerm2), "home");
}

TEST_F(DialogTest, DuplicateFirstTermsStayPairedAndDeleteSeparately)
{
    addEntry("Bank", "bench");
    addEntry("Bank", "bank");
    EXPECT_EQ(listColumn(1), (QStringList{" < NEU >", "bench", "bank"}));
    listBox(dia, IdList1)->setCurrentIndex(listBox(dia, IdList1)->model()->index(2, 0));
    EXPECT_EQ(fieldText(IdTerm2), "bank");
    clear(IdTerm2);
    platform.messageAnswers.push_back(Platform::IdYes);
    key(IdTerm2, Qt::Key_Return);
    EXPECT_EQ(chainPairs(), (Pairs{{"Bank", "bench"}}));
    EXPECT_EQ(listColumn(1), (QStringList{" < NEU >", "bench"}));
}

TEST_F(DialogTest, PickingARowWithPendingChangesShowsWhatApplyingLeft)
{
    addEntry("a", "1");
    addEntry("b", "2");
    type(IdTerm1, "c");
    type(IdTerm2, "3");
    // A click on row 1 ("a") while c/3 waits: c is added, and the new-entry row is then the
    // selected one, not the clicked row.
    listBox(dia, IdList1)->setCurrentIndex(listBox(dia, IdList1)->model()->index(1, 0));
    EXPECT_EQ(dia->document().chain().entryCount(), 3u);
    EXPECT_EQ(fieldText(IdTerm1), "");
    EXPECT_EQ(selectedRow(IdList1), 0);

    // Without pending changes the clicked row is shown.
    listBox(dia, IdList2)->setCurrentIndex(listBox(dia, IdList2)->model()->index(2, 0));
    EXPECT_EQ(fieldText(IdTerm1), "b");
    EXPECT_EQ(selectedRow(IdList1), 2);
}

TEST_F(DialogTest, ThresholdFieldsAreTakenOverWhenApplied)
{
    struct Typed {
        int index;
        const char* text;
        const char* shown;
        std::uint32_t stored;
    };
    const Typed typed[] = {
        {0, "150", "100", 100}, {1, "-5", "100", 100}, {2, "x", "0", 0}, {3, "45", "45", 45}};
    for (const Typed& t : typed) {
        QLineEdit* f = thresholdField(dia, t.index);
        f->setFocus();
        f->selectAll();
        QTest::keyClicks(f, t.text);
    }
    key(IdTerm1, Qt::Key_Return); // to the second field
    key(IdTerm2, Qt::Key_Return); // applies
    for (const Typed& t : typed)
        EXPECT_EQ(thresholdField(dia, t.index)->text(), t.shown) << t.text;
    EXPECT_EQ(thresholdField(dia, 4)->text(), "20");
    // The settings take the fields' texts when the window goes.
    frame.reset();
    dia = nullptr;
    for (const Typed& t : typed)
        EXPECT_EQ(config->thresholds[static_cast<std::size_t>(t.index)], t.stored) << t.text;
}

// --- lesson commands ---------------------------------------------------------------------

TEST_F(DialogTest, SavedLessonHasTheFileBytesAndLoadsBack)
{
    addEntry("Haus", "house");
    addEntry("Baum", "tree");
    const std::string path = dir.file("neu.lsn");
    platform.saveAnswers.push_back(QString::fromStdString(path));
    dia->command(IdSave);
    ASSERT_EQ(platform.saveDialogs.size(), 1u);
    EXPECT_EQ(platform.saveDialogs[0].defaultSuffix, "lsn");
    EXPECT_TRUE(platform.saveDialogs[0].filter.contains("*.lsn"));
    EXPECT_EQ(readBytes(path), "vtfile\0Haus\0house\0Baum\0tree\0"s);
    EXPECT_FALSE(dia->unsaved());
    EXPECT_EQ(frame->windowTitle(), " KAZ-TRAINER 1.0   Lektion: " + QString::fromStdString(path))
        << "a saved name keeps its case";

    dia->command(IdSave); // the name is known: no dialog
    EXPECT_EQ(platform.saveDialogs.size(), 1u);

    dia->command(IdNewLesson);
    EXPECT_TRUE(dia->document().chain().empty());
    load(path);
    EXPECT_EQ(chainPairs(), (Pairs{{"Haus", "house"}, {"Baum", "tree"}}));
    EXPECT_EQ(dia->document().chain().currentEntry, nullptr);
    EXPECT_EQ(selectedRow(IdList1), 0);
    EXPECT_FALSE(dia->unsaved());
}

// Another program changed the loaded file: saving asks before writing over it; No offers
// another name, and without one nothing is written and the lesson stays unsaved.
TEST_F(DialogTest, SavingOverSomeoneElsesChangesAsksFirst)
{
    const std::string theirs = "vtfile\0a\0b\0c\0d\0"s;
    struct Case {
        int answer;
        const char* otherName; // the save dialog's answer after No; "" cancels it
        std::string expected;  // in the loaded file afterwards
    };
    const Case cases[] = {
        {Platform::IdYes, nullptr, "vtfile\0a\0b\0x\0y\0"s},
        {Platform::IdNo, "", theirs},
        {Platform::IdNo, "anders.lsn", theirs},
    };
    for (const Case& c : cases) {
        const std::string path = writeLesson("geteilt.lsn", "vtfile\0a\0b\0"s);
        load(path);
        addEntry("x", "y");
        std::ofstream(path, std::ios::binary | std::ios::trunc) << theirs;
        platform.messageAnswers.push_back(c.answer);
        if (c.otherName)
            platform.saveAnswers.push_back(
                *c.otherName ? QString::fromStdString(dir.file(c.otherName)) : QString());
        const std::size_t before = platform.messages.size();
        dia->command(IdSave);
        ASSERT_EQ(platform.messages.size(), before + 1);
        EXPECT_EQ(platform.messages.back().text,
                  "Die Datei " + QString::fromStdString(path).toUpper() +
                      " wurde inzwischen verändert. Trotzdem überschreiben?");
        EXPECT_EQ(readBytes(path), c.expected);
        const bool savedElsewhere = c.otherName && *c.otherName;
        EXPECT_EQ(dia->unsaved(), c.answer == Platform::IdNo && !savedElsewhere);
        if (savedElsewhere) {
            EXPECT_EQ(readBytes(dir.file(c.otherName)), "vtfile\0a\0b\0x\0y\0"s);
        }
        // What was just written is the lesson's own: the next save asks nothing.
        if (!dia->unsaved()) {
            addEntry("p", "q");
            dia->command(IdSave);
            EXPECT_EQ(platform.messages.size(), before + 1);
            EXPECT_FALSE(dia->unsaved());
        }
        if (dia->unsaved()) platform.messageAnswers.push_back(Platform::IdNo); // not saved
        dia->command(IdNewLesson);
    }
}

// The session ends without questions: settings and the unsaved lesson are kept; the next
// window offers the lesson once, whatever the answer.
TEST_F(DialogTest, AnEndedSessionKeepsTheLessonForTheNextStart)
{
    for (const int answer : {Platform::IdYes, Platform::IdNo}) {
        addEntry("Haus", "house");
        const bool caseWasOn = dia->button(IdIgnoreCase)->On();
        QTest::mouseClick(dia->button(IdIgnoreCase), Qt::LeftButton);
        ASSERT_NE(dia->button(IdIgnoreCase)->On(), caseWasOn);
        dia->keepSessionState();
        EXPECT_EQ(readBytes(dir.file("DODADIZE.CFG"))[0], caseWasOn ? '\0' : '\1');
        EXPECT_EQ(readBytes(dir.file(kRecoveryFileName)), "vtfile\0Haus\0house\0"s);
        frame.reset();
        makeWindow();
        platform.messageAnswers.push_back(answer);
        EXPECT_EQ(dia->offerRecovery(), answer == Platform::IdYes);
        ASSERT_FALSE(platform.messages.empty());
        EXPECT_TRUE(platform.messages.back().text.startsWith("Ungesicherte Lektion vom "));
        EXPECT_FALSE(std::filesystem::exists(dir.file(kRecoveryFileName)));
        EXPECT_EQ(chainPairs(), (answer == Platform::IdYes ? Pairs{{"Haus", "house"}} : Pairs{}));
        EXPECT_EQ(dia->unsaved(), answer == Platform::IdYes);
        EXPECT_TRUE(dia->document().displayName().empty());
        EXPECT_FALSE(dia->offerRecovery()) << "offered once";
        if (dia->unsaved()) platform.messageAnswers.push_back(Platform::IdNo);
        dia->command(IdNewLesson);
    }
    // Saved after all, the lesson needs no recovery file any more.
    addEntry("Haus", "house");
    dia->keepSessionState();
    platform.saveAnswers.push_back(QString::fromStdString(dir.file("haus.lsn")));
    dia->command(IdSave);
    EXPECT_FALSE(std::filesystem::exists(dir.file(kRecoveryFileName)));
}

// A lesson kept at a session's end and emptied afterwards is not offered back: closing or the
// session's next end removes the kept file.
TEST_F(DialogTest, AKeptLessonEmptiedSinceIsNotOfferedAgain)
{
    for (const bool closed : {true, false}) {
        addEntry("Haus", "house");
        dia->keepSessionState();
        ASSERT_TRUE(std::filesystem::exists(dir.file(kRecoveryFileName)));
        listBox(dia, IdList1)->setCurrentIndex(listBox(dia, IdList1)->model()->index(1, 0));
        clear(IdTerm2);
        platform.messageAnswers.push_back(Platform::IdYes); // delete the entry
        key(IdTerm2, Qt::Key_Return);
        ASSERT_TRUE(dia->document().chain().empty());
        if (closed)
            EXPECT_TRUE(dia->closeQuery());
        else
            dia->keepSessionState();
        EXPECT_FALSE(std::filesystem::exists(dir.file(kRecoveryFileName)))
            << (closed ? "closed" : "ended again");
    }
}

// In a folder others can write to, the trainer's own files may be links planted to someone
// else's file: they are replaced or passed by, never written through.
TEST_F(DialogTest, LinksPlantedAsTheOwnFilesLeaveTheirDestinationAlone)
{
    const std::string theirs = writeLesson("theirs", "precious");
    for (const char* name : {"DODADIZE.CFG", kRecoveryFileName})
        std::filesystem::create_symlink(theirs, dir.file(name));
    QTest::mouseClick(dia->button(IdIgnoreCase), Qt::LeftButton);
    addEntry("Haus", "house");
    dia->keepSessionState();
    EXPECT_EQ(readBytes(theirs), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(dir.file("DODADIZE.CFG")));
    EXPECT_EQ(readBytes(dir.file("DODADIZE.CFG")).substr(0, 1), "\1");
    EXPECT_EQ(readBytes(dir.file("DODADIZE.RC2")), "vtfile\0Haus\0house\0"s);
    // The next start offers the lesson kept, not what the link leads to.
    frame.reset();
    makeWindow();
    platform.messageAnswers.push_back(Platform::IdYes);
    EXPECT_TRUE(dia->offerRecovery());
    EXPECT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(chainPairs(), (Pairs{{"Haus", "house"}}));
    EXPECT_EQ(readBytes(theirs), "precious");
    platform.messageAnswers.push_back(Platform::IdNo);
    dia->command(IdNewLesson);
}

// Every recovery name taken by other trainers' lessons: none is overwritten, and the end of the
// session says that this lesson is lost.
TEST_F(DialogTest, ALessonThatCannotBeKeptIsSaidOnStandardError)
{
    for (std::size_t n = 0; n < kRecoveryNames; ++n)
        writeLesson(recoveryFileName(n), "vtfile\0theirs\0"s + std::to_string(n) + '\0');
    addEntry("Haus", "house");
    std::stringstream said;
    std::streambuf* const before = std::cerr.rdbuf(said.rdbuf());
    dia->keepSessionState();
    std::cerr.rdbuf(before);
    EXPECT_EQ(said.str(), "KAZ-TRAINER: Die ungesicherte Lektion konnte nicht gesichert werden: "
                          "DODADIZE.RCV bis DODADIZE.RC9 sind belegt.\n");
    for (std::size_t n = 0; n < kRecoveryNames; ++n)
        EXPECT_EQ(readBytes(dir.file(recoveryFileName(n))),
                  "vtfile\0theirs\0"s + std::to_string(n) + '\0');
}

TEST_F(DialogTest, LoadedNameIsShownInCapitalsButTheFileIsKept)
{
    const std::string path = writeLesson("kleine.lsn", "vtfile\0a\0b\0"s);
    load(path);
    const QString upper = QString::fromStdString(path).toUpper();
    EXPECT_EQ(frame->windowTitle(), " KAZ-TRAINER 1.0   Lektion: " + upper);
    addEntry("c", "d");
    dia->command(IdSave);
    EXPECT_TRUE(platform.saveDialogs.empty());
    EXPECT_EQ(readBytes(path), "vtfile\0a\0b\0c\0d\0"s)
        << "saving writes the file that was read, whatever case the title shows";
    EXPECT_FALSE(std::filesystem::exists(upper.toStdString()));
}

TEST_F(DialogTest, MagicOnlyFileLoadsAsAnEmptyLessonWithItsName)
{
    load(writeLesson("leer.lsn", "vtfile\0"s));
    EXPECT_TRUE(dia->document().chain().empty());
    EXPECT_TRUE(frame->windowTitle().endsWith("LEER.LSN"));
    EXPECT_TRUE(platform.messages.empty());
}

struct LoadErrorCase {
    const char* name;
    std::string_view bytes;   // empty: no such file
    std::uint64_t maxEntries; // the read's entry limit
    const char* message;      // %1: the file name in capitals
    friend std::ostream& operator<<(std::ostream& os, const LoadErrorCase& c)
    {
        return os << c.name;
    }
};

class LoadErrors : public DialogTest, public ::testing::WithParamInterface<LoadErrorCase> {};

TEST_P(LoadErrors, ReportWithTheArrowCursorAndLeaveANewLesson)
{
    const LoadErrorCase& c = GetParam();
    const std::string path =
        c.bytes.empty() ? dir.file("fehlt.lsn") : writeLesson("datei.lsn", std::string(c.bytes));
    dia->document().setReadLimits({c.maxEntries});
    load(path);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              QString::fromUtf8(c.message).arg(QString::fromStdString(path).toUpper()));
    EXPECT_EQ(platform.messages[0].caption, "Dateifehler");
    EXPECT_EQ(platform.messages[0].icon, Platform::Icon::Exclamation);
    EXPECT_FALSE(platform.messages[0].busyCursor);
    EXPECT_TRUE(dia->document().chain().empty());
    EXPECT_EQ(frame->windowTitle(), " KAZ-TRAINER 1.0   Lektion: NEU");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadErrors,
    ::testing::Values(LoadErrorCase{"missing", {}, 10, "Datei %1 nicht gefunden"},
                      LoadErrorCase{"wrong_format", "VTFILE\0a\0b\0"sv, 10,
                                    "Datei %1 nicht im korrekten Format!"},
                      LoadErrorCase{"too_large", "vtfile\0a\0b\0"sv, 0,
                                    "Datei %1 ist zu groß für den Arbeitsspeicher!"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogTest, CancelledOpenDialogChangesNothing)
{
    load(writeLesson("a.lsn", "vtfile\0a\0b\0"s));
    dia->command(IdNewLesson);
    const QString title = frame->windowTitle();
    dia->command(IdLoad); // no answer queued: cancelled
    EXPECT_EQ(platform.openDialogs.size(), 2u);
    EXPECT_TRUE(dia->document().chain().empty());
    EXPECT_EQ(frame->windowTitle(), title);
}

TEST_F(DialogTest, CancelAtTheSaveQuestionShowsNoFileDialog)
{
    addEntry("a", "b");
    platform.messageAnswers.push_back(Platform::IdCancel);
    dia->command(IdNewLesson);
    EXPECT_TRUE(platform.openDialogs.empty());
    EXPECT_TRUE(platform.saveDialogs.empty());
    EXPECT_EQ(dia->document().chain().entryCount(), 1u);
    EXPECT_TRUE(dia->unsaved());
}

TEST_F(DialogTest, SavingAnEmptyLessonDoesNothing)
{
    dia->saveLesson();
    EXPECT_TRUE(platform.saveDialogs.empty());
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(DialogTest, ClosingRunsTheLessonDownOneEntryAtATime)
{
    std::string bytes = "vtfile\0"s;
    for (int i = 0; i < 30; ++i)
        bytes += "w" + std::to_string(i) + '\0' + "t" + '\0';
    load(writeLesson("dreissig.lsn", bytes));
    EXPECT_EQ(status(), QStringLiteral("Lektion enthält 30 Aufgaben"));
    EXPECT_EQ(litCells(entryLine(dia)), 3) << "30 = one full lap of 27 and 3";

    QStringList seen;
    QObject::connect(statusLine(dia), &QObject::objectNameChanged, [] {}); // keep a receiver
    QTimer probe;
    // The count runs down while the lists still show every row; they empty at the end.
    QObject::connect(&probe, &QTimer::timeout, [&] {
        seen << status() + QStringLiteral(" | %1 rows").arg(listColumn(0).size());
    });
    probe.start(0);
    dia->command(IdNewLesson);
    probe.stop();
    EXPECT_EQ(status(), QStringLiteral("Lektion enthält keine Aufgaben"));
    EXPECT_TRUE(seen.contains(QStringLiteral("Lektion enthält 29 Aufgaben | 31 rows")))
        << seen.join('\n').toStdString();
    EXPECT_TRUE(seen.contains(QStringLiteral("Lektion enthält 1 Aufgaben | 31 rows")));
    EXPECT_TRUE(entryLine(dia)->IsRunning());
    EXPECT_EQ(listColumn(0), QStringList{" < NEU >"});
}

// Yes to saving, but no lesson file is written (the save fails, the dialog is cancelled, or a
// table is written instead): the lesson must survive.
struct FailedSaveCase {
    const char* name;
    const char* chosenName; // in the save dialog; null: cancelled
    const char* chosenType; // the file type chosen with it; null: the lesson's
    bool writeFails;
    friend std::ostream& operator<<(std::ostream& os, const FailedSaveCase& c)
    {
        return os << c.name;
    }
};

class FailedSaveWhileClosing : public DialogTest,
                               public ::testing::WithParamInterface<FailedSaveCase> {};

TEST_P(FailedSaveWhileClosing, KeepsTheLesson)
{
    const FailedSaveCase& c = GetParam();
    addEntry("Haus", "house");
    platform.messageAnswers.push_back(Platform::IdYes);
    if (c.chosenName)
        platform.saveAnswers.push_back(QString::fromStdString(dir.file(c.chosenName)));
    if (c.chosenType) platform.saveFilterAnswers.push_back(c.chosenType);
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(chainPairs(), (Pairs{{"Haus", "house"}}));
    EXPECT_TRUE(dia->unsaved());
    EXPECT_TRUE(frame->isVisible());
    if (c.writeFails) {
        ASSERT_EQ(platform.messages.size(), 2u);
        EXPECT_EQ(platform.messages[1].text, QStringLiteral("Datei kann nicht geschrieben werden!\n"
                                                            "Der Ordner ist nicht vorhanden."));
        EXPECT_EQ(platform.messages[1].caption, QStringLiteral("Schreibfehler!"));
    } else {
        EXPECT_EQ(platform.messages.size(), 1u);
    }
    if (c.chosenType) {
        EXPECT_TRUE(std::filesystem::exists(dir.file(c.chosenName)));
    }
    // No still discards.
    platform.messageAnswers.push_back(Platform::IdNo);
    EXPECT_TRUE(frame->close());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedSaveWhileClosing,
    ::testing::Values(FailedSaveCase{"write_fails", "no-folder/x.lsn", nullptr, true},
                      FailedSaveCase{"dialog_cancelled", nullptr, nullptr, false},
                      FailedSaveCase{"written_as_table", "x.csv", "Tabelle (*.csv)", false}),
    [](const auto& info) { return std::string(info.param.name); });

// A cancelled save dialog stops there: the focus stays where the user had it and the lists
// stay scrolled as they were.
TEST_F(DialogTest, CancelledSaveDialogLeavesFocusAndListsAlone)
{
    std::string table;
    for (int i = 0; i < 30; ++i)
        table += "w" + std::to_string(100 + i) + ";t\n";
    dia->importTableFile(writeLesson("liste.csv", table));
    QScrollBar* scroll = listBox(dia, IdList1)->verticalScrollBar();
    ASSERT_GT(scroll->maximum(), 0);
    scroll->setValue(scroll->maximum());
    thresholdField(dia, 2)->setFocus();

    dia->command(IdSave); // no name answered: cancelled
    ASSERT_EQ(platform.saveDialogs.size(), 1u);
    EXPECT_EQ(QApplication::focusWidget(), thresholdField(dia, 2));
    EXPECT_EQ(scroll->value(), scroll->maximum());
    EXPECT_TRUE(dia->unsaved());
}

// A new lesson's first save fails where the user chose to put it: the lesson stays new, so the
// next save asks for a place again and can store it elsewhere.
TEST_F(DialogTest, NewLessonWhoseFirstSaveFailsAsksForANameAgain)
{
    addEntry("Haus", "house");
    platform.saveAnswers.push_back(QString::fromStdString(dir.file("no-folder/x.lsn")));
    dia->command(IdSave);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].caption, QStringLiteral("Schreibfehler!"));
    EXPECT_TRUE(dia->unsaved());
    EXPECT_EQ(frame->windowTitle(), " KAZ-TRAINER 1.0   Lektion: NEU");

    const std::string elsewhere = dir.file("x.lsn");
    platform.saveAnswers.push_back(QString::fromStdString(elsewhere));
    dia->command(IdSave);
    EXPECT_EQ(platform.saveDialogs.size(), 2u);
    EXPECT_EQ(readBytes(elsewhere), "vtfile\0Haus\0house\0"s);
    EXPECT_FALSE(dia->unsaved());
}

TEST_F(DialogTest, ReadOnlyLessonFileKeepsUnsaved)
{
    const std::string path = writeLesson("fest.lsn", "vtfile\0a\0b\0"s);
    load(path);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    addEntry("c", "d");
    dia->command(IdSave);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              QStringLiteral("Datei kann nicht geschrieben werden!\nKeine Schreibberechtigung."));
    EXPECT_TRUE(dia->unsaved());
    EXPECT_EQ(readBytes(path), "vtfile\0a\0b\0"s);
}

TEST_F(DialogTest, LongPathsAreNamedWhole)
{
    std::string folder = dir.path().string();
    while (folder.size() < 600)
        folder += "/ein-sehr-langer-ordnername-fuer-den-test";
    const std::string path = folder + "/fehlt.lsn";
    load(path);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "Datei " + QString::fromStdString(path).toUpper() + " nicht gefunden");
}

} // namespace
