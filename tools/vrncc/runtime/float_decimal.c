/* The exact decimal digits of a double and their rounding (see float_decimal.h). */
#ifdef __VRNCC_FLOAT__
#include "float_decimal.h"

/* d = d x m + 0, m at most 15625: every step stays below 2^31. */
static void __dec_mul(struct __decimal *d, int32_t m)
{
    int32_t t, carry = 0;
    int i;
    for (i = 0; i < d->len; i++) {
        t = (int32_t)d->limb[i] * m + carry;
        d->limb[i] = (unsigned short)(t % 10000);
        carry = t / 10000;
    }
    while (carry) {
        d->limb[d->len++] = (unsigned short)(carry % 10000);
        carry /= 10000;
    }
}

void __dec_exact(struct __decimal *d, const __w32 *x)
{
    __w32 hi = __DFRAC(x[1]), lo = x[0];
    int32_t part[4], rem, cur;
    int e = __DEXP(x[1]), i, k, top;
    if (e) hi |= 0x100000UL;
    else e = 1;
    e -= 1075; /* |x| = hi:lo x 2^e */
    /* hi:lo (below 2^53) in base 10000: divided 16 bits at a time. */
    d->len = 0;
    while (hi | lo) {
        part[0] = (int32_t)(hi >> 16);
        part[1] = (int32_t)(hi & 0xFFFFUL);
        part[2] = (int32_t)(lo >> 16);
        part[3] = (int32_t)(lo & 0xFFFFUL);
        rem = 0;
        for (i = 0; i < 4; i++) {
            cur = (rem << 16) | part[i];
            part[i] = cur / 10000;
            rem = cur % 10000;
        }
        hi = ((__w32)part[0] << 16) | (__w32)part[1];
        lo = ((__w32)part[2] << 16) | (__w32)part[3];
        d->limb[d->len++] = (unsigned short)rem;
    }
    for (k = e; k > 0; k -= 13) __dec_mul(d, (int32_t)1 << (k > 13 ? 13 : k));
    for (k = -e; k > 0; k -= 6) {
        int32_t p = 1;
        for (i = k > 6 ? 6 : k; i > 0; i--) p *= 5;
        __dec_mul(d, p);
    }
    top = d->limb[d->len - 1];
    d->nd = 4 * (d->len - 1) + (top >= 1000 ? 4 : top >= 100 ? 3 : top >= 10 ? 2 : 1);
    d->point = d->nd - (e < 0 ? -e : 0);
    __dec_round(d, d->nd);
}

/* The exact i-th digit from the first. */
static int __dec_raw(const struct __decimal *d, int i)
{
    int p = d->nd - 1 - i;
    int x;
    if (i < 0 || p < 0) return 0;
    x = d->limb[p >> 2];
    switch (p & 3) {
        case 3:
            x /= 1000;
            break;
        case 2:
            x /= 100;
            break;
        case 1:
            x /= 10;
            break;
    }
    return x % 10;
}

/* Whether a digit after the i-th is not 0. */
static int __dec_rest(const struct __decimal *d, int i)
{
    int p = d->nd - 1 - i, k, below = 1; /* digits below position p */
    if (p <= 0) return 0;
    for (k = p & 3; k > 0; k--) below *= 10;
    if (d->limb[p >> 2] % below) return 1;
    for (k = (p >> 2) - 1; k >= 0; k--)
        if (d->limb[k]) return 1;
    return 0;
}

void __dec_round(struct __decimal *d, int keep)
{
    int g, n = 0;
    d->keep = keep;
    d->up = d->nines = d->zero = d->one = 0;
    d->decpt = d->point;
    if (keep >= d->nd) return;
    if (keep < 0) {
        d->zero = 1;
        return;
    }
    g = __dec_raw(d, keep);
    if (g < 5 || (g == 5 && !__dec_rest(d, keep) && !(__dec_raw(d, keep - 1) & 1))) {
        d->zero = keep == 0;
        return;
    }
    while (n < keep && __dec_raw(d, keep - 1 - n) == 9) n++;
    d->up = 1;
    d->nines = n;
    if (n == keep) {
        d->one = 1;
        d->decpt++;
    }
}

int __dec_digit(const struct __decimal *d, int i)
{
    int last;
    if (d->zero || i < 0) return 0;
    if (d->one) return i == 0;
    if (i >= d->keep) return 0;
    if (d->up) {
        last = d->keep - 1 - d->nines;
        if (i > last) return 0;
        if (i == last) return __dec_raw(d, i) + 1;
    }
    return __dec_raw(d, i);
}
#endif
