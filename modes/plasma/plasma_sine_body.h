// The vector sine of plasma_sine.h, in a file of its own so that plasma.cpp can
// compile a second copy of it for AVX-512 (see there). No include guard.
// sin(a) for 0 <= a <= kPlasmaSineLimit. The argument is reduced by the nearest
// multiple n of pi (pi in three parts, the first two with 33 significant bits so that
// n times them is exact) to |r| <= pi/2, where sin(a) = (-1)^n sin(r), and sin(r) is
// the Taylor polynomial to r^17: one polynomial, where reducing by pi/2 needs a sine
// and a cosine polynomial and a choice between them. The terms alternate and fall, so
// the polynomial is off by less than the first term left out, (pi/2)^19 / 19! < 5e-14.
template <class V>
HUEMIX_ALWAYS_INLINE V ApproximateSine(const V& a) {
    using I = typename PlasmaLanes<V>::Int;
    constexpr double kOneOverPi = 3.18309886183790671538e-01;
    constexpr double kPi1 = 2.0 * 1.57079632673412561417e+00;
    constexpr double kPi2 = 2.0 * 6.07710050630396597660e-11;
    constexpr double kPi3 = 2.0 * 2.02226624879595063154e-21;
    // Vector casts reinterpret the bits. Adding 1.5 x 2^52 rounds to a whole number and leaves it in the low mantissa bits.
    constexpr double kRound = 6755399441055744.0;
    const V t = a * kOneOverPi + kRound;
    const V n = t - kRound;
    const I negative = (I)t << 63;  // the sign bit where n is odd
    const V r = ((a - n * kPi1) - n * kPi2) - n * kPi3;
    const V z = r * r;
    const V sine =
        r + r * z *
                (-1.0 / 6 +
                 z * (1.0 / 120 +
                      z * (-1.0 / 5040 +
                           z * (1.0 / 362880 +
                                z * (-1.0 / 39916800 +
                                     z * (1.0 / 6227020800 +
                                          z * (-1.0 / 1307674368000 + z * (1.0 / 355687428096000))))))));
    return (V)((I)sine ^ negative);
}
