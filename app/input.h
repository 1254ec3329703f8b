// What every key, mouse button, wheel turn and timer tick does. The window procedure
// only decodes its messages and calls these; they change art, draw through the modes
// and the palette engine, and reach the window only through the platform seam.
#pragma once
#include <cstdint>

// The window was created: start the rotation, splash and hint timers.
void HandleCreate();

// A key went down (auto-repeat included), with the state of Ctrl and Shift.
void HandleKey(int virtualKey, bool ctrlHeld, bool shiftHeld);

// Left button: a new picture in the current mode.
void HandleLeftButton();

// Right button: the next mode, from 9 back to 1.
void HandleRightButton();

// Mouse wheel: a positive delta (turned away from the user) rotates faster.
void HandleWheel(int delta);

// A window timer ticked; ids other than the program's five are ignored.
void HandleTimer(uintptr_t id);
