#pragma once

#include "entry_chain.h"
#include "exercise_run.h"
#include "exercise_window.h"

#include <array>
#include <deque>
#include <string>
#include <vector>

// The dialog's side of an exercise for tests: answers queries from members the test sets and
// writes every effect into `calls` as one short line ("question Haus", "status ...").
class RecordingWindow : public ExerciseWindow {
public:
    std::vector<std::string> calls;
    const ExerciseRun* run = nullptr; // status lines are read from it, as the dialog does

    CompareOptions options;
    std::array<std::string, 5> thresholds = {"90", "80", "66", "50", "20"};
    mutable std::vector<std::size_t> thresholdReads;
    std::string path;
    bool unsaved = false;
    std::int64_t now = 0;
    std::deque<bool> answers; // Yes/No answers in turn; Yes when none is queued
    std::string lastQuestion;

    CompareOptions optionStates() const override { return options; }
    std::string thresholdFieldText(std::size_t index) const override
    {
        thresholdReads.push_back(index);
        return thresholds.at(index);
    }
    std::string lessonPath() const override { return path; }
    bool lessonUnsaved() const override { return unsaved; }
    std::int64_t calendarTime() const override { return now; }

    bool messageBox(const std::string& text, const std::string& caption,
                    MessageKind kind) override
    {
        calls.push_back("box " + caption + ": " + text);
        if (kind != MessageKind::YesNoExclamation || answers.empty())
            return true;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    bool saveLesson() override
    {
        calls.push_back("save");
        return true;
    }
    void startBlink(OptionButton button, std::uint32_t periodMs) override
    {
        calls.push_back("blink " + std::to_string(static_cast<int>(button)) + "/" +
                        std::to_string(periodMs));
    }
    void setOptionsLocked(bool locked) override { add("locked", locked); }
    void stopOptionBlink() override { calls.push_back("stopBlink"); }
    void resetEntryLine() override { calls.push_back("line1 reset"); }
    void showEntryLineSegment(std::uint32_t drawn, std::uint32_t total) override
    {
        calls.push_back("line1 segment " + std::to_string(drawn) + "/" + std::to_string(total));
    }
    void showEntryLineRatio(std::uint32_t right, std::uint32_t wrong) override
    {
        calls.push_back("line1 ratio " + std::to_string(right) + "/" + std::to_string(wrong));
    }
    void restoreEntryLine(std::uint32_t entryCount) override { add("line1 restore", entryCount); }
    void showAnswerLineRatio(std::uint32_t right, std::uint32_t wrong) override
    {
        calls.push_back("line2 ratio " + std::to_string(right) + "/" + std::to_string(wrong));
    }
    void showGrade(std::uint32_t grade) override { add("grade", grade); }
    void startElapsedClock() override { calls.push_back("clock elapsed"); }
    void startWallClock() override { calls.push_back("clock wall"); }
    void setQuestionReadOnly(bool readOnly) override { add("readOnly question", readOnly); }
    void showQuestion(const std::string& question) override
    {
        lastQuestion = question;
        calls.push_back("question " + question);
    }
    void showEntry(strWort* entry) override
    {
        calls.push_back("showEntry " + (entry != nullptr ? entry->term1 : std::string("<none>")));
    }
    void updateStatus() override
    {
        calls.push_back("status " + (run != nullptr ? run->statusText() : std::string()));
    }
    void clearStatusLine() override { calls.push_back("status cleared"); }
    void playSound(const std::string& fileName) override { calls.push_back("sound " + fileName); }
    void messageBeep() override { calls.push_back("beep"); }
    void startAnswerFeedback(const std::string& expected) override
    {
        calls.push_back("feedback " + expected);
    }
    void stopAnswerFeedback() override { calls.push_back("feedback stop"); }
    void showReport(const std::string& title, const std::string& text) override
    {
        calls.push_back("report " + title + " | " + text);
    }

    // The calls that begin with `prefix`, in order.
    std::vector<std::string> only(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const auto& c : calls)
            if (c.rfind(prefix, 0) == 0)
                out.push_back(c);
        return out;
    }

private:
    template <typename T>
    void add(const std::string& what, T value)
    {
        calls.push_back(what + " " + std::to_string(value));
    }
};

// Collects the blinks of one comparison.
class RecordingFeedback : public CompareFeedback {
public:
    std::vector<int> buttons;
    std::vector<std::uint32_t> periods;
    void startBlink(OptionButton button, std::uint32_t periodMs) override
    {
        buttons.push_back(static_cast<int>(button));
        periods.push_back(periodMs);
    }
};
