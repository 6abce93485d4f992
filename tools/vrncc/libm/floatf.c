/* The float forms: each converts to double, calls the double function and rounds back. The
 * exact functions stay exact; sqrtf stays correctly rounded, since double has more than twice
 * float's precision; the others gain a rounding of at most half an ulp of float. */
#if !defined(__VRNCC__) || defined(__VRNCC_FLOAT__) /* see libm_internal.h */
#include <math.h>

float fabsf(float x) {
    return (float)fabs(x);
}
float copysignf(float x, float y) {
    return (float)copysign(x, y);
}
float sqrtf(float x) {
    return (float)sqrt(x);
}
float floorf(float x) {
    return (float)floor(x);
}
float ceilf(float x) {
    return (float)ceil(x);
}
float truncf(float x) {
    return (float)trunc(x);
}
float fmodf(float x, float y) {
    return (float)fmod(x, y);
}
float ldexpf(float x, int n) {
    return (float)ldexp(x, n);
}
float frexpf(float x, int* e) {
    return (float)frexp(x, e);
}

float modff(float x, float* ip) {
    double i;
    float f = (float)modf(x, &i);
    *ip = (float)i;
    return f;
}

float sinf(float x) {
    return (float)sin(x);
}
float cosf(float x) {
    return (float)cos(x);
}
float tanf(float x) {
    return (float)tan(x);
}
float asinf(float x) {
    return (float)asin(x);
}
float acosf(float x) {
    return (float)acos(x);
}
float atanf(float x) {
    return (float)atan(x);
}
float atan2f(float y, float x) {
    return (float)atan2(y, x);
}
float expf(float x) {
    return (float)exp(x);
}
float expm1f(float x) {
    return (float)expm1(x);
}
float logf(float x) {
    return (float)log(x);
}
float log10f(float x) {
    return (float)log10(x);
}
float powf(float x, float y) {
    return (float)pow(x, y);
}
float sinhf(float x) {
    return (float)sinh(x);
}
float coshf(float x) {
    return (float)cosh(x);
}
float tanhf(float x) {
    return (float)tanh(x);
}
#endif
