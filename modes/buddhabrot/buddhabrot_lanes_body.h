// The width-generic body of the Buddhabrot's lane counting, from the types of its
// vectors to CountHits. Included twice by buddhabrot_lanes.cpp: once as it stands, for
// the 2-, 4- and 8-lane paths, and once inside a namespace compiled for AVX-512, so that
// GCC keeps the comparisons of 8 doubles in vector registers there (compiled for the
// default target and inlined, they are taken apart lane by lane). No include guard.
// The helpers below take and return vectors wider than the default target's
// registers; they are always inlined into functions of the right target, so the
// calling convention the compiler warns about never comes into play.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

template <int L>
struct Lanes {
    typedef double Real __attribute__((vector_size(8 * L)));
    typedef int64_t Mask __attribute__((vector_size(8 * L)));
    typedef int32_t Half __attribute__((vector_size(4 * L)));
    typedef uint32_t Draws __attribute__((vector_size(8 * L)));  // 2 x L stretches of the stream
};

template <int L>
HUEMIX_ALWAYS_INLINE typename Lanes<L>::Draws StepDraws(const typename Lanes<L>::Draws& from) {
    typename Lanes<L>::Draws x = from;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
}

// Lanes first .. first + L - 1 of the draws as plane coordinates, as RandomUnit() x 4 - 2.
template <int L>
HUEMIX_ALWAYS_INLINE typename Lanes<L>::Real Coordinates(const typename Lanes<L>::Draws& x, int first) {
    typedef typename Lanes<L>::Half Half;
    const typename Lanes<L>::Draws low = x & 0xFFFFFFu;
    Half bits;
    std::memcpy(&bits, reinterpret_cast<const char*>(&low) + first * sizeof(int32_t), sizeof bits);
    return __builtin_convertvector(bits, typename Lanes<L>::Real) * (1.0 / 16777216.0) * 4.0 - 2.0;
}

template <int L>
HUEMIX_ALWAYS_INLINE typename Lanes<L>::Real Select(const typename Lanes<L>::Mask& take,
                                                    const typename Lanes<L>::Real& yes,
                                                    const typename Lanes<L>::Real& no) {
    typedef typename Lanes<L>::Mask Mask;
    return reinterpret_cast<typename Lanes<L>::Real>((reinterpret_cast<Mask>(yes) & take) |
                                                     (reinterpret_cast<Mask>(no) & ~take));
}

// Bulbs and the first two points of L samples: origin hits of those escaping at z(2),
// and the samples that need iterating appended to the candidates.
template <int L>
HUEMIX_ALWAYS_INLINE void SortOutSamples(LaneRun& run, typename Lanes<L>::Mask& originHits,
                                         const typename Lanes<L>::Real& sr, const typename Lanes<L>::Real& si) {
    typedef typename Lanes<L>::Mask Mask;
    typedef typename Lanes<L>::Real Real;
    const Real t = sr - 0.25;
    const Real q = t * t + si * si;
    const Mask bulbs = (0.25 * si * si > q * (q + t)) | ((sr + 1.0) * (sr + 1.0) + si * si < 0.0625);
    // z(1) = s; z(2) as the plain loop computes it from z(1).
    const Mask first = sr * sr + si * si > 4.0;
    const Real zr = sr * sr - si * si + sr;
    const Real zi = 2.0 * sr * si + si;
    const Mask second = zr * zr + zi * zi > 4.0;
    originHits -= ~bulbs & ~first & second;
    const Mask candidate = ~(bulbs | first | second);
    LaneLists& lists = *run.lists;
    const LanePick<L> pick = MakeLanePick<L>(PickBits<L>(candidate));
    const int n = run.candidates;
    StorePicked<L>(lists.sr + n, pick, sr);
    StorePicked<L>(lists.si + n, pick, si);
    run.candidates = n + __builtin_popcount(pick.bits);
}

// The pixels of L points where counted, spare counters elsewhere.
template <int L>
HUEMIX_ALWAYS_INLINE typename Lanes<L>::Half PixelsOf(const LaneHits& hits, const typename Lanes<L>::Real& x,
                                                      const typename Lanes<L>::Real& y,
                                                      const typename Lanes<L>::Mask& counting) {
    typedef typename Lanes<L>::Mask Mask;
    typedef typename Lanes<L>::Real Real;
    typedef typename Lanes<L>::Half Half;
    const Real fx = (x + kPlaneHalfSize) / hits.dx;
    const Real fy = (y + kPlaneHalfSize) / hits.dy;
    const double width = hits.width;
    const double height = hits.height;
    const Mask counted = counting & (fx > -1.0) & (fx < width) & (fy > -1.0) & (fy < height);
    const Half col = __builtin_convertvector(Select<L>(counted, fx, Real{}), Half);
    const Half row = __builtin_convertvector(Select<L>(counted, fy, Real{}), Half);
    const Half take = __builtin_convertvector(counted, Half);
    Half spare;
    for (int lane = 0; lane < L; ++lane) spare[lane] = hits.width * hits.height + lane;
    return ((row * hits.width + col) & take) | (spare & ~take);
}

// Steps from + 1 .. to of the candidates (which stand at z(from)); those escaping are
// listed with their escape index, those still inside are kept for the next stage. The
// first stage lists the pixels of its own escapes, z(1) and z(2) at most.
template <int L>
HUEMIX_ALWAYS_INLINE void RunEscapeStage(LaneRun& run, int from, int to) {
    typedef typename Lanes<L>::Mask Mask;
    typedef typename Lanes<L>::Real Real;
    // Vectors iterated together, to keep the multipliers busy without running out of
    // registers (16 below AVX-512, 32 with it).
    constexpr int kGroup = L == 8 ? 4 : 3;
    LaneLists& lists = *run.lists;
    const int n = run.candidates;
    const bool last = to == kOrbitLength;
    int kept = 0;
    int escapes = run.escapes;
    int64_t origin = run.originHits;
    const bool first = from == 0;
    static_assert(kStageEnds[0] == 4, "the first stage lists z(1) and z(2)");
    Real lanes;
    for (int lane = 0; lane < L; ++lane) lanes[lane] = lane;
    for (int p = 0; p < n; p += kGroup * L) {
        Real sr[kGroup], si[kGroup], zr[kGroup], zi[kGroup], zr2[kGroup], zi2[kGroup], at[kGroup];
        #pragma GCC unroll 4
        for (int g = 0; g < kGroup; ++g) {
            std::memcpy(&sr[g], lists.sr + p + g * L, sizeof(Real));
            std::memcpy(&si[g], lists.si + p + g * L, sizeof(Real));
            if (from == 0) {
                zr[g] = Real{};
                zi[g] = Real{};
            } else {
                std::memcpy(&zr[g], lists.zr + p + g * L, sizeof(Real));
                std::memcpy(&zi[g], lists.zi + p + g * L, sizeof(Real));
            }
            zr2[g] = zr[g] * zr[g];
            zi2[g] = zi[g] * zi[g];
            at[g] = Real{};  // 0: not escaped (yet)
        }
        for (int k = from + 1; k <= to; ++k) {
            const Real step = Real{} + static_cast<double>(k);
            #pragma GCC unroll 4
            for (int g = 0; g < kGroup; ++g) {
                const Real nr = zr2[g] - zi2[g] + sr[g];
                const Real ni = 2.0 * zr[g] * zi[g] + si[g];
                zr[g] = nr;
                zi[g] = ni;
                zr2[g] = nr * nr;
                zi2[g] = ni * ni;
                const Mask now = (zr2[g] + zi2[g] > 4.0) & (at[g] == 0.0);
                at[g] = Select<L>(now, step, at[g]);
            }
            if ((k & 7) == 0 && k < to) {
                Mask all = at[0] != 0.0;
                #pragma GCC unroll 4
                for (int g = 1; g < kGroup; ++g) all &= at[g] != 0.0;
                bool done = true;
                for (int lane = 0; lane < L; ++lane) done = done && all[lane] != 0;
                if (done) break;
            }
        }
        const int count = n - p < kGroup * L ? n - p : kGroup * L;
        if (first) {
            if (run.pixels > kPixelCapacity - 2 * kGroup * L) RaiseCounts(run);
            uint32_t* out = lists.pixel + run.pixels;
            #pragma GCC unroll 4
            for (int g = 0; g < kGroup; ++g) {
                const Mask inGroup = lanes + static_cast<double>(g * L) < static_cast<double>(count);
                const Real r2 = sr[g] * sr[g] - si[g] * si[g] + sr[g];  // z(2), as above
                const Real i2 = 2.0 * sr[g] * si[g] + si[g];
                const typename Lanes<L>::Half one = PixelsOf<L>(run.hits, sr[g], si[g], inGroup & (at[g] >= 3.0));
                const typename Lanes<L>::Half two = PixelsOf<L>(run.hits, r2, i2, inGroup & (at[g] >= 4.0));
                std::memcpy(out, &one, sizeof one);
                std::memcpy(out + L, &two, sizeof two);
                out += 2 * L;
            }
            run.pixels = static_cast<int>(out - lists.pixel);
        }
        // Lanes past the candidates neither escape nor stay. Each group's stores
        // end before the next group's candidates, which are loaded already.
        #pragma GCC unroll 4
        for (int g = 0; g < kGroup; ++g) {
            const Mask inGroup = lanes + static_cast<double>(g * L) < static_cast<double>(count);
            origin += __builtin_popcount(PickBits<L>(inGroup & (at[g] >= 2.0)));
            if (!first) {
                const LanePick<L> escaped = MakeLanePick<L>(PickBits<L>(inGroup & (at[g] >= 3.0)));
                StorePicked<L>(lists.escapeSr + escapes, escaped, sr[g]);
                StorePicked<L>(lists.escapeSi + escapes, escaped, si[g]);
                StorePicked<L>(lists.escapeAt + escapes, escaped, at[g]);
                escapes += __builtin_popcount(escaped.bits);
            }
            if (!last) {
                const LanePick<L> inside = MakeLanePick<L>(PickBits<L>(inGroup & (at[g] == 0.0)));
                StorePicked<L>(lists.sr + kept, inside, sr[g]);
                StorePicked<L>(lists.si + kept, inside, si[g]);
                StorePicked<L>(lists.zr + kept, inside, zr[g]);
                StorePicked<L>(lists.zi + kept, inside, zi[g]);
                kept += __builtin_popcount(inside.bits);
            }
        }
    }
    run.candidates = last ? 0 : kept;
    run.escapes = escapes;
    run.originHits = origin;
}

// The escapes in order of their escape index, so that the lanes of a vector trace
// orbits of about the same length.
void SortEscapes(LaneRun& run) {
    LaneLists& lists = *run.lists;
    int start[kOrbitLength + 2] = {};
    const int n = run.escapes;
    for (int i = 0; i < n; ++i) ++start[static_cast<int>(lists.escapeAt[i]) + 1];
    for (int e = 1; e <= kOrbitLength + 1; ++e) start[e] += start[e - 1];
    for (int i = 0; i < n; ++i) {
        const int to = start[static_cast<int>(lists.escapeAt[i])]++;
        lists.sortedSr[to] = lists.escapeSr[i];
        lists.sortedSi[to] = lists.escapeSi[i];
        lists.sortedAt[to] = lists.escapeAt[i];
    }
}

// Pixels of z(1) .. z(e - 2) of every listed escape. A lane whose orbit is done, in a
// vector whose other lanes go on, lists a spare counter past the Canvas instead.
template <int L>
HUEMIX_ALWAYS_INLINE void ListEscapePixels(LaneRun& run) {
    typedef typename Lanes<L>::Real Real;
    typedef typename Lanes<L>::Half Half;
    constexpr int kGroup = 2;
    LaneLists& lists = *run.lists;
    const int n = run.escapes;
    SortEscapes(run);
    for (int i = n; i < n + kGroup * L; ++i) lists.sortedAt[i] = 0.0;  // pads count nothing
    for (int p = 0; p < n; p += kGroup * L) {
        if (run.pixels > kPixelCapacity - kGroup * L * kMostPointsPerSample) RaiseCounts(run);
        const int last = p + kGroup * L - 1 < n ? p + kGroup * L - 1 : n - 1;
        const int points = static_cast<int>(lists.sortedAt[last]) - 2;
        Real sr[kGroup], si[kGroup], zr[kGroup], zi[kGroup], at[kGroup];
        #pragma GCC unroll 4
        for (int g = 0; g < kGroup; ++g) {
            std::memcpy(&sr[g], lists.sortedSr + p + g * L, sizeof(Real));
            std::memcpy(&si[g], lists.sortedSi + p + g * L, sizeof(Real));
            std::memcpy(&at[g], lists.sortedAt + p + g * L, sizeof(Real));
            zr[g] = sr[g];  // z(1) = s
            zi[g] = si[g];
        }
        uint32_t* out = lists.pixel + run.pixels;
        for (int k = 1; k <= points; ++k) {
            #pragma GCC unroll 4
            for (int g = 0; g < kGroup; ++g) {
                if (k > 1) {
                    const Real nr = zr[g] * zr[g] - zi[g] * zi[g] + sr[g];
                    const Real ni = 2.0 * zr[g] * zi[g] + si[g];
                    zr[g] = nr;
                    zi[g] = ni;
                }
                const Half pixel = PixelsOf<L>(run.hits, zr[g], zi[g], at[g] >= k + 2.0);
                std::memcpy(out, &pixel, sizeof pixel);
                out += L;
            }
        }
        run.pixels = static_cast<int>(out - lists.pixel);
    }
    run.escapes = 0;
}

// Runs the candidates through the escape stages; the escapes are traced once enough
// of them have gathered (or at the end), so that sorting finds many of each length.
template <int L>
HUEMIX_ALWAYS_INLINE void IterateCandidates(LaneRun& run, bool end) {
    int from = 0;
    for (int to : kStageEnds) {
        if (run.candidates == 0) break;
        RunEscapeStage<L>(run, from, to);
        from = to;
    }
    run.candidates = 0;
    if (end || run.escapes > kEscapeCapacity - kListCapacity) ListEscapePixels<L>(run);
}

// The whole counting at L lanes, into hits.counts or (bytes not null) one thread's
// byte counters. `jump` may give the jump over one stretch, 2 x (samples / (4 x L))
// steps, made once for many countings of the same size.
template <int L>
HUEMIX_ALWAYS_INLINE void CountHits(const LaneHits& hits, int64_t samples, uint32_t* state,
                                    const XorShiftJump* stretchJump, LaneLists* lists, uint8_t* bytes) {
    typedef typename Lanes<L>::Draws Draws;
    typedef typename Lanes<L>::Mask Mask;
    constexpr int kStretches = 4 * L;  // two registers of draws
    LaneRun run{hits, 0, 0, 0, 0, lists, bytes};
    // Stretch j takes samples j x perStretch .. (j + 1) x perStretch - 1; the few left
    // over come after the last stretch.
    const int64_t perStretch = samples / kStretches;
    const XorShiftJump jump = stretchJump ? *stretchJump : XorShiftJumpOf(2 * static_cast<uint64_t>(perStretch));
    Draws draws[2] = {Draws{}, Draws{}};
    uint32_t start = *state;
    for (int j = 0; j < kStretches; ++j) {
        draws[j / (2 * L)][j % (2 * L)] = start;
        start = ApplyJump(jump, start);
    }
    Mask originHits = Mask{};
    for (int64_t done = 0; done < perStretch;) {
        int steps = kBlockSamples / kStretches;
        if (perStretch - done < steps) steps = static_cast<int>(perStretch - done);
        for (int s = 0; s < steps; ++s) {
            for (int r = 0; r < 2; ++r) {
                const Draws re = StepDraws<L>(draws[r]);
                const Draws im = StepDraws<L>(re);
                draws[r] = im;
                SortOutSamples<L>(run, originHits, Coordinates<L>(re, 0), Coordinates<L>(im, 0));
                SortOutSamples<L>(run, originHits, Coordinates<L>(re, L), Coordinates<L>(im, L));
            }
        }
        done += steps;
        if (done < perStretch) IterateCandidates<L>(run, false);
    }
    // The last stretch ends where the left-over samples begin.
    uint32_t x = perStretch > 0 ? draws[1][2 * L - 1] : *state;
    for (int64_t i = perStretch * kStretches; i < samples; ++i) {
        x = XorShift(x);
        const double sr = (x & 0xFFFFFFu) * (1.0 / 16777216.0) * 4.0 - 2.0;
        x = XorShift(x);
        const double si = (x & 0xFFFFFFu) * (1.0 / 16777216.0) * 4.0 - 2.0;
        if (InBuddhabrotBulbs(sr, si)) continue;
        lists->sr[run.candidates] = sr;
        lists->si[run.candidates] = si;
        ++run.candidates;
    }
    *state = x;
    IterateCandidates<L>(run, true);
    RaiseCounts(run);
    for (int lane = 0; lane < L; ++lane) run.originHits += originHits[lane];  // each lane counted up

    // z(0) = 0 lands where every orbit starts.
    const double fx = (0.0 + kPlaneHalfSize) / hits.dx;
    const double fy = (0.0 + kPlaneHalfSize) / hits.dy;
    if (fx > -1.0 && fx < hits.width && fy > -1.0 && fy < hits.height) {
        uint32_t& origin = hits.counts[static_cast<size_t>(static_cast<int>(fy)) * hits.width + static_cast<int>(fx)];
        if (bytes) {
            std::atomic_ref<uint32_t>(origin).fetch_add(static_cast<uint32_t>(run.originHits), std::memory_order_relaxed);
        } else {
            origin += static_cast<uint32_t>(run.originHits);
        }
    }
}
