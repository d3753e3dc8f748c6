#pragma once

#include <cstdint>
#include <ctime>
#include <functional>

#include <QString>
#include <QStringList>

class QWidget;

// Everything the program asks of the desktop that a test must answer or observe: message
// boxes, file dialogs, the help viewer, sounds, speech and the clock. The program reaches it only
// through Platform::instance(); production installs the Qt implementation, tests a scripted
// fake. Nothing else calls QMessageBox, QFileDialog or QSoundEffect or reads the clock.
//
// The program is built and tested on POSIX systems only, and holds no code for another one.
// This is where another system would plug in: an implementation of this class, and beside it
// the few files that call POSIX directly (the safe open and atomic replace in
// lesson/safe_file.cpp, the file stamps, the recovery files' identity, the memory limit of the
// lesson reader, and app/session_end.cpp).
class Platform {
public:
    virtual ~Platform() = default;

    // Message boxes. Return values are those of the old system.
    enum MessageResult { IdOk = 1, IdCancel = 2, IdYes = 6, IdNo = 7 };
    enum class Buttons { Ok, YesNo, YesNoCancel };
    enum class Icon { None, Exclamation, Information };
    // Modal, owned by owner. Escape/close: Cancel in a Yes/No/Cancel box, OK in an OK box,
    // nothing in a Yes/No box. Enter takes the first button.
    virtual int messageBox(QWidget* owner, const QString& text, const QString& caption,
                           Buttons buttons, Icon icon) = 0;

    // File dialogs. filter as in Qt ("Lektionen (*.lsn)"; several separated by ";;", the
    // first one chosen at the start), defaultSuffix without dot. The default suffix belongs to
    // the first filter; choosing another filter makes its first extension the default.
    // An empty result means the user cancelled. The save dialog asks before overwriting.
    // chosenFilter, when given, receives the filter chosen when the dialog was confirmed.
    struct FileDialogOptions {
        QString caption;
        QString directory; // start folder; empty: the working directory
        QString fileName;  // preset name
        QString filter;
        QString defaultSuffix;
    };
    virtual QString openFileName(QWidget* owner, const FileDialogOptions& options,
                                 QString* chosenFilter = nullptr) = 0;
    virtual QString saveFileName(QWidget* owner, const FileDialogOptions& options,
                                 QString* chosenFilter = nullptr) = 0;

    // The help viewer: ForceFile shows the file (nothing if it already does), Context shows
    // topic `data` of it. ForceFileBeside is ForceFile for a viewer that starts beside the
    // trainer: it leaves the keyboard where it is. Failures go unnoticed.
    enum class HelpCommand { ForceFile, ForceFileBeside, Context };
    virtual void winHelp(const QString& helpFile, HelpCommand command, std::uint32_t data) = 0;

    // Plays a wave file by name, asynchronously; a new sound stops the one playing; a missing
    // file or no sound device passes silently.
    virtual void playSound(const QString& fileName) = 0;
    // The simple system beep.
    virtual void messageBeep() = 0;

    // A choice from a list in a modal dialog owned by owner: the index chosen, or -1 when the
    // user cancelled. preselected is the item chosen at the start.
    virtual int chooseItem(QWidget* owner, const QString& caption, const QString& label,
                           const QStringList& items, int preselected) = 0;

    // Speaks text in language (an ISO 639-1 code: "de", "en", "la") through the desktop's
    // speech service, with the user's voice and rate. Returns at once; texts are spoken in
    // the order given, each after the one before has ended (nothing is cut off). The first call
    // connects to the service. What goes wrong (no service, no voice for the language, a service
    // that does not answer) goes to the fault handler.
    virtual void speak(const QString& text, const QString& language) = 0;
    // Forgets the texts not yet spoken: a new question or a new "Vorlesen" makes them stale.
    // Nothing happens when nothing was spoken yet.
    virtual void dropWaitingSpeech() {}
    // The languages the speech service has voices for, as it names them ("en", "en-GB");
    // connects first if need be, and waits for the service waitMs at most (empty then).
    virtual QStringList speechLanguages(int waitMs) = 0;
    // Called on the GUI thread with a reason (German, one sentence) whenever speech failed.
    virtual void setSpeechFaultHandler(std::function<void(const QString& reason)> handler) = 0;

    // Calendar time in seconds since 1970 (UTC) and its local broken-down time.
    virtual std::int64_t calendarTime() = 0;
    virtual std::tm localTime(std::int64_t calendarSeconds) = 0;

    static Platform& instance();
    // Installs p (not owned) and returns the one installed before; nullptr restores the default.
    static Platform* install(Platform* p);
};
