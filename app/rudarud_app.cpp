#include "rudarud_app.h"

#include "pictures.h"
#include "platform.h"
#include "rudarud_dia.h"
#include "table_file.h"

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
    if (QWindow* window = windowHandle())
        window->installEventFilter(this);
    else
        setWindowIcon(programIcon());
}

bool MainFrame::eventFilter(QObject* watched, QEvent* event)
{
    // The first expose paints and flushes the window before it returns; what is queued from
    // it comes after the first frame.
    if (event->type() == QEvent::Expose && watched == windowHandle()) {
        watched->removeEventFilter(this);
        QMetaObject::invokeMethod(
            this, [this] { setWindowIcon(programIcon()); }, Qt::QueuedConnection);
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

RudarudApp::RudarudApp(Config& config, QString lessonArgument)
    : frame_(new MainFrame(config)), lessonArgument_(std::move(lessonArgument))
{}

RudarudApp::~RudarudApp()
{
    delete frame_;
}

int RudarudApp::run()
{
    frame_->showFirstFrame();
    if (!lessonArgument_.isEmpty()) {
        // After the first frame, so that the window is there while the lesson is read.
        QTimer::singleShot(0, frame_, [this] {
            if (opensAsTable(QFile::encodeName(lessonArgument_).toStdString()))
                frame_->dialog()->importTableFile(lessonArgument_);
            else
                frame_->dialog()->loadLessonFile(lessonArgument_);
        });
    }
    return QApplication::exec();
}

namespace {

void help(Platform::HelpCommand command, std::uint32_t data)
{
    Platform::instance().winHelp(QString::fromLatin1(kHelpFile), command, data);
}

} // namespace

int runProgram(Config& config, const QStringList& args)
{
    help(Platform::HelpCommand::ForceFile, 0);
    int result = 0;
    {
        RudarudApp rudarud(config, args.size() == 1 ? args.front() : QString());
        result = rudarud.run();
    }
    help(Platform::HelpCommand::ForceFile, 0);
    help(Platform::HelpCommand::Context, kFarewellTopic);
    return result;
}
