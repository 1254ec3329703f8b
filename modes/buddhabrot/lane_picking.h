// Packing the picked lanes of a vector of doubles to the front, in lane order, so
// that a list grows by a whole vector store instead of one store per lane. With GCC
// on x86-64, 4 and 8 lanes move by one permutation per 4 lanes, looked up by the
// pick's bits; elsewhere (and at 2 lanes) each lane is stored in turn. Every store
// writes all L doubles: the places past the picked ones hold leftovers, which the
// lists' owners never read.
#pragma once
#include <cstdint>
#include <cstring>

#include "modes/paths/vector_kernel.h"

#if HUEMIX_VECTOR_KERNELS && !defined(__clang__)
#define HUEMIX_LANE_PERMUTE 1
#else
#define HUEMIX_LANE_PERMUTE 0
#endif

// These helpers take and return vectors wider than the default target's registers;
// they are always inlined into functions of the right target.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

namespace lane_picking {
#if HUEMIX_LANE_PERMUTE
// GCC declares the builtins of a target once some function is declared for it; they
// are used below only in code inlined into functions of that target.
HUEMIX_TARGET_AVX2 void DeclareAvx2Builtins();
#endif
typedef int32_t Words8 __attribute__((vector_size(32)));
typedef double Doubles4 __attribute__((vector_size(32)));

// For each pick of 4 lanes (bit i = lane i), the 32-bit words of the picked doubles
// first, in lane order.
struct PermuteTable {
    alignas(32) int32_t words[16][8];
};
constexpr PermuteTable MakePermuteTable() {
    PermuteTable table{};
    for (int bits = 0; bits < 16; ++bits) {
        int to = 0;
        for (int lane = 0; lane < 4; ++lane) {
            if (!(bits >> lane & 1)) continue;
            table.words[bits][2 * to] = 2 * lane;
            table.words[bits][2 * to + 1] = 2 * lane + 1;
            ++to;
        }
    }
    return table;
}
inline constexpr PermuteTable kPermuteTable = MakePermuteTable();
}  // namespace lane_picking

// The lanes picked by a mask of L lanes (each lane all ones or all zeros), as bits.
template <int L, class Mask>
HUEMIX_ALWAYS_INLINE unsigned PickBits(const Mask& picked) {
#if HUEMIX_LANE_PERMUTE
    if constexpr (L >= 4) {
        unsigned bits = 0;
        for (int h = 0; h < L / 4; ++h) {
            lane_picking::Doubles4 half;
            std::memcpy(&half, reinterpret_cast<const char*>(&picked) + 32 * h, sizeof half);
            bits |= static_cast<unsigned>(__builtin_ia32_movmskpd256(half)) << (4 * h);
        }
        return bits;
    }
#endif
    unsigned bits = 0;
    for (int lane = 0; lane < L; ++lane) bits |= static_cast<unsigned>(picked[lane] & 1) << lane;
    return bits;
}

// Where the picked lanes of one pick go: the permutations of its halves of 4 lanes.
template <int L>
struct LanePick {
    unsigned bits;
#if HUEMIX_LANE_PERMUTE
    lane_picking::Words8 order[L >= 4 ? L / 4 : 1];
    int lowCount;  // picked lanes of the low half of 8
#endif
};

template <int L>
HUEMIX_ALWAYS_INLINE LanePick<L> MakeLanePick(unsigned bits) {
    LanePick<L> pick;
    pick.bits = bits;
#if HUEMIX_LANE_PERMUTE
    if constexpr (L >= 4) {
        for (int h = 0; h < L / 4; ++h) {
            std::memcpy(&pick.order[h], lane_picking::kPermuteTable.words[(bits >> (4 * h)) & 15],
                        sizeof pick.order[h]);
        }
        pick.lowCount = __builtin_popcount(bits & 15);
    }
#endif
    return pick;
}

// Stores the picked lanes of v at out[0], out[1], ...; writes out[0 .. L - 1].
template <int L, class Real>
HUEMIX_ALWAYS_INLINE void StorePicked(double* out, const LanePick<L>& pick, const Real& v) {
#if HUEMIX_LANE_PERMUTE
    if constexpr (L >= 4) {
        for (int h = 0; h < L / 4; ++h) {
            lane_picking::Doubles4 half;
            std::memcpy(&half, reinterpret_cast<const char*>(&v) + 32 * h, sizeof half);
            const lane_picking::Words8 moved =
                __builtin_ia32_permvarsi256(reinterpret_cast<lane_picking::Words8>(half), pick.order[h]);
            std::memcpy(out + (h == 0 ? 0 : pick.lowCount), &moved, sizeof moved);
        }
        return;
    }
#endif
    int to = 0;
    for (int lane = 0; lane < L; ++lane) {
        out[to] = v[lane];
        to += static_cast<int>(pick.bits >> lane & 1);
    }
}

#pragma GCC diagnostic pop
