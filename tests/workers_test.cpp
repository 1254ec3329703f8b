// The drawing threads: every piece of a call done exactly once, by a known thread,
// however many threads there are, and fewer threads when the system refuses to start
// one.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "app/art_state.h"
#include "modes/workers.h"

namespace {
struct Tally {
    std::vector<std::atomic<int>>* done;
    std::atomic<int> badThread{0};
    int threads;
};

void CountRows(void* context, int from, int to, int thread) {
    Tally& tally = *static_cast<Tally*>(context);
    if (thread < 0 || thread >= tally.threads) tally.badThread.fetch_add(1);
    for (int i = from; i < to; ++i) (*tally.done)[i].fetch_add(1);
}

// Runs a call and expects each of count rows to be done once.
void ExpectEveryRowOnce(int count, int grain) {
    std::vector<std::atomic<int>> done(count > 0 ? count : 1);
    Tally tally{&done, {0}, DrawingThreadCount()};
    RunRows(CountRows, &tally, count, grain);
    for (int i = 0; i < count; ++i) ASSERT_EQ(done[i].load(), 1) << "row " << i << " of " << count << ", grain " << grain;
    EXPECT_EQ(tally.badThread.load(), 0);
}
}  // namespace

TEST(Workers, EveryRowOnceForAnyThreadCountAndGrain) {
    for (int threads : {1, 2, 3, 7, 16}) {
        art.drawingThreads = threads;
        EXPECT_EQ(DrawingThreadCount(), threads);
        for (int count : {0, 1, 2, 5, 97, 1000}) {
            for (int grain : {0, 1, 3, 64, 5000}) ExpectEveryRowOnce(count, grain);
        }
        // Many short calls in a row, as a mode with thousands of phases makes them.
        for (int call = 0; call < 2000; ++call) ExpectEveryRowOnce(40, 1);
    }
    // More pieces than a call counts: the pieces are made larger.
    ExpectEveryRowOnce(200000, 1);
    ResetArtState();
}

TEST(Workers, DefaultIsOneThreadPerLogicalProcessor) {
    ResetArtState();
    const int logical = LogicalProcessorCount();
    EXPECT_GE(logical, 1);
    EXPECT_EQ(DrawingThreadCount(), logical < kMaxDrawingThreads ? logical : kMaxDrawingThreads);
    ResetArtState();
}

TEST(Workers, RefusedStartsMeanFewerThreads) {
    art.drawingThreads = 3;
    const int before = DrawingThreadCount();
    RefuseHelperStarts(2);  // one more helper starts, then none
    art.drawingThreads = 40;
    const int fewer = DrawingThreadCount();
    EXPECT_GE(fewer, before);
    EXPECT_LT(fewer, 40);
    ExpectEveryRowOnce(500, 2);
    RefuseHelperStarts(0);
    EXPECT_EQ(DrawingThreadCount(), 40);
    ResetArtState();
}
