/* sinh, cosh and tanh from t = e^|x| - 1 (expm1), which keeps them accurate near 0 where
 * e^x - e^-x would cancel:
 *   sinh = (t + t/(t + 1)) / 2 = (2t - t^2/(t + 1)) / 2,   cosh = 1 + t^2 / (2(t + 1)),
 *   tanh |x| = -u / (u + 2) with u = e^-2|x| - 1, or 1 - 2 / (e^2|x| + 1). */
#if !defined(__VRNCC__) || defined(__VRNCC_FLOAT__) /* see libm_internal.h */
#include <math.h>

#include "libm_internal.h"

/* e^a / 2 for finite a from 22 on, where e^-a no longer counts: e^a = 2^k e^r, so the
 * halving is exact in the exponent, and e^a / 2 stays finite a little beyond where e^a is not. */
static double half_exp(double a, int negative) {
    double hi, lo, w;
    int k;
    if (a > 711.0) return __lm_overflow(negative); /* e^a / 2 is beyond the range */
    k = __lm_exp_reduce(a, &hi, &lo);
    w = __lm_scale(__lm_exp_kernel(hi, lo), k - 1);
    if (w - w != 0.0) return __lm_overflow(negative);
    return negative ? -w : w;
}

double sinh(double x) {
    double a, t, h;
    if (x - x != 0.0) return x + x; /* NaN, and +-inf as they are */
    a = fabs(x);
    if (a < 3.7252902984619141e-09) return x; /* 2^-28: sinh x = x + x^3/6 rounds to x */
    if (a >= 22.0) return half_exp(a, x < 0.0);
    h = x < 0.0 ? -0.5 : 0.5;
    t = expm1(a);
    if (a < 1.0) return h * (2.0 * t - t * t / (t + 1.0));
    return h * (t + t / (t + 1.0));
}

double cosh(double x) {
    double a, t, w;
    if (x != x) return x + x;
    a = fabs(x);
    if (a - a != 0.0) return a;
    if (a < 0.34657359027997264) { /* ln 2 / 2 */
        if (a < 5.5511151231257827e-17) return 1.0;
        t = expm1(a);
        w = 1.0 + t;
        return 1.0 + (t * t) / (w + w);
    }
    if (a >= 22.0) return half_exp(a, 0);
    t = exp(a);
    return 0.5 * t + 0.5 / t;
}

double tanh(double x) {
    double a, t, z;
    if (x != x) return x + x;
    a = fabs(x);
    if (a < 2.7755575615628914e-17) return x; /* 2^-55 */
    if (a - a != 0.0)
        z = 1.0;
    else if (a < 1.0) {
        t = expm1(-2.0 * a);
        z = -t / (t + 2.0);
    } else if (a < 22.0) {
        t = expm1(2.0 * a);
        z = 1.0 - 2.0 / (t + 2.0);
    } else
        z = 1.0; /* 1 - 2e^-44 rounds to 1 */
    return x < 0.0 ? -z : z;
}
#endif
