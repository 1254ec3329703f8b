// The zoom's cells iterated several at a time. The cells are taken in buffer order, a
// group of as many as a vector holds at a time; several groups are iterated in turn, so
// that their independent chains of additions and multiplications overlap, and a group
// whose points have all escaped makes way for the next cells at once.
//
// Every lane does the operations of ZoomPointIndex in its order, so the counts are the
// same bit for bit: zr^2 and zi^2 of one iteration are the squares the escape test just
// computed, and zr + zr is exactly 2.0 x zr. A lane that has escaped goes on iterating
// (towards infinity and NaN) but no longer counts.
#include "modes/zoom/zoom_lanes.h"

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
    typename LaneTypes<Lanes>::Real zr, zi, pr, pi;
    typename LaneTypes<Lanes>::Flags count;    // iterations done while still inside
    typename LaneTypes<Lanes>::Flags running;  // all ones until an escape has been seen
    int first;       // buffer index of the group's first cell
    int iterations;  // done by the group so far
};

// Iterations between two looks at whether a group is done.
constexpr int kStepsPerCheck = 8;

// Where the next group starts, and what every group needs.
struct CellStream {
    ZoomCells view;
    int total;    // cells in the buffer
    int next;     // index of the next cell to start
    int row;      // its row and column
    int col;
    double rowPi;  // imaginary part of the row's points
    int live;      // groups holding cells of the buffer
    uint8_t colourOf[kZoomLanesMaxLimit + kStepsPerCheck];  // index of each count
};

// A point outside the radius, so a lane past the last cell escapes at once.
constexpr double kOutside = 4.0;

double RowPi(const ZoomCells& view, int row) {
    return (row - view.height * 0.5) * view.step + view.centreY;
}

// The group's points, one lane at a time: for the group that reaches into the next row
// and the one past the last cell.
template <int Lanes>
HUEMIX_ALWAYS_INLINE void StartPointsOneByOne(CellGroup<Lanes>& group, CellStream& stream) {
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
    std::memcpy(&group.pr, pr, sizeof group.pr);
    std::memcpy(&group.pi, pi, sizeof group.pi);
}

// The next Lanes cells of the buffer. Within a row the real parts come as a vector, by
// the same operations on the same column numbers (exact in doubles).
template <int Lanes>
HUEMIX_ALWAYS_INLINE void StartGroup(CellGroup<Lanes>& group, CellStream& stream) {
    const ZoomCells& view = stream.view;
    if (stream.col + Lanes < view.width && stream.next + Lanes <= stream.total) {
        typename LaneTypes<Lanes>::Real columns;
        for (int lane = 0; lane < Lanes; ++lane) {
            columns[lane] = stream.col + lane;
            group.pi[lane] = stream.rowPi;
        }
        group.pr = (columns - view.width * 0.5) * view.step + view.centreX;
        stream.col += Lanes;
    } else {
        StartPointsOneByOne(group, stream);
    }
    group.first = stream.next;
    stream.next += Lanes;
    group.zr = group.zi = typename LaneTypes<Lanes>::Real{};
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

// One iteration of every lane, in the order of ZoomPointIndex. The escape test of the
// previous iteration comes first, on the squares this iteration needs anyway: a lane
// counts an iteration only while all its earlier tests have passed.
template <int Lanes>
HUEMIX_ALWAYS_INLINE void Iterate(CellGroup<Lanes>& group) {
    typedef typename LaneTypes<Lanes>::Real Real;
    typedef typename LaneTypes<Lanes>::Flags Flags;
    const Real zr2 = group.zr * group.zr;
    const Real zi2 = group.zi * group.zi;
    group.running &= static_cast<Flags>(zr2 + zi2 <= 4.0);
    group.count -= group.running;
    const Real ni = (group.zr + group.zr) * group.zi + group.pi;
    group.zr = (zr2 - zi2) + group.pr;
    group.zi = ni;
}

// True while some lane has not escaped; each vector width has its own test.
HUEMIX_ALWAYS_INLINE bool AnyRunning(const LaneTypes<2>::Flags& running) {
    return _mm_movemask_pd(reinterpret_cast<__m128d>(running)) != 0;
}

#if HUEMIX_WIDE_KERNELS
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
#endif

// Groups held as nested members rather than an array, so that the compiler keeps each
// one in registers.
template <int Lanes, int Count>
struct GroupSet {
    CellGroup<Lanes> head;
    GroupSet<Lanes, Count - 1> tail;
};

template <int Lanes>
struct GroupSet<Lanes, 0> {};

template <int Lanes, int Count>
HUEMIX_ALWAYS_INLINE void StartGroups(GroupSet<Lanes, Count>& set, CellStream& stream) {
    if constexpr (Count > 0) {
        const bool cellsLeft = stream.next < stream.total;
        StartGroup(set.head, stream);
        if (cellsLeft) {
            ++stream.live;
        } else {
            set.head.first = stream.total;  // only points outside: finished at once
        }
        StartGroups(set.tail, stream);
    }
}

template <int Lanes, int Count>
HUEMIX_ALWAYS_INLINE void IterateGroups(GroupSet<Lanes, Count>& set) {
    if constexpr (Count > 0) {
        Iterate(set.head);
        IterateGroups(set.tail);
    }
}

// After kStepsPerCheck iterations: a group whose lanes have all escaped, or that has done limit
// iterations, hands in its cells and takes the next ones; once none are left it idles
// (and is no longer live) until the others end.
template <int Lanes, int Count>
HUEMIX_ALWAYS_INLINE void RefillGroups(GroupSet<Lanes, Count>& set, CellStream& stream) {
    if constexpr (Count > 0) {
        CellGroup<Lanes>& group = set.head;
        group.iterations += kStepsPerCheck;
        if ((group.iterations >= stream.view.limit || !AnyRunning(group.running)) &&
            group.first < stream.total) {
            FinishGroup(group, stream);
            if (stream.next < stream.total) {
                StartGroup(group, stream);
            } else {
                group.first = stream.total;
                --stream.live;
            }
        }
        RefillGroups(set.tail, stream);
    }
}

// Rows firstRow .. endRow - 1 of the buffer, Groups groups of Lanes cells at a time. kStepsPerCheck iterations run
// between looks at the groups, so where the limit is no multiple of it a lane may run a
// few more than limit: a count above limit is inside all the same, as after limit.
template <int Lanes, int Groups>
HUEMIX_ALWAYS_INLINE void RenderCells(const ZoomCells& view, int firstRow, int endRow) {
    CellStream stream;
    stream.view = view;
    stream.view.cells = view.cells + static_cast<size_t>(firstRow) * view.width;  // cell 0 of the stream
    stream.total = view.width * (endRow - firstRow);
    stream.next = 0;
    stream.row = firstRow;
    stream.col = 0;
    stream.rowPi = RowPi(view, firstRow);
    stream.live = 0;
    for (int k = 0; k < view.limit + kStepsPerCheck; ++k) {
        const int count = k < view.limit ? k : view.limit;
        stream.colourOf[k] = static_cast<uint8_t>(count == view.limit ? 0 : 1 + 254 * count / view.limit);
    }

    GroupSet<Lanes, Groups> groups;
    StartGroups(groups, stream);
    while (stream.live > 0) {
        for (int step = 0; step < kStepsPerCheck; ++step) IterateGroups(groups);
        RefillGroups(groups, stream);
    }
}
}  // namespace

#define HUEMIX_FLATTEN __attribute__((flatten))

HUEMIX_FLATTEN void RenderZoomCellsSse2(const ZoomCells& view, int firstRow, int endRow) {
    RenderCells<2, 5>(view, firstRow, endRow);
}

#if HUEMIX_WIDE_KERNELS
HUEMIX_TARGET_AVX2 HUEMIX_FLATTEN void RenderZoomCellsAvx2(const ZoomCells& view, int firstRow, int endRow) {
    RenderCells<4, 4>(view, firstRow, endRow);
}

HUEMIX_TARGET_AVX512 HUEMIX_FLATTEN void RenderZoomCellsAvx512(const ZoomCells& view, int firstRow, int endRow) {
    RenderCells<8, 3>(view, firstRow, endRow);
}

HUEMIX_TARGET_AVX2 HUEMIX_FLATTEN void RenderZoomCellsAvx512OnAvx2(const ZoomCells& view, int firstRow,
                                                                    int endRow) {
    RenderCells<8, 3>(view, firstRow, endRow);
}
#endif
#endif
