/* ldexp, frexp and modf: exponent surgery. Scaling multiplies by powers of two that are
 * themselves representable, so at most the last product rounds (into the subnormal range). */
#if !defined(__VRNCC__) || defined(__VRNCC_FLOAT__) /* see libm_internal.h */
#include <errno.h>
#include <math.h>

#include "libm_internal.h"

static double power_of_two(int n) /* 2^n for n in [-1022, 1023] */
{
    return __lm_words((__lm_u32)(n + 1023) << 20, 0);
}

double __lm_scale(double x, int n) {
    double y = x;
    if (n > 1023) {
        y *= power_of_two(1023);
        n -= 1023;
        if (n > 1023) {
            y *= power_of_two(1023);
            n -= 1023;
            if (n > 1023) n = 1023;
        }
    } else if (n < -1022) {
        /* Steps of 2^-969 stay in the normal range, so only the final product rounds: scaling
         * straight to a subnormal in two roundings could be off by one. */
        y *= power_of_two(-969);
        n += 969;
        if (n < -1022) {
            y *= power_of_two(-969);
            n += 969;
            if (n < -1022) n = -1022;
        }
    }
    return y * power_of_two(n);
}

double ldexp(double x, int n) {
    double y = __lm_scale(x, n);
    /* A finite x that became infinite overflowed. */
    if (y - y != 0.0 && x - x == 0.0) errno = ERANGE;
    return y;
}

double frexp(double x, int* e) {
    __lm_bits b;
    int be, k = 0;
    b.d = x;
    be = (int)((__LM_HI(b) >> 20) & 0x7ff);
    if (be == 0x7ff || (b.u & 0x7fffffffffffffffULL) == 0) {
        *e = 0;
        return x; /* 0, inf and NaN come back as they are */
    }
    if (be == 0) {                     /* subnormal: make it normal first */
        b.d = x * 18014398509481984.0; /* 2^54 */
        be = (int)((__LM_HI(b) >> 20) & 0x7ff);
        k = -54;
    }
    *e = be - 1022 + k;
    __LM_HI(b) = (__LM_HI(b) & 0x800fffff) | 0x3fe00000;
    return b.d;
}

double modf(double x, double* ip) {
    __lm_bits b;
    int e;
    double i;
    b.d = x;
    e = (int)((__LM_HI(b) >> 20) & 0x7ff) - 1023;
    if (e >= 52) { /* integral, inf or NaN */
        *ip = x;
        if (e == 1024 && (b.u & 0x000fffffffffffffULL)) return x;
        return copysign(0.0, x);
    }
    if (e < 0) {
        *ip = copysign(0.0, x);
        return x;
    }
    i = trunc(x);
    *ip = i;
    /* x and its integer part share the exponent, so the difference is exact. */
    return copysign(x - i, x);
}
#endif
