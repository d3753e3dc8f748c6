#include "flood_fill.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Pictures as rows of letters: each letter a colour.
QRgb colourOf(char c)
{
    switch (c) {
    case 'b':
        return qRgb(0, 0, 255);
    case 'r':
        return qRgb(255, 0, 0);
    case 'k':
        return qRgb(0, 0, 0);
    default:
        return qRgb(255, 255, 255); // 'w'
    }
}

char letterOf(QRgb c)
{
    for (const char l : {'b', 'r', 'k', 'w'})
        if ((c & RGB_MASK) == (colourOf(l) & RGB_MASK)) return l;
    return '?';
}

QImage picture(const std::vector<std::string>& rows, QImage::Format format)
{
    QImage image(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()),
                 QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(
                x, y, colourOf(rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]));
    if (format == QImage::Format_Indexed8) {
        QList<QRgb> table; // the colours the picture uses, no more
        for (const std::string& row : rows)
            for (const char c : row)
                if (!table.contains(colourOf(c))) table.append(colourOf(c));
        return image.convertToFormat(format, table);
    }
    return image.convertToFormat(format);
}

std::vector<std::string> rowsOf(const QImage& image)
{
    std::vector<std::string> rows;
    for (int y = 0; y < image.height(); ++y) {
        std::string row;
        for (int x = 0; x < image.width(); ++x)
            row += letterOf(image.pixel(x, y));
        rows.push_back(row);
    }
    return rows;
}

struct FillRow {
    const char* name;
    std::vector<std::string> before;
    QPoint start;
    char surface;
    std::vector<std::string> after;
    int painted;
};

const FillRow kRows[] = {
    {"fills_the_connected_region",
     {"wwkww", "wkbkw", "kbbbk", "wkbkw"},
     {2, 2},
     'b',
     {"wwkww", "wkrkw", "krrrk", "wkrkw"},
     5},
    {"diagonal_gaps_do_not_leak", {"bkb", "kbk", "bkb"}, {1, 1}, 'b', {"bkb", "krk", "bkb"}, 1},
    {"reaches_the_edges", {"bbb", "bkb", "bbb"}, {0, 0}, 'b', {"rrr", "rkr", "rrr"}, 8},
    {"u_shape_needs_two_passes", {"bkb", "bkb", "bbb"}, {0, 0}, 'b', {"rkr", "rkr", "rrr"}, 7},
    {"start_of_another_colour_draws_nothing", {"bb", "bk"}, {1, 1}, 'b', {"bb", "bk"}, 0},
    {"start_outside_draws_nothing", {"bb"}, {2, 0}, 'b', {"bb"}, 0},
    {"fill_equal_to_surface_changes_nothing", {"rr"}, {0, 0}, 'r', {"rr"}, 0},
};

class FloodFill : public testing::TestWithParam<std::tuple<FillRow, QImage::Format>> {};

TEST_P(FloodFill, PaintsTheSurfaceRegion)
{
    const auto& [row, format] = GetParam();
    QImage image = picture(row.before, format);
    EXPECT_EQ(floodFillSurface(image, row.start, colourOf(row.surface), colourOf('r')),
              row.painted);
    EXPECT_EQ(rowsOf(image), row.after);
}

INSTANTIATE_TEST_SUITE_P(Rows, FloodFill,
                         testing::Combine(testing::ValuesIn(kRows),
                                          testing::Values(QImage::Format_RGB32,
                                                          QImage::Format_ARGB32,
                                                          QImage::Format_Indexed8)),
                         [](const auto& info) {
                             const QImage::Format f = std::get<1>(info.param);
                             return std::string(std::get<0>(info.param).name) +
                                    (f == QImage::Format_Indexed8 ? "_indexed"
                                     : f == QImage::Format_ARGB32 ? "_argb"
                                                                  : "_rgb");
                         });

TEST(FloodFillIndexed, AddsTheFillColourToTheTableAndStaysIndexed)
{
    QImage image = picture({"bb", "kb"}, QImage::Format_Indexed8);
    ASSERT_EQ(image.colorCount(), 2);
    floodFillSurface(image, {0, 0}, colourOf('b'), colourOf('r'));
    EXPECT_EQ(image.format(), QImage::Format_Indexed8);
    EXPECT_EQ(rowsOf(image), (std::vector<std::string>{"rr", "kr"}));
}

TEST(FloodFillIndexed, EntriesOfTheSameColourAreOneSurface)
{
    QImage image(3, 1, QImage::Format_Indexed8);
    image.setColorTable({colourOf('b'), colourOf('k'), colourOf('b')});
    image.setPixel(0, 0, 0);
    image.setPixel(1, 0, 2);
    image.setPixel(2, 0, 1);
    EXPECT_EQ(floodFillSurface(image, {0, 0}, colourOf('b'), colourOf('r')), 2);
    EXPECT_EQ(rowsOf(image), (std::vector<std::string>{"rrk"}));
}

TEST(FloodFillIndexed, FullTableTurnsTheImageIntoRgb)
{
    QImage image(2, 1, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table.append(qRgb(i, 0, 255)); // no pure red among them
    image.setColorTable(table);
    image.setPixel(0, 0, 255);
    image.setPixel(1, 0, 0);
    EXPECT_EQ(floodFillSurface(image, {0, 0}, qRgb(255, 0, 255), colourOf('r')), 1);
    EXPECT_EQ(image.pixel(0, 0) & RGB_MASK, colourOf('r') & RGB_MASK);
    EXPECT_EQ(image.pixel(1, 0) & RGB_MASK, qRgb(0, 0, 255) & RGB_MASK);
}

} // namespace
