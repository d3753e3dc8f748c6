#include "led_line_logic.h"

#include <algorithm>
#include <cstdint>

Rgb nextLapColour(Rgb colour)
{
    if (colour == kGreen) return kYellow;
    if (colour == kYellow) return kRed;
    return kGreen;
}

Rgb previousLapColour(Rgb colour)
{
    if (colour == kRed) return kYellow;
    if (colour == kYellow) return kGreen;
    return kRed;
}

CellPaints resetCells(LedStepState& state, unsigned n, Rgb colour)
{
    CellPaints paints;
    for (unsigned i = 0; i < n; ++i)
        paints.push_back({i, colour});
    state = {0, kGreen};
    return paints;
}

CellPaints stepForwardCells(LedStepState& state, unsigned n)
{
    CellPaints paints;
    if (state.position == 0) {
        for (unsigned i = 1; i < n; ++i)
            paints.push_back({i, kLedOff});
    }
    paints.push_back({state.position, state.lapColour});
    if (++state.position >= n) {
        state.position = 0;
        state.lapColour = nextLapColour(state.lapColour);
    }
    return paints;
}

void skipForward(LedStepState& state, unsigned n, unsigned steps)
{
    const std::uint64_t total = std::uint64_t{state.position} + steps;
    state.position = static_cast<unsigned>(total % n);
    std::uint64_t laps = total / n;
    if (laps == 0) return;
    // A colour outside the cycle becomes green on the first lap; the cycle has three colours.
    if (state.lapColour != kGreen && state.lapColour != kYellow && state.lapColour != kRed) {
        state.lapColour = nextLapColour(state.lapColour);
        --laps;
    }
    for (laps %= 3; laps > 0; --laps)
        state.lapColour = nextLapColour(state.lapColour);
}

CellPaints stepBackCells(LedStepState& state, unsigned n)
{
    CellPaints paints;
    --state.position;
    if (state.position >= n) {
        state.lapColour = previousLapColour(state.lapColour);
        state.position = n - 1;
        for (unsigned i = 0; i < n; ++i)
            paints.push_back({i, state.lapColour});
    }
    paints.push_back({state.position, kLedOff});
    return paints;
}

CellRange segmentRange(unsigned n, unsigned a, unsigned b)
{
    // 64-bit products: n * (a + 1) must not wrap for large item numbers.
    const std::uint64_t from = std::uint64_t{n} * a / b;
    const std::uint64_t to =
        std::min<std::uint64_t>(std::uint64_t{n} * (std::uint64_t{a} + 1) / b, n);
    if (from >= to) return {0, 0};
    return {static_cast<unsigned>(from), static_cast<unsigned>(to)};
}

unsigned ratioSplit(unsigned n, unsigned a, unsigned b)
{
    const std::uint64_t total = std::uint64_t{a} + b;
    if (total == 0) return n / 2;
    return static_cast<unsigned>(std::min<std::uint64_t>(std::uint64_t{n} * a / total, n));
}

CellPaints ratioCells(unsigned n, unsigned a, unsigned b, Rgb colourA, Rgb colourB)
{
    const unsigned k = ratioSplit(n, a, b);
    CellPaints paints;
    for (unsigned i = 0; i < n; ++i)
        paints.push_back({i, i < k ? colourA : colourB});
    return paints;
}

CellPaints runStepCells(RunLightPhase& phase, unsigned& runPosition, unsigned n)
{
    CellPaints paints;
    if (phase.lightUp) {
        phase.lightUp = false;
        phase.previousCell = static_cast<int>(runPosition) - 1;
        paints.push_back({runPosition, kGreen});
        if (++runPosition >= n) runPosition = 0;
        paints.push_back({0, kRed});
        paints.push_back({n - 1, kRed});
    } else {
        phase.lightUp = true;
        if (phase.previousCell < 0 || phase.previousCell >= static_cast<int>(n))
            phase.previousCell = static_cast<int>(n) - 1;
        paints.push_back({static_cast<unsigned>(phase.previousCell), kLedOff});
        paints.push_back({0, kLedOff});
        paints.push_back({n - 1, kLedOff});
    }
    return paints;
}
