// Showing the core's composed frame in the program's window.
#pragma once
#include <SDL.h>

// Chooses how frames reach the window and sets up for it: false (SDL's error set)
// when the window cannot show anything.
bool OpenPresenter(SDL_Window* window);

// Shows the frame: uploads it when frameChanged; when exposed (the window was
// uncovered or resized) paints the whole window again.
void PresentFrame(bool frameChanged, bool exposed);

void ClosePresenter();
