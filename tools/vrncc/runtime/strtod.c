/* strtod and atof, correctly rounded: the decimal digits are read into a whole number D and a
 * power of ten, and the double nearest to D x 10^E is found with exact big-number arithmetic:
 * D x 10^E itself when E >= 0, else the quotient D / 10^-E to 64 bits and whether a remainder
 * is left. Hexadecimal floats, "inf", "infinity" and "nan" are read as C has them. */
#ifdef __VRNCC_FLOAT__
#include <ctype.h>
#include <errno.h>
#include <stdlib.h>
#include "float_internal.h"

/* Digits kept of a long decimal number: a value halfway between two doubles has at most 767
 * significant digits, so digits after the 800th only tell whether the rest is 0, and one more
 * non-zero digit stands for them. */
#define __KEPT 800
/* 16-bit limbs of the largest number used: 10^1125, the divisor of the smallest value read. */
#define __LIMBS 240

struct __big {
    unsigned short d[__LIMBS]; /* least significant first */
    int n;                     /* limbs in use; the top one is not 0 */
};

/* x = x * m + a, m and a at most 10000. */
static void __big_muladd(struct __big *x, __w32 m, __w32 a)
{
    __w32 t, carry = a;
    int i;
    for (i = 0; i < x->n; i++) {
        t = (__w32)x->d[i] * m + carry;
        x->d[i] = (unsigned short)(t & 0xFFFFUL);
        carry = t >> 16;
    }
    if (carry && x->n < __LIMBS) x->d[x->n++] = (unsigned short)carry;
}

static int __big_bits(const struct __big *x)
{
    int b = 16 * x->n;
    unsigned top;
    if (!x->n) return 0;
    for (top = x->d[x->n - 1]; !(top & 0x8000U); top <<= 1) b--;
    return b;
}

static void __big_shl(struct __big *x, int k)
{
    int w = k >> 4, s = k & 15, i;
    __w32 v;
    if (!x->n || k <= 0) return;
    if (x->n + w + 1 > __LIMBS) return; /* beyond every value read */
    x->d[x->n + w] = 0;
    for (i = x->n - 1; i >= 0; i--) {
        v = ((__w32)x->d[i] << s);
        x->d[i + w + 1] |= (unsigned short)(v >> 16);
        x->d[i + w] = (unsigned short)(v & 0xFFFFUL);
    }
    for (i = 0; i < w; i++) x->d[i] = 0;
    x->n += w + 1;
    while (x->n && !x->d[x->n - 1]) x->n--;
}

static int __big_cmp(const struct __big *x, const struct __big *y)
{
    int i;
    if (x->n != y->n) return x->n < y->n ? -1 : 1;
    for (i = x->n - 1; i >= 0; i--)
        if (x->d[i] != y->d[i]) return x->d[i] < y->d[i] ? -1 : 1;
    return 0;
}

/* x -= y, x >= y. */
static void __big_sub(struct __big *x, const struct __big *y)
{
    int32_t t, borrow = 0;
    int i;
    for (i = 0; i < x->n; i++) {
        t = (int32_t)x->d[i] - (i < y->n ? (int32_t)y->d[i] : 0) - borrow;
        borrow = t < 0;
        x->d[i] = (unsigned short)(t & 0xFFFFL);
    }
    while (x->n && !x->d[x->n - 1]) x->n--;
}

/* 32 bits of x from bit k up (bits below 0 are 0). */
static __w32 __big_bits32(const struct __big *x, int k)
{
    __w32 v = 0;
    int i;
    for (i = 31; i >= 0; i--) {
        int b = k + i, w = b >> 4;
        v <<= 1;
        if (b >= 0 && w < x->n && (x->d[w] >> (b & 15)) & 1) v |= 1;
    }
    return v;
}

/* Whether a bit of x below bit k is set. */
static int __big_below(const struct __big *x, int k)
{
    int i;
    for (i = 0; i < x->n && 16 * (i + 1) <= k; i++)
        if (x->d[i]) return 1;
    return i < x->n && 16 * i < k && (x->d[i] & ((1U << (k - 16 * i)) - 1));
}

/* The double nearest to D x 10^e10. */
static void __decimal_to_double(struct __big *dig, long e10, int neg, __w32 *r)
{
    struct __big p;
    __w32 qh = 0, ql = 0;
    int bits, sh, n = 0;
    if (e10 >= 0) {
        for (; e10 >= 4; e10 -= 4) __big_muladd(dig, 10000, 0);
        for (; e10 > 0; e10--) __big_muladd(dig, 10, 0);
        bits = __big_bits(dig);
        __dpack(neg, bits - 64, __big_bits32(dig, bits - 32), __big_bits32(dig, bits - 64),
                __big_below(dig, bits - 64), r);
        return;
    }
    p.n = 1;
    p.d[0] = 1;
    for (e10 = -e10; e10 >= 4; e10 -= 4) __big_muladd(&p, 10000, 0);
    for (; e10 > 0; e10--) __big_muladd(&p, 10, 0);
    /* Both to the same length, then one quotient bit per step until 64 are known. */
    sh = __big_bits(dig) - __big_bits(&p);
    if (sh > 0) __big_shl(&p, sh);
    else __big_shl(dig, -sh);
    while (!(qh & __SIGN)) {
        qh = (qh << 1) | (ql >> 31);
        ql <<= 1;
        if (__big_cmp(dig, &p) >= 0) {
            __big_sub(dig, &p);
            ql |= 1;
        }
        __big_shl(dig, 1);
        n++;
    }
    __dpack(neg, sh - n + 1, qh, ql, dig->n != 0, r);
}

static int __hexval(int c)
{
    if (c >= '0' && c <= '9') return c - '0';
    c |= 0x20;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

/* Whether s starts with the lower-case word w, in any case. */
static int __word(const char *s, const char *w)
{
    for (; *w; s++, w++)
        if ((*s | 0x20) != *w) return 0;
    return 1;
}

/* The exponent after e or p: its digits, or 0 (and `*s` unmoved) when none follow. */
static long __exponent(const char **s)
{
    const char *p = *s + 1;
    long v = 0;
    int neg = 0;
    if (*p == '+' || *p == '-') neg = *p++ == '-';
    if (!isdigit(*p)) return 0;
    while (isdigit(*p)) {
        if (v < 100000L) v = v * 10 + (*p - '0');
        p++;
    }
    *s = p;
    return neg ? -v : v;
}

/* A hexadecimal float after its 0x: 64 bits of digits, the rest sticky. */
static const char *__hexfloat(const char *p, int neg, __w32 *r)
{
    __w32 hi = 0, lo = 0;
    long e2 = 0;
    int sticky = 0, point = 0, any = 0, v;
    for (;; p++) {
        if (*p == '.' && !point) {
            point = 1;
            continue;
        }
        v = __hexval(*p);
        if (v < 0) break;
        any = 1;
        if (!(hi & 0xF0000000UL)) {
            hi = (hi << 4) | (lo >> 28);
            lo = (lo << 4) | (__w32)v;
            if (point) e2 -= 4;
        } else {
            if (v) sticky = 1;
            if (!point) e2 += 4;
        }
    }
    if (!any) return 0;
    if (*p == 'p' || *p == 'P') e2 += __exponent(&p);
    if (e2 > 20000) e2 = 20000;
    if (e2 < -20000) e2 = -20000;
    if (!(hi | lo)) __dset(neg ? __SIGN : 0, 0, r);
    else __dpack(neg, (int)e2, hi, lo, sticky, r);
    return p;
}

double strtod(const char *s, char **end)
{
    union {
        double d;
        __w32 w[2];
    } u;
    struct __big dig;
    const char *p = s, *q;
    long e10 = 0;
    int neg = 0, any = 0, point = 0, kept = 0, sticky = 0;
    __w32 chunk = 0, scale = 1;
    while (isspace(*p)) p++;
    if (*p == '+' || *p == '-') neg = *p++ == '-';
    u.w[0] = 0;
    u.w[1] = neg ? __SIGN : 0;
    if (__word(p, "inf")) {
        p += __word(p, "infinity") ? 8 : 3;
        u.w[1] |= 0x7FF00000UL;
    } else if (__word(p, "nan")) {
        p += 3;
        u.w[1] |= 0x7FF80000UL;
        if (*p == '(') {
            for (q = p + 1; isalnum(*q) || *q == '_'; q++) continue;
            if (*q == ')') p = q + 1;
        }
    } else if (p[0] == '0' && (p[1] | 0x20) == 'x' && (q = __hexfloat(p + 2, neg, u.w)) != 0) {
        p = q;
    } else {
        dig.n = 0;
        for (;; p++) {
            if (*p == '.' && !point) {
                point = 1;
                continue;
            }
            if (!isdigit(*p)) break;
            any = 1;
            if (kept == 0 && *p == '0') {
                if (point) e10--; /* a leading zero after the point */
                continue;
            }
            if (kept < __KEPT) {
                /* Four digits at a time into the number. */
                chunk = chunk * 10 + (__w32)(*p - '0');
                scale *= 10;
                if (scale == 10000) {
                    __big_muladd(&dig, scale, chunk);
                    chunk = 0;
                    scale = 1;
                }
                kept++;
                if (point) e10--;
            } else {
                if (*p != '0') sticky = 1;
                if (!point) e10++;
            }
        }
        if (!any) {
            p = s; /* no number: nothing is read, and the result is +0 */
            u.w[1] = 0;
        } else {
            if (scale > 1) __big_muladd(&dig, scale, chunk);
            if (sticky) {
                __big_muladd(&dig, 10, 1);
                e10--;
            }
            if (*p == 'e' || *p == 'E') e10 += __exponent(&p);
            if (dig.n) {
                if (e10 + kept > 310) {
                    u.w[1] |= 0x7FF00000UL;
                } else if (e10 + kept >= -325) {
                    __decimal_to_double(&dig, e10, neg, u.w);
                }
                /* out of range: infinity, or 0 for a value too small even to round up */
                if (__DEXP(u.w[1]) == 0x7FF || __DZERO(u.w[1], u.w[0])) errno = ERANGE;
            }
        }
    }
    if (end) *end = (char *)p;
    return u.d;
}

double atof(const char *s)
{
    return strtod(s, 0);
}
#endif
