// Row loops of the reaction-diffusion step: the plain reference and one width-generic
// vector loop compiled for 128-, 256- and 512-bit vectors.
#include "modes/reaction_rows.h"


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
// Vector values passed and returned change the calling convention; the helpers below
// are always inlined into one code path, so no call ever passes one.
#pragma GCC diagnostic ignored "-Wpsabi"

template <int kLanes>
struct Lanes {
    typedef float Floats __attribute__((vector_size(4 * kLanes)));
};

// The vector of floats at p, any float's address. Copied rather than dereferenced: a
// vector type's own alignment is its size, which a row position does not have, and
// not every compiler lowers the alignment of a dependent typedef.
template <int kLanes>
HUEMIX_ALWAYS_INLINE typename Lanes<kLanes>::Floats At(const float* p) {
    typename Lanes<kLanes>::Floats v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

template <int kLanes>
HUEMIX_ALWAYS_INLINE void Put(float* p, const typename Lanes<kLanes>::Floats& v) {
    __builtin_memcpy(p, &v, sizeof v);
}

// kLanes cells from column col on, to the very values of StepCell.
template <int kLanes>
HUEMIX_ALWAYS_INLINE void StepLanes(const float* un, const float* uc, const float* us,
                                    const float* vn, const float* vc, const float* vs, float* uo,
                                    float* vo, int col, float feed, float feedPlusKill) {
    using F = typename Lanes<kLanes>::Floats;
    const F cu = At<kLanes>(uc + col);
    const F cv = At<kLanes>(vc + col);
    const F lu = ((At<kLanes>(uc + col - 1) + At<kLanes>(uc + col + 1)) + At<kLanes>(un + col)) +
                 At<kLanes>(us + col) - 4.0f * cu;
    const F lv = ((At<kLanes>(vc + col - 1) + At<kLanes>(vc + col + 1)) + At<kLanes>(vn + col)) +
                 At<kLanes>(vs + col) - 4.0f * cv;
    const F q = cu * cv * cv;
    Put<kLanes>(uo + col, ((kDiffusionU * lu + cu) - q) + feed * (1.0f - cu));
    Put<kLanes>(vo + col, ((kDiffusionV * lv + cv) + q) - feedPlusKill * cv);
}

// A whole row: vectors from column 1 on, and a last vector ending at column gw - 2 that
// may overlap the one before it (those cells are computed twice, to the same values).
template <int kLanes>
HUEMIX_ALWAYS_INLINE void StepRowLanes(const float* un, const float* uc, const float* us,
                                       const float* vn, const float* vc, const float* vs,
                                       float* uo, float* vo, int gw, float feed,
                                       float feedPlusKill) {
    const int last = gw - 1 - kLanes;
    if (last < 1) {
        for (int col = 1; col < gw - 1; ++col) {
            StepCell(un, uc, us, vn, vc, vs, uo, vo, col, feed, feedPlusKill);
        }
        return;
    }
    for (int col = 1; col < last; col += kLanes) {
        StepLanes<kLanes>(un, uc, us, vn, vc, vs, uo, vo, col, feed, feedPlusKill);
    }
    StepLanes<kLanes>(un, uc, us, vn, vc, vs, uo, vo, last, feed, feedPlusKill);
}

void StepRowSse2(const float* un, const float* uc, const float* us, const float* vn,
                 const float* vc, const float* vs, float* uo, float* vo, int gw, float feed,
                 float feedPlusKill) {
    StepRowLanes<4>(un, uc, us, vn, vc, vs, uo, vo, gw, feed, feedPlusKill);
}

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
        case kKernelAvx2:
            return StepRowAvx2;
        case kKernelAvx512:
            return StepRowAvx512;
        case kKernelPlain:
            break;
    }
#else
    (void)kernel;
#endif
    return ReactionRowPlain;
}

ReactionRowFunction ReactionRowWideOnAvx2() {
#if HUEMIX_VECTOR_KERNELS
    if (KernelAvailable(kKernelAvx2)) return StepRowWideOnAvx2;
#endif
    return nullptr;
}
