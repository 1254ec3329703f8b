// The drawing threads: a slow mode hands a range of rows (or of any other independent
// pieces of work) to RunRows, which runs them on every drawing thread, the calling one
// included, and returns when all are done. The modes stay single-threaded code that is
// handed a range; whatever a piece writes must not overlap what another piece reads or
// writes, so the result never depends on which thread did which piece.
//
// The helper threads start on first use and then stay: between pictures they sleep,
// within a picture they wait for the next call for a few dozen microseconds before they
// go to sleep, so a mode may call RunRows thousands of times per picture. Pieces are
// claimed one at a time from a shared counter, so a helper that the system has
// preempted holds up at most the piece it is doing; the caller takes the rest.
#pragma once

// Does pieces [from, to) of a call's work on the given thread: 0 is the calling thread,
// 1 to DrawingThreadCount() - 1 the helpers (for scratch memory of one thread).
using RowsFunction = void (*)(void* context, int from, int to, int thread);

// Runs rows(context, from, to, thread) over 0 .. count - 1 in pieces of `grain` (at
// least 1) and waits for all of them. With one drawing thread, or a single piece, the
// caller does the whole range in one call. Not reentrant: a piece never calls RunRows.
void RunRows(RowsFunction rows, void* context, int count, int grain);

// How many threads the next RunRows may use, the caller included: art.drawingThreads
// when it is above 0, else the processor's logical count; at most kMaxDrawingThreads,
// and fewer when a helper could not be started. Starts the helpers that are missing.
int DrawingThreadCount();

constexpr int kMaxDrawingThreads = 64;

// The processor's logical count (at least 1).
int LogicalProcessorCount();

// Pieces done by the helpers (threads 1 and up) since the program started: above 0
// once more than one thread has drawn.
long HelperPieceCount();

// Test switch: from the nth helper start on (1 = the next one) the system is taken to
// refuse to start a thread, as when it runs out of them; 0 switches it off.
void RefuseHelperStarts(int nth);
