#include "direct_paint.h"

#include <QWidget>

bool repaintNow(QWidget& widget, const QRect& rect)
{
    const QRect visible = rect & widget.rect();
    if (visible.isEmpty() || !widget.isVisible() || widget.updatesEnabled() == false) return false;
    widget.repaint(visible);
    return true;
}
