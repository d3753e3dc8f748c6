// KAZ-TRAINER: the program's entry point.
#include "config.h"
#include "font_warm_up.h"
#include "rudarud_app.h"
#include "session_bus_warm_up.h"
#include "table_convert.h"
#include "translations.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include <QApplication>

namespace {

// Read from "DODADIZE.CFG" before main() runs and written back after it returns.
Config settings;

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--convert") == 0) {
        // A converter for scripts: no window, no display. It ends without the static
        // destructors, as the settings file is the trainer's and stays as it was.
        const int status = argc == 4 ? convertLessonFile(argv[2], argv[3], std::cerr) : [] {
            std::cerr << "Aufruf: kaz-trainer --convert EINGABE AUSGABE\n";
            return kConvertFailed;
        }();
        std::cerr.flush();
        std::_Exit(status);
    }
    FontConfigWarmUp fonts; // runs while the QApplication connects to the display
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KAZ-TRAINER"));
    QApplication::setDesktopFileName(QStringLiteral("kaz-trainer")); // the menu entry, for Wayland
    const SessionBusWarmUp bus;                                      // ends before the QApplication
    installQtGermanTranslation(app);
    fonts.wait();
    // The arguments as bytes: QApplication::arguments() decodes them as UTF-8, which turns a
    // file name from an old system ("Franz\xF6sisch.lsn") into one that names no file. argv
    // holds what QApplication left after taking its own options.
    return runProgram(settings, std::vector<std::string>(argv + 1, argv + argc));
}
