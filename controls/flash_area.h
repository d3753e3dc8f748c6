#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QtGui/qrgb.h>

// The region a blinking button repaints: measured on a face from the sample point by four
// scans (left, up, right, down) over the run of pixels of colour base (alpha ignored); a
// position outside the face counts as different. The rectangle holds the uniform run plus the
// first differing column on the right and row at the bottom; it may reach one pixel past the
// face's right or bottom edge.
QRect scanFlashArea(const QImage& face, QPoint sample, QRgb base);
