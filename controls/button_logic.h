#pragma once

#include "rgb.h"

// The picture button's rules that need no window: which colour a blinking region flashes to,
// and which face a given drawing state shows.

// The contrasting colour a region of colour base flashes to, by the first rule that applies:
// a component above 128 (red, then green, then blue) gives that component at 128 alone;
// otherwise a component from 1 to 128 (red, then green) gives it at 255 alone; otherwise blue.
Rgb flashColourFor(Rgb base);

// The drawing state of an owner-drawn button as one value; a face is chosen by the whole value.
enum ItemState : unsigned {
    ItemSelected = 0x1, // held down
    ItemDisabled = 0x4,
    ItemFocus = 0x10,
};

struct FaceChoice {
    bool on;         // the button's on/off state after this draw
    bool showOnFace; // which of the two faces to show
};

// Chooses the face for a draw. The state exactly held + focused shows the face opposite to
// the on state; every other state shows the at-rest face of the on state. With justPushed (the
// button has just become held: a press, sliding back onto it, the space bar) a toggle button
// that is not locked flips its on state first; the widget asks so when it becomes pushed, and
// draws with justPushed false, so that a repaint while held flips nothing.
FaceChoice chooseFace(unsigned itemState, bool on, bool toggles, bool locked, bool justPushed);
