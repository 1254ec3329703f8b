// The ten drawing modes and the switch between them. Each generator draws a whole
// picture into the Canvas from art's size and scale values and the random stream; it
// never touches the palettes and never presents a frame.
#pragma once
#include <cstdint>

constexpr int kModeCount = 10;
constexpr int kZoomModeNumber = 8;  // the one mode that redraws on a timer

// Names shown by the status strip, indexed by mode.
extern const char* const ModeNames[kModeCount];

// Points of interest of the Mandelbrot zoom: real and imaginary part.
struct ZoomPoint {
    double re;
    double im;
};
extern const ZoomPoint ZoomTargets[8];

// Draws a new picture of this mode and records it as art.currentMode. Numbers
// outside 0..9 draw plasma and record mode 1. Mode 8 first picks a fresh zoom target.
void SelectMode(int mode);

void DrawSplash();             // mode 0, splash.cpp
void DrawPlasma();             // mode 1, plasma.cpp
void DrawVoronoi();            // mode 2, voronoi.cpp
void DrawPhyllotaxis();        // mode 3, phyllotaxis.cpp
void DrawStringArt();          // mode 4, string_art.cpp
void DrawReactionDiffusion();  // mode 5, reaction_diffusion.cpp
void DrawLandscape();          // mode 6, landscape.cpp
void DrawSquares();            // mode 7, squares.cpp
void DrawMandelbrotZoom();     // mode 8, one zoom frame, mandelbrot_zoom.cpp
void DrawBuddhabrot();         // mode 9, buddhabrot.cpp

// Starts a new zoom: half-height 1.6 around a target drawn from the random stream.
void ChooseZoomTarget();
