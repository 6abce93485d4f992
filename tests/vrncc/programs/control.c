/* Control flow: loops, break and continue, switch (sparse and dense), goto, recursion. */
#include <stdio.h>

int classify(int n)
{
    switch (n) {
    case -100: return 1;
    case 0: return 2;
    case 7:
    case 8: return 3;
    case 1000: return 4;
    case 32767: return 5;
    default: return 0;
    }
}

int dense(int n)
{
    int r = 0;
    switch (n) {
    case 0: r += 1;
    case 1: r += 2; break;
    case 2: r = 20; break;
    case 3: r = 30; break;
    case 4: r = 40; break;
    case 5: r = 50; break;
    case 6: r = 60; break;
    case 7: r = 70; break;
    case 8: r = 80; break;
    case 9: r = 90; break;
    }
    return r;
}

long switchLong(long v)
{
    switch (v) {
    case 100000L: return 1;
    case -100000L: return 2;
    }
    return 3;
}

int fib(int n) { return n < 2 ? n : fib(n - 1) + fib(n - 2); }

int main(void)
{
    int i, sum = 0, n = 0;
    for (i = 0; i < 10; i++) {
        if (i == 3) continue;
        if (i == 8) break;
        sum += i;
    }
    printf("%d\n", sum);
    i = 0;
    do { n += i; } while (++i < 5);
    printf("%d\n", n);
    while (1) { if (--n < 3) break; }
    printf("%d\n", n);
    printf("%d%d%d%d%d%d%d\n", classify(-100), classify(0), classify(7), classify(8),
           classify(1000), classify(32767), classify(5));
    for (i = 0; i <= 10; i++) printf("%d ", dense(i));
    printf("\n%d%d%d\n", switchLong(100000L), switchLong(-100000L), switchLong(0));
    i = 0;
again:
    i++;
    if (i < 5) goto again;
    printf("%d %d\n", i, fib(15));
    printf("%d %d %d\n", 1 && 0, 0 || 5, !7);
    n = 0;
    i = (n++, n++, n);
    printf("%d %d\n", i, i > 1 ? 100 : 200);
    return 0;
}
