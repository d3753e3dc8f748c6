#include "led_ziffer.h"

#include <QPainter>

#include "direct_paint.h"

LEDZiffer::LEDZiffer(QWidget* parent, QPoint position) : QWidget(parent)
{
    setGeometry(position.x(), position.y(), kWidth, kHeight);
    if (parent != nullptr) show();
}

void LEDZiffer::SetBitmap(const QImage* face)
{
    face_ = face;
    repaintNow(*this, rect());
}

void LEDZiffer::paintEvent(QPaintEvent*)
{
    if (face_ == nullptr || face_->isNull()) return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), *face_, QRect(0, 0, kWidth, kHeight));
}
