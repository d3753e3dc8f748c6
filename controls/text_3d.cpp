#include "text_3d.h"

#include <QFontMetrics>
#include <QPainter>

#include "control_accessibles.h"
#include "pixel_lines.h"

namespace {

const QColor kShadowText(192, 192, 192);
const QColor kFrameGrey(128, 128, 128);
constexpr int kTextInset = 1; // px between the window's edge and the text

} // namespace

my3DText::my3DText(QWidget* parent, int x, int y, const QString& text, const QFont& font,
                   Style style)
    : QWidget(parent), framed_(style.framed), vertical_(style.vertical), text_(text), font_(font)
{
    installControlAccessibles();
    const QSize extent = MeasureText(text_, font_);
    QRect area = vertical_
                     ? QRect(x, y - extent.width() - 2, extent.height() + 2, extent.width() + 2)
                     : QRect(x, y, extent.width() + 2, extent.height() + 2);
    if (framed_) area.adjust(-kFrameWidth, -kFrameWidth, kFrameWidth, kFrameWidth);
    setGeometry(area);
    setAutoFillBackground(!style.transparent);
    if (parent != nullptr) show();
}

QSize my3DText::MeasureText(const QString& text, const QFont& font)
{
    const QFontMetrics metrics(font);
    return QSize(metrics.horizontalAdvance(text), metrics.ascent() + metrics.descent());
}

void my3DText::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = width(), h = height();
    QPoint at(kTextInset, kTextInset);
    if (framed_) {
        drawPixelPath(painter, Qt::black,
                      {{w - 1, 0}, {w - 1, h - 1}, {0, h - 1}, {0, 0}, {w - 1, 0}});
        drawPixelPath(painter, Qt::white, {{w - 2, 1}, {w - 2, h - 2}, {1, h - 2}});
        drawPixelPath(painter, kFrameGrey, {{1, h - 2}, {1, 1}, {w - 2, 1}});
        at = QPoint(kTextInset + kFrameWidth, kTextInset + kFrameWidth);
    }

    painter.setFont(font_);
    const QFontMetrics metrics(font_);
    // Each copy is drawn in text coordinates: x along the text, y down across it.
    auto drawCopy = [&](QPoint origin, const QColor& colour) {
        painter.save();
        painter.translate(origin);
        painter.setPen(colour);
        if (vertical_) {
            // Centred on origin along the text, the bottom of the character cells on it.
            painter.rotate(90);
            painter.drawText(QPoint(-metrics.horizontalAdvance(text_) / 2, -metrics.descent()),
                             text_);
        } else {
            painter.drawText(QPoint(0, metrics.ascent()), text_);
        }
        painter.restore();
    };
    if (vertical_) at = QPoint(w / 8, h / 2 - 1);
    drawCopy(at + QPoint(0, 1), kShadowText);
    drawCopy(at, Qt::black);
}
