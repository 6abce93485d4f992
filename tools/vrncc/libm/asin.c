/* asin and acos. For |x| <= 1/2, asin x = x + x^3 R(x^2), R a polynomial of degree 12 fitted
 * to (asin s - s) / s^3 over s^2 in [0, 1/4] (Chebyshev fit, error below 2^-55 of R). Above
 * 1/2 the half-angle identities bring the argument back there: asin x = pi/2 - 2 asin s and
 * acos x = 2 asin s with s = sqrt((1 - x) / 2), s carried in two parts so that its rounding
 * does not show. */
#if !defined(__VRNCC__) || defined(__VRNCC_FLOAT__) /* see libm_internal.h */
#include <math.h>

#include "libm_internal.h"

static const double pio2_hi = 1.5707963267948966;
static const double pio2_lo = 6.123233995736766e-17;
static const double pio4_hi = 0.78539816339744828;
static const double pi_hi = 3.1415926535897931;
static const double pi_lo = 1.2246467991473532e-16;

/* The fitted polynomial R, the highest degree first. */
static const double asin_fit[13] = {
    0.028757851367421566, -0.014851887071247204, 0.017400879442694021, 0.0054575067186403581,
    0.010322814350185779, 0.011479177415184906,  0.013971212973552933, 0.017352392720869973,
    0.022372172942149889, 0.030381944138531247,  0.044642857146355429, 0.074999999999984329,
    0.16666666666666669};

double __lm_asin_tail(double t) {
    return __lm_poly(t, asin_fit, 13);
}

/* sqrt(z) rounded (*root), and as s + c with s of 21 bits: s^2 is exact, and c recovers
 * what s lacks. */
static double split_sqrt(double z, double* root, double* c) {
    double r = sqrt(z);
    __lm_bits b;
    b.d = r;
    __LM_LO(b) = 0;
    *root = r;
    *c = (z - b.d * b.d) / (r + b.d);
    return b.d;
}

double asin(double x) {
    double a, t, z, s, r, c, w, p, q, y;
    if (x != x) return x + x;
    a = fabs(x);
    if (a > 1.0) return __lm_domain_error();
    if (a < 7.4505805969238281e-09) return x; /* asin x = x + x^3/6: rounds to x */
    if (a <= 0.5) {
        t = a * a;
        y = a + a * t * __lm_asin_tail(t);
    } else if (a == 1.0) {
        y = pio2_hi + pio2_lo;
    } else {
        /* pi/2 - 2(s + c + w) with w = s z R(z), arranged so that pi/4 - 2s is exact. */
        z = (1.0 - a) * 0.5;
        s = split_sqrt(z, &r, &c);
        w = r * z * __lm_asin_tail(z);
        p = 2.0 * w - (pio2_lo - 2.0 * c);
        q = pio4_hi - 2.0 * s;
        y = pio4_hi - (p - q);
    }
    return x < 0.0 ? -y : y;
}

double acos(double x) {
    double a, t, z, s, r, c, w;
    if (x != x) return x + x;
    a = fabs(x);
    if (a > 1.0) return __lm_domain_error();
    if (a <= 0.5) {
        /* pi/2 - asin x */
        if (a < 2.7755575615628914e-17) return pio2_hi + pio2_lo; /* 2^-55 */
        t = x * x;
        return pio2_hi - (x - (pio2_lo - x * t * __lm_asin_tail(t)));
    }
    if (x == 1.0) return 0.0;
    if (x == -1.0) return pi_hi + pi_lo;
    z = (1.0 - a) * 0.5;
    s = split_sqrt(z, &r, &c);
    w = r * z * __lm_asin_tail(z);
    if (x > 0.0) return 2.0 * (s + (c + w)); /* 2 asin sqrt((1 - x)/2) */
    /* pi - 2 asin sqrt((1 + x)/2) */
    return pi_hi - 2.0 * (s + (c + (w - pio2_lo)));
}
#endif
