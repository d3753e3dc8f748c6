// Draws the program's pictures: the 16-colour button faces, LED digit faces and LED cell as
// .bmp files, and the program icon as PNG and .ico files.
//
// usage: draw_pictures <resources folder>   (writes bitmaps/<id>.bmp and icons/190*)
//
// Every face is drawn without antialiasing in the colours of one 16-entry table, so the
// pictures stay exact 16-colour bitmaps. Faces that are loaded with the 3D-colour mapping keep
// their bottom-left pixel (the first pixel stored) in the background grey (192, 192, 192),
// whose table entry becomes the button face colour: no other part of a picture is recoloured
// by that rule. Bevels use white and (223, 223, 223) for light, (128, 128, 128) and black for
// shadow, so they take the system's 3D colours on loading.
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include "bitmap16.h"

namespace {

// The colour table of every bitmap: the classic 16 colours, with (223, 223, 223), the 3D
// light grey, in place of magenta.
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kDarkRed = qRgb(128, 0, 0);
const QRgb kDarkGreen = qRgb(0, 128, 0);
const QRgb kOlive = qRgb(128, 128, 0);
const QRgb kNavy = qRgb(0, 0, 128);
const QRgb kPurple = qRgb(128, 0, 128);
const QRgb kTeal = qRgb(0, 128, 128);
const QRgb kFace = qRgb(192, 192, 192); // background and button body
const QRgb kShadow = qRgb(128, 128, 128);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kYellow = qRgb(255, 255, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kLight = qRgb(223, 223, 223);
const QRgb kCyan = qRgb(0, 255, 255);
const QRgb kWhite = qRgb(255, 255, 255);
const QList<QRgb> kTable = {kBlack,  kDarkRed, kDarkGreen, kOlive,  kNavy, kPurple, kTeal, kFace,
                            kShadow, kRed,     kGreen,     kYellow, kBlue, kLight,  kCyan, kWhite};

bool failed = false;

void fail(const QString& what)
{
    std::fprintf(stderr, "draw_pictures: %s\n", qPrintable(what));
    failed = true;
}

QImage canvas(int width, int height, QRgb background)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(background);
    return image;
}

// Writes image as a 16-colour bitmap; every pixel must already be a colour of the table.
void saveBitmap(const QImage& image, const QString& folder, int id)
{
    QImage indexed(image.size(), QImage::Format_Indexed8);
    indexed.setColorTable(kTable);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const qsizetype index = kTable.indexOf(image.pixel(x, y) | 0xFF000000u);
            if (index < 0) {
                fail(QStringLiteral("bitmap %1: pixel (%2, %3) is not a table colour")
                         .arg(id)
                         .arg(x)
                         .arg(y));
                return;
            }
            indexed.setPixel(x, y, static_cast<uint>(index));
        }
    }
    QFile file(QStringLiteral("%1/%2.bmp").arg(folder).arg(id));
    if (!file.open(QIODevice::WriteOnly) || file.write(encodeBitmap16(indexed)) <= 0)
        fail(QStringLiteral("cannot write %1").arg(file.fileName()));
}

void fillPixels(QImage& image, const QRect& r, QRgb colour)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.valid(x, y)) image.setPixel(x, y, colour);
}

QFont pixelFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// Lines of text centred in box, in one colour, without antialiasing.
void drawCentredText(QImage& image, const QRect& box, const QStringList& lines, int pixelSize,
                     QRgb colour)
{
    QPainter p(&image);
    p.setFont(pixelFont(pixelSize, true));
    p.setPen(QColor(colour));
    p.drawText(box, Qt::AlignCenter, lines.join(QLatin1Char('\n')));
}

void fillPolygon(QImage& image, const QPolygon& polygon, QRgb fill, QRgb outline)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(outline), 1));
    p.setBrush(QColor(fill));
    p.drawPolygon(polygon);
}

// A rectangular button body: a 2 px bevel, raised or pressed, on the face grey. The four
// corner pixels stay background, which rounds the button off.
void drawBevel(QImage& image, bool pressed)
{
    const int w = image.width(), h = image.height();
    const QRgb outerLight = pressed ? kShadow : kWhite;
    const QRgb innerLight = pressed ? kBlack : kLight;
    const QRgb innerDark = pressed ? kLight : kShadow;
    const QRgb outerDark = pressed ? kWhite : kBlack;
    fillPixels(image, QRect(0, 0, w, 1), outerLight);
    fillPixels(image, QRect(0, 0, 1, h), outerLight);
    fillPixels(image, QRect(0, h - 1, w, 1), outerDark);
    fillPixels(image, QRect(w - 1, 0, 1, h), outerDark);
    fillPixels(image, QRect(1, 1, w - 2, 1), innerLight);
    fillPixels(image, QRect(1, 1, 1, h - 2), innerLight);
    fillPixels(image, QRect(1, h - 2, w - 2, 1), innerDark);
    fillPixels(image, QRect(w - 2, 1, 1, h - 2), innerDark);
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)})
        image.setPixel(corner, kFace);
}

// The lamp of the wide buttons: pixels 9 to 16 in x and y in colour, a grey line on the left
// and top (8) and a white one on the right and bottom (17), so it sits sunken in the face.
// The sample point (15, 15) and the flash area (9, 9, 9 x 9) of the option buttons rest on it.
void drawIndicator(QImage& image, QRgb colour, QPoint shift = {})
{
    fillPixels(image, QRect(QPoint(8, 8) + shift, QSize(10, 1)), kShadow);
    fillPixels(image, QRect(QPoint(8, 8) + shift, QSize(1, 10)), kShadow);
    fillPixels(image, QRect(QPoint(9, 17) + shift, QSize(9, 1)), kWhite);
    fillPixels(image, QRect(QPoint(17, 9) + shift, QSize(1, 9)), kWhite);
    fillPixels(image, QRect(QPoint(9, 9) + shift, QSize(8, 8)), colour);
}

// ---- round buttons, 35 x 35 ----

constexpr double kRoundCentre = 17.0;

// The round button: a 2 px ring lit from the upper left (raised) or the lower right (pressed)
// around a face-grey body of radius 15.
QImage roundButton(bool pressed)
{
    QImage image = canvas(35, 35, kFace);
    for (int y = 0; y < 35; ++y) {
        for (int x = 0; x < 35; ++x) {
            const double dx = x - kRoundCentre, dy = y - kRoundCentre;
            const double d = std::hypot(dx, dy);
            if (d > 17.4 || d <= 15.2) continue;
            const bool upperLeft = (dx + dy) < 0;
            const bool lit = pressed ? !upperLeft : upperLeft;
            const bool outer = d > 16.3;
            image.setPixel(x, y, lit ? (outer ? kWhite : kLight) : (outer ? kBlack : kShadow));
        }
    }
    return image;
}

// A disc of colour with a black rim, centred on the button (radius in px).
void drawDisc(QImage& image, double radius, QRgb colour, double cx = kRoundCentre,
              double cy = kRoundCentre)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const double d = std::hypot(x - cx, y - cy);
            if (d <= radius)
                image.setPixel(x, y, colour);
            else if (d <= radius + 1.0)
                image.setPixel(x, y, kBlack);
        }
    }
}

// The save button: a disc (red at rest, green while held) with a small floppy disk on it.
// Pixel (9, 9) lies in the disc's colour, which carries the blinking.
QImage saveFace(QRgb disc)
{
    QImage image = roundButton(false);
    drawDisc(image, 13.0, disc);
    // Floppy disk, 12 x 12 at (11, 11): black case, white label, metal shutter with its slot.
    fillPixels(image, QRect(11, 11, 12, 12), kBlack);
    image.setPixel(22, 11, disc); // the cut corner
    fillPixels(image, QRect(13, 11, 7, 4), kLight);
    fillPixels(image, QRect(17, 12, 2, 2), kBlack);
    fillPixels(image, QRect(13, 17, 8, 5), kWhite);
    fillPixels(image, QRect(14, 18, 6, 1), kShadow);
    fillPixels(image, QRect(14, 20, 6, 1), kShadow);
    return image;
}

// The help button: an information sign, a coloured disc with a white "i".
QImage helpFace(QRgb sign, bool pressed)
{
    QImage image = roundButton(pressed);
    const int s = pressed ? 1 : 0;
    drawDisc(image, 11.0, sign, kRoundCentre + s, kRoundCentre + s);
    fillPixels(image, QRect(16 + s, 9 + s, 3, 3), kWhite);  // the dot
    fillPixels(image, QRect(16 + s, 14 + s, 3, 9), kWhite); // the stem
    fillPixels(image, QRect(14 + s, 14 + s, 2, 1), kWhite); // serif at the top left
    fillPixels(image, QRect(14 + s, 23 + s, 7, 2), kWhite); // foot
    return image;
}

// The results log button: a sheet with axes and a red zigzag, the course of the last results.
QImage resultsFace(bool pressed)
{
    QImage image = roundButton(pressed);
    const QPoint s = pressed ? QPoint(1, 1) : QPoint(0, 0);
    fillPixels(image, QRect(QPoint(8, 9) + s, QSize(19, 17)), kBlack);
    fillPixels(image, QRect(QPoint(9, 10) + s, QSize(17, 15)), kWhite);
    fillPixels(image, QRect(QPoint(11, 11) + s, QSize(1, 12)), kBlack); // y axis
    fillPixels(image, QRect(QPoint(11, 22) + s, QSize(14, 1)), kBlack); // x axis
    QPainter p(&image);
    p.setPen(QPen(QColor(kRed), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawPolyline(
        QPolygon({QPoint(13, 19) + s, QPoint(16, 13) + s, QPoint(19, 18) + s, QPoint(23, 12) + s}));
    return image;
}

// The progress picture's button: a sheet with five bars on a base line, the learning record's
// five boxes; the higher boxes in green, the lower in blue.
QImage chartFace(bool pressed)
{
    QImage image = roundButton(pressed);
    const QPoint s = pressed ? QPoint(1, 1) : QPoint(0, 0);
    fillPixels(image, QRect(QPoint(8, 9) + s, QSize(19, 17)), kBlack);
    fillPixels(image, QRect(QPoint(9, 10) + s, QSize(17, 15)), kWhite);
    fillPixels(image, QRect(QPoint(10, 22) + s, QSize(15, 1)), kBlack); // base line
    constexpr int kBarHeights[] = {9, 5, 7, 3, 10};                     // px above the base line
    constexpr int kBarWidth = 2, kBarStep = 3;
    for (int box = 0; box < 5; ++box) {
        const int h = kBarHeights[box];
        fillPixels(image, QRect(QPoint(11 + kBarStep * box, 22 - h) + s, QSize(kBarWidth, h)),
                   box < 3 ? kBlue : kGreen);
    }
    return image;
}

// A loudspeaker with one or two sound waves, the reading-aloud buttons' sign, shifted by s.
void drawSpeaker(QImage& image, QPoint s, QRgb waves, int waveCount = 2)
{
    fillPolygon(image,
                QPolygon({QPoint(8, 14) + s, QPoint(12, 14) + s, QPoint(17, 9) + s,
                          QPoint(17, 25) + s, QPoint(12, 20) + s, QPoint(8, 20) + s}),
                kNavy, kBlack);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(waves), 2, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRect(QPoint(14, 12) + s, QSize(7, 10)), -60 * 16, 120 * 16);
    if (waveCount > 1) p.drawArc(QRect(QPoint(14, 8) + s, QSize(12, 18)), -60 * 16, 120 * 16);
}

// "Vorlesen": the loudspeaker, its waves red while held.
QImage speakFace(bool pressed)
{
    QImage image = roundButton(pressed);
    drawSpeaker(image, pressed ? QPoint(1, 1) : QPoint(0, 0), pressed ? kRed : kBlue);
    return image;
}

// The option "Fragen vorlesen": a smaller loudspeaker with a question mark, and a lamp at the
// lower right, dark red off, green on.
QImage readAloudFace(bool on)
{
    QImage image = roundButton(false);
    drawSpeaker(image, QPoint(-2, -1), kBlue, 1);
    drawCentredText(image, QRect(20, 8, 9, 14), {QStringLiteral("?")}, 13, kNavy);
    drawDisc(image, 3.0, on ? kGreen : kDarkRed, 23.0, 24.0);
    return image;
}

// ---- wedges, 29 x 30 ----

// A page-turning wedge pointing left or right; the last column stays background (the button
// is 28 px wide). Held down it turns red and moves by one pixel.
QImage wedgeFace(bool pointsLeft, bool pressed)
{
    QImage image = canvas(29, 30, kFace);
    const QRgb body = pressed ? kRed : kBlue;
    const QRgb dark = pressed ? kDarkRed : kNavy;
    const int s = pressed ? 1 : 0;
    const int tipX = pointsLeft ? 3 : 24, baseX = pointsLeft ? 24 : 3;
    const QPolygon wedge(
        {QPoint(tipX + s, 14 + s), QPoint(baseX + s, 3 + s), QPoint(baseX + s, 25 + s)});
    fillPolygon(image, wedge.translated(1, 1), kShadow, kShadow); // its shadow on the face
    fillPolygon(image, wedge, body, kBlack);
    QPainter p(&image);
    p.setPen(QColor(kWhite)); // light along the upper edge
    const int inward = pointsLeft ? 1 : -1;
    p.drawLine(QPoint(tipX + 2 * inward + s, 14 + s), QPoint(baseX - inward + s, 4 + s + 1));
    p.setPen(QColor(dark)); // shade along the lower edge and the base
    p.drawLine(QPoint(tipX + 2 * inward + s, 15 + s), QPoint(baseX - inward + s, 24 + s));
    p.drawLine(QPoint(baseX - inward + s, 6 + s), QPoint(baseX - inward + s, 23 + s));
    return image;
}

// ---- wide lesson buttons, 109 x 35 ----

// A sheet of paper with a folded corner; the "new lesson" symbol.
void drawSheet(QImage& image, QPoint at)
{
    fillPolygon(image,
                QPolygon({at, at + QPoint(11, 0), at + QPoint(15, 4), at + QPoint(15, 20),
                          at + QPoint(0, 20)}),
                kWhite, kBlack);
    fillPolygon(image, QPolygon({at + QPoint(11, 0), at + QPoint(11, 4), at + QPoint(15, 4)}),
                kLight, kBlack);
    for (int line = 0; line < 4; ++line)
        fillPixels(image, QRect(at + QPoint(3, 8 + 3 * line), QSize(9, 1)), kShadow);
    // a yellow star at the top left: something new
    fillPixels(image, QRect(at + QPoint(-3, -1), QSize(7, 1)), kYellow);
    fillPixels(image, QRect(at + QPoint(0, -4), QSize(1, 7)), kYellow);
    fillPixels(image, QRect(at + QPoint(-1, -2), QSize(3, 3)), kYellow);
}

// An open folder with a green arrow coming out of it; the "load lesson" symbol.
void drawFolder(QImage& image, QPoint at)
{
    fillPolygon(image,
                QPolygon({at + QPoint(0, 3), at + QPoint(6, 3), at + QPoint(8, 5),
                          at + QPoint(18, 5), at + QPoint(18, 19), at + QPoint(0, 19)}),
                kOlive, kBlack);
    fillPolygon(
        image,
        QPolygon({at + QPoint(3, 9), at + QPoint(22, 9), at + QPoint(18, 19), at + QPoint(0, 19)}),
        kYellow, kBlack);
    fillPolygon(
        image,
        QPolygon({at + QPoint(9, 10), at + QPoint(13, 10), at + QPoint(13, 4), at + QPoint(16, 4),
                  at + QPoint(11, -2), at + QPoint(6, 4), at + QPoint(9, 4)}),
        kGreen, kBlack);
}

QImage lessonFace(bool load, bool pressed)
{
    QImage image = canvas(109, 35, kFace);
    drawBevel(image, pressed);
    const QPoint s = pressed ? QPoint(1, 1) : QPoint(0, 0);
    if (load)
        drawFolder(image, QPoint(8, 7) + s);
    else
        drawSheet(image, QPoint(11, 7) + s);
    const QStringList words = load ? QStringList{QStringLiteral("Lektion"), QStringLiteral("laden")}
                                   : QStringList{QStringLiteral("Neue"), QStringLiteral("Lektion")};
    drawCentredText(image, QRect(QPoint(34, 3) + s, QSize(70, 29)), words, 12, kBlack);
    return image;
}

// ---- wide exercise buttons, 90 x 39 ----

QPolygon triangleDown(QPoint centre, int half)
{
    return QPolygon({centre + QPoint(-half, -half / 2 - 2), centre + QPoint(half, -half / 2 - 2),
                     centre + QPoint(0, half)});
}

QPolygon triangleUp(QPoint centre, int half)
{
    return QPolygon({centre + QPoint(-half, half / 2 + 2), centre + QPoint(half, half / 2 + 2),
                     centre + QPoint(0, -half)});
}

// The four exercise buttons share a body: a lamp at the top left, the symbol in the middle and
// a note of what they do. Held down the lamp is lit and the body sunken.
enum class Exercise { Normal, Reversed, Mixed, Abort };

QImage exerciseFace(Exercise kind, bool pressed)
{
    QImage image = canvas(90, 39, kFace);
    drawBevel(image, pressed);
    const QPoint s = pressed ? QPoint(1, 1) : QPoint(0, 0);
    drawIndicator(image, pressed ? kYellow : kOlive, s);
    const QPoint middle = QPoint(36, 19) + s;
    switch (kind) {
    case Exercise::Normal:
        fillPolygon(image, triangleDown(middle, 9), kGreen, kBlack);
        break;
    case Exercise::Reversed:
        fillPolygon(image, triangleUp(middle, 9), kRed, kBlack);
        break;
    case Exercise::Mixed:
        fillPolygon(image, triangleDown(middle - QPoint(8, 0), 7), kGreen, kBlack);
        fillPolygon(image, triangleUp(middle + QPoint(8, 0), 7), kRed, kBlack);
        break;
    case Exercise::Abort:
        // Green triangles tip to tip from above and below, red ones from the sides: crossed.
        fillPolygon(image, QPolygon({middle + QPoint(-9, -11), middle + QPoint(9, -11), middle}),
                    kGreen, kBlack);
        fillPolygon(image, QPolygon({middle + QPoint(-9, 11), middle + QPoint(9, 11), middle}),
                    kGreen, kBlack);
        fillPolygon(image, QPolygon({middle + QPoint(-11, -9), middle + QPoint(-11, 9), middle}),
                    kRed, kBlack);
        fillPolygon(image, QPolygon({middle + QPoint(11, -9), middle + QPoint(11, 9), middle}),
                    kRed, kBlack);
        break;
    }
    const QStringList note = [kind] {
        switch (kind) {
        case Exercise::Normal:
            return QStringList{QStringLiteral("1"), QStringLiteral("2")};
        case Exercise::Reversed:
            return QStringList{QStringLiteral("2"), QStringLiteral("1")};
        case Exercise::Mixed:
            return QStringList{QStringLiteral("1"), QStringLiteral("2")};
        case Exercise::Abort:
            return QStringList{QStringLiteral("Stop")};
        }
        return QStringList{};
    }();
    if (kind == Exercise::Abort) {
        drawCentredText(image, QRect(QPoint(52, 4) + s, QSize(34, 31)), note, 12, kDarkRed);
    } else {
        // "from" above, "to" below, beside the symbol, and a question mark for the query
        drawCentredText(image, QRect(QPoint(50, 4) + s, QSize(12, 15)), {note[0]}, 11, kBlack);
        drawCentredText(image, QRect(QPoint(50, 20) + s, QSize(12, 15)), {note[1]}, 11, kBlack);
        drawCentredText(image, QRect(QPoint(62, 4) + s, QSize(22, 31)), {QStringLiteral("?")}, 22,
                        kNavy);
    }
    return image;
}

// The option buttons' faces: the lamp alone (dark red off, green on); the program burns the
// option's label into the lower half.
QImage optionFace(bool on)
{
    QImage image = canvas(90, 39, kFace);
    drawBevel(image, false);
    drawIndicator(image, on ? kGreen : kDarkRed);
    return image;
}

// ---- LED digits, 13 x 23, and the LED cell, 10 x 9 ----

// Seven segments a to g, each a set of pixels; lit red, unlit a dotted dark red on black.
std::vector<QRect> segmentRects(char segment)
{
    switch (segment) {
    case 'a':
        return {QRect(3, 1, 7, 1), QRect(4, 2, 5, 1)};
    case 'b':
        return {QRect(10, 2, 1, 8), QRect(9, 3, 1, 6)};
    case 'c':
        return {QRect(10, 12, 1, 8), QRect(9, 13, 1, 6)};
    case 'd':
        return {QRect(3, 21, 7, 1), QRect(4, 20, 5, 1)};
    case 'e':
        return {QRect(2, 12, 1, 8), QRect(3, 13, 1, 6)};
    case 'f':
        return {QRect(2, 2, 1, 8), QRect(3, 3, 1, 6)};
    case 'g':
        return {QRect(4, 10, 5, 1), QRect(3, 11, 7, 1)};
    }
    return {};
}

QImage digitFace(int digit)
{
    static const char* const kLit[] = {"abcdef", "bc",     "abdeg", "abcdg",   "bcfg",
                                       "acdfg",  "acdefg", "abc",   "abcdefg", "abcdfg"};
    QImage image = canvas(13, 23, kBlack);
    const QString lit = digit < 10 ? QString::fromLatin1(kLit[digit]) : QString();
    for (const char segment : QByteArrayLiteral("abcdefg")) {
        const bool on = lit.contains(QLatin1Char(segment));
        for (const QRect& r : segmentRects(segment)) {
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    if (on || (x + y) % 2 == 0) image.setPixel(x, y, on ? kRed : kDarkRed);
        }
    }
    if (digit == 10) { // the colon: two lit dots in the middle of the halves
        fillPixels(image, QRect(5, 5, 3, 2), kRed);
        fillPixels(image, QRect(5, 16, 3, 2), kRed);
    }
    return image;
}

// A round LED: black outline, blue body with a white highlight at its upper left, white top
// and left edge, grey bottom and right edge. The body around the centre (5, 4) is uniform and
// closed, so a flood fill from the centre recolours the body alone.
QImage ledCell()
{
    static const char* const kRows[] = {
        "WWWWWWWWWG", //
        "W..KKKK..G", //
        "W.KBBBBK.G", //
        "WKBWBBBBKG", //
        "WKBBBBBBKG", //
        "WKBBBBBBKG", //
        "W.KBBBBK.G", //
        "W..KKKK..G", //
        ".GGGGGGGGG", // the bottom-left pixel stays background
    };
    QImage image = canvas(10, 9, kFace);
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 10; ++x) {
            switch (kRows[y][x]) {
            case 'W':
                image.setPixel(x, y, kWhite);
                break;
            case 'G':
                image.setPixel(x, y, kShadow);
                break;
            case 'K':
                image.setPixel(x, y, kBlack);
                break;
            case 'B':
                image.setPixel(x, y, kBlue);
                break;
            default:
                break;
            }
        }
    }
    return image;
}

// ---- icon 190 ----

// A blue card with a white "K" above a row of LED dots in green, yellow and red.
QImage programIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double u = size / 32.0;
    p.setPen(QPen(QColor(0, 0, 64), std::max(1.0, u)));
    QLinearGradient gradient(0, 0, 0, size);
    gradient.setColorAt(0, QColor(40, 80, 220));
    gradient.setColorAt(1, QColor(0, 0, 128));
    p.setBrush(gradient);
    p.drawRoundedRect(QRectF(0.5 * u, 0.5 * u, size - u, size - u), 5 * u, 5 * u);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(true);
    font.setPixelSize(static_cast<int>(std::lround(22 * u)));
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, size, 24 * u), Qt::AlignCenter, QStringLiteral("K"));
    const QColor dots[] = {QColor(0, 255, 0), QColor(255, 255, 0), QColor(255, 0, 0)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        p.setBrush(dots[i]);
        p.drawEllipse(QPointF((9 + 7 * i) * u, 26 * u), 2.6 * u, 2.6 * u);
    }
    return image;
}

void putU16(QByteArray& out, int v)
{
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}

void putU32(QByteArray& out, qsizetype v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(static_cast<char>((v >> shift) & 0xFF));
}

// An .ico file whose images are stored as PNG.
QByteArray iconFile(const std::vector<QByteArray>& pngs, const std::vector<int>& sizes)
{
    constexpr int kDirBytes = 6, kEntryBytes = 16;
    QByteArray out;
    putU16(out, 0);
    putU16(out, 1); // icon
    putU16(out, static_cast<int>(pngs.size()));
    qsizetype offset = kDirBytes + kEntryBytes * static_cast<qsizetype>(pngs.size());
    for (std::size_t i = 0; i < pngs.size(); ++i) {
        out.append(static_cast<char>(sizes[i] >= 256 ? 0 : sizes[i]));
        out.append(static_cast<char>(sizes[i] >= 256 ? 0 : sizes[i]));
        out.append('\0'); // no colour table
        out.append('\0');
        putU16(out, 1);  // planes
        putU16(out, 32); // bits per pixel
        putU32(out, pngs[i].size());
        putU32(out, offset);
        offset += pngs[i].size();
    }
    for (const QByteArray& png : pngs)
        out.append(png);
    return out;
}

void writeIcons(const QString& folder)
{
    std::vector<QByteArray> pngs;
    const std::vector<int> sizes = {16, 32, 48};
    for (const int size : sizes) {
        const QImage image = programIconImage(size);
        const QString path = QStringLiteral("%1/190-%2.png").arg(folder).arg(size);
        if (!image.save(path, "PNG")) fail(QStringLiteral("cannot write %1").arg(path));
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) pngs.push_back(file.readAll());
    }
    QFile ico(folder + QStringLiteral("/190.ico"));
    if (!ico.open(QIODevice::WriteOnly) || ico.write(iconFile(pngs, sizes)) <= 0)
        fail(QStringLiteral("cannot write %1").arg(ico.fileName()));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_pictures <resources folder>\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString bitmaps = root + QStringLiteral("/bitmaps");
    const QString icons = root + QStringLiteral("/icons");
    QDir().mkpath(bitmaps);
    QDir().mkpath(icons);

    const std::vector<std::pair<int, std::function<QImage()>>> pictures = {
        {5000, [] { return wedgeFace(true, true); }},
        {5001, [] { return wedgeFace(true, false); }},
        {5002, [] { return wedgeFace(false, true); }},
        {5003, [] { return wedgeFace(false, false); }},
        {5004, [] { return lessonFace(false, true); }},
        {5005, [] { return lessonFace(false, false); }},
        {5006, [] { return lessonFace(true, true); }},
        {5007, [] { return lessonFace(true, false); }},
        {5008, [] { return saveFace(kGreen); }},
        {5009, [] { return saveFace(kRed); }},
        {5010, [] { return exerciseFace(Exercise::Abort, true); }},
        {5011, [] { return exerciseFace(Exercise::Abort, false); }},
        {5012, [] { return exerciseFace(Exercise::Mixed, true); }},
        {5013, [] { return exerciseFace(Exercise::Mixed, false); }},
        {5014, [] { return exerciseFace(Exercise::Reversed, true); }},
        {5015, [] { return exerciseFace(Exercise::Reversed, false); }},
        {5016, [] { return exerciseFace(Exercise::Normal, true); }},
        {5017, [] { return exerciseFace(Exercise::Normal, false); }},
        {5033, [] { return ledCell(); }},
        {5034, [] { return helpFace(kRed, true); }},
        {5035, [] { return helpFace(kGreen, false); }},
        {5036, [] { return optionFace(true); }},
        {5037, [] { return optionFace(false); }},
        {5038, [] { return resultsFace(true); }},
        {5039, [] { return resultsFace(false); }},
        {5042, [] { return chartFace(true); }},
        {5043, [] { return chartFace(false); }},
        {5046, [] { return speakFace(true); }},
        {5047, [] { return speakFace(false); }},
        {5044, [] { return readAloudFace(true); }},
        {5045, [] { return readAloudFace(false); }},
    };
    for (const auto& [id, draw] : pictures)
        saveBitmap(draw(), bitmaps, id);
    for (int face = 0; face <= 10; ++face)
        saveBitmap(digitFace(face), bitmaps, 5018 + face);
    writeIcons(icons);
    return failed ? 1 : 0;
}
