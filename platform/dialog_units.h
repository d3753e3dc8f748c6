#pragma once

// Dialog units -> pixels for dialog 100, as the old dialog manager converted them. The base
// units are fixed at 8 x 17 px (the dialog font Arial 11 pt at 96 DPI); fonts are never
// measured for this. No Qt here: the dialog turns a PixelRect into a QRect.

inline constexpr int kDialogBaseUnitX = 8;  // px per 4 horizontal dialog units
inline constexpr int kDialogBaseUnitY = 17; // px per 8 vertical dialog units

// number * numerator / denominator with a 64-bit intermediate, rounded half away from zero.
// -1 when denominator is 0 or the result does not fit in an int (as the old MulDiv).
int mulDiv(int number, int numerator, int denominator);

// One coordinate or extent in dialog units -> px.
int dialogUnitsToPixelsX(int dialogUnitsX);
int dialogUnitsToPixelsY(int dialogUnitsY);

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// A control's rectangle from its template (x, y, cx, cy in dialog units). Each of the four is
// converted on its own, as the dialog manager created controls; the width is therefore not
// always right - left of the converted edges.
PixelRect dialogRectToPixels(int x, int y, int width, int height);
