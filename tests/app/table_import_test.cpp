// Word lists from spreadsheets through the open dialog's table filter, and the lesson out to
// a CSV table through the save dialog's.
#include "dialog_fixture.h"

namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

const QString kOpenFilters = "Lektion (*.lsn);;Tabelle (*.csv *.tsv *.txt);;"
                             "Andere Vokabelprogramme (*.kvtml *.pau.gz *.pau *.txt)";
const QString kSaveFilters = "Lektion (*.lsn);;Tabelle (*.csv);;Wortliste (*.pdf);;Test (*.pdf)";
const QString kNewTitle = " KAZ-TRAINER 1.0   Lektion: NEU";

class TableImportTest : public DialogTest {
protected:
    void import(const std::string& path)
    {
        platform.openAnswers.push_back(QString::fromStdString(path));
        platform.openFilterAnswers.push_back("Tabelle (*.csv *.tsv *.txt)");
        dia->command(IdLoad);
    }
    // Types text as a keyboard layout that has its characters would, one key event each.
    void typeAnyText(int id, const QString& text)
    {
        field(id)->setFocus();
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, field(id), Qt::Key_unknown, c, Qt::NoModifier);
    }
};

// A list as a German spreadsheet program saves it: Windows-1252, semicolons, "sep=;".
const std::string kGermanList = "sep=;\r\n"
                                "M\xE4"
                                "dchen;girl\r\n"
                                "Haus;house\r\n"
                                "\"Apfel; Birne\";\"apple; pear\"\r\n"
                                "Baum;\r\n"
                                "5 \x80;five euros\r\n"s;

TEST_F(TableImportTest, TableFilterFillsTheListsAsANewUnsavedLessonAndListsRefusedRows)
{
    const std::string csv = writeLesson("liste.csv", kGermanList);
    import(csv);

    ASSERT_EQ(platform.openDialogs.size(), 1u);
    EXPECT_EQ(platform.openDialogs[0].filter, kOpenFilters);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"M\xE4"
         "dchen",
         "girl"},
        {"Haus", "house"},
        {"Apfel; Birne", "apple; pear"},
        {"5 \x80", "five euros"}};
    EXPECT_EQ(chainPairs(), expected);
    EXPECT_EQ(listColumn(0), (QStringList{" < NEU >", "5 €", "Apfel; Birne", "Haus", "Mädchen"}));
    EXPECT_EQ(dia->windowTitleText(), kNewTitle);
    EXPECT_TRUE(dia->unsaved());
    EXPECT_EQ(status(), "Lektion enthält 4 Aufgaben (ungesichert)");
    EXPECT_EQ(fieldText(IdTerm1), "");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "4 Zeilen übernommen.\n1 Zeile nicht übernommen:\n"
                                         "Zeile 4: zweiter Begriff fehlt");
    EXPECT_EQ(platform.messages[0].caption, "Tabelle eingelesen");
    EXPECT_EQ(platform.messages[0].icon, Platform::Icon::Exclamation);

    // The next save asks for a lesson file; the table stays as it was.
    platform.saveAnswers.push_back(QString::fromStdString(dir.file("liste.lsn")));
    dia->command(IdSave);
    ASSERT_EQ(platform.saveDialogs.size(), 1u);
    EXPECT_EQ(readBytes(dir.file("liste.lsn")),
              "vtfile\0M\xE4"
              "dchen\0girl\0Haus\0house\0Apfel; Birne\0apple; pear\0005 \x80\0five euros\0"s);
    EXPECT_EQ(readBytes(csv), kGermanList);
    EXPECT_FALSE(dia->unsaved());
}

// With the lesson's file type chosen, a file is known by its content where it can be: a lesson
// by its magic field whatever its name, a table by its name otherwise.
struct LessonTypeCase {
    const char* name;
    const char* fileName;
    std::string_view bytes;
    const char* message; // the one message box; %1: the file name in capitals; null: none
    bool read;           // Haus/house is the lesson
    friend std::ostream& operator<<(std::ostream& os, const LessonTypeCase& c)
    {
        return os << c.name;
    }
};

class LessonTypeChosen : public TableImportTest,
                         public ::testing::WithParamInterface<LessonTypeCase> {};

TEST_P(LessonTypeChosen, ReadsTheFileAsWhatItIs)
{
    const LessonTypeCase& c = GetParam();
    const std::string path = writeLesson(c.fileName, std::string(c.bytes));
    load(path); // the first file type, the lesson's
    EXPECT_EQ(chainPairs().size(), c.read ? 1u : 0u);
    const QString shown = QDir::toNativeSeparators(QString::fromStdString(path)).toUpper();
    ASSERT_EQ(platform.messages.size(), c.message ? 1u : 0u);
    if (c.message) {
        EXPECT_EQ(platform.messages[0].text, QString::fromUtf8(c.message).replace("%1", shown));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LessonTypeChosen,
    ::testing::Values(LessonTypeCase{"table_named_csv", "liste.csv", "Haus;house\r\n",
                                     "1 Zeile übernommen.", true},
                      LessonTypeCase{"table_named_txt", "LISTE.TXT", "Haus\thouse\n",
                                     "1 Zeile übernommen.", true},
                      LessonTypeCase{"lesson_named_csv", "lektion.csv", "vtfile\0Haus\0house\0"sv,
                                     nullptr, true},
                      LessonTypeCase{"table_named_otherwise", "liste.dat", "Haus;house\r\n",
                                     "Datei %1 nicht im korrekten Format!", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TableImportTest, MissingTableIsReportedAndLeavesAnEmptyLesson)
{
    const std::string csv = dir.file("fehlt.csv");
    import(csv);
    EXPECT_TRUE(dia->document().chain().empty());
    EXPECT_FALSE(dia->unsaved());
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "Datei " + QString::fromStdString(csv).toUpper() + " nicht gefunden");
    EXPECT_EQ(dia->windowTitleText(), kNewTitle);
}

// Over the entry limit (small here) a table is refused as a whole, like a lesson: nothing in
// the chain or the lists, the lists shown again, nothing unsaved.
TEST_F(TableImportTest, TableOverTheEntryLimitIsRefusedAndLeavesAnEmptyLesson)
{
    LessonReadLimits limits;
    limits.maxEntries = 2;
    dia->document().setReadLimits(limits);
    const std::string csv = writeLesson("gross.csv", "a;b\nc;d\ne;f\n");
    import(csv);
    EXPECT_TRUE(dia->document().chain().empty());
    EXPECT_EQ(dia->listModel().rowCount(), 1) << "only the new entry's row";
    EXPECT_TRUE(listBox(dia, IdList1)->isVisible());
    EXPECT_FALSE(dia->unsaved());
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "Datei " + QString::fromStdString(csv).toUpper() +
                  " ist zu groß für den Arbeitsspeicher!\n"
                  "Eine Tabelle wird mit höchstens 2 Zeilen eingelesen.");
}

TEST_F(TableImportTest, ExportWritesCsvAndKeepsTheLessonsNameAndUnsavedState)
{
    addEntry("Haus; Hof", "sagte \"ja\"");
    typeAnyText(IdTerm1, "Mädchen");
    key(IdTerm1, Qt::Key_Return);
    typeAnyText(IdTerm2, "5 €");
    key(IdTerm2, Qt::Key_Return);
    ASSERT_TRUE(dia->unsaved());
    const std::string csv = dir.file("export.csv");
    platform.saveAnswers.push_back(QString::fromStdString(csv));
    platform.saveFilterAnswers.push_back("Tabelle (*.csv)");
    dia->command(IdSave);

    ASSERT_EQ(platform.saveDialogs.size(), 1u);
    EXPECT_EQ(platform.saveDialogs[0].filter, kSaveFilters);
    EXPECT_EQ(readBytes(csv), "\xEF\xBB\xBF\"Haus; Hof\";\"sagte \"\"ja\"\"\"\r\n"
                              "M\xC3\xA4"
                              "dchen;5 \xE2\x82\xAC\r\n");
    EXPECT_TRUE(dia->unsaved());
    EXPECT_EQ(dia->document().displayName(), "");
    EXPECT_EQ(dia->windowTitleText(), kNewTitle);
    EXPECT_TRUE(platform.messages.empty());

    // Read back through the table filter, the same entries come in again.
    platform.messageAnswers.push_back(Platform::IdNo); // do not save before loading
    import(csv);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Haus; Hof", "sagte \"ja\""},
        {"M\xE4"
         "dchen",
         "5 \x80"}};
    EXPECT_EQ(chainPairs(), expected);
}

TEST_F(TableImportTest, FailedExportIsReportedAndChangesNothing)
{
    addEntry("Haus", "house");
    platform.saveAnswers.push_back(QString::fromStdString(dir.file("kein/ordner.csv")));
    platform.saveFilterAnswers.push_back("Tabelle (*.csv)");
    dia->command(IdSave);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "Datei kann nicht geschrieben werden!\nDer Ordner ist nicht vorhanden.");
    EXPECT_TRUE(dia->unsaved());
    EXPECT_EQ(dia->document().displayName(), "");
}

} // namespace
