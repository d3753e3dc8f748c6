#pragma once

#include <vector>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include "rgb.h"

// Pixel probes for widget tests.

inline Rgb toRgb(QRgb c)
{
    return makeRgb(static_cast<unsigned>(qRed(c)), static_cast<unsigned>(qGreen(c)),
                   static_cast<unsigned>(qBlue(c)));
}

// What the widget draws now: a fresh rendering of it (QWidget::grab).
inline Rgb drawnPixel(QWidget& widget, QPoint at)
{
    return toRgb(widget.grab().toImage().pixel(at));
}

// What the screen shows at the widget's pixel: the window's backing store as it stands, with
// no new paint. A change shows here only when it was painted.
inline Rgb shownPixel(QWidget& widget, QPoint at)
{
    const QPoint inWindow = widget.mapTo(widget.window(), at);
    const QImage image =
        widget.screen()
            ->grabWindow(widget.window()->winId(), inWindow.x(), inWindow.y(), 1, 1)
            .toImage();
    return toRgb(image.pixel(0, 0));
}

// Whether the screen shows all of the widget as it draws it now.
inline bool screenShowsWidget(QWidget& widget)
{
    const QPoint at = widget.mapTo(widget.window(), QPoint(0, 0));
    const QImage shown =
        widget.screen()
            ->grabWindow(widget.window()->winId(), at.x(), at.y(), widget.width(), widget.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    return shown == widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Waits until the screen shows the widget and no paint of it is pending any more (a repaint of
// one pixel paints just that pixel). Widgets record their paints in `painted`, which is cleared.
template <class RecordingWidget> bool settle(RecordingWidget& widget)
{
    const QRect probe(0, 0, 1, 1);
    const bool settled = QTest::qWaitFor([&] {
        widget.painted.clear();
        widget.repaint(probe);
        return widget.painted == std::vector<QRect>{probe} && screenShowsWidget(widget);
    });
    widget.painted.clear();
    return settled;
}
