#pragma once

#include "rgb.h"

#include <QRgb>

// Between the controls' RGB values (red in the low byte) and Qt's QRgb (opaque).
inline QRgb toQRgb(Rgb c)
{
    return qRgb(static_cast<int>(redOf(c)), static_cast<int>(greenOf(c)),
                static_cast<int>(blueOf(c)));
}

inline Rgb fromQRgb(QRgb c)
{
    return makeRgb(static_cast<unsigned>(qRed(c)), static_cast<unsigned>(qGreen(c)),
                   static_cast<unsigned>(qBlue(c)));
}
