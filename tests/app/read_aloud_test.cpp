// Reading terms aloud in the real dialog: "Vorlesen", the option "Fragen vorlesen", the
// languages of a lesson's sides and where they are kept, and the fault notice.
#include "dialog_fixture.h"

#include "control_accessibles.h"
#include "file_bytes.h"
#include "lesson_languages.h"
#include "msg_win.h"
#include "read_aloud.h"

#include <filesystem>
#include <set>

namespace {

using namespace std::string_literals;

using Utterance = FakePlatform::Utterance;

std::string sampleBytes(const char* name)
{
    return readBytes(std::string(KAZ_SOURCE_DIR "/resources/lessons/") + name);
}

class ReadAloudTest : public DialogTest {
protected:
    ~ReadAloudTest() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (dynamic_cast<MSGWin*>(w) != nullptr) delete w;
    }
    ReadAloud& aloud() { return dia->readAloud(); }
    // Puts the cursor into a field and presses "Vorlesen".
    void speakFrom(int fieldId)
    {
        field(fieldId)->setFocus();
        QApplication::processEvents();
        dia->button(IdSpeak)->click();
    }
    void start(int queryButton)
    {
        if (dia->unsaved()) platform.messageAnswers.push_back(Platform::IdNo);
        dia->command(queryButton);
        QApplication::processEvents(); // the step's notice, and the speech after it
    }
    void answer(const QString& text)
    {
        type(IdTerm2, text);
        key(IdTerm2, Qt::Key_Return);
        QApplication::processEvents();
    }
    const strWort& asked() const { return *dia->document().chain().currentEntry; }
    QString rightAnswer() const
    {
        return fromCp1252(asked().direction == 'D' ? asked().term1 : asked().term2);
    }
    QString question() const
    {
        return fromCp1252(asked().direction == 'D' ? asked().term2 : asked().term1);
    }
    QString notice() const { return dia->findChild<SpokenNotice*>()->accessibleName(); }
    // Answers every question of the drill right; returns how many were asked.
    int answerAllRight()
    {
        int n = 0;
        while (dia->exercise().running() && n < 100) {
            answer(rightAnswer());
            ++n;
        }
        return n;
    }
    void closeReport()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (dynamic_cast<MSGWin*>(w) != nullptr) delete w;
    }
    LessonLanguageStore store() const
    {
        LessonLanguageStore s(dir.file(kLessonLanguagesFileName));
        s.load();
        return s;
    }
};

TEST_F(ReadAloudTest, VorlesenSpeaksTheFieldTheCursorWasInLastInItsSidesLanguage)
{
    load(writeLesson("ENGLISCH.LSN", sampleBytes("ENGLISCH.LSN")));
    dia->pageForward();
    const QString first = fieldText(IdTerm1), second = fieldText(IdTerm2);
    ASSERT_FALSE(first.isEmpty());
    speakFrom(IdTerm1);
    speakFrom(IdTerm2);
    // Ctrl+L does the same from the keyboard, here from the second field.
    QTest::keyClick(field(IdTerm2), Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(platform.spoken,
              (std::vector<Utterance>{{first, "de"}, {second, "en"}, {second, "en"}}));
    EXPECT_TRUE(platform.choices.empty()) << "a sample lesson's languages come set";
}

struct SampleCopy {
    const char* name;
    const char* sample; // whose bytes the copy has; null: bytes of its own
    const char* saveAs; // the name it is kept under
    const char* second; // the language of its second side
};

class SampleLessonCopies : public ReadAloudTest,
                           public ::testing::WithParamInterface<SampleCopy> {};

TEST_P(SampleLessonCopies, AreKnownByNameOrContent)
{
    const SampleCopy& c = GetParam();
    const std::string bytes = c.sample ? sampleBytes(c.sample) : "vtfile\0eins\0one\0"s;
    load(writeLesson(c.saveAs, bytes));
    // A lesson of its own has no language until the learner is asked.
    EXPECT_EQ(aloud().languages(), (SideLanguages{*c.second ? "de" : "", c.second}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SampleLessonCopies,
    ::testing::Values(SampleCopy{"english_by_content", "ENGLISCH.LSN", "meine.lsn", "en"},
                      SampleCopy{"french_by_content", "FRANZOES.LSN", "f.lsn", "fr"},
                      SampleCopy{"latin_by_content", "LATEIN.LSN", "kopie.lsn", "la"},
                      SampleCopy{"english_by_name", nullptr, "englisch.lsn", "en"},
                      SampleCopy{"latin_by_name", nullptr, "LATEIN.LSN", "la"},
                      SampleCopy{"another_lesson", nullptr, "wörter.lsn", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReadAloudTest, ASideWithoutLanguageIsAskedOnceWithAGuessAndTheChoiceIsKept)
{
    const std::string path = writeLesson("SPANISCH.LSN", "vtfile\0das Haus\0la casa\0"s);
    load(path);
    dia->pageForward();
    speakFrom(IdTerm2);
    ASSERT_EQ(platform.choices.size(), 1u);
    const auto& choice = platform.choices.front();
    EXPECT_EQ(choice.caption, "Vorlesen");
    EXPECT_EQ(choice.label, "In welcher Sprache sind die 2. Begriffe dieser Lektion?");
    EXPECT_EQ(choice.items,
              (QStringList{"Deutsch", "Englisch", "Französisch", "Latein", "Spanisch"}))
        << "the languages a lesson can hold that the service has voices for";
    EXPECT_EQ(choice.items.value(choice.preselected), "Spanisch");
    speakFrom(IdTerm2);
    speakFrom(IdTerm1);
    EXPECT_EQ(platform.choices.size(), 2u) << "the first side was asked for too, once";
    EXPECT_EQ(platform.spoken,
              (std::vector<Utterance>{{"la casa", "es"}, {"la casa", "es"}, {"das Haus", "de"}}));

    // The same lesson loaded again, in a new window: nothing is asked.
    frame.reset();
    makeWindow();
    load(path);
    dia->pageForward();
    speakFrom(IdTerm2);
    EXPECT_EQ(platform.choices.size(), 2u);
    EXPECT_EQ(platform.spoken.back(), (Utterance{"la casa", "es"}));
    EXPECT_EQ(store().find(std::filesystem::canonical(path).string()), (SideLanguages{"de", "es"}));
}

TEST_F(ReadAloudTest, ACancelledQuestionSpeaksNothingAndIsNotAskedAgainForThatLesson)
{
    load(writeLesson("x.lsn", "vtfile\0Haus\0house\0"s));
    dia->pageForward();
    platform.choiceAnswers = {-1};
    speakFrom(IdTerm2);
    speakFrom(IdTerm2);
    EXPECT_EQ(platform.choices.size(), 1u);
    EXPECT_TRUE(platform.spoken.empty());
    // Ctrl+Shift+L asks for both sides again.
    platform.choiceAnswers = {0, 1}; // Deutsch, Englisch
    QTest::keyClick(field(IdTerm2), Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(aloud().languages(), (SideLanguages{"de", "en"}));
    speakFrom(IdTerm2);
    EXPECT_EQ(platform.spoken, (std::vector<Utterance>{{"house", "en"}}));
}

TEST_F(ReadAloudTest, ANewLessonIsGermanFirstAndKeepsItsLanguagesUnderTheNameItIsSavedAs)
{
    addEntry("Haus", "maison");
    dia->pageBack();
    platform.choiceAnswers = {2}; // Französisch
    speakFrom(IdTerm1);
    speakFrom(IdTerm2);
    EXPECT_EQ(platform.choices.size(), 1u) << "only the second side is asked for";
    EXPECT_EQ(platform.spoken, (std::vector<Utterance>{{"Haus", "de"}, {"maison", "fr"}}));
    const std::string path = dir.file("NEU.LSN");
    platform.saveAnswers.push_back(QString::fromStdString(path));
    ASSERT_TRUE(dia->saveLesson());
    EXPECT_EQ(store().find(std::filesystem::canonical(path).string()), (SideLanguages{"de", "fr"}));

    ASSERT_TRUE(dia->closeLesson());
    EXPECT_EQ(aloud().languages(), (SideLanguages{"de", ""}));
    load(path);
    EXPECT_EQ(aloud().languages(), (SideLanguages{"de", "fr"}));
}

TEST_F(ReadAloudTest, ALessonReadFromATableKeepsItsLanguagesByTheTableAndWhenSaved)
{
    const std::string table = dir.file("liste.csv");
    writeFile(table, "Haus;domus\n");
    platform.messageAnswers.push_back(Platform::IdOk); // the import's report
    dia->importTableFile(table);
    platform.choiceAnswers = {3}; // Latein
    dia->pageBack();
    speakFrom(IdTerm2);
    EXPECT_EQ(platform.spoken, (std::vector<Utterance>{{"domus", "la"}}));
    EXPECT_EQ(store().find(std::filesystem::canonical(table).string())[1], "la");

    const std::string path = dir.file("LISTE.LSN");
    platform.saveAnswers.push_back(QString::fromStdString(path));
    ASSERT_TRUE(dia->saveLesson());
    EXPECT_EQ(store().find(std::filesystem::canonical(path).string()), (SideLanguages{"de", "la"}));
}

TEST_F(ReadAloudTest, WithTheOptionADrillSpeaksEveryQuestionAndTheCorrectTermOnce)
{
    load(writeLesson("ENGLISCH.LSN", "vtfile\0das Haus\0the house\0der Baum\0the tree\0"s));
    QTest::mouseClick(dia->button(IdReadAloud), Qt::LeftButton);
    ASSERT_TRUE(aloud().questionsReadAloud());
    QApplication::processEvents(); // the loaded lesson's status line is told first
    start(IdNormalQuery);
    const QString firstQuestion = question(), expected = rightAnswer();
    EXPECT_EQ(platform.spoken, (std::vector<Utterance>{{firstQuestion, "de"}}));
    EXPECT_TRUE(notice().startsWith("Frage:")) << notice().toStdString();
    EXPECT_FALSE(notice().contains(firstQuestion)) << "the term is heard in its language only";

    answer("falsch");
    EXPECT_EQ(platform.spoken.back(), (Utterance{expected, "en"}));
    EXPECT_TRUE(notice().contains(QStringLiteral("Lösung:")));
    EXPECT_FALSE(notice().contains(expected));
    key(IdTerm2, Qt::Key_Return); // ends the flashing: the next question
    QApplication::processEvents();
    EXPECT_EQ(platform.spoken.back(), (Utterance{question(), "de"}));

    const std::size_t before = platform.spoken.size();
    const int asked = answerAllRight();
    ASSERT_FALSE(dia->exercise().running());
    EXPECT_EQ(platform.spoken.size(), before + static_cast<std::size_t>(asked) - 1)
        << "each question once, the last answer brings none";
    for (std::size_t i = 0; i < platform.spoken.size(); ++i) {
        if (i == 1) continue; // the correct term
        EXPECT_EQ(platform.spoken[i].language, "de") << i;
    }
    closeReport();
}

// With a screen reader, each step is spoken whole by the trainer, in order: the German parts up
// to the term, the term in its language, the rest; the notice says nothing. In a mixed drill
// the label names the side shown and the term follows in that side's language.
TEST_F(ReadAloudTest, WithAScreenReaderEachStepIsSpokenWholeInOrderAndTheNoticeStaysSilent)
{
    for (const int query : {IdNormalQuery, IdMixedQuery}) {
        SCOPED_TRACE(query);
        load(writeLesson("ENGLISCH.LSN", "vtfile\0das Haus\0the house\0der Baum\0the tree\0"s));
        aloud().screenReaderListening = [] { return true; };
        aloud().setQuestionsReadAloud(true);
        QApplication::processEvents();
        platform.spoken.clear();
        const QString silent = notice();
        start(query);
        const QString q = question(), expected = rightAnswer();
        const char* qLanguage = asked().direction == 'D' ? "en" : "de";
        const char* aLanguage = asked().direction == 'D' ? "de" : "en";
        ASSERT_EQ(platform.spoken.size(), 3u);
        EXPECT_TRUE(platform.spoken[0].text.startsWith(QStringLiteral("Frage")));
        EXPECT_TRUE(platform.spoken[0].text.endsWith(':')) << platform.spoken[0].text.toStdString();
        EXPECT_EQ(platform.spoken[1], (Utterance{q, qLanguage}));
        EXPECT_EQ(platform.spoken[2], (Utterance{QStringLiteral("ÜBUNG: 1. Aufgabe"), "de"}));
        answer("falsch");
        ASSERT_GE(platform.spoken.size(), 5u);
        EXPECT_TRUE(platform.spoken[3].text.endsWith(QStringLiteral("Lösung:")));
        EXPECT_EQ(platform.spoken[3].language, "de");
        EXPECT_EQ(platform.spoken[4], (Utterance{expected, aLanguage}));
        key(IdTerm2, Qt::Key_Return);
        QApplication::processEvents();
        answerAllRight();
        ASSERT_FALSE(platform.spoken.empty());
        EXPECT_TRUE(platform.spoken.back().text.contains(QStringLiteral("Ergebnis: Note")));
        EXPECT_EQ(notice(), silent) << "the screen reader is not told the steps as well";
        closeReport();
    }
}

// A screen reader names each term field by the side it holds: the answer field is "1. Begriff"
// whenever the first term is wanted, question by question in a mixed drill, and both fields
// have their names back once the drill is over.
TEST_F(ReadAloudTest, TheTermFieldsAreNamedAfterTheSideTheyHold)
{
    for (const int query : {IdNormalQuery, IdReversedQuery, IdMixedQuery}) {
        SCOPED_TRACE(query);
        load(writeLesson("Z.LSN", "vtfile\0eins\0one\0zwei\0two\0drei\0three\0vier\0four\0"s));
        start(query);
        std::set<QString> answerNames;
        while (dia->exercise().running()) {
            const bool firstWanted = asked().direction == 'D';
            EXPECT_EQ(field(IdTerm2)->accessibleName(), firstWanted ? "1. Begriff" : "2. Begriff");
            EXPECT_EQ(field(IdTerm1)->accessibleName(), firstWanted ? "2. Begriff" : "1. Begriff");
            EXPECT_EQ(field(IdTerm2)->accessibleDescription(), field(IdTerm2)->accessibleName());
            answerNames.insert(field(IdTerm2)->accessibleName());
            answer(rightAnswer());
        }
        EXPECT_EQ(answerNames.size(), query == IdMixedQuery ? 2u : 1u);
        EXPECT_EQ(field(IdTerm1)->accessibleName(), "1. Begriff");
        EXPECT_EQ(field(IdTerm2)->accessibleName(), "2. Begriff");
        closeReport();
    }
}

TEST_F(ReadAloudTest, AReversedDrillSpeaksTheQuestionsInTheSecondLanguage)
{
    load(writeLesson("ENGLISCH.LSN", "vtfile\0das Haus\0the house\0der Baum\0the tree\0"s));
    aloud().setQuestionsReadAloud(true);
    start(IdReversedQuery);
    std::vector<Utterance> expected{{question(), "en"}};
    answer(rightAnswer());
    expected.push_back({question(), "en"});
    answer(rightAnswer());
    EXPECT_EQ(platform.spoken, expected);
    closeReport();
}

TEST_F(ReadAloudTest, AMixedDrillSpeaksEachQuestionInItsSidesLanguage)
{
    load(writeLesson("ENGLISCH.LSN", "vtfile\0eins\0one\0zwei\0two\0drei\0three\0vier\0four\0"s));
    aloud().setQuestionsReadAloud(true);
    start(IdMixedQuery);
    std::vector<Utterance> expected;
    std::set<QString> languages;
    while (dia->exercise().running()) {
        expected.push_back({question(), asked().direction == 'D' ? "en" : "de"});
        languages.insert(expected.back().language);
        answer(rightAnswer());
    }
    EXPECT_EQ(platform.spoken, expected);
    EXPECT_EQ(languages.size(), 2u);
    closeReport();
}

TEST_F(ReadAloudTest, WithoutTheOptionVorlesenSpeaksTheQuestionThenTheFlashingCorrectTerm)
{
    load(writeLesson("ENGLISCH.LSN", "vtfile\0das Haus\0the house\0der Baum\0the tree\0"s));
    start(IdNormalQuery);
    EXPECT_TRUE(platform.spoken.empty()) << "the option is off";
    EXPECT_TRUE(notice().contains(question())) << "the notice names the term itself";
    EXPECT_TRUE(dia->button(IdSpeak)->isVisible());
    speakFrom(IdTerm2);
    const QString q = question(), expected = rightAnswer();
    answer("falsch");
    ASSERT_TRUE(dia->exerciseView().feedbackRunning());
    speakFrom(IdTerm2);
    EXPECT_EQ(platform.spoken, (std::vector<Utterance>{{q, "de"}, {expected, "en"}}));
    platform.messageAnswers.push_back(Platform::IdYes); // abort the drill
    dia->command(IdAbort);
}

TEST_F(ReadAloudTest, TheOptionIsKeptForTheNextStart)
{
    EXPECT_FALSE(dia->button(IdReadAloud)->On()) << "off by default";
    QTest::mouseClick(dia->button(IdReadAloud), Qt::LeftButton);
    frame.reset();
    makeWindow();
    EXPECT_TRUE(dia->button(IdReadAloud)->On());
    EXPECT_TRUE(aloud().questionsReadAloud());
    EXPECT_EQ(dia->button(IdReadAloud)->accessibleName(), "Fragen vorlesen");
    EXPECT_TRUE(toolTips(dia)->text(dia->button(IdSpeak)).contains("Strg+L"));
}

TEST_F(ReadAloudTest, VorlesenShowsOnlyWhileThereIsATermToSpeak)
{
    EXPECT_FALSE(visible(IdSpeak));
    type(IdTerm1, "Haus");
    EXPECT_TRUE(visible(IdSpeak));
    field(IdTerm2)->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(visible(IdSpeak)) << "the second field is empty";
    EXPECT_TRUE(visible(IdReadAloud));
}

TEST_F(ReadAloudTest, AFaultIsToldOnceAndTheDrillGoesOn)
{
    load(writeLesson("ENGLISCH.LSN", "vtfile\0das Haus\0the house\0der Baum\0the tree\0"s));
    aloud().screenReaderListening = [] { return true; };
    aloud().setQuestionsReadAloud(true);
    start(IdNormalQuery);
    platform.failSpeech("Der Sprachdienst antwortet nicht.");
    platform.failSpeech("Der Sprachdienst antwortet nicht.");
    EXPECT_TRUE(platform.messages.empty()) << "told from the event loop, not inside the step";
    QApplication::processEvents();
    answer(rightAnswer());
    platform.failSpeech("anything else");
    QApplication::processEvents();
    EXPECT_EQ(messageTexts(),
              QStringList{"Vorlesen ist nicht möglich: Der Sprachdienst antwortet nicht."});
    EXPECT_EQ(platform.messages.front().caption, "Vorlesen");
    EXPECT_EQ(dia->exercise().asked(), 2u) << "the drill went on";
    EXPECT_TRUE(notice().contains("Frage: " + question())) << "the notice tells the steps again";
    answerAllRight();
    closeReport();
}

TEST_F(ReadAloudTest, ALanguageWithoutVoiceIsToldAndNothingIsSpoken)
{
    platform.voices = {"de", "en"};
    load(writeLesson("LATEIN.LSN", "vtfile\0das Haus\0domus\0"s));
    dia->pageForward();
    speakFrom(IdTerm2);
    speakFrom(IdTerm1);
    QApplication::processEvents();
    EXPECT_EQ(
        messageTexts(),
        QStringList{"Vorlesen ist nicht möglich: Für Latein hat der Sprachdienst keine Stimme."});
    EXPECT_EQ(platform.spoken, (std::vector<Utterance>{{"das Haus", "de"}}));
}

TEST_F(ReadAloudTest, AServiceWithoutVoicesAsksNothing)
{
    platform.voices.clear();
    load(writeLesson("x.lsn", "vtfile\0Haus\0house\0"s));
    dia->pageForward();
    speakFrom(IdTerm2);
    QApplication::processEvents();
    EXPECT_TRUE(platform.choices.empty());
    EXPECT_EQ(messageTexts(),
              QStringList{"Vorlesen ist nicht möglich: Der Sprachdienst bietet keine Stimme an."});
}

} // namespace
