// The width-generic row of the plasma, included by plasma.cpp inside its anonymous
// namespace: once as it stands, and once in a namespace compiled for AVX-512, where GCC
// keeps the comparisons of eight doubles in vector registers (compiled for the default
// target and inlined, they are taken apart lane by lane). No include guard.
// Vectors of the sum of approximate sines. Each approximation lies within 1e-13 of
// the true sine, and the C library's within about 1e-16, so the library's sum lies
// within the margin of this one; the index is a non-decreasing function of the sum,
// so where the ends of the margin give the same index, the library's sum gives it too.
// Any other pixel, and any whose argument is too large for the approximation's range
// reduction, is computed with the library's sines.
template <class V>
HUEMIX_ALWAYS_INLINE int64_t VectorRow(const PlasmaRow& row, int w, double margin) {
    using I = typename PlasmaLanes<V>::Int;
    constexpr int kLanes = PlasmaLanes<V>::kCount;
    const PlasmaWaves& wv = *row.waves;
    int64_t recomputed = 0;
    V fx;
    for (int lane = 0; lane < kLanes; ++lane) fx[lane] = lane;
    const double fy = row.y;
    int x = 0;
    for (; x + kLanes <= w; x += kLanes, fx += kLanes) {
        const V q1 = (fx - wv.x1) * (fx - wv.x1) + row.ry1;
        const V q2 = (fx - wv.x2) * (fx - wv.x2) + row.ry2;
        const V q3 = (fx - wv.x3) * (fx - wv.x3) + row.ry3;
        const V a1 = VectorSqrt(q1) * wv.f1;
        const V a2 = VectorSqrt(q2) * wv.f2;
        const V a3 = VectorSqrt(q3) * wv.f3;
        I outOfRange = (a1 > kPlasmaSineLimit) | (a2 > kPlasmaSineLimit) | (a3 > kPlasmaSineLimit);
        V diagonal;
        if (row.tabled) {
            __builtin_memcpy(&diagonal, diagonalSine + x + row.y, sizeof diagonal);
        } else {
            const V a4 = (fx + fy) * wv.f4;
            outOfRange |= a4 > kPlasmaSineLimit;
            diagonal = ApproximateSine(a4);
        }
        V s = ApproximateSine(a2);
        s += ApproximateSine(a1);
        s += ApproximateSine(a3);
        s += diagonal;
        const V low = ((s - margin) + 4.0) * (-31.75);
        const V high = ((s + margin) + 4.0) * (-31.75);
#if defined(__wasm_simd128__)
        // WebAssembly: both lanes' indices at once where both are settled (left to
        // itself the compiler converts a lane at a time); any other pair goes below.
        if constexpr (kLanes == 2) {
            const v128_t t = wasm_i32x4_trunc_sat_f64x2_zero((v128_t)low);
            const v128_t settled = wasm_i32x4_eq(t, wasm_i32x4_trunc_sat_f64x2_zero((v128_t)high));
            if (!wasm_v128_any_true((v128_t)outOfRange) && (wasm_i32x4_bitmask(settled) & 3) == 3) {
                const v128_t index = wasm_i32x4_min(
                    wasm_i32x4_max(wasm_i32x4_sub(wasm_i32x4_splat(1), t), wasm_i32x4_splat(1)), wasm_i32x4_splat(255));
                row.out[x] = static_cast<uint8_t>(wasm_i32x4_extract_lane(index, 0));
                row.out[x + 1] = static_cast<uint8_t>(wasm_i32x4_extract_lane(index, 1));
                continue;
            }
        }
#endif
        for (int lane = 0; lane < kLanes; ++lane) {
            // Out of range, the approximation may not even be finite: not converted.
            const int t = outOfRange[lane] ? 0 : static_cast<int>(low[lane]);
            if (!outOfRange[lane] && t == static_cast<int>(high[lane])) {
                int index = 1 - t;
                if (index < 1) index = 1;
                if (index > 255) index = 255;
                row.out[x + lane] = static_cast<uint8_t>(index);
            } else {
                row.out[x + lane] = PlasmaPixel(row, x + lane);
                ++recomputed;
            }
        }
    }
    return recomputed + PlainRow(row, x, w);
}

