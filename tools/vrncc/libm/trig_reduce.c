/* Reduction of a trigonometric argument: x = n pi/2 + r, |r| <= pi/4, r as hi + lo.
 *
 * Up to |x| = 2^19 pi/2 this is Cody and Waite's: pi/2 in pieces of 33 bits, so that n times
 * each piece is exact and the subtractions lose nothing when x is near a multiple of pi/2.
 * Beyond, it is Payne and Hanek's: x times 2/pi from the bits of 2/pi that matter for this x
 * (those that make the product's integer part a multiple of 4 are skipped), in integers. 256
 * bits of 2/pi after the skipped ones leave at least 160 exact fraction bits, more than the
 * 62 that a double can lose when it lies close to a multiple of pi/2. */
#if !defined(__VRNCC__) || defined(__VRNCC_FLOAT__) /* see libm_internal.h */
#include <math.h>

#include "libm_internal.h"

static const double inv_pio2 = 0.63661977236758138;
static const double pio2_1 = 1.5707963267341256;     /* first 33 bits of pi/2 */
static const double pio2_2 = 6.077100506303966e-11;  /* next 33 bits */
static const double pio2_3 = 2.0222662487111665e-21; /* next 33 bits */
static const double pio2_4 = 8.4784276603688996e-32; /* the rest, rounded */

/* 2/pi in binary, 32 bits a word, the most significant first. */
static const __lm_u32 two_over_pi[40] = {
    0xa2f9836e, 0x4e441529, 0xfc2757d1, 0xf534ddc0, 0xdb629599, 0x3c439041, 0xfe5163ab, 0xdebbc561,
    0xb7246e3a, 0x424dd2e0, 0x06492eea, 0x09d1921c, 0xfe1deb1c, 0xb129a73e, 0xe88235f5, 0x2ebb4484,
    0xe99c7026, 0xb45f7e41, 0x3991d639, 0x835339f4, 0x9c845f8b, 0xbdf9283b, 0x1ff897ff, 0xde05980f,
    0xef2f118b, 0x5a0a6d1f, 0x6d367ecf, 0x27cb09b7, 0x4f463f66, 0x9e5fea2d, 0x7527bac7, 0xebe5f17b,
    0x3d0739f7, 0x8a5292ea, 0x6bfb5fb1, 0x1f8d5d08, 0x56033046, 0xfc7b6bab, 0xf0cfbc20, 0x9af4361d};
/* pi/2 * 2^63, rounded down: the high and low words. */
static const __lm_u32 pio2_fixed_hi = 0xc90fdaa2;
static const __lm_u32 pio2_fixed_lo = 0x2168c234;

/* The 32 bits of the 320-bit number p (ten words, the least significant first) that start at
 * bit position pos (pos >= 0). */
static __lm_u32 bits_at(const __lm_u32* p, int pos) {
    int i = pos >> 5, s = pos & 31;
    __lm_u32 w = p[i] >> s;
    if (s != 0 && i + 1 < 10) w |= p[i + 1] << (32 - s);
    return w;
}

static int reduce_large(double x, double* hi, double* lo) {
    __lm_bits b;
    __lm_u32 m[2], p[10], f[4], r1, r2, r3, w;
    unsigned long long t, carry;
    int e, j0, point, i, j, q, z, negative, s;
    double scale, a, c2, c1;
    __lm_dd sum;

    b.d = x;
    negative = (__LM_HI(b) & 0x80000000) != 0;
    /* |x| = m * 2^e with m an integer of 53 bits. */
    e = (int)((__LM_HI(b) >> 20) & 0x7ff) - 1075;
    m[1] = (__LM_HI(b) & 0x000fffff) | 0x00100000;
    m[0] = __LM_LO(b);

    /* Word j of 2/pi weighs 2^-32(j+1); with m * 2^e its product is a multiple of 4 while
     * e - 32(j+1) >= 2. The first word that counts is j0. */
    j0 = e < 34 ? 0 : (e - 34) / 32 + 1;

    /* p = m * (words j0 .. j0+7 of 2/pi), schoolbook in 32-bit words. */
    for (i = 0; i < 10; i++) p[i] = 0;
    for (j = 0; j < 2; j++) {
        carry = 0;
        for (i = 0; i < 8; i++) {
            t = (unsigned long long)m[j] * two_over_pi[j0 + 7 - i] + p[i + j] + carry;
            p[i + j] = (__lm_u32)t;
            carry = t >> 32;
        }
        p[8 + j] = (__lm_u32)carry;
    }

    /* x * 2/pi = p * 2^(e - 32(j0 + 8)): the binary point sits before bit `point` of p. */
    point = 32 * (j0 + 8) - e;
    q = (int)(bits_at(p, point) & 3);
    for (i = 0; i < 4; i++) f[3 - i] = bits_at(p, point - 32 * (i + 1));

    /* A fraction of one half or more belongs to the next quadrant: take 1 - f, negated. */
    s = 0;
    if (f[3] & 0x80000000) {
        q++;
        s = 1;
        carry = 1;
        for (i = 0; i < 4; i++) {
            t = (unsigned long long)(__lm_u32)~f[i] + carry;
            f[i] = (__lm_u32)t;
            carry = t >> 32;
        }
    }

    /* Normalise the 128-bit fraction: f * 2^-128 = (f[3]:f[2]) * 2^(-64 - z). */
    z = 0;
    while (f[3] == 0 && z < 128) {
        f[3] = f[2];
        f[2] = f[1];
        f[1] = f[0];
        f[0] = 0;
        z += 32;
    }
    if (f[3] == 0) { /* cannot happen for a double, but keep the result defined */
        *hi = 0.0;
        *lo = 0.0;
        return negative ? (-q) & 3 : q & 3;
    }
    while (!(f[3] & 0x80000000)) {
        f[3] = (f[3] << 1) | (f[2] >> 31);
        f[2] = (f[2] << 1) | (f[1] >> 31);
        f[1] = (f[1] << 1) | (f[0] >> 31);
        f[0] <<= 1;
        z++;
    }

    /* r = f * pi/2: the 64 x 64-bit product, four words, then as a sum of doubles. */
    t = (unsigned long long)f[2] * pio2_fixed_lo;
    carry = t >> 32; /* the lowest word is too small to matter */
    t = (unsigned long long)f[3] * pio2_fixed_lo + carry;
    w = (__lm_u32)t;
    carry = t >> 32;
    t = (unsigned long long)f[2] * pio2_fixed_hi + w;
    r1 = (__lm_u32)t;
    t = (unsigned long long)f[3] * pio2_fixed_hi + carry + (t >> 32);
    r2 = (__lm_u32)t;
    r3 = (__lm_u32)(t >> 32);

    /* The product weighs 2^(-127 - z): r3 * 2^(-31 - z) + r2 * 2^(-63 - z) + r1 * ... */
    scale = __lm_words((__lm_u32)(1023 - 31 - z) << 20, 0);
    a = (double)r3 * scale;
    c2 = (double)r2 * (scale * 2.3283064365386963e-10); /* 2^-32 */
    c1 = (double)r1 * (scale * 5.4210108624275222e-20); /* 2^-64 */
    __lm_fast_two_sum(&sum, a, c2);
    __lm_fast_two_sum(&sum, sum.hi, sum.lo + c1);
    if (s) {
        sum.hi = -sum.hi;
        sum.lo = -sum.lo;
    }
    if (negative) {
        *hi = -sum.hi;
        *lo = -sum.lo;
        return (-q) & 3;
    }
    *hi = sum.hi;
    *lo = sum.lo;
    return q & 3;
}

int __lm_rem_pio2(double x, double* hi, double* lo) {
    double fn, t;
    __lm_dd s, u;
    long n;
    if (fabs(x) <= 0.78539816339744828) { /* pi/4 */
        *hi = x;
        *lo = 0.0;
        return 0;
    }
    if (fabs(x) >= 823549.6) return reduce_large(x, hi, lo); /* 2^19 pi/2 */
    fn = __lm_nearest(x * inv_pio2);
    n = (long)fn;
    t = x - fn * pio2_1; /* both products exact, and t is exact too */
    __lm_two_sum(&s, t, -(fn * pio2_2));
    __lm_two_sum(&u, s.hi, -(fn * pio2_3));
    __lm_two_sum(&s, u.hi, (s.lo + u.lo) - fn * pio2_4);
    *hi = s.hi;
    *lo = s.lo;
    return (int)(n & 3);
}
#endif
