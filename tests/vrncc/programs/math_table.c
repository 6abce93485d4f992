/* math.h on the machine: each function on arguments across its range and at its edges, the
 * results printed as bit patterns. The library is plain C on double and the machine's double
 * arithmetic is correctly rounded binary64, so the machine must give the bits that the same C
 * gives on the PC (math_table.expected was made by the library compiled natively). */
#include <errno.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

static void dbits(double x)
{
    uint32_t w[2];
    memcpy(w, &x, 8);
    printf(" %08lx%08lx", (unsigned long)w[1], (unsigned long)w[0]);
}

/* Read from an array at run time, so that no compiler folds a call; the quiet NaN is made from
 * its bits in main (a folded 0.0 / 0.0 may carry either sign). */
static double args[] = {0.0, -0.0, 0.5, -0.75, 1.0, 2.5, -3.0, 10.0, 100.25, 1e-300, 1e22,
                        3.141592653589793, -1e300, 0.0, 1.0 / 0.0, -1.0 / 0.0};
#define NARGS (sizeof args / sizeof args[0])

typedef double (*unary)(double);
static const struct {
    const char *name;
    unary f;
} unaries[] = {{"sqrt", sqrt}, {"fabs", fabs}, {"floor", floor}, {"ceil", ceil},
               {"sin", sin},   {"cos", cos},   {"tan", tan},     {"asin", asin},
               {"acos", acos}, {"atan", atan}, {"exp", exp},     {"log", log},
               {"log10", log10}, {"sinh", sinh}, {"cosh", cosh}, {"tanh", tanh}};

int main(void)
{
    unsigned i, k;
    uint32_t nan_bits[2] = {0, 0x7ff80000UL};
    memcpy(&args[13], nan_bits, 8);
    for (k = 0; k < sizeof unaries / sizeof unaries[0]; ++k) {
        printf("%s", unaries[k].name);
        for (i = 0; i < NARGS; ++i) dbits(unaries[k].f(args[i]));
        printf("\n");
    }
    for (i = 0; i + 1 < NARGS; ++i) {
        int e;
        double whole;
        printf("pair");
        dbits(atan2(args[i], args[i + 1]));
        dbits(pow(args[i], args[i + 1]));
        dbits(fmod(args[i], args[i + 1]));
        dbits(frexp(args[i], &e));
        printf(" %d", e);
        dbits(ldexp(args[i], (int)i * 100 - 700));
        dbits(modf(args[i], &whole));
        dbits(whole);
        printf("\n");
    }
    errno = 0;
    printf("errno log(-1) %d", (int)isnan(log(-1.0)));
    printf(" %d\n", errno == EDOM);
    printf("pow %.17g %.17g %.17g\n", pow(2.0, 10.0), pow(10.0, -2.0), sqrt(2.0));
    return 0;
}
