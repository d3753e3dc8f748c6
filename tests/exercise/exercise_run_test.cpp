#include "config.h"
#include "entry_chain.h"
#include "exercise_run.h"
#include "question_order.h"
#include "recording_window.h"
#include "results_log.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace {

using Strings = std::vector<std::string>;
// Decides whether the k-th time (0, 1, ...) an entry (by chain position) is asked gets a wrong
// answer.
using WrongPolicy = std::function<bool(std::size_t entry, int k)>;

constexpr std::int64_t kStart = 1765026300; // 2025-12-06 13:05:00 UTC
constexpr std::int32_t kDuration = 187;
constexpr std::uint32_t kSeed = 213;

const std::string kCongratulation = "box GL\xDC"
                                    "CKWUNSCH!: Gl\xFC"
                                    "ckwunsch! Alles richtig!";
const std::string kUebung = "\xDC"
                            "BUNG: ";
const std::string kGesamt = "Gesamt\xFC"
                            "bung:\r";

// The generator written out once more: state after k steps from `seed`, and its bits 12..26.
std::uint32_t stateAfter(std::uint32_t seed, int k)
{
    for (int i = 0; i < k; ++i)
        seed = seed * 22695477u + 1u;
    return seed;
}
std::uint32_t bits12to26(std::uint32_t state)
{
    return (state >> 12) & 0x7FFFu;
}
std::string soundAfter(const char* kind, int k)
{
    return std::string("sound ") + kind + std::to_string(bits12to26(stateAfter(kSeed, k)) % 3 + 1) +
           ".WAV";
}

// One dialog with its lesson, settings and results log in a temporary working folder.
struct Session {
    TempDir dir;
    Config config{dir.file("DODADIZE.CFG")};
    EntryChain chain;
    RecordingWindow window;
    ExerciseRun run{chain, window, config, dir.file(kResultsLogFileName)};
    std::map<const strWort*, std::size_t> position;

    Session()
    {
        window.run = &run;
        window.now = kStart + kDuration;
    }

    void add(const std::string& first, const std::string& second)
    {
        position[chain.append(first, second)] = position.size();
    }
    void addNumbered(std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i)
            add("w" + std::to_string(i), "t" + std::to_string(i));
    }

    bool start(QueryMode mode = QueryMode::ModeNormal, std::uint32_t seed = kSeed)
    {
        return run.startExercise(mode, kStart, seed);
    }

    void answerRight() { run.checkAnswer(expectedTerm(*chain.currentEntry)); }
    // A wrong answer and the confirmation that leaves it (Enter stops the flashing first).
    void answerWrong()
    {
        run.checkAnswer("falsch");
        run.stopFeedback();
        run.checkAnswer("");
    }

    // Answers every question until the exercise ends; returns the chain positions asked.
    std::vector<std::size_t> play(const WrongPolicy& wrong)
    {
        std::vector<std::size_t> asked;
        std::map<std::size_t, int> seen;
        while (run.running() && asked.size() < 100000) {
            const std::size_t i = position.at(chain.currentEntry);
            asked.push_back(i);
            if (wrong(i, seen[i]++))
                answerWrong();
            else
                answerRight();
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

    // One entry: every draw is 0. The sound variant comes from the first state's bits.
    const Strings expected = {
        "locked 1", "line1 reset", "clock elapsed", "readOnly question 1",
        // the first question
        "grade 1", "line1 segment 0/1", "line2 ratio 0/0", "question Haus",
        "status " + kUebung + "1. Aufgabe", "status " + kUebung + "1. Aufgabe",
        // the answer
        "stopBlink", soundAfter("OK", 1),
        // end of the first pass without errors
        "line1 reset", "status cleared", kCongratulation, "grade 1",
        "report Ergebnis: Note 1 | " + kGesamt + "1 Aufgaben mit 0 Fehlern. (Erfolgsquote = 100%)",
        // back to editing
        "stopBlink", "locked 0", "line1 restore 1", "clock wall", "readOnly question 0",
        "showEntry Haus", "status "};
    EXPECT_EQ(window.calls, expected);
    EXPECT_FALSE(run.running());
    EXPECT_EQ(chain.firstEntry->rightCount, 1u);
    EXPECT_EQ(chain.firstEntry->direction, 'E');

    const ResultsLog log = this->log();
    ASSERT_EQ(log.usedSlots(), 1u);
    ResultRecord r;
    r.startTime = static_cast<std::int32_t>(kStart);
    r.duration = kDuration;
    r.lessonName = "Rudarudn1";
    r.options = {true, false, true};
    r.thresholds = {90, 80, 66, 50, 20};
    r.grade = 1;
    r.entryCount = 1;
    r.wrongEntries = 0;
    EXPECT_EQ(log.record(0), r);
}

TEST_F(Exercise, OneEntryWrongThenRightTwice)
{
    add("Haus", "house");
    ASSERT_TRUE(start());
    window.calls.clear();

    run.checkAnswer("hose");
    EXPECT_EQ(window.calls, (Strings{"stopBlink", "beep", soundAfter("NO", 1),
                                     "status 1 .   F E H L E R !", "feedback house"}));
    EXPECT_TRUE(run.answerPending());
    EXPECT_TRUE(run.feedbackRunning());

    window.calls.clear();
    run.stopFeedback(); // Enter
    run.checkAnswer("");
    // The confirmation ends the first pass (state 2) and draws the repetition (state 3).
    EXPECT_EQ(window.calls,
              (Strings{"feedback stop", "line1 reset", "grade 6", "line1 ratio 0/0", "question Haus",
                       "status " + kUebung + "2. Aufgabe (Schwerpunkte)"}));

    answerRight();
    answerRight();
    EXPECT_FALSE(run.running());
    EXPECT_EQ(window.only("question "), Strings(2, "question Haus")) << "both repetitions";
    EXPECT_EQ(window.only("sound"), (Strings{soundAfter("OK", 3), soundAfter("OK", 4)}));
    EXPECT_EQ(window.only("line1 ratio"), (Strings{"line1 ratio 0/0", "line1 ratio 1/0"}));
    EXPECT_TRUE(window.only("box").empty()) << "no congratulation after an error";
    EXPECT_EQ(window.only("report"),
              Strings{"report Ergebnis: Note 6 | " + kGesamt +
                      "1 Aufgaben mit 1 Fehlern. (Erfolgsquote = 0%)\r\r"
                      "Schwerpunkt: 1 Aufgaben mit 0 Fehlern."});
    EXPECT_EQ(run.asked(), 3u);
    EXPECT_EQ(log().record(0).grade, 6u);
    EXPECT_EQ(log().record(0).wrongEntries, 1u);
}

TEST_F(Exercise, TwoEntriesFirstWrongIsRepeatedRightAway)
{
    add("eins", "one");
    add("zwei", "two");
    ASSERT_TRUE(start());
    // States 1 and 2 draw 561 % 2 = 1 and 24234 % 2 = 0: both start at the head.
    answerWrong();
    answerRight();
    answerRight();
    answerRight();
    EXPECT_FALSE(run.running());
    EXPECT_EQ(window.only("question "),
              (Strings{"question eins", "question zwei", "question eins", "question eins"}));
    EXPECT_EQ(window.only("status "),
              (Strings{"status " + kUebung + "1. Aufgabe", "status " + kUebung + "1. Aufgabe",
                       "status 1 .   F E H L E R !",
                       "status " + kUebung + "2. Aufgabe (0 OK, 1 Fehler)",
                       "status " + kUebung + "3. Aufgabe (Schwerpunkte)",
                       "status " + kUebung + "4. Aufgabe (Schwerpunkte)", "status cleared",
                       "status "}));
    // Live grade: at each first-pass draw, after the wrong answer that was not the pass's last,
    // at the end of the pass (1 of 2 = 50 %: grade 4), and finally for the report.
    EXPECT_EQ(window.only("grade"),
              (Strings{"grade 1", "grade 6", "grade 6", "grade 4", "grade 4"}));
    EXPECT_EQ(window.only("line2 ratio"),
              (Strings{"line2 ratio 0/0", "line2 ratio 0/1", "line2 ratio 0/1"}));
}

TEST_F(Exercise, QuestionOrderOfFiveEntriesFollowsTheGenerator)
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
    EXPECT_EQ(window.only("question "), (Strings{"question w0", "question w3", "question w1",
                                                 "question w4", "question w2"}));
    EXPECT_EQ(window.only("line1 segment"),
              (Strings{"line1 segment 0/5", "line1 segment 1/5", "line1 segment 2/5",
                       "line1 segment 3/5", "line1 segment 4/5"}));
    const Strings statuses = window.only("status " + kUebung);
    ASSERT_EQ(statuses.size(), 6u);
    EXPECT_EQ(statuses[2], "status " + kUebung + "2. Aufgabe (1 OK, 0 Fehler)");
    EXPECT_EQ(statuses[5], "status " + kUebung + "5. Aufgabe (4 OK, 0 Fehler)");
    EXPECT_EQ(window.only("box"), Strings{kCongratulation});
}

TEST_F(Exercise, MixedModeAlternatesAndCarriesTheToggleOver)
{
    add("a1", "a2");
    add("b1", "b2");
    add("c1", "c2");
    // Draws 561, 24234, 22970 mod 3 = 0, 0, 2: entries in chain order.
    ASSERT_TRUE(start(QueryMode::ModeMixed));
    for (int i = 0; i < 3; ++i)
        answerRight();
    EXPECT_EQ(window.only("question "),
              (Strings{"question a1", "question b2", "question c1"}));
    EXPECT_EQ(run.mixedToggle(), 'E');

    window.calls.clear();
    ASSERT_TRUE(start(QueryMode::ModeMixed));
    EXPECT_EQ(window.lastQuestion, "a2") << "the alternation goes on across exercises";
    EXPECT_EQ(chain.firstEntry->direction, 'D');
    run.checkAnswer("a1"); // 'D' asks for the first term
    EXPECT_EQ(run.right(), 1u);
}

TEST_F(Exercise, RepeatedEntryKeepsItsDirectionInMixedMode)
{
    add("a1", "a2");
    add("b1", "b2");
    ASSERT_TRUE(start(QueryMode::ModeMixed));
    answerWrong();  // a1, 'E'
    answerRight();  // b2, 'D'
    answerRight();  // a again
    EXPECT_EQ(window.only("question "), (Strings{"question a1", "question b2", "question a1",
                                                 "question a1"}));
}

TEST_F(Exercise, ReversedModeAsksForTheFirstTermWithLiveOptions)
{
    add("Haus", "house");
    ASSERT_TRUE(start(QueryMode::ModeReversed));
    EXPECT_EQ(window.lastQuestion, "house");
    run.checkAnswer("haus");
    EXPECT_TRUE(run.answerPending());
    EXPECT_EQ(window.only("blink"), Strings{"blink 123/250"});
    EXPECT_EQ(window.only("feedback"), Strings{"feedback Haus"});
    run.checkAnswer("");
    window.options.ignoreCase = true; // the option as the button shows it at this answer
    run.checkAnswer("haus");
    EXPECT_EQ(run.right(), 1u);
}

TEST_F(Exercise, AbortAsksAndLeavesNoReportAndNoRecord)
{
    add("eins", "one");
    add("zwei", "two");
    ASSERT_TRUE(start());
    run.checkAnswer("falsch");
    ASSERT_TRUE(run.feedbackRunning());

    window.answers = {false};
    window.calls.clear();
    EXPECT_FALSE(run.endExercise(true));
    EXPECT_EQ(window.calls, (Strings{"feedback stop", "box \xDC"
                                                      "BUNG: \xDC"
                                                      "bung abbrechen?",
                                     "status 1 .   F E H L E R !"}));
    EXPECT_TRUE(run.running());
    EXPECT_TRUE(run.answerPending()) << "No goes on where the exercise was";

    window.answers = {true};
    EXPECT_TRUE(run.endExercise(true));
    EXPECT_FALSE(run.running());
    EXPECT_TRUE(window.only("report").empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file(kResultsLogFileName)));
    EXPECT_EQ(window.calls.back(), "status ");
}

TEST_F(Exercise, EmptyAnswerChangesNothing)
{
    add("eins", "one");
    ASSERT_TRUE(start());
    window.calls.clear();
    run.checkAnswer(" \t ");
    EXPECT_EQ(window.calls, Strings{"stopBlink"});
    EXPECT_EQ(run.asked(), 1u);
    EXPECT_EQ(run.right() + run.wrong(), 0u);
    EXPECT_FALSE(run.answerPending());
    EXPECT_EQ(run.seed(), stateAfter(kSeed, 1));
}

TEST_F(Exercise, ConfirmingWithoutEnterStillStopsTheFlashingFirst)
{
    add("eins", "one");
    add("zwei", "two");
    ASSERT_TRUE(start());
    run.checkAnswer("falsch");
    window.calls.clear();
    run.checkAnswer("");
    ASSERT_GE(window.calls.size(), 2u);
    EXPECT_EQ(window.calls.front(), "feedback stop");
    EXPECT_FALSE(run.feedbackRunning());
    EXPECT_EQ(window.only("question ").size(), 1u);
}

TEST_F(Exercise, TenEntryExampleReportsGrade2)
{
    addNumbered(10);
    window.thresholds[0] = "250"; // typed during the exercise: used and stored unclamped
    ASSERT_TRUE(start());
    // Entries 3 and 7 are wrong at first; 7 also at its first repetition.
    play([](std::size_t i, int k) { return (i == 3 && k == 0) || (i == 7 && k <= 1); });
    EXPECT_EQ(run.asked(), 15u);
    EXPECT_EQ(window.only("report"),
              Strings{"report Ergebnis: Note 2 | " + kGesamt +
                      "10 Aufgaben mit 2 Fehlern. (Erfolgsquote = 80%)\r\r"
                      "Schwerpunkt: 2 Aufgaben mit 1 Fehlern."});
    EXPECT_EQ(config.thresholds[0], 250u);
    const ResultRecord r = log().record(0);
    EXPECT_EQ(r.grade, 2u);
    EXPECT_EQ(r.entryCount, 10u);
    EXPECT_EQ(r.wrongEntries, 2u);
    EXPECT_EQ(r.thresholds[0], 250u);
    EXPECT_EQ(r.lessonName, "<NEU>");
}

TEST_F(Exercise, UnsavedLessonIsOfferedForSaving)
{
    add("eins", "one");
    window.unsaved = true;
    window.answers = {false};
    ASSERT_TRUE(start());
    EXPECT_EQ(window.only("box"), Strings{"box Aktuelle Lektion: Soll diese Lektion gespeichert werden?"});
    EXPECT_TRUE(window.only("save").empty());
    run.endExercise(false);
    window.answers = {true};
    ASSERT_TRUE(start());
    EXPECT_EQ(window.only("save").size(), 1u);
}

TEST_F(Exercise, OptionButtonsRefuseDuringAnExercise)
{
    add("eins", "one");
    EXPECT_TRUE(run.optionChangeAllowed());
    EXPECT_TRUE(window.calls.empty());
    ASSERT_TRUE(start());
    EXPECT_FALSE(run.optionChangeAllowed());
    EXPECT_EQ(window.only("box"), Strings{"box \xDC"
                                          "bungsmodus: Umschalten im \xDC"
                                          "bungsmodus nicht zul\xE4ssig!"});
}

TEST_F(Exercise, StartIsRefusedWithoutEntriesOrWhileRunning)
{
    EXPECT_FALSE(start());
    EXPECT_TRUE(window.calls.empty());
    add("eins", "one");
    EXPECT_FALSE(start(QueryMode::ModeEdit));
    ASSERT_TRUE(start());
    const std::size_t calls = window.calls.size();
    EXPECT_FALSE(start());
    EXPECT_EQ(window.calls.size(), calls);
}

TEST_F(Exercise, StartResetsMarksAndCounters)
{
    add("eins", "one");
    add("zwei", "two");
    chain.firstEntry->wrongCount = 5;
    chain.lastEntry->rightCount = 3;
    chain.lastEntry->direction = 'D';
    ASSERT_TRUE(start());
    for (const strWort* e = chain.firstEntry; e != nullptr; e = e->next) {
        if (e == chain.currentEntry)
            continue;
        EXPECT_EQ(e->rightCount + e->wrongCount, 0u);
        EXPECT_EQ(e->direction, ' ');
    }
}

// The question order as the chain walks give it, step by step on a chain of its own.
std::vector<std::size_t> walkedOrder(std::size_t n, std::uint32_t seed, const WrongPolicy& wrong)
{
    EntryChain chain;
    std::map<strWort*, std::size_t> position;
    for (std::size_t i = 0; i < n; ++i)
        position[chain.append("w", "t")] = i;
    const auto due = [](const strWort* e) { return e->wrongCount > 0 && e->rightCount < 2; };
    std::uint32_t draws = 0;
    strWort* previous = nullptr;
    std::vector<std::size_t> order;
    std::map<std::size_t, int> seen;
    for (;;) {
        seed = seed * 22695477u + 1u;
        const std::uint32_t r = ((seed >> 12) & 0x7FFFu) % n;
        strWort* e = chain.firstEntry;
        if (draws < n) {
            for (std::uint32_t k = 1; k < r; ++k)
                e = e->next;
            while (e->rightCount != 0 || e->wrongCount != 0)
                e = e->next != nullptr ? e->next : chain.firstEntry;
            ++draws;
        } else if (draws == n) {
            draws = static_cast<std::uint32_t>(n) + 1;
            bool anyWrong = false;
            for (const strWort* x = chain.firstEntry; x != nullptr; x = x->next)
                anyWrong = anyWrong || x->wrongCount > 0;
            if (!anyWrong)
                break;
            continue;
        } else {
            bool anyDue = false;
            for (const strWort* x = chain.firstEntry; x != nullptr; x = x->next)
                anyDue = anyDue || due(x);
            if (!anyDue)
                break;
            e = previous->next;
            bool wrapped = false;
            for (;;) {
                if (e == nullptr) {
                    if (wrapped) {
                        e = previous;
                        break;
                    }
                    wrapped = true;
                    e = chain.firstEntry;
                }
                if (e != previous && due(e))
                    break;
                e = e->next;
            }
        }
        previous = e;
        const std::size_t i = position[e];
        order.push_back(i);
        if (wrong(i, seen[i]++))
            ++e->wrongCount;
        else
            ++e->rightCount;
    }
    return order;
}

struct OrderCase {
    const char* name;
    std::size_t entries;
    int wrongPercent; // of the answers while an entry has been asked fewer than 4 times
    std::size_t seeds = 6;
};

class QuestionOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(QuestionOrder, IsTheOrderOfTheChainWalks)
{
    const OrderCase& c = GetParam();
    const std::uint32_t seeds[] = {213u, 0u, 1u, 0xDEADBEEFu, 1765029900u, 0xFFFFFFFFu};
    for (std::size_t s = 0; s < c.seeds && s < std::size(seeds); ++s) {
        const std::uint32_t seed = seeds[s];
        const WrongPolicy wrong = [&](std::size_t i, int k) {
            const std::uint32_t h = stateAfter(seed ^ static_cast<std::uint32_t>(i * 7919 + k), 3);
            return k < 4 && static_cast<int>(bits12to26(h) % 100) < c.wrongPercent;
        };
        Session session;
        session.addNumbered(c.entries);
        ASSERT_TRUE(session.start(QueryMode::ModeNormal, seed));
        EXPECT_EQ(session.play(wrong), walkedOrder(c.entries, seed, wrong)) << "seed " << seed;
        EXPECT_FALSE(session.run.running());
    }
}

INSTANTIATE_TEST_SUITE_P(Lessons, QuestionOrder,
                         ::testing::Values(OrderCase{"one_entry_often_wrong", 1, 60},
                                           OrderCase{"two_entries", 2, 50},
                                           OrderCase{"five_all_right", 5, 0},
                                           OrderCase{"seventeen_some_wrong", 17, 30},
                                           OrderCase{"word_boundary_64", 64, 20},
                                           OrderCase{"word_boundary_65", 65, 20},
                                           OrderCase{"all_wrong_at_first", 40, 100},
                                           OrderCase{"thousand_entries", 1000, 10},
                                           // Draws reach only the first 32768 positions; the rest is reached by walking.
                                           OrderCase{"more_than_the_draw_range", 33000, 5, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LocalTimeSeed, CountsTheLocalCalendarInSeconds)
{
    std::tm t{};
    t.tm_year = 2025 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 6;
    t.tm_hour = 14;
    t.tm_min = 5;
    t.tm_sec = 9;
    // 20428 days from 1970-01-01 to 2025-12-06, then 14:05:09.
    EXPECT_EQ(localTimeSeed(t), 20428u * 86400u + 14u * 3600u + 5u * 60u + 9u);
    t = std::tm{};
    t.tm_year = 70;
    t.tm_mday = 1;
    EXPECT_EQ(localTimeSeed(t), 0u);
    t.tm_year = 69;
    t.tm_mon = 11;
    t.tm_mday = 31;
    t.tm_hour = 23;
    t.tm_min = 59;
    t.tm_sec = 59;
    EXPECT_EQ(localTimeSeed(t), 0xFFFFFFFFu) << "before 1970 wraps modulo 2^32";
}

} // namespace
