// Row loops of the reaction-diffusion step: the plain reference, and one width-generic
// vector loop, which never meets a subnormal number, compiled for 128-, 256- and 512-bit
// vectors.
#include "modes/reaction_rows.h"

#include "modes/reaction_lanes.h"

namespace {
constexpr float kDiffusionU = 0.16f;
constexpr float kDiffusionV = 0.08f;

// One cell; every operation is a separate single-precision rounding in a fixed order
// (the build forbids fused multiply-adds), so a seed gives the same pattern on every
// machine and with vectors of any width.
HUEMIX_ALWAYS_INLINE void StepCell(const float* un, const float* uc, const float* us,
                                   const float* vn, const float* vc, const float* vs, float* uo,
                                   float* vo, int col, float feed, float feedPlusKill) {
    const float cu = uc[col];
    const float cv = vc[col];
    const float lu = ((uc[col - 1] + uc[col + 1]) + un[col]) + us[col] - 4.0f * cu;
    const float lv = ((vc[col - 1] + vc[col + 1]) + vn[col]) + vs[col] - 4.0f * cv;
    const float q = cu * cv * cv;
    uo[col] = ((kDiffusionU * lu + cu) - q) + feed * (1.0f - cu);
    vo[col] = ((kDiffusionV * lv + cv) + q) - feedPlusKill * cv;
}

#if HUEMIX_VECTOR_KERNELS
using reaction_lanes::Stencil;
using reaction_lanes::StepLanes;

// A whole row: vectors from column 1 on, and a last vector ending at column gw - 2 that
// may overlap the one before it (those cells are computed twice, to the same values).
// A row narrower than one vector is computed in a padded copy, so that it too takes the
// routes that never meet a subnormal.
template <int kLanes>
HUEMIX_ALWAYS_INLINE void StepRowLanes(const float* un, const float* uc, const float* us,
                                       const float* vn, const float* vc, const float* vs,
                                       float* uo, float* vo, int gw, float feed,
                                       float feedPlusKill) {
    const int last = gw - 1 - kLanes;
    if (last < 1) {
        constexpr int kPadded = kLanes + 2;
        float rows[8][kPadded] = {};
        const float* in[6] = {un, uc, us, vn, vc, vs};
        for (int r = 0; r < 6; ++r) __builtin_memcpy(rows[r], in[r], gw * sizeof(float));
        const Stencil padded{rows[0], rows[1], rows[2], rows[3], rows[4], rows[5]};
        StepLanes<kLanes>(padded, rows[6], rows[7], 1, feed, feedPlusKill);
        __builtin_memcpy(uo + 1, rows[6] + 1, (gw - 2) * sizeof(float));
        __builtin_memcpy(vo + 1, rows[7] + 1, (gw - 2) * sizeof(float));
        return;
    }
    const Stencil s{un, uc, us, vn, vc, vs};
    for (int col = 1; col < last; col += kLanes) StepLanes<kLanes>(s, uo, vo, col, feed, feedPlusKill);
    StepLanes<kLanes>(s, uo, vo, last, feed, feedPlusKill);
}

void StepRowSse2(const float* un, const float* uc, const float* us, const float* vn,
                 const float* vc, const float* vs, float* uo, float* vo, int gw, float feed,
                 float feedPlusKill) {
    StepRowLanes<4>(un, uc, us, vn, vc, vs, uo, vo, gw, feed, feedPlusKill);
}
#endif

#if HUEMIX_WIDE_KERNELS

HUEMIX_TARGET_AVX2 void StepRowAvx2(const float* un, const float* uc, const float* us,
                                    const float* vn, const float* vc, const float* vs, float* uo,
                                    float* vo, int gw, float feed, float feedPlusKill) {
    StepRowLanes<8>(un, uc, us, vn, vc, vs, uo, vo, gw, feed, feedPlusKill);
}

HUEMIX_TARGET_AVX2 void StepRowWideOnAvx2(const float* un, const float* uc, const float* us,
                                          const float* vn, const float* vc, const float* vs,
                                          float* uo, float* vo, int gw, float feed,
                                          float feedPlusKill) {
    StepRowLanes<16>(un, uc, us, vn, vc, vs, uo, vo, gw, feed, feedPlusKill);
}

HUEMIX_TARGET_AVX512 void StepRowAvx512(const float* un, const float* uc, const float* us,
                                        const float* vn, const float* vc, const float* vs,
                                        float* uo, float* vo, int gw, float feed,
                                        float feedPlusKill) {
    StepRowLanes<16>(un, uc, us, vn, vc, vs, uo, vo, gw, feed, feedPlusKill);
}
#endif
}  // namespace

void ReactionRowPlain(const float* un, const float* uc, const float* us, const float* vn,
                      const float* vc, const float* vs, float* uo, float* vo, int gw, float feed,
                      float feedPlusKill) {
    for (int col = 1; col < gw - 1; ++col) {
        StepCell(un, uc, us, vn, vc, vs, uo, vo, col, feed, feedPlusKill);
    }
}

ReactionRowFunction ReactionRowFor(VectorKernel kernel) {
#if HUEMIX_VECTOR_KERNELS
    switch (kernel) {
        case kKernelSse2:
            return StepRowSse2;
#if HUEMIX_WIDE_KERNELS
        case kKernelAvx2:
            return StepRowAvx2;
        case kKernelAvx512:
            return StepRowAvx512;
#else
        case kKernelAvx2:
        case kKernelAvx512:
#endif
        case kKernelPlain:
            break;
    }
#else
    (void)kernel;
#endif
    return ReactionRowPlain;
}

ReactionRowFunction ReactionRowWideOnAvx2() {
#if HUEMIX_WIDE_KERNELS
    if (KernelAvailable(kKernelAvx2)) return StepRowWideOnAvx2;
#endif
    return nullptr;
}
