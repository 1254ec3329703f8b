// Which code path a mode takes is settled on the machine that runs it: each candidate
// path does a small piece of the mode's real work a few times in turn, and the fastest
// is kept. Every path gives the same bytes, so the measurement can only ever cost
// time, never change a picture.
#pragma once
#include "modes/vector_kernel.h"

// A piece of a mode's work done on the given path; it touches no picture or state of
// the program, so it can be done at any time and as often as wanted.
using KernelTrial = void (*)(VectorKernel kernel);

// Rounds of trials: each candidate once per round, in turn, so that a burst of other
// work on the machine slows one sample of each rather than every sample of one.
constexpr int kKernelTrialRounds = 3;

// Paths timed within this share of the fastest count as tied; the narrowest of them is
// taken, since it keeps the processor's clock higher and its power lower.
constexpr double kKernelTieShare = 0.03;

// The path to take from the times of every round (a negative time: not a candidate):
// each path counts with its shortest time, so one slow sample does not count against
// it; the fastest is taken, or the narrowest within kKernelTieShare of it; the plain
// path when there is no candidate.
VectorKernel FastestKernel(const double seconds[kKernelTrialRounds][kKernelCount]);

// Times the trial on every available vector path and gives FastestKernel of the times:
// the thread's processor time where the platform gives it, the clock otherwise.
// A path that is the only candidate is not timed; the plain path is a candidate only
// where no vector path exists.
VectorKernel MeasureFastestKernel(KernelTrial trial);

// The trial of a user of the vector paths; null for users whose vector path does not
// depend on the vector width (so that only it and the plain reference exist).
KernelTrial KernelTrialFor(KernelUser user);
