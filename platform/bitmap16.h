#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QtGui/qrgb.h>

class QPalette;

// 16-colour device-independent bitmaps: .bmp files with 4 bits per pixel, a colour table of up
// to 16 entries and no compression. They load into QImage::Format_Indexed8 images with a
// 16-entry colour table, so that a load can recolour the picture by changing table entries;
// the images stay indexed until drawn.

// The system's 3D colours that a mapped load puts into a picture.
struct Colors3D {
    QRgb face;   // replaces the first stored pixel's entry and (192, 192, 192)
    QRgb shadow; // replaces (128, 128, 128)
    QRgb light;  // replaces (223, 223, 223)

    // Button face, dark and midlight of the palette.
    static Colors3D fromPalette(const QPalette& palette);
    // The same for the application's palette.
    static Colors3D system();
};

struct DecodedBitmap16 {
    QImage image;             // Format_Indexed8, top row first; null when the data was refused
    int firstStoredIndex = 0; // table index of the first pixel in the file's pixel data
};

// Decodes a file image. Refuses (null image) anything but an uncompressed 4-bit bitmap with a
// Windows info header, and data cut short; never reads outside data.
DecodedBitmap16 decodeBitmap16(const QByteArray& data);

// The 3D-colour mapping of a load: the table entry of the first stored pixel (the bottom-left
// pixel of a bottom-up file) becomes the face colour; entries that were exactly
// (128, 128, 128), (192, 192, 192) and (223, 223, 223) become shadow, face and light.
void map3DColors(QImage& image, int firstStoredIndex, const Colors3D& colors);

// Loads a file or resource path unchanged; null image when missing or refused.
QImage loadBitmap16(const QString& path);
// Loads and applies the 3D-colour mapping; null image when missing or refused.
QImage loadBitmap16Mapped(const QString& path, const Colors3D& colors = Colors3D::system());

// Encodes an indexed image of at most 16 colours as a bottom-up 4-bit file image; an empty
// array when the image is not Format_Indexed8 or uses an index above 15.
QByteArray encodeBitmap16(const QImage& image);
