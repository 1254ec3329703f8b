// The screen saver's pictures, for the full screen and the preview alike: no splash
// screen and no help hint; the settings choose the mode, how long each picture stays,
// the palette and the rotation. The shell forwards its timers here.
#pragma once
#include <cstdint>

#include "saver/saver_layout.h"
#include "saver/saver_settings.h"

// The saver's own timer, beside the program's five: the next picture.
constexpr int kTimerSaverPicture = 6;

// Plans the panes for a Monitors choice and allocates their Canvas. One picture across
// all whose Canvas cannot be had (monitors far apart) is planned again as the same
// picture on each, so that every screen is still covered. paneCount is 0 when no
// Canvas could be had.
SaverPlan AllocateSaverCanvas(const ArtRect* monitors, int count, int primary, int choice,
                              SaverPane panes[kMaxSaverPanes]);

// Copies the settings into art: rotation interval and step, preset, status strip,
// mode choice, palette renewal and picture time. The help hint stays off.
void ApplySaverSettings(const SaverSettings& settings);

// The first picture, right away: the chosen mode, or with all modes in turn one drawn
// at random; then the rotation, picture and (for mode 8) zoom timers, and a refresh.
void StartSaverPictures();

// The picture timer: a new palette when so set, then the next mode in turn (9 back
// to 1) or a new picture of the chosen mode; then a refresh.
void NextSaverPicture();

// Any timer of the saver's windows: its own, or one of the program's (rotation, zoom).
void HandleSaverTimer(uintptr_t id);
