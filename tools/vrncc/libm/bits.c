/* The bit-level pieces: classification, sign, absolute value, and the special results of the
 * error cases, built from their bits so that no division by zero is needed to make them. */
#if !defined(__VRNCC__) || defined(__VRNCC_FLOAT__) /* see libm_internal.h */
#include <errno.h>
#include <math.h>

#include "libm_internal.h"

double __lm_words(__lm_u32 hi, __lm_u32 lo) {
    __lm_bits b;
    b.w[1] = hi;
    b.w[0] = lo;
    return b.d;
}

/* x rounded to the nearest integer (ties to even) for |x| < 2^51: adding 1.5 * 2^52 leaves no
 * fraction bits, and taking it away again is exact. */
double __lm_nearest(double x) {
    double big = 6755399441055744.0;
    double y = x + big;
    return y - big;
}

double __lm_domain_error(void) {
    errno = EDOM;
    return __lm_words(0x7ff80000, 0);
}

double __lm_pole_error(int negative) {
    errno = ERANGE;
    return __lm_words(negative ? 0xfff00000 : 0x7ff00000, 0);
}

double __lm_overflow(int negative) {
    errno = ERANGE;
    return __lm_words(negative ? 0xfff00000 : 0x7ff00000, 0);
}

int __fpclassify(double x) {
    __lm_bits b;
    __lm_u32 e, m;
    b.d = x;
    e = __LM_HI(b) & 0x7ff00000;
    m = (__LM_HI(b) & 0x000fffff) | __LM_LO(b);
    if (e == 0x7ff00000) return m ? FP_NAN : FP_INFINITE;
    if (e == 0) return m ? FP_SUBNORMAL : FP_ZERO;
    return FP_NORMAL;
}

int __signbit(double x) {
    __lm_bits b;
    b.d = x;
    return (__LM_HI(b) & 0x80000000) != 0;
}

double fabs(double x) {
    __lm_bits b;
    b.d = x;
    __LM_HI(b) &= 0x7fffffff;
    return b.d;
}

double copysign(double x, double y) {
    __lm_bits bx, by;
    bx.d = x;
    by.d = y;
    __LM_HI(bx) = (__LM_HI(bx) & 0x7fffffff) | (__LM_HI(by) & 0x80000000);
    return bx.d;
}
#endif
