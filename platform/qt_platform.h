#pragma once

#include "platform.h"
#include "sound_player.h"
#include "speech_engine.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

// The production Platform on Qt widgets. Message boxes and file dialogs are modal Qt dialogs
// (never the desktop's native ones, so Qt's German translation applies and tests can reach
// them); sounds play through the sound module, loaded only once the first sound is asked for,
// so the sound system stays off the path to the first window; speech likewise through the speech
// module on the first word.
class QtPlatform : public Platform {
public:
    // helpViewer: the program that shows help files; empty means "kaz-help" beside the
    // running executable. soundModule: the sound module's file; empty means beside the
    // executable, then in the installed module folder (../libexec/kaz-trainer by default).
    // soundFolder: the installed sound cues; empty means installedSoundFolder().
    explicit QtPlatform(QString helpViewer = {}, QString soundModule = {},
                        QString soundFolder = {});
    ~QtPlatform() override;
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

    int messageBox(QWidget* owner, const QString& text, const QString& caption, Buttons buttons,
                   Icon icon) override;
    QString openFileName(QWidget* owner, const FileDialogOptions& options,
                         QString* chosenFilter = nullptr) override;
    QString saveFileName(QWidget* owner, const FileDialogOptions& options,
                         QString* chosenFilter = nullptr) override;
    void winHelp(const QString& helpFile, HelpCommand command, std::uint32_t data) override;
    void playSound(const QString& fileName) override;
    void messageBeep() override;
    int chooseItem(QWidget* owner, const QString& caption, const QString& label,
                   const QStringList& items, int preselected) override;
    void speak(const QString& text, const QString& language) override;
    void dropWaitingSpeech() override;
    QStringList speechLanguages(int waitMs) override;
    void setSpeechFaultHandler(std::function<void(const QString& reason)> handler) override;
    std::int64_t calendarTime() override;
    std::tm localTime(std::int64_t calendarSeconds) override;

    // Where a sound of that name comes from: the file in the working directory, else the one
    // in installedFolder (each matched exactly, else ignoring case), else the resource
    // ":/sounds/<name>"; an empty URL when none exists. A cue the user put into the working
    // folder so wins over ours.
    static QUrl soundSource(const QString& fileName, const QString& installedFolder = {});
    // The sound cues of an installed trainer (../share/kaz-trainer/sounds from the executable's
    // folder by default).
    static QString installedSoundFolder();
    // The arguments handed to the help viewer for one call.
    static QStringList helpArguments(const QString& helpFile, HelpCommand command,
                                     std::uint32_t data);

    // Loads the trainer's module moduleName ("kaz-sound", the file "libkaz-sound.so", a regular
    // file: see libraryFunction), beside the running executable or in the installed module
    // folder (../libexec/kaz-trainer by default), and resolves symbol in it; null when neither
    // has the module or the module lacks the symbol. A module once loaded stays loaded.
    static QFunctionPointer moduleFunction(const char* moduleName, const char* symbol);
    // Loads the shared library file and resolves symbol in it; null when the file is no
    // regular file (a FIFO or a device is refused without waiting), no library, or lacks the
    // symbol.
    static QFunctionPointer libraryFunction(const QString& file, const char* symbol);

    // Null until the first sound that exists is played (and when the module is missing).
    const SoundPlayer* soundPlayer() const { return soundObject_ ? sound_ : nullptr; }

private:
    SoundPlayer* loadSoundPlayer();
    SpeechEngine* loadSpeechEngine();
    void speechFailed(const QString& reason);

    QString helpViewer_;
    QString soundModule_;
    QString soundFolder_;
    bool soundModuleTried_ = false;
    // Owned by the application object, so it never outlives the sound system.
    SoundPlayer* sound_ = nullptr;
    QPointer<QObject> soundObject_;
    // The speech module, likewise loaded on the first word and owned by the application.
    bool speechModuleTried_ = false;
    SpeechEngine* speech_ = nullptr;
    QPointer<QObject> speechObject_;
    std::function<void(const QString&)> speechFault_;
};
