// The three overlays: the help screen (drawn into the Canvas in colour indices), the
// status strip and the help hint (drawn into the frame pixels in a fixed colour).
#pragma once
#include <cstdint>

// Overwrites the whole Canvas with the list of keys and modes.
void DrawHelpScreen();

// Darkens the bottom band of the frame and writes the status line into it.
void DrawStatusStrip(uint32_t* pixels);

// Shows "F1 = HELP" for 1000 ms after the last input.
void DrawHelpHint(uint32_t* pixels);
