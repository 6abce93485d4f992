/* What the math library's files share: the view of a double as its two 32-bit halves, the
 * exact double-double steps, and the library's own helpers. Everything here is plain C on
 * double: the machine's arithmetic is correctly rounded binary64, so each step below gives the
 * same bits on the machine as on any host whose double is binary64 without extra precision.
 * vrncc compiles these files with every program, as it does the runtime library; each file is
 * empty unless the program has floating point (__VRNCC_FLOAT__), so its tables do not land in
 * the image of a program that never uses them. */
#ifndef _LIBM_INTERNAL_H
#define _LIBM_INTERNAL_H

/* A type of exactly 32 bits: long on the machine, where int has 16; int on 64-bit hosts. */
#ifdef __VRNCC__
typedef unsigned long __lm_u32;
typedef long __lm_i32;
#else
typedef unsigned int __lm_u32;
typedef int __lm_i32;
#endif

/* A double and its bits, the low half first as in memory on the machine and on x86. */
typedef union {
    double d;
    __lm_u32 w[2];
    unsigned long long u;
} __lm_bits;

#define __LM_HI(b) ((b).w[1])
#define __LM_LO(b) ((b).w[0])

/* A value held as the unevaluated sum hi + lo, |lo| at most half an ulp of hi. */
typedef struct {
    double hi, lo;
} __lm_dd;

/* Exact steps on doubles (dd.c). */
void __lm_two_sum(__lm_dd* r, double a, double b);
void __lm_fast_two_sum(__lm_dd* r, double a, double b);
void __lm_two_prod(__lm_dd* r, double a, double b);
void __lm_dd_mul(__lm_dd* r, const __lm_dd* a, const __lm_dd* b);
void __lm_dd_add(__lm_dd* r, const __lm_dd* a, const __lm_dd* b);

/* c[0] x^(n-1) + c[1] x^(n-2) + ... + c[n-1], by Horner's rule (dd.c). */
double __lm_poly(double x, const double* c, int n);

/* Bits (bits.c). */
double __lm_words(__lm_u32 hi, __lm_u32 lo);
double __lm_nearest(double x);
double __lm_domain_error(void);
double __lm_pole_error(int negative);
double __lm_overflow(int negative);

/* ldexp's exact scaling by 2^n, rounded once (ldexp.c). */
double __lm_scale(double x, int n);

/* e^(hi - lo) for |hi - lo| up to about ln 2 / 2, rounded once (exp.c). */
double __lm_exp_kernel(double hi, double lo);
/* Splits x into k ln 2 + (hi - lo), |hi - lo| <= ln 2 / 2 (exp.c). */
int __lm_exp_reduce(double x, double* hi, double* lo);

/* x reduced to hi + lo in [-pi/4, pi/4] (a little more when x is near a boundary) and the
 * quadrant (mod 4) of the multiple of pi/2 taken away (trig_reduce.c). */
int __lm_rem_pio2(double x, double* hi, double* lo);
/* sin and cos of hi + lo for |hi + lo| <= pi/4 (trig.c). */
double __lm_sin_kernel(double hi, double lo);
double __lm_cos_kernel(double hi, double lo);

/* asin(s) - s over s^3 as a function of t = s^2, t <= 1/4 (asin.c). */
double __lm_asin_tail(double t);

/* Splits x > 0 into 2^k (1 + f), 1 + f in [sqrt(2)/2, sqrt(2)) (log.c). */
double __lm_log_reduce(double x, int* k);

#endif
