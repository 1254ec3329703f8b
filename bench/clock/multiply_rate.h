// Multiplies per second at each vector width: a measure of the clock a processor keeps
// for code of that width, and of the clock that other code leaves it at.
#pragma once

// G multiply instructions per second over `rounds` rounds of ten independent chains, so
// that the multiply units set the pace and not the latency (with two such units, twice
// the clock in GHz). The wide ones only where the processor has that path; all of them
// 0 in builds for other than x86-64.
double ScalarMultiplyRate(long rounds);
double Multiply256Rate(long rounds);
double Multiply512Rate(long rounds);

// Rounds that take about `seconds` at `rate` G multiplies per second.
long MultiplyRoundsFor(double seconds, double rate);
