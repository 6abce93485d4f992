/* exp and expm1. x = k ln 2 + r with |r| <= ln 2 / 2 (Cody and Waite: ln 2 in two parts, the
 * first short enough that k times it is exact), e^r - 1 from its Taylor series, which at this
 * size of r needs terms up to r^13 for a truncation error below 2^-57, then a scaling by 2^k. */
#if !defined(__VRNCC__) || defined(__VRNCC_FLOAT__) /* see libm_internal.h */
#include <math.h>

#include "libm_internal.h"

static const double ln2_hi = 0.69314718036912382; /* 32 significant bits */
static const double ln2_lo = 1.9082149292705877e-10;
static const double inv_ln2 = 1.4426950408889634;
/* Beyond these, e^x overflows, or rounds to zero. */
static const double overflow_at = 709.78271289338397;
static const double underflow_at = -745.13321910194111;

int __lm_exp_reduce(double x, double* hi, double* lo) {
    double k = __lm_nearest(x * inv_ln2);
    /* k * ln2_hi is exact and close to x, so the difference is exact too. */
    *hi = x - k * ln2_hi;
    *lo = k * ln2_lo;
    return (int)k;
}

/* 1/13!, 1/12!, ..., 1/2!: the Taylor series of (e^r - 1 - r) / r^2. */
static const double expm1_taylor[12] = {
    1.6059043836821613e-10, 2.08767569878681e-09,   2.505210838544172e-08,  2.7557319223985888e-07,
    2.7557319223985893e-06, 2.4801587301587302e-05, 0.00019841269841269841, 0.0013888888888888889,
    0.0083333333333333332,  0.041666666666666664,   0.16666666666666666,    0.5};

/* e^(hi - lo) - 1 - hi: the small part of e^r - 1, whose rounding errors hardly count. */
static double expm1_tail(double hi, double lo) {
    double r = hi - lo;
    return r * r * __lm_poly(r, expm1_taylor, 12) - lo;
}

/* 1 + hi is split into its rounded sum and the error of that rounding, so that the result is
 * rounded only once, at the end. */
double __lm_exp_kernel(double hi, double lo) {
    __lm_dd s;
    __lm_fast_two_sum(&s, 1.0, hi);
    return s.hi + (s.lo + expm1_tail(hi, lo));
}

double exp(double x) {
    double hi, lo;
    int k;
    if (x != x) return x + x;
    if (x > overflow_at) return x - x == 0.0 ? __lm_overflow(0) : x; /* +inf is exact */
    if (x < underflow_at) return 0.0;
    if (fabs(x) < 5.5511151231257827e-17) return 1.0 + x; /* |x| < 2^-54 */
    k = __lm_exp_reduce(x, &hi, &lo);
    return __lm_scale(__lm_exp_kernel(hi, lo), k);
}

double expm1(double x) {
    double hi, lo, two_k;
    __lm_dd s;
    int k;
    if (x != x) return x + x;
    if (x > overflow_at) return x - x == 0.0 ? __lm_overflow(0) : x;
    if (x < -38.0) return -1.0; /* e^x below 2^-54 */
    if (fabs(x) < 5.5511151231257827e-17) return x;
    if (fabs(x) <= 0.34657359027997264) return x + expm1_tail(x, 0.0);
    k = __lm_exp_reduce(x, &hi, &lo);
    if (k == 0) return hi + expm1_tail(hi, lo);
    if (k < -1) return __lm_scale(__lm_exp_kernel(hi, lo), k) - 1.0;
    if (k > 53) {
        /* 2^k (1 + hi + tail - 2^-k): the 1 taken away joins the small part, so that the
         * result is rounded once. */
        __lm_fast_two_sum(&s, 1.0, hi);
        return __lm_scale(s.hi + (s.lo + (expm1_tail(hi, lo) - __lm_scale(1.0, -k))), k);
    }
    /* 2^k (1 + hi + tail) - 1 = (2^k - 1) + 2^k hi + 2^k tail, where 2^k - 1 and 2^k hi are
     * exact: their sum is taken exactly too, so that only the final addition rounds. */
    two_k = __lm_scale(1.0, k);
    __lm_two_sum(&s, two_k - 1.0, two_k * hi);
    return s.hi + (s.lo + two_k * expm1_tail(hi, lo));
}
#endif
