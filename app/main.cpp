// KAZ-TRAINER: the program's entry point.
#include "config.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace {

// Read from "DODADIZE.CFG" before main() runs and written back after it returns.
Config settings;

constexpr const char* kProgramCaption = " KAZ-TRAINER 1.0   ";
constexpr int kClientWidth = 636; // px: dialog 100 at base units 8 x 17
constexpr int kClientHeight = 383;

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget frame;
    frame.setWindowTitle(QString::fromLatin1(kProgramCaption));
    frame.setFixedSize(kClientWidth, kClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        frame.move((area.width() - kClientWidth) / 2, (area.height() - kClientHeight) / 2);
    }
    frame.show();
    return app.exec();
}
