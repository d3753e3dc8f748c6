// kaz-help-shot: renders the help viewer showing one topic into a PNG, for people to look at.
// usage: kaz-help-shot <help file> <topic> <out.png>   (run with QT_QPA_PLATFORM=offscreen)
#include "help_viewer.h"

#include <cstdio>
#include <string>

#include <QApplication>
#include <QDir>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fputs("usage: kaz-help-shot <help file> <topic> <out.png>\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    HelpViewer viewer(QDir::currentPath().toStdString(),
                      QApplication::applicationDirPath().toStdString());
    viewer.start(
        HelpRequest{HelpAction::Context, static_cast<TopicNumber>(std::stoul(argv[2])), argv[1]});
    viewer.show();
    QApplication::processEvents();
    return viewer.grab().save(QString::fromLocal8Bit(argv[3])) ? 0 : 1;
}
