// Lessons on paper (the save dialog's PDF types, read back with poppler's pdftotext) and words
// from other trainers through the open dialog's type.
#include "dialog_fixture.h"

#include "paper_layout.h"
#include "paper_lesson.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <set>

namespace {

using namespace std::string_literals;

const QString kForeignFilter = "Andere Vokabelprogramme (*.kvtml *.pau.gz *.pau *.txt)";

// The PDF's text with its layout kept, one string a page (pdftotext ends each with a form feed).
QStringList pdfPages(const std::string& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-layout"), QString::fromStdString(path), QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(60000));
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

// Terms with umlauts and other Windows-1252 characters; i-th entry's first term is
// "Wört<i> Ärger" (zero-padded, so sorted order is the order of i).
std::string manyEntries(int count)
{
    std::string bytes = "vtfile\0"s;
    for (int i = 0; i < count; ++i) {
        char n[8];
        std::snprintf(n, sizeof n, "%04d", count - 1 - i); // written in reverse order
        bytes += "W\xF6rt"s + n + " \xC4rger" + '\0' + "w\xF6rd" + n + " \xDF\x80\x9C" + '\0';
    }
    return bytes;
}

QString firstTerm(int i)
{
    return QStringLiteral("Wört%1 Ärger").arg(i, 4, 10, QLatin1Char('0'));
}
QString secondTerm(int i)
{
    return QStringLiteral("wörd%1 ß€œ").arg(i, 4, 10, QLatin1Char('0'));
}

class PaperTest : public DialogTest {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    void saveAs(const std::string& path, const QString& filter)
    {
        platform.saveAnswers.push_back(QString::fromStdString(path));
        platform.saveFilterAnswers.push_back(filter);
        dia->command(IdSave);
    }
};

TEST_F(PaperTest, WordListHoldsEveryTermInListOrderOnFullPagesAndLeavesTheLessonUnsaved)
{
    constexpr int kEntries = 2000;
    load(writeLesson("gross.lsn", manyEntries(kEntries)));
    dia->document().forgetFile(); // a new lesson: the pages are named after the PDF
    dia->document().setUnsaved(true);
    const std::string pdf = dir.file("liste.pdf");
    saveAs(pdf, QStringLiteral("Wortliste (*.pdf)"));

    EXPECT_TRUE(platform.messages.empty());
    EXPECT_TRUE(dia->unsaved());
    EXPECT_TRUE(dia->document().path().empty());
    const QStringList pages = pdfPages(pdf);
    ASSERT_GT(pages.size(), 1);
    const QRegularExpression row(
        QStringLiteral("^\\s*(Wört\\d{4} Ärger)\\s{2,}(wörd\\d{4} ß€œ)\\s*$"));
    int next = 0;
    std::vector<int> rowsOnPage;
    for (int p = 0; p < pages.size(); ++p) {
        const QStringList lines = pages[p].split(QLatin1Char('\n'));
        // The heading: the lesson's name and the date of the clock.
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_TRUE(lines[0].contains(QStringLiteral("liste")) &&
                    lines[0].contains(QStringLiteral("06.12.2024")))
            << lines[0].toStdString();
        EXPECT_TRUE(
            pages[p].contains(QStringLiteral("Seite %1 von %2").arg(p + 1).arg(pages.size())));
        int rows = 0;
        for (const QString& line : lines) {
            const QRegularExpressionMatch m = row.match(line);
            if (!m.hasMatch()) continue;
            ASSERT_EQ(m.captured(1), firstTerm(next)) << "page " << p + 1;
            ASSERT_EQ(m.captured(2), secondTerm(next));
            ++next;
            ++rows;
        }
        rowsOnPage.push_back(rows);
    }
    EXPECT_EQ(next, kEntries);
    // Every page but the last is full, so the count of pages is the least that holds them all.
    for (std::size_t p = 0; p + 1 < rowsOnPage.size(); ++p)
        EXPECT_EQ(rowsOnPage[p], rowsOnPage[0]) << "page " << p + 1;
    EXPECT_EQ(pages.size(), (kEntries + rowsOnPage[0] - 1) / rowsOnPage[0]);
    EXPECT_GE(rowsOnPage[0], 40); // A4 at 15 pt a row
}

TEST_F(PaperTest, TestSheetAsksEachEntryOnceInRandomOrderWithTheAnswersFromANewPage)
{
    constexpr int kEntries = 120;
    load(writeLesson("test.lsn", manyEntries(kEntries)));
    // The save dialog comes for a lesson without a file, as one read from a table is.
    dia->document().forgetFile();
    dia->document().setUnsaved(true);
    const std::string pdf = dir.file("test.pdf");
    saveAs(pdf, QStringLiteral("Test (*.pdf)"));
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_TRUE(dia->unsaved());

    const QStringList pages = pdfPages(pdf);
    const QRegularExpression question(QStringLiteral("^\\s*(\\d+)\\. (Wört(\\d{4}) Ärger)\\s*$"));
    const QRegularExpression answer(
        QStringLiteral("^\\s*(\\d+)\\. (Wört(\\d{4}) Ärger)\\s{2,}(wörd(\\d{4}) ß€œ)\\s*$"));
    std::vector<int> asked; // entry number by question number
    std::vector<int> answered;
    int answersFrom = -1;
    for (int p = 0; p < pages.size(); ++p) {
        EXPECT_TRUE(pages[p].split(QLatin1Char('\n'))[0].contains(QStringLiteral("test")));
        const QStringList lines = pages[p].split(QLatin1Char('\n'));
        for (const QString& line : lines) {
            if (line.trimmed() == QStringLiteral("Lösungen")) {
                EXPECT_EQ(answersFrom, -1);
                answersFrom = p;
                // Nothing of the questions on the answers' first page.
                EXPECT_FALSE(question.match(pages[p]).hasMatch());
            }
            if (const auto m = answer.match(line); m.hasMatch()) {
                EXPECT_GE(answersFrom, 0) << "an answer before the heading";
                EXPECT_EQ(m.captured(1).toInt(), static_cast<int>(answered.size()) + 1);
                EXPECT_EQ(m.captured(3), m.captured(5)); // the entry's own second term
                answered.push_back(m.captured(3).toInt());
            } else if (const auto q = question.match(line); q.hasMatch()) {
                EXPECT_EQ(answersFrom, -1) << "a question among the answers";
                EXPECT_EQ(q.captured(1).toInt(), static_cast<int>(asked.size()) + 1);
                asked.push_back(q.captured(3).toInt());
            }
        }
    }
    ASSERT_EQ(asked.size(), static_cast<std::size_t>(kEntries));
    EXPECT_EQ(answered, asked);
    std::vector<int> sorted = asked;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < kEntries; ++i)
        EXPECT_EQ(sorted[static_cast<std::size_t>(i)], i);
    EXPECT_NE(sorted, asked) << "not shuffled";
    EXPECT_GT(answersFrom, 0);
}

TEST_F(PaperTest, AFailedPdfWriteSaysWhyAndKeepsTheLessonAsItWas)
{
    addEntry("Haus", "house");
    saveAs(dir.file("fehlt/liste.pdf"), QStringLiteral("Wortliste (*.pdf)"));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "Datei kann nicht geschrieben werden!\nDer Ordner ist nicht vorhanden.");
    EXPECT_TRUE(dia->unsaved());
    EXPECT_EQ(chainPairs().size(), 1u);
}

TEST(PaperLayout, RowsFillPagesWithoutBeingSplit)
{
    const std::vector<int> rows = {1, 1, 2, 1, 3, 5, 1};
    EXPECT_EQ(paginate(rows, 4), (std::vector<PaperPage>{{0, 3}, {3, 2}, {5, 1}, {6, 1}}));
    EXPECT_EQ(paginate(std::vector<int>{}, 4), std::vector<PaperPage>{});
    EXPECT_EQ(paginate(std::vector<int>(10, 1), 5), (std::vector<PaperPage>{{0, 5}, {5, 5}}));
    EXPECT_EQ(paginate(std::vector<int>{2, 2}, 0), (std::vector<PaperPage>{{0, 1}, {1, 1}}));
    const std::vector<std::size_t> a = testSheetOrder(50, 7);
    EXPECT_EQ(a, testSheetOrder(50, 7));
    EXPECT_NE(a, testSheetOrder(50, 8));
    EXPECT_EQ(std::set<std::size_t>(a.begin(), a.end()).size(), 50u);
    EXPECT_EQ(*std::max_element(a.begin(), a.end()), 49u);
}

class ForeignImportTest : public DialogTest {
protected:
    void importForeign(const std::string& path)
    {
        platform.openAnswers.push_back(QString::fromStdString(path));
        platform.openFilterAnswers.push_back(kForeignFilter);
        dia->command(IdLoad);
    }
};

TEST_F(ForeignImportTest, KvtmlThroughTheOpenDialogsTypeBecomesANewUnsavedLesson)
{
    const std::string kvtml =
        writeLesson("wörter.kvtml",
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><kvtml version=\"2.0\"><entries>"
                    "<entry id=\"0\"><translation id=\"0\"><text>Mädchen</text></translation>"
                    "<translation id=\"1\"><text>girl</text></translation></entry>"
                    "<entry id=\"1\"><translation id=\"0\"><text>Haus</text></translation></entry>"
                    "</entries></kvtml>");
    importForeign(kvtml);
    EXPECT_EQ(chainPairs(), (std::vector<std::pair<std::string, std::string>>{{"M\xE4"
                                                                               "dchen",
                                                                               "girl"}}));
    EXPECT_TRUE(dia->unsaved());
    EXPECT_EQ(dia->windowTitleText(), " KAZ-TRAINER 1.0   Lektion: NEU");
    EXPECT_EQ(listColumn(0), (QStringList{" < NEU >", "Mädchen"}));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(
        platform.messages[0].text,
        "1 Eintrag übernommen.\n1 Eintrag nicht übernommen:\nEintrag 2: zweiter Begriff fehlt");
    EXPECT_EQ(platform.messages[0].caption, "Vokabeln eingelesen");
    EXPECT_EQ(platform.messages[0].icon, Platform::Icon::Exclamation);
}

TEST_F(ForeignImportTest, HostileXmlIsRefusedWithTheReasonAndNothingTaken)
{
    const std::string kvtml =
        writeLesson("boese.kvtml", "<?xml version=\"1.0\"?><!DOCTYPE kvtml [<!ENTITY a \"aaaa\">"
                                   "<!ENTITY b \"&a;&a;&a;&a;\">]><kvtml>&b;</kvtml>");
    importForeign(kvtml);
    EXPECT_TRUE(dia->document().chain().empty());
    EXPECT_FALSE(dia->unsaved());
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "Datei " + QString::fromStdString(kvtml).toUpper() +
                  " nicht im korrekten Format!\nZeile 1: Die Datei vereinbart Entitäten, die "
                  "nicht gelesen werden");
}

TEST_F(ForeignImportTest, AnAnkiTextIsKnownByItsHeaderUnderTheLessonType)
{
    const std::string txt = writeLesson("anki.txt", "#separator:tab\n#html:true\n"
                                                    "<b>Haus</b>\thouse [sound:h.mp3]\n");
    load(txt);
    EXPECT_EQ(chainPairs(), (std::vector<std::pair<std::string, std::string>>{{"Haus", "house"}}));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "1 Eintrag übernommen.\n1 Ton- oder Bildverweis ausgelassen.");
}

} // namespace
