#pragma once

#include <QRect>

class QWidget;

// Shows a change of a widget's off-screen picture at once: the part of rect (widget pixels)
// inside the widget is painted now, synchronously, without waiting for the event loop and
// without touching the rest of the widget. A hidden widget paints nothing; it paints all of
// itself when shown. Returns whether a paint took place.
bool repaintNow(QWidget& widget, const QRect& rect);
