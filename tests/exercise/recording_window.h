#pragma once

#include "entry_chain.h"
#include "exercise_run.h"

#include <array>
#include <deque>
#include <string>
#include <vector>

// The dialog's side of an exercise for tests: queries are answered from members the test sets,
// every effect is written into `calls` as one short line ("question Haus", "status ...").
class RecordingWindow : public ExerciseWindow {
public:
    std::vector<std::string> calls;
    CompareOptions options;
    std::array<std::string, 5> thresholds = {"90", "80", "66", "50", "20"};
    std::string path;
    bool unsaved = false;
    std::int64_t now = 0;
    std::uint32_t seed = 0;
    std::size_t seededAfter = 0; // how many calls came before the seed was asked for
    std::deque<bool> answers;    // Yes/No answers in turn; Yes when none is queued
    std::string lastQuestion;

    // The calls that begin with `prefix`, in order.
    std::vector<std::string> only(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const auto& c : calls)
            if (c.rfind(prefix, 0) == 0) out.push_back(c);
        return out;
    }

    CompareOptions optionStates() const override { return options; }
    std::string thresholdFieldText(std::size_t i) const override { return thresholds.at(i); }
    std::string shownLessonPathCp1252() const override { return path; }
    bool lessonUnsaved() const override { return unsaved; }
    std::int64_t calendarTime() const override { return now; }
    std::uint32_t questionSeed() override
    {
        seededAfter = calls.size();
        return seed;
    }
    bool messageBox(const std::string& text, const std::string& caption, MessageKind kind) override
    {
        add("box " + caption + ": " + text);
        const bool yes =
            kind != MessageKind::YesNoExclamation || answers.empty() || answers.front();
        if (kind == MessageKind::YesNoExclamation && !answers.empty()) answers.pop_front();
        return yes;
    }
    bool saveLesson() override { return add("save"), true; }
    void startBlink(OptionButton b, std::uint32_t ms) override { add("blink", int(b), ms); }
    void setOptionsLocked(bool locked) override { add("locked", locked); }
    void stopOptionBlink() override { add("stopBlink"); }
    void resetEntryLine() override { add("line1 reset"); }
    void showEntryLineSegment(std::uint32_t d, std::uint32_t n) override
    {
        add("line1 segment", d, n);
    }
    void showEntryLineRatio(std::uint32_t r, std::uint32_t w) override { add("line1 ratio", r, w); }
    void restoreEntryLine(std::uint32_t n) override { add("line1 restore", n); }
    void showAnswerLineRatio(std::uint32_t r, std::uint32_t w) override
    {
        add("line2 ratio", r, w);
    }
    void showGrade(std::uint32_t grade) override { add("grade", grade); }
    void startElapsedClock() override { add("clock elapsed"); }
    void startWallClock() override { add("clock wall"); }
    void setQuestionReadOnly(bool readOnly) override { add("readOnly question", readOnly); }
    void showQuestion(const std::string& q) override { add("question " + (lastQuestion = q)); }
    void showEntry(strWort* e) override { add("showEntry " + (e ? e->term1 : "<none>")); }
    void showStatus(const std::string& text) override { add("status " + text); }
    void clearStatusLine() override { add("status cleared"); }
    void playSound(const std::string& fileName) override { add("sound " + fileName); }
    void messageBeep() override { add("beep"); }
    void startAnswerFeedback(const std::string& expected) override { add("feedback " + expected); }
    void stopAnswerFeedback() override { add("feedback stop"); }
    void showReport(const std::string& t, const std::string& text) override
    {
        add("report " + t + " | " + text);
    }
    void showStoreFailure(const std::string& t, const std::string& text) override
    {
        add("storeFailure " + t + " | " + text);
    }

private:
    void add(const std::string& what) { calls.push_back(what); }
    void add(const std::string& what, std::uint32_t a) { add(what + " " + std::to_string(a)); }
    void add(const std::string& what, std::uint32_t a, std::uint32_t b)
    {
        add(what + " " + std::to_string(a) + "/" + std::to_string(b));
    }
};
