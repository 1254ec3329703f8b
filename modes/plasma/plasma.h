// Pieces of the plasma mode, shared with its tests.
#pragma once
#include <cstdint>

#include "modes/paths/vector_kernel.h"

// The ten values of one picture: three wave centres, their angular frequencies, and
// the frequency of the diagonal wave.
struct PlasmaWaves {
    double x1, y1, x2, y2, x3, y3;
    double f1, f2, f3, f4;
};

// How far, at most, the vector paths' sum of sines may lie from the one the C
// library's sines give; a pixel whose index is not settled within it is computed with
// the library's sines.
constexpr double kPlasmaSumMargin = 1e-6;

// Paints every Canvas pixel from the waves on the active code path, with the given
// margin (kPlasmaSumMargin in the program; larger ones in tests, to exercise the
// recomputation). Returns how many pixels were recomputed with the library's sines
// (all of them on the plain path).
int64_t PaintPlasma(const PlasmaWaves& waves, double margin);

// The eight-lane body of the AVX-512 path compiled for AVX2, so that it can be checked
// on processors without AVX-512. Returns -1 (and paints nothing) without AVX2.
int64_t PaintPlasmaEightLanes(const PlasmaWaves& waves, double margin);

// A few rows of a plasma of fixed waves at a full-HD width on the given path, into
// rows of its own: the piece of work the path choice times.
void PlasmaTrial(VectorKernel kernel);
