#include "pictures.h"

#include <QFile>
#include <QIcon>

#include <gtest/gtest.h>

#include "bitmap16.h"
#include "flood_fill.h"
#include "probe.h"

namespace {

struct FaceRow {
    int id;
    QSize size;
};

// Every bitmap, its size in px: the button faces fit their buttons (dialog units at 8 x 17).
const FaceRow kFaces[] = {
    {5000, {29, 30}},  {5001, {29, 30}},  {5002, {29, 30}},  {5003, {29, 30}}, {5004, {109, 35}},
    {5005, {109, 35}}, {5006, {109, 35}}, {5007, {109, 35}}, {5008, {35, 35}}, {5009, {35, 35}},
    {5010, {90, 39}},  {5011, {90, 39}},  {5012, {90, 39}},  {5013, {90, 39}}, {5014, {90, 39}},
    {5015, {90, 39}},  {5016, {90, 39}},  {5017, {90, 39}},  {5018, {13, 23}}, {5019, {13, 23}},
    {5020, {13, 23}},  {5021, {13, 23}},  {5022, {13, 23}},  {5023, {13, 23}}, {5024, {13, 23}},
    {5025, {13, 23}},  {5026, {13, 23}},  {5027, {13, 23}},  {5028, {13, 23}}, {5033, {10, 9}},
    {5034, {35, 35}},  {5035, {35, 35}},  {5036, {90, 39}},  {5037, {90, 39}}, {5038, {35, 35}},
    {5039, {35, 35}},
};

class Picture : public testing::TestWithParam<FaceRow> {};

TEST_P(Picture, IsAnUncompressed16ColourBitmapOfItsSize)
{
    QFile file(bitmapResourcePath(GetParam().id));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const DecodedBitmap16 decoded = decodeBitmap16(file.readAll());
    ASSERT_FALSE(decoded.image.isNull());
    EXPECT_EQ(decoded.image.size(), GetParam().size);
    EXPECT_EQ(decoded.image.colorCount(), 16);
}

INSTANTIATE_TEST_SUITE_P(Ids, Picture, testing::ValuesIn(kFaces),
                         [](const auto& info) { return std::to_string(info.param.id); });

TEST(Pictures, MappedFacesTakeTheFaceColourOnlyAroundThemselves)
{
    const Rgb face = toRgb(Colors3D::system().face);
    for (const FaceRow& row : kFaces) {
        if (row.id >= 5018 && row.id <= 5028) continue; // the digits are loaded unchanged
        const QImage plain = loadBitmapResource(row.id, false);
        const QImage mapped = loadBitmapResource(row.id, true);
        EXPECT_EQ(toRgb(plain.pixel(0, plain.height() - 1)), kLightGrey) << row.id;
        EXPECT_EQ(toRgb(mapped.pixel(0, mapped.height() - 1)), face) << row.id;
        EXPECT_NE(mapped.colorTable().indexOf(qRgb(0, 0, 0)), -1) << row.id; // black stays
    }
}

TEST(Pictures, SamplePointsHoldTheBlinkingColours)
{
    const struct {
        int id;
        QPoint at;
        Rgb colour;
    } probes[] = {
        {5009, {9, 9}, kRed},     {5008, {9, 9}, kGreen},   {5037, {15, 15}, kDarkRed},
        {5036, {15, 15}, kGreen}, {5037, {9, 9}, kDarkRed}, {5037, {16, 16}, kDarkRed},
        {5037, {8, 12}, kGrey},   {5037, {12, 8}, kGrey},   {5036, {17, 12}, kWhite},
        {5036, {12, 17}, kWhite},
    };
    for (const auto& p : probes)
        EXPECT_EQ(toRgb(loadBitmapResource(p.id, false).pixel(p.at)), p.colour)
            << p.id << " at " << p.at.x() << "," << p.at.y();
}

TEST(Pictures, BlinkingRegionsTouchNoPixelOfTheirFlashColour)
{
    // Filling a region with its flash colour and back must give the picture back exactly; a
    // neighbour of the flash colour would be swallowed on the way back.
    const struct {
        int id;
        QPoint at;
        Rgb flash;
    } regions[] = {{5009, {9, 9}, kDarkRed},
                   {5008, {9, 9}, kDarkGreen},
                   {5037, {15, 15}, kRed},
                   {5036, {15, 15}, kDarkGreen}};
    for (const auto& r : regions) {
        const QImage original = loadBitmapResource(r.id, true);
        QImage face = original;
        const QRgb base = original.pixel(r.at);
        const QRgb flash =
            qRgb(static_cast<int>(redOf(r.flash)), static_cast<int>(greenOf(r.flash)),
                 static_cast<int>(blueOf(r.flash)));
        const int there = floodFillSurface(face, r.at, base, flash);
        EXPECT_EQ(floodFillSurface(face, r.at, flash, base), there) << r.id;
        EXPECT_EQ(face.convertToFormat(QImage::Format_RGB32),
                  original.convertToFormat(QImage::Format_RGB32))
            << r.id;
    }
}

TEST(Pictures, DigitFacesLightRedSegmentsOverDottedDarkRed)
{
    // Lit pixels per face: "1" has two segments, "8" all seven; the colon two dots.
    int lit[11] = {};
    int unlit[11] = {};
    for (int digit = 0; digit <= 10; ++digit) {
        const QImage face = loadBitmapResource(5018 + digit, false);
        EXPECT_EQ(toRgb(face.pixel(0, 22)), kBlack);
        for (int y = 0; y < face.height(); ++y)
            for (int x = 0; x < face.width(); ++x) {
                lit[digit] += toRgb(face.pixel(x, y)) == kRed;
                unlit[digit] += toRgb(face.pixel(x, y)) == kDarkRed;
            }
    }
    EXPECT_EQ(unlit[8], 0);
    EXPECT_GT(unlit[1], 0);
    EXPECT_GT(lit[8], lit[0]);
    EXPECT_GT(lit[0], lit[7]);
    EXPECT_GT(lit[7], lit[1]);
    EXPECT_GT(unlit[10], unlit[1]); // the colon: every segment unlit
    const QImage colon = loadBitmapResource(5028, false);
    EXPECT_EQ(toRgb(colon.pixel(6, 5)), kRed);
    EXPECT_EQ(toRgb(colon.pixel(6, 16)), kRed);
}

TEST(Pictures, LedCellHasABlueBodyInBevelledEdges)
{
    const QImage cell = loadBitmapResource(5033, false);
    EXPECT_EQ(toRgb(cell.pixel(5, 4)), kBlue);
    EXPECT_EQ(toRgb(cell.pixel(3, 3)), kWhite); // the highlight
    for (int x = 0; x < 9; ++x) {
        EXPECT_EQ(toRgb(cell.pixel(x, 0)), kWhite) << x;
        EXPECT_EQ(toRgb(cell.pixel(x + 1, 8)), kGrey) << x;
    }
    for (int y = 0; y < 8; ++y) {
        EXPECT_EQ(toRgb(cell.pixel(0, y)), kWhite) << y;
        EXPECT_EQ(toRgb(cell.pixel(9, y + 1)), kGrey) << y;
    }
    QImage body = cell;
    const int filled = floodFillSurface(body, {5, 4}, qRgb(0, 0, 255), qRgb(0, 255, 0));
    EXPECT_GT(filled, 20);
    EXPECT_EQ(toRgb(body.pixel(3, 3)), kWhite); // the fill keeps to the body
    EXPECT_EQ(toRgb(body.pixel(1, 1)), kLightGrey);
}

TEST(Pictures, ProgramIconHasItsSizes)
{
    const QIcon icon = programIcon();
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));
    EXPECT_FALSE(QImage(iconResourcePath()).isNull());
    EXPECT_FALSE(QImage(QStringLiteral(":/icons/190.ico")).isNull());
}

} // namespace
