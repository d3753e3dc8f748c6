// Renders the main window in typical states to PNG files, for people to look at:
//   kaz-screenshots OUTPUT_FOLDER
// Runs on any Qt platform (offscreen too). Works in a temporary folder; touches no user file.
#include "bmp_button.h"
#include "config.h"
#include "entry_chain.h"
#include "fake_platform.h"
#include "msg_win.h"
#include "results_log.h"
#include "rudarud_app.h"
#include "rudarud_dia.h"

#include <filesystem>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// A field of the dialog, reached by object name as the dialog names it.
QLineEdit* field(const RudarudDia* dia, int id)
{
    return dia->findChild<QLineEdit*>(QStringLiteral("field%1").arg(id));
}

void save(QWidget* w, const QString& folder, const QString& name)
{
    QApplication::processEvents();
    w->grab().save(folder + QLatin1Char('/') + name);
}

void type(QLineEdit* field, const QString& text)
{
    field->setFocus();
    QTest::keyClicks(field, text);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString out =
        QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".")).absolutePath();
    QDir().mkpath(out);
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    FakePlatform platform; // answers the questions: do not save first
    platform.messageAnswers = {Platform::IdNo};
    Config config(QStringLiteral("DODADIZE.CFG").toStdString());

    MainFrame frame(config);
    frame.show();
    RudarudDia* dia = frame.dialog();
    save(&frame, out, QStringLiteral("empty-lesson.png"));

    const char* pairs[][2] = {{"Haus", "house"},
                              {"Baum", "tree"},
                              {"\xC4pfel", "apples"},
                              {"Stra\xDF"
                               "e",
                               "street"},
                              {"Schule", "school"}};
    for (const auto& p : pairs) {
        type(field(dia, IdTerm1), QString::fromLatin1(p[0]));
        QTest::keyClick(field(dia, IdTerm1), Qt::Key_Return);
        type(field(dia, IdTerm2), QString::fromLatin1(p[1]));
        QTest::keyClick(field(dia, IdTerm2), Qt::Key_Return);
    }
    QTest::keyClick(field(dia, IdTerm1), Qt::Key_Down);
    QTest::keyClick(field(dia, IdTerm1), Qt::Key_Down);
    save(&frame, out, QStringLiteral("lesson-entry-shown.png"));
    dia->button(IdSave)->BlinkStep();
    save(&frame, out, QStringLiteral("save-blinking.png"));

    // An exercise: one right answer, then a wrong one with the correct term flashing.
    dia->command(IdNormalQuery);
    auto answerCurrent = [dia](bool right) {
        const strWort* e = dia->document().chain().currentEntry;
        type(field(dia, IdTerm2),
             right ? QString::fromLatin1(e->term2.c_str()) : QStringLiteral("falsch"));
        QTest::keyClick(field(dia, IdTerm2), Qt::Key_Return);
    };
    answerCurrent(true);
    type(field(dia, IdTerm2), QStringLiteral("hou"));
    save(&frame, out, QStringLiteral("exercise.png"));
    field(dia, IdTerm2)->clear();
    answerCurrent(false);
    save(&frame, out, QStringLiteral("exercise-correction.png"));
    QTest::keyClick(field(dia, IdTerm2), Qt::Key_Return);
    while (dia->exercise().running())
        answerCurrent(true);
    // Saves the first visible message window that `wanted` accepts as `name`, and closes it.
    // Saving and closing let deletions run, of it and maybe of other top-level widgets: the
    // list is not walked any further.
    auto saveMessageWindow = [&out](const QString& name, auto wanted) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* message = dynamic_cast<MSGWin*>(w);
                message && message->isVisible() && wanted(message)) {
                save(message, out, name);
                message->close();
                return;
            }
    };
    const auto anyMessage = [](const MSGWin*) { return true; };
    saveMessageWindow(QStringLiteral("report.png"), anyMessage);
    dia->command(IdResultsLog);
    saveMessageWindow(QStringLiteral("results-table.png"), anyMessage);
    // The progress picture after the drill, in the light palette and in a dark one.
    for (const bool dark : {false, true}) {
        if (dark) {
            QPalette palette;
            palette.setColor(QPalette::Window, QColor(0x30, 0x30, 0x30));
            palette.setColor(QPalette::WindowText, Qt::white);
            palette.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
            palette.setColor(QPalette::Text, Qt::white);
            QApplication::setPalette(palette);
        }
        QWidget* chart = dia->showProgressChart();
        QTest::qWait(0); // lets the charts lay out
        chart->adjustSize();
        save(chart, out,
             dark ? QStringLiteral("learning-chart-dark.png")
                  : QStringLiteral("learning-chart.png"));
        chart->close();
    }
    QApplication::setPalette(QPalette());

    // A result the log cannot take: a folder has the log's name.
    std::filesystem::remove(kResultsLogFileName);
    std::filesystem::create_directory(kResultsLogFileName);
    dia->command(IdNormalQuery);
    while (dia->exercise().running())
        answerCurrent(true);
    saveMessageWindow(QStringLiteral("result-not-stored.png"), [](const MSGWin* message) {
        return message->textColor() == QColor(Qt::red);
    });
    return 0;
}
