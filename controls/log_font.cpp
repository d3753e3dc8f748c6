#include "log_font.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>

QFont logFont(const QString& family, int cellHeight, int averageWidth, int weight)
{
    constexpr int kReferencePx = 100; // em at which the font's proportions are measured
    QFont font(family);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 100, 900)));
    font.setPixelSize(kReferencePx);
    const QFontMetricsF reference(font);
    const double cellPerEm = (reference.ascent() + reference.descent()) / kReferencePx;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(cellHeight / cellPerEm))));
    if (averageWidth > 0) {
        const double natural = QFontMetricsF(font).averageCharWidth();
        if (natural > 0)
            font.setStretch(
                std::clamp(static_cast<int>(std::lround(100.0 * averageWidth / natural)), 1, 4000));
    }
    return font;
}
