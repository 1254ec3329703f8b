// Each user of the vector paths with the trial that times its paths, for the tools
// that report or check every user's path (the benchmark, the page, the tests). The
// modes themselves hand their own trial to KernelFor.
#pragma once
#include "modes/paths/kernel_choice.h"

// Null for users whose vector path does not depend on the vector width.
KernelTrial KernelTrialFor(KernelUser user);

// The path the user takes, as the user itself asks for it.
VectorKernel KernelOfUser(KernelUser user);
