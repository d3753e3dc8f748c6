#pragma once

#include <string>

// How help pages look on the desktop's palette. Headings, links and the tinted backgrounds
// (table heads, code, keys, notes) are derived from the palette's colours, and every text
// colour is moved towards black or white until it reads on its background, so a dark desktop
// gets light headings on dark pages as a light one gets dark headings on light pages.

// An sRGB colour, each channel 0..255.
struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// WCAG contrast ratio of two colours, 1 (equal) to 21 (black on white).
double contrastRatio(Rgb a, Rgb b);

// a blended towards b: t = 0 is a, t = 1 is b.
Rgb mix(Rgb a, Rgb b, double t);

// colour itself when it has at least minRatio contrast with background, else colour moved
// towards black or white (whichever contrasts more with the background) just far enough.
Rgb readableOn(Rgb colour, Rgb background, double minRatio);

// "#rrggbb".
std::string cssColour(Rgb colour);

// The palette roles a help page takes its colours from.
struct PagePalette {
    Rgb base;      // page background
    Rgb text;      // body text
    Rgb link;      // links
    Rgb highlight; // the desktop's accent (selection)
};

// The colours of a help page, each foreground readable on the background it is shown on.
struct PageColours {
    Rgb heading;
    Rgb errorHeading;
    Rgb link;
    Rgb example;
    Rgb tableBorder;
    Rgb tableHeadBackground;
    Rgb codeBackground;
    Rgb keyBackground;
    Rgb noteBackground;
};

// Minimum contrast of text on its background (WCAG AA for body text).
inline constexpr double kMinTextContrast = 4.5;

PageColours pageColours(const PagePalette& palette);

// The default style sheet of the help pages in these colours.
std::string helpPageStyle(const PageColours& colours);

// Window sizes in device-independent pixels.
struct WindowSize {
    int width = 0;
    int height = 0;
};

// preferred, shrunk where needed so that the window with its frame fits into available (the
// screen's area without panels); never below 1 x 1.
WindowSize fitWindowSize(WindowSize preferred, WindowSize available, WindowSize frame);
