#pragma once

#include <vector>

#include "rgb.h"

// What an LED line shows, as arithmetic: every operation of the line answers with the cell
// recolourings it makes, in the order it makes them; the widget applies them one by one. Cells
// are numbered from 0; n is the number of cells (at least 1).

struct CellPaint {
    unsigned cell;
    Rgb colour;

    friend bool operator==(const CellPaint&, const CellPaint&) = default;
};
using CellPaints = std::vector<CellPaint>;

// The counter that lights one more cell per step: the cell lit next and the colour of the
// current lap. Black before the first reset, green after it.
struct LedStepState {
    unsigned position = 0;
    Rgb lapColour = kBlack;
};

// green -> yellow -> red -> green; any other colour -> green.
Rgb nextLapColour(Rgb colour);
// red -> yellow -> green -> red; any other colour -> red.
Rgb previousLapColour(Rgb colour);

// Every cell from 0 up gets colour; the count starts again (position 0, green lap).
CellPaints resetCells(LedStepState& state, unsigned n, Rgb colour);
// Lights the next cell in the lap colour. A step at position 0 first switches off cells 1 to
// n - 1; when the row is full the lap colour moves on.
CellPaints stepForwardCells(LedStepState& state, unsigned n);
// The state after `steps` stepForwardCells, without their paints (position below n).
void skipForward(LedStepState& state, unsigned n, unsigned steps);
// Undoes one stepForwardCells exactly, across a lap boundary too (there the whole row is
// refilled with the previous lap's colour before its last cell goes off).
CellPaints stepBackCells(LedStepState& state, unsigned n);

// The cells [from, to) that belong to item a of b (b > 0); empty when a >= b.
struct CellRange {
    unsigned from;
    unsigned to;

    friend bool operator==(const CellRange&, const CellRange&) = default;
};
CellRange segmentRange(unsigned n, unsigned a, unsigned b);

// The number of cells for a in the split a : b; the halves (n / 2) when both are 0.
unsigned ratioSplit(unsigned n, unsigned a, unsigned b);
// Cells 0 to k - 1 in colourA, k to n - 1 in colourB, with k = ratioSplit(n, a, b).
CellPaints ratioCells(unsigned n, unsigned a, unsigned b, Rgb colourA, Rgb colourB);

// The running light's phase. Shared by every line of the program (one line runs its light at a
// time): lightUp is set at program start, previousCell is the cell lit before.
struct RunLightPhase {
    bool lightUp = true;
    int previousCell = 0;
};
// One tick of the running light (every 250 ms). The light-up tick lights runPosition green,
// moves it on (back to 0 after the last cell) and lights both end cells red; the dark tick
// switches off the previous cell and both end cells.
CellPaints runStepCells(RunLightPhase& phase, unsigned& runPosition, unsigned n);
