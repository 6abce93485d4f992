/* floor, ceil and trunc by clearing the fraction bits: exact, and -0 keeps its sign. */
#if !defined(__VRNCC__) || defined(__VRNCC_FLOAT__) /* see libm_internal.h */
#include <math.h>

#include "libm_internal.h"

/* direction: -1 rounds toward -inf (floor), +1 toward +inf (ceil), 0 toward zero (trunc). */
static double round_toward(double x, int direction) {
    __lm_bits b;
    unsigned long long mask;
    int e, negative;
    b.d = x;
    e = (int)((__LM_HI(b) >> 20) & 0x7ff) - 1023;
    negative = (__LM_HI(b) & 0x80000000) != 0;
    if (e >= 52) return x; /* integral already; inf and NaN too */
    if (e < 0) {           /* |x| < 1 */
        if ((b.u & 0x7fffffffffffffffULL) == 0) return x;
        if (negative && direction < 0) return -1.0;
        if (!negative && direction > 0) return 1.0;
        return negative ? -0.0 : 0.0;
    }
    mask = 0x000fffffffffffffULL >> e;
    if ((b.u & mask) == 0) return x;
    /* Moving away from zero adds one unit of the integer part: a carry out of the
     * significand raises the exponent, which is the right result (as for -1.5 -> -2). */
    if ((negative && direction < 0) || (!negative && direction > 0)) b.u += mask + 1;
    b.u &= ~mask;
    return b.d;
}

double floor(double x) {
    return round_toward(x, -1);
}

double ceil(double x) {
    return round_toward(x, 1);
}

double trunc(double x) {
    return round_toward(x, 0);
}
#endif
