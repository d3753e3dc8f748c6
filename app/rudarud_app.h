#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QWidget>

class Config;
class RudarudDia;
class SessionEndWatch;

// The main window: a fixed-size frame around the main dialog, centred on the screen. Closing
// it (close box, system menu, window manager) asks the dialog first, which may keep the
// program running.
class MainFrame : public QWidget {
    Q_OBJECT
public:
    explicit MainFrame(Config& config);
    RudarudDia* dialog() const { return dialog_; }
    // Shows the window; its icon follows once the first frame is on screen, as decoding the
    // icon's images would otherwise hold that frame up by some milliseconds. firstFrameShown
    // is emitted then, once, from the event loop.
    void showFirstFrame();

signals:
    void firstFrameShown();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    RudarudDia* dialog_;
    bool dialogAgreed_ = false; // the dialog already closed its lesson (Escape)
};

// The application: creates the main window, shows it and runs the message loop until it has
// closed. At its start it offers what ended sessions kept, then opens a file given on the
// command line as if chosen in the open dialog, then the help file. The file is opened: a
// table (.csv, .tsv, .txt) with the table filter, anything else (and a file that begins as
// a lesson does, whatever its name) as a lesson file.
class RudarudApp {
public:
    // lessonArgument: a file name's bytes as given on the command line, or empty.
    RudarudApp(Config& config, std::string lessonArgument = {});
    ~RudarudApp();
    RudarudApp(const RudarudApp&) = delete;
    RudarudApp& operator=(const RudarudApp&) = delete;

    // Shows the main window and runs until it closed; the result of the message loop.
    int run();
    // True when the desktop ended the program (a signal) rather than the user.
    bool endedBySession() const { return endedBySession_; }

    // True once the help file was opened at start-up (after the first frame).
    bool helpOpened() const { return helpOpened_; }

private:
    void endSession();
    void openHelp();

    MainFrame* frame_;
    std::string lessonArgument_;
    std::unique_ptr<SessionEndWatch> sessionEnd_;
    bool endedBySession_ = false;
    bool helpOpened_ = false;
    bool helpDue_ = false;   // the first frame is on screen and the viewer's delay has passed
    bool startDone_ = false; // the recovery offer and the command-line lesson are through
};

// The whole program after the settings were read: runs the application until its window has
// closed, and calls the help viewer twice more on the way out (the help file, then the farewell
// topic). The help file is opened at start-up kHelpViewerDelayMs after the window's first
// frame: the viewer is a process of its own whose start would compete with that frame, and its
// window comes up over the trainer's all the same. args are the command-line arguments without the
// program name, as the bytes of argv: a single one is a lesson file to open, whose name need not be
// UTF-8. Returns the message loop's result.
int runProgram(Config& config, const std::vector<std::string>& args);

inline constexpr std::uint32_t kFarewellTopic = 259;
// From the first frame to the help viewer's start, in ms.
inline constexpr int kHelpViewerDelayMs = 100;
// The learning record is opened this long after the first frame.
inline constexpr int kLearningRecordDelayMs = 50;
