/* Conversions between double, float and the integer types. From an integer the value is
 * rounded once, to nearest; to an integer it is truncated toward zero. A value out of the
 * integer type's range (C leaves it undefined) gives the PC processors' "integer indefinite",
 * the lowest value of the width. */
#ifdef __VRNCC_FLOAT__
#include "float_internal.h"

__w32 *__dfroml(int32_t v, __w32 *r)
{
    if (v < 0) return __dpack(1, 0, 0, 0 - (__w32)v, 0, r);
    return __dpack(0, 0, 0, (__w32)v, 0, r);
}

__w32 *__dfromul(__w32 v, __w32 *r)
{
    return __dpack(0, 0, 0, v, 0, r);
}

/* A long long's sign and magnitude. */
static int __llmag(const __w32 *p, __w32 *hi, __w32 *lo)
{
    *hi = p[1];
    *lo = p[0];
    if (!(*hi & __SIGN)) return 0;
    *hi = ~*hi + (*lo == 0);
    *lo = 0 - *lo;
    return 1;
}

__w32 *__dfromll(const __w32 *p, __w32 *r)
{
    __w32 hi, lo;
    int s = __llmag(p, &hi, &lo);
    return __dpack(s, 0, hi, lo, 0, r);
}

__w32 *__dfromull(const __w32 *p, __w32 *r)
{
    return __dpack(0, 0, p[1], p[0], 0, r);
}

__w32 __ffroml(int32_t v)
{
    if (v < 0) return __fpack(1, 0, 0, 0 - (__w32)v, 0);
    return __fpack(0, 0, 0, (__w32)v, 0);
}

__w32 __ffromul(__w32 v)
{
    return __fpack(0, 0, 0, v, 0);
}

__w32 __ffromll(const __w32 *p)
{
    __w32 hi, lo;
    int s = __llmag(p, &hi, &lo);
    return __fpack(s, 0, hi, lo, 0);
}

__w32 __ffromull(const __w32 *p)
{
    return __fpack(0, 0, p[1], p[0], 0);
}

/* |x| truncated, into hi:lo; 1 when it is 2^64 or more, infinite or a NaN. */
static int __dtrunc(const __w32 *p, __w32 *hi, __w32 *lo)
{
    __w32 h = __DFRAC(p[1]) | 0x100000UL, l = p[0];
    int e = __DEXP(p[1]);
    *hi = 0;
    *lo = 0;
    if (e < 1023) return 0; /* below 1 */
    if (e >= 1023 + 64) return 1;
    e -= 1075; /* |x| = h:l x 2^e */
    if (e > 0) {
        h = (h << e) | (l >> (32 - e));
        l <<= e;
    } else {
        __shr64s(&h, &l, -e);
    }
    *hi = h;
    *lo = l;
    return 0;
}

/* The truncated value modulo 2^64 (two's complement for a negative x); 1 when out of range. */
static int __dtoi64(const __w32 *p, __w32 *r)
{
    __w32 hi, lo;
    int over = __dtrunc(p, &hi, &lo);
    if (p[1] & __SIGN) {
        hi = ~hi + (lo == 0);
        lo = 0 - lo;
    }
    r[0] = lo;
    r[1] = hi;
    return over;
}

__w32 *__dtoll(const __w32 *p, __w32 *r)
{
    /* In range: the sign of the result is the sign of x, or the result is 0. */
    if (__dtoi64(p, r) || (((r[1] ^ p[1]) & __SIGN) && (r[1] | r[0]))) {
        r[1] = __SIGN;
        r[0] = 0;
    }
    return r;
}

__w32 *__dtoull(const __w32 *p, __w32 *r)
{
    if (__dtoi64(p, r)) {
        r[1] = __SIGN;
        r[0] = 0;
    }
    return r;
}

int32_t __dtol(const __w32 *p)
{
    __w32 v[2];
    __dtoll(p, v);
    /* within a long: the high word is the sign of the low one */
    if (v[1] != ((v[0] & __SIGN) ? 0xFFFFFFFFUL : 0)) return (int32_t)__SIGN;
    return (int32_t)v[0];
}

__w32 __dtoul(const __w32 *p)
{
    __w32 v[2];
    __dtoull(p, v);
    return v[0];
}

int __dtob(const __w32 *p)
{
    return !__DZERO(p[1], p[0]);
}

__w32 *__ftod(__w32 f, __w32 *r)
{
    __w32 s = f & __SIGN, m = f & 0x7FFFFFUL;
    int e = (int)((f >> 23) & 0xFF);
    if (e == 0xFF) /* infinity, or a NaN made quiet */
        return __dset(s | 0x7FF00000UL | (m ? 0x80000UL : 0) | (m >> 3), m << 29, r);
    if (!e) return m ? __dpack(s != 0, -149, 0, m, 0, r) : __dset(s, 0, r);
    return __dset(s | ((__w32)(e + 896) << 20) | (m >> 3), m << 29, r);
}

__w32 __dtof(const __w32 *p)
{
    __w32 h = p[1], l = p[0], s = h & __SIGN, m = __DFRAC(h);
    int e = __DEXP(h);
    if (e == 0x7FF) return (m | l) ? s | 0x7FC00000UL | (m << 3) | (l >> 29) : s | 0x7F800000UL;
    if (!e && !(m | l)) return s;
    if (e) m |= 0x100000UL;
    else e = 1;
    return __fpack(s != 0, e - 1075, m, l, 0);
}
#endif
