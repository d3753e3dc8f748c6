#pragma once

#include "platform.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QString>
#include <QStringList>
#include <QWindow>

// A scripted Platform for tests: answers come from queues the test fills, every call is
// recorded, and the clock stands where the test puts it. Installs itself for its lifetime.
class FakePlatform : public Platform {
public:
    FakePlatform() : previous_(Platform::install(this)) {}
    ~FakePlatform() override { Platform::install(previous_); }
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    struct MessageCall {
        QString text;
        QString caption;
        Buttons buttons;
        Icon icon;
        bool busyCursor; // the application's hourglass was up while the box showed
    };
    struct HelpCall {
        QString file;
        HelpCommand command;
        std::uint32_t data;
        bool windowExposed; // a top-level window was on screen when the call came
    };

    // Queued answers. An empty queue answers Cancel for message boxes that have it, else the
    // first button, and an empty file name (cancelled) for file dialogs.
    std::deque<int> messageAnswers;
    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
    // The filter chosen with the next confirmed file dialog; an empty queue: the first one.
    std::deque<QString> openFilterAnswers;
    std::deque<QString> saveFilterAnswers;
    // The index chosen in the next list choice; an empty queue takes the preselected item.
    std::deque<int> choiceAnswers;
    // Answers queued but never asked for: a test that leaves any did not run the path it meant.
    std::size_t unusedAnswers() const
    {
        return messageAnswers.size() + openAnswers.size() + saveAnswers.size() +
               openFilterAnswers.size() + saveFilterAnswers.size() + choiceAnswers.size();
    }

    // Runs while a message box is open, before it is answered: where a real box would run the
    // event loop until the user answers.
    std::function<void()> whileAsking;

    std::vector<MessageCall> messages;
    std::vector<FileDialogOptions> openDialogs;
    std::vector<FileDialogOptions> saveDialogs;
    std::vector<HelpCall> helpCalls;
    std::vector<QString> sounds;
    int beeps = 0;

    struct ChoiceCall {
        QString caption;
        QString label;
        QStringList items;
        int preselected;
    };
    std::vector<ChoiceCall> choices;
    // Speech: what was said in which language; the languages the "service" has voices for.
    struct Utterance {
        QString text;
        QString language;
        bool operator==(const Utterance&) const = default;
    };
    std::vector<Utterance> spoken;
    QStringList voices{QStringLiteral("de"), QStringLiteral("en-GB"), QStringLiteral("fr-FR"),
                       QStringLiteral("la"), QStringLiteral("es")};
    int languageQueries = 0;
    std::function<void(const QString&)> speechFault;
    // Reports a fault as the speech service would.
    void failSpeech(const QString& reason)
    {
        if (speechFault) speechFault(reason);
    }

    // The clock: calendar seconds, and local time as UTC plus a fixed offset.
    std::int64_t now = 1733493900; // 2024-12-06 14:05:00 UTC
    long utcOffsetSeconds = 0;

    int messageBox(QWidget*, const QString& text, const QString& caption, Buttons buttons,
                   Icon icon) override
    {
        messages.push_back(
            {text, caption, buttons, icon, QGuiApplication::overrideCursor() != nullptr});
        if (whileAsking) whileAsking();
        if (!messageAnswers.empty()) {
            const int answer = messageAnswers.front();
            messageAnswers.pop_front();
            return answer;
        }
        switch (buttons) {
        case Buttons::Ok:
            return IdOk;
        case Buttons::YesNo:
            return IdYes;
        case Buttons::YesNoCancel:
            return IdCancel;
        }
        return IdCancel;
    }
    QString openFileName(QWidget*, const FileDialogOptions& options,
                         QString* chosenFilter = nullptr) override
    {
        openDialogs.push_back(options);
        return answerDialog(options, openAnswers, openFilterAnswers, chosenFilter);
    }
    QString saveFileName(QWidget*, const FileDialogOptions& options,
                         QString* chosenFilter = nullptr) override
    {
        saveDialogs.push_back(options);
        return answerDialog(options, saveAnswers, saveFilterAnswers, chosenFilter);
    }
    void winHelp(const QString& file, HelpCommand command, std::uint32_t data) override
    {
        bool exposed = false;
        for (QWindow* w : QGuiApplication::topLevelWindows())
            exposed = exposed || w->isExposed();
        helpCalls.push_back({file, command, data, exposed});
    }
    void playSound(const QString& fileName) override { sounds.push_back(fileName); }
    void messageBeep() override { ++beeps; }
    int chooseItem(QWidget*, const QString& caption, const QString& label, const QStringList& items,
                   int preselected) override
    {
        choices.push_back({caption, label, items, preselected});
        if (choiceAnswers.empty()) return preselected;
        const int answer = choiceAnswers.front();
        choiceAnswers.pop_front();
        return answer;
    }
    void speak(const QString& text, const QString& language) override
    {
        spoken.push_back({text, language});
    }
    QStringList speechLanguages(int) override
    {
        ++languageQueries;
        return voices;
    }
    void setSpeechFaultHandler(std::function<void(const QString&)> handler) override
    {
        speechFault = std::move(handler);
    }
    std::int64_t calendarTime() override { return now; }
    std::tm localTime(std::int64_t seconds) override
    {
        const std::time_t t = static_cast<std::time_t>(seconds + utcOffsetSeconds);
        std::tm out{};
        gmtime_r(&t, &out);
        return out;
    }

private:
    static QString answerDialog(const FileDialogOptions& options, std::deque<QString>& names,
                                std::deque<QString>& filters, QString* chosenFilter)
    {
        const QString name = take(names);
        if (name.isEmpty()) return name; // a cancelled dialog chooses no filter
        const QString filter = take(filters);
        if (chosenFilter != nullptr)
            *chosenFilter =
                filter.isEmpty() ? options.filter.section(QStringLiteral(";;"), 0, 0) : filter;
        return name;
    }
    static QString take(std::deque<QString>& q)
    {
        if (q.empty()) return {};
        QString s = q.front();
        q.pop_front();
        return s;
    }
    Platform* previous_;
};
