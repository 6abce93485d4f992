/* Multiplication and division of doubles, correctly rounded. */
#ifdef __VRNCC_FLOAT__
#include "float_internal.h"

/* The special operands of a product or quotient: NaNs, infinities and zeros. Returns r when
 * the result is decided, 0 otherwise. `div` selects the quotient's rules. */
static __w32 *__dspecial(const __w32 *a, const __w32 *b, int div, __w32 *r)
{
    __w32 ah = a[1], al = a[0], bh = b[1], bl = b[0], s = (ah ^ bh) & __SIGN;
    int ai = __DEXP(ah) == 0x7FF, bi = __DEXP(bh) == 0x7FF;
    int az = __DZERO(ah, al), bz = __DZERO(bh, bl);
    if (__DNAN(ah, al)) return __dquiet(a, r);
    if (__DNAN(bh, bl)) return __dquiet(b, r);
    if (!div) {
        if ((ai && bz) || (az && bi)) return __dnan(r); /* inf x 0 */
        if (ai || bi) return __dset(s | 0x7FF00000UL, 0, r);
        if (az || bz) return __dset(s, 0, r);
        return 0;
    }
    if ((ai && bi) || (az && bz)) return __dnan(r); /* inf / inf, 0 / 0 */
    if (ai || bz) return __dset(s | 0x7FF00000UL, 0, r);
    if (bi || az) return __dset(s, 0, r);
    return 0;
}

/* A finite non-zero operand's 53-bit significand (bit 52 set) and its exponent. */
static int __dsig(const __w32 *x, __w32 *hi, __w32 *lo)
{
    int e = __DEXP(x[1]);
    *hi = __DFRAC(x[1]);
    *lo = x[0];
    if (e) {
        *hi |= 0x100000UL;
        return e;
    }
    return 1 - __dnormal(hi, lo);
}

/* 32 bits of the product p (16-bit limbs) from bit k up. */
static __w32 __bits32(const __w32 *p, int k)
{
    int w = k >> 4, s = k & 15;
    __w32 x = p[w] | (p[w + 1] << 16);
    if (s) x = (x >> s) | (p[w + 2] << (32 - s));
    return x;
}

__w32 *__dmul(const __w32 *a, const __w32 *b, __w32 *r)
{
    __w32 ah, al, bh, bl, x[4], y[4], p[9], t, carry;
    int ea, eb, i, j, sign = ((a[1] ^ b[1]) & __SIGN) != 0;
    if (__dspecial(a, b, 0, r)) return r;
    ea = __dsig(a, &ah, &al);
    eb = __dsig(b, &bh, &bl);
    x[0] = al & 0xFFFFUL, x[1] = al >> 16, x[2] = ah & 0xFFFFUL, x[3] = ah >> 16;
    y[0] = bl & 0xFFFFUL, y[1] = bl >> 16, y[2] = bh & 0xFFFFUL, y[3] = bh >> 16;
    for (i = 0; i < 9; i++) p[i] = 0;
    /* Each step's sum stays below 2^32: (2^16 - 1)^2 + 2 (2^16 - 1). */
    for (i = 0; i < 4; i++) {
        carry = 0;
        for (j = 0; j < 4; j++) {
            t = x[i] * y[j] + p[i + j] + carry;
            p[i + j] = t & 0xFFFFUL;
            carry = t >> 16;
        }
        p[i + 4] = carry;
    }
    /* The product lies in [2^104, 2^106): its bits from 42 up, the rest sticky. */
    return __dpack(sign, ea + eb - 2108, __bits32(p, 74), __bits32(p, 42),
                   (p[0] | p[1] | (p[2] & 0x3FFUL)) != 0, r);
}

__w32 *__ddiv(const __w32 *a, const __w32 *b, __w32 *r)
{
    __w32 ah, al, bh, bl, qh = 0, ql = 0, t;
    int e, i, sign = ((a[1] ^ b[1]) & __SIGN) != 0;
    if (__dspecial(a, b, 1, r)) return r;
    e = __dsig(a, &ah, &al);
    e -= __dsig(b, &bh, &bl);
    if (ah < bh || (ah == bh && al < bl)) {
        ah = (ah << 1) | (al >> 31);
        al <<= 1;
        e--;
    }
    /* 62 quotient bits, one per step, of a quotient in [1, 2); the remainder is the sticky. */
    for (i = 0; i < 62; i++) {
        qh = (qh << 1) | (ql >> 31);
        ql <<= 1;
        if (ah > bh || (ah == bh && al >= bl)) {
            t = al;
            al -= bl;
            ah -= bh + (t < bl);
            ql |= 1;
        }
        ah = (ah << 1) | (al >> 31);
        al <<= 1;
    }
    return __dpack(sign, e - 61, qh, ql, (ah | al) != 0, r);
}
#endif
