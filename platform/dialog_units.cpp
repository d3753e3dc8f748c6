#include "dialog_units.h"

#include <cstdint>
#include <limits>

namespace {
constexpr int kDialogUnitsPerBaseX = 4;
constexpr int kDialogUnitsPerBaseY = 8;
} // namespace

int mulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0) return -1;
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const std::uint64_t magnitude =
        product < 0 ? 0 - static_cast<std::uint64_t>(product) : static_cast<std::uint64_t>(product);
    const std::uint64_t divisor = denominator < 0 ? 0 - static_cast<std::uint64_t>(denominator)
                                                  : static_cast<std::uint64_t>(denominator);
    const std::uint64_t rounded = (magnitude + divisor / 2) / divisor;
    if (rounded > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) return -1;
    const auto result = static_cast<int>(rounded);
    return negative ? -result : result;
}

int dialogUnitsToPixelsX(int dialogUnitsX)
{
    return mulDiv(dialogUnitsX, kDialogBaseUnitX, kDialogUnitsPerBaseX);
}

int dialogUnitsToPixelsY(int dialogUnitsY)
{
    return mulDiv(dialogUnitsY, kDialogBaseUnitY, kDialogUnitsPerBaseY);
}

PixelRect dialogRectToPixels(int x, int y, int width, int height)
{
    return {dialogUnitsToPixelsX(x), dialogUnitsToPixelsY(y), dialogUnitsToPixelsX(width),
            dialogUnitsToPixelsY(height)};
}
