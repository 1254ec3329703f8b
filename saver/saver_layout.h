// Where the full-screen saver puts its picture: one window per monitor, each showing a
// part of the one Canvas, or the whole Canvas letterboxed, or nothing (black). And when
// a moving pointer means that the user has come back.
#pragma once
#include <cstdint>

#include "app/art_state.h"

// More monitors than this are covered by no window of ours.
constexpr int kMaxSaverPanes = 32;

// One monitor's window.
struct SaverPane {
    ArtRect monitor;        // the window: the whole monitor, in virtual-screen pixels
    ArtRect source;         // the part of the Canvas it shows, fitted with its aspect kept
    int32_t showsPicture;   // 0: the window stays black
};

struct SaverPlan {
    int32_t canvasWidth;   // at least 320 x 200
    int32_t canvasHeight;
    int32_t paneCount;
    int32_t choice;        // the SaverMonitors choice it carries out
};

// The smallest rectangle around all of them; an empty one at (0, 0) when count is 0.
ArtRect BoundingRect(const ArtRect* rects, int count);

// One pane per monitor (at most kMaxSaverPanes) for a SaverMonitors choice:
// - same picture: a Canvas of the largest monitor's size, shown whole on each monitor;
// - across all: a Canvas over the bounding rectangle, each monitor showing its own part;
// - primary only: a Canvas of the primary monitor's size, the other monitors black.
// primary is the index of the primary monitor (the first when it is out of range).
SaverPlan PlanSaverPanes(const ArtRect* monitors, int count, int primary, int choice,
                         SaverPane panes[kMaxSaverPanes]);

// The pointer's start, for telling a real move from jitter and from the move the
// system reports when the windows appear under a still pointer.
struct SaverPointer {
    int32_t known;  // 0 until a first position is recorded
    int32_t x;
    int32_t y;
};

// A move of more than this many physical pixels along either axis ends the saver.
constexpr int32_t kSaverMoveTolerance = 8;

// Records the first position it sees; afterwards 1 when (x, y) lies further than the
// tolerance from that start, else 0.
int PointerMovedAway(SaverPointer* start, int32_t x, int32_t y);
