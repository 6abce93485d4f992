/* fmod by long division of the significands: the remainder x - n*y is always representable,
 * so it is found exactly, one bit of the quotient at a time. */
#if !defined(__VRNCC__) || defined(__VRNCC_FLOAT__) /* see libm_internal.h */
#include <math.h>

#include "libm_internal.h"

/* Splits a finite nonzero |x| into m * 2^e, m in [2^52, 2^53). */
static unsigned long long unpack(double x, int* e) {
    __lm_bits b;
    unsigned long long m;
    int be;
    b.d = x;
    be = (int)((__LM_HI(b) >> 20) & 0x7ff);
    m = b.u & 0x000fffffffffffffULL;
    if (be == 0) {
        *e = -1074;
        while (!(m & 0x0010000000000000ULL)) {
            m <<= 1;
            (*e)--;
        }
        return m;
    }
    *e = be - 1075;
    return m | 0x0010000000000000ULL;
}

double fmod(double x, double y) {
    __lm_bits bx, by, r;
    unsigned long long mx, my;
    int ex, ey, negative;
    bx.d = x;
    by.d = y;
    negative = (__LM_HI(bx) & 0x80000000) != 0;
    if ((__LM_HI(bx) & 0x7ff00000) == 0x7ff00000 || (by.u & 0x7fffffffffffffffULL) == 0 ||
        (by.u & 0x7fffffffffffffffULL) > 0x7ff0000000000000ULL) {
        if (x != x || y != y) return x + y; /* NaN in, NaN out */
        return __lm_domain_error();         /* fmod(inf, y), fmod(x, 0) */
    }
    if ((bx.u & 0x7fffffffffffffffULL) < (by.u & 0x7fffffffffffffffULL)) return x;
    if ((by.u & 0x7fffffffffffffffULL) == 0x7ff0000000000000ULL) return x;

    mx = unpack(x, &ex);
    my = unpack(y, &ey);
    /* |x| >= |y|: subtract y's significand wherever it fits, shifting x's along. */
    while (ex > ey) {
        if (mx >= my) mx -= my;
        mx <<= 1;
        ex--;
    }
    if (mx >= my) mx -= my;
    if (mx == 0) return negative ? -0.0 : 0.0;

    /* mx * 2^ey, normalised, or denormalised when below the normal range: the bits shifted out
     * there are zeros, as the remainder is a multiple of y's least bit. */
    while (!(mx & 0x0010000000000000ULL) && ey > -1074) {
        mx <<= 1;
        ey--;
    }
    if (ey < -1074) {
        mx >>= -1074 - ey;
        ey = -1074;
    }
    if (mx & 0x0010000000000000ULL)
        r.u = ((unsigned long long)(ey + 1075) << 52) | (mx & 0x000fffffffffffffULL);
    else
        r.u = mx; /* subnormal */
    if (negative) r.u |= 0x8000000000000000ULL;
    return r.d;
}
#endif
