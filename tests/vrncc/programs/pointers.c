/* Pointers and arrays: arithmetic, multi-dimensional arrays, strings as static objects,
   function pointers and a pointer table. */
#include <stdio.h>
#include <string.h>

int grid[3][4];
char *names[] = {"zero", "one", "two"};
static int counter;

int twice(int x) { return 2 * x; }
int square(int x) { return x * x; }
int next(int x) { return x + ++counter; }
int (*ops[])(int) = {twice, square, next};

int apply(int (*f)(int), int v) { return f(v); }

const char *keep(void) { return "kept"; }

void reverse(char *s)
{
    char *e = s + strlen(s) - 1;
    while (s < e) {
        char t = *s;
        *s++ = *e;
        *e-- = t;
    }
}

int main(void)
{
    int a[5] = {5, 4, 3, 2, 1};
    int *p = a, *q = &a[4];
    int i, j;
    char buf[16];
    const char *k = keep();
    long big[2];
    long *lp = big;

    printf("%d %d %d\n", *p, *(q - 1), q - p);
    p += 2;
    printf("%d %d\n", *p++, *p);
    for (i = 0; i < 3; i++)
        for (j = 0; j < 4; j++) grid[i][j] = i * 10 + j;
    printf("%d %d %d\n", grid[2][3], *(*(grid + 1) + 2), sizeof grid);
    strcpy(buf, "hello");
    reverse(buf);
    printf("%s %s %c\n", buf, names[2], names[1][1]);
    for (i = 0; i < 3; i++) printf("%d ", ops[i](5));
    printf("%d %d\n", apply(square, 7), apply(ops[2], 0));
    printf("%s %s\n", keep(), k);
    lp[0] = 70000L;
    *++lp = -1;
    printf("%d %d\n", big[0], big[1]);
    printf("%d\n", p != 0 && !(p == q));
    return 0;
}
