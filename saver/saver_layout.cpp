#include "saver/saver_layout.h"

#include "modes/canvas.h"
#include "saver/saver_settings.h"

namespace {

int64_t Area(const ArtRect& r) {
    return static_cast<int64_t>(r.right - r.left) * static_cast<int64_t>(r.bottom - r.top);
}

int32_t AtLeast(int32_t value, int32_t minimum) { return value < minimum ? minimum : value; }

}  // namespace

ArtRect BoundingRect(const ArtRect* rects, int count) {
    if (!rects || count <= 0) return {0, 0, 0, 0};
    ArtRect box = rects[0];
    for (int i = 1; i < count; ++i) {
        if (rects[i].left < box.left) box.left = rects[i].left;
        if (rects[i].top < box.top) box.top = rects[i].top;
        if (rects[i].right > box.right) box.right = rects[i].right;
        if (rects[i].bottom > box.bottom) box.bottom = rects[i].bottom;
    }
    return box;
}

SaverPlan PlanSaverPanes(const ArtRect* monitors, int count, int primary, int choice,
                         SaverPane panes[kMaxSaverPanes]) {
    if (!monitors || count < 0) count = 0;
    if (count > kMaxSaverPanes) count = kMaxSaverPanes;
    if (primary < 0 || primary >= count) primary = 0;

    // The monitor whose size the Canvas takes: the largest, or the primary one.
    int sized = primary;
    if (choice != kMonitorsPrimary) {
        for (int i = 0; i < count; ++i) {
            if (Area(monitors[i]) > Area(monitors[sized])) sized = i;
        }
    }
    ArtRect extent = count > 0 ? monitors[sized] : ArtRect{0, 0, 0, 0};
    if (choice == kMonitorsSpan) extent = BoundingRect(monitors, count);

    SaverPlan plan;
    plan.canvasWidth = AtLeast(extent.right - extent.left, kMinCanvasWidth);
    plan.canvasHeight = AtLeast(extent.bottom - extent.top, kMinCanvasHeight);
    plan.paneCount = count;
    plan.choice = choice;
    const ArtRect whole = {0, 0, plan.canvasWidth, plan.canvasHeight};
    for (int i = 0; i < count; ++i) {
        const ArtRect& m = monitors[i];
        SaverPane& pane = panes[i];
        pane.monitor = m;
        pane.source = whole;
        pane.showsPicture = choice != kMonitorsPrimary || i == primary;
        if (choice == kMonitorsSpan) {
            // Its own part of the Canvas, at the same place relative to the bounding box.
            pane.source = {m.left - extent.left, m.top - extent.top, m.right - extent.left,
                           m.bottom - extent.top};
        }
    }
    return plan;
}

int PointerMovedAway(SaverPointer* start, int32_t x, int32_t y) {
    if (!start->known) {
        *start = {1, x, y};
        return 0;
    }
    const int64_t dx = static_cast<int64_t>(x) - start->x;
    const int64_t dy = static_cast<int64_t>(y) - start->y;
    return dx > kSaverMoveTolerance || dx < -kSaverMoveTolerance || dy > kSaverMoveTolerance ||
           dy < -kSaverMoveTolerance;
}
