#pragma once

#include <QFont>
#include <QString>

// A font asked for as the old system's font requests did: cellHeight is the character cell
// (ascent + descent) in px, averageWidth the average character width in px (0: the font's own
// proportions, otherwise the letters are stretched or narrowed to it), weight 100 to 900 (400
// normal). "Arial" is served by a font with Arial's metrics (Liberation Sans). Qt sizes fonts
// by their em, so the em is derived from the font's own cell-to-em ratio.
QFont logFont(const QString& family, int cellHeight, int averageWidth = 0, int weight = 400);
