/* The exact decimal value of a double, for printf's %e %f %g. Every finite double is m x 2^e:
 * a whole number when e >= 0, and m x 5^-e / 10^-e when e < 0, so its decimal digits are those
 * of a whole number of at most 767 digits with the decimal point placed among them. The
 * digits are kept in base 10000, least significant first; rounding to a number of digits marks
 * where the rounded digits differ from the exact ones instead of rewriting them. */
#ifndef __FLOAT_DECIMAL_H
#define __FLOAT_DECIMAL_H
#include "float_internal.h"

struct __decimal {
    unsigned short limb[194];
    int len;   /* limbs in use */
    int nd;    /* digits of the whole number */
    int point; /* digits before the decimal point: the value is 0.DIGITS x 10^point */
    /* After __dec_round: */
    int keep;  /* digits kept from the first */
    int up;    /* the last kept digit that is not a 9 went up by one, the 9s after it to 0 */
    int nines; /* those 9s */
    int zero;  /* the value rounded to 0 */
    int one;   /* the value rounded up to 1 followed by zeros */
    int decpt; /* the rounded value's point */
};

/* x finite and not zero. */
void __dec_exact(struct __decimal* d, const __w32* x);
/* Rounds to `keep` digits from the first (any int), to nearest, ties to even. */
void __dec_round(struct __decimal* d, int keep);
/* The i-th digit of the rounded value from its first (0 past its digits). */
int __dec_digit(const struct __decimal* d, int i);
#endif
