/* The C99 that real programs use: _Bool and stdbool.h, __func__, designated initialisers
 * (nested, out of order, sizing an array), compound literals (static outside functions, set
 * afresh each time inside them), inline, wide characters and strings as 16-bit units and
 * __builtin_expect. */
#include <stdio.h>
#include <stdbool.h>
#include <stddef.h>
struct point { int x, y; };
struct shape { char name[8]; struct point at[3]; int sides; };
static int sum(const int *v, int n) { int s = 0; while (n--) s += *v++; return s; }
static int area(struct point p) { return p.x * p.y; }
static inline int twice(int v) { return 2 * v; }
int *global_list = (int[]){7, 8, 9};
int main(void)
{
    bool yes = 5, no = 0;
    _Bool ptr = global_list;
    long big = 0x10000L;
    bool fromLong = big;
    int table[6] = {[4] = 40, [1] = 10, 11};
    int sized[] = {[5] = 1};
    struct point p = {.y = 2, .x = 1};
    struct shape s = {.sides = 3, .at[1].y = 7, .name = "tri", .at = {[2] = {5, 6}}};
    wchar_t w[] = L"a中";
    int i;
    printf("bool: %d %d %d %d %d %d\n", yes, no, ptr, fromLong, (int)sizeof(bool), !yes == false);
    printf("func: %s %s\n", __func__, __func__);
    printf("table:");
    for (i = 0; i < 6; i++) printf(" %d", table[i]);
    printf(" sized %d\n", (int)(sizeof sized / sizeof sized[0]));
    printf("point: %d %d\n", p.x, p.y);
    printf("shape: %s %d %d %d %d %d\n", s.name, s.sides, s.at[1].y, s.at[2].x, s.at[2].y, s.at[0].x);
    printf("literal: %d %d %d\n", sum((int[]){1, 2, 3, 4}, 4), area((struct point){.x = 3, .y = 5}),
           global_list[1]);
    for (i = 0; i < 2; i++) {
        int *q = (int[2]){i};
        q[1] += 10;
        printf("fresh each time: %d %d\n", q[0], q[1]);
    }
    printf("wide: %u %u %d %u %d\n", (unsigned)L'A', (unsigned)L'中', (int)sizeof(w), (unsigned)w[1], w[2]);
    printf("expect: %d %d\n", __builtin_expect(i == 2, 1), twice(21));
    return 0;
}
