/* Rounding and packing of IEEE binary64 and binary32 values, which every floating-point
 * operation ends with. */
#ifdef __VRNCC_FLOAT__
#include "float_internal.h"

/* Shifts hi:lo left until its bit 63 is set (hi:lo is not 0); returns the shift. */
static int __norm64(__w32 *hi, __w32 *lo)
{
    int n = 0;
    if (!*hi) {
        *hi = *lo;
        *lo = 0;
        n = 32;
    }
    while (!(*hi & 0xFF000000UL)) {
        *hi = (*hi << 8) | (*lo >> 24);
        *lo <<= 8;
        n += 8;
    }
    while (!(*hi & __SIGN)) {
        *hi = (*hi << 1) | (*lo >> 31);
        *lo <<= 1;
        n++;
    }
    return n;
}

int __shr64s(__w32 *hi, __w32 *lo, int n)
{
    int lost = 0;
    if (n <= 0) return 0;
    if (n >= 64) {
        lost = (*hi | *lo) != 0;
        *hi = 0;
        *lo = 0;
        return lost;
    }
    if (n >= 32) {
        lost = *lo != 0;
        *lo = *hi;
        *hi = 0;
        n -= 32;
    }
    if (n) {
        if (*lo << (32 - n)) lost = 1;
        *lo = (*lo >> n) | (*hi << (32 - n));
        *hi >>= n;
    }
    return lost;
}

int __dnormal(__w32 *hi, __w32 *lo)
{
    int n = 0;
    while (!(*hi & 0x100000UL)) {
        *hi = (*hi << 1) | (*lo >> 31);
        *lo <<= 1;
        n++;
    }
    return n;
}

__w32 *__dset(__w32 hi, __w32 lo, __w32 *r)
{
    r[0] = lo;
    r[1] = hi;
    return r;
}

__w32 *__dnan(__w32 *r)
{
    return __dset(0xFFF80000UL, 0, r);
}

__w32 *__dquiet(const __w32 *x, __w32 *r)
{
    return __dset(x[1] | 0x80000UL, x[0], r);
}

__w32 *__dpack(int sign, int e2, __w32 hi, __w32 lo, int sticky, __w32 *r)
{
    __w32 s = sign ? __SIGN : 0;
    int be, guard;
    if (!(hi | lo)) return __dset(s, 0, r);
    e2 -= __norm64(&hi, &lo);
    be = e2 + 1086; /* the biased exponent of bit 63: e2 + 63 + 1023 */
    if (be >= 2047) return __dset(s | 0x7FF00000UL, 0, r);
    /* 53 bits stay (a subnormal's fewer), with a guard bit below them. */
    if (__shr64s(&hi, &lo, be >= 1 ? 10 : 11 - be)) sticky = 1;
    guard = (int)(lo & 1);
    lo = (lo >> 1) | (hi << 31);
    hi >>= 1;
    if (guard && (sticky || (lo & 1))) {
        lo++;
        if (!lo) hi++;
    }
    /* The implicit bit adds 1 to the exponent field: a carry out of the fraction moves on into
     * it, a subnormal that rounds up to the smallest normal becomes one, and the largest
     * finite value that rounds up becomes infinity. */
    if (be > 1) hi += (__w32)(be - 1) << 20;
    if ((hi >> 20) >= 0x7FFUL) return __dset(s | 0x7FF00000UL, 0, r);
    return __dset(s | hi, lo, r);
}

__w32 __fpack(int sign, int e2, __w32 hi, __w32 lo, int sticky)
{
    __w32 s = sign ? __SIGN : 0, rest = 0;
    int be, guard;
    if (!(hi | lo)) return s;
    e2 -= __norm64(&hi, &lo);
    if (lo) sticky = 1;
    be = e2 + 190; /* e2 + 63 + 127 */
    if (be >= 255) return s | 0x7F800000UL;
    if (__shr64s(&hi, &rest, be >= 1 ? 7 : 8 - be) || rest) sticky = 1;
    guard = (int)(hi & 1);
    hi >>= 1;
    if (guard && (sticky || (hi & 1))) hi++;
    if (be > 1) hi += (__w32)(be - 1) << 23;
    if ((hi >> 23) >= 0xFFUL) return s | 0x7F800000UL;
    return s | hi;
}
#endif
