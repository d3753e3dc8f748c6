#include "pixel_lines.h"

#include <QPainter>

void drawPixelPath(QPainter& painter, const QColor& colour, std::initializer_list<QPoint> points)
{
    const QPoint* previous = nullptr;
    for (const QPoint& p : points) {
        if (previous != nullptr && *previous != p) {
            const QPoint& a = *previous;
            QRect line;
            if (a.y() == p.y()) // horizontal: a up to p, p excluded
                line = a.x() < p.x() ? QRect(a.x(), a.y(), p.x() - a.x(), 1)
                                     : QRect(p.x() + 1, a.y(), a.x() - p.x(), 1);
            else if (a.x() == p.x())
                line = a.y() < p.y() ? QRect(a.x(), a.y(), 1, p.y() - a.y())
                                     : QRect(a.x(), p.y() + 1, 1, a.y() - p.y());
            painter.fillRect(line, colour);
        }
        previous = &p;
    }
}
