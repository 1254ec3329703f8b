#include "export/render_progress.h"

#include <cstdio>
#include <ctime>

#include <unistd.h>

namespace {
// The line shows from the first frame on and changes this often at most.
constexpr double kRefreshSeconds = 0.25;

double Now() {
    timespec t = {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}
}  // namespace

void BeginProgress(RenderProgress* p, int32_t totalFrames) {
    p->onTerminal = isatty(STDERR_FILENO) ? 1 : 0;
    p->total = totalFrames;
    p->startSeconds = Now();
    p->shownSeconds = 0.0;
}

void ShowProgress(RenderProgress* p, int32_t done) {
    if (!p->onTerminal) return;
    const double now = Now();
    const double elapsed = now - p->startSeconds;
    if ((p->shownSeconds > 0.0 && now - p->shownSeconds < kRefreshSeconds) || done <= 0) return;
    p->shownSeconds = now;
    const double rate = elapsed > 0.0 ? done / elapsed : 0.0;
    const int left = rate > 0.0 ? static_cast<int>((p->total - done) / rate + 0.5) : 0;
    // \r and "erase to the end of the line": each line overwrites the last.
    std::fprintf(stderr, "\rhuemix-render: frame %d of %d, %.1f frames/s, %d:%02d left\033[K", done, p->total,
                 rate, left / 60, left % 60);
    std::fflush(stderr);
}

void EndProgress(RenderProgress* p) {
    if (p->onTerminal && p->shownSeconds > 0.0) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
    p->shownSeconds = 0.0;
}
