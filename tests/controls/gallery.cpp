// Renders every picture and a sample of every display control into one PNG, for people to look
// at: the faces as the program loads them (with the 3D-colour mapping), the LED digit faces and
// cell enlarged, and the controls as the main dialog sets them up.
//
// usage: controls_gallery <output.png>
#include <algorithm>
#include <cstdio>

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QWidget>

#include "bmp_button.h"
#include "fake_platform.h"
#include "led_line.h"
#include "led_window.h"
#include "log_font.h"
#include "pictures.h"
#include "text_3d.h"

namespace {

constexpr int kZoom = 3;
constexpr int kMargin = 12;

struct Sheet {
    QImage image{1500, 1500, QImage::Format_RGB32};
    QPainter painter;
    int x = kMargin, y = kMargin, rowHeight = 0;

    Sheet()
    {
        image.fill(QColor(230, 230, 230));
        painter.begin(&image);
        painter.setFont(logFont(QStringLiteral("Arial"), 14));
    }
    void newRow()
    {
        x = kMargin;
        y += rowHeight + kMargin;
        rowHeight = 0;
    }
    void title(const QString& text)
    {
        newRow();
        painter.setPen(Qt::black);
        painter.drawText(QPoint(x, y + 12), text);
        y += 18;
    }
    // Puts a picture scaled by zoom with a caption below it; wraps at the sheet's edge.
    void put(const QImage& picture, int zoom, const QString& caption)
    {
        const QSize size = picture.size() * zoom;
        if (x + size.width() > image.width() - kMargin) newRow();
        painter.drawImage(QRect(QPoint(x, y), size), picture);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(x, y + size.height() + 14), caption);
        x += std::max(size.width(), 40) + kMargin;
        rowHeight = std::max(rowHeight, size.height() + 18);
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: controls_gallery <output.png>\n");
        return 2;
    }
    FakePlatform platform;
    platform.now = 1733493900 + 3 * 3600 + 25 * 60 + 47; // 17:30:47 UTC

    Sheet sheet;
    sheet.title(QStringLiteral("Button faces (mapped), zoom 3"));
    for (const int id : {5001, 5000, 5003, 5002, 5005, 5004, 5007, 5006, 5009, 5008, 5035, 5034,
                         5039, 5038, 5017, 5016, 5015, 5014, 5013, 5012, 5011, 5010, 5037, 5036})
        sheet.put(loadBitmapResource(id, true), kZoom, QString::number(id));

    sheet.title(QStringLiteral("LED digit faces (plain) and LED cell (mapped), zoom 4"));
    for (int id = 5018; id <= 5028; ++id)
        sheet.put(loadBitmapResource(id, false), 4, QString::number(id));
    sheet.put(loadBitmapResource(5033, true), 8, QStringLiteral("5033"));
    sheet.put(QIcon(programIcon()).pixmap(48).toImage(), 2, QStringLiteral("icon 190"));

    // The controls on a dialog-coloured panel, as the main dialog places them.
    QWidget panel;
    panel.resize(640, 230);
    panel.setAutoFillBackground(true);

    LEDWindow clock(&panel, 335, 150, 8, false, LEDWindow::Mode::WallClock, platform.now);
    LEDWindow grade(&panel, 600, 20, 1, false, LEDWindow::Mode::Counter, 6);
    LEDWindow elapsed(&panel, 335, 190, 5, false, LEDWindow::Mode::ElapsedClock, 0);
    platform.now += 3725;
    elapsed.Tick();

    myLEDLine entries(&panel, 17, 130, 5033, 27, {.framed = true});
    entries.Reset(kLedOff);
    for (int i = 0; i < 33; ++i)
        entries.StepForward(); // a full green lap, then six yellow cells
    myLEDLine ratio(&panel, 518, 28, 5033, 8, {.framed = true});
    ratio.ShowRatio(5, 3, kGreen, kRed);
    myLEDLine column(&panel, 300, 10, 5033, 5, {.vertical = true});
    column.ShowSegment(1, 3, kYellow);

    myBMPButton save(&panel, 5009, 5008);
    save.move(8, 10);
    myBMPButton load(&panel, 5007, 5006);
    load.move(60, 10);
    myBMPButton normal(&panel, 5017, 5016);
    normal.move(180, 10);
    myBMPButton option1(
        &panel, 5037, 5036,
        {.toggles = true, .samplePoint = {15, 15}, .label = QStringLiteral("ab = AB")});
    option1.move(8, 60);
    myBMPButton option2(
        &panel, 5037, 5036,
        {.toggles = true, .samplePoint = {15, 15}, .label = QStringLiteral("a, b = a b")});
    option2.move(104, 60);
    option2.SetOn(true);
    myBMPButton option3(
        &panel, 5037, 5036,
        {.toggles = true, .samplePoint = {15, 15}, .label = QStringLiteral("a, b = b, a")});
    option3.move(200, 60);
    option3.StartBlink(250);
    option3.BlinkStep(); // in the flash phase
    myBMPButton back(&panel, 5001, 5000);
    back.move(300, 60);
    myBMPButton forward(&panel, 5003, 5002);
    forward.move(330, 60);

    const QFont vertical = logFont(QStringLiteral("Arial"), 12, 6);
    my3DText caption(&panel, 620, 225, QStringLiteral(" KAZ-TRAINER 1.0   "), vertical,
                     {.vertical = true, .transparent = true});
    my3DText framed(&panel, 420, 60, QStringLiteral("Engraved, framed"),
                    logFont(QStringLiteral("Arial"), 16), {.framed = true});

    sheet.title(QStringLiteral(
        "Controls (clock 17:30:47, elapsed 01:02:05 on 5 digits, grade 6; "
        "27 cells after 33 steps; 8 cells 5:3; option 3 in its flash phase), zoom 2"));
    sheet.put(panel.grab().toImage(), 2, QStringLiteral("panel"));

    sheet.painter.end();
    const QImage result =
        sheet.image.copy(0, 0, sheet.image.width(), sheet.y + sheet.rowHeight + kMargin);
    if (!result.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "controls_gallery: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
