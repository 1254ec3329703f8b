// The frames of an animation, one sequence for every animated format: frame 0 is the
// picture as the job left it, each later frame one rotation tick on (and in mode 8
// the zoom frames that fell due). The GIF and the video take the same frames.
#pragma once
#include <cstddef>
#include <cstdint>

#include "export/offline_options.h"
#include "export/render_output.h"

// Writes options.frames frames into the target as a GIF or a WebM video, showing the
// progress on a terminal. Returns 0, or -1 with a one-line message.
int32_t WriteAnimation(const OfflineOptions& options, RenderTarget* target, const char* recipe, char* error,
                       size_t errorSize);
