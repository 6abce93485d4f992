/* Struct values from functions, function-pointer tables, unions, limits, division signs, and
 * the statements, on the 16-bit int of the handheld. */
#include <stdio.h>
#include <string.h>
#include <stdlib.h>
#include <limits.h>

typedef struct point { int x, y; } Point;
struct big { char tag[8]; long vals[3]; Point p; };

static struct big make(int k) {
    struct big b;
    int i;
    sprintf(b.tag, "b%d", k);
    for (i = 0; i < 3; i++) b.vals[i] = (long)k * 100000L + i;
    b.p.x = k; b.p.y = -k;
    return b;
}

static int fib(int n) { return n < 2 ? n : fib(n - 1) + fib(n - 2); }
static long fact(int n) { return n <= 1 ? 1L : n * fact(n - 1); }
static int ack(int m, int n) { return m == 0 ? n + 1 : n == 0 ? ack(m - 1, 1) : ack(m - 1, ack(m, n - 1)); }

static int apply(int (*f)(int, int), int a, int b) { return f(a, b); }
static int add(int a, int b) { return a + b; }
static int mul(int a, int b) { return a * b; }

enum color { RED, GREEN = 5, BLUE };

int main(void) {
    struct big a = make(3), b;
    int (*ops[2])(int, int) = { add, mul };
    char s[20];
    int arr[3][4], i, j, total = 0;
    union { long l; unsigned char c[4]; } u;
    b = a;
    b.p.x = 99;
    printf("%s %ld %ld %ld %d %d | %d\n", b.tag, b.vals[0], b.vals[1], b.vals[2], b.p.x, b.p.y, a.p.x);
    printf("fib %d fact %ld ack %d\n", fib(15), fact(12), ack(2, 3));
    printf("ops %d %d %d\n", apply(ops[0], 6, 7), apply(ops[1], 6, 7), apply(&add, 1, 2));
    printf("enum %d %d %d\n", RED, GREEN, BLUE);
    for (i = 0; i < 3; i++) for (j = 0; j < 4; j++) arr[i][j] = i * j;
    for (i = 0; i < 3; i++) for (j = 0; j < 4; j++) total += arr[i][j];
    printf("arr %d sizeof %u %u\n", total, (unsigned)sizeof arr, (unsigned)sizeof arr[0]);
    u.l = 0x01020304L;
    printf("union %d %d %d %d\n", u.c[0], u.c[1], u.c[2], u.c[3]);
    printf("limits %d %d %u %ld %ld %lu\n", INT_MIN, INT_MAX, UINT_MAX, LONG_MIN, LONG_MAX, ULONG_MAX);
    printf("sc %d uc %d\n", SCHAR_MIN, UCHAR_MAX);
    i = 0;
    switch (3) { case 1: i = 1; break; case 3: i = 3; /* fall */ case 4: i += 10; break; default: i = -1; }
    printf("switch %d\n", i);
    strcpy(s, "goto");
    i = 0;
again:
    if (++i < 5) goto again;
    printf("%s %d\n", s, i);
    printf("%d %d %d %d\n", -7 / 2, -7 % 2, 7 / -2, 7 % -2);
    printf("%ld %ld\n", -7L / 2L, -7L % 2L);
    printf("%u %u\n", 65535U / 2, 65535U % 7);
    printf("%lu\n", 4000000000UL / 3UL);
    printf("%d\n", (int)sizeof(long));
    printf("cond %d\n", 1 ? 2 : 3);
    printf("comma %d\n", (1, 2, 3));
    printf("chars %c%c %d\n", 'A' + 1, "xyz"[2], '\n');
    return 0;
}
