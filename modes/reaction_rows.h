// The row loops of one reaction-diffusion time step, one per code path. Every loop
// gives bit for bit the values of the plain one.
#pragma once
#include "modes/vector_kernel.h"

// The interior cells (columns 1 to gw - 2) of one row from the rows north, at and south
// of it, for U and V; the output rows never overlap the input rows.
using ReactionRowFunction = void (*)(const float* un, const float* uc, const float* us,
                                     const float* vn, const float* vc, const float* vs,
                                     float* uo, float* vo, int gw, float feed,
                                     float feedPlusKill);

// The reference loop: one cell at a time, every operation rounded to single precision
// in the order of the model.
void ReactionRowPlain(const float* un, const float* uc, const float* us, const float* vn,
                      const float* vc, const float* vs, float* uo, float* vo, int gw, float feed,
                      float feedPlusKill);

// The loop of a code path: the plain one for kKernelPlain and for paths not compiled in.
ReactionRowFunction ReactionRowFor(VectorKernel kernel);

// The 512-bit loop compiled for 256-bit processors, which run it as pairs of halves, so
// that machines without AVX-512 can test its source; null where AVX2 is not available.
ReactionRowFunction ReactionRowWideOnAvx2();
