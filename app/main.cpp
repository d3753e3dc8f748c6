// KAZ-TRAINER: the program's entry point.
#include "config.h"
#include "platform.h"
#include "rudarud_app.h"
#include "rudarud_dia.h"
#include "translations.h"

#include <QApplication>
#include <QStringList>

namespace {

// Read from "DODADIZE.CFG" before main() runs and written back after it returns.
Config settings;

constexpr std::uint32_t kFarewellTopic = 259;

void help(Platform::HelpCommand command, std::uint32_t data)
{
    Platform::instance().winHelp(QString::fromLatin1(kHelpFile), command, data);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KAZ-TRAINER"));
    installQtGermanTranslation(app);
    help(Platform::HelpCommand::ForceFile, 0);

    // One lesson file as the only argument is opened as if chosen in the open dialog.
    const QStringList args = QApplication::arguments();
    int result = 0;
    {
        RudarudApp rudarud(settings, args.size() == 2 ? args.at(1) : QString());
        result = rudarud.run();
    }

    help(Platform::HelpCommand::ForceFile, 0);
    help(Platform::HelpCommand::Context, kFarewellTopic);
    return result;
}
