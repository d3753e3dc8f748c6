#include "flood_fill.h"

#include <vector>

namespace {

constexpr int kMaxIndexedColours = 256;

// Pixel access by colour for the formats the fill meets, without a conversion per pixel.
class PixelGrid {
public:
    explicit PixelGrid(QImage& image) : image_(image) {}

    bool matches(int x, int y, QRgb colour) const
    {
        if (image_.format() == QImage::Format_Indexed8)
            return indexMatches_[image_.constScanLine(y)[x]];
        return (image_.pixel(x, y) & RGB_MASK) == colour;
    }
    void set(int x, int y) const
    {
        if (image_.format() == QImage::Format_Indexed8)
            image_.scanLine(y)[x] = static_cast<uchar>(fillIndex_);
        else
            image_.setPixel(x, y, fill_);
    }

    // Prepares for a fill of surface by fill; may change the image's format or table.
    void prepare(QRgb surface, QRgb fill)
    {
        fill_ = fill | ~RGB_MASK;
        if (image_.format() == QImage::Format_Indexed8) {
            QList<QRgb> table = image_.colorTable();
            fillIndex_ = -1;
            for (qsizetype i = 0; i < table.size(); ++i) {
                if ((table[i] & RGB_MASK) == fill && fillIndex_ < 0)
                    fillIndex_ = static_cast<int>(i);
            }
            if (fillIndex_ < 0 && table.size() < kMaxIndexedColours) {
                fillIndex_ = static_cast<int>(table.size());
                table.append(fill_);
                image_.setColorTable(table);
            }
            if (fillIndex_ < 0) {
                image_ = image_.convertToFormat(QImage::Format_RGB32);
            } else {
                indexMatches_.assign(kMaxIndexedColours, false);
                for (qsizetype i = 0; i < table.size(); ++i)
                    indexMatches_[static_cast<std::size_t>(i)] = (table[i] & RGB_MASK) == surface;
                return;
            }
        }
        if (image_.format() != QImage::Format_RGB32 && image_.format() != QImage::Format_ARGB32 &&
            image_.format() != QImage::Format_ARGB32_Premultiplied)
            image_ = image_.convertToFormat(QImage::Format_ARGB32);
    }

private:
    QImage& image_;
    QRgb fill_ = 0;
    int fillIndex_ = -1;
    std::vector<bool> indexMatches_;
};

struct Seed {
    int x;
    int y;
};

} // namespace

int floodFillSurface(QImage& image, QPoint start, QRgb surface, QRgb fill)
{
    surface &= RGB_MASK;
    fill &= RGB_MASK;
    if (surface == fill || !image.valid(start) || (image.pixel(start) & RGB_MASK) != surface)
        return 0;

    PixelGrid grid(image);
    grid.prepare(surface, fill);

    // Scanline fill: take a seed, paint the whole run of the row through it, and seed the rows
    // above and below once per run of matching pixels. Painted pixels no longer match (fill
    // differs from surface), so nothing is visited twice.
    int painted = 0;
    std::vector<Seed> seeds{{start.x(), start.y()}};
    const int width = image.width(), height = image.height();
    while (!seeds.empty()) {
        const Seed s = seeds.back();
        seeds.pop_back();
        if (!grid.matches(s.x, s.y, surface)) continue;
        int left = s.x, right = s.x;
        while (left > 0 && grid.matches(left - 1, s.y, surface))
            --left;
        while (right + 1 < width && grid.matches(right + 1, s.y, surface))
            ++right;
        for (int x = left; x <= right; ++x)
            grid.set(x, s.y);
        painted += right - left + 1;
        for (const int y : {s.y - 1, s.y + 1}) {
            if (y < 0 || y >= height) continue;
            bool inRun = false;
            for (int x = left; x <= right; ++x) {
                const bool match = grid.matches(x, y, surface);
                if (match && !inRun) seeds.push_back({x, y});
                inRun = match;
            }
        }
    }
    return painted;
}
