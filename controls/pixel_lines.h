#pragma once

#include <initializer_list>

#include <QColor>
#include <QPoint>

class QPainter;

// Draws a path of horizontal and vertical one-pixel lines the way the old graphics system drew
// "move to, line to ...": each line covers the pixels from its start point up to, but not
// including, its end point; the next line starts where the previous one ended. Diagonal
// segments are not supported (the frames need none).
void drawPixelPath(QPainter& painter, const QColor& colour, std::initializer_list<QPoint> points);
