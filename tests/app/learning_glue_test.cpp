// The window's glue to the learning record: answers recorded through it, the due drill begun
// with something due or nothing, the lessons due with none loaded, the missing chart module.
#include "dialog_fixture.h"

#include "learning_record.h"
#include "msg_win.h"
#include "record_session.h"

#include <filesystem>

namespace {

using namespace std::string_literals;
constexpr AskedDirection kFirst = AskedDirection::FirstTermShown;
constexpr AskedDirection kSecond = AskedDirection::SecondTermShown;

class LearningGlue : public DialogTest {
protected:
    ~LearningGlue() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* m = dynamic_cast<MSGWin*>(w)) delete m;
    }
    // The record opened as after the first frame, and the due button's name shown.
    void openRecord()
    {
        dia->recordSession().open();
        dia->updateStatus();
    }
    // Answers every question of the running drill right.
    void answerAllRight()
    {
        for (int guard = 0; dia->exercise().running() && guard < 100; ++guard) {
            const strWort* e = dia->document().chain().currentEntry;
            type(IdTerm2, fromCp1252(e->direction == 'D' ? e->term1 : e->term2));
            key(IdTerm2, Qt::Key_Return);
        }
        ASSERT_FALSE(dia->exercise().running());
    }
    QString dueName() const { return dia->button(IdDueQuery)->accessibleName(); }
};

TEST_F(LearningGlue, AnswersGoIntoTheRecordWithTheirDrillAndLesson)
{
    const std::string path = writeLesson("Obst.lsn", "vtfile\0Apfel\0apple\0Birne\0pear\0"s);
    load(path);
    openRecord();
    EXPECT_EQ(dueName(), QStringLiteral("Fällige Abfrage: 4 fällig"));
    dia->command(IdNormalQuery);
    answerAllRight();

    LearningRecord& record = dia->recordSession().record();
    const std::vector<HistoryAnswer> apple = record.history({"Apfel", "apple"}, kFirst);
    const std::vector<HistoryAnswer> pear = record.history({"Birne", "pear"}, kFirst);
    ASSERT_EQ(apple.size(), 1u);
    ASSERT_EQ(pear.size(), 1u);
    EXPECT_TRUE(apple[0].right && apple[0].firstAsking);
    EXPECT_EQ(apple[0].time, platform.now);
    EXPECT_EQ(apple[0].drill, pear[0].drill) << "one drill";
    EXPECT_NE(apple[0].drill, 0u);
    EXPECT_TRUE(record.history({"Apfel", "apple"}, kSecond).empty());
    EXPECT_EQ(record.lessonFiles(), std::vector<std::string>{"Obst.lsn"})
        << "in the working folder: by its name there, for the other computer";
    EXPECT_EQ(dueName(), QStringLiteral("Fällige Abfrage: 2 fällig")) << "the other direction";
}

TEST_F(LearningGlue, DueDrillAsksWhatIsDueThenSaysNothingIs)
{
    load(writeLesson("Haus.lsn", "vtfile\0Haus\0house\0"s));
    openRecord();
    dia->command(IdDueQuery);
    ASSERT_TRUE(dia->exercise().running()) << "never asked: due both ways";
    answerAllRight();
    EXPECT_EQ(dia->exercise().asked(), 2u);
    EXPECT_EQ(dueName(), QStringLiteral("Fällige Abfrage: 0 fällig"));
    platform.messages.clear();

    dia->command(IdDueQuery);
    EXPECT_FALSE(dia->exercise().running());
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, QStringLiteral("Heute ist nichts fällig."));
    EXPECT_EQ(platform.messages[0].caption, QStringLiteral("Fällige Abfrage"));
}

TEST_F(LearningGlue, WithNoLessonTheDueButtonListsTheLessonsDueAndStartsTheOneChosen)
{
    const std::string a = writeLesson("A.lsn", "vtfile\0eins\0one\0"s);
    const std::string b = writeLesson("B.lsn", "vtfile\0zwei\0two\0drei\0three\0"s);
    const std::string known = writeLesson("Bekannt.lsn", "vtfile\0vier\0four\0"s);
    const std::string gone = writeLesson("Weg.lsn", "vtfile\0fuenf\0five\0"s);
    const std::string notLesson = writeLesson("Kaputt.lsn", "vtfile\0sechs\0six\0"s);
    {
        LearningRecord record; // an earlier session
        record.open(kLearningRecordFileName, platform.now);
        const auto right = [&](const std::string& lesson, TermPair pair, AskedDirection d,
                               std::int64_t at) {
            record.setLesson(lesson);
            record.recordAnswer(pair, d, true, true, at, 1);
        };
        right(a, {"eins", "one"}, kFirst, platform.now - 31);
        right("A.lsn", {"eins", "one"}, kFirst, platform.now - 30); // the same file

        right(b, {"zwei", "two"}, kFirst, platform.now - 20);
        right(known, {"vier", "four"}, kFirst, platform.now - 10);
        right(known, {"vier", "four"}, kSecond, platform.now - 10);
        right(gone, {"fuenf", "five"}, kFirst, platform.now);
        right(notLesson, {"sechs", "six"}, kFirst, platform.now);
    }
    std::filesystem::remove(gone);
    writeLesson("Kaputt.lsn", "kein Lektionskopf");

    dia->updateStatus();
    EXPECT_FALSE(visible(IdDueQuery)) << "start-up does not wait for the record";
    openRecord();
    ASSERT_TRUE(visible(IdDueQuery));
    EXPECT_EQ(dueName(), QStringLiteral("Fällige Abfrage: 2 Lektionen fällig"));

    std::filesystem::rename(b, dir.file("B.alt")); // gone after it was listed
    platform.choiceAnswers.push_back(0);
    dia->command(IdDueQuery);
    ASSERT_EQ(platform.messages.size(), 1u) << "not found";
    EXPECT_EQ(dueName(), QStringLiteral("Fällige Abfrage: 1 Lektion fällig")) << "read again";
    std::filesystem::rename(dir.file("B.alt"), b);
    dia->updateStatus();
    EXPECT_EQ(dueName(), QStringLiteral("Fällige Abfrage: 1 Lektion fällig")) << "once a day";

    platform.choices.clear();
    platform.now += 24 * 60 * 60;
    dia->updateStatus();
    EXPECT_EQ(dueName(), QStringLiteral("Fällige Abfrage: 2 Lektionen fällig")) << "a new day";
    platform.choiceAnswers.push_back(1);
    dia->command(IdDueQuery);
    ASSERT_EQ(platform.choices.size(), 1u);
    const QString folder = QString::fromStdString(dir.path().string());
    EXPECT_EQ(platform.choices[0].items,
              (QStringList{QStringLiteral("B.lsn: 3 fällig (in %1)").arg(folder),
                           QStringLiteral("A.lsn: 1 fällig (in %1)").arg(folder)}))
        << "latest answered first; nothing due, gone or no lesson: left out";
    EXPECT_EQ(dia->document().path(), a);
    ASSERT_TRUE(dia->exercise().running()) << "its due drill";
    EXPECT_EQ(fieldText(IdTerm1), QStringLiteral("one")) << "the direction due";
}

TEST_F(LearningGlue, ChartButtonWithoutItsModuleSaysSo)
{
    load(writeLesson("Haus.lsn", "vtfile\0Haus\0house\0"s));
    dia->command(IdLearningChart);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              QStringLiteral("Die Lernstand-Grafik ist nicht installiert."));
}

} // namespace
