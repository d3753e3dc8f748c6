#include "bitmap16.h"

#include <cstdint>
#include <cstdlib>

#include <QFile>
#include <QGuiApplication>
#include <QPalette>
#include <QtEndian>

namespace {

constexpr int kFileHeaderBytes = 14;
constexpr int kInfoHeaderBytes = 40;
constexpr int kColourBits = 4;
constexpr int kTableEntries = 16;
constexpr std::uint32_t kNoCompression = 0;
constexpr int kMaxSide = 32768; // px; larger pictures are refused rather than allocated

std::uint32_t readU32(const QByteArray& data, qsizetype at)
{
    return qFromLittleEndian<std::uint32_t>(data.constData() + at);
}

std::uint16_t readU16(const QByteArray& data, qsizetype at)
{
    return qFromLittleEndian<std::uint16_t>(data.constData() + at);
}

qsizetype rowBytes(int width)
{
    return ((qsizetype{width} * kColourBits + 31) / 32) * 4;
}

void putU32(QByteArray& out, std::uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(static_cast<char>((v >> shift) & 0xFF));
}

void putU16(QByteArray& out, std::uint16_t v)
{
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>(v >> 8));
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

} // namespace

Colors3D Colors3D::fromPalette(const QPalette& palette)
{
    return {palette.color(QPalette::Button).rgb(), palette.color(QPalette::Dark).rgb(),
            palette.color(QPalette::Midlight).rgb()};
}

Colors3D Colors3D::system()
{
    return fromPalette(QGuiApplication::palette());
}

DecodedBitmap16 decodeBitmap16(const QByteArray& data)
{
    if (data.size() < kFileHeaderBytes + kInfoHeaderBytes || data[0] != 'B' || data[1] != 'M')
        return {};
    const std::uint32_t pixelOffset = readU32(data, 10);
    const std::uint32_t headerBytes = readU32(data, kFileHeaderBytes);
    const auto width = static_cast<std::int32_t>(readU32(data, 18));
    const auto height = static_cast<std::int32_t>(readU32(data, 22));
    const std::uint16_t planes = readU16(data, 26);
    const std::uint16_t bitCount = readU16(data, 28);
    const std::uint32_t compression = readU32(data, 30);
    std::uint32_t tableEntries = readU32(data, 46);
    if (headerBytes < kInfoHeaderBytes || planes != 1 || bitCount != kColourBits ||
        compression != kNoCompression || width <= 0 || width > kMaxSide || height == 0 ||
        height < -kMaxSide || height > kMaxSide)
        return {};
    if (tableEntries == 0 || tableEntries > kTableEntries) tableEntries = kTableEntries;

    const qsizetype tableAt = kFileHeaderBytes + qsizetype{headerBytes};
    const int rows = std::abs(height);
    const qsizetype stride = rowBytes(width);
    if (tableAt + qsizetype{tableEntries} * 4 > data.size() ||
        qsizetype{pixelOffset} + stride * rows > data.size())
        return {};

    QList<QRgb> table(kTableEntries, qRgb(0, 0, 0));
    for (std::uint32_t i = 0; i < tableEntries; ++i) {
        const std::uint32_t quad = readU32(data, tableAt + 4 * qsizetype{i}); // blue, green, red
        table[static_cast<qsizetype>(i)] =
            qRgb((quad >> 16) & 0xFF, (quad >> 8) & 0xFF, quad & 0xFF);
    }

    DecodedBitmap16 result;
    result.image = QImage(width, rows, QImage::Format_Indexed8);
    if (result.image.isNull()) return {};
    result.image.setColorTable(table);
    const bool bottomUp = height > 0;
    const auto* pixels = reinterpret_cast<const unsigned char*>(data.constData()) + pixelOffset;
    for (int stored = 0; stored < rows; ++stored) {
        const unsigned char* src = pixels + stride * stored;
        uchar* dst = result.image.scanLine(bottomUp ? rows - 1 - stored : stored);
        for (int x = 0; x < width; ++x) {
            const unsigned char pair = src[x / 2];
            dst[x] = (x % 2 == 0) ? pair >> 4 : pair & 0x0F;
        }
    }
    result.firstStoredIndex = pixels[0] >> 4;
    return result;
}

void map3DColors(QImage& image, int firstStoredIndex, const Colors3D& colors)
{
    QList<QRgb> table = image.colorTable();
    for (qsizetype i = 0; i < table.size(); ++i) {
        const QRgb original = table[i] & RGB_MASK;
        if (i == firstStoredIndex || original == (qRgb(192, 192, 192) & RGB_MASK))
            table[i] = colors.face;
        else if (original == (qRgb(128, 128, 128) & RGB_MASK))
            table[i] = colors.shadow;
        else if (original == (qRgb(223, 223, 223) & RGB_MASK))
            table[i] = colors.light;
    }
    image.setColorTable(table);
}

QImage loadBitmap16(const QString& path)
{
    return decodeBitmap16(readFile(path)).image;
}

QImage loadBitmap16Mapped(const QString& path, const Colors3D& colors)
{
    DecodedBitmap16 decoded = decodeBitmap16(readFile(path));
    if (!decoded.image.isNull()) map3DColors(decoded.image, decoded.firstStoredIndex, colors);
    return decoded.image;
}

QByteArray encodeBitmap16(const QImage& image)
{
    if (image.format() != QImage::Format_Indexed8 || image.isNull() ||
        image.colorCount() > kTableEntries)
        return {};
    const int width = image.width(), height = image.height();
    const qsizetype stride = rowBytes(width);
    const std::uint32_t pixelOffset = kFileHeaderBytes + kInfoHeaderBytes + 4 * kTableEntries;
    QByteArray pixels(stride * height, '\0');
    for (int row = 0; row < height; ++row) {
        const uchar* src = image.constScanLine(height - 1 - row);
        auto* dst = reinterpret_cast<unsigned char*>(pixels.data()) + stride * row;
        for (int x = 0; x < width; ++x) {
            if (src[x] >= kTableEntries) return {};
            dst[x / 2] |= (x % 2 == 0) ? src[x] << 4 : src[x];
        }
    }

    QByteArray out;
    out.append("BM");
    putU32(out, pixelOffset + static_cast<std::uint32_t>(pixels.size()));
    putU32(out, 0); // reserved
    putU32(out, pixelOffset);
    putU32(out, kInfoHeaderBytes);
    putU32(out, static_cast<std::uint32_t>(width));
    putU32(out, static_cast<std::uint32_t>(height));
    putU16(out, 1); // planes
    putU16(out, kColourBits);
    putU32(out, kNoCompression);
    putU32(out, static_cast<std::uint32_t>(pixels.size()));
    putU32(out, 3780); // 96 dpi in pixels per metre, both directions
    putU32(out, 3780);
    putU32(out, kTableEntries); // colours used
    putU32(out, 0);             // all important
    const QList<QRgb> table = image.colorTable();
    for (int i = 0; i < kTableEntries; ++i) {
        const QRgb c = i < table.size() ? table[i] : qRgb(0, 0, 0);
        out.append(static_cast<char>(qBlue(c)));
        out.append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qRed(c)));
        out.append('\0');
    }
    out.append(pixels);
    return out;
}
