#pragma once

#include <cstdint>

// A colour as the display controls store it: red in the low byte, then green, then blue, each
// 0 to 255 (the layout of the old window system's colour reference). Plain data, no Qt, so the
// controls' rules can be computed and tested without a window.
using Rgb = std::uint32_t;

constexpr Rgb makeRgb(unsigned red, unsigned green, unsigned blue)
{
    return (red & 0xFFu) | ((green & 0xFFu) << 8) | ((blue & 0xFFu) << 16);
}
constexpr unsigned redOf(Rgb c)
{
    return c & 0xFFu;
}
constexpr unsigned greenOf(Rgb c)
{
    return (c >> 8) & 0xFFu;
}
constexpr unsigned blueOf(Rgb c)
{
    return (c >> 16) & 0xFFu;
}

inline constexpr Rgb kBlack = makeRgb(0, 0, 0);
inline constexpr Rgb kWhite = makeRgb(255, 255, 255);
inline constexpr Rgb kGrey = makeRgb(128, 128, 128);
inline constexpr Rgb kLightGrey = makeRgb(192, 192, 192);
inline constexpr Rgb kRed = makeRgb(255, 0, 0);
inline constexpr Rgb kDarkRed = makeRgb(128, 0, 0);
inline constexpr Rgb kGreen = makeRgb(0, 255, 0);
inline constexpr Rgb kDarkGreen = makeRgb(0, 128, 0);
inline constexpr Rgb kYellow = makeRgb(255, 255, 0);
inline constexpr Rgb kBlue = makeRgb(0, 0, 255);
inline constexpr Rgb kLedOff = makeRgb(0, 0, 128);
