// The one place that settles which code path each mode takes: a forced path when the
// tests or the benchmark force one, else the path measured fastest for the mode on
// this processor (kernel_trials.h), the first time the mode asks. The modes hand in
// their own trial; nothing here knows how any mode draws.
#pragma once
#include "modes/paths/kernel_trials.h"
#include "modes/paths/vector_kernel.h"

// The users of the vector paths, each of which gets its own path.
enum KernelUser : int {
    kUserSplash = 0,
    kUserPlasma,
    kUserPhyllotaxis,
    kUserReaction,
    kUserZoom,
    kUserBuddhabrot,
    kUserCompose,
    kKernelUserCount
};

// The path a user takes: the forced one if a path was forced, else the one measured
// with its trial, once per process; the best available for a user without a trial
// (one whose vector path does not depend on the vector width).
VectorKernel KernelFor(KernelUser user, KernelTrial trial);

// How a user's path is settled.
enum KernelChoice : int { kChoiceOnly = 0, kChoiceMeasured = 1, kChoiceForced = 2 };
KernelChoice KernelChoiceOf(KernelUser user, KernelTrial trial);
// "only", "measured", "forced".
const char* KernelChoiceName(KernelChoice choice);

// "splash", "plasma", "phyllotaxis", "reaction-diffusion", "zoom", "buddhabrot", "compose".
const char* KernelUserName(KernelUser user);

// The path the loops take now: the best one unless another was forced.
VectorKernel ActiveKernel();

// Forces an available path (false, and nothing changes, when it is not available).
bool ForceKernel(VectorKernel kernel);

// Back to the measured paths.
void ResetKernel();
