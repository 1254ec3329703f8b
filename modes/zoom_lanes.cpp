// The zoom's cells iterated several at a time. The cells are taken in buffer order, a
// group of as many as a vector holds at a time; several groups are iterated in turn, so
// that their independent chains of additions and multiplications overlap, and a group
// whose points have all escaped makes way for the next cells at once.
//
// Every lane does the operations of ZoomPointIndex in its order, so the counts are the
// same bit for bit: zr^2 and zi^2 of one iteration are the squares the escape test just
// computed, and zr + zr is exactly 2.0 x zr. A lane that has escaped goes on iterating
// (towards infinity and NaN) but no longer counts.
#include "modes/zoom_lanes.h"

#include <cstddef>
#include <cstring>

#if HUEMIX_VECTOR_KERNELS
#include <immintrin.h>

namespace {
template <int Lanes>
struct LaneTypes {
    typedef double Real __attribute__((vector_size(Lanes * sizeof(double))));
    typedef int64_t Flags __attribute__((vector_size(Lanes * sizeof(double))));
};

template <int Lanes>
struct CellGroup {
    typename LaneTypes<Lanes>::Real zr, zi, zr2, zi2, pr, pi;
    typename LaneTypes<Lanes>::Flags count;    // iterations done while still inside
    typename LaneTypes<Lanes>::Flags running;  // all ones until the lane escapes
    int first;       // buffer index of the group's first cell
    int iterations;  // done by the group so far
};

// Where the next group starts, and what every group needs.
struct CellStream {
    ZoomCells view;
    int total;    // cells in the buffer
    int next;     // index of the next cell to start
    int row;      // its row and column
    int col;
    double rowPi;  // imaginary part of the row's points
    int live;      // groups holding cells of the buffer
    uint8_t colourOf[kZoomLanesMaxLimit + 2];  // index for each count 0..limit + 1
};

// A point outside the radius, so a lane past the last cell escapes at once.
constexpr double kOutside = 4.0;

double RowPi(const ZoomCells& view, int row) {
    return (row - view.height * 0.5) * view.step + view.centreY;
}

template <int Lanes>
HUEMIX_ALWAYS_INLINE void StartGroup(CellGroup<Lanes>& group, CellStream& stream) {
    alignas(64) double pr[Lanes];
    alignas(64) double pi[Lanes];
    const ZoomCells& view = stream.view;
    for (int lane = 0; lane < Lanes; ++lane) {
        if (stream.next + lane < stream.total) {
            pr[lane] = (stream.col - view.width * 0.5) * view.step + view.centreX;
            pi[lane] = stream.rowPi;
            if (++stream.col == view.width) {
                stream.col = 0;
                stream.rowPi = RowPi(view, ++stream.row);
            }
        } else {
            pr[lane] = kOutside;
            pi[lane] = kOutside;
        }
    }
    group.first = stream.next;
    stream.next += Lanes;
    std::memcpy(&group.pr, pr, sizeof group.pr);
    std::memcpy(&group.pi, pi, sizeof group.pi);
    group.zr = group.zi = group.zr2 = group.zi2 = typename LaneTypes<Lanes>::Real{};
    group.count = typename LaneTypes<Lanes>::Flags{};
    group.running = ~typename LaneTypes<Lanes>::Flags{};
    group.iterations = 0;
}

template <int Lanes>
HUEMIX_ALWAYS_INLINE void FinishGroup(const CellGroup<Lanes>& group, CellStream& stream) {
    alignas(64) int64_t count[Lanes];
    std::memcpy(count, &group.count, sizeof count);
    const int lanes = stream.total - group.first < Lanes ? stream.total - group.first : Lanes;
    for (int lane = 0; lane < lanes; ++lane) {
        stream.view.cells[group.first + lane] = stream.colourOf[count[lane]];
    }
}

// One iteration of every lane, in the order of ZoomPointIndex.
template <int Lanes>
HUEMIX_ALWAYS_INLINE void Iterate(CellGroup<Lanes>& group) {
    typedef typename LaneTypes<Lanes>::Flags Flags;
    const typename LaneTypes<Lanes>::Real nr = (group.zr2 - group.zi2) + group.pr;
    const typename LaneTypes<Lanes>::Real ni = (group.zr + group.zr) * group.zi + group.pi;
    group.zr = nr;
    group.zi = ni;
    group.count -= group.running;
    group.zr2 = nr * nr;
    group.zi2 = ni * ni;
    group.running &= static_cast<Flags>(group.zr2 + group.zi2 <= 4.0);
}

// True while some lane has not escaped; each vector width has its own test.
HUEMIX_ALWAYS_INLINE bool AnyRunning(const LaneTypes<2>::Flags& running) {
    return _mm_movemask_pd(reinterpret_cast<__m128d>(running)) != 0;
}

HUEMIX_TARGET_AVX2 inline bool AnyRunning(const LaneTypes<4>::Flags& running) {
    return _mm256_movemask_pd(reinterpret_cast<__m256d>(running)) != 0;
}

HUEMIX_TARGET_AVX2 inline bool AnyRunning(const LaneTypes<8>::Flags& running) {
    LaneTypes<4>::Flags low;
    LaneTypes<4>::Flags high;
    std::memcpy(&low, &running, sizeof low);
    std::memcpy(&high, reinterpret_cast<const char*>(&running) + sizeof low, sizeof high);
    return AnyRunning(low | high);
}

// The whole buffer, Groups groups of Lanes cells at a time. A group is finished when all
// its lanes have escaped or it has done limit iterations; two iterations run between
// checks, and a lane still inside after limit + 1 of them counts as inside all the same.
template <int Lanes, int Groups>
HUEMIX_ALWAYS_INLINE void RenderCells(const ZoomCells& view) {
    CellStream stream;
    stream.view = view;
    stream.total = view.width * view.height;
    stream.next = 0;
    stream.row = 0;
    stream.col = 0;
    stream.rowPi = RowPi(view, 0);
    stream.live = 0;
    for (int k = 0; k <= view.limit + 1; ++k) {
        const int count = k < view.limit ? k : view.limit;
        stream.colourOf[k] = static_cast<uint8_t>(count == view.limit ? 0 : 1 + 254 * count / view.limit);
    }

    CellGroup<Lanes> groups[Groups];
    for (int g = 0; g < Groups; ++g) {
        if (stream.next < stream.total) {
            StartGroup(groups[g], stream);
            ++stream.live;
        } else {
            StartGroup(groups[g], stream);  // only outside points: finished at once
            groups[g].first = stream.total;
        }
    }
    while (stream.live > 0) {
        for (int g = 0; g < Groups; ++g) Iterate(groups[g]);
        for (int g = 0; g < Groups; ++g) Iterate(groups[g]);
        for (int g = 0; g < Groups; ++g) {
            groups[g].iterations += 2;
            if (groups[g].iterations < view.limit && AnyRunning(groups[g].running)) continue;
            if (groups[g].first >= stream.total) continue;  // spent: idles until the others end
            FinishGroup(groups[g], stream);
            if (stream.next < stream.total) {
                StartGroup(groups[g], stream);
            } else {
                groups[g].first = stream.total;
                --stream.live;
            }
        }
    }
}
}  // namespace

#define HUEMIX_FLATTEN __attribute__((flatten))

HUEMIX_FLATTEN void RenderZoomCellsSse2(const ZoomCells& view) { RenderCells<2, 6>(view); }

HUEMIX_TARGET_AVX2 HUEMIX_FLATTEN void RenderZoomCellsAvx2(const ZoomCells& view) {
    RenderCells<4, 3>(view);
}

HUEMIX_TARGET_AVX512 HUEMIX_FLATTEN void RenderZoomCellsAvx512(const ZoomCells& view) {
    RenderCells<8, 3>(view);
}

HUEMIX_TARGET_AVX2 HUEMIX_FLATTEN void RenderZoomCellsAvx512OnAvx2(const ZoomCells& view) {
    RenderCells<8, 3>(view);
}
#endif
