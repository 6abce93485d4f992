/* Double-double steps: sums and products whose rounding error is recovered exactly, so a
 * value can be carried as hi + lo with about 106 bits. They need every operation rounded once
 * to double, as the machine does it (no fused multiply-add, no wider registers). */
#if !defined(__VRNCC__) || defined(__VRNCC_FLOAT__) /* see libm_internal.h */
#include "libm_internal.h"

/* hi + lo = a + b exactly, for any a and b. */
void __lm_two_sum(__lm_dd* r, double a, double b) {
    double s = a + b;
    double bb = s - a;
    double e = (a - (s - bb)) + (b - bb);
    r->hi = s;
    r->lo = e;
}

/* hi + lo = a + b exactly when |a| >= |b| (or a is 0). */
void __lm_fast_two_sum(__lm_dd* r, double a, double b) {
    double s = a + b;
    r->lo = b - (s - a);
    r->hi = s;
}

/* hi + lo = a * b exactly: each factor is split into two halves of 26 bits, whose products
 * are exact. Valid while |a| and |b| stay below 2^995. */
void __lm_two_prod(__lm_dd* r, double a, double b) {
    double split = 134217729.0; /* 2^27 + 1 */
    double c, ah, al, bh, bl, p;
    c = split * a;
    ah = c - (c - a);
    al = a - ah;
    c = split * b;
    bh = c - (c - b);
    bl = b - bh;
    p = a * b;
    r->hi = p;
    r->lo = ((ah * bh - p) + ah * bl + al * bh) + al * bl;
}

void __lm_dd_mul(__lm_dd* r, const __lm_dd* a, const __lm_dd* b) {
    __lm_dd p;
    __lm_two_prod(&p, a->hi, b->hi);
    p.lo += a->hi * b->lo + a->lo * b->hi;
    __lm_fast_two_sum(r, p.hi, p.lo);
}

void __lm_dd_add(__lm_dd* r, const __lm_dd* a, const __lm_dd* b) {
    __lm_dd s;
    __lm_two_sum(&s, a->hi, b->hi);
    s.lo += a->lo + b->lo;
    __lm_fast_two_sum(r, s.hi, s.lo);
}

double __lm_poly(double x, const double* c, int n) {
    double p = c[0];
    int i;
    for (i = 1; i < n; i++) p = p * x + c[i];
    return p;
}
#endif
