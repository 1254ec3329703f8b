#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/memory.h"
#include "modes/canvas.h"
#include "modes/modes.h"
#include "modes/random_source.h"
#include "modes/voronoi.h"
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

// The picture of the plain algorithm: every seed tried for every pixel.
std::vector<uint8_t> PlainPicture(const std::vector<Seed>& seeds, int w, int h) {
    std::vector<uint8_t> picture(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int best = 0;
            int64_t bestD2 = INT64_MAX;
            for (size_t k = 0; k < seeds.size(); ++k) {
                const int64_t ex = x - seeds[k].x;
                const int64_t ey = y - seeds[k].y;
                const int64_t d2 = ex * ex + ey * ey;
                if (d2 < bestD2) {
                    bestD2 = d2;
                    best = static_cast<int>(k);
                }
            }
            const int t = static_cast<int>(std::sqrt(static_cast<double>(bestD2)) * -0.6);
            int index = (seeds[best].colour - t) % 255;
            picture[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(index < 1 ? 1 : index);
        }
    }
    return picture;
}

// PaintVoronoi with these seeds on the current Canvas.
std::vector<uint8_t> FastPicture(const std::vector<Seed>& seeds) {
    std::vector<int> xs, ys, colours;
    for (const Seed& s : seeds) {
        xs.push_back(s.x);
        ys.push_back(s.y);
        colours.push_back(s.colour);
    }
    PaintVoronoi(xs.data(), ys.data(), colours.data(), static_cast<int>(seeds.size()));
    return CanvasCopy();
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

TEST(Voronoi, WholePicturesMatchThePlainSearch) {
    struct Case {
        int w, h;
        uint32_t seed;
    };
    for (Case c : {Case{320, 200, 1}, Case{320, 200, 0xDEADBEEF}, Case{333, 201, 42}, Case{333, 201, 9001},
                   Case{641, 479, 77}}) {
        UseCanvas(c.w, c.h, c.seed);
        const int n = c.w == 641 ? 87 : 40;
        const std::vector<Seed> seeds = ExpectedSeeds(c.seed, n, c.w, c.h);
        DrawVoronoi();
        ASSERT_EQ(CanvasCopy(), PlainPicture(seeds, c.w, c.h)) << c.w << "x" << c.h << " seed " << c.seed;
    }
    ReleaseTestState();
}

TEST(Voronoi, TiesGoToTheLowestNumberedSeed) {
    UseCanvas(333, 201);
    auto check = [](const std::vector<Seed>& seeds, const char* what) {
        EXPECT_EQ(FastPicture(seeds), PlainPicture(seeds, 333, 201)) << what;
    };
    // Coinciding seeds, the later ones with other colours: the first owns the cell.
    check({{100, 100, 10}, {100, 100, 200}, {100, 100, 90}, {250, 30, 5}}, "coinciding");
    // Mirror images across a row: on that row both seeds are one and the same line.
    check({{160, 150, 7}, {160, 50, 70}, {40, 100, 140}, {300, 100, 210}}, "mirrored");
    check({{160, 50, 70}, {160, 150, 7}, {300, 100, 210}, {40, 100, 140}}, "mirrored, reversed");
    // A square lattice: whole rows and columns of pixels lie between two seeds, and
    // the lattice centres between four; the highest-numbered seeds come first in x.
    std::vector<Seed> lattice;
    for (int y = 300; y >= -100; y -= 40)
        for (int x = 320; x >= 0; x -= 40) lattice.push_back({x, y < 0 ? 0 : (y > 200 ? 200 : y), 1 + (x + y) % 250});
    lattice.resize(kMaxVoronoiSeeds);
    check(lattice, "lattice");
    // Seeds crowded on a few positions, in random order, so that ties of two, three
    // and more seeds meet at single pixels all over the Canvas.
    uint32_t s = 0xA11CE;
    for (int round = 0; round < 6; ++round) {
        std::vector<Seed> crowd;
        const int n = 12 + round * 20;
        for (int k = 0; k < n; ++k) {
            s = XorShift(s);
            const int x = static_cast<int>(s % 9) * 40;  // some beyond the right edge
            s = XorShift(s);
            const int y = static_cast<int>(s % 6) * 40;
            s = XorShift(s);
            crowd.push_back({x > 332 ? 332 : x, y > 200 ? 200 : y, static_cast<int>(s % 255) + 1});
        }
        check(crowd, "crowd");
    }
    // One seed alone, and every seed on one column or one row.
    check({{0, 0, 255}}, "single");
    check({{5, 0, 3}, {5, 200, 4}, {5, 100, 5}, {5, 100, 6}}, "one column");
    check({{332, 9, 3}, {0, 9, 4}, {166, 9, 5}, {100, 9, 6}}, "one row");
    ReleaseTestState();
}

TEST(Voronoi, FarRingsOnBothSidesOfTheWideCanvasLimit) {
    // Seeds at the left end only, so the right end's pixels lie almost the width away:
    // ring values near 60,000 where width plus height is 100,000, the most the loop in
    // doubles and 32-bit products takes; one column more takes the 64-bit loop.
    for (int w : {99800, 99801}) {
        UseCanvas(w, 200);
        const std::vector<Seed> seeds = {{0, 0, 255}, {3, 199, 254}, {5, 100, 128}, {2, 100, 1}};
        EXPECT_EQ(FastPicture(seeds), PlainPicture(seeds, w, 200)) << w;
    }
    ReleaseTestState();
}
