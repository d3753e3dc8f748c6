#include "pictures.h"

#include <string>

#include <QIcon>

#include "bitmap16.h"

// Registers pictures.qrc; a static library's resources are not registered by themselves.
static void registerPictures()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(pictures);
        return true;
    }();
    (void)registered;
}

QString bitmapResourcePath(int bitmapId)
{
    registerPictures();
    return QStringLiteral(":/bitmaps/%1.bmp").arg(bitmapId);
}

QString iconResourcePath()
{
    registerPictures();
    return QStringLiteral(":/icons/190-32.png");
}

QIcon programIcon()
{
    registerPictures();
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/190-%1.png").arg(size), QSize(size, size));
    return icon;
}

QImage loadBitmapResource(int bitmapId, bool mapped)
{
    const QString path = bitmapResourcePath(bitmapId);
    return mapped ? loadBitmap16Mapped(path) : loadBitmap16(path);
}

BitmapMissing::BitmapMissing(int bitmapId)
    : std::runtime_error("bitmap " + std::to_string(bitmapId) + " is missing"), bitmapId_(bitmapId)
{}
