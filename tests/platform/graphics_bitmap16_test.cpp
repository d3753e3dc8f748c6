#include "bitmap16.h"

#include <cstdint>

#include <gtest/gtest.h>

#include <QFile>
#include <QPalette>

#include "temp_dir.h"

namespace {

const QList<QRgb> kTable = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(0, 128, 0),     qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128),   qRgb(0, 128, 128),   qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),     qRgb(0, 255, 0),     qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(223, 223, 223), qRgb(127, 128, 128), qRgb(255, 255, 255)};

// An indexed picture whose pixel (x, y) has index (x + 3 y) mod 16.
QImage pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_Indexed8);
    image.setColorTable(kTable);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, static_cast<uint>((x + 3 * y) % 16));
    return image;
}

void putU32(QByteArray& data, int at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        data[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

class Bitmap16RoundTrip : public testing::TestWithParam<QSize> {};

// Widths that end rows mid-byte and rows that need padding to four bytes.
TEST_P(Bitmap16RoundTrip, KeepsEveryPixelAndTheTable)
{
    const QImage original = pattern(GetParam().width(), GetParam().height());
    const QByteArray file = encodeBitmap16(original);
    ASSERT_FALSE(file.isEmpty());
    const DecodedBitmap16 decoded = decodeBitmap16(file);
    ASSERT_FALSE(decoded.image.isNull());
    EXPECT_EQ(decoded.image.format(), QImage::Format_Indexed8);
    EXPECT_EQ(decoded.image.colorTable(), kTable);
    EXPECT_EQ(decoded.image, original);
    // Stored bottom-up: the first pixel in the file is the bottom-left one.
    EXPECT_EQ(decoded.firstStoredIndex, original.pixelIndex(0, original.height() - 1));
}

INSTANTIATE_TEST_SUITE_P(Sizes, Bitmap16RoundTrip,
                         testing::Values(QSize(1, 1), QSize(2, 3), QSize(3, 2), QSize(13, 23),
                                         QSize(29, 30), QSize(109, 35)));

TEST(Bitmap16, ReadsTopDownFiles)
{
    const QImage original = pattern(5, 4);
    QByteArray file = encodeBitmap16(original);
    // Turn the file top-down: negative height, rows in the other order.
    putU32(file, 22, static_cast<std::uint32_t>(-4));
    const int offset = 14 + 40 + 64, stride = 4;
    QByteArray rows = file.mid(offset);
    for (int r = 0; r < 4; ++r)
        file.replace(offset + r * stride, stride, rows.mid((3 - r) * stride, stride));
    const DecodedBitmap16 decoded = decodeBitmap16(file);
    EXPECT_EQ(decoded.image, original);
    EXPECT_EQ(decoded.firstStoredIndex, original.pixelIndex(0, 0));
}

struct RefusedRow {
    const char* name;
    int at; // byte to change; -1: cut the file to `value` bytes
    std::uint32_t value;
};

class Bitmap16Refuses : public testing::TestWithParam<RefusedRow> {};

TEST_P(Bitmap16Refuses, WhatIsNotAnUncompressed16ColourBitmap)
{
    QByteArray file = encodeBitmap16(pattern(7, 5));
    const RefusedRow& row = GetParam();
    if (row.at < 0)
        file.truncate(row.value);
    else if (row.at == 0)
        file[0] = 'X';
    else
        putU32(file, row.at, row.value);
    EXPECT_TRUE(decodeBitmap16(file).image.isNull());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Bitmap16Refuses,
    testing::Values(RefusedRow{"empty", -1, 0}, RefusedRow{"header_cut", -1, 40},
                    RefusedRow{"pixels_cut", -1, 14 + 40 + 64 + 10}, RefusedRow{"not_bm", 0, 0},
                    RefusedRow{"eight_bits_per_pixel", 28, 8},
                    RefusedRow{"run_length_encoded", 30, 2}, RefusedRow{"zero_width", 18, 0},
                    RefusedRow{"zero_height", 22, 0}, RefusedRow{"core_header", 14, 12},
                    RefusedRow{"pixels_beyond_the_end", 10, 0x7FFFFFF0u},
                    RefusedRow{"huge_width", 18, 0x40000000u}),
    [](const testing::TestParamInfo<RefusedRow>& info) { return info.param.name; });

TEST(Bitmap16, EncodeRefusesWhatItCannotStore)
{
    EXPECT_TRUE(encodeBitmap16(QImage(4, 4, QImage::Format_RGB32)).isEmpty());
    QImage tooManyColours = pattern(4, 4);
    tooManyColours.setColorCount(17);
    EXPECT_TRUE(encodeBitmap16(tooManyColours).isEmpty());
}

TEST(Bitmap16Mapping, ReplacesFirstPixelEntryAndExactGreysOnly)
{
    QImage image = pattern(16, 1);
    const Colors3D colours{qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9)};
    map3DColors(image, 11, colours); // the first stored pixel uses the yellow entry
    QList<QRgb> expected = kTable;
    expected[11] = colours.face;
    expected[7] = colours.face;              // (192, 192, 192)
    expected[8] = colours.shadow;            // (128, 128, 128)
    expected[13] = colours.light;            // (223, 223, 223)
    EXPECT_EQ(image.colorTable(), expected); // (127, 128, 128) and the rest stay
}

TEST(Bitmap16Mapping, LoadMappedUsesTheFilesFirstPixel)
{
    TempDir dir;
    const QString path = QString::fromStdString(dir.file("face.bmp"));
    QImage picture = pattern(6, 3); // bottom-left pixel: index 6
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(encodeBitmap16(picture));
    file.close();

    QPalette palette;
    palette.setColor(QPalette::Button, QColor(10, 20, 30));
    palette.setColor(QPalette::Dark, QColor(40, 50, 60));
    palette.setColor(QPalette::Midlight, QColor(70, 80, 90));
    const QImage mapped = loadBitmap16Mapped(path, Colors3D::fromPalette(palette));
    EXPECT_EQ(mapped.pixel(0, 2), qRgb(10, 20, 30));
    EXPECT_EQ(mapped.color(8), qRgb(40, 50, 60));
    EXPECT_EQ(mapped.color(13), qRgb(70, 80, 90));
    EXPECT_EQ(loadBitmap16(path), picture);
    EXPECT_TRUE(loadBitmap16(path + QStringLiteral(".missing")).isNull());
    EXPECT_TRUE(loadBitmap16Mapped(path + QStringLiteral(".missing")).isNull());
}

} // namespace
