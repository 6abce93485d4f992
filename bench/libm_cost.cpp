// What each function of the compiler's math library costs in software floating-point
// operations: the library's own C, compiled with `double` a type that counts what is done with
// it (tools/vrncc/libm/host/counted_double.h), run over typical arguments. On the machine each
// of these operations is a call into the software floating point, so the counts times the cost
// of one operation (the floating-point benchmark's figure) give the cost of a call. Integer
// work (sqrt's and fmod's bit loops, the reduction of huge angles) is not in the counts.
//
//   libm_cost [--samples N]      prints the table (Markdown)

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "tools/vrncc/libm/host/counted_double.h"

using corvane::vrnm::CountedDouble;

// The library's functions as the counted build names them.
CountedDouble vrnm_sqrt(CountedDouble);
CountedDouble vrnm_floor(CountedDouble);
CountedDouble vrnm_fmod(CountedDouble, CountedDouble);
CountedDouble vrnm_ldexp(CountedDouble, int);
CountedDouble vrnm_sin(CountedDouble);
CountedDouble vrnm_cos(CountedDouble);
CountedDouble vrnm_tan(CountedDouble);
CountedDouble vrnm_asin(CountedDouble);
CountedDouble vrnm_acos(CountedDouble);
CountedDouble vrnm_atan(CountedDouble);
CountedDouble vrnm_atan2(CountedDouble, CountedDouble);
CountedDouble vrnm_exp(CountedDouble);
CountedDouble vrnm_expm1(CountedDouble);
CountedDouble vrnm_log(CountedDouble);
CountedDouble vrnm_log10(CountedDouble);
CountedDouble vrnm_pow(CountedDouble, CountedDouble);
CountedDouble vrnm_sinh(CountedDouble);
CountedDouble vrnm_cosh(CountedDouble);
CountedDouble vrnm_tanh(CountedDouble);

int vrnm_errno;
corvane::vrnm::OpCounts corvane::vrnm::ops;

namespace {

using Rng = std::mt19937_64;

double uniform(Rng& g, double a, double b) {
    return a + (b - a) * std::uniform_real_distribution<double>(0.0, 1.0)(g);
}

struct Function {
    const char* name;
    const char* arguments;
    std::function<void(Rng&)> call;  // one call on a random typical argument
};

std::vector<Function> functions() {
    auto one = [](CountedDouble (*f)(CountedDouble), double a, double b) {
        return [f, a, b](Rng& g) { f(uniform(g, a, b)); };
    };
    return {
        {"sqrt", "[0, 1000]", one(vrnm_sqrt, 0, 1000)},
        {"floor", "[-1000, 1000]", one(vrnm_floor, -1000, 1000)},
        {"fmod", "x in [-1000, 1000], y in [1, 10]",
         [](Rng& g) { vrnm_fmod(uniform(g, -1000, 1000), uniform(g, 1, 10)); }},
        {"ldexp", "x in [1, 2], n in [-10, 10]",
         [](Rng& g) { vrnm_ldexp(uniform(g, 1, 2), int(uniform(g, -10, 10))); }},
        {"sin", "[-10, 10]", one(vrnm_sin, -10, 10)},
        {"cos", "[-10, 10]", one(vrnm_cos, -10, 10)},
        {"tan", "[-10, 10]", one(vrnm_tan, -10, 10)},
        {"sin (huge)", "[1e10, 1e300]", one(vrnm_sin, 1e10, 1e300)},
        {"asin", "[-1, 1]", one(vrnm_asin, -1, 1)},
        {"acos", "[-1, 1]", one(vrnm_acos, -1, 1)},
        {"atan", "[-10, 10]", one(vrnm_atan, -10, 10)},
        {"atan2", "both in [-10, 10]",
         [](Rng& g) { vrnm_atan2(uniform(g, -10, 10), uniform(g, -10, 10)); }},
        {"exp", "[-20, 20]", one(vrnm_exp, -20, 20)},
        {"expm1", "[-20, 20]", one(vrnm_expm1, -20, 20)},
        {"log", "[0.01, 1000]", one(vrnm_log, 0.01, 1000)},
        {"log10", "[0.01, 1000]", one(vrnm_log10, 0.01, 1000)},
        {"pow", "x in [0, 10], y in [-10, 10]",
         [](Rng& g) { vrnm_pow(uniform(g, 0, 10), uniform(g, -10, 10)); }},
        {"sinh", "[-10, 10]", one(vrnm_sinh, -10, 10)},
        {"cosh", "[-10, 10]", one(vrnm_cosh, -10, 10)},
        {"tanh", "[-10, 10]", one(vrnm_tanh, -10, 10)},
    };
}

long total(const corvane::vrnm::OpCounts& c) {
    return c.addSub + c.mul + c.div + c.compare + c.convert;
}

}  // namespace

int main(int argc, char** argv) {
    long samples = 10000;
    if (argc == 3 && std::strcmp(argv[1], "--samples") == 0) samples = std::atol(argv[2]);
    std::printf("| function | arguments | + and - | * | / | compare | convert | total | max |\n");
    std::printf("|---|---|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const Function& f : functions()) {
        Rng g(20261210);
        corvane::vrnm::OpCounts sum;
        long most = 0;
        for (long i = 0; i < samples; i++) {
            corvane::vrnm::ops = {};
            f.call(g);
            const auto& c = corvane::vrnm::ops;
            sum.addSub += c.addSub;
            sum.mul += c.mul;
            sum.div += c.div;
            sum.compare += c.compare;
            sum.convert += c.convert;
            if (total(c) > most) most = total(c);
        }
        const double n = double(samples);
        std::printf("| %s | %s | %.1f | %.1f | %.1f | %.1f | %.1f | %.1f | %ld |\n", f.name,
                    f.arguments, sum.addSub / n, sum.mul / n, sum.div / n, sum.compare / n,
                    sum.convert / n, total(sum) / n, most);
    }
    return 0;
}
