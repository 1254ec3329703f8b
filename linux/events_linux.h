// The program's SDL events turned into the core's key, button, wheel and window calls.
#pragma once
#include <SDL.h>

// The core's key code (app/keys.h) for an SDL key; 0, which no key of the core has,
// for the keys the program does not know (they still count as input for the hint).
int CoreKeyOf(SDL_Keycode key);

// One event: a short delegation per kind, as the Windows program's window procedure.
void DispatchEvent(const SDL_Event& event);
