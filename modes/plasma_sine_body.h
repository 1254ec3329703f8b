// The vector sine of plasma_sine.h, in a file of its own so that plasma.cpp can
// compile a second copy of it for AVX-512 (see there). No include guard.
// sin(a) for 0 <= a <= kPlasmaSineLimit. The argument is reduced by the nearest
// multiple n of pi/2 (pi/2 in three parts, the first two with 33 significant bits so
// that n times them is exact), and sin or cos of the remainder |r| <= pi/4 is taken by
// the classic minimax polynomials, chosen and signed by n mod 4.
template <class V>
HUEMIX_ALWAYS_INLINE V ApproximateSine(const V& a) {
    using I = typename PlasmaLanes<V>::Int;
    constexpr double kTwoOverPi = 6.36619772367581382433e-01;
    constexpr double kHalfPi1 = 1.57079632673412561417e+00;
    constexpr double kHalfPi2 = 6.07710050630396597660e-11;
    constexpr double kHalfPi3 = 2.02226624879595063154e-21;
    // Vector casts reinterpret the bits. Adding 1.5 x 2^52 rounds to a whole number and leaves it in the low mantissa bits.
    constexpr double kRound = 6755399441055744.0;
    const V t = a * kTwoOverPi + kRound;
    const V n = t - kRound;
    const I quadrant = (I)t & 3;
    const V r = ((a - n * kHalfPi1) - n * kHalfPi2) - n * kHalfPi3;
    const V z = r * r;
    const V sine =
        r + r * z *
                (-1.66666666666666324348e-01 +
                 z * (8.33333333332248946124e-03 +
                      z * (-1.98412698298579493134e-04 +
                           z * (2.75573137070700676789e-06 +
                                z * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10)))));
    const V cosine =
        (1.0 - 0.5 * z) +
        z * z *
            (4.16666666666666019037e-02 +
             z * (-1.38888888888741095749e-03 +
                  z * (2.48015872894767294178e-05 +
                       z * (-2.75573143513906633035e-07 +
                            z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11)))));
    const I odd = (quadrant & 1) != 0;  // all ones where cos is wanted
    const I negative = ((quadrant & 2) != 0) & static_cast<int64_t>(0x8000000000000000ull);
    const I chosen = ((I)sine & ~odd) | ((I)cosine & odd);
    const I result = chosen ^ negative;
    return (V)result;
}
