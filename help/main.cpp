// kaz-help: the help viewer that the trainer starts detached. One viewer per help file and
// display: a later start for the same file hands its request to the running viewer and ends.
#include "help_channel.h"
#include "help_command.h"
#include "help_locator.h"
#include "help_server.h"
#include "help_viewer.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include <unistd.h>

#include <QApplication>
#include <QDir>

namespace {

// Each step of handing a request on waits at most this long, in ms.
constexpr int kForwardTimeoutMs = 2000;

// The path that names the viewer: the file that will be shown, or where it was missed first.
QString viewerKey(const HelpRequest& request, const std::filesystem::path& workingDir,
                  const std::filesystem::path& executableDir)
{
    const auto found = locateHelpFile(request.file, workingDir, executableDir);
    std::filesystem::path key = found ? *found : (workingDir / request.file).lexically_normal();
    std::error_code ec;
    if (const auto canonical = std::filesystem::weakly_canonical(key, ec); !ec) key = canonical;
    return QString::fromStdString(key.string());
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const HelpArguments parsed = parseHelpArguments(arguments);
    if (parsed.usageRequested || !parsed.request) {
        if (!parsed.error.empty()) std::fprintf(stderr, "kaz-help: %s\n", parsed.error.c_str());
        std::fputs(helpUsage("kaz-help").c_str(), parsed.usageRequested ? stdout : stderr);
        return parsed.usageRequested ? 0 : 2;
    }
    const HelpRequest& request = *parsed.request;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kaz-help"));
    QApplication::setApplicationDisplayName(QStringLiteral("KAZ-TRAINER Hilfe"));
    // Names the menu entry kaz-help.desktop (no menu item of its own), whose icon is the
    // trainer's; Wayland task bars find the window's entry by this name.
    QApplication::setDesktopFileName(QStringLiteral("kaz-help"));

    const std::filesystem::path workingDir = QDir::currentPath().toStdString();
    const std::filesystem::path executableDir = QApplication::applicationDirPath().toStdString();

    std::unique_ptr<HelpViewer> viewer;
    const auto becomeViewer = [&] {
        viewer = std::make_unique<HelpViewer>(workingDir, executableDir);
        viewer->start(request);
        // Started beside the trainer: shown without taking the keyboard from it. Later shows
        // (a topic asked for) activate the window as usual.
        viewer->setAttribute(Qt::WA_ShowWithoutActivating, request.beside);
        viewer->show();
        viewer->setAttribute(Qt::WA_ShowWithoutActivating, false);
    };
    HelpServer server;
    const ChannelFolder folder =
        helpChannelFolder(std::getenv("XDG_RUNTIME_DIR"), "/tmp", getuid());
    if (folder.path.empty()) {
        // No private place for the channel: this viewer shows the file and takes no requests.
        std::fprintf(stderr, "kaz-help: no private folder for the help channel: %s\n",
                     folder.problem.c_str());
        becomeViewer();
    } else {
        const QString name =
            helpServerName(QString::fromStdString(folder.path.string()),
                           viewerKey(request, workingDir, executableDir),
                           QString::fromStdString(displayIdentity(std::getenv("DISPLAY"),
                                                                  std::getenv("WAYLAND_DISPLAY"))));
        if (startOrForward(server, name, request, kForwardTimeoutMs, becomeViewer) ==
            StartOutcome::Forwarded)
            return 0;
    }
    QObject::connect(&server, &HelpServer::requestReceived, viewer.get(), &HelpViewer::execute);
    return QApplication::exec();
}
