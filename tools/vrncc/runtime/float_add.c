/* Addition and subtraction of doubles, correctly rounded: the smaller operand is aligned below
 * the larger one with ten spare bits and a sticky bit, which is all rounding needs to know. */
#ifdef __VRNCC_FLOAT__
#include "float_internal.h"

static __w32 *__daddsub(const __w32 *a, const __w32 *b, __w32 flip, __w32 *r)
{
    __w32 ah = a[1], al = a[0], bh = b[1] ^ flip, bl = b[0], t;
    int ea = __DEXP(ah), eb = __DEXP(bh), sa = (ah & __SIGN) != 0, sb = (bh & __SIGN) != 0;
    int d;
    if (ea == 0x7FF || eb == 0x7FF) {
        if (__DNAN(ah, al)) return __dquiet(a, r);
        if (__DNAN(bh, bl)) return __dquiet(b, r);
        if (ea == 0x7FF && eb == 0x7FF && sa != sb) return __dnan(r); /* inf - inf */
        return ea == 0x7FF ? __dset(ah, al, r) : __dset(bh, bl, r);
    }
    if (__DZERO(ah, al)) {
        /* 0 + 0 is -0 only when both are; x + 0 is x. */
        if (__DZERO(bh, bl)) return __dset(sa && sb ? __SIGN : 0, 0, r);
        return __dset(bh, bl, r);
    }
    if (__DZERO(bh, bl)) return __dset(ah, al, r);
    /* The significands with their implicit bit, ten bits up; a subnormal's exponent is 1. */
    ah = __DFRAC(ah);
    bh = __DFRAC(bh);
    if (ea) ah |= 0x100000UL;
    else ea = 1;
    if (eb) bh |= 0x100000UL;
    else eb = 1;
    ah = (ah << 10) | (al >> 22);
    al <<= 10;
    bh = (bh << 10) | (bl >> 22);
    bl <<= 10;
    if (ea < eb || (ea == eb && (ah < bh || (ah == bh && al < bl)))) {
        /* a is the larger in magnitude */
        t = ah, ah = bh, bh = t;
        t = al, al = bl, bl = t;
        d = ea, ea = eb, eb = d;
        d = sa, sa = sb, sb = d;
    }
    /* Bits shifted out below the spare ones only break ties: one sticky bit stands for them. */
    if (__shr64s(&bh, &bl, ea - eb)) bl |= 1;
    if (sa == sb) {
        al += bl;
        ah += bh + (al < bl);
    } else {
        t = al;
        al -= bl;
        ah -= bh + (t < bl);
        if (!(ah | al)) return __dset(0, 0, r); /* x - x is +0 */
    }
    return __dpack(sa, ea - 1085, ah, al, 0, r);
}

__w32 *__dadd(const __w32 *a, const __w32 *b, __w32 *r)
{
    return __daddsub(a, b, 0, r);
}

__w32 *__dsub(const __w32 *a, const __w32 *b, __w32 *r)
{
    return __daddsub(a, b, __SIGN, r);
}
#endif
