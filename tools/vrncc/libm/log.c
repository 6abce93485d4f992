/* log and log10. x = 2^k (1 + f) with 1 + f in [sqrt(2)/2, sqrt(2)); with s = f / (2 + f),
 * log(1 + f) = 2 atanh(s) = 2s + (2/3)s^3 + (2/5)s^5 + ..., |s| <= 0.1716, and the series
 * to s^21 leaves a truncation error below 2^-60. 2s is written f - f^2/2 + s f^2/2, so the
 * large part f stays exact and only small terms carry rounding. */
#if !defined(__VRNCC__) || defined(__VRNCC_FLOAT__) /* see libm_internal.h */
#include <math.h>

#include "libm_internal.h"

static const double ln2_hi = 0.69314718036912382; /* 32 significant bits: k * ln2_hi is exact */
static const double ln2_lo = 1.9082149292705877e-10;
static const double log10_2_hi = 0.30102999554947019; /* 32 significant bits */
static const double log10_2_lo = 1.1451100898021838e-10;
static const double inv_ln10 = 0.43429448190325182;

double __lm_log_reduce(double x, int* k) {
    __lm_bits b;
    int e = 0;
    b.d = x;
    if ((__LM_HI(b) & 0x7ff00000) == 0) { /* subnormal */
        b.d = x * 18014398509481984.0;    /* 2^54 */
        e = -54;
    }
    e += (int)((__LM_HI(b) >> 20) & 0x7ff) - 1023;
    /* Significand in [1, 2), or in [sqrt(2)/2, 1) with k one higher. */
    if ((__LM_HI(b) & 0x000fffff) > 0x0006a09e) {
        __LM_HI(b) = (__LM_HI(b) & 0x000fffff) | 0x3fe00000;
        e++;
    } else {
        __LM_HI(b) = (__LM_HI(b) & 0x000fffff) | 0x3ff00000;
    }
    *k = e;
    return b.d - 1.0; /* exact */
}

/* 2/21, 2/19, ..., 2/3: the series of (2 atanh s - 2s) / s as a polynomial in s^2. */
static const double atanh_taylor[10] = {
    0.095238095238095233, 0.10526315789473684, 0.11764705882352941, 0.13333333333333333,
    0.15384615384615385,  0.18181818181818182, 0.22222222222222221, 0.2857142857142857,
    0.40000000000000002,  0.66666666666666663};

/* log(1 + f) - f + f^2/2 and f^2/2 for the reduced f: the parts that need not be exact. */
static double log_tail(double f, double* hfsq) {
    double s = f / (2.0 + f);
    double z = s * s;
    double r = z * __lm_poly(z, atanh_taylor, 10);
    *hfsq = 0.5 * f * f;
    return s * (*hfsq + r);
}

/* The special arguments: NaN, negative, zero and +inf. Returns 1 and sets *y if x is one. */
static int log_special(double x, double* y) {
    if (x != x) {
        *y = x + x;
        return 1;
    }
    if (x < 0.0) {
        *y = __lm_domain_error();
        return 1;
    }
    if (x == 0.0) {
        *y = __lm_pole_error(1);
        return 1;
    }
    if (x - x != 0.0) { /* +inf */
        *y = x;
        return 1;
    }
    return 0;
}

double log(double x) {
    double f, hfsq, t, y;
    int k;
    if (log_special(x, &y)) return y;
    f = __lm_log_reduce(x, &k);
    t = log_tail(f, &hfsq);
    return k * ln2_hi - ((hfsq - (t + k * ln2_lo)) - f);
}

double log10(double x) {
    double f, hfsq, t, y, lnm;
    int k;
    if (log_special(x, &y)) return y;
    f = __lm_log_reduce(x, &k);
    t = log_tail(f, &hfsq);
    lnm = f - (hfsq - t);
    return k * log10_2_hi + (k * log10_2_lo + lnm * inv_ln10);
}
#endif
