// The compiler's math library (tools/vrncc/libm), built natively, on the arguments where C says
// exactly what the result is: zeros and their signs, infinities, NaN, subnormals, the error
// numbers and exact cases; and a few huge or boundary arguments, within an ulp of their correctly
// rounded result, where a wrong argument reduction or a wrong limit is far off. The machine's
// arithmetic is the same binary64 as the host's, so these are its bits too. Accuracy over whole
// ranges is measured by bench/libm_accuracy.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "tools/vrncc/libm/host/libm_host.h"

namespace corvane::test {
namespace {

using vrnm::kEdom;
using vrnm::kErange;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kTiny = 0x1p-1074;  // the smallest subnormal

using Call = double (*)(double, double);

struct Case {
    const char* call;
    Call f;
    double x, y;
    double want;
    int err;       // errno afterwards (0: untouched)
    int ulps = 0;  // where C leaves the last bit to the library: how far from `want` it may be
};

// One-argument functions ignore y.
#define F1(fn) [](double x, double) { return fn(x); }
#define F2(fn) [](double x, double y) { return fn(x, y); }

const Case kCases[] = {
    // sqrt: correctly rounded, signed zeros kept, subnormals normalised first
    {"sqrt(4)", F1(vrnm_sqrt), 4, 0, 2, 0},
    {"sqrt(2)", F1(vrnm_sqrt), 2, 0, 0x1.6a09e667f3bcdp+0, 0},
    {"sqrt(-0)", F1(vrnm_sqrt), -0.0, 0, -0.0, 0},
    {"sqrt(-1)", F1(vrnm_sqrt), -1, 0, kNan, kEdom},
    {"sqrt(-inf)", F1(vrnm_sqrt), -kInf, 0, kNan, kEdom},
    {"sqrt(inf)", F1(vrnm_sqrt), kInf, 0, kInf, 0},
    {"sqrt(nan)", F1(vrnm_sqrt), kNan, 0, kNan, 0},
    {"sqrt(2^-1074)", F1(vrnm_sqrt), kTiny, 0, 0x1p-537, 0},
    {"sqrt(2^-1073)", F1(vrnm_sqrt), 0x1p-1073, 0, 0x1.6a09e667f3bcdp-537, 0},
    {"sqrt(DBL_MAX)", F1(vrnm_sqrt), kMax, 0, 0x1.fffffffffffffp+511, 0},
    {"sqrt(1 + 2^-52)", F1(vrnm_sqrt), 1 + 0x1p-52, 0, 1, 0},  // 1 + 2^-53 - ..., rounds down
    {"sqrt(1 - 2^-53)", F1(vrnm_sqrt), 1 - 0x1p-53, 0, 1 - 0x1p-53, 0},
    // fabs, copysign, floor, ceil, trunc
    {"fabs(-0)", F1(vrnm_fabs), -0.0, 0, 0.0, 0},
    {"fabs(-inf)", F1(vrnm_fabs), -kInf, 0, kInf, 0},
    {"copysign(1, -0)", F2(vrnm_copysign), 1, -0.0, -1, 0},
    {"floor(-0.5)", F1(vrnm_floor), -0.5, 0, -1, 0},
    {"floor(0.5)", F1(vrnm_floor), 0.5, 0, 0.0, 0},
    {"floor(-0)", F1(vrnm_floor), -0.0, 0, -0.0, 0},
    {"floor(-1.5)", F1(vrnm_floor), -1.5, 0, -2, 0},
    {"floor(-2^-1074)", F1(vrnm_floor), -kTiny, 0, -1, 0},
    {"floor(2^52 - 0.5)", F1(vrnm_floor), 0x1p52 - 0.5, 0, 0x1p52 - 1, 0},
    {"floor(-(2^52 - 0.5))", F1(vrnm_floor), -(0x1p52 - 0.5), 0, -0x1p52, 0},
    {"floor(-inf)", F1(vrnm_floor), -kInf, 0, -kInf, 0},
    {"ceil(-0.5)", F1(vrnm_ceil), -0.5, 0, -0.0, 0},
    {"ceil(2^-1074)", F1(vrnm_ceil), kTiny, 0, 1, 0},
    {"ceil(-1.5)", F1(vrnm_ceil), -1.5, 0, -1, 0},
    {"ceil(1e300)", F1(vrnm_ceil), 1e300, 0, 1e300, 0},
    {"ceil(nan)", F1(vrnm_ceil), kNan, 0, kNan, 0},
    {"trunc(-2.75)", F1(vrnm_trunc), -2.75, 0, -2, 0},
    // fmod: exact, the sign of x, x's zero
    {"fmod(5.5, 2)", F2(vrnm_fmod), 5.5, 2, 1.5, 0},
    {"fmod(-5.5, 2)", F2(vrnm_fmod), -5.5, 2, -1.5, 0},
    {"fmod(5.5, -2)", F2(vrnm_fmod), 5.5, -2, 1.5, 0},
    {"fmod(-4, 2)", F2(vrnm_fmod), -4, 2, -0.0, 0},
    {"fmod(-0, 1)", F2(vrnm_fmod), -0.0, 1, -0.0, 0},
    {"fmod(1, inf)", F2(vrnm_fmod), 1, kInf, 1, 0},
    {"fmod(1, 0)", F2(vrnm_fmod), 1, 0, kNan, kEdom},
    {"fmod(inf, 1)", F2(vrnm_fmod), kInf, 1, kNan, kEdom},
    {"fmod(nan, 0)", F2(vrnm_fmod), kNan, 0, kNan, 0},
    {"fmod(1e300, 3)", F2(vrnm_fmod), 1e300, 3, std::fmod(1e300, 3.0), 0},
    {"fmod(DBL_MAX, 2^-1074)", F2(vrnm_fmod), kMax, kTiny, 0, 0},
    {"fmod(3 * 2^-1074, 2^-1073)", F2(vrnm_fmod), 3 * kTiny, 0x1p-1073, kTiny, 0},
    {"fmod(2^-1022 + 2^-1074, 2^-1073)", F2(vrnm_fmod), 0x1p-1022 + kTiny, 0x1p-1073, kTiny, 0},
    {"fmod(1e-300, 3e-310)", F2(vrnm_fmod), 1e-300, 3e-310, std::fmod(1e-300, 3e-310), 0},
    // frexp, ldexp, modf: both results
    {"frexp(0).m", [](double x, double) { int e = 7; return vrnm_frexp(x, &e) + e; }, 0, 0, 0, 0},
    {"frexp(-0).m", [](double x, double) { int e; return vrnm_frexp(x, &e); }, -0.0, 0, -0.0, 0},
    {"frexp(8).m", [](double x, double) { int e; return vrnm_frexp(x, &e); }, 8, 0, 0.5, 0},
    {"frexp(8).e", [](double x, double) { int e; vrnm_frexp(x, &e); return double(e); }, 8, 0, 4, 0},
    {"frexp(-2^-1074).m", [](double x, double) { int e; return vrnm_frexp(x, &e); },
     -kTiny, 0, -0.5, 0},
    {"frexp(-2^-1074).e", [](double x, double) { int e; vrnm_frexp(x, &e); return double(e); },
     -kTiny, 0, -1073, 0},
    {"frexp(inf).m", [](double x, double) { int e; return vrnm_frexp(x, &e); }, kInf, 0, kInf, 0},
    {"ldexp(1, 1024)", [](double x, double) { return vrnm_ldexp(x, 1024); }, 1, 0, kInf, kErange},
    {"ldexp(1, -1074)", [](double x, double) { return vrnm_ldexp(x, -1074); }, 1, 0, kTiny, 0},
    {"ldexp(1, -1075)", [](double x, double) { return vrnm_ldexp(x, -1075); }, 1, 0, 0, 0},
    {"ldexp(3, -1075)", [](double x, double) { return vrnm_ldexp(x, -1075); }, 3, 0, 0x1p-1073, 0},
    {"ldexp(1 + 2^-52, -1070)", [](double x, double) { return vrnm_ldexp(x, -1070); },
     1 + 0x1p-52, 0, 0x1p-1070, 0},
    {"ldexp(2^-1074, 2000)", [](double x, double) { return vrnm_ldexp(x, 2000); }, kTiny, 0,
     0x1p926, 0},
    {"ldexp(-0, 5)", [](double x, double) { return vrnm_ldexp(x, 5); }, -0.0, 0, -0.0, 0},
    {"modf(-3.5).f", [](double x, double) { double i; return vrnm_modf(x, &i); }, -3.5, 0, -0.5, 0},
    {"modf(-3.5).i", [](double x, double) { double i; vrnm_modf(x, &i); return i; }, -3.5, 0, -3, 0},
    {"modf(-3).f", [](double x, double) { double i; return vrnm_modf(x, &i); }, -3, 0, -0.0, 0},
    {"modf(-inf).f", [](double x, double) { double i; return vrnm_modf(x, &i); }, -kInf, 0, -0.0,
     0},
    {"modf(-inf).i", [](double x, double) { double i; vrnm_modf(x, &i); return i; }, -kInf, 0,
     -kInf, 0},
    {"modf(-0.25).i", [](double x, double) { double i; vrnm_modf(x, &i); return i; }, -0.25, 0,
     -0.0, 0},
    {"modf(nan).f", [](double x, double) { double i; return vrnm_modf(x, &i); }, kNan, 0, kNan, 0},
    // sin, cos, tan: zeros keep their sign, infinities are domain errors, huge arguments are
    // reduced with all the bits of 2/pi they need
    {"sin(-0)", F1(vrnm_sin), -0.0, 0, -0.0, 0},
    {"sin(2^-1074)", F1(vrnm_sin), kTiny, 0, kTiny, 0},
    {"sin(inf)", F1(vrnm_sin), kInf, 0, kNan, kEdom},
    {"cos(-inf)", F1(vrnm_cos), -kInf, 0, kNan, kEdom},
    {"tan(nan)", F1(vrnm_tan), kNan, 0, kNan, 0},
    {"cos(0)", F1(vrnm_cos), 0, 0, 1, 0},
    {"tan(-0)", F1(vrnm_tan), -0.0, 0, -0.0, 0},
    {"sin(pi)", F1(vrnm_sin), 0x1.921fb54442d18p+1, 0, 0x1.1a62633145c07p-53, 0, 1},
    {"sin(1e22)", F1(vrnm_sin), 1e22, 0, -0x1.b453ab76bf397p-1, 0, 1},
    {"cos(1e22)", F1(vrnm_cos), 1e22, 0, 0x1.0be2cef01c8f4p-1, 0, 1},
    {"sin(DBL_MAX)", F1(vrnm_sin), kMax, 0, 0x1.452fc98b34e97p-8, 0, 1},
    {"cos(DBL_MAX)", F1(vrnm_cos), kMax, 0, -0x1.fffe62ecfab75p-1, 0, 1},
    // asin, acos, atan, atan2
    {"asin(1)", F1(vrnm_asin), 1, 0, 0x1.921fb54442d18p+0, 0},
    {"asin(-0)", F1(vrnm_asin), -0.0, 0, -0.0, 0},
    {"asin(1 + 2^-52)", F1(vrnm_asin), 1 + 0x1p-52, 0, kNan, kEdom},
    {"acos(1)", F1(vrnm_acos), 1, 0, 0.0, 0},
    {"acos(-1)", F1(vrnm_acos), -1, 0, 0x1.921fb54442d18p+1, 0},
    {"acos(0)", F1(vrnm_acos), 0, 0, 0x1.921fb54442d18p+0, 0},
    {"acos(-2)", F1(vrnm_acos), -2, 0, kNan, kEdom},
    {"atan(-0)", F1(vrnm_atan), -0.0, 0, -0.0, 0},
    {"atan(1)", F1(vrnm_atan), 1, 0, 0x1.921fb54442d18p-1, 0},
    {"atan(-inf)", F1(vrnm_atan), -kInf, 0, -0x1.921fb54442d18p+0, 0},
    {"atan2(0, -0)", F2(vrnm_atan2), 0.0, -0.0, 0x1.921fb54442d18p+1, 0},
    {"atan2(-0, -0)", F2(vrnm_atan2), -0.0, -0.0, -0x1.921fb54442d18p+1, 0},
    {"atan2(-0, 0)", F2(vrnm_atan2), -0.0, 0.0, -0.0, 0},
    {"atan2(-0, 5)", F2(vrnm_atan2), -0.0, 5, -0.0, 0},
    {"atan2(0, -5)", F2(vrnm_atan2), 0.0, -5, 0x1.921fb54442d18p+1, 0},
    {"atan2(-1, -0)", F2(vrnm_atan2), -1, -0.0, -0x1.921fb54442d18p+0, 0},
    {"atan2(inf, inf)", F2(vrnm_atan2), kInf, kInf, 0x1.921fb54442d18p-1, 0},
    {"atan2(-inf, -inf)", F2(vrnm_atan2), -kInf, -kInf, -0x1.2d97c7f3321d2p+1, 0},
    {"atan2(1, -inf)", F2(vrnm_atan2), 1, -kInf, 0x1.921fb54442d18p+1, 0},
    {"atan2(-1, inf)", F2(vrnm_atan2), -1, kInf, -0.0, 0},
    {"atan2(inf, -1)", F2(vrnm_atan2), kInf, -1, 0x1.921fb54442d18p+0, 0},
    {"atan2(DBL_MAX, 2^-1074)", F2(vrnm_atan2), kMax, kTiny, 0x1.921fb54442d18p+0, 0},
    {"atan2(2^-1074, -DBL_MAX)", F2(vrnm_atan2), kTiny, -kMax, 0x1.921fb54442d18p+1, 0},
    {"atan2(nan, 1)", F2(vrnm_atan2), kNan, 1, kNan, 0},
    // exp, log, log10: overflow and poles set ERANGE, the limits of the range are exact
    {"exp(-0)", F1(vrnm_exp), -0.0, 0, 1, 0},
    {"exp(1)", F1(vrnm_exp), 1, 0, 0x1.5bf0a8b145769p+1, 0, 1},
    {"exp(inf)", F1(vrnm_exp), kInf, 0, kInf, 0},
    {"exp(-inf)", F1(vrnm_exp), -kInf, 0, 0.0, 0},
    {"exp(nan)", F1(vrnm_exp), kNan, 0, kNan, 0},
    {"exp(1000)", F1(vrnm_exp), 1000, 0, kInf, kErange},
    {"exp(709.782712893384)", F1(vrnm_exp), 709.78271289338397, 0, 0x1.fffffffffff2ap+1023, 0, 1},
    {"exp(-745.1332191019411)", F1(vrnm_exp), -745.13321910194111, 0, kTiny, 0},
    {"exp(-1000)", F1(vrnm_exp), -1000, 0, 0.0, 0},
    {"expm1(-0)", F1(vrnm_expm1), -0.0, 0, -0.0, 0},
    {"expm1(-inf)", F1(vrnm_expm1), -kInf, 0, -1, 0},
    {"log(1)", F1(vrnm_log), 1, 0, 0.0, 0},
    {"log(2)", F1(vrnm_log), 2, 0, 0x1.62e42fefa39efp-1, 0, 1},
    {"log(0)", F1(vrnm_log), 0.0, 0, -kInf, kErange},
    {"log(-0)", F1(vrnm_log), -0.0, 0, -kInf, kErange},
    {"log(-1)", F1(vrnm_log), -1, 0, kNan, kEdom},
    {"log(-inf)", F1(vrnm_log), -kInf, 0, kNan, kEdom},
    {"log(inf)", F1(vrnm_log), kInf, 0, kInf, 0},
    {"log(2^-1074)", F1(vrnm_log), kTiny, 0, -0x1.74385446d71c3p+9, 0, 1},
    {"log10(1)", F1(vrnm_log10), 1, 0, 0.0, 0},
    {"log10(0)", F1(vrnm_log10), 0.0, 0, -kInf, kErange},
    {"log10(-2)", F1(vrnm_log10), -2, 0, kNan, kEdom},
    {"log10(2^-1074)", F1(vrnm_log10), kTiny, 0, -0x1.434e6420f4374p+8, 0, 1},
    // pow: every special case of C's table, then exact powers
    {"pow(nan, 0)", F2(vrnm_pow), kNan, 0, 1, 0},
    {"pow(1, nan)", F2(vrnm_pow), 1, kNan, 1, 0},
    {"pow(nan, 1)", F2(vrnm_pow), kNan, 1, kNan, 0},
    {"pow(-1, inf)", F2(vrnm_pow), -1, kInf, 1, 0},
    {"pow(-1, -inf)", F2(vrnm_pow), -1, -kInf, 1, 0},
    {"pow(0.5, inf)", F2(vrnm_pow), 0.5, kInf, 0.0, 0},
    {"pow(-0.5, -inf)", F2(vrnm_pow), -0.5, -kInf, kInf, 0},
    {"pow(2, inf)", F2(vrnm_pow), 2, kInf, kInf, 0},
    {"pow(-2, -inf)", F2(vrnm_pow), -2, -kInf, 0.0, 0},
    {"pow(-0, -1)", F2(vrnm_pow), -0.0, -1, -kInf, kErange},
    {"pow(0, -1)", F2(vrnm_pow), 0.0, -1, kInf, kErange},
    {"pow(-0, -2)", F2(vrnm_pow), -0.0, -2, kInf, kErange},
    {"pow(-0, -inf)", F2(vrnm_pow), -0.0, -kInf, kInf, 0},
    {"pow(-0, 3)", F2(vrnm_pow), -0.0, 3, -0.0, 0},
    {"pow(-0, 2)", F2(vrnm_pow), -0.0, 2, 0.0, 0},
    {"pow(-0, 0.5)", F2(vrnm_pow), -0.0, 0.5, 0.0, 0},
    {"pow(-inf, 3)", F2(vrnm_pow), -kInf, 3, -kInf, 0},
    {"pow(-inf, 2)", F2(vrnm_pow), -kInf, 2, kInf, 0},
    {"pow(-inf, -3)", F2(vrnm_pow), -kInf, -3, -0.0, 0},
    {"pow(-inf, -0.5)", F2(vrnm_pow), -kInf, -0.5, 0.0, 0},
    {"pow(inf, -1)", F2(vrnm_pow), kInf, -1, 0.0, 0},
    {"pow(-8, 1/3)", F2(vrnm_pow), -8, 1.0 / 3, kNan, kEdom},
    {"pow(2, 10)", F2(vrnm_pow), 2, 10, 1024, 0},
    {"pow(-2, 3)", F2(vrnm_pow), -2, 3, -8, 0},
    {"pow(-2, -2)", F2(vrnm_pow), -2, -2, 0.25, 0},
    {"pow(3, 2)", F2(vrnm_pow), 3, 2, 9, 0},
    {"pow(9, 0.5)", F2(vrnm_pow), 9, 0.5, 3, 0},
    {"pow(10, 15)", F2(vrnm_pow), 10, 15, 1e15, 0},
    {"pow(2, -1074)", F2(vrnm_pow), 2, -1074, kTiny, 0},
    {"pow(2, -1075)", F2(vrnm_pow), 2, -1075, 0.0, 0},
    {"pow(-2, -1075)", F2(vrnm_pow), -2, -1075, -0.0, 0},
    {"pow(2, 1024)", F2(vrnm_pow), 2, 1024, kInf, kErange},
    {"pow(-2, 1025)", F2(vrnm_pow), -2, 1025, -kInf, kErange},
    {"pow(2^-1074, 0.5)", F2(vrnm_pow), kTiny, 0.5, 0x1p-537, 0},
    {"pow(1 + 2^-52, 2^70)", F2(vrnm_pow), 1 + 0x1p-52, 0x1p70, kInf, kErange},
    {"pow(1 - 2^-53, 2^70)", F2(vrnm_pow), 1 - 0x1p-53, 0x1p70, 0.0, 0},
    // sinh, cosh, tanh
    {"sinh(-0)", F1(vrnm_sinh), -0.0, 0, -0.0, 0},
    {"sinh(-inf)", F1(vrnm_sinh), -kInf, 0, -kInf, 0},
    {"sinh(-1000)", F1(vrnm_sinh), -1000, 0, -kInf, kErange},
    {"sinh(710.4)", F1(vrnm_sinh), 710.4, 0, 0x1.da98a7371610bp+1023, 0, 1},
    {"cosh(-0)", F1(vrnm_cosh), -0.0, 0, 1, 0},
    {"cosh(-inf)", F1(vrnm_cosh), -kInf, 0, kInf, 0},
    {"cosh(1000)", F1(vrnm_cosh), 1000, 0, kInf, kErange},
    {"tanh(-0)", F1(vrnm_tanh), -0.0, 0, -0.0, 0},
    {"tanh(-inf)", F1(vrnm_tanh), -kInf, 0, -1, 0},
    {"tanh(30)", F1(vrnm_tanh), 30, 0, 1, 0},
    {"tanh(nan)", F1(vrnm_tanh), kNan, 0, kNan, 0},
    // classification, and the float forms
    {"fpclassify(2^-1074)", [](double x, double) { return double(vrnm_fpclassify(x)); }, kTiny, 0,
     3, 0},
    {"fpclassify(-0)", [](double x, double) { return double(vrnm_fpclassify(x)); }, -0.0, 0, 2,
     0},
    {"fpclassify(-nan)", [](double x, double) { return double(vrnm_fpclassify(x)); }, -kNan, 0, 0,
     0},
    {"signbit(-nan)", [](double x, double) { return double(vrnm_signbit(x)); }, -kNan, 0, 1, 0},
    {"sqrtf(2)", [](double x, double) { return double(vrnm_sqrtf(float(x))); }, 2, 0,
     double(0x1.6a09e6p+0f), 0},
    {"powf(2, 10)", [](double x, double y) { return double(vrnm_powf(float(x), float(y))); }, 2,
     10, 1024, 0},
    {"modff(-2.5).i", [](double x, double) { float i; vrnm_modff(float(x), &i); return double(i); },
     -2.5, 0, -2, 0},
};

// How many doubles apart a and b are (both finite or equal infinities, of one sign).
std::uint64_t ulpsApart(double a, double b) {
    const auto ia = std::bit_cast<std::uint64_t>(a), ib = std::bit_cast<std::uint64_t>(b);
    if ((ia ^ ib) >> 63) return ia == ib ? 0 : ~std::uint64_t{0};
    return ia > ib ? ia - ib : ib - ia;
}

TEST(VrnccLibm, SpecialValuesAndExactResultsBitForBit) {
    for (const Case& c : kCases) {
        vrnm_errno = 0;
        const double got = c.f(c.x, c.y);
        const int err = vrnm_errno;
        if (std::isnan(c.want)) {
            EXPECT_TRUE(std::isnan(got)) << c.call << " gave " << got;
        } else {
            EXPECT_LE(ulpsApart(got, c.want), std::uint64_t(c.ulps))
                << c.call << " gave " << std::hexfloat << got << ", not " << c.want;
        }
        EXPECT_EQ(err, c.err) << c.call << " left errno " << err;
    }
}

}  // namespace
}  // namespace corvane::test
