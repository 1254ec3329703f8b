// A long render's progress on a terminal: one line on standard error, rewritten in
// place (frames done, frames per second, time left) and erased at the end, so that
// the summary line stands alone as it does off a terminal, where nothing is shown.
#pragma once
#include <cstdint>

struct RenderProgress {
    int32_t onTerminal;
    int32_t total;
    double startSeconds;
    double shownSeconds;  // when the line was last written, or 0
};

void BeginProgress(RenderProgress* progress, int32_t totalFrames);
void ShowProgress(RenderProgress* progress, int32_t framesDone);
void EndProgress(RenderProgress* progress);
