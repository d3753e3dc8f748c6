#include "help_style.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
// The hues the pages have always had, before they are made readable on the palette's base.
constexpr Rgb kErrorHue{160, 24, 24};
constexpr Rgb kExampleHue{26, 94, 26};
constexpr Rgb kNoteHue{255, 214, 64};
// How far each derived colour lies between its two sources (0 = the first).
constexpr double kHeadingTowardsText = 0.5;
constexpr double kBorderTowardsText = 0.35;
constexpr double kTableHeadTint = 0.18;
constexpr double kCodeTint = 0.07;
constexpr double kKeyTint = 0.12;
constexpr double kNoteTint = 0.22;
constexpr double kStep = 0.02;

double linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(Rgb c)
{
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

int channel(double value)
{
    return std::clamp(static_cast<int>(std::lround(value)), 0, 255);
}

// base tinted towards hue by up to t, less where text would no longer read on it; base itself
// when text does not read even there (the desktop's choice, not ours to mend).
Rgb tint(Rgb base, Rgb hue, double t, Rgb text)
{
    for (; t > 0; t -= kStep) {
        const Rgb tinted = mix(base, hue, t);
        if (contrastRatio(text, tinted) >= kMinTextContrast) return tinted;
    }
    return base;
}

} // namespace

double contrastRatio(Rgb a, Rgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb mix(Rgb a, Rgb b, double t)
{
    return {channel(a.r + (b.r - a.r) * t), channel(a.g + (b.g - a.g) * t),
            channel(a.b + (b.b - a.b) * t)};
}

Rgb readableOn(Rgb colour, Rgb background, double minRatio)
{
    if (contrastRatio(colour, background) >= minRatio) return colour;
    const Rgb target =
        contrastRatio(kBlack, background) >= contrastRatio(kWhite, background) ? kBlack : kWhite;
    for (double t = kStep; t < 1.0; t += kStep) {
        const Rgb moved = mix(colour, target, t);
        if (contrastRatio(moved, background) >= minRatio) return moved;
    }
    return target;
}

std::string cssColour(Rgb colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", channel(colour.r), channel(colour.g),
                  channel(colour.b));
    return text;
}

PageColours pageColours(const PagePalette& p)
{
    PageColours c;
    c.tableHeadBackground = tint(p.base, p.highlight, kTableHeadTint, p.text);
    c.codeBackground = tint(p.base, p.text, kCodeTint, p.text);
    c.keyBackground = tint(p.base, p.text, kKeyTint, p.text);
    c.noteBackground = tint(p.base, kNoteHue, kNoteTint, p.text);
    c.heading = readableOn(mix(p.highlight, p.text, kHeadingTowardsText), p.base, kMinTextContrast);
    c.errorHeading = readableOn(kErrorHue, p.base, kMinTextContrast);
    c.link = readableOn(p.link, p.base, kMinTextContrast);
    c.example = readableOn(kExampleHue, p.base, kMinTextContrast);
    c.tableBorder = mix(p.base, p.text, kBorderTowardsText);
    return c;
}

std::string helpPageStyle(const PageColours& c)
{
    return "body { font-size: 11pt; }\n"
           "a { color: " +
           cssColour(c.link) +
           "; }\n"
           "h1 { font-size: 17pt; color: " +
           cssColour(c.heading) +
           "; margin-bottom: 10px; }\n"
           "h1.error { color: " +
           cssColour(c.errorHeading) +
           "; }\n"
           "h2 { font-size: 13pt; color: " +
           cssColour(c.heading) +
           "; margin-top: 14px; }\n"
           "p { margin-top: 0px; margin-bottom: 8px; }\n"
           "li { margin-bottom: 3px; }\n"
           "table { border-collapse: collapse; border-color: " +
           cssColour(c.tableBorder) +
           "; }\n"
           "th { background-color: " +
           cssColour(c.tableHeadBackground) +
           "; text-align: left; }\n"
           "code { font-family: \"Liberation Mono\", monospace; background-color: " +
           cssColour(c.codeBackground) +
           "; }\n"
           ".key { font-family: \"Liberation Mono\", monospace; background-color: " +
           cssColour(c.keyBackground) +
           "; font-weight: bold; }\n"
           ".example { font-family: \"Liberation Mono\", monospace; color: " +
           cssColour(c.example) +
           "; }\n"
           ".note { background-color: " +
           cssColour(c.noteBackground) + "; }\n";
}

WindowSize fitWindowSize(WindowSize preferred, WindowSize available, WindowSize frame)
{
    return {std::max(1, std::min(preferred.width, available.width - frame.width)),
            std::max(1, std::min(preferred.height, available.height - frame.height))};
}
