/* 64-bit integer arithmetic for long long and unsigned long long. A 64-bit value is two
 * unsigned longs in memory, the low half first. The compiler calls these helpers with the
 * addresses of the result and of the operands; a result may be written over an operand, so
 * each helper reads everything before it writes. Runtime code written in C simply uses
 * long long, which comes here. */

typedef unsigned long __u32;

void __lladd(__u32 *r, const __u32 *a, const __u32 *b)
{
    __u32 lo = a[0] + b[0];
    __u32 hi = a[1] + b[1] + (lo < a[0]);
    r[0] = lo;
    r[1] = hi;
}

void __llsub(__u32 *r, const __u32 *a, const __u32 *b)
{
    __u32 lo = a[0] - b[0];
    __u32 hi = a[1] - b[1] - (a[0] < b[0]);
    r[0] = lo;
    r[1] = hi;
}

/* x + k, k a signed 32-bit step (++ and --), in place; returns x. */
__u32 *__lladdl(__u32 *x, long k)
{
    __u32 lo = x[0] + (__u32)k;
    x[1] += (k < 0 ? 0xFFFFFFFFUL : 0UL) + (lo < x[0]);
    x[0] = lo;
    return x;
}

void __lland(__u32 *r, const __u32 *a, const __u32 *b)
{
    r[0] = a[0] & b[0];
    r[1] = a[1] & b[1];
}

void __llor(__u32 *r, const __u32 *a, const __u32 *b)
{
    r[0] = a[0] | b[0];
    r[1] = a[1] | b[1];
}

void __llxor(__u32 *r, const __u32 *a, const __u32 *b)
{
    r[0] = a[0] ^ b[0];
    r[1] = a[1] ^ b[1];
}

void __llnot(__u32 *r, const __u32 *a)
{
    r[0] = ~a[0];
    r[1] = ~a[1];
}

void __llneg(__u32 *r, const __u32 *a)
{
    __u32 lo = 0UL - a[0];
    r[1] = ~a[1] + (a[0] == 0UL);
    r[0] = lo;
}

/* The order of two values: -1, 0 or 1. */
int __llcmp(const __u32 *a, const __u32 *b)
{
    if (a[1] != b[1]) return (long)a[1] < (long)b[1] ? -1 : 1;
    if (a[0] != b[0]) return a[0] < b[0] ? -1 : 1;
    return 0;
}

int __ullcmp(const __u32 *a, const __u32 *b)
{
    if (a[1] != b[1]) return a[1] < b[1] ? -1 : 1;
    if (a[0] != b[0]) return a[0] < b[0] ? -1 : 1;
    return 0;
}

/* Shifts by n modulo 64 (C leaves 64 and more undefined). */
void __llshl(__u32 *r, const __u32 *a, int n)
{
    __u32 lo = a[0], hi = a[1];
    n &= 63;
    if (n >= 32) {
        hi = lo << (n - 32);
        lo = 0;
    } else if (n) {
        hi = (hi << n) | (lo >> (32 - n));
        lo <<= n;
    }
    r[0] = lo;
    r[1] = hi;
}

void __llshr(__u32 *r, const __u32 *a, int n)
{
    __u32 lo = a[0], hi = a[1];
    n &= 63;
    if (n >= 32) {
        lo = hi >> (n - 32);
        hi = 0;
    } else if (n) {
        lo = (lo >> n) | (hi << (32 - n));
        hi >>= n;
    }
    r[0] = lo;
    r[1] = hi;
}

void __llsar(__u32 *r, const __u32 *a, int n)
{
    __u32 lo = a[0], hi = a[1];
    n &= 63;
    if (n >= 32) {
        lo = (__u32)((long)hi >> (n - 32));
        hi = (__u32)((long)hi >> 31);
    } else if (n) {
        lo = (lo >> n) | (hi << (32 - n));
        hi = (__u32)((long)hi >> n);
    }
    r[0] = lo;
    r[1] = hi;
}

/* The low 64 bits of the product. a0 * b0 needs all 64 bits of its product: it is made of
 * 16-bit pieces whose products fit in 32 bits; the cross terms only reach the high half. */
void __llmul(__u32 *r, const __u32 *a, const __u32 *b)
{
    __u32 a0 = a[0], b0 = b[0];
    __u32 al = a0 & 0xFFFFUL, ah = a0 >> 16, bl = b0 & 0xFFFFUL, bh = b0 >> 16;
    __u32 ll = al * bl, lh = al * bh, hl = ah * bl;
    __u32 mid = (ll >> 16) + (lh & 0xFFFFUL) + (hl & 0xFFFFUL);
    __u32 hi = ah * bh + (lh >> 16) + (hl >> 16) + (mid >> 16);
    hi += a0 * b[1] + a[1] * b0;
    r[0] = (ll & 0xFFFFUL) | (mid << 16);
    r[1] = hi;
}

/* The index of the highest set bit of x (not 0). */
static int __top32(__u32 x)
{
    int n = 0;
    if (x >= 0x10000UL) {
        n += 16;
        x >>= 16;
    }
    if (x >= 0x100UL) {
        n += 8;
        x >>= 8;
    }
    if (x >= 0x10UL) {
        n += 4;
        x >>= 4;
    }
    if (x >= 4UL) {
        n += 2;
        x >>= 2;
    }
    return x >= 2UL ? n + 1 : n;
}

/* Unsigned division: q and r (either may be null) of a by b. Small cases use the machine's
 * signed 32-bit division: both values below 2^31, or a divisor below 2^15, which divides the
 * dividend 16 bits at a time. The rest shifts and subtracts, one step per bit of the quotient:
 * the divisor is lined up under the dividend's highest bit and walks down from there. */
static void __udivmod64(__u32 *q, __u32 *r, const __u32 *a, const __u32 *b)
{
    __u32 ah = a[1], al = a[0], bh = b[1], bl = b[0];
    __u32 qh = 0, ql = 0, rh = 0, rl = 0;
    if (bh == 0 && bl == 0) {
        ql = (__u32)((long)al / 0L); /* the machine's division by zero */
        rl = al;
    } else if (bh == 0 && ah == 0 && (long)al >= 0 && (long)bl > 0) {
        ql = (__u32)((long)al / (long)bl);
        rl = al - ql * bl;
    } else if (bh == 0 && bl < 0x8000UL) {
        long d = (long)bl, rem, cur;
        cur = (long)(ah >> 16);
        qh = (__u32)(cur / d) << 16;
        rem = cur % d;
        cur = (rem << 16) | (long)(ah & 0xFFFFUL);
        qh |= (__u32)(cur / d);
        rem = cur % d;
        cur = (rem << 16) | (long)(al >> 16);
        ql = (__u32)(cur / d) << 16;
        rem = cur % d;
        cur = (rem << 16) | (long)(al & 0xFFFFUL);
        ql |= (__u32)(cur / d);
        rl = (__u32)(cur % d);
    } else if (ah < bh || (ah == bh && al < bl)) {
        rh = ah;
        rl = al;
    } else {
        int i = (ah ? 32 + __top32(ah) : __top32(al)) - (bh ? 32 + __top32(bh) : __top32(bl));
        __u32 dh = bh, dl = bl;
        if (i >= 32) {
            dh = dl << (i - 32);
            dl = 0;
        } else if (i) {
            dh = (dh << i) | (dl >> (32 - i));
            dl <<= i;
        }
        rh = ah;
        rl = al;
        for (; i >= 0; i--) {
            if (rh > dh || (rh == dh && rl >= dl)) {
                rh = rh - dh - (rl < dl);
                rl -= dl;
                if (i >= 32) qh |= 1UL << (i - 32);
                else ql |= 1UL << i;
            }
            dl = (dl >> 1) | (dh << 31);
            dh >>= 1;
        }
    }
    if (q) {
        q[0] = ql;
        q[1] = qh;
    }
    if (r) {
        r[0] = rl;
        r[1] = rh;
    }
}

void __ulldiv(__u32 *r, const __u32 *a, const __u32 *b)
{
    __udivmod64(r, 0, a, b);
}

void __ullmod(__u32 *r, const __u32 *a, const __u32 *b)
{
    __udivmod64(0, r, a, b);
}

/* Signed division truncates toward zero; the remainder has the sign of the dividend. */
static void __sdivmod64(__u32 *q, __u32 *r, const __u32 *a, const __u32 *b)
{
    __u32 x[2], y[2];
    int na = (long)a[1] < 0, nb = (long)b[1] < 0;
    if (!na && !nb) {
        __udivmod64(q, r, a, b);
        return;
    }
    if (na) __llneg(x, a);
    else {
        x[0] = a[0];
        x[1] = a[1];
    }
    if (nb) __llneg(y, b);
    else {
        y[0] = b[0];
        y[1] = b[1];
    }
    __udivmod64(q, r, x, y);
    if (q && na != nb) __llneg(q, q);
    if (r && na) __llneg(r, r);
}

void __lldiv(__u32 *r, const __u32 *a, const __u32 *b)
{
    __sdivmod64(r, 0, a, b);
}

void __llmod(__u32 *r, const __u32 *a, const __u32 *b)
{
    __sdivmod64(0, r, a, b);
}

/* A bit-field of a 64-bit allocation unit: `bits` wide at bit `off`. */
void __llbits_get(const unsigned long long *unit, int off, int bits, int sgn, long long *r)
{
    unsigned long long v = *unit << (64 - off - bits);
    if (sgn) *r = (long long)v >> (64 - bits);
    else *r = (long long)(v >> (64 - bits));
}

void __llbits_set(unsigned long long *unit, int off, int bits, const unsigned long long *v)
{
    unsigned long long mask = (bits == 64 ? ~0ULL : (1ULL << bits) - 1) << off;
    *unit = (*unit & ~mask) | ((*v << off) & mask);
}
