#include "flash_area.h"

namespace {

bool hasColour(const QImage& face, int x, int y, QRgb base)
{
    return face.valid(x, y) && (face.pixel(x, y) & RGB_MASK) == (base & RGB_MASK);
}

// The first position from `from` in steps of (dx, dy) whose pixel differs from base.
QPoint firstDifferent(const QImage& face, QPoint from, int dx, int dy, QRgb base)
{
    QPoint p = from;
    while (hasColour(face, p.x(), p.y(), base))
        p += QPoint(dx, dy);
    return p;
}

} // namespace

QRect scanFlashArea(const QImage& face, QPoint sample, QRgb base)
{
    const int left = firstDifferent(face, sample - QPoint(1, 0), -1, 0, base).x();
    const int top = firstDifferent(face, sample - QPoint(0, 1), 0, -1, base).y();
    const int right = firstDifferent(face, sample + QPoint(1, 0), 1, 0, base).x();
    const int bottom = firstDifferent(face, sample + QPoint(0, 1), 0, 1, base).y();
    return QRect(left + 1, top + 1, right - left, bottom - top);
}
