/* pow(x, y) = 2^(y log2 x), with log2 x carried in double-double so that y times it keeps
 * its accuracy even when the product is near 1024: x = 2^k (1 + f), log(1 + f) = 2 atanh s
 * with s = f / (2 + f) (s, 2s and the s^3 term in two parts, the rest of the series in one),
 * then t = y (k + log2(1 + f)) = n + r, |r| <= 1/2, and 2^t = 2^n e^(r ln 2). */
#if !defined(__VRNCC__) || defined(__VRNCC_FLOAT__) /* see libm_internal.h */
#include <math.h>

#include "libm_internal.h"

static const __lm_dd two_thirds = {0.66666666666666663, 3.7007434154171883e-17};
static const __lm_dd inv_ln2 = {1.4426950408889634, 2.0355273740931033e-17};
static const __lm_dd ln2 = {0.6931471805599453, 2.3190468138462996e-17};
/* 2/25, 2/23, ..., 2/5: the series of 2 atanh s after its first two terms, over s^5, in s^2. */
static const double atanh_tail[11] = {
    0.080000000000000002, 0.086956521739130432, 0.095238095238095233, 0.10526315789473684,
    0.11764705882352941,  0.13333333333333333,  0.15384615384615385,  0.18181818181818182,
    0.22222222222222221,  0.2857142857142857,   0.40000000000000002};

/* log2 x for finite x > 0, as hi + lo. */
static void log2_dd(__lm_dd* r, double x) {
    __lm_dd u, s, p, sq, cube, w, a, b;
    double f, z, tail;
    int k;
    f = __lm_log_reduce(x, &k);
    /* s = f / (2 + f) in two parts: 2 + f = u.hi + u.lo exactly, then one correction step. */
    __lm_fast_two_sum(&u, 2.0, f);
    s.hi = f / u.hi;
    __lm_two_prod(&p, s.hi, u.hi);
    s.lo = (((f - p.hi) - p.lo) - s.hi * u.lo) / u.hi;
    /* log(1 + f) = 2s + s^3 (2/3 + z (2/5 + z (2/7 + ...))), z = s^2 <= 0.0295; up to s^25. */
    z = s.hi * s.hi;
    tail = z * __lm_poly(z, atanh_tail, 11);
    __lm_fast_two_sum(&w, two_thirds.hi, tail);
    w.lo += two_thirds.lo;
    __lm_two_prod(&sq, s.hi, s.hi);
    sq.lo += 2.0 * s.hi * s.lo;
    __lm_dd_mul(&cube, &sq, &s);
    __lm_dd_mul(&b, &cube, &w);
    a.hi = 2.0 * s.hi;
    a.lo = 2.0 * s.lo;
    __lm_dd_add(&a, &a, &b);
    /* log2 x = k + log(1 + f) / ln 2 */
    __lm_dd_mul(&a, &a, &inv_ln2);
    b.hi = (double)k;
    b.lo = 0.0;
    __lm_dd_add(r, &b, &a);
}

/* 0 when y is not an integer, 1 when it is odd, 2 when even. */
static int integer_kind(double y) {
    __lm_bits b;
    int e;
    b.d = y;
    e = (int)((__LM_HI(b) >> 20) & 0x7ff) - 1023;
    if (e < 0) return 0; /* 0 < |y| < 1 (y = 0 is handled before) */
    if (e > 52) return 2;
    if (b.u & (0x000fffffffffffffULL >> e)) return 0;
    if (e == 0) return 1; /* |y| = 1 */
    return (b.u >> (52 - e)) & 1 ? 1 : 2;
}

double pow(double x, double y) {
    __lm_dd l, t, r;
    double n, result;
    int kind, negative = 0;

    if (y == 0.0 || x == 1.0) return 1.0; /* even when the other one is NaN */
    if (x != x || y != y) return x + y;
    kind = integer_kind(y);
    if (y - y != 0.0) { /* y infinite */
        if (x == -1.0) return 1.0;
        return (fabs(x) < 1.0) == (y > 0.0) ? 0.0 : fabs(y);
    }
    if (x == 0.0) {
        if (y < 0.0) return __lm_pole_error(kind == 1 && __signbit(x));
        return kind == 1 ? x : 0.0;
    }
    if (x - x != 0.0) { /* x infinite */
        if (x > 0.0) return y < 0.0 ? 0.0 : x;
        if (y < 0.0) return kind == 1 ? -0.0 : 0.0;
        return kind == 1 ? x : -x;
    }
    if (x < 0.0) {
        if (kind == 0) return __lm_domain_error();
        negative = kind == 1;
        x = -x;
    }
    /* |y| above 2^64 with x != 1: the result is far beyond the range either way. */
    if (fabs(y) > 1.8446744073709552e+19) {
        if ((x < 1.0) == (y > 0.0)) return negative ? -0.0 : 0.0;
        return __lm_overflow(negative);
    }

    log2_dd(&l, x);
    /* t = y log2 x */
    __lm_two_prod(&t, l.hi, y);
    t.lo += l.lo * y;
    __lm_fast_two_sum(&t, t.hi, t.lo);
    if (t.hi > 1100.0) return __lm_overflow(negative);
    if (t.hi < -1200.0) return negative ? -0.0 : 0.0;

    n = __lm_nearest(t.hi);
    __lm_fast_two_sum(&r, t.hi - n, t.lo); /* t.hi - n is exact */
    __lm_dd_mul(&r, &r, &ln2);
    result = __lm_scale(__lm_exp_kernel(r.hi, -r.lo), (int)n);
    if (result - result != 0.0) return __lm_overflow(negative);
    return negative ? -result : result;
}
#endif
