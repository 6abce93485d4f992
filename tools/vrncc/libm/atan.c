/* atan and atan2. For |x| <= 1, atan x = atan c + atan t with c = i/16 the nearest sixteenth
 * and t = (x - c) / (1 + x c), |t| <= 1/32 (below 1/16, c = 0 and t = x), where the series
 * t - t^3/3 + ... to t^15 is good to 2^-60; atan(i/16) comes from a table in two parts. Above
 * 1, atan x = pi/2 - atan(1/x). */
#if !defined(__VRNCC__) || defined(__VRNCC_FLOAT__) /* see libm_internal.h */
#include <math.h>

#include "libm_internal.h"

static const double atan_hi[17] = {
    0.0,
    0.06241880999595735,
    0.12435499454676144,
    0.18534794999569476,
    0.24497866312686414,
    0.30288486837497142,
    0.35877067027057225,
    0.41241044159738732,
    0.46364760900080609,
    0.51238946031073773,
    0.55859931534356244,
    0.60228734613496415,
    0.64350110879328437,
    0.68231655487474807,
    0.71882999962162453,
    0.75315128096219441,
    0.78539816339744828,
};
static const double atan_lo[17] = {
    0.0,
    -1.5490756308295046e-18,
    -3.1253241424539383e-18,
    4.180692268843079e-18,
    1.0698755618734451e-17,
    -1.1010827903001369e-17,
    -2.4623815582638635e-17,
    -1.5876522277706891e-17,
    2.2698777452961687e-17,
    -2.5462781472855804e-17,
    -5.4556305485916264e-18,
    2.9504307372284023e-17,
    1.5834785051444286e-17,
    6.9432236715600077e-18,
    -2.1478388444456983e-17,
    -2.4256934659182068e-17,
    3.061616997868383e-17,
};
/* -1/15, 1/13, ..., -1/3: the series of (atan t - t) / t^3 in t^2. */
static const double atan_taylor[7] = {
    -0.066666666666666666, 0.076923076923076927, -0.090909090909090912, 0.1111111111111111,
    -0.14285714285714285,  0.20000000000000001,  -0.33333333333333331};
static const double pio2_hi = 1.5707963267948966;
static const double pio2_lo = 6.123233995736766e-17;
static const double pi_hi = 3.1415926535897931;
static const double pi_lo = 1.2246467991473532e-16;

/* atan(a + b) for 0 <= a <= 2^66, b a correction below half an ulp of a (often 0). Above 1
 * the reciprocal is taken in two parts too, so that its rounding does not reach the result. */
static double atan_positive(double a, double b) {
    double t, t2, p, y, c;
    __lm_dd r;
    int i, invert = a > 1.0;
    if (invert) {
        /* 1/(a + b) = y + (1 - y a - y b) / a, where 1 - y a is exact */
        y = 1.0 / a;
        __lm_two_prod(&r, y, a);
        b = (((1.0 - r.hi) - r.lo) - y * b) / a;
        a = y;
    }
    /* Below 1/16 the series alone is used: with c = 1/16, t would be negative and as large
     * as the result, and its rounding would show. */
    i = a < 0.0625 ? 0 : (int)(a * 16.0 + 0.5);
    if (i == 0) {
        t = a;
    } else {
        c = i * 0.0625;
        t = (a - c) / (1.0 + a * c); /* a - c is exact: a lies within c/2 of c */
    }
    t2 = t * t;
    p = t * t2 * __lm_poly(t2, atan_taylor, 7);
    if (b != 0.0) p += b / (1.0 + a * a); /* atan' a = 1 / (1 + a^2) */
    y = atan_hi[i] + (atan_lo[i] + (t + p));
    if (invert) y = pio2_hi - (y - pio2_lo);
    return y;
}

double atan(double x) {
    double a, y;
    if (x != x) return x + x;
    a = fabs(x);
    if (a < 7.4505805969238281e-09) return x; /* atan x = x - x^3/3: rounds to x */
    if (a > 7.3786976294838206e+19)           /* 2^66: pi/2 to the last bit */
        y = pio2_hi + pio2_lo;
    else
        y = atan_positive(a, 0.0);
    return x < 0.0 ? -y : y;
}

double atan2(double y, double x) {
    double ay, ax, z;
    __lm_dd q;
    int ysign;
    if (x != x || y != y) return x + y;
    ysign = __signbit(y);
    ay = fabs(y);
    ax = fabs(x);
    if (ay == 0.0) {
        /* On the x axis: +-0 on the positive side (and for +0), +-pi on the negative. */
        if (__signbit(x)) return ysign ? -(pi_hi + pi_lo) : pi_hi + pi_lo;
        return y;
    }
    if (ax == 0.0) return ysign ? -(pio2_hi + pio2_lo) : pio2_hi + pio2_lo;
    if (ax - ax != 0.0) { /* x infinite */
        if (ay - ay != 0.0)
            z = x > 0.0 ? 0.78539816339744828 : 2.3561944901923448; /* pi/4, 3pi/4 */
        else
            z = x > 0.0 ? 0.0 : pi_hi + pi_lo;
        return ysign ? -z : z;
    }
    if (ay - ay != 0.0) return ysign ? -(pio2_hi + pio2_lo) : pio2_hi + pio2_lo;
    /* Both finite and nonzero. In the usual range the quotient is taken in two parts, its
     * rounding error recovered exactly; at the extremes ay / ax may overflow to inf (atan gives
     * pi/2) or underflow, both of which are then the right answer. */
    z = ay / ax;
    if (ay > 3.8725919148493183e-121 && ay < 2.5822498780869086e+120 &&
        ax > 3.8725919148493183e-121 && ax < 2.5822498780869086e+120) { /* 2^-400, 2^400 */
        __lm_two_prod(&q, z, ax);
        z = atan_positive(z, ((ay - q.hi) - q.lo) / ax);
    } else {
        z = atan(z);
    }
    if (x < 0.0) z = pi_hi - (z - pi_lo);
    return ysign ? -z : z;
}
#endif
