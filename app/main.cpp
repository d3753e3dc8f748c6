// KAZ-TRAINER: the program's entry point.
#include "config.h"
#include "rudarud_app.h"
#include "translations.h"

#include <QApplication>
#include <QStringList>

namespace {

// Read from "DODADIZE.CFG" before main() runs and written back after it returns.
Config settings;

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KAZ-TRAINER"));
    installQtGermanTranslation(app);
    return runProgram(settings, QApplication::arguments().mid(1));
}
