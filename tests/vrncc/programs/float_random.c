/* Randomized differential check of the floating-point arithmetic and conversions: operands come
 * from a generator that favours the hard cases (subnormals, the largest and smallest normals,
 * operands whose sum rounds at or next to a tie, sparse fractions whose products are nearly
 * exact, infinities and NaNs now and then), and the bits of every result are folded into one
 * checksum per operation; the operands of every 32nd round are also printed (%.17g, %.3e)
 * and read back with strtod. The host's compiler builds the same program (float_random.portable),
 * so its processor's IEEE results must give the same checksums. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define ROUNDS 1500

static uint32_t seed = 2463534242UL;

static uint32_t next(void)
{
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    return seed;
}

static double from(uint32_t hi, uint32_t lo)
{
    uint32_t w[2];
    double x;
    w[0] = lo;
    w[1] = hi;
    memcpy(&x, w, 8);
    return x;
}

/* A double whose exponent is `e` (0 to 2047) and whose fraction is random, sometimes sparse. */
static double with_exponent(uint32_t e)
{
    uint32_t r = next(), hi = next() & 0xFFFFFUL, lo = next();
    if ((r & 3) == 0) lo &= 0xFFFF0000UL;
    if ((r & 0x30) == 0) {
        hi &= 0xF0000UL;
        lo = 0;
    }
    if (e == 2047 && (hi | lo)) hi |= 0x80000UL; /* a quiet NaN */
    return from((r & 0x80000000UL) | (e << 20) | hi, lo);
}

static uint32_t exponent_class(void)
{
    uint32_t r = next();
    switch (r & 7) {
        case 0:
            return next() % 2047;
        case 1:
            return 0;
        case 2:
            return 1 + (next() & 3);
        case 3:
            return 2046 - (next() & 3);
        case 4:
            return (next() & 0xF) == 0 ? 2047 : 1023;
        default:
            return 1023 - 30 + next() % 60;
    }
}

static uint32_t sums[18];

static void fold(int k, uint32_t w)
{
    sums[k] = (sums[k] ^ w) * 16777619UL;
}

static void fold_double(int k, double x)
{
    uint32_t w[2];
    memcpy(w, &x, 8);
    fold(k, w[0]);
    fold(k, w[1]);
}

static void fold_float(int k, float x)
{
    uint32_t w;
    memcpy(&w, &x, 4);
    fold(k, w);
}

int main(void)
{
    static const char *names[18] = {"add",  "sub",  "mul", "div", "fadd", "fsub",
                                    "fmul", "fdiv", "d2f", "f2d", "i2d",  "i2f",
                                    "d2i",  "u2f",  "cmp", "l2d", "print", "read"};
    char text[40];
    int j;
    int i, k;
    for (i = 0; i < ROUNDS; i++) {
        uint32_t ea = exponent_class(), eb;
        uint32_t r = next();
        double a, b;
        float fa, fb;
        int64_t n;
        if (ea != 2047 && ea > 60 && (r & 3) == 0)
            eb = ea - 50 - (next() & 7); /* b's bits end around a's rounding position */
        else if ((r & 3) == 1)
            eb = ea;
        else
            eb = exponent_class();
        a = with_exponent(ea);
        b = with_exponent(eb);
        fold_double(0, a + b);
        fold_double(1, a - b);
        fold_double(2, a * b);
        fold_double(3, a / b);
        fa = (float)a;
        fb = (float)b;
        if ((r & 0x300) == 0) {
            /* floats of their own range: the double's exponent shrunk into float's (each
             * number drawn in a statement of its own: C does not order a call's arguments) */
            uint32_t h = next() & 0x800FFFFFUL, l = next();
            fa = (float)from(((uint32_t)(ea % 300 + 1023 - 150) << 20) | h, l);
            h = next() & 0x800FFFFFUL;
            l = next();
            fb = (float)from(((uint32_t)(eb % 300 + 1023 - 150) << 20) | h, l);
        }
        fold_float(4, fa + fb);
        fold_float(5, fa - fb);
        fold_float(6, fa * fb);
        fold_float(7, fa / fb);
        fold_float(8, (float)a);
        fold_double(9, (double)fa);
        n = (int64_t)((uint64_t)next() << 32);
        n |= next();
        n >>= next() & 63; /* every width */
        fold_double(10, (double)n);
        fold_float(11, (float)n);
        if (a > -9.2e18 && a < 9.2e18) {
            n = (int64_t)a;
            fold(12, (uint32_t)n);
            fold(12, (uint32_t)((uint64_t)n >> 32));
            fold(12, (uint32_t)(int32_t)(a / 4.3e9));
        }
        fold_float(13, (float)next());
        fold_double(13, (double)(int32_t)next());
        fold(14, (uint32_t)((a < b) | (a <= b) << 1 | (a > b) << 2 | (a >= b) << 3 |
                            (a == b) << 4 | (a != b) << 5 | (fa < fb) << 6 | (fa == fb) << 7));
        fold_double(15, (double)(uint64_t)n);
        if ((i & 31) == 0) {
            sprintf(text, "%.17g", a);
            for (j = 0; text[j]; j++) fold(16, (uint8_t)text[j]);
            fold_double(17, strtod(text, 0));
            sprintf(text, "%.3e", b);
            for (j = 0; text[j]; j++) fold(16, (uint8_t)text[j]);
            fold_double(17, strtod(text, 0));
        }
    }
    for (k = 0; k < 18; k++) printf("%s %08lx\n", names[k], (unsigned long)sums[k]);
    return 0;
}
