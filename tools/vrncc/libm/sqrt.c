/* Square root, correctly rounded: the root of the significand is found bit by bit with
 * integers, so the result is exact up to a single rounding, on any machine. */
#if !defined(__VRNCC__) || defined(__VRNCC_FLOAT__) /* see libm_internal.h */
#include <math.h>

#include "libm_internal.h"

double sqrt(double x) {
    __lm_bits b;
    unsigned long long m, q, rem, trial;
    int e, i;
    b.d = x;
    e = (int)((__LM_HI(b) >> 20) & 0x7ff);
    m = b.u & 0x000fffffffffffffULL;
    if (e == 0x7ff) {
        if (m) return x + x; /* NaN stays NaN */
        if (__LM_HI(b) & 0x80000000) return __lm_domain_error();
        return x; /* +inf */
    }
    if (e == 0 && m == 0) return x; /* +0 and -0 */
    if (__LM_HI(b) & 0x80000000) return __lm_domain_error();

    /* x = m * 2^e with m in [2^52, 2^53), subnormals normalised. */
    if (e == 0) {
        e = -1074;
        while (!(m & 0x0010000000000000ULL)) {
            m <<= 1;
            e--;
        }
    } else {
        m |= 0x0010000000000000ULL;
        e -= 1075;
    }
    /* An even exponent halves exactly; m then lies in [2^52, 2^54). */
    if (e & 1) {
        m <<= 1;
        e--;
    }

    /* q = floor(sqrt(m * 2^54)), 54 bits: the 53 of the result and a rounding bit. Each step
     * brings down the next two bits of m * 2^54 (those of m, then zeros) and decides one bit of
     * q; rem = (the bits brought down so far) - q^2 stays at most 2q. */
    q = 0;
    rem = 0;
    for (i = 53; i >= 0; i--) {
        rem <<= 2;
        if (i >= 27) rem |= (m >> (2 * i - 54)) & 3;
        trial = (q << 2) | 1;
        q <<= 1;
        if (rem >= trial) {
            rem -= trial;
            q |= 1;
        }
    }
    /* Round to nearest: the dropped bit is one half, rem != 0 says there is more below it. */
    if ((q & 1) && (rem != 0 || (q & 2))) q += 2;
    q >>= 1;
    e = e / 2 - 26;
    if (q == 0x0020000000000000ULL) { /* rounded up to the next power of two */
        q >>= 1;
        e++;
    }
    b.u = ((unsigned long long)(e + 1075) << 52) | (q & 0x000fffffffffffffULL);
    return b.d;
}
#endif
