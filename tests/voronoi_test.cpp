#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/memory.h"
#include "modes/canvas.h"
#include "modes/modes.h"
#include "modes/random_source.h"
#include "tests/test_support.h"

namespace {
struct Seed {
    int x, y, colour;
};

// The seeds a picture should use, read straight off the stream: x, y, colour per seed.
std::vector<Seed> ExpectedSeeds(uint32_t state, int count, int w, int h) {
    std::vector<Seed> seeds;
    for (int k = 0; k < count; ++k) {
        Seed s;
        state = XorShift(state);
        s.x = static_cast<int>(state % static_cast<uint32_t>(w));
        state = XorShift(state);
        s.y = static_cast<int>(state % static_cast<uint32_t>(h));
        state = XorShift(state);
        s.colour = static_cast<int>(state % 255) + 1;
        seeds.push_back(s);
    }
    return seeds;
}

// Plain reference: nearest seed by brute force, the first one found winning ties.
int ExpectedIndex(const std::vector<Seed>& seeds, int x, int y, bool* tie) {
    long long best = -1;
    int owner = 0;
    *tie = false;
    for (size_t k = 0; k < seeds.size(); ++k) {
        long long ex = x - seeds[k].x, ey = y - seeds[k].y;
        long long d2 = ex * ex + ey * ey;
        if (best < 0 || d2 < best) {
            best = d2;
            owner = static_cast<int>(k);
            *tie = false;
        } else if (d2 == best && seeds[k].colour != seeds[owner].colour) {
            *tie = true;
        }
    }
    int index = (seeds[owner].colour + static_cast<int>(std::floor(0.6 * std::sqrt(static_cast<double>(best))))) % 255;
    return index == 0 ? 1 : index;
}

void FillCanvas(uint8_t value) {
    for (int i = 0; i < art.canvasWidth * art.canvasHeight; ++i) art.canvas[i] = value;
}
}  // namespace

TEST(Voronoi, MatchesPlainReferenceIncludingTies) {
    UseCanvas(320, 200, 0x5EED);
    std::vector<Seed> seeds = ExpectedSeeds(0x5EED, 40, 320, 200);
    FillCanvas(0);
    DrawVoronoi();
    int ties = 0;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 320; ++x) {
            bool tie;
            int expected = ExpectedIndex(seeds, x, y, &tie);
            ties += tie;
            ASSERT_EQ(art.canvas[y * 320 + x], expected) << x << "," << y;
        }
    }
    // Equidistant pixels between differently coloured seeds do occur, so the tie rule
    // was really exercised.
    EXPECT_GT(ties, 0);
    ReleaseTestState();
}

TEST(Voronoi, SeedPixelsTakeTheirColour) {
    UseCanvas(320, 200, 77);
    std::vector<Seed> seeds = ExpectedSeeds(77, 40, 320, 200);
    DrawVoronoi();
    for (size_t k = 0; k < seeds.size(); ++k) {
        bool shadowed = false;  // an earlier seed on the same pixel owns it
        for (size_t j = 0; j < k; ++j) shadowed |= seeds[j].x == seeds[k].x && seeds[j].y == seeds[k].y;
        if (shadowed) continue;
        int expected = seeds[k].colour == 255 ? 1 : seeds[k].colour;
        EXPECT_EQ(art.canvas[seeds[k].y * 320 + seeds[k].x], expected) << k;
    }
    ReleaseTestState();
}

TEST(Voronoi, SeedCountFollowsDetailScale) {
    // Three draws per seed: 40 seeds at 320 x 200, 87 at 640 x 480, the cap of 120 from
    // 1024 x 768 on. The scale alone sets the count, so a small Canvas keeps this quick.
    struct Case {
        int w, h;
        long seeds;
    };
    for (Case c : {Case{320, 200, 40}, Case{640, 480, 87}, Case{1024, 768, 120}, Case{1920, 1080, 120}}) {
        UseCanvas(320, 200, 4711);
        art.detailScale = ComputeScales(c.w, c.h).detailScale;
        DrawVoronoi();
        EXPECT_EQ(StepsBetween(4711, art.randomState, 1000), 3 * c.seeds) << c.w;
    }
    ReleaseTestState();
}

TEST(Voronoi, NeverWritesZeroOr255) {
    UseCanvas(320, 200, 2024);
    for (int picture = 0; picture < 6; ++picture) {
        DrawVoronoi();
        std::vector<bool> used = IndicesUsed();
        EXPECT_FALSE(used[0]);
        EXPECT_FALSE(used[255]);
    }
    ReleaseTestState();
}

TEST(Voronoi, FailedAllocationDrawsNothingAndTakesNoNumbers) {
    for (int which = 1; which <= 3; ++which) {
        UseCanvas(320, 200, 999);
        FillCanvas(7);
        long before = ArtAllocationCount();
        ArtFailAllocation(which);
        SelectMode(2);
        EXPECT_EQ(art.currentMode, 2) << which;
        EXPECT_EQ(art.randomState, 999u) << which;
        EXPECT_EQ(CanvasCopy(), std::vector<uint8_t>(320 * 200, 7)) << which;
        // The arrays are asked for in order and the first failure ends the attempt.
        EXPECT_EQ(ArtAllocationCount() - before, which);
        // The switch fired once: the next picture is drawn as usual.
        DrawVoronoi();
        EXPECT_EQ(StepsBetween(999, art.randomState, 1000), 120) << which;
    }
    ReleaseTestState();
}
