#pragma once

#include <stdexcept>

#include <QImage>
#include <QString>

class QIcon;

// The program's pictures, embedded in the controls library: the 16-colour bitmaps by resource
// id (":/bitmaps/<id>.bmp") and the program icon 190 (":/icons/190.ico", and
// ":/icons/190-<size>.png" for 16, 32 and 48 px).
// Any function here makes sure the resources are registered.

QString bitmapResourcePath(int bitmapId);
// Icon 190 as a 32 x 32 picture.
QString iconResourcePath();
// Icon 190 in all its sizes (16, 32 and 48 px).
QIcon programIcon();

// Loads bitmap bitmapId unchanged, or with the 3D-colour mapping; null image when missing.
QImage loadBitmapResource(int bitmapId, bool mapped);

// Raised out of a control's constructor when a bitmap that must be loaded unchanged is missing
// (the old framework's graphics error).
class BitmapMissing : public std::runtime_error {
public:
    explicit BitmapMissing(int bitmapId);
    int bitmapId() const { return bitmapId_; }

private:
    int bitmapId_;
};
