/* sin, cos and tan: the argument reduced to r = hi + lo in [-pi/4, pi/4] and the quadrant,
 * then the Taylor series of sin (to r^17) and cos (to r^16), whose truncation errors at
 * pi/4 are below 2^-60; tan is their quotient. */
#if !defined(__VRNCC__) || defined(__VRNCC_FLOAT__) /* see libm_internal.h */
#include <math.h>

#include "libm_internal.h"

/* (-1)^k / (2k + 1)! for k = 8 down to 1, and (-1)^k / (2k)! for k = 8 down to 2. */
static const double sin_taylor[8] = {
    2.8114572543455206e-15, -7.6471637318198164e-13, 1.6059043836821613e-10, -2.505210838544172e-08,
    2.7557319223985893e-06, -0.00019841269841269841, 0.0083333333333333332,  -0.16666666666666666};
static const double cos_taylor[7] = {
    4.7794773323873853e-14, -1.1470745597729725e-11, 2.08767569878681e-09, -2.7557319223985888e-07,
    2.4801587301587302e-05, -0.0013888888888888889,  0.041666666666666664};

/* sin(hi + lo) = sin(hi) + lo cos(hi), with cos(hi) taken as 1 - hi^2/2: lo is tiny. */
double __lm_sin_kernel(double hi, double lo) {
    double z = hi * hi;
    double v = z * hi;
    return hi + (v * __lm_poly(z, sin_taylor, 8) + lo * (1.0 - 0.5 * z));
}

/* cos(hi + lo) = cos(hi) - lo sin(hi). 1 - hi^2/2 is formed with its rounding error
 * recovered, as it is the large part of the result. */
double __lm_cos_kernel(double hi, double lo) {
    double z = hi * hi;
    double hz = 0.5 * z;
    double w = 1.0 - hz;
    return w + (((1.0 - w) - hz) + (z * z * __lm_poly(z, cos_taylor, 7) - hi * lo));
}

/* For the special arguments: NaN stays NaN, an infinity is a domain error. */
static double trig_special(double x) {
    if (x != x) return x + x;
    return __lm_domain_error();
}

double sin(double x) {
    double hi, lo;
    if (x - x != 0.0) return trig_special(x);
    if (fabs(x) < 7.4505805969238281e-09) return x; /* |x| < 2^-27: sin x rounds to x */
    switch (__lm_rem_pio2(x, &hi, &lo)) {
        case 0:
            return __lm_sin_kernel(hi, lo);
        case 1:
            return __lm_cos_kernel(hi, lo);
        case 2:
            return -__lm_sin_kernel(hi, lo);
        default:
            return -__lm_cos_kernel(hi, lo);
    }
}

double cos(double x) {
    double hi, lo;
    if (x - x != 0.0) return trig_special(x);
    switch (__lm_rem_pio2(x, &hi, &lo)) {
        case 0:
            return __lm_cos_kernel(hi, lo);
        case 1:
            return -__lm_sin_kernel(hi, lo);
        case 2:
            return -__lm_cos_kernel(hi, lo);
        default:
            return __lm_sin_kernel(hi, lo);
    }
}

double tan(double x) {
    double hi, lo;
    int q;
    if (x - x != 0.0) return trig_special(x);
    if (fabs(x) < 7.4505805969238281e-09) return x; /* tan x = x + x^3/3: rounds to x */
    q = __lm_rem_pio2(x, &hi, &lo);
    if (q & 1) return -__lm_cos_kernel(hi, lo) / __lm_sin_kernel(hi, lo);
    return __lm_sin_kernel(hi, lo) / __lm_cos_kernel(hi, lo);
}
#endif
