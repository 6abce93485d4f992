/* Small whole programs: nested initialisers, static locals, 2-D array parameters, the heap,
 * recursion, mixed-width comparisons and the loop statements. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

struct inner { int a; char b[3]; };
struct outer { struct inner in[2]; long z; const char *name; };
static struct outer g = { { { 1, "ab" }, { 2, "cd" } }, 123456L, "gname" };
static const char *words[] = { "zero", "one", "two", "three" };
static int counter(void) { static int n; return ++n; }

static void sum2d(int rows, int m[][3], int *out) {
    int i, j;
    *out = 0;
    for (i = 0; i < rows; i++) for (j = 0; j < 3; j++) *out += m[i][j];
}

static char *rev(char *s) {
    char *e = s + strlen(s) - 1, *b = s, t;
    while (b < e) { t = *b; *b++ = *e; *e-- = t; }
    return s;
}

static int sieve(int n) {
    char *p = calloc(n + 1, 1);
    int i, j, c = 0;
    for (i = 2; i <= n; i++) {
        if (p[i]) continue;
        c++;
        for (j = i * 2; j <= n; j += i) p[j] = 1;
    }
    free(p);
    return c;
}

static void hanoi(int n, int from, int to, int via, int *moves) {
    if (n == 0) return;
    hanoi(n - 1, from, via, to, moves);
    ++*moves;
    hanoi(n - 1, via, to, from, moves);
}

int main(int argc, char **argv) {
    int m[2][3] = { { 1, 2, 3 }, { 4, 5, 6 } }, s, i, moves = 0;
    char buf[32], **pp;
    const char **w = words;
    signed char sc = -1;
    unsigned char uc = 200;
    short sh = -2;
    unsigned short us = 65535;
    long l = -1;
    unsigned long ul = 1;
    (void)argc; (void)argv;
    printf("%d %s %s %ld %s\n", g.in[1].a, g.in[0].b, g.in[1].b, g.z, g.name);
    printf("%s %s %d\n", w[3], *(w + 1), (int)(sizeof words / sizeof *words));
    s = counter();
    i = counter();
    printf("counter %d %d %d\n", s, i, counter());
    sum2d(2, m, &s);
    printf("sum2d %d\n", s);
    strcpy(buf, "reverse me");
    printf("%s\n", rev(buf));
    printf("primes below 1000: %d\n", sieve(1000));
    hanoi(10, 1, 3, 2, &moves);
    printf("hanoi %d\n", moves);
    printf("%d %d %d %d %u\n", sc, uc, sh, sc < uc, (unsigned)us);
    printf("%d %d\n", sc == -1, uc == 200);
    printf("%d %d\n", -1 < 1U, -1L < 1U);
    printf("%ld %lu\n", l * 65536L, ul << 31);
    printf("%d %d\n", 1 << 14, -16 >> 2);
    printf("%u\n", 0x8000U >> 15);
    printf("%ld\n", 100000L * 3 / 7);
    printf("%d\n", (int)(char)300);
    printf("%d\n", (short)40000L == -25536);
    pp = malloc(3 * sizeof(char *));
    for (i = 0; i < 3; i++) { pp[i] = malloc(8); sprintf(pp[i], "s%d", i * 11); }
    printf("%s %s %s\n", pp[0], pp[1], pp[2]);
    for (i = 0; i < 3; i++) free(pp[i]);
    free(pp);
    i = 0;
    do { if (i == 2) { i++; continue; } if (i > 5) break; i++; } while (1);
    printf("loop %d\n", i);
    for (i = 0, s = 0; i < 10; i++) { if (i & 1) continue; s += i; }
    printf("even sum %d\n", s);
    printf("%s\n", i > 5 ? "big" : "small");
    printf("%5.1s|%-3c|%3d%%\n", "xyz", 'q', 50);
    return 0;
}
