#ifndef _MATH_H
#define _MATH_H
/* Mathematical functions on double, in software: the machine has no floating point. sqrt,
 * fabs, floor, ceil, trunc, fmod, frexp, ldexp and modf are exact (sqrt correctly rounded);
 * the others are within a few units in the last place (docs/c.md has the measured table).
 * Domain errors set errno to EDOM and return NaN; overflows and poles set ERANGE. */

#ifdef __VRNCC__
/* Overflowing constants are infinite; an infinity times zero is NaN. */
#define HUGE_VAL 1e999
#define HUGE_VALF 1e999f
#define INFINITY 1e999f
#define NAN (1e999f * 0.0f)
#else
/* The same library compiled by a host compiler (its tests). */
#define HUGE_VAL (__builtin_huge_val())
#define HUGE_VALF (__builtin_huge_valf())
#define INFINITY (__builtin_inff())
#define NAN (__builtin_nanf(""))
#endif

#define FP_NAN 0
#define FP_INFINITE 1
#define FP_ZERO 2
#define FP_SUBNORMAL 3
#define FP_NORMAL 4

/* Classification works on double; a float argument converts to double exactly. */
int __fpclassify(double x);
int __signbit(double x);
#define fpclassify(x) __fpclassify(x)
#define isnan(x) (__fpclassify(x) == FP_NAN)
#define isinf(x) (__fpclassify(x) == FP_INFINITE)
#define isfinite(x) (__fpclassify(x) >= FP_ZERO)
#define isnormal(x) (__fpclassify(x) == FP_NORMAL)
#define signbit(x) __signbit(x)

#define M_E 2.7182818284590452354
#define M_LOG2E 1.4426950408889634074
#define M_LOG10E 0.43429448190325182765
#define M_LN2 0.69314718055994530942
#define M_LN10 2.30258509299404568402
#define M_PI 3.14159265358979323846
#define M_PI_2 1.57079632679489661923
#define M_PI_4 0.78539816339744830962
#define M_1_PI 0.31830988618379067154
#define M_2_PI 0.63661977236758134308
#define M_2_SQRTPI 1.12837916709551257390
#define M_SQRT2 1.41421356237309504880
#define M_SQRT1_2 0.70710678118654752440

double sqrt(double x);
double fabs(double x);
double copysign(double x, double y);
double floor(double x);
double ceil(double x);
double trunc(double x);
double fmod(double x, double y);
double frexp(double x, int* e);
double ldexp(double x, int n);
double modf(double x, double* ip);
double sin(double x);
double cos(double x);
double tan(double x);
double asin(double x);
double acos(double x);
double atan(double x);
double atan2(double y, double x);
double exp(double x);
double expm1(double x);
double log(double x);
double log10(double x);
double pow(double x, double y);
double sinh(double x);
double cosh(double x);
double tanh(double x);

float sqrtf(float x);
float fabsf(float x);
float copysignf(float x, float y);
float floorf(float x);
float ceilf(float x);
float truncf(float x);
float fmodf(float x, float y);
float frexpf(float x, int* e);
float ldexpf(float x, int n);
float modff(float x, float* ip);
float sinf(float x);
float cosf(float x);
float tanf(float x);
float asinf(float x);
float acosf(float x);
float atanf(float x);
float atan2f(float y, float x);
float expf(float x);
float expm1f(float x);
float logf(float x);
float log10f(float x);
float powf(float x, float y);
float sinhf(float x);
float coshf(float x);
float tanhf(float x);

#endif
