// KAZ-TRAINER: the program's entry point.
#include "command_line.h"
#include "config.h"
#include "paper_lesson.h"
#include "rudarud_app.h"
#include "rudarud_dia.h"
#include "table_convert.h"
#include "translations.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <QApplication>
#include <QGuiApplication>

namespace {

// Read from "DODADIZE.CFG" before main() runs and written back after it returns.
Config settings;

constexpr std::string_view kUsage = "Aufruf: kaz-trainer [DATEI]\n"
                                    "       kaz-trainer --convert EINGABE AUSGABE\n"
                                    "       kaz-trainer --help | --version\n";
constexpr std::string_view kHelpText =
    "\n"
    "Vokabeltrainer. DATEI ist eine Lektion (.lsn), eine Tabelle (.csv, .tsv, .txt) oder\n"
    "eine Datei anderer Vokabelprogramme (.kvtml, .pau.gz, .pau, Anki-Text), die beim\n"
    "Start geladen wird.\n"
    "\n"
    "  --convert EINGABE AUSGABE  wandelt ohne Fenster eine Tabelle in eine Lektion oder eine\n"
    "                             Lektion in eine Tabelle (.csv) um; Status 0: alle Zeilen\n"
    "                             übernommen, 1: Zeilen nicht übernommen,\n"
    "                             2: nichts geschrieben. EINGABE darf auch eine Datei\n"
    "                             anderer Vokabelprogramme sein (.kvtml, .pau.gz, .pau,\n"
    "                             Anki-Text .txt); AUSGABE .pdf schreibt eine Wortliste\n"
    "  --help                     zeigt diese Hilfe\n"
    "  --version                  zeigt die Version\n";
constexpr int kUsageError = 2;

// The name and version the windows show, without the caption's padding.
std::string_view programVersion()
{
    std::string_view caption = kProgramCaption;
    caption.remove_prefix(caption.find_first_not_of(' '));
    caption.remove_suffix(caption.size() - caption.find_last_not_of(' ') - 1);
    return caption;
}

// Ends a run without a window. The static destructors do not run: the settings file is the
// trainer's and stays as it was.
[[noreturn]] void finish(std::ostream& out, int status)
{
    out.flush();
    std::_Exit(status);
}

bool fileExists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::path(path), error);
}

} // namespace

int main(int argc, char* argv[])
{
    // The options are answered before any window or display: scripts call them.
    if (argc > 1 && std::strcmp(argv[1], "--convert") == 0) {
        if (argc != 4) {
            std::cerr << "Aufruf: kaz-trainer --convert EINGABE AUSGABE\n";
            finish(std::cerr, kConvertFailed);
        }
        if (isPdfFileName(argv[3])) {
            // The PDF writer needs Qt's fonts, not a display: scripts run it without one.
            qputenv("QT_QPA_PLATFORM", "offscreen");
            int qtArgc = 1;
            const QGuiApplication fonts(qtArgc, argv);
            finish(std::cerr, convertToPdf(argv[2], argv[3], std::cerr));
        }
        finish(std::cerr, convertLessonFile(argv[2], argv[3], std::cerr));
    }
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (const std::size_t at = firstTrainerOption(args, fileExists); at < args.size()) {
        const std::string_view arg = args[at];
        if (arg == "--help") {
            std::cout << kUsage << kHelpText;
            finish(std::cout, 0);
        }
        if (arg == "--version") {
            std::cout << programVersion() << '\n';
            finish(std::cout, 0);
        }
        std::cerr << "kaz-trainer: "
                  << (arg == "--convert" ? "--convert nur als erstes Argument"
                                         : "unbekannte Option " + std::string(arg))
                  << '\n'
                  << kUsage;
        finish(std::cerr, kUsageError);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KAZ-TRAINER"));
    QApplication::setDesktopFileName(QStringLiteral("kaz-trainer")); // the menu entry, for Wayland
    installQtGermanTranslation(app);
    // The arguments as bytes: QApplication::arguments() decodes them as UTF-8, which turns a
    // file name from an old system ("Franz\xF6sisch.lsn") into one that names no file. argv
    // holds what QApplication left after taking its own options.
    return runProgram(settings, std::vector<std::string>(argv + 1, argv + argc));
}
