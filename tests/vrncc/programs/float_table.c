/* Floating point as C has it: IEEE binary64 and binary32 arithmetic correctly rounded, edge
 * values (signed zeros, subnormals, infinities, NaNs), conversions, comparisons, printf's %e %f
 * %g and strtod. Operands are read from arrays at run time, so that no compiler folds them;
 * results are printed as bit patterns where printf's rounding is not the point. The program
 * means the same with a 16-bit and a 32-bit int (float_table.portable). */
#include <float.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void dbits(double x)
{
    uint32_t w[2];
    memcpy(w, &x, 8);
    printf(" %08lx%08lx", (unsigned long)w[1], (unsigned long)w[0]);
}

static void fbits(float x)
{
    uint32_t w;
    memcpy(&w, &x, 4);
    printf(" %08lx", (unsigned long)w);
}

static double dfrom(uint32_t hi, uint32_t lo)
{
    uint32_t w[2];
    double x;
    w[0] = lo;
    w[1] = hi;
    memcpy(&x, w, 8);
    return x;
}

/* Operands of the double table: zeros, ones, thirds, ties, the extremes, subnormals, inf, NaN. */
static double dops[16];

static void fill_dops(void)
{
    static const uint32_t pattern[16][2] = {
        {0x00000000UL, 0x00000000UL}, {0x80000000UL, 0x00000000UL}, /* +0 -0 */
        {0x3FF00000UL, 0x00000000UL}, {0xBFF00000UL, 0x00000000UL}, /* 1 -1 */
        {0x3CA00000UL, 0x00000000UL}, {0x3CA00000UL, 0x00000001UL}, /* 2^-53, just above */
        {0x3FF00000UL, 0x00000001UL}, {0x3FD55555UL, 0x55555555UL}, /* 1 + ulp, 1/3 */
        {0x7FEFFFFFUL, 0xFFFFFFFFUL}, {0x00100000UL, 0x00000000UL}, /* max, min normal */
        {0x00000000UL, 0x00000001UL}, {0x000FFFFFUL, 0xFFFFFFFFUL}, /* subnormals */
        {0x7FF00000UL, 0x00000000UL}, {0xFFF00000UL, 0x00000000UL}, /* inf -inf */
        {0x7FF80000UL, 0x00000000UL}, {0x40091EB8UL, 0x51EB851FUL}, /* NaN, 3.14 */
    };
    int i;
    for (i = 0; i < 16; i++) dops[i] = dfrom(pattern[i][0], pattern[i][1]);
}

static float fops[10] = {0.0f, -0.0f, 1.0f, 3.0f, 0.1f, 16777216.0f, 3.4028235e38f,
                         1.17549435e-38f, 1.4e-45f, -2.5f};

static const char *order(double a, double b)
{
    static char s[7];
    s[0] = (char)('0' + (a < b));
    s[1] = (char)('0' + (a <= b));
    s[2] = (char)('0' + (a > b));
    s[3] = (char)('0' + (a >= b));
    s[4] = (char)('0' + (a == b));
    s[5] = (char)('0' + (a != b));
    s[6] = 0;
    return s;
}

static double sum(int n, ...)
{
    va_list ap;
    double s = 0;
    va_start(ap, n);
    while (n-- > 0) s += va_arg(ap, double);
    va_end(ap);
    return s;
}

struct point {
    float x;
    double y;
};

static struct point scaled(struct point p, double k)
{
    p.x *= (float)k;
    p.y *= k;
    return p;
}

static double table[4] = {0.5, 1.25, -2.0, 1e100};
static float ftable[3] = {1.5f, -0.25f, 1e-3f};
static double half = 1 / 2.0, third = 1.0 / 3;

static const char *formats[] = {"%f", "%.0f", "%.1f", "%.3f", "%e", "%.0e", "%.3e", "%E", "%g",
                                "%.1g", "%.10g", "%.17g", "%#.8g", "%#.0f", "%#.0e", "%G",
                                "%+.2f", "% .2e", "%12.4f|", "%-12.3e|", "%012.3f", "%-+10.2g|",
                                "%.25f", "%.20e"};

static double fvalues[] = {0.0, -0.0, 1.0, -1.0, 0.5, 1.5, 2.5, 0.125, 0.1, 9.9999995, 1e-5,
                           0.0001, 123456.0, 123456789.0, 1e21, 1e300, 1.7976931348623157e308,
                           2.2250738585072014e-308, 4.9406564584124654e-324, 0.3333333333333333,
                           999999.5, 0.00001234, 5e-5, 1e15 + 0.3};

static const char *numbers[] = {
    "0", "1", "-1.5", "0.1", "1e308", "1.7976931348623157e308", "1.7976931348623158e308",
    "1.7976931348623159e308", "4.9406564584124654e-324", "2.4703282292062327e-324",
    "2.4703282292062328e-324", "2.2250738585072011e-308", "9007199254740993",
    "9007199254740995", "0x1.8p3", "0x1p-1074", "0X1.FFFFFFFFFFFFFP1023", "0x.8", "0x",
    "inf", "-Infinity", "nan", "-nan()", "  +12.5e-1xyz", "1e", "1e+", ".5", "5.", "abc", "-",
    "1e-400", "123456789012345678901234567890", "0.000000000000000000000000000001",
    "1.00000000000000011102230246251565404236316680908203125",
    "1.00000000000000011102230246251565404236316680908203126", "3.14159265358979323846",
    "1e22", "1e23", "8.988465674311579e307", "0.0000000000000000000000000000000000000001e40"};

int main(void)
{
    int i, j;
    volatile double zero = 0.0;
    double nan = zero / zero, x;
    float f;
    long long ll;
    char buf[64], *end;
    fill_dops();
    printf("double + - * /\n");
    for (i = 0; i < 16; i++)
        for (j = 0; j < 16; j++) {
            printf("%2d %2d", i, j);
            dbits(dops[i] + dops[j]);
            dbits(dops[i] - dops[j]);
            dbits(dops[i] * dops[j]);
            dbits(dops[i] / dops[j]);
            printf(" %s\n", order(dops[i], dops[j]));
        }
    printf("float + - * /\n");
    for (i = 0; i < 10; i++)
        for (j = 0; j < 10; j++) {
            float a = fops[i], b = fops[j];
            printf("%d %d", i, j);
            fbits(a + b);
            fbits(a - b);
            fbits(a * b);
            fbits(a / b);
            printf(" %d%d%d%d\n", a < b, a >= b, a == b, a != b);
        }
    printf("conversions\n");
    {
        static const double d[] = {0.0, -0.75, 1.9999, -1.9999, 32767.5, -32768.9, 65535.9,
                                   2147483647.9, -2147483648.5, 4294967295.5, 9.2e18, -9.2e18,
                                   1.8e19, 0.1, 1e39, 1e-40, 1e-50, 3.4028235677973366e38};
        for (i = 0; i < 18; i++) {
            x = d[i];
            printf("%.17g:", x);
            if (x > -32769.0 && x < 32768.0) printf(" short %d", (short)x);
            if (x > -1.0 && x < 65536.0) printf(" ushort %u", (unsigned)(unsigned short)x);
            if (x > -2147483649.0 && x < 2147483648.0) printf(" i32 %ld", (long)(int32_t)x);
            if (x > -1.0 && x < 4294967296.0) printf(" u32 %lu", (unsigned long)(uint32_t)x);
            if (x > -9.3e18 && x < 9.3e18) printf(" i64 %lld", (long long)x);
            if (x > -1.0 && x < 1.8446744073709552e19)
                printf(" u64 %llu", (unsigned long long)x);
            fbits((float)x);
            printf(" %d\n", (_Bool)x);
        }
    }
    {
        static const int64_t n[] = {0, 1, -1, 16777217, 16777219, -16777219, 9007199254740993LL,
                                    9007199254740995LL, 9223372036854775807LL,
                                    -9223372036854775807LL - 1, 123456789012LL};
        for (i = 0; i < 11; i++) {
            printf("%lld:", (long long)n[i]);
            dbits((double)n[i]);
            fbits((float)n[i]);
            dbits((double)(uint64_t)n[i]);
            fbits((float)(uint64_t)n[i]);
            dbits((double)(int32_t)n[i]);
            fbits((float)(uint32_t)n[i]);
            dbits((double)(int16_t)n[i]);
            printf("\n");
        }
    }
    for (i = 0; i < 10; i++) {
        printf("float %d:", i);
        dbits(fops[i]);
        fbits((float)(double)fops[i]);
        printf(" %ld\n", (long)(int32_t)(fops[i] * 0.5f));
    }
    printf("nan and zeros\n");
    printf("%d%d%d%d%d%d %d %d %d\n", nan < 1, nan <= 1, nan > 1, nan >= 1, nan == nan, nan != nan,
           !nan, nan ? 1 : 0, -0.0 == 0.0);
    dbits(-nan);
    dbits(-zero);
    dbits(-(zero + 1));
    f = -0.0f;
    fbits(-f);
    printf(" %d %d\n", !zero, !(zero - 0.5));
    printf("language\n");
    x = 1.5;
    x += 2;
    x *= x;
    x -= 0.25;
    x /= 4;
    printf("%g", x);
    x++;
    ++x;
    x--;
    printf(" %g", x);
    printf(" %g", x++);
    printf(" %g", x);
    i = 7;
    i *= 1.5;
    i += 0.9;
    ll = 5;
    ll *= 2.5;
    f = 2;
    f /= 3;
    f += 1;
    printf(" %d %lld %.9g", i, ll, f);
    printf(" %g %g %g", sum(3, 1.0, (double)2.5f, 1e-3), half, third);
    {
        struct point p = {1.5f, -2.25}, q;
        double *dp = &table[1];
        float *fp = ftable;
        q = scaled(p, 4);
        printf(" %g %g %g %g %g", q.x, q.y, *dp, dp[2], fp[1] + fp[2]);
        *dp = -*dp;
        fp[0] *= fp[0];
        printf(" %g %g %g\n", table[1], ftable[0], table[3] / table[2]);
    }
    printf("%.3f %.3f %Lf %e\n", (float)1 / 3, FLT_EPSILON, (long double)DBL_EPSILON, DBL_MIN);
    printf("printf\n");
    for (i = 0; i < (int)(sizeof formats / sizeof formats[0]); i++) {
        printf("%s:", formats[i]);
        for (j = 0; j < (int)(sizeof fvalues / sizeof fvalues[0]); j++) {
            putchar(' ');
            printf(formats[i], fvalues[j]);
        }
        printf(" [");
        printf(formats[i], -nan);
        printf("] [");
        printf(formats[i], 1 / zero);
        printf("] [");
        printf(formats[i], -1 / zero);
        printf("]\n");
    }
    printf("%f\n", 1.7976931348623157e308);
    printf("%.60f\n", 0.1);
    printf("%.70e\n", 4.9406564584124654e-324);
    sprintf(buf, "%8.3f|%-8.2e|%g", 3.14159, -0.000123, 1e-10);
    printf("%s %d\n", buf, snprintf(buf, 6, "%f", 2.0 / 3));
    printf("%s\n", buf);
    printf("strtod\n");
    for (i = 0; i < (int)(sizeof numbers / sizeof numbers[0]); i++) {
        x = strtod(numbers[i], &end);
        printf("%s:", numbers[i]);
        dbits(x);
        printf(" %d %.17g\n", (int)(end - numbers[i]), x);
    }
    printf("%g %g\n", atof("2.5e3"), atof("-0x10p-2"));
    return 0;
}
