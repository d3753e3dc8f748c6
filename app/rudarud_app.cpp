#include "rudarud_app.h"

#include "record_session.h"
#include "pictures.h"
#include "platform.h"
#include "rudarud_dia.h"
#include "session_end.h"
#include "foreign_file.h"
#include "table_file.h"

#include <cstdlib>

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <QWindow>

MainFrame::MainFrame(Config& config) : dialog_(new RudarudDia(config, this))
{
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QString::fromLatin1(kProgramCaption));
    setFixedSize(dialog_->size());
    dialog_->move(0, 0);
    dialog_->updateStatus(); // the title follows the lesson from the start
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move((area.width() - width()) / 2, (area.height() - height()) / 2);
    }
    connect(dialog_, &RudarudDia::closeRequested, this, [this] {
        dialogAgreed_ = true;
        close();
    });
}

void MainFrame::showFirstFrame()
{
    show();
    if (QWindow* window = windowHandle()) {
        window->installEventFilter(this);
    } else {
        setWindowIcon(programIcon());
        QMetaObject::invokeMethod(this, &MainFrame::firstFrameShown, Qt::QueuedConnection);
    }
}

bool MainFrame::eventFilter(QObject* watched, QEvent* event)
{
    // The first expose paints and flushes the window before it returns; what is queued from
    // it comes after the first frame.
    if (event->type() == QEvent::Expose && watched == windowHandle()) {
        watched->removeEventFilter(this);
        // The frame's drawing requests reach the display server at the end of the loop's pass
        // that follows; the signal waits one pass more, so that what it starts (the help
        // viewer's process) does not hold them up.
        QMetaObject::invokeMethod(
            this,
            [this] {
                setWindowIcon(programIcon());
                QTimer::singleShot(0, this, &MainFrame::firstFrameShown);
            },
            Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void MainFrame::closeEvent(QCloseEvent* event)
{
    if (!dialogAgreed_ && !dialog_->closeQuery()) {
        event->ignore();
        return;
    }
    dialogAgreed_ = true;
    event->accept();
}

namespace {

// The dialog while the message loop may still run: a lost display ends the program through
// exit(), past every window, and what the session holds is kept on the way.
RudarudDia* liveDialog = nullptr;

void keepStateAtExit()
{
    if (liveDialog != nullptr) liveDialog->keepSessionState();
}

} // namespace

RudarudApp::RudarudApp(Config& config, std::string lessonArgument)
    : frame_(new MainFrame(config)), lessonArgument_(std::move(lessonArgument)),
      sessionEnd_(std::make_unique<SessionEndWatch>([this] { endSession(); }))
{
    static const bool atExitHooked = std::atexit(keepStateAtExit) == 0;
    (void)atExitHooked;
    liveDialog = frame_->dialog();
    // Where the desktop asks before it ends the session, the state is kept then already.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, frame_,
                     [this] { frame_->dialog()->keepSessionState(); });
    // The viewer's start takes a processor for a good while: begun at once, it competes with
    // the display server putting the first frame on screen. Its window comes up over ours as
    // it would have, a moment later, but not over a question the start still asks.
    QObject::connect(frame_, &MainFrame::firstFrameShown, frame_, [this] {
        // The record's file is opened off the start-up path; a drill begun sooner opens it
        // with its first answer.
        QTimer::singleShot(kLearningRecordDelayMs, frame_, [this] {
            frame_->dialog()->recordSession().open();
            frame_->dialog()->updateStatus(); // the due count
        });
        QTimer::singleShot(kHelpViewerDelayMs, frame_, [this] {
            helpDue_ = true;
            if (startDone_) openHelp();
        });
    });
}

RudarudApp::~RudarudApp()
{
    liveDialog = nullptr;
    delete frame_;
}

void RudarudApp::endSession()
{
    if (endedBySession_) return;
    endedBySession_ = true;
    frame_->dialog()->endSession();
    // Every event loop ends, also that of a message box or file dialog that is open.
    QCoreApplication::exit(0);
}

namespace {

void help(Platform::HelpCommand command, std::uint32_t data)
{
    Platform::instance().winHelp(QString::fromLatin1(kHelpFile), command, data);
}

} // namespace

void RudarudApp::openHelp()
{
    if (helpOpened_) return;
    helpOpened_ = true;
    help(Platform::HelpCommand::ForceFileBeside, 0); // the trainer keeps the keyboard
}

int RudarudApp::run()
{
    frame_->showFirstFrame();
    // After the first frame, so that the window is there while the lesson is read. A lesson
    // kept from an ended session comes first; restored, it takes the place of the argument.
    QTimer::singleShot(0, frame_, [this] {
        RudarudDia* dialog = frame_->dialog();
        if (!dialog->offerRecovery() && !endedBySession_ && !lessonArgument_.empty()) {
            if (opensAsForeign(lessonArgument_))
                dialog->importForeignFile(lessonArgument_);
            else if (opensAsTable(lessonArgument_))
                dialog->importTableFile(lessonArgument_);
            else
                dialog->loadLessonFile(lessonArgument_);
        }
        startDone_ = true;
        if (helpDue_ && !endedBySession_) openHelp();
    });
    return QApplication::exec();
}

int runProgram(Config& config, const std::vector<std::string>& args)
{
    int result = 0;
    {
        RudarudApp rudarud(config, args.size() == 1 ? args.front() : std::string());
        result = rudarud.run();
        if (rudarud.endedBySession()) return result; // no viewer for a desktop going away
        // A window closed before its first frame reached the screen still opened the file.
        if (!rudarud.helpOpened()) help(Platform::HelpCommand::ForceFile, 0);
    }
    help(Platform::HelpCommand::ForceFile, 0);
    help(Platform::HelpCommand::Context, kFarewellTopic);
    return result;
}
