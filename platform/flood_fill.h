#pragma once

#include <QImage>
#include <QPoint>
#include <QtGui/qrgb.h>

// A flood fill as the old graphics system's "surface" fill: the region is every pixel of
// exactly the colour surface that is 4-connected to start (diagonal neighbours do not join
// it), and it is painted in fill. Colours compare by red, green and blue; alpha is ignored.
//
// Nothing is drawn when start lies outside the image or is not of the colour surface, or when
// fill equals surface. Indexed images stay indexed: fill is taken from the colour table, added
// to it when missing; a full table turns the image into Format_RGB32 first.
//
// Returns the number of pixels painted.
int floodFillSurface(QImage& image, QPoint start, QRgb surface, QRgb fill);
