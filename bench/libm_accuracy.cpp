// Accuracy of the compiler's math library (tools/vrncc/libm): each function on a random sample
// over its useful range plus its edge cases, against MPFR. The error of a result is its distance
// from the exact value (MPFR at 256 bits) in units in the last place of that value; a correctly
// rounded result is within 0.5. The library is built by the host compiler with each operation
// rounded once to binary64 (no contraction, no wider registers), which is what the machine's
// software floating point does, so these figures hold for the machine's results bit for bit.
//
//   libm_accuracy [--samples N] [--seed S]      prints the table (Markdown)

#include <mpfr.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tools/vrncc/libm/host/libm_host.h"

namespace {

using Rng = std::mt19937_64;
using Args = std::pair<double, double>;
using Ours = std::function<double(double, double)>;
// Sets rop to the exact result (rounded to rop's 256 bits).
using Exact = std::function<void(mpfr_ptr rop, mpfr_srcptr x, mpfr_srcptr y)>;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kTiny = 0x1p-1074;

double uniform(Rng& g, double a, double b) {
    return a + (b - a) * std::uniform_real_distribution<double>(0.0, 1.0)(g);
}

// |x| = 2^u with u uniform in [lo, hi]; the sign random unless `positive`.
double logUniform(Rng& g, double lo, double hi, bool positive = false) {
    double x = std::exp2(uniform(g, lo, hi));
    return !positive && (g() & 1) ? -x : x;
}

// Any finite double, every bit pattern equally likely.
double anyFinite(Rng& g, bool positive = false) {
    for (;;) {
        std::uint64_t bits = g();
        if (positive) bits &= 0x7fffffffffffffffULL;
        double x;
        std::memcpy(&x, &bits, sizeof x);
        if (std::isfinite(x)) return x;
    }
}

struct Function {
    const char* name;
    Ours ours;
    Exact exact;
    std::function<Args(Rng&)> sample;
    std::vector<Args> edges;
    const char* points;
};

Exact unary(int (*f)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t)) {
    return [f](mpfr_ptr r, mpfr_srcptr x, mpfr_srcptr) { f(r, x, MPFR_RNDN); };
}
Exact binary(int (*f)(mpfr_ptr, mpfr_srcptr, mpfr_srcptr, mpfr_rnd_t)) {
    return [f](mpfr_ptr r, mpfr_srcptr x, mpfr_srcptr y) { f(r, x, y, MPFR_RNDN); };
}

std::vector<Args> unaryEdges(std::initializer_list<double> extra) {
    std::vector<Args> v;
    for (double x : {0.0, -0.0, kTiny, -kTiny, 0x1p-1022, -0x1p-1022, 1.0, -1.0, kMax, -kMax, kInf,
                     -kInf, kNan})
        v.push_back({x, 0.0});
    for (double x : extra) v.push_back({x, 0.0});
    return v;
}

std::vector<Function> functions() {
    std::vector<Function> f;
    auto one = [](double (*g)(double)) { return [g](double x, double) { return g(x); }; };
    auto two = [](double (*g)(double, double)) {
        return [g](double x, double y) { return g(x, y); };
    };

    f.push_back({"sqrt", one(vrnm_sqrt), unary(mpfr_sqrt),
                 [](Rng& g) {
                     return Args{anyFinite(g, true), 0};
                 },
                 unaryEdges({2.0, 4.0, 0x1p-1073}), "every positive double, bits uniform"});
    f.push_back({"fabs", one(vrnm_fabs), unary(mpfr_abs),
                 [](Rng& g) {
                     return Args{anyFinite(g), 0};
                 },
                 unaryEdges({}), "every double, bits uniform"});
    f.push_back({"floor", one(vrnm_floor),
                 [](mpfr_ptr r, mpfr_srcptr x, mpfr_srcptr) { mpfr_floor(r, x); },
                 [](Rng& g) {
                     return Args{logUniform(g, -4, 60), 0};
                 },
                 unaryEdges({0.5, -0.5, 0x1p52 - 0.5, -0x1p52 + 0.5}), "x in ±2^[-4, 60]"});
    f.push_back({"ceil", one(vrnm_ceil),
                 [](mpfr_ptr r, mpfr_srcptr x, mpfr_srcptr) { mpfr_ceil(r, x); },
                 [](Rng& g) {
                     return Args{logUniform(g, -4, 60), 0};
                 },
                 unaryEdges({0.5, -0.5, 0x1p52 - 0.5, -0x1p52 + 0.5}), "x in ±2^[-4, 60]"});
    f.push_back({"fmod",
                 two(vrnm_fmod),
                 binary(mpfr_fmod),
                 [](Rng& g) {
                     if (g() & 3) return Args{logUniform(g, -20, 80), logUniform(g, -20, 20)};
                     return Args{anyFinite(g), anyFinite(g)};
                 },
                 {{1, 0},
                  {kInf, 1},
                  {1, kInf},
                  {-0.0, 1},
                  {kMax, kTiny},
                  {kTiny, kMax},
                  {3 * kTiny, 0x1p-1073},
                  {-5.5, 2}},
                 "x in ±2^[-20, 80], y in ±2^[-20, 20]; 1/4 any two doubles"});
    f.push_back({"frexp",
                 [](double x, double) {
                     int e, hostE;
                     double m = vrnm_frexp(x, &e);
                     std::frexp(x, &hostE);
                     return e == hostE ? m : kNan;  // a wrong exponent counts as a wrong result
                 },
                 [](mpfr_ptr r, mpfr_srcptr x, mpfr_srcptr) {
                     mpfr_exp_t e;
                     mpfr_frexp(&e, r, x, MPFR_RNDN);
                 },
                 [](Rng& g) {
                     return Args{anyFinite(g), 0};
                 },
                 unaryEdges({}), "every double, bits uniform (mantissa and exponent)"});
    f.push_back({"ldexp",
                 [](double x, double n) { return vrnm_ldexp(x, int(n)); },
                 [](mpfr_ptr r, mpfr_srcptr x, mpfr_srcptr n) {
                     mpfr_mul_2si(r, x, mpfr_get_si(n, MPFR_RNDN), MPFR_RNDN);
                 },
                 [](Rng& g) {
                     return Args{anyFinite(g), std::floor(uniform(g, -2200, 2200))};
                 },
                 {{1, 1024}, {1, -1074}, {1, -1075}, {3, -1075}, {kTiny, 2000}, {kMax, -2098}},
                 "every double, n in [-2200, 2200]"});
    f.push_back({"modf",
                 [](double x, double) {
                     double i;
                     return vrnm_modf(x, &i);
                 },
                 [](mpfr_ptr r, mpfr_srcptr x, mpfr_srcptr) {
                     // C's fraction of an infinity is a zero of its sign; MPFR's is NaN.
                     if (mpfr_inf_p(x))
                         mpfr_set_zero(r, mpfr_sgn(x));
                     else
                         mpfr_frac(r, x, MPFR_RNDN);
                 },
                 [](Rng& g) {
                     return Args{logUniform(g, -4, 60), 0};
                 },
                 unaryEdges({-3.5, 0x1p52 - 0.5}), "x in ±2^[-4, 60] (fraction part)"});

    auto trigSample = [](Rng& g) {
        switch (g() & 3) {
            case 0:
                return Args{logUniform(g, -30, 20), 0};
            case 1:
                return Args{logUniform(g, 20, 1023), 0};
            default:
                return Args{uniform(g, -10, 10), 0};
        }
    };
    const char* trigPoints = "1/2 in [-10, 10], 1/4 in ±2^[-30, 20], 1/4 in ±2^[20, 1023]";
    f.push_back({"sin", one(vrnm_sin), unary(mpfr_sin), trigSample,
                 unaryEdges({1e22, 0x1.921fb54442d18p+1, 6381956970095103.0 * 0x1p797}),
                 trigPoints});
    f.push_back({"cos", one(vrnm_cos), unary(mpfr_cos), trigSample,
                 unaryEdges({1e22, 0x1.921fb54442d18p+0, 6381956970095103.0 * 0x1p797}),
                 trigPoints});
    f.push_back({"tan", one(vrnm_tan), unary(mpfr_tan), trigSample,
                 unaryEdges({1e22, 0x1.921fb54442d18p+0, 6381956970095103.0 * 0x1p797}),
                 trigPoints});

    auto arcSample = [](Rng& g) {
        if (g() & 1) return Args{uniform(g, -1, 1), 0};
        double d = logUniform(g, -53, -1, true);
        return Args{(g() & 1) ? 1 - d : d - 1, 0};
    };
    f.push_back({"asin", one(vrnm_asin), unary(mpfr_asin), arcSample,
                 unaryEdges({0.5, -0.5, 0.5000000000000001, 0.4999999999999999}),
                 "1/2 in [-1, 1], 1/2 within 2^[-53, -1] of +-1"});
    f.push_back({"acos", one(vrnm_acos), unary(mpfr_acos), arcSample,
                 unaryEdges({0.5, -0.5, 0.5000000000000001, -0.5000000000000001}),
                 "1/2 in [-1, 1], 1/2 within 2^[-53, -1] of +-1"});
    f.push_back({"atan", one(vrnm_atan), unary(mpfr_atan),
                 [](Rng& g) {
                     if (g() & 1) return Args{uniform(g, -4, 4), 0};
                     return Args{logUniform(g, -30, 70), 0};
                 },
                 unaryEdges({1.0 / 32, 1.0 / 16, 0.96875, 1.0000000000000002}),
                 "1/2 in [-4, 4], 1/2 in ±2^[-30, 70]"});
    f.push_back({"atan2",
                 two(vrnm_atan2),
                 binary(mpfr_atan2),
                 [](Rng& g) {
                     return Args{logUniform(g, -40, 40), logUniform(g, -40, 40)};
                 },
                 {{0.0, -0.0},
                  {-0.0, -0.0},
                  {kInf, -kInf},
                  {1, -kInf},
                  {kMax, kTiny},
                  {kTiny, -kMax},
                  {1, -1},
                  {-1, -1e-300}},
                 "y and x in ±2^[-40, 40]: all four quadrants"});

    f.push_back({"exp", one(vrnm_exp), unary(mpfr_exp),
                 [](Rng& g) {
                     if (g() & 1) return Args{uniform(g, -1, 1), 0};
                     return Args{uniform(g, -746, 710), 0};
                 },
                 unaryEdges({709.78271289338397, 709.782712893384, -745.13321910194111,
                             -708.39641853226408, 0x1p-54}),
                 "1/2 in [-746, 710], 1/2 in [-1, 1]"});
    f.push_back({"expm1", one(vrnm_expm1), unary(mpfr_expm1),
                 [](Rng& g) {
                     if (g() & 1) return Args{logUniform(g, -60, 1), 0};
                     return Args{uniform(g, -40, 710), 0};
                 },
                 unaryEdges({0.34657359027997264, 0.3465735902799727, -38.0, 36.0}),
                 "1/2 in [-40, 710], 1/2 in ±2^[-60, 1]"});
    auto logSample = [](Rng& g) {
        if (g() & 1) return Args{uniform(g, 0.5, 2), 0};
        return Args{anyFinite(g, true), 0};
    };
    f.push_back({"log", one(vrnm_log), unary(mpfr_log), logSample,
                 unaryEdges({0.70710678118654757, 1.4142135623730951, 1.0000000000000002,
                             0.99999999999999989}),
                 "1/2 in [0.5, 2], 1/2 every positive double"});
    f.push_back({"log10", one(vrnm_log10), unary(mpfr_log10), logSample,
                 unaryEdges({10, 100, 1000, 1e22, 1e-300}),
                 "1/2 in [0.5, 2], 1/2 every positive double"});
    f.push_back(
        {"pow",
         two(vrnm_pow),
         binary(mpfr_pow),
         [](Rng& g) {
             switch (g() & 3) {
                 case 0: {  // near 1, large y
                     double x = 1 + uniform(g, -1e-3, 1e-3);
                     return Args{x, uniform(g, -1, 1) * 1100 / std::fabs(std::log2(x))};
                 }
                 case 1:  // negative x, integer y
                     return Args{-logUniform(g, -10, 10, true), std::floor(uniform(g, -60, 60))};
                 default: {  // any x, y up to the edge of the range
                     double x = logUniform(g, -30, 30, true);
                     double lx = std::fabs(std::log2(x));
                     return Args{x, uniform(g, -1, 1) * std::min(1100 / lx, 1e6)};
                 }
             }
         },
         {{2, 10},     {3, 2},       {10, 15},   {10, 308},    {10, -307},    {2, 0.5},
          {2, -1074},  {2, 1024},    {-2, 1025}, {kTiny, 0.5}, {0.5, 1074.5}, {1 + 0x1p-52, 0x1p62},
          {kMax, 0.5}, {kMax, 1},    {0.0, -1},  {-0.0, -3},   {-kInf, 3},    {kNan, 0},
          {1, kNan},   {-8, 1.0 / 3}},
         "1/2 x in 2^[-30, 30] with y log2 x in [-1100, 1100], 1/4 x near 1, "
         "1/4 x < 0 with integer y"});
    auto hyperSample = [](Rng& g) {
        switch (g() & 3) {
            case 0:
                return Args{uniform(g, -711, 711), 0};
            case 1:
                return Args{logUniform(g, -30, 0), 0};
            default:
                return Args{uniform(g, -3, 3), 0};
        }
    };
    const char* hyperPoints = "1/4 in [-711, 711], 1/2 in [-3, 3], 1/4 in ±2^[-30, 0]";
    f.push_back({"sinh", one(vrnm_sinh), unary(mpfr_sinh), hyperSample,
                 unaryEdges({22, 710.4, 710.47586007394386, 710.4758600739439, 711}), hyperPoints});
    f.push_back({"cosh", one(vrnm_cosh), unary(mpfr_cosh), hyperSample,
                 unaryEdges({0.34657359027997264, 22, 710.4758600739439, 711}), hyperPoints});
    f.push_back({"tanh", one(vrnm_tanh), unary(mpfr_tanh),
                 [](Rng& g) {
                     if (g() & 1) return Args{uniform(g, -20, 20), 0};
                     return Args{logUniform(g, -30, 2), 0};
                 },
                 unaryEdges({22, 0.99999999999999989, 1.0000000000000002}),
                 "1/2 in [-20, 20], 1/2 in ±2^[-30, 2]"});
    return f;
}

struct Tally {
    long count = 0;
    long correctlyRounded = 0;
    long wrongSpecial = 0;  // NaN, infinity or zero where the exact result is not
    double maxUlp = 0;
    double sumUlp = 0;
    Args worst{0, 0};
};

bool sameBits(double a, double b) {
    if (std::isnan(a) && std::isnan(b)) return true;
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class Meter {
  public:
    Meter() { mpfr_inits2(256, exact_, diff_, x_, y_, static_cast<mpfr_ptr>(nullptr)); }
    ~Meter() { mpfr_clears(exact_, diff_, x_, y_, static_cast<mpfr_ptr>(nullptr)); }

    void measure(const Function& f, Args a, Tally& t) {
        mpfr_set_d(x_, a.first, MPFR_RNDN);
        mpfr_set_d(y_, a.second, MPFR_RNDN);
        f.exact(exact_, x_, y_);
        const double rounded = mpfr_get_d(exact_, MPFR_RNDN);
        const double ours = f.ours(a.first, a.second);
        t.count++;
        double ulps = 0;
        if (sameBits(ours, rounded)) {
            t.correctlyRounded++;
            if (std::isfinite(ours)) ulps = distance(ours);
        } else if (!std::isfinite(ours) || !std::isfinite(rounded)) {
            t.wrongSpecial++;
            ulps = kInf;
        } else {
            ulps = distance(ours);
        }
        t.sumUlp += std::isfinite(ulps) ? ulps : 0;
        if (ulps > t.maxUlp) {
            t.maxUlp = ulps;
            t.worst = a;
        }
    }

  private:
    // |ours - exact| in ulps of the exact value (of the subnormal spacing below 2^-1022).
    double distance(double ours) {
        if (mpfr_zero_p(exact_)) return ours == 0 ? 0 : std::fabs(ours) / kTiny;
        long e = mpfr_get_exp(exact_) - 1;  // exact in [2^e, 2^(e+1))
        long ulpExp = std::max(e - 52, -1074L);
        mpfr_set_d(diff_, ours, MPFR_RNDN);
        mpfr_sub(diff_, diff_, exact_, MPFR_RNDN);
        mpfr_abs(diff_, diff_, MPFR_RNDN);
        mpfr_mul_2si(diff_, diff_, -ulpExp, MPFR_RNDN);
        return mpfr_get_d(diff_, MPFR_RNDN);
    }

    mpfr_t exact_, diff_, x_, y_;
};

}  // namespace

int main(int argc, char** argv) {
    long samples = 100000;
    unsigned long long seed = 20261210;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--samples") == 0)
            samples = std::atol(argv[i + 1]);
        else if (std::strcmp(argv[i], "--seed") == 0)
            seed = std::strtoull(argv[i + 1], nullptr, 10);
    }
    Meter meter;
    std::printf("| function | sample | max ulp | mean ulp | correctly rounded | points tested |\n");
    std::printf("|---|---:|---:|---:|---:|---|\n");
    int failures = 0;
    for (const Function& f : functions()) {
        Rng g(seed);
        Tally t;
        for (const Args& a : f.edges) meter.measure(f, a, t);
        for (long i = 0; i < samples; i++) meter.measure(f, f.sample(g), t);
        std::printf("| %s | %ld | %.3f | %.4f | %.2f %% | %s (+%zu edge cases) |\n", f.name,
                    t.count, t.maxUlp, t.sumUlp / double(t.count),
                    100.0 * double(t.correctlyRounded) / double(t.count), f.points, f.edges.size());
        if (t.wrongSpecial) {
            std::fprintf(stderr, "%s: %ld results NaN, infinite or zero where they should not be\n",
                         f.name, t.wrongSpecial);
            failures++;
        }
        if (t.maxUlp > 0.5)
            std::fprintf(stderr, "%s: worst at (%a, %a): %.3f ulp\n", f.name, t.worst.first,
                         t.worst.second, t.maxUlp);
    }
    return failures ? 1 : 0;
}
