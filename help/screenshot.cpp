// kaz-help-shot: renders the help viewer showing one topic into a PNG, for people to look at.
// usage: kaz-help-shot [--dark] <help file> <topic> <out.png>   (QT_QPA_PLATFORM=offscreen)
// --dark gives the application a dark palette, as a dark desktop scheme would.
#include "help_viewer.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <QApplication>
#include <QDir>
#include <QPalette>

namespace {

QPalette darkPalette()
{
    QPalette p;
    const QColor window(0x35, 0x35, 0x35);
    const QColor base(0x24, 0x24, 0x24);
    const QColor text(0xe8, 0xe8, 0xe8);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x2a, 0x82, 0xda));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    return p;
}

} // namespace

int main(int argc, char** argv)
{
    const bool dark = argc > 1 && std::strcmp(argv[1], "--dark") == 0;
    const int first = dark ? 2 : 1;
    if (argc - first != 3) {
        std::fputs("usage: kaz-help-shot [--dark] <help file> <topic> <out.png>\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    if (dark) QApplication::setPalette(darkPalette());
    HelpViewer viewer(QDir::currentPath().toStdString(),
                      QApplication::applicationDirPath().toStdString());
    viewer.start(HelpRequest{HelpAction::Context,
                             static_cast<TopicNumber>(std::stoul(argv[first + 1])), argv[first]});
    viewer.show();
    QApplication::processEvents();
    return viewer.grab().save(QString::fromLocal8Bit(argv[first + 2])) ? 0 : 1;
}
