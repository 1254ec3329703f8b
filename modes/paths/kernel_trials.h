// Timing the code paths on the machine that runs them. Each candidate path does a small
// piece of a mode's real work again and again until its timing has settled, path after
// path from the narrowest to the widest, and all of that twice; the fastest is kept.
// Every path gives the same bytes, so a trial can only ever cost time, never change a
// picture.
//
// Why settled and grouped: a processor brings its wide vector units up to full speed
// only after some microseconds of wide code, and may run at a lower clock while it
// does wide work, raising it again only a while after. Trials of a few tens of
// microseconds taken in turn catch every wide path before it is up to speed. Run in a
// row until their times stop improving, the wide path is timed at its working pace,
// and in the first pass, going from narrow to wide, no narrow path is timed in the
// clock a wide one left. Why twice: a path counts with its better pass, so a burst of
// other work, or a processor still waking up when the process starts, slows one
// pass of a path and not its time.
#pragma once
#include "modes/paths/vector_kernel.h"

// A piece of a mode's work done on the given path; it touches no picture or state of
// the program, so it can be done at any time and as often as wanted.
using KernelTrial = void (*)(VectorKernel kernel);

// All of a mode's trials together stay within this time on the clock, once per process,
// shared evenly between the passes over the paths.
constexpr double kKernelTrialBudget = 0.0045;
constexpr int kKernelTrialPasses = 2;
// Each path runs for at least this share of its part of a pass before its timing may
// count as settled: a wide unit can take a few hundred microseconds at a steady,
// lower pace before it is up to speed, which a few samples alone would take for settled.
constexpr double kKernelMinRunShare = 0.5;
// The most samples one path takes, however short its trial.
constexpr int kKernelMaxSamples = 64;
// A path's timing has settled when the shortest of its last kKernelSettleWindow samples
// is no more than kKernelSettleShare below the shortest of those before them: its
// speed has stopped rising. The first sample is a warm-up, never counted.
constexpr int kKernelSettleWindow = 3;
constexpr double kKernelSettleShare = 0.02;

// Paths timed within this share of the fastest count as tied; the narrowest of them is
// taken, since it keeps the processor's clock higher and its power lower.
constexpr double kKernelTieShare = 0.03;

// True when the samples taken in a row on one path have settled.
bool KernelTimingSettled(const double* samples, int count);

// A path's time from the samples of one pass: the shortest after the warm-up (the only
// one when there is just one). Negative for no sample.
double KernelSettledTime(const double* samples, int count);

// The path to take from each path's settled time (negative: not a candidate): the
// fastest, or the narrowest within kKernelTieShare of it; the plain path when there is
// no candidate.
VectorKernel FastestKernel(const double settled[kKernelCount]);

// Times the trial on every available vector path and gives FastestKernel of the times:
// the thread's processor time where the platform gives it, the clock otherwise.
// A path that is the only candidate is not timed; the plain path is a candidate only
// where no vector path exists.
VectorKernel MeasureFastestKernel(KernelTrial trial);
