#include "config.h"
#include "question_order.h"
#include "recording_window.h"
#include "temp_dir.h"

#include <algorithm>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

namespace {

using Strings = std::vector<std::string>;
// Whether the k-th time (0, 1, ...) the entry at a chain position is asked gets a wrong answer.
using WrongPolicy = std::function<bool(std::size_t entry, int k)>;

constexpr std::int64_t kStart = 1765026300;
constexpr std::uint32_t kSeed = 213;
// Windows-1252 in octal escapes, which end after three digits: \334 = Ü, \374 = ü, \344 = ä.
#define UEBUNG "status ÜBUNG: "
#define GESAMT "Gesamtübung:\r"
const std::string kCongratulation = "box GLÜCKWUNSCH!: Glückwunsch! Alles richtig!";

// The generator once more: the k-th state from kSeed and the sound it selects.
std::uint32_t stateAfter(std::uint32_t seed, int k)
{
    while (k-- > 0)
        seed = seed * 22695477u + 1u;
    return seed;
}
std::string soundAfter(const char* kind, int k)
{
    return std::string("sound ") + kind +
           std::to_string((stateAfter(kSeed, k) >> 12 & 0x7FFF) % 3 + 1) + ".WAV";
}

// One dialog with its lesson, settings and results log in a temporary working folder.
struct Session {
    TempDir dir;
    EntryChain chain;
    RecordingWindow window;
    ExerciseRun run{chain, window, dir.file(kResultsLogFileName)};
    std::map<const strWort*, std::size_t> position;

    Session() { window.now = kStart + 187; }
    void add(const std::string& first, const std::string& second)
    {
        position[chain.append(first, second)] = position.size();
    }
    void addNumbered(std::size_t n)
    {
        for (std::size_t i = 0; i < n; ++i)
            add("w" + std::to_string(i), "t" + std::to_string(i));
    }
    bool start(QueryMode mode = QueryMode::ModeNormal, std::uint32_t seed = kSeed)
    {
        window.seed = seed;
        return run.startExercise(mode, kStart);
    }
    void answerRight() { run.checkAnswer(expectedTerm(*chain.currentEntry)); }
    void answerWrong() // and the Enter that leaves it
    {
        run.checkAnswer("falsch");
        run.stopFeedback();
        run.checkAnswer("");
    }
    // Answers until the exercise ends; returns the chain positions asked.
    std::vector<std::size_t> play(const WrongPolicy& wrong)
    {
        std::vector<std::size_t> asked;
        std::map<std::size_t, int> seen;
        while (run.running() && asked.size() < 1000000) {
            const std::size_t i = position.at(chain.currentEntry);
            asked.push_back(i);
            wrong(i, seen[i]++) ? answerWrong() : answerRight();
        }
        return asked;
    }
    ResultsLog log() const { return ResultsLog::load(dir.file(kResultsLogFileName)); }
};

class Exercise : public ::testing::Test, protected Session {};

TEST_F(Exercise, OneEntryAnsweredRight)
{
    add("Haus", "house");
    window.path = "/home/ute/Rudarudn1.lsn";
    window.options = {true, false, true};
    ASSERT_TRUE(start());
    answerRight();
    EXPECT_EQ(window.calls,
              (Strings{"locked 1", "line1 reset", "clock elapsed", "readOnly question 1",
                       // first question
                       "grade 1", "line1 segment 0/1", "line2 ratio 0/0", "question Haus",
                       UEBUNG "1. Aufgabe", UEBUNG "1. Aufgabe",
                       // the answer; the pass ends without errors
                       "stopBlink", soundAfter("OK", 1), "line1 reset", "status cleared",
                       kCongratulation, "grade 1",
                       "report Ergebnis: Note 1 | " GESAMT
                       "1 Aufgaben mit 0 Fehlern. (Erfolgsquote = 100%)",
                       // back to editing
                       "stopBlink", "locked 0", "line1 restore 1", "clock wall",
                       "readOnly question 0", "showEntry Haus", "status "}));
    EXPECT_EQ(log().usedSlots(), 1u);
    EXPECT_EQ(log().record(0), (ResultRecord{static_cast<std::int32_t>(kStart),
                                             187,
                                             "Rudarudn1",
                                             {true, false, true},
                                             {90, 80, 66, 50, 20},
                                             1,
                                             1,
                                             0}));
}

TEST_F(Exercise, OneEntryWrongThenRightTwice)
{
    add("Haus", "house");
    ASSERT_TRUE(start());
    window.calls.clear();
    run.checkAnswer("hose");
    EXPECT_EQ(window.calls, (Strings{"stopBlink", "beep", soundAfter("NO", 1),
                                     "status 1 .   F E H L E R !", "feedback house"}));
    EXPECT_TRUE(run.answerPending() && run.feedbackRunning());

    window.calls.clear();
    run.stopFeedback();
    run.checkAnswer(""); // ends the first pass (state 2), draws the repetition (state 3)
    EXPECT_EQ(window.calls, (Strings{"feedback stop", "line1 reset", "grade 6", "line1 ratio 0/0",
                                     "question Haus", UEBUNG "2. Aufgabe (Schwerpunkte)"}));
    answerRight();
    answerRight();
    EXPECT_FALSE(run.running());
    EXPECT_EQ(window.only("question "), Strings(2, "question Haus"));
    EXPECT_EQ(window.only("sound"), (Strings{soundAfter("OK", 3), soundAfter("OK", 4)}));
    EXPECT_TRUE(window.only("box").empty()) << "no congratulation after an error";
    EXPECT_EQ(window.only("report"), Strings{"report Ergebnis: Note 6 | " GESAMT
                                             "1 Aufgaben mit 1 Fehlern. (Erfolgsquote = 0%)\r\r"
                                             "Schwerpunkt: 1 Aufgaben mit 0 Fehlern."});
    EXPECT_EQ(log().record(0).wrongEntries, 1u);
}

TEST_F(Exercise, TwoEntriesFirstWrongIsRepeatedRightAway)
{
    add("eins", "one");
    add("zwei", "two");
    ASSERT_TRUE(start()); // draws 561 % 2 = 1 and 24234 % 2 = 0: both start at the head
    answerWrong();
    for (int i = 0; i < 3; ++i)
        answerRight();
    EXPECT_EQ(window.only("question "),
              (Strings{"question eins", "question zwei", "question eins", "question eins"}));
    EXPECT_EQ(window.only("status "),
              (Strings{UEBUNG "1. Aufgabe", UEBUNG "1. Aufgabe", "status 1 .   F E H L E R !",
                       UEBUNG "2. Aufgabe (0 OK, 1 Fehler)", UEBUNG "3. Aufgabe (Schwerpunkte)",
                       UEBUNG "4. Aufgabe (Schwerpunkte)", "status cleared", "status "}));
    // At each first-pass draw, after the wrong answer (not the pass's last question), at the
    // end of the pass (1 of 2 = 50 %: grade 4), and for the report.
    EXPECT_EQ(window.only("grade"),
              (Strings{"grade 1", "grade 6", "grade 6", "grade 4", "grade 4"}));
}

TEST_F(Exercise, QuestionOrderOfFiveEntries)
{
    addNumbered(5);
    ASSERT_TRUE(start());
    for (int i = 0; i < 5; ++i)
        answerRight();
    // Seed 213; state := state * 22695477 + 1 (mod 2^32); r = bits 12..26 mod 5; the walk
    // starts r-1 steps from the head (at the head for r <= 1) and goes on to an unasked entry:
    //   539169306 = 0x2023121A: bits 0x0231 =   561, r 1, start 0 -> 0
    //  3454708579 = 0xCDEAAB63: bits 0x5EAA = 24234, r 4, start 3 -> 3
    //  3315312000 = 0xC59BA580: bits 0x59BA = 22970, r 0, start 0 -> 0 asked, 1
    //    78005121 = 0x04A64381: bits 0x4A64 = 19044, r 4, start 3 -> 3, 4
    //  3679930294 = 0xDB5747B6: bits 0x3574 = 13684, r 4, start 3 -> 3, 4, wrap, 0, 1, 2
    EXPECT_EQ(window.only("question "),
              (Strings{"question w0", "question w3", "question w1", "question w4", "question w2"}));
    const Strings statuses = window.only(UEBUNG);
    ASSERT_EQ(statuses.size(), 6u);
    EXPECT_EQ(statuses[2], UEBUNG "2. Aufgabe (1 OK, 0 Fehler)");
    EXPECT_EQ(statuses[5], UEBUNG "5. Aufgabe (4 OK, 0 Fehler)");
    EXPECT_EQ(window.only("line1 segment").back(), "line1 segment 4/5");
    EXPECT_EQ(window.only("box"), Strings{kCongratulation});
}

TEST_F(Exercise, MixedModeAlternatesAndCarriesTheToggleOver)
{
    add("a1", "a2");
    add("b1", "b2");
    add("c1", "c2");
    ASSERT_TRUE(start(QueryMode::ModeMixed)); // draws mod 3: 0, 0, 2 -> chain order
    answerRight();
    answerWrong(); // b stays 'D' when it is repeated
    answerRight();
    answerRight();
    answerRight();
    EXPECT_EQ(window.only("question "),
              (Strings{"question a1", "question b2", "question c1", "question b2", "question b2"}));
    ASSERT_TRUE(start(QueryMode::ModeMixed));
    EXPECT_EQ(window.lastQuestion, "a2") << "the alternation goes on across exercises";
    run.checkAnswer("a1"); // 'D' asks for the first term
    EXPECT_EQ(run.right(), 1u);
}

TEST_F(Exercise, OptionsAreReadAtEachAnswer)
{
    add("Haus", "house");
    ASSERT_TRUE(start(QueryMode::ModeReversed));
    EXPECT_EQ(window.lastQuestion, "house");
    run.checkAnswer("haus");
    EXPECT_EQ(
        window.only("blink"),
        Strings{"blink " + std::to_string(static_cast<int>(OptionButton::IgnoreCase)) + "/250"});
    EXPECT_EQ(window.only("feedback"), Strings{"feedback Haus"});
    run.checkAnswer(""); // confirming without Enter still stops the flashing first
    EXPECT_EQ(window.only("feedback").back(), "feedback stop");
    window.options.ignoreCase = true;
    run.checkAnswer("haus");
    EXPECT_EQ(run.right(), 1u);
    EXPECT_FALSE(run.optionChangeAllowed());
    EXPECT_EQ(window.only("box"),
              Strings{"box Übungsmodus: Umschalten im Übungsmodus nicht zulässig!"});
}

TEST_F(Exercise, AbortAsksAndLeavesNoReportAndNoRecord)
{
    add("eins", "one");
    add("zwei", "two");
    ASSERT_TRUE(start());
    run.checkAnswer("falsch");
    window.answers = {false};
    window.calls.clear();
    EXPECT_FALSE(run.endExercise(true));
    EXPECT_EQ(window.calls, (Strings{"feedback stop", "box ÜBUNG: Übung abbrechen?",
                                     "status 1 .   F E H L E R !"}));
    EXPECT_TRUE(run.running() && run.answerPending()) << "No goes on where the exercise was";

    EXPECT_TRUE(run.endExercise(true));
    EXPECT_FALSE(run.running());
    EXPECT_TRUE(window.only("report").empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file(kResultsLogFileName)));
}

TEST_F(Exercise, EmptyAnswerChangesNothing)
{
    add("eins", "one");
    ASSERT_TRUE(start());
    window.calls.clear();
    run.checkAnswer(" \t ");
    EXPECT_EQ(window.calls, Strings{"stopBlink"});
    EXPECT_EQ(run.asked() + run.right() + run.wrong(), 1u);
    EXPECT_EQ(run.seed(), stateAfter(kSeed, 1));
}

TEST_F(Exercise, TenEntryExampleReportsGrade2)
{
    addNumbered(10);
    window.thresholds[0] = "250"; // typed during the exercise: used and logged unclamped
    ASSERT_TRUE(start());
    play([](std::size_t i, int k) { return (i == 3 && k == 0) || (i == 7 && k <= 1); });
    EXPECT_EQ(run.asked(), 15u);
    EXPECT_EQ(window.only("report"), Strings{"report Ergebnis: Note 2 | " GESAMT
                                             "10 Aufgaben mit 2 Fehlern. (Erfolgsquote = 80%)\r\r"
                                             "Schwerpunkt: 2 Aufgaben mit 1 Fehlern."});
    EXPECT_EQ(
        log().record(0),
        (ResultRecord{
            static_cast<std::int32_t>(kStart), 187, "<NEU>", {}, {250, 80, 66, 50, 20}, 2, 10, 2}));
}

TEST_F(Exercise, StartAsksToSaveAndIsRefusedWithoutEntriesOrWhileRunning)
{
    EXPECT_FALSE(start()) << "an empty lesson has nothing to draw from";
    EXPECT_TRUE(window.calls.empty());
    add("eins", "one");
    window.unsaved = true;
    window.answers = {true};
    ASSERT_TRUE(start());
    EXPECT_EQ(window.only("save").size(), 1u);
    // The question order is seeded from the time after the user answered the question.
    const auto save = std::find(window.calls.begin(), window.calls.end(), "save");
    EXPECT_LT(static_cast<std::size_t>(save - window.calls.begin()), window.seededAfter);
    const std::size_t calls = window.calls.size();
    EXPECT_FALSE(start());
    EXPECT_EQ(window.calls.size(), calls);
}

// The question order as the chain walks give it, step by step on a chain of its own.
std::vector<std::size_t> walkedOrder(std::size_t n, std::uint32_t seed, const WrongPolicy& wrong)
{
    EntryChain chain;
    std::map<strWort*, std::size_t> position;
    for (std::size_t i = 0; i < n; ++i)
        position[chain.append("w", "t")] = i;
    const auto due = [](const strWort* e) { return e->wrongCount > 0 && e->rightCount < 2; };
    const auto any = [&](auto pred) {
        for (const strWort* e = chain.firstEntry(); e != nullptr; e = e->next)
            if (pred(e)) return true;
        return false;
    };
    std::uint32_t draws = 0;
    strWort* previous = nullptr;
    std::vector<std::size_t> order;
    std::map<std::size_t, int> seen;
    for (;;) {
        seed = seed * 22695477u + 1u;
        const std::uint32_t r = ((seed >> 12) & 0x7FFFu) % n;
        strWort* e = chain.firstEntry();
        if (draws < n) {
            for (std::uint32_t k = 1; k < r; ++k)
                e = e->next;
            while (e->rightCount != 0 || e->wrongCount != 0)
                e = e->next != nullptr ? e->next : chain.firstEntry();
            ++draws;
        } else if (draws == n) {
            draws = static_cast<std::uint32_t>(n) + 1;
            if (!any([](const strWort* x) { return x->wrongCount > 0; })) break;
            continue;
        } else {
            if (!any(due)) break;
            bool wrapped = false;
            for (e = previous->next;; e = e->next) {
                if (e == nullptr && wrapped) {
                    e = previous;
                    break;
                }
                if (e == nullptr) {
                    wrapped = true;
                    e = chain.firstEntry();
                }
                if (e != previous && due(e)) break;
            }
        }
        previous = e;
        order.push_back(position[e]);
        wrong(position[e], seen[position[e]]++) ? ++e->wrongCount : ++e->rightCount;
    }
    return order;
}

class QuestionOrder : public ::testing::TestWithParam<std::tuple<std::size_t, int>> {};

TEST_P(QuestionOrder, IsTheOrderOfTheChainWalks)
{
    const auto [entries, wrongPercent] = GetParam();
    for (const std::uint32_t seed : {213u, 0u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
        const WrongPolicy wrong = [&](std::size_t i, int k) {
            const std::uint32_t h = stateAfter(seed ^ static_cast<std::uint32_t>(i * 7919 + k), 3);
            return k < 4 && static_cast<int>((h >> 12) % 100) < wrongPercent;
        };
        Session s;
        s.addNumbered(entries);
        ASSERT_TRUE(s.start(QueryMode::ModeNormal, seed));
        ASSERT_EQ(s.play(wrong), walkedOrder(entries, seed, wrong)) << "seed " << seed;
        if (entries > 32768) break; // one seed is enough to walk past the draws' range
    }
}

// (entries, percentage of wrong answers): word boundaries of the position sets at 64/65, and
// a lesson larger than the 32768 draws reach.
INSTANTIATE_TEST_SUITE_P(Lessons, QuestionOrder,
                         ::testing::Values(std::tuple{1, 60}, std::tuple{2, 50}, std::tuple{17, 30},
                                           std::tuple{64, 20}, std::tuple{65, 100},
                                           std::tuple{1000, 10}, std::tuple{33000, 5}),
                         [](const auto& info) {
                             return std::to_string(std::get<0>(info.param)) + "_entries_" +
                                    std::to_string(std::get<1>(info.param)) + "_percent_wrong";
                         });

TEST(LocalTimeSeed, CountsTheLocalCalendarInSeconds)
{
    std::tm t{};
    t.tm_year = 125, t.tm_mon = 11, t.tm_mday = 6, t.tm_hour = 14, t.tm_min = 5, t.tm_sec = 9;
    EXPECT_EQ(localTimeSeed(t), 20428u * 86400u + 14u * 3600u + 5u * 60u + 9u); // 2025-12-06
    t = std::tm{};
    t.tm_year = 69, t.tm_mon = 11, t.tm_mday = 31, t.tm_hour = 23, t.tm_min = 59, t.tm_sec = 59;
    EXPECT_EQ(localTimeSeed(t), 0xFFFFFFFFu) << "one second before 1970 wraps";
}

// A results log that cannot be written: the report stays as it is, a second window says why.
struct UnwritableLog {
    const char* name;
    std::function<std::string(const TempDir&)> makePath; // the log path, its obstacle made
    const char* reason;
};

class UnwritableResultsLog : public ::testing::TestWithParam<UnwritableLog> {};

TEST_P(UnwritableResultsLog, IsReportedAfterTheReport)
{
    TempDir dir;
    const std::string path = GetParam().makePath(dir);
    EntryChain chain;
    chain.append("Haus", "house");
    RecordingWindow window;
    window.now = kStart + 187;
    window.seed = kSeed;
    ExerciseRun run{chain, window, path};
    ASSERT_TRUE(run.startExercise(QueryMode::ModeNormal, kStart));
    run.checkAnswer("house");
    ASSERT_FALSE(run.running());
    const Strings reports = window.only("report");
    ASSERT_EQ(reports.size(), 1u);
    const auto report = std::find(window.calls.begin(), window.calls.end(), reports[0]);
    ASSERT_NE(report + 1, window.calls.end());
    EXPECT_EQ(*(report + 1), "storeFailure Ergebnis nicht gespeichert | Das Ergebnis konnte "
                             "nicht in " +
                                 path + " gespeichert werden:\r" + GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnwritableResultsLog,
    ::testing::Values(UnwritableLog{"missing_folder",
                                    [](const TempDir& d) { return d.file("fehlt/DODADIZE.KAZ"); },
                                    "Der Ordner ist nicht vorhanden."},
                      UnwritableLog{"a_folder_in_the_way",
                                    [](const TempDir& d) {
                                        std::filesystem::create_directory(d.file("DODADIZE.KAZ"));
                                        return d.file("DODADIZE.KAZ");
                                    },
                                    "Der Name gehört keiner gewöhnlichen Datei."},
                      UnwritableLog{"read_only_log",
                                    [](const TempDir& d) {
                                        const std::string path = d.file("DODADIZE.KAZ");
                                        ResultsLog().save(path);
                                        std::filesystem::permissions(
                                            path, std::filesystem::perms::owner_read);
                                        return path;
                                    },
                                    "Keine Schreibberechtigung."}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

// A mixed drill of three entries, the second one answered wrong at first, with an empty answer
// and the Enter after the wrong answer in between, which judge nothing. Every answer observed
// as "<chain position><direction mark><+ right, - wrong><1 first asking, r repetition>".
struct ObservedDrill : Session {
    Strings seen;
    explicit ObservedDrill(bool observe)
    {
        addNumbered(3);
        if (observe)
            run.setAnswerObserver([this](const AnswerEvent& e) {
                seen.push_back(std::to_string(position.at(&e.entry)) + e.direction +
                               (e.right ? '+' : '-') + (e.firstAsking ? '1' : 'r'));
            });
        start(QueryMode::ModeMixed);
        answerRight();
        run.checkAnswer("  ");
        answerWrong();
        for (int i = 0; i < 3; ++i)
            answerRight();
    }
};

} // namespace

TEST(AnswerObserver, SeesEveryJudgedAnswerAndChangesNothingOfTheDrill)
{
    ObservedDrill observed(true);
    EXPECT_EQ(observed.seen, (Strings{"0E+1", "1D-1", "2E+1", "1D+r", "1D+r"}));
    ObservedDrill unobserved(false);
    EXPECT_EQ(observed.window.calls, unobserved.window.calls);
    EXPECT_EQ(observed.log().bytes(), unobserved.log().bytes());
}

namespace {

// A due drill of four questions over three entries, the middle entry due in both directions;
// the answer to entry 1 asked with its second term shown is wrong at first. Every answer seen
// as in ObservedDrill.
struct PlannedDrill : Session {
    Strings seen;
    explicit PlannedDrill(std::uint32_t seed)
    {
        addNumbered(3);
        run.setAnswerObserver([this](const AnswerEvent& e) {
            seen.push_back(std::to_string(position.at(&e.entry)) + e.direction +
                           (e.right ? '+' : '-') + (e.firstAsking ? '1' : 'r'));
        });
        strWort* e0 = chain.firstEntry();
        strWort* e1 = e0->next;
        strWort* e2 = e1->next;
        window.seed = seed;
        started = run.startPlanned({{e0, kFirstTermShown},
                                    {e1, kFirstTermShown},
                                    {e1, kSecondTermShown},
                                    {e2, kSecondTermShown}},
                                   kStart);
        bool wrongGiven = false;
        while (run.running() && seen.size() < 100) {
            if (!wrongGiven && chain.currentEntry == e1 && e1->direction == kSecondTermShown) {
                wrongGiven = true;
                answerWrong();
            } else {
                answerRight();
            }
        }
    }
    bool started = false;
};

} // namespace

TEST(PlannedExercise, AsksEachQuestionOnceInItsDirectionBothDirectionsTogether)
{
    for (const std::uint32_t seed : {kSeed, 1u, 77u, 4000u, 123457u}) {
        SCOPED_TRACE(seed);
        PlannedDrill drill(seed);
        ASSERT_TRUE(drill.started);
        ASSERT_EQ(drill.seen.size(), 6u) << "four first askings, the wrong one twice more";
        Strings first(drill.seen.begin(), drill.seen.begin() + 4);
        const auto e1 = std::find(first.begin(), first.end(), "1E+1");
        ASSERT_NE(e1, first.end());
        const auto partner = std::find(first.begin(), first.end(), "1D-1");
        EXPECT_EQ(std::abs(e1 - partner), 1) << "an entry's two directions one after the other";
        std::sort(first.begin(), first.end());
        EXPECT_EQ(first, (Strings{"0E+1", "1D-1", "1E+1", "2D+1"}));
        EXPECT_EQ(Strings(drill.seen.begin() + 4, drill.seen.end()), (Strings{"1D+r", "1D+r"}));
        // Grade and log count the questions: 3 of 4 right at once.
        EXPECT_EQ(drill.window.only("report"),
                  Strings{"report Ergebnis: Note 3 | " GESAMT
                          "4 Aufgaben mit 1 Fehlern. (Erfolgsquote = 75%)\r\r"
                          "Schwerpunkt: 1 Aufgaben mit 0 Fehlern."});
        EXPECT_EQ(drill.log().record(0).entryCount, 4u);
        EXPECT_EQ(drill.log().record(0).wrongEntries, 1u);
        EXPECT_FALSE(drill.run.startPlanned({}, kStart)) << "nothing due starts nothing";
    }
}

// The due drill's order for a seed, as it has always been drawn (the first pass over the plan,
// an entry's second direction right after its first, then the repetition pass).
TEST(PlannedExercise, KeepsItsOrderForEachSeed)
{
    const std::pair<std::uint32_t, Strings> cases[] = {
        {kSeed, {"0E+1", "1E+1", "1D-1", "2D+1", "1D+r", "1D+r"}},
        {1u, {"0E+1", "1E+1", "1D-1", "2D+1", "1D+r", "1D+r"}},
        {77u, {"0E+1", "1D-1", "1E+1", "2D+1", "1D+r", "1D+r"}},
        {4000u, {"1D-1", "1E+1", "2D+1", "0E+1", "1D+r", "1D+r"}},
        {123457u, {"1E+1", "1D-1", "2D+1", "0E+1", "1D+r", "1D+r"}}};
    for (const auto& [seed, seen] : cases)
        EXPECT_EQ(PlannedDrill(seed).seen, seen) << "seed " << seed;
}
