#include "button_logic.h"

Rgb flashColourFor(Rgb base)
{
    constexpr unsigned kHalf = 128;
    const unsigned r = redOf(base), g = greenOf(base), b = blueOf(base);
    if (r > kHalf) return makeRgb(kHalf, 0, 0);
    if (g > kHalf) return makeRgb(0, kHalf, 0);
    if (b > kHalf) return makeRgb(0, 0, kHalf);
    if (r >= 1) return makeRgb(255, 0, 0);
    if (g >= 1) return makeRgb(0, 255, 0);
    return makeRgb(0, 0, 255);
}

FaceChoice chooseFace(unsigned itemState, bool on, bool toggles, bool locked, bool justPushed)
{
    constexpr unsigned kHeldWithFocus = ItemSelected | ItemFocus;
    if (itemState != kHeldWithFocus) return {on, on};
    if (toggles && !locked && justPushed) on = !on;
    return {on, !on};
}
