// KAZ-TRAINER: the program's entry point.
#include "config.h"
#include "font_warm_up.h"
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
    FontConfigWarmUp fonts; // runs while the QApplication connects to the display
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KAZ-TRAINER"));
    installQtGermanTranslation(app);
    fonts.wait();
    return runProgram(settings, QApplication::arguments().mid(1));
}
