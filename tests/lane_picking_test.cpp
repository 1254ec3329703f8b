#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "modes/buddhabrot/lane_picking.h"
#include "modes/paths/vector_kernel.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

namespace {
template <int L>
struct PickTypes {
    typedef double Real __attribute__((vector_size(8 * L)));
    typedef int64_t Mask __attribute__((vector_size(8 * L)));
};

// Picks the lanes of bits from 1, 2, ..., L through a mask, as the lane counting does;
// the slots past the picked lanes are filled too but carry no meaning.
template <int L>
HUEMIX_ALWAYS_INLINE std::vector<double> Pick(unsigned bits, unsigned* bitsSeen) {
    typename PickTypes<L>::Real v;
    typename PickTypes<L>::Mask m;
    for (int lane = 0; lane < L; ++lane) {
        v[lane] = lane + 1.0;
        m[lane] = (bits >> lane & 1) ? -1 : 0;
    }
    *bitsSeen = PickBits<L>(m);
    std::vector<double> out(L, -1.0);
    StorePicked<L>(out.data(), MakeLanePick<L>(*bitsSeen), v);
    return out;
}

std::vector<double> PickTwo(unsigned bits, unsigned* seen) { return Pick<2>(bits, seen); }
#if HUEMIX_VECTOR_KERNELS
HUEMIX_TARGET_AVX2 std::vector<double> PickFour(unsigned bits, unsigned* seen) { return Pick<4>(bits, seen); }
HUEMIX_TARGET_AVX2 std::vector<double> PickEight(unsigned bits, unsigned* seen) { return Pick<8>(bits, seen); }
#endif

void ExpectEveryPick(int lanes, std::vector<double> (*pick)(unsigned, unsigned*)) {
    for (unsigned bits = 0; bits < (1u << lanes); ++bits) {
        unsigned seen = 0;
        const std::vector<double> out = pick(bits, &seen);
        ASSERT_EQ(seen, bits) << lanes << " lanes";
        int to = 0;
        for (int lane = 0; lane < lanes; ++lane) {
            if (bits >> lane & 1) {
                EXPECT_EQ(out[to++], lane + 1.0) << lanes << " lanes, bits " << bits;
            }
        }
    }
}
}  // namespace

TEST(LanePicking, EveryPickKeepsThePickedLanesInOrder) {
    ExpectEveryPick(2, PickTwo);
#if HUEMIX_VECTOR_KERNELS
    if (!KernelAvailable(kKernelAvx2)) GTEST_SKIP() << "no AVX2 here";
    ExpectEveryPick(4, PickFour);
    ExpectEveryPick(8, PickEight);
#endif
}

#pragma GCC diagnostic pop
