// The renderer's order of work on the global record `art`: the same steps, in the same
// order, as the program's start-up and key presses, so that a seed gives the picture
// the running program would show.
#pragma once
#include <cstdint>

#include "export/offline_options.h"

// The seed the job uses: --seed (0 becomes 0xC0FFEE, as at start-up), or clockSeed.
uint32_t EffectiveSeed(const OfflineOptions& options, uint32_t clockSeed);

// Size and scale values; seed; currentPreset; NewPalette; the picture's own seed when
// a recipe gives one; SelectMode(mode); the zoom
// frames; the adjustment (once, unless neutral); the rotation ticks. Also sets up the
// overlay the output wants (status strip with auto-cycle off and no hint, or the help
// screen) and, for an RGB picture, the frame pixels. Returns 0, or -1 when a buffer
// could not be had, including a drawing mode's own scratch: a mode that is refused its
// memory draws nothing, and a blank picture must not pass for a drawn one. On -1 the
// buffers are released already. With recipe given, fills it with the picture's recipe.
int32_t RunOfflineJob(const OfflineOptions& options, uint32_t seed, Recipe* recipe = nullptr);

// A recipe's rotation ticks, run on the palette as it stands after the adjustment
// (RotatePalette with the rotation and adjustment in art); the page opens a recipe so.
void RunRecipeTicks(int32_t ticks);

// Animation time is whole frames of delayMs; the zoom's 120 ms timer fires at every
// multiple of 120 up to and including the frame's time. The number of zoom frames
// that fall between frame - 1 and frame.
int32_t ZoomFramesDue(int32_t frame, int32_t delayMs);

// Moves the picture on from frame - 1 to frame (frame >= 1): one rotation tick, and in
// mode 8 the zoom frames that fell due meanwhile. Returns 0, or -1 when a zoom frame
// was refused its buffer.
int32_t AdvanceOfflineFrame(const OfflineOptions& options, int32_t frame);

// The indices of the frame to store in a palette image (PNG or GIF): the Canvas, or
// with the help overlay the help screen drawn over it, as ComposeFrame would map it.
// Valid until the next call; the Canvas itself keeps the picture.
const uint8_t* OfflineFrameIndices(const OfflineOptions& options);

// Releases the Canvas, the backup, the frame pixels and the modes' scratch.
void ReleaseOfflineJob();
