/* One kind of software floating-point operation, N times over (OP picks it), for
 * float_bench.cpp. The operands are read from volatile objects so that nothing is folded. */
#include <stdio.h>

#define N 1000

int main(void)
{
    volatile double x = 1.0000001, y = 0.7071067811865476;
    volatile float fx = 1.0000001f, fy = 0.70710677f;
    double acc = 0;
    float facc = 0;
    char text[32];
    int i;
    for (i = 0; i < N; i++) {
#if OP == 0
        acc = x + y;
#elif OP == 1
        acc = x * y;
#elif OP == 2
        acc = x / y;
#elif OP == 3
        facc = fx * fy;
#elif OP == 4
        acc = (double)i;
#elif OP == 5
        sprintf(text, "%g", x * i);
#else
        acc = x;
#endif
    }
    (void)text; /* each OP uses only some of the operands */
    (void)x;
    (void)y;
    (void)fx;
    (void)fy;
    return (int)(acc + facc) & 1;
}
