// The width-generic row of the plasma, included by plasma.cpp inside its anonymous
// namespace: once as it stands, and once in a namespace compiled for AVX-512, where GCC
// keeps the comparisons of eight doubles in vector registers (compiled for the default
// target and inlined, they are taken apart lane by lane). No include guard.
// Vectors of the sum of approximate sines. Each approximation lies within about
// 1e-15 of the true sine, and so does the C library's, so the library's sum lies
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

